// server/pgstore.cpp — the PostgreSQL store, for several server processes (on several
// machines) sharing one table. The schema's version is kept in a table of its own and migrated
// under a lock, so servers that start together migrate once. A replay and its entries are
// stored in one transaction that holds a lock on the replay's hash and the entries' table: the
// same replay sent to two servers at once is stored once, and ranks are counted among the
// entries stored before.
//
// Every call has a deadline (`--db-seconds`): the wait for the connection's lock, the connection
// and each statement's answer count against it, and a statement is also limited on the server
// (statement_timeout). A statement past it is cancelled and the connection is left alone until
// its answer comes (every call meanwhile fails at once), or opened anew after `abandonafter`.
#include <libpq-fe.h>
#include <poll.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "server/store.h"

namespace {

// The schema, one step per version, as in the SQLite store.
const char* const pgmigrations[] = {
    "CREATE TABLE replays (id BIGSERIAL PRIMARY KEY, hash BIGINT NOT NULL, body BYTEA NOT NULL, "
    "received TEXT NOT NULL);"
    "CREATE INDEX replays_hash ON replays (hash);"
    "CREATE TABLE entries (id BIGSERIAL PRIMARY KEY, replay BIGINT NOT NULL REFERENCES replays (id), "
    "name BYTEA NOT NULL, level INTEGER NOT NULL, score INTEGER NOT NULL, created TEXT NOT NULL);"
    "CREATE INDEX entries_order ON entries (score DESC, level DESC, id);"
    "CREATE INDEX entries_replay ON entries (replay);",
    "ALTER TABLE replays ADD COLUMN session BIGINT;"
    "CREATE INDEX replays_session ON replays (session);",
    "ALTER TABLE replays ADD COLUMN game BIGINT;"
    "CREATE INDEX replays_game ON replays (game);",
    "UPDATE replays SET game = NULL;",
    "CREATE TABLE IF NOT EXISTS daily (id BIGSERIAL PRIMARY KEY, replay BIGINT NOT NULL REFERENCES replays (id), "
    "day TEXT NOT NULL, name BYTEA NOT NULL, level INTEGER NOT NULL, score INTEGER NOT NULL, "
    "controls TEXT NOT NULL, created TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS daily_order ON daily (day, score DESC, level DESC, id);"
    "CREATE INDEX IF NOT EXISTS daily_name ON daily (day, name);"
    "CREATE INDEX IF NOT EXISTS daily_replay ON daily (replay);",
};
static_assert(sizeof pgmigrations / sizeof *pgmigrations == schemaversion);

// A query's parameter: text, or bytes sent as binary.
struct tparam {
    std::string value;
    bool binary = false;
};

std::string unhex(const char* s) {
    std::string out;
    auto v = [](char c) { return c <= '9' ? c - '0' : (c | 32) - 'a' + 10; };
    for (; s[0] && s[1]; s += 2) out += static_cast<char>(v(s[0]) * 16 + v(s[1]));
    return out;
}

class tresult {
public:
    explicit tresult(PGresult* r) : r(r) {}
    ~tresult() { PQclear(r); }
    tresult(const tresult&) = delete;
    int rows() const { return PQntuples(r); }
    long long integer(int row, int col) const { return std::atoll(PQgetvalue(r, row, col)); }
    std::string text(int row, int col) const { return PQgetvalue(r, row, col); }
    bool null(int row, int col) const { return PQgetisnull(r, row, col); }

private:
    PGresult* r;
};

using tclock = std::chrono::steady_clock;

// A connection whose statement has not answered for this long is given up and opened anew.
constexpr std::chrono::seconds abandonafter(30);

class tpostgres : public tstore {
public:
    tpostgres(const std::string& url_, double seconds_) : url(url_), seconds(seconds_) {
        auto lock = enter(seconds);
        try {
            connect();
        } catch (const std::exception& e) {
            throw std::runtime_error(std::string("can't connect to the ") + e.what());
        }
        // the schema's migration may take its time (every replay stored before is keyed)
        deadline = tclock::now() + std::chrono::hours(1);
        transaction([&] {
            exec("SELECT pg_advisory_xact_lock(7274001)");
            exec("CREATE TABLE IF NOT EXISTS schema (version INTEGER NOT NULL)");
            tresult q = exec("SELECT version FROM schema");
            int version = q.rows() ? static_cast<int>(q.integer(0, 0)) : 0;
            if (version > schemaversion)
                throw std::runtime_error("the database has schema version " + std::to_string(version) +
                                         ", newer than this server's " + std::to_string(schemaversion));
            for (int v = version; v < schemaversion; v++) script(pgmigrations[v]);
            rekey();
            exec("DELETE FROM schema");
            exec("INSERT INTO schema (version) VALUES ($1)", {{std::to_string(schemaversion)}});
        });
    }
    ~tpostgres() override {
        if (db) PQfinish(db);
    }

