// One game, one row. What a game's key leaves out decides nothing in its world; and the store
// keeps one row of a game on every database it runs on: a SQLite file, and the PostgreSQL
// database that tests/server/postgres.sh names in VARNHOLD_TEST_POSTGRESQL (a private cluster of
// its own), a database of the schema before keyed anew, keeping the first row of each game.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>
#include <variant>
#include <vector>

#include "app/datadigest.h"
#include "server/store.h"
#include "server/verifier.h"

namespace {

std::string recorded(const char* name) {
    std::ifstream in(std::string(VARNHOLD_SOURCE_DIR) + "/tests/replays/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The line of `word` written anew.
std::string setline(const std::string& game, const std::string& word, const std::string& rest) {
    size_t at = game.find("\n" + word + " ") + 1;
    return game.substr(0, at) + word + " " + rest + game.substr(game.find('\n', at));
}

bool postgres(const std::string& db) { return db.rfind("postgresql:", 0) == 0; }

// A number, or bytes.
using tvalue = std::variant<long long, std::string>;

// One statement with its parameters (`?`), on either database; the first column of its first
// row, "" when none.
std::string sql(const std::string& db, std::string statement, const std::vector<tvalue>& params = {}) {
    std::string out;
    if (postgres(db)) {
        for (size_t i = 1, at = 0; (at = statement.find('?', at)) != std::string::npos; i++)
            statement.replace(at, 1, "$" + std::to_string(i));
        std::vector<std::string> text;
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        for (const tvalue& p : params) text.push_back(p.index() ? std::get<1>(p) : std::to_string(std::get<0>(p)));
        for (size_t i = 0; i < params.size(); i++) {
            values.push_back(text[i].data());
            lengths.push_back(static_cast<int>(text[i].size()));
            formats.push_back(static_cast<int>(params[i].index()));
        }
        PGconn* c = PQconnectdb(db.c_str());
        PGresult* r = PQexecParams(c, statement.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                                   lengths.data(), formats.data(), 0);
        EXPECT_TRUE(PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK)
            << statement << ": " << PQerrorMessage(c);
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) out = PQgetvalue(r, 0, 0);
        PQclear(r);
        PQfinish(c);
        return out;
    }
    sqlite3* c = nullptr;
    sqlite3_open(db.c_str(), &c);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(c, statement.c_str(), -1, &st, nullptr), SQLITE_OK)
        << statement << ": " << sqlite3_errmsg(c);
    for (size_t i = 0; i < params.size(); i++) {
        int n = static_cast<int>(i + 1);
        if (params[i].index())
            sqlite3_bind_blob(st, n, std::get<1>(params[i]).data(), static_cast<int>(std::get<1>(params[i]).size()),
                              SQLITE_TRANSIENT);
        else sqlite3_bind_int64(st, n, std::get<0>(params[i]));
    }
    int r = sqlite3_step(st);
    EXPECT_TRUE(r == SQLITE_ROW || r == SQLITE_DONE) << statement << ": " << sqlite3_errmsg(c);
    if (r == SQLITE_ROW && sqlite3_column_text(st, 0)) out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(c);
    return out;
}

// The databases to try, empty: a SQLite file, and the PostgreSQL database named.
std::vector<std::string> databases(const char* name) {
    std::string file = (std::filesystem::temp_directory_path() / name).string();
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((file + suffix).c_str());
    std::vector<std::string> out = {file};
    if (const char* url = std::getenv("VARNHOLD_TEST_POSTGRESQL")) {
        sql(url, "DROP TABLE IF EXISTS daily, entries, replays, schema");
        out.push_back(url);
    }
    return out;
}

}  // namespace

// The window and the volume decide nothing in the world: the recorded game, played again in
// another window and at another volume, makes the world it recorded.
TEST(ServerGame, AnotherWindowAndVolumeMakeTheSameWorld) {
    treplay r = parsereplay(recorded("highscore.vhr")).replay;
    r.format = replayformat;   // as this build writes it: of what the game takes from the pictures this
    r.data = datadigest();     // machine made
    r.settings.window[0] += 1, r.settings.window[2] = 1024, r.settings.window[3] = 600;
    r.settings.volume = r.settings.volume == 4 ? 5 : 4;
    tverified v = verifyhere(writereplay(r), datadigests(), 1000000);
    EXPECT_EQ(v.kind, tverified::ok) << v.reason;
    EXPECT_EQ(v.rows.size(), 1u);
}

