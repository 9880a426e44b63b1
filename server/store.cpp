// server/store.cpp — the SQLite store. One connection, used by one request at a time; other
// processes on the same file wait for its lock (busy timeout), and an entry is stored in one
// transaction with the check that its replay is new.
#include "server/store.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <stdexcept>
#include <tuple>

namespace {

// The schema, one step per version: a database of version n runs the steps after n.
const char* const migrations[] = {
    // 1: the replays, stored once (found by the hash of their bytes, compared whole), and the
    // entries they made.
    "CREATE TABLE replays (id INTEGER PRIMARY KEY, hash INTEGER NOT NULL, body BLOB NOT NULL, "
    "received TEXT NOT NULL);"
    "CREATE INDEX replays_hash ON replays (hash);"
    "CREATE TABLE entries (id INTEGER PRIMARY KEY, replay INTEGER NOT NULL REFERENCES replays (id), "
    "name BLOB NOT NULL, level INTEGER NOT NULL, score INTEGER NOT NULL, created TEXT NOT NULL);"
    "CREATE INDEX entries_order ON entries (score DESC, level DESC, id);"
    "CREATE INDEX entries_replay ON entries (replay);",
    // 2: the session each replay records (null for those stored before)
    "ALTER TABLE replays ADD COLUMN session INTEGER;"
    "CREATE INDEX replays_session ON replays (session);",
    // 3: the game each replay records, whatever its spelling (the sessions are keyed alike
    // again: rekey() fills both in)
    "ALTER TABLE replays ADD COLUMN game INTEGER;"
    "CREATE INDEX replays_game ON replays (game);",
    // 4: games keyed by what they did, sessions by what decides their world (rekey() again,
    // and the rows listed twice go)
    "UPDATE replays SET game = NULL;",
    // 5: the days' tables: a daily game's row in its day's table (each name's best counts)
    "CREATE TABLE IF NOT EXISTS daily (id INTEGER PRIMARY KEY, replay INTEGER NOT NULL REFERENCES replays (id), "
    "day TEXT NOT NULL, name BLOB NOT NULL, level INTEGER NOT NULL, score INTEGER NOT NULL, "
    "controls TEXT NOT NULL, created TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS daily_order ON daily (day, score DESC, level DESC, id);"
    "CREATE INDEX IF NOT EXISTS daily_name ON daily (day, name);"
    "CREATE INDEX IF NOT EXISTS daily_replay ON daily (replay);",
};
static_assert(sizeof migrations / sizeof *migrations == schemaversion);

std::string now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

// A prepared statement with its parameters bound in order.
class tquery {
public:
    tquery(sqlite3* db, const char* sql) : db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) fail();
    }
    ~tquery() { sqlite3_finalize(st); }
    tquery& bind(long long v) {
        sqlite3_bind_int64(st, ++n, v);
        return *this;
    }
    tquery& blob(const std::string& v) {
        sqlite3_bind_blob(st, ++n, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    tquery& text(const std::string& v) {
        sqlite3_bind_text(st, ++n, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool row() {
        int r = sqlite3_step(st);
        if (r == SQLITE_ROW) return true;
        if (r != SQLITE_DONE) fail();
        return false;
    }
    long long integer(int col) { return sqlite3_column_int64(st, col); }
    bool null(int col) { return sqlite3_column_type(st, col) == SQLITE_NULL; }
    std::string bytes(int col) {
        const void* p = sqlite3_column_blob(st, col);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(st, col))) : "";
    }

private:
    [[noreturn]] void fail() { throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(db)); }
    sqlite3* db;
    sqlite3_stmt* st = nullptr;
    int n = 0;
};