    std::vector<tentry> add(const std::string& replay, const tgamekey& key, const std::vector<treplayrow>& rows,
                            const tdailyrow* daily, bool& added, tdailyrank& rank) override {
        auto lock = enter(seconds);
        std::vector<tentry> out;
        transaction([&] {
            std::string h = std::to_string(replayhash(replay));
            exec("SELECT pg_advisory_xact_lock($1::bigint)", {{std::to_string(key.game)}});
            // one writer at a time across all servers: the ranks counted here are those of the
            // table as this entry enters it (reading goes on meanwhile)
            exec("LOCK TABLE entries, daily IN SHARE ROW EXCLUSIVE MODE");
            long long id = stored(key);
            std::string session = std::to_string(key.session);
            std::vector<treplayrow> left;
            bool day = false;   // a daily row to store
            if (id == 0) {
                day = daily != nullptr;
                tresult q = exec("SELECT encode(e.name, 'hex'), e.level, e.score FROM entries e "
                                 "JOIN replays r ON r.id = e.replay WHERE r.session = $1",
                                 {{session}});
                std::vector<treplayrow> before;
                for (int i = 0; i < q.rows(); i++)
                    before.push_back({unhex(q.text(i, 0).c_str()), static_cast<int>(q.integer(i, 1)),
                                      static_cast<int>(q.integer(i, 2))});
                left = unstored(rows, before);
            }
            added = !left.empty() || day;
            if (added) {
                tresult ins = exec("INSERT INTO replays (hash, body, received, session, game) VALUES ($1, $2, "
                                   "to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), $3, $4) RETURNING id",
                                   {{h}, {replay, true}, {session}, {std::to_string(key.game)}});
                id = ins.integer(0, 0);
                for (const treplayrow& r : left)
                    exec("INSERT INTO entries (replay, name, level, score, created) "
                         "SELECT $1, $2, $3, $4, received FROM replays WHERE id = $1",
                         {{std::to_string(id)}, {r.name, true}, {std::to_string(r.level)}, {std::to_string(r.score)}});
                if (day)
                    exec(
                        "INSERT INTO daily (replay, day, name, level, score, controls, created) "
                        "SELECT $1, $2, $3, $4, $5, $6, received FROM replays WHERE id = $1",
                        {{std::to_string(id)},
                         {daily->day},
                         {daily->name, true},
                         {std::to_string(daily->level)},
                         {std::to_string(daily->score)},
                         {daily->controls}});
            }
            out = id ? entriesof("e.replay = $1", id) : entriesof(sessionof, std::stoll(session));
            rank = id ? dailyof(id) : tdailyrank();
        });
        return out;
    }

    std::vector<tentry> find(const tgamekey& key, bool& found, tdailyrank& daily) override {
        auto lock = enter(seconds);
        long long id = stored(key);
        found = id != 0;
        daily = id ? dailyof(id) : tdailyrank();
        return id ? entriesof("e.replay = $1", id) : std::vector<tentry>();
    }

    std::vector<tentry> daily(const std::string& day, long long limit, long long offset) override {
        auto lock = enter(seconds);
        tresult q = exec(
            "SELECT id, replay, encode(name, 'hex'), level, score, created, controls FROM (SELECT *, "
            "ROW_NUMBER() OVER (PARTITION BY name ORDER BY score DESC, level DESC, id) AS n FROM daily "
            "WHERE day = $1) AS t WHERE n = 1 ORDER BY score DESC, level DESC, id LIMIT $2 OFFSET $3",
            {{day}, {std::to_string(limit)}, {std::to_string(offset)}});
        std::vector<tentry> out;
        for (int i = 0; i < q.rows(); i++) {
            out.push_back(entry(q, i));
            out.back().controls = q.text(i, 6);
            out.back().rank = offset + i + 1;
        }
        return out;
    }

    long long dailycount(const std::string& day) override {
        auto lock = enter(seconds);
        return exec("SELECT COUNT(DISTINCT name) FROM daily WHERE day = $1", {{day}}).integer(0, 0);
    }

