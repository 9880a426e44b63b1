// The score server's parts without the network: the pace of a game, the rows a game made, the
// escaping of names, the store's ranks and its single copy of a replay, and the answers to
// requests the verifier never sees.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sqlite3.h>
#include <string>
#include <vector>

#include "app/replay.h"
#include "platform/platform.h"
#include "server/api.h"
#include "server/store.h"
#include "server/verifier.h"

namespace {

treplayevent at(int tick, int clock, int id = EVENT_MOUSEMOVE, int data = 0) {
    treplayevent e;
    e.tick = tick;
    e.clock = clock;
    e.id = id;
    e.data = data;
    return e;
}

std::string tempdb(const char* name) {
    std::string p = (std::filesystem::temp_directory_path() / name).string();
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((p + suffix).c_str());
    return p;
}

}  // namespace

TEST(ServerPace, ClockMayLeadByAConstantNotByMoreEveryFrame) {
    const int f5 = 116;
    struct tcase {
        const char* what;
        std::vector<treplayevent> events;
        bool slow;
    } cases[] = {
        // a late start (the first frame 300 ms after the clock began) is not a slow game
        {"late start", {at(0, 0), at(1, 317), at(600, 10300)}, false},
        {"timer 10% slow", {at(0, 0), at(60, 1000), at(600, 11000)}, true},
        {"one late frame within the jitter", {at(1, 16), at(100, 1900), at(200, 3350)}, false},
        // F5: 480 frames a second; at 60 the same clock would be far ahead
        {"F5 held", {at(10, 166), at(10, 166, EVENT_KEYDOWN, f5), at(4810, 10170), at(4810, 10170, EVENT_KEYUP, f5), at(4870, 11170)}, false},
        {"F5 held, timer slow", {at(10, 166, EVENT_KEYDOWN, f5), at(20, 200), at(2410, 10170)}, true},
        // no frames run while the Help box is open: the next frame starts a new stretch
        {"Help box", {at(5, 80), at(5, 80, EVENT_MENUACTION, 7), at(5, 20000), at(65, 21000)}, false},
    };
    for (const tcase& c : cases) {
        treplay r;
        r.events = c.events;
        EXPECT_EQ(!pacecheck(r).empty(), c.slow) << c.what << ": " << pacecheck(r);
    }
}

TEST(ServerRows, OnlyTheRowsTheGameMade) {
    treplayrow before[10], after[10];
    for (int i = 0; i < 10; i++) before[i] = {"Nobody", 1, 100 - i};
    // a row entered at 3 (equal to the row below it) pushes the last one out
    for (int i = 0; i < 10; i++) after[i] = i < 3 ? before[i] : i == 3 ? treplayrow{"Nobody", 1, 97} : before[i - 1];
    std::vector<treplayrow> made = newrows(before, after);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].score, 97);
    EXPECT_TRUE(newrows(before, before).empty());
}

TEST(ServerText, NamesEscapedForJsonAndHtml) {
    EXPECT_EQ(jsonstring("\xe5\"\\<\n"), "\"\xc3\xa5\\\"\\\\\\u003c\\u000a\"");
    EXPECT_EQ(htmltext("<a href='x'>&\xe9"), "&lt;a href=&#39;x&#39;&gt;&amp;\xc3\xa9");
}

TEST(ServerStore, RanksByScoreLevelThenAgeAndKeepsAReplayOnce) {
    std::string path = tempdb("varnhold-store-test.db");
    {
        auto store = openstore(path);
        bool added = false;
        store->add("a", {{"A", 2, 50}}, added);
        EXPECT_TRUE(added);
        store->add("b", {{"B", 3, 50}, {"C", 1, 10}}, added);
        std::vector<tentry> d = store->add("d", {{"D", 3, 50}}, added);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].rank, 2);   // below B (same score and level, earlier), above A (lower level)
        std::vector<tentry> again = store->add("d", {{"D", 3, 50}}, added);
        EXPECT_FALSE(added);
        EXPECT_EQ(again[0].id, d[0].id);
        std::vector<std::string> names;
        for (const tentry& e : store->scores(10, 0)) names.push_back(e.name);
        EXPECT_EQ(names, (std::vector<std::string>{"B", "D", "A", "C"}));
        EXPECT_EQ(store->scores(2, 2)[0].rank, 3);
        std::string body;
        EXPECT_TRUE(store->replay(d[0].replay, body));
        EXPECT_EQ(body, "d");
    }
    // reopened: the same table; a database from a newer server is refused
    EXPECT_EQ(openstore(path)->count(), 4);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_THROW(openstore(path), std::runtime_error);
}

