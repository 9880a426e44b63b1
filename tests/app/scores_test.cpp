// The score server's client: scores.cfg, the outbox and the server's answers, the menu entries.
// The headless network holds every request until the test answers it.
#include <gtest/gtest.h>

#include <string>

#include "app/replay.h"
#include "app/scores.h"
#include "app/world.h"
#include "framework/menutags.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace {

struct scores : worldtest {
    testsupport::tempdir dir;
    testsupport::keepenv data{"XDG_DATA_HOME"};
    std::string savedcfg;

    void SetUp() override {
        worldtest::SetUp();
        if (IsSkipped()) return;
        savedcfg = cfgpath;
        cfgpath = dir / "varnhold.cfg";
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        testing::internal::CaptureStderr();   // what an earlier test left unanswered
        while (!HttpPending().empty()) AnswerHttp(0, {0, "", "dropped"});
        testing::internal::GetCapturedStderr();
        ClearLaunched();
    }
    void TearDown() override {
        if (!savedcfg.empty()) cfgpath = savedcfg;
        worldtest::TearDown();
    }
    // The client as the game starts it, with sending on or off, recording this world.
    void start(bool send) {
        testsupport::writetext(dir / "scores.cfg", std::string("send=") + (send ? "1" : "0") + "\nserver=http://s.example:81/\n");
        startrecording("", 1);
        startscores("", dir / "outbox/");
        std::filesystem::create_directories(dir / "outbox");
    }
    std::vector<std::string> outbox() { return ListFiles(dir / "outbox/"); }
    // The answer to the only pending request, with what the client said on standard error.
    std::string answer(int status, const std::string& body, const std::string& error = "") {
        EXPECT_EQ(HttpPending().size(), 1u);
        testing::internal::CaptureStderr();
        AnswerHttp(0, {status, body, error});
        return testing::internal::GetCapturedStderr();
    }
};

}  // namespace

TEST(scoresettings, the_file_reads_back_and_keeps_lines_it_does_not_know) {
    tscoresettings s = parsescoresettings("# mine\r\n send = 1\nserver= https://h.example/x \nfuture=2\n");
    EXPECT_TRUE(s.send);
    EXPECT_EQ(s.server, "https://h.example/x");
    EXPECT_EQ(scoresettingstext(s), "send=1\nserver=https://h.example/x\n# mine\r\nfuture=2\n");
    EXPECT_FALSE(parsescoresettings("send=yes\n").send);
    EXPECT_EQ(scoresettingstext(parsescoresettings("")), "send=0\n");
}

TEST(scoresettings, failures_double_the_wait_up_to_about_an_hour) {
    const int waits[][2] = {{0, 0}, {1, 30000}, {2, 60000}, {3, 120000}, {8, 3840000}, {40, 3840000}};
    for (auto& w : waits) EXPECT_EQ(scoresbackoff(w[0]), w[1]) << w[0];
}

TEST_F(scores, a_row_made_goes_into_the_outbox_and_its_rank_onto_standard_error) {
    start(true);
    stepframes(30);
    scorerowmade();
    ASSERT_EQ(outbox().size(), 1u);
    std::string kept;
    ASSERT_TRUE(ReadFile(dir / "outbox/" + outbox()[0], kept));
    ASSERT_EQ(HttpPending().size(), 1u);
    EXPECT_EQ(HttpPending()[0].method, "POST");
    EXPECT_EQ(HttpPending()[0].url, "http://s.example:81/api/v1/replays");
    EXPECT_EQ(HttpPending()[0].body, kept);
    EXPECT_EQ(parsereplay(kept, programversion()).replay.end.frame, 30);
    std::string said = answer(201, R"({"stored": true, "entries": [{"rank":3,"name":"A","score":750,"level":2}]})");
    EXPECT_NE(said.find("rank 3 (score 750)"), std::string::npos) << said;
    EXPECT_TRUE(outbox().empty());
    stepframes(10);
    EXPECT_TRUE(HttpPending().empty());
    // the player sees it in the game for a few seconds
    EXPECT_EQ(scoresline(), "Shared high scores: your score is number 3");
    stepframes(8 * 60);
    EXPECT_EQ(scoresline(), "");
}

TEST_F(scores, the_server_down_keeps_the_replay_and_tries_again_later_and_at_the_next_start) {
    start(true);
    scorerowmade();
    EXPECT_NE(answer(0, "", "Connection refused").find("Connection refused"), std::string::npos);
    EXPECT_EQ(outbox().size(), 1u);
    // 30 s, then 60 s after a busy server; a refused retry says nothing more
    stepframes(29 * 60);
    EXPECT_TRUE(HttpPending().empty());
    stepframes(2 * 60);
    EXPECT_EQ(answer(503, R"({"error":"busy"})"), "");
    stepframes(58 * 60);
    EXPECT_TRUE(HttpPending().empty());
    stepframes(3 * 60);
    EXPECT_EQ(HttpPending().size(), 1u);
    AnswerHttp(0, {0, "", "down"});
    // the next start tries at once
    startscores("", dir / "outbox/");
    stepframes(1);
    answer(200, R"({"stored": false, "entries": [{"rank":1}]})");
    EXPECT_TRUE(outbox().empty());
}