// Another window and another volume change nothing in the world: the same game, stored before;
// another game is a row of its own.
TEST(ServerDatabases, AGameRespelledIsStoredOnceAnotherGameGetsItsRow) {
    const std::string game = recorded("fight.vhr"), other = recorded("highscore.vhr");
    const std::string respelled = setline(setline(game, "window", "241 300 1024 600"), "volume", "4");
    for (const std::string& db : databases("varnhold-respelled-test.db")) {
        SCOPED_TRACE(db);
        auto store = openstore(db);
        bool added = false;
        std::vector<tentry> first = store->add(game, gamekey(game), {{"P", 1, 500}}, added);
        ASSERT_TRUE(added);
        std::vector<tentry> found = store->find(gamekey(respelled));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].id, first[0].id);
        std::vector<tentry> again = store->add(respelled, gamekey(respelled), {{"P", 1, 500}}, added);
        EXPECT_FALSE(added);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].id, first[0].id);
        store->add(other, gamekey(other), {{"P", 1, 500}}, added);
        EXPECT_TRUE(added);
        EXPECT_EQ(store->count(), 2);
    }
}

// A database of the schema before held one game several times (each window and volume its own
// key, its row listed again each time): opened, its games are keyed anew, the first row of the
// game stays and its copies go. A session that made the same row twice keeps both.
TEST(ServerDatabases, AnOlderDatabaseIsKeyedAnewAndKeepsTheFirstRowOfAGame) {
    const std::string game = recorded("fight.vhr"), other = recorded("highscore.vhr");
    const std::string copies[] = {setline(game, "window", "241 302 800 419"), setline(game, "volume", "4")};
    // another game of the other one's session (its end another world), that made a second row
    // of the same name, level and score
    std::string later = other;
    size_t digest = later.find(' ', later.find("\nend ") + 5) + 1;
    later[digest] = later[digest] == 'a' ? 'b' : 'a';
    for (const std::string& db : databases("varnhold-migrate-test.db")) {
        SCOPED_TRACE(db);
        long long kept = 0;
        {
            auto store = openstore(db);
            bool added = false;
            kept = store->add(game, gamekey(game), {{"P", 1, 500}}, added)[0].id;
            store->add(other, gamekey(other), {{"Q", 2, 900}}, added);
        }
        // what the server before stored: each replay keyed by itself, the sessions apart but
        // the other game's, sent again
        sql(db, "UPDATE replays SET game = id, session = id");
        auto insert = [&](const std::string& body, long long session) {
            sql(db, "INSERT INTO replays (hash, body, received, session, game) VALUES (?, ?, ?, ?, ?)",
                {replayhash(body), body, std::string("2026-12-09T10:00:00Z"), session, replayhash(body)});
        };
        auto row = [&](const std::string& name, long long level, long long score) {
            sql(db,
                "INSERT INTO entries (replay, name, level, score, created) "
                "VALUES ((SELECT MAX(id) FROM replays), ?, ?, ?, ?)",
                {name, level, score, std::string("2026-12-09T10:00:00Z")});
        };
        for (const std::string& copy : copies) {
            insert(copy, replayhash(copy));
            row("P", 1, 500);
        }
        insert(later, std::stoll(sql(db, "SELECT session FROM replays WHERE body = ?", {other})));
        row("Q", 2, 900);
        sql(db, postgres(db) ? "UPDATE schema SET version = 3" : "PRAGMA user_version = 3");

        auto store = openstore(db);
        EXPECT_EQ(sql(db, postgres(db) ? "SELECT version FROM schema" : "PRAGMA user_version"),
                  std::to_string(schemaversion));
        std::vector<std::string> rows;
        for (const tentry& e : store->scores(10, 0)) rows.push_back(e.name + std::to_string(e.replay));
        EXPECT_EQ(rows, (std::vector<std::string>{"Q2", "Q5", "P1"}));
        EXPECT_EQ(sql(db, "SELECT COUNT(*) FROM replays"), "3");   // the copies without a row went
        std::vector<tentry> found = store->find(gamekey(setline(game, "window", "1 2 640 480")));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].id, kept);
    }
}

