// server/pgstore.cpp — the PostgreSQL store, for several server processes (on several
// machines) sharing one table. The schema's version is kept in a table of its own and migrated
// under a lock, so servers that start together migrate once. A replay and its entries are
// stored in one transaction that holds a lock on the replay's hash and the entries' table: the
// same replay sent to two servers at once is stored once, and ranks are counted among the
// entries stored before.
#include <cstdlib>
#include <libpq-fe.h>
#include <mutex>
#include <stdexcept>

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

private:
    PGresult* r;
};

class tpostgres : public tstore {
public:
    explicit tpostgres(const std::string& url) {
        db = PQconnectdb(url.c_str());
        if (PQstatus(db) != CONNECTION_OK) {
            std::string why = PQerrorMessage(db);
            PQfinish(db);
            throw std::runtime_error("can't connect to the database: " + why);
        }
        exec("SET client_min_messages = warning");
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
    ~tpostgres() override { PQfinish(db); }

    std::vector<tentry> add(const std::string& replay, const tgamekey& key, const std::vector<treplayrow>& rows,
                            bool& added) override {
        std::lock_guard<std::mutex> lock(m);
        std::vector<tentry> out;
        transaction([&] {
            std::string h = std::to_string(replayhash(replay));
            exec("SELECT pg_advisory_xact_lock($1::bigint)", {{std::to_string(key.game)}});
            // one writer at a time across all servers: the ranks counted here are those of the
            // table as this entry enters it (reading goes on meanwhile)
            exec("LOCK TABLE entries IN SHARE ROW EXCLUSIVE MODE");
            long long id = stored(key);
            std::string session = std::to_string(key.session);
            std::vector<treplayrow> left;
            if (id == 0) {
                tresult q = exec("SELECT encode(e.name, 'hex'), e.level, e.score FROM entries e "
                                 "JOIN replays r ON r.id = e.replay WHERE r.session = $1",
                                 {{session}});
                std::vector<treplayrow> before;
                for (int i = 0; i < q.rows(); i++)
                    before.push_back({unhex(q.text(i, 0).c_str()), static_cast<int>(q.integer(i, 1)),
                                      static_cast<int>(q.integer(i, 2))});
                left = unstored(rows, before);
            }
            added = !left.empty();
            if (added) {
                tresult ins = exec("INSERT INTO replays (hash, body, received, session, game) VALUES ($1, $2, "
                                   "to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), $3, $4) RETURNING id",
                                   {{h}, {replay, true}, {session}, {std::to_string(key.game)}});
                id = ins.integer(0, 0);
                for (const treplayrow& r : left)
                    exec("INSERT INTO entries (replay, name, level, score, created) "
                         "SELECT $1, $2, $3, $4, received FROM replays WHERE id = $1",
                         {{std::to_string(id)}, {r.name, true}, {std::to_string(r.level)}, {std::to_string(r.score)}});
            }
            out = id ? entriesof("e.replay = $1", id) : entriesof(sessionof, std::stoll(session));
        });
        return out;
    }

    std::vector<tentry> find(const tgamekey& key) override {
        std::lock_guard<std::mutex> lock(m);
        long long id = stored(key);
        return id ? entriesof("e.replay = $1", id) : std::vector<tentry>();
    }

    std::vector<tentry> scores(long long limit, long long offset) override {
        std::lock_guard<std::mutex> lock(m);
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
        std::lock_guard<std::mutex> lock(m);
        return exec("SELECT COUNT(*) FROM entries").integer(0, 0);
    }

    void ping() override {
        std::lock_guard<std::mutex> lock(m);
        exec("SELECT 1");
    }

    bool replay(long long id, std::string& out) override {
        std::lock_guard<std::mutex> lock(m);
        tresult q = exec("SELECT encode(body, 'hex') FROM replays WHERE id = $1", {{std::to_string(id)}});
        if (!q.rows()) return false;
        out = unhex(q.text(0, 0).c_str());
        return true;
    }

private:
    // A statement. A connection found lost is opened again, and outside a transaction the
    // statement is sent again once (inside one, transaction() runs it again from its start).
    tresult exec(const char* sql, const std::vector<tparam>& params = {}) {
        for (int attempt = 0;; attempt++) {
            if (PQstatus(db) != CONNECTION_OK) PQreset(db);
            std::vector<const char*> values;
            std::vector<int> lengths, formats;
            for (const tparam& p : params) {
                values.push_back(p.value.data());
                lengths.push_back(static_cast<int>(p.value.size()));
                formats.push_back(p.binary ? 1 : 0);
            }
            PGresult* r = PQexecParams(db, sql, static_cast<int>(params.size()), nullptr, values.data(), lengths.data(),
                                       formats.data(), 0);
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
        PGresult* r = PQexec(db, sql);
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
                PGresult* r = PQexec(db, "ROLLBACK");
                PQclear(r);
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

    // Replays stored before their game was keyed get their keys.
    void rekey() {
        tresult q = exec("SELECT id, encode(body, 'hex') FROM replays WHERE game IS NULL");
        for (int i = 0; i < q.rows(); i++) {
            tgamekey k = gamekey(unhex(q.text(i, 1).c_str()));
            exec("UPDATE replays SET game = $1, session = $2 WHERE id = $3",
                 {{std::to_string(k.game)}, {std::to_string(k.session)}, {q.text(i, 0)}});
        }
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
    PGconn* db = nullptr;
    bool intransaction = false;
    std::mutex m;
};

}  // namespace

std::unique_ptr<tstore> openpostgres(const std::string& url) { return std::make_unique<tpostgres>(url); }