class tsqlite : public tstore {
public:
    tsqlite(const std::string& path, double seconds) {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) !=
            SQLITE_OK) {
            std::string why = db ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw std::runtime_error("can't open the database " + path + ": " + why);
        }
        sqlite3_busy_timeout(db, static_cast<int>(seconds * 1000));
        try {
            exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON;");
            exec("BEGIN IMMEDIATE");
            tquery q(db, "PRAGMA user_version");
            int version = q.row() ? static_cast<int>(q.integer(0)) : 0;
            if (version > schemaversion)
                throw std::runtime_error("the database " + path + " has schema version " + std::to_string(version) +
                                         ", newer than this server's " + std::to_string(schemaversion));
            for (int v = version; v < schemaversion; v++) exec(migrations[v]);
            rekey();
            exec(("PRAGMA user_version = " + std::to_string(schemaversion)).c_str());
            exec("COMMIT");
        } catch (...) {
            sqlite3_close(db);
            throw;
        }
    }
    ~tsqlite() override { sqlite3_close(db); }

    std::vector<tentry> add(const std::string& replay, const tgamekey& key, const std::vector<treplayrow>& rows,
                            const tdailyrow* daily, bool& added, tdailyrank& rank) override {
        std::lock_guard<std::mutex> lock(m);
        exec("BEGIN IMMEDIATE");
        try {
            long long id = stored(key), session = key.session;
            std::vector<treplayrow> left;
            bool day = false;   // a daily row to store
            if (id == 0) {
                day = daily != nullptr;
                std::vector<treplayrow> before;
                tquery q(db, "SELECT e.name, e.level, e.score FROM entries e JOIN replays r ON r.id = e.replay "
                             "WHERE r.session = ?");
                q.bind(session);
                while (q.row()) before.push_back({q.bytes(0), static_cast<int>(q.integer(1)), static_cast<int>(q.integer(2))});
                left = unstored(rows, before);
            }
            added = !left.empty() || day;
            if (added) {
                std::string date = now();
                tquery ins(db, "INSERT INTO replays (hash, body, received, session, game) VALUES (?, ?, ?, ?, ?)");
                ins.bind(replayhash(replay)).blob(replay).text(date).bind(session).bind(key.game).row();
                id = sqlite3_last_insert_rowid(db);
                for (const treplayrow& r : left) {
                    tquery e(db, "INSERT INTO entries (replay, name, level, score, created) VALUES (?, ?, ?, ?, ?)");
                    e.bind(id).blob(r.name).bind(r.level).bind(r.score).text(date).row();
                }
                if (day) {
                    tquery d(db,
                             "INSERT INTO daily (replay, day, name, level, score, controls, created) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?)");
                    d.bind(id).text(daily->day).blob(daily->name).bind(daily->level).bind(daily->score);
                    d.text(daily->controls).text(date).row();
                }
            }
            std::vector<tentry> out = id ? entriesof("e.replay = ?", id) : entriesof(sessionof, session);
            rank = id ? dailyof(id) : tdailyrank();
            exec("COMMIT");
            return out;
        } catch (...) {
            exec("ROLLBACK");
            throw;
        }
    }

    std::vector<tentry> find(const tgamekey& key, bool& found, tdailyrank& daily) override {
        std::lock_guard<std::mutex> lock(m);
        exec("BEGIN");
        try {
            long long id = stored(key);
            found = id != 0;
            std::vector<tentry> out = id ? entriesof("e.replay = ?", id) : std::vector<tentry>();
            daily = id ? dailyof(id) : tdailyrank();
            exec("COMMIT");
            return out;
        } catch (...) {
            exec("ROLLBACK");
            throw;
        }
    }

    std::vector<tentry> scores(long long limit, long long offset) override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT id, replay, name, level, score, created FROM entries "
                     "ORDER BY score DESC, level DESC, id LIMIT ? OFFSET ?");
        q.bind(limit).bind(offset);
        std::vector<tentry> out;
        while (q.row()) {
            out.push_back(entry(q));
            out.back().rank = offset + static_cast<long long>(out.size());
        }
        return out;
    }

    std::vector<tentry> daily(const std::string& day, long long limit, long long offset) override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db,
                 "SELECT id, replay, name, level, score, created, controls FROM (SELECT *, ROW_NUMBER() OVER "
                 "(PARTITION BY name ORDER BY score DESC, level DESC, id) AS n FROM daily WHERE day = ?) AS t "
                 "WHERE n = 1 ORDER BY score DESC, level DESC, id LIMIT ? OFFSET ?");
        q.text(day).bind(limit).bind(offset);
        std::vector<tentry> out;
        while (q.row()) {
            out.push_back(entry(q));
            out.back().controls = q.bytes(6);
            out.back().rank = offset + static_cast<long long>(out.size());
        }
        return out;
    }

    long long dailycount(const std::string& day) override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT COUNT(DISTINCT name) FROM daily WHERE day = ?");
        q.text(day);
        return q.row() ? q.integer(0) : 0;
    }

    std::vector<tdailyday> days(long long limit, long long offset) override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT day, COUNT(DISTINCT name) FROM daily GROUP BY day ORDER BY day DESC LIMIT ? OFFSET ?");
        q.bind(limit).bind(offset);
        std::vector<tdailyday> out;
        while (q.row()) out.push_back({q.bytes(0), q.integer(1)});
        return out;
    }

    long long count() override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT COUNT(*) FROM entries");
        return q.row() ? q.integer(0) : 0;
    }

    void ping() override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT COUNT(*) FROM replays WHERE id = 0");
        q.row();
    }

    bool replay(long long id, std::string& out) override {
        std::lock_guard<std::mutex> lock(m);
        tquery q(db, "SELECT body FROM replays WHERE id = ?");
        q.bind(id);
        if (!q.row()) return false;
        out = q.bytes(0);
        return true;
    }