// A day's table holds each name's best game of the day (score, then level, then the earlier
// game); a name's place is counted among the day's names, and each day is a table of its own.
// A daily game that made high-score rows puts them into the all-time table too.
TEST(ServerDatabases, ADaysTableRanksEachNamesBestGame) {
    struct {
        const char* day;
        std::string name;
        int level, score;
        bool alltime;         // it made a high-score row too
        long long rank, of;   // its name's place after it
    } games[] = {
        {"2026-12-10", "Ann", 2, 500, false, 1, 1},    {"2026-12-10", "Bob", 3, 700, false, 1, 2},
        {"2026-12-10", "Ann", 1, 300, false, 2, 2},      // not her best: her 500 stands
        {"2026-12-10", "Ann", 3, 700, false, 2, 2},      // as good as Bob's, later
        {"2026-12-10", "Zo\xeb", 4, 700, false, 1, 3},   // a higher level
        {"2026-12-09", "Bob", 1, 100, false, 1, 1},    {"2026-12-10", "Dee", 5, 900, true, 1, 4},
    };
    for (const std::string& db : databases("varnhold-daily-test.db")) {
        SCOPED_TRACE(db);
        auto store = openstore(db);
        int n = 0;
        for (const auto& g : games) {
            SCOPED_TRACE(n);
            std::string body = "daily game " + std::to_string(n++);
            tdailyrow row{g.day, g.name, g.level, g.score, n % 2 ? "auto" : "1 button"};
            std::vector<treplayrow> rows;
            if (g.alltime) rows.push_back({g.name, g.level, g.score});
            bool added = false;
            tdailyrank rank;
            std::vector<tentry> entries = store->add(body, gamekey(body), rows, &row, added, rank);
            EXPECT_TRUE(added);
            EXPECT_EQ(entries.size(), rows.size());
            EXPECT_EQ(rank.day, g.day);
            EXPECT_EQ(rank.rank, g.rank);
            EXPECT_EQ(rank.of, g.of);
        }
        EXPECT_EQ(store->count(), 1);
        std::vector<std::string> table;
        for (const tentry& e : store->daily("2026-12-10", 10, 0))
            table.push_back(std::to_string(e.rank) + " " + e.name + " " + std::to_string(e.score) + " " +
                            std::to_string(e.level) + " " + e.controls);
        EXPECT_EQ(table, (std::vector<std::string>{"1 Dee 900 5 auto", "2 Zo\xeb 700 4 auto", "3 Bob 700 3 1 button",
                                                   "4 Ann 700 3 1 button"}));
        std::vector<tentry> page = store->daily("2026-12-10", 2, 1);
        ASSERT_EQ(page.size(), 2u);
        EXPECT_EQ(page[0].rank, 2);
        EXPECT_EQ(page[1].name, "Bob");
        EXPECT_EQ(store->dailycount("2026-12-10"), 4);
        EXPECT_EQ(store->dailycount("2026-12-11"), 0);
        std::vector<tdailyday> days = store->days(10, 0);
        ASSERT_EQ(days.size(), 2u);
        EXPECT_EQ(days[0].day + " " + std::to_string(days[0].players) + ", " + days[1].day + " " +
                      std::to_string(days[1].players),
                  "2026-12-10 4, 2026-12-09 1");
        // the same game again: stored before, with its name's place as now
        bool added = true, found = false;
        tdailyrank rank;
        tdailyrow row{"2026-12-10", "Ann", 1, 300, "auto"};
        store->add("daily game 2", gamekey("daily game 2"), {}, &row, added, rank);
        EXPECT_FALSE(added);
        EXPECT_EQ(rank.rank, 4);
        EXPECT_TRUE(store->find(gamekey("daily game 2"), found, rank).empty());
        EXPECT_TRUE(found);
        EXPECT_EQ(rank.rank, 4);
        EXPECT_EQ(rank.of, 4);
        store->find(gamekey("another game"), found, rank);
        EXPECT_FALSE(found);
    }
}

// A database of schema 4 opens with its rows and replays, and gets the days' tables.
TEST(ServerDatabases, ASchema4DatabaseKeepsItsRowsAndGetsDaysTables) {
    const std::string game = recorded("fight.vhr");
    for (const std::string& db : databases("varnhold-schema4-test.db")) {
        SCOPED_TRACE(db);
        {
            auto store = openstore(db);
            bool added = false;
            store->add(game, gamekey(game), {{"P", 1, 500}}, added);
        }
        // as schema 4 left it
        sql(db, "DROP TABLE daily");
        sql(db, postgres(db) ? "UPDATE schema SET version = 4" : "PRAGMA user_version = 4");
        auto store = openstore(db);
        EXPECT_EQ(sql(db, postgres(db) ? "SELECT version FROM schema" : "PRAGMA user_version"), "5");
        ASSERT_EQ(store->scores(10, 0).size(), 1u);
        EXPECT_EQ(store->find(gamekey(game)).size(), 1u);
        bool added = false;
        tdailyrank rank;
        tdailyrow row{"2026-12-10", "P", 1, 20, "standard"};
        store->add("a daily game", gamekey("a daily game"), {}, &row, added, rank);
        EXPECT_TRUE(added);
        EXPECT_EQ(rank.of, 1);
    }
}
