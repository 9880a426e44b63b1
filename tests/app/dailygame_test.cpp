// The daily challenge in the game: a fresh world from the day's seed whenever it is chosen,
// its own replay that plays back to the same world, and the player's best of each day.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/daily.h"
#include "app/dailygame.h"
#include "app/replay.h"
#include "app/scores.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "game/level.h"
#include "game/world.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace {

// Where two worlds' dumps part, with the text around it ("" when they are the same).
std::string parting(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) i++;
    if (i == a.size() && i == b.size()) return "";
    size_t from = i > 120 ? i - 120 : 0;
    return a.substr(from, 200) + "\n  against\n" + b.substr(from, 200);
}

// The world's dump less the clock readings its input state keeps (the last click's and key's
// time: the clock of the day, not of the game).
std::string lessclock(std::string dump) {
    return std::regex_replace(dump, std::regex("\"(_dblt|_lkeyt)\":-?[0-9]+"), "\"$1\":0");
}

std::string text(const std::string& path) {
    std::vector<unsigned char> b = testsupport::readbytes(path);
    return std::string(b.begin(), b.end());
}

struct dailygame : worldtest {
    testsupport::tempdir dir;
    std::string savedcfg = cfgpath;

    void TearDown() override {
        stoprecording();
        stopplayback();
        cfgpath = savedcfg;
        worldtest::TearDown();
    }
    // A game in the window: its own seed, the title screen for `title` frames from `clockms`,
    // then Game > "Daily challenge" of 2026-12-10 and 10,000 frames of the same input.
    std::string play(int worldseed, int title, double clockms, treplay* recorded = nullptr) {
        EXPECT_EQ(newworld(worldseed), "");
        cfgpath = dir / "varnhold.cfg";
        for (thiscore& row : world->level.hiscore) row.score = -1000000;   // the name entry waits
        world->menu.set(menu_twobuttons, 1);
        clock = clockms;
        startrecording("", worldseed);
        startscores("", dir / "outbox/");
        startdailyclient();
        enter();
        stepframes(title);
        mousemove(300, 200);
        startdaily("2026-12-10");
        EXPECT_EQ(dailyplaying(), "2026-12-10");
        for (int f = 0; f < 10000; f++) {
            if (f % 41 == 0) click(float(60 + f * 53 % 680), float(60 + f * 29 % 260), f % 82 ? 1 : 3);
            stepframes(1);
        }
        EXPECT_EQ(dailyplaying(), "2026-12-10");
        if (recorded) *recorded = recordedreplay();
        return dumpworld(true);
    }
};

}  // namespace

TEST_F(dailygame, two_games_of_a_day_started_at_other_times_reach_the_same_world_and_play_back) {
    treplay r;
    std::string a = play(5, 100, 0, &r);
    EXPECT_NE(world->level.prg, level_title);
    EXPECT_GE(world->level.level, 3);   // a game well under way
    std::string b = play(991, 777, 86400000.0 * 3 + 12345);
    EXPECT_EQ(parting(lessclock(a), lessclock(b)), "");

    // its replay: the day's seed, its daily line, the start as its first event
    std::string text = writereplay(r);
    EXPECT_NE(text.find("\nseed 1109467141\ndaily 2026-12-10\n"), std::string::npos);
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events[0].id, EVENT_MENUACTION);
    EXPECT_EQ(r.events[0].data, menu_start);
    EXPECT_EQ(r.events[0].tick, 0);
    stoprecording();
    treplayread got = parsereplay(text, programversion());
    ASSERT_EQ(got.error, "") << got.line;
    ASSERT_EQ(startplayback(got.replay, "daily.vhr", false), "");
    treplayverdict v = playtoend();
    EXPECT_TRUE(v.same) << v.message;
    EXPECT_EQ(parting(dumpworld(true), a), "");
}

TEST_F(dailygame, a_daily_game_that_ends_is_kept_as_the_days_best_and_its_replay_waits_in_the_outbox) {
    cfgpath = dir / "varnhold.cfg";
    ASSERT_EQ(SaveFile(scoresettingspath(), "send=1\nserver=http://127.0.0.1:9\n"), "");
    for (thiscore& row : world->level.hiscore) row.score = -1000000;
    startrecording("", seed());
    std::filesystem::create_directories(dir / "outbox");
    startscores("", dir / "outbox/");
    startdailyclient();
    startdaily("2026-12-10");
    // nobody defends the city: the game is lost, and its score makes a row
    for (int i = 0; i < 30000 && world->level.prg != level_nameentry; i++) stepframes(1);
    ASSERT_EQ(world->level.prg, level_nameentry);
    tdailybest played{"2026-12-10", world->level.score, world->level.level, ""};
    keychar('Z');
    key(key_enter);
    played.name = world->level.name;
    stepframes(2);
    EXPECT_EQ(dailyplaying(), "");
    EXPECT_TRUE(recording());
    EXPECT_EQ(recordedreplay().daily, "");   // the game goes on, recorded apart

    std::vector<tdailybest> best = parsedailybests(text(dailybestpath()));
    ASSERT_EQ(best.size(), 1u);
    EXPECT_EQ(dailybeststext(best), dailybeststext({played}));

    std::vector<std::string> files = ListFiles(dir / "outbox/");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].rfind("daily-2026-12-10-", 0), 0u) << files[0];
    treplayread got = parsereplay(text(dir / ("outbox/" + files[0])), programversion());
    ASSERT_EQ(got.error, "") << got.line;
    EXPECT_EQ(got.replay.daily, "2026-12-10");
    stoprecording();
    ASSERT_EQ(startplayback(got.replay, "daily.vhr", false), "");
    treplayverdict v = playtoend();
    EXPECT_TRUE(v.same) << v.message;
    EXPECT_EQ(v.dailyresult.score, played.score);
    EXPECT_EQ(v.dailyresult.level, played.level);
    EXPECT_EQ(v.dailyresult.name, played.name);
}

TEST_F(dailygame, a_fresh_world_in_the_running_game_is_the_one_startup_makes) {
    stepframes(300);   // sounds played, samples panned, the raid on its way
    freshworld(77);
    std::string fresh = dumpworld(true);
    ASSERT_EQ(newworld(77), "");
    EXPECT_EQ(parting(fresh, dumpworld(true)), "");
}

TEST(dailybest, each_day_keeps_its_best_game_newest_day_first) {
    std::vector<tdailybest> days =
        parsedailybests("2026-12-09 500 3 Ann Lee\nnot a line\n2026-02-30 900 9 X\n2026-12-10 70 1 Bo\n");
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].date, "2026-12-10");
    EXPECT_EQ(days[1].name, "Ann Lee");
    struct {
        tdailybest game;
        bool best;
    } games[] = {
        {{"2026-12-09", 400, 5, "Cy"}, false},   // a lower score
        {{"2026-12-09", 500, 3, "Cy"}, false},   // as good: the earlier game stays
        {{"2026-12-09", 500, 4, "Cy"}, true},    // as many points, a higher level
        {{"2026-12-11", 10, 1, "Di"}, true},     // a new day, first
        {{"2026-12-01", 10, 1, "Ed"}, true},     // an older day, last
    };
    for (const auto& g : games) EXPECT_EQ(keepdailybest(days, g.game), g.best) << g.game.score;
    EXPECT_EQ(dailybeststext(days), "2026-12-11 10 1 Di\n2026-12-10 70 1 Bo\n2026-12-09 500 4 Cy\n2026-12-01 10 1 Ed\n");
    EXPECT_EQ(dailybeststext(parsedailybests(dailybeststext(days))), dailybeststext(days));
}
