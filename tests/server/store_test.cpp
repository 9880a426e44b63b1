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