    std::vector<tdailyday> days(long long limit, long long offset) override {
        auto lock = enter(seconds);
        tresult q =
            exec("SELECT day, COUNT(DISTINCT name) FROM daily GROUP BY day ORDER BY day DESC LIMIT $1 OFFSET $2",
                 {{std::to_string(limit)}, {std::to_string(offset)}});
        std::vector<tdailyday> out;
        for (int i = 0; i < q.rows(); i++) out.push_back({q.text(i, 0), q.integer(i, 1)});
        return out;
    }

    std::vector<tentry> scores(long long limit, long long offset) override {
        auto lock = enter(seconds);
        tresult q = exec("SELECT id, replay, encode(name, 'hex'), level, score, created FROM entries "
                         "ORDER BY score DESC, level DESC, id LIMIT $1 OFFSET $2",
                         {{std::to_string(limit)}, {std::to_string(offset)}});
        std::vector<tentry> out;
        for (int i = 0; i < q.rows(); i++) {
            out.push_back(entry(q, i));
            out.back().rank = offset + i + 1;
        }
        return out;
    }

    long long count() override {
        auto lock = enter(seconds);
        return exec("SELECT COUNT(*) FROM entries").integer(0, 0);
    }

    // Within a second whatever the database does.
    void ping() override {
        auto lock = enter(std::min(seconds, 0.8));
        exec("SELECT 1");
    }

    bool answering() override { return !stuck; }

    bool replay(long long id, std::string& out) override {
        auto lock = enter(seconds);
        tresult q = exec("SELECT encode(body, 'hex') FROM replays WHERE id = $1", {{std::to_string(id)}});
        if (!q.rows()) return false;
        out = unhex(q.text(0, 0).c_str());
        return true;
    }

private:
    // Takes the connection's lock and sets the deadline of the call, `limit` seconds from now.
    std::unique_lock<std::timed_mutex> enter(double limit) {
        auto until = tclock::now() + std::chrono::duration_cast<tclock::duration>(std::chrono::duration<double>(limit));
        std::unique_lock<std::timed_mutex> lock(m, std::defer_lock);
        if (!lock.try_lock_until(until))
            throw tdbslow("database: busy with an earlier request for " +
                          std::to_string(static_cast<int>(std::ceil(limit))) + " s");
        deadline = until;
        return lock;
    }