private:
    void exec(const char* sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            std::string why = err ? err : sqlite3_errmsg(db);
            sqlite3_free(err);
            throw std::runtime_error("database: " + why);
        }
    }

    // The replay of the same game stored before (its key alike, its identity compared whole), or 0.
    long long stored(const tgamekey& key) {
        tquery q(db, "SELECT id, body FROM replays WHERE game = ?");
        q.bind(key.game);
        while (q.row())
            if (gamekey(q.bytes(1)).identity == key.identity) return q.integer(0);
        return 0;
    }

    // Replays stored before their game was keyed get their keys, and the entries of the
    // sessions they now make up that are more than the session made go.
    void rekey() {
        std::vector<trekeyed> keyed;
        std::vector<long long> games;
        {
            tquery q(db, "SELECT id, body, session FROM replays WHERE game IS NULL ORDER BY id");
            while (q.row()) {
                tgamekey k = gamekey(q.bytes(1));
                keyed.push_back({q.integer(0), q.null(2) ? 0 : q.integer(2), k.session, {}});
                games.push_back(k.game);
            }
        }
        for (size_t i = 0; i < keyed.size(); i++) {
            tquery u(db, "UPDATE replays SET game = ?, session = ? WHERE id = ?");
            u.bind(games[i]).bind(keyed[i].session).bind(keyed[i].id).row();
            tquery e(db, "SELECT id, name, level, score FROM entries WHERE replay = ? ORDER BY id");
            e.bind(keyed[i].id);
            while (e.row())
                keyed[i].entries.push_back(
                    {e.integer(0), {e.bytes(1), static_cast<int>(e.integer(2)), static_cast<int>(e.integer(3))}});
        }
        std::vector<long long> entries, gone;
        surplus(keyed, entries, gone);
        for (long long id : entries) tquery(db, "DELETE FROM entries WHERE id = ?").bind(id).row();
        for (long long id : gone) tquery(db, "DELETE FROM replays WHERE id = ?").bind(id).row();
    }

    static tentry entry(tquery& q) {
        tentry e;
        e.id = q.integer(0);
        e.replay = q.integer(1);
        e.name = q.bytes(2);
        e.level = static_cast<int>(q.integer(3));
        e.score = static_cast<int>(q.integer(4));
        e.date = q.bytes(5);
        return e;
    }

    static constexpr const char* sessionof = "e.replay IN (SELECT id FROM replays WHERE session = ?)";

    // The place in its day's table of the name of the replay's daily row (none: `of` 0).
    tdailyrank dailyof(long long replay) {
        tdailyrank out;
        std::string name;
        {
            tquery q(db, "SELECT day, name FROM daily WHERE replay = ?");
            q.bind(replay);
            if (!q.row()) return out;
            out.day = q.bytes(0);
            name = q.bytes(1);
        }
        tquery q(db,
                 "WITH b AS (SELECT id, name, level, score FROM (SELECT id, name, level, score, ROW_NUMBER() OVER "
                 "(PARTITION BY name ORDER BY score DESC, level DESC, id) AS n FROM daily WHERE day = ?1) AS t "
                 "WHERE n = 1) "
                 "SELECT (SELECT COUNT(*) FROM b o WHERE o.score > m.score OR (o.score = m.score AND "
                 "(o.level > m.level OR (o.level = m.level AND o.id < m.id)))) + 1, (SELECT COUNT(*) FROM b) "
                 "FROM b m WHERE m.name = ?2");
        q.text(out.day).blob(name);
        if (q.row()) {
            out.rank = q.integer(0);
            out.of = q.integer(1);
        }
        return out;
    }

    // The entries that `where` (with one parameter, `key`) picks, with their ranks.
    std::vector<tentry> entriesof(const char* where, long long key) {
        std::string sql = "SELECT e.id, e.replay, e.name, e.level, e.score, e.created, "
                          "(SELECT COUNT(*) FROM entries b WHERE b.score > e.score OR (b.score = e.score AND "
                          "(b.level > e.level OR (b.level = e.level AND b.id < e.id)))) + 1 "
                          "FROM entries e WHERE " + std::string(where) + " ORDER BY e.score DESC, e.level DESC, e.id";
        tquery q(db, sql.c_str());
        q.bind(key);
        std::vector<tentry> out;
        while (q.row()) {
            out.push_back(entry(q));
            out.back().rank = q.integer(6);
        }
        return out;
    }

    sqlite3* db = nullptr;
    std::mutex m;
};

}  // namespace

long long replayhash(const std::string& bytes) {
    unsigned long long h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return static_cast<long long>(h);
}