TEST_F(scores, a_later_row_while_the_replay_is_on_its_way_is_sent_next) {
    start(true);
    scorerowmade();
    std::string first = HttpPending()[0].body;
    stepframes(60);
    scorerowmade();   // the same session's file, now longer
    ASSERT_EQ(outbox().size(), 1u);
    answer(201, R"({"stored": true, "entries": [{"rank":1}]})");
    ASSERT_EQ(outbox().size(), 1u);
    stepframes(1);
    ASSERT_EQ(HttpPending().size(), 1u);
    EXPECT_NE(HttpPending()[0].body, first);
    EXPECT_EQ(parsereplay(HttpPending()[0].body, programversion()).replay.end.frame, 60);
    answer(201, R"({"stored": true, "entries": [{"rank":1}]})");
    EXPECT_TRUE(outbox().empty());
}

TEST_F(scores, a_refusal_takes_the_replay_out_of_the_queue_with_one_line_but_a_rate_limit_does_not) {
    start(true);
    scorerowmade();
    std::string said = answer(429, R"({"error":"too many"})");
    EXPECT_EQ(outbox().size(), 1u);
    stepframes(31 * 60);
    said = answer(422, R"({"error":"the game made no high-score row"})");
    EXPECT_EQ(said.rfind("varnhold: the score server http://s.example:81 refused session-", 0), 0u) << said;
    EXPECT_EQ(said.substr(said.find(".vhr")), ".vhr (422): the game made no high-score row\n");
    EXPECT_EQ(scoresline(), "Shared high scores: not taken, the game made no high-score row");
    EXPECT_TRUE(outbox().empty());
}

TEST_F(scores, nothing_leaves_until_the_player_ticks_the_entry_which_no_replay_records) {
    start(false);
    scorerowmade();
    stepframes(5);
    EXPECT_TRUE(outbox().empty());
    EXPECT_TRUE(HttpPending().empty());
    EXPECT_EQ(world->menu.get(menu_sendscores), 0);
    choose(menu_sendscores);
    EXPECT_EQ(world->menu.get(menu_sendscores), 1);
    std::string cfg;
    ASSERT_TRUE(ReadFile(dir / "scores.cfg", cfg));
    EXPECT_EQ(cfg, "send=1\nserver=http://s.example:81/\n");
    for (const treplayevent& e : recordedreplay().events) EXPECT_NE(e.id, EVENT_MENUACTION);
    scorerowmade();
    EXPECT_EQ(outbox().size(), 1u);
    EXPECT_EQ(HttpPending().size(), 1u);
}

TEST_F(scores, the_best_game_is_fetched_and_played_by_the_replay_viewer) {
    start(false);
    // a server of another version: said in the game, and no viewer
    choose(menu_watchbest);
    answer(200, R"({"total":2,"offset":0,"scores":[{"rank":1,"replay":"\/api\/v1\/replays\/7"}]})");
    answer(200, "varnhold-replay 2\nprogram 0.9.0.1\n");
    EXPECT_TRUE(Launched().empty());
    EXPECT_EQ(scoresline(), "Can't watch the best game: recorded by version 0.9.0.1; this is version " + programversion());
    choose(menu_watchbest);
    ASSERT_EQ(HttpPending().size(), 1u);
    EXPECT_EQ(HttpPending()[0].url, "http://s.example:81/api/v1/scores?limit=1");
    answer(200, R"({"total":2,"offset":0,"scores":[{"rank":1,"replay":"\/api\/v1\/replays\/7"}]})");
    ASSERT_EQ(HttpPending().size(), 1u);
    EXPECT_EQ(HttpPending()[0].url, "http://s.example:81/api/v1/replays/7");
    const std::string ours = "varnhold-replay 2\nprogram " + programversion() + "\n";
    answer(200, ours);
    std::string best = dir / "data/varnhold/best.vhr", got;
    ASSERT_TRUE(ReadFile(best, got));
    EXPECT_EQ(got, ours);
    ASSERT_EQ(Launched().size(), 1u);
    EXPECT_EQ(Launched()[0], "self --replay " + best);

    choose(menu_sharedscores);
    EXPECT_EQ(Launched().back(), "http://s.example:81/");
}

TEST_F(scores, a_best_game_that_cannot_be_fetched_is_said) {
    start(false);
    const struct {
        int status;
        const char* body;
        const char* said;
    } cases[] = {{0, "", "Connection refused"},
                 {200, R"({"total":0,"offset":0,"scores":[]})", "the table is empty"},
                 {503, R"({"error":"busy"})", "the server answered 503: busy"}};
    for (auto& c : cases) {
        choose(menu_watchbest);
        std::string said = answer(c.status, c.body, c.said);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
    }
    EXPECT_TRUE(Launched().empty());
}