// The game sends a session's whole replay again after each new row: only the new rows enter.
TEST(ServerStore, ASessionSentAgainAddsOnlyItsNewRows) {
    auto store = openstore(tempdb("varnhold-session-test.db"));
    const std::string first = "seed 1\nevents\n10 0 key 13\n", later = first + "900 0 key 65\n";
    bool added = false;
    store->add(first, {{"P", 1, 500}}, added);
    std::vector<tentry> got = store->add(later, {{"P", 2, 700}, {"P", 1, 500}}, added);
    EXPECT_TRUE(added);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].score, 700);
    got = store->add(later + "# again\n", {{"P", 2, 700}, {"P", 1, 500}}, added);   // nothing new
    EXPECT_FALSE(added);
    EXPECT_EQ(got.size(), 2u);
    store->add("seed 2\nevents\n10 0 key 13\n", {{"P", 1, 500}, {"P", 1, 500}}, added);   // another session
    EXPECT_TRUE(added);
    EXPECT_EQ(store->count(), 4);
}

// A replay refused after its playback is refused again without one; one that ran out of time
// is played again (a quieter moment may finish it).
TEST(ServerApi, ARefusedReplaySentAgainIsNotPlayedAgain) {
    std::ifstream in(std::string(VARNHOLD_SOURCE_DIR) + "/tests/replays/fight.vhr", std::ios::binary);
    std::string game((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(game.empty());
    auto store = openstore(tempdb("varnhold-refused-test.db"));
    tapiconfig config;
    config.data = std::stoull(game.substr(game.find("\ndata ") + 6, 16), nullptr, 16);
    int played = 0;
    tapi api(*store, [&](const std::string& text, tverified& v) {
        played++;
        v = tverified{tverified::refused, 0, "world differs at frame 60", {}, text.find("#\t") != std::string::npos};
        return true;
    }, config);
    for (const char* last : {"", "", "\t", "\t"}) {
        trequest r;
        r.method = "POST";
        r.path = "/api/v1/replays";
        r.body = game + "#" + last + "\n";
        r.address = std::string("1.2.3.") + std::to_string(played);
        tresponse a = api.handle(r);
        EXPECT_EQ(a.status, 422);
        EXPECT_NE(a.body.find("world differs at frame 60"), std::string::npos) << a.body;
    }
    EXPECT_EQ(played, 3);
}

TEST(ServerApi, AnswersBeforeAnyPlayback) {
    std::string path = tempdb("varnhold-api-test.db");
    auto store = openstore(path);
    int played = 0;
    tapiconfig config;
    config.maxbody = 2000;
    config.rate = 3;
    config.origins = {"https://play.example"};
    config.proxies = {"10.0.0.1"};
    tapi api(*store, [&](const std::string&, tverified&) { return ++played, false; }, config);
    auto post = [&](const std::string& body, const std::string& address = "1.2.3.4") {
        trequest r;
        r.method = "POST";
        r.path = "/api/v1/replays";
        r.body = body;
        r.address = address;
        r.origin = "https://play.example";
        return api.handle(r);
    };
    tresponse damaged = post("varnhold-replay 1\nprogram");
    EXPECT_EQ(damaged.status, 400);
    EXPECT_NE(damaged.body.find("\"line\":2"), std::string::npos) << damaged.body;
    EXPECT_EQ(post(std::string(2001, '#')).status, 413);
    EXPECT_EQ(post("").status, 400);
    tresponse many = post("");
    EXPECT_EQ(many.status, 429);
    EXPECT_EQ(post("", "5.6.7.8").status, 400);
    // X-Forwarded-For counts only from a trusted proxy, and only its last address
    struct {
        const char *peer, *forwarded;
        int status;
    } proxied[] = {{"1.2.3.4", "9.9.9.9", 429}, {"10.0.0.1", "1.2.3.4", 429}, {"10.0.0.1", "1.2.3.4, 9.9.9.9", 400}};
    for (auto& c : proxied) {
        trequest r;
        r.method = "POST";
        r.path = "/api/v1/replays";
        r.address = c.peer;
        r.forwarded = c.forwarded;
        EXPECT_EQ(api.handle(r).status, c.status) << c.peer << " for " << c.forwarded;
    }
    EXPECT_EQ(played, 0);
    bool cors = false;
    for (auto& [k, v] : many.headers) cors |= k == "Access-Control-Allow-Origin" && v == "https://play.example";
    EXPECT_TRUE(cors);
    trequest get;
    get.method = "GET";
    for (const char* query : {"limit=0", "limit=1001", "offset=-1", "limit=1x"}) {
        get.path = "/api/v1/scores";
        get.query.clear();
        std::string q = query;
        get.query[q.substr(0, q.find('='))] = q.substr(q.find('=') + 1);
        EXPECT_EQ(api.handle(get).status, 400) << query;
    }
    get.query.clear();
    get.path = "/api/v1/replays/1";
    EXPECT_EQ(api.handle(get).status, 404);
}