tgamekey gamekey(const treplay& r) {
    // written as this program writes a replay, less what is not the game (store.h)
    treplay g;
    g.program = r.program;
    g.seed = r.seed;
    g.daily = r.daily;   // a daily game is not the same seed's other game
    g.settings = r.settings;
    for (int& v : g.settings.window) v = 0;
    g.settings.volume = 0;
    std::string session = writereplay(g);
    g.end.frame = r.end.frame;
    g.end.digest = r.end.digest;
    for (const treplaycheck& c : r.checks) g.end.trace += c.trace;
    g.end.trace += r.end.trace;
    tgamekey k;
    k.identity = writereplay(g);
    // the games of the format before the daily line keep the keys they were stored under
    if (g.daily.empty()) {
        for (std::string* text : {&k.identity, &session}) {
            size_t at = text->find("varnhold-replay " + std::to_string(replayformat) + "\n");
            if (at != std::string::npos) text->replace(at, 17, "varnhold-replay 3");
        }
    }
    k.game = replayhash(k.identity);
    k.session = replayhash(session);
    return k;
}

tgamekey gamekey(const std::string& replay) {
    treplayread got = parsereplay(replay);
    if (got.error.empty()) return gamekey(got.replay);
    tgamekey k;
    k.identity = replay;
    k.game = replayhash(replay);
    size_t end = replay.find("\nevents\n");
    k.session = replayhash(end == std::string::npos ? replay : replay.substr(0, end + 8));
    return k;
}

std::vector<treplayrow> unstored(const std::vector<treplayrow>& rows, std::vector<treplayrow> stored) {
    std::vector<treplayrow> left;
    for (const treplayrow& r : rows) {
        auto i = std::find_if(stored.begin(), stored.end(), [&](const treplayrow& s) {
            return s.name == r.name && s.level == r.level && s.score == r.score;
        });
        if (i == stored.end()) left.push_back(r);
        else stored.erase(i);
    }
    return left;
}

void surplus(const std::vector<trekeyed>& replays, std::vector<long long>& entries, std::vector<long long>& gone) {
    using trow = std::tuple<std::string, int, int>;
    std::map<long long, std::vector<const trekeyed*>> sessions;
    for (const trekeyed& r : replays) sessions[r.session].push_back(&r);
    for (const auto& [session, stored] : sessions) {
        // how often a row may be listed: as often as the session it was stored under listed it
        // at most (a replay without one was a session of its own)
        std::map<std::pair<std::pair<bool, long long>, trow>, int> listed;
        std::map<trow, int> most;
        std::vector<std::tuple<long long, trow, const trekeyed*>> order;   // the entries, first stored first
        for (const trekeyed* r : stored)
            for (const auto& [id, row] : r->entries) {
                trow t{row.name, row.level, row.score};
                int n = ++listed[{{r->oldsession == 0, r->oldsession ? r->oldsession : r->id}, t}];
                most[t] = std::max(most[t], n);
                order.push_back({id, t, r});
            }
        std::sort(order.begin(), order.end());
        std::map<const trekeyed*, size_t> left;
        for (const trekeyed* r : stored) left[r] = r->entries.size();
        for (const auto& [id, t, r] : order) {
            if (most[t]-- > 0) continue;
            entries.push_back(id);
            if (--left[r] == 0) gone.push_back(r->id);
        }
    }
    std::sort(entries.begin(), entries.end());
    std::sort(gone.begin(), gone.end());
}

std::string dailycontrols(const treplaysettings& s) {
    // the options line holds the states of 11, 12, 4 and 8; bit 0 is ticked
    if (s.options[1] & 1) return "1 button";
    if (s.options[2] & 1) return "2 buttons";
    if (s.options[0] & 1) return "auto";
    return "standard";
}

bool postgresname(const std::string& db) {
    if (db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0) return true;
    // libpq's keyword form starts with one of its keywords and "="
    size_t from = db.find_first_not_of(" \t"), to = db.find_first_of(" \t=", from == std::string::npos ? 0 : from);
    if (from == std::string::npos || to == std::string::npos || db.find('=', to) == std::string::npos ||
        db.find_first_not_of(" \t", to) != db.find('=', to))
        return false;
    static const char* const keywords[] = {"host",
                                           "hostaddr",
                                           "port",
                                           "dbname",
                                           "user",
                                           "password",
                                           "passfile",
                                           "service",
                                           "sslmode",
                                           "connect_timeout",
                                           "application_name",
                                           "options"};
    std::string word = db.substr(from, to - from);
    return std::find(std::begin(keywords), std::end(keywords), word) != std::end(keywords);
}

std::unique_ptr<tstore> openstore(const std::string& db, double seconds) {
    if (postgresname(db)) return openpostgres(db, seconds);
    return std::make_unique<tsqlite>(db, seconds);
}