    // Waits until the connection's socket is ready for `events`; false at the deadline.
    bool ready(short events) {
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - tclock::now()).count();
            if (left <= 0) return false;
            pollfd p{PQsocket(db), events, 0};
            int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
            if (n > 0) return true;
            if (n < 0 && errno != EINTR) return false;
        }
    }

    // Opens the connection (again), within the deadline.
    void connect() {
        if (db) PQfinish(db);
        stuck = false;
        // the URL's own settings come last and win
        std::string timeout = std::to_string(std::max(2, static_cast<int>(std::ceil(seconds))));
        const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
        const char* values[] = {timeout.c_str(), "varnhold-server", url.c_str(), nullptr};
        db = PQconnectStartParams(keys, values, 1);
        if (!db) throw tlost("database: out of memory");
        PostgresPollingStatusType s = PGRES_POLLING_WRITING;
        while (PQstatus(db) != CONNECTION_BAD && s != PGRES_POLLING_OK && s != PGRES_POLLING_FAILED) {
            if (!ready(s == PGRES_POLLING_READING ? POLLIN : POLLOUT)) {
                PQfinish(db);
                db = nullptr;
                throw tdbslow("database: no answer to a new connection within the time allowed");
            }
            s = PQconnectPoll(db);
        }
        if (PQstatus(db) != CONNECTION_OK) {
            std::string why = PQerrorMessage(db);
            PQfinish(db);
            db = nullptr;
            throw tlost("database: " + why);
        }
        long long ms = std::llround(seconds * 1000);
        PQclear(send(("SET statement_timeout = " + std::to_string(ms)).c_str(), {}));
        PQclear(send("SET client_min_messages = warning", {}));
    }

    // A connection left waiting for a statement's answer: the answer has come (the connection
    // is opened anew, in a known state), or the call fails at once (after `abandonafter`, the
    // connection is given up for a new one).
    void unstick() {
        if (!stuck) return;
        bool answered = PQconsumeInput(db) == 0;   // lost: open anew
        while (!answered && !PQisBusy(db)) {
            PGresult* r = PQgetResult(db);
            if (!r) answered = true;
            PQclear(r);
        }
        if (answered || tclock::now() - stucksince > abandonafter) {
            PQfinish(db);
            db = nullptr;
            stuck = false;
            return;
        }
        throw tdbslow(
            "database: not answering (a statement has waited " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(tclock::now() - stucksince).count()) +
            " s)");
    }

    // Sends a statement and waits for its result until the deadline; past it the statement is
    // cancelled and the connection left stuck.
    // `several`: statements without parameters, several in one text.
    PGresult* send(const char* sql, const std::vector<tparam>& params, bool several = false) {
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        for (const tparam& p : params) {
            values.push_back(p.value.data());
            lengths.push_back(static_cast<int>(p.value.size()));
            formats.push_back(p.binary ? 1 : 0);
        }
        if (several ? !PQsendQuery(db, sql)
                    : !PQsendQueryParams(db, sql, static_cast<int>(params.size()), nullptr, values.data(),
                                         lengths.data(), formats.data(), 0))
            return nullptr;
        PGresult* last = nullptr;
        for (;;) {
            while (PQisBusy(db)) {
                if (!ready(POLLIN)) {
                    PQclear(last);
                    stuck = true;
                    stucksince = tclock::now();
                    // the cancel request waits for the postmaster, which may hang too: on a thread of its own
                    if (PGcancel* c = PQgetCancel(db))
                        std::thread([c] {
                            char why[256];
                            PQcancel(c, why, sizeof why);
                            PQfreeCancel(c);
                        }).detach();
                    throw tdbslow("database: no answer within " + std::to_string(static_cast<int>(std::ceil(seconds))) +
                                  " s");
                }
                if (!PQconsumeInput(db)) break;
            }
            PGresult* r = PQgetResult(db);
            if (!r) break;
            PQclear(last);
            last = r;
            if (PQstatus(db) != CONNECTION_OK) break;
        }
        return last;
    }

    // A statement. A connection found lost is opened again, and outside a transaction the
    // statement is sent again once (inside one, transaction() runs it again from its start).
    tresult exec(const char* sql, const std::vector<tparam>& params = {}) {
        for (int attempt = 0;; attempt++) {
            unstick();
            if (!db || PQstatus(db) != CONNECTION_OK) {
                if (intransaction) throw tlost("database: the connection was lost in a transaction");
                connect();
            }
            PGresult* r = send(sql, params);
            ExecStatusType s = PQresultStatus(r);
            if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK) return tresult(r);
            std::string why = r ? PQresultErrorMessage(r) : PQerrorMessage(db);
            PQclear(r);
            bool lost = PQstatus(db) != CONNECTION_OK;
            if (lost && attempt == 0 && !intransaction) continue;
            if (lost) throw tlost("database: " + why);
            throw std::runtime_error("database: " + why);
        }
    }

    // Statements without parameters, several in one text (the migrations).
    void script(const char* sql) {
        PGresult* r = send(sql, {}, true);
        bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        std::string why = ok ? "" : r ? PQresultErrorMessage(r) : PQerrorMessage(db);
        PQclear(r);
        if (!ok) throw std::runtime_error("database: " + why);
    }

    template <class F> void transaction(F body) {
        for (int attempt = 0;; attempt++) {
            exec("BEGIN");
            intransaction = true;
            try {
                body();
                exec("COMMIT");   // lost here, it is tried again: the game is then found stored or not
                intransaction = false;
                return;
            } catch (const tlost&) {
                intransaction = false;
                if (attempt > 0) throw;
            } catch (...) {
                intransaction = false;
                // a connection left waiting is opened anew once it answers, which ends the transaction
                if (!stuck && db && PQstatus(db) == CONNECTION_OK) PQclear(send("ROLLBACK", {}));
                throw;
            }
        }
    }

    // The replay of the same game stored before (its key alike, its identity compared whole), or 0.
    long long stored(const tgamekey& key) {
        tresult q = exec("SELECT id, encode(body, 'hex') FROM replays WHERE game = $1", {{std::to_string(key.game)}});
        for (int i = 0; i < q.rows(); i++)
            if (gamekey(unhex(q.text(i, 1).c_str())).identity == key.identity) return q.integer(i, 0);
        return 0;
    }

    // Replays stored before their game was keyed get their keys, and the entries of the
    // sessions they now make up that are more than the session made go (as in the SQLite store).
    void rekey() {
        tresult q = exec("SELECT id, session FROM replays WHERE game IS NULL ORDER BY id");
        std::vector<trekeyed> keyed;
        for (int i = 0; i < q.rows(); i++) {
            // one body at a time: a table of long sessions need not fit in memory at once
            std::string id = q.text(i, 0);
            tresult body = exec("SELECT encode(body, 'hex') FROM replays WHERE id = $1", {{id}});
            tgamekey k = gamekey(unhex(body.text(0, 0).c_str()));
            keyed.push_back({q.integer(i, 0), q.null(i, 1) ? 0 : q.integer(i, 1), k.session, {}});
            exec("UPDATE replays SET game = $1, session = $2 WHERE id = $3",
                 {{std::to_string(k.game)}, {std::to_string(k.session)}, {id}});
            tresult e =
                exec("SELECT id, encode(name, 'hex'), level, score FROM entries WHERE replay = $1 ORDER BY id", {{id}});
            for (int j = 0; j < e.rows(); j++)
                keyed.back().entries.push_back({e.integer(j, 0),
                                                {unhex(e.text(j, 1).c_str()), static_cast<int>(e.integer(j, 2)),
                                                 static_cast<int>(e.integer(j, 3))}});
        }
        std::vector<long long> entries, gone;
        surplus(keyed, entries, gone);
        for (long long id : entries) exec("DELETE FROM entries WHERE id = $1", {{std::to_string(id)}});
        for (long long id : gone) exec("DELETE FROM replays WHERE id = $1", {{std::to_string(id)}});
    }

    static tentry entry(const tresult& q, int i) {
        tentry e;
        e.id = q.integer(i, 0);
        e.replay = q.integer(i, 1);
        e.name = unhex(q.text(i, 2).c_str());
        e.level = static_cast<int>(q.integer(i, 3));
        e.score = static_cast<int>(q.integer(i, 4));
        e.date = q.text(i, 5);
        return e;
    }

    static constexpr const char* sessionof = "e.replay IN (SELECT id FROM replays WHERE session = $1)";

    // The place in its day's table of the name of the replay's daily row (none: `of` 0).
    tdailyrank dailyof(long long replay) {
        tdailyrank out;
        tresult d = exec("SELECT day, encode(name, 'hex') FROM daily WHERE replay = $1", {{std::to_string(replay)}});
        if (!d.rows()) return out;
        out.day = d.text(0, 0);
        tresult q = exec(
            "WITH b AS (SELECT id, name, level, score FROM (SELECT id, name, level, score, ROW_NUMBER() "
            "OVER (PARTITION BY name ORDER BY score DESC, level DESC, id) AS n FROM daily WHERE day = $1) "
            "AS t WHERE n = 1) "
            "SELECT (SELECT COUNT(*) FROM b o WHERE o.score > m.score OR (o.score = m.score AND "
            "(o.level > m.level OR (o.level = m.level AND o.id < m.id)))) + 1, (SELECT COUNT(*) FROM b) "
            "FROM b m WHERE m.name = $2",
            {{out.day}, {unhex(d.text(0, 1).c_str()), true}});
        if (q.rows()) {
            out.rank = q.integer(0, 0);
            out.of = q.integer(0, 1);
        }
        return out;
    }

    // The entries that `where` (with one parameter, `key`) picks, with their ranks.
    std::vector<tentry> entriesof(const char* where, long long key) {
        std::string sql = "SELECT e.id, e.replay, encode(e.name, 'hex'), e.level, e.score, e.created, "
                          "(SELECT COUNT(*) FROM entries b WHERE b.score > e.score OR (b.score = e.score AND "
                          "(b.level > e.level OR (b.level = e.level AND b.id < e.id)))) + 1 "
                          "FROM entries e WHERE " + std::string(where) + " ORDER BY e.score DESC, e.level DESC, e.id";
        tresult q = exec(sql.c_str(), {{std::to_string(key)}});
        std::vector<tentry> out;
        for (int i = 0; i < q.rows(); i++) {
            out.push_back(entry(q, i));
            out.back().rank = q.integer(i, 6);
        }
        return out;
    }

    // A connection lost in the middle of a statement.
    struct tlost : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    std::string url;
    double seconds;   // the time a call may take
    PGconn* db = nullptr;
    bool intransaction = false;
    tclock::time_point deadline;       // of the call in progress
    std::atomic<bool> stuck = false;   // a statement past its time is still unanswered
    tclock::time_point stucksince;
    std::timed_mutex m;
};

}  // namespace

std::unique_ptr<tstore> openpostgres(const std::string& url, double seconds) {
    return std::make_unique<tpostgres>(url, seconds);
}
