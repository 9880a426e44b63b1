// Replays: the text format and its damaged forms, and a game recorded in-process that plays
// back to the same world, or names the first frame where it no longer does.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/applet.h"
#include "app/replay.h"
#include "app/replayfile.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace {

// A replay with every kind of event, a name that needs escapes, and checkpoints every 2 frames.
treplay sample() {
    treplay r;
    r.program = "1.0.0.6181";
    r.data = 0xfedcba9876543210ull;
    r.seed = -5;
    r.clock = 1000;
    r.settings.name = "Zo\xeb \"Z\" \\";
    r.settings.language = 102;
    r.settings.languagename = "Deutsch";
    r.settings.rows[3] = {"Ann", 4, 300};
    r.checkevery = 2;
    r.events = {
        {0, 0, replaycanvas, 0, 0, 800, 400}, {0, 5, EVENT_MOUSEMOVE, 0, 0, 400, 200},
        {1, 10, EVENT_MOUSEDOWN, 1}, {1, 12, EVENT_MOUSEUP, 1}, {1, 15, EVENT_KEYDOWN, 116, 1},
        {2, 20, EVENT_KEYCHAR, 228}, {3, 25, EVENT_KEYUP, 116}, {3, 25, EVENT_MOUSEWHEEL, -2},
        {4, 30, EVENT_MENUACTION, 6}, {4, 30, EVENT_APPSUSPEND}, {4, 30, EVENT_APPRESUME},
        {5, 40, EVENT_MOUSEENTER}, {5, 40, EVENT_MOUSELEAVE}, {5, 41, 0x2001, 7, 2, -3, 9},
    };
    r.checks = {{2, 0x0123456789abcdefull, "AB"}, {4, 1, "+/"}};
    r.end = {5, 0xfedcba9876543210ull, "z"};
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> r;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) r.push_back(l);
    return r;
}

std::string text(const std::string& path) {
    std::vector<unsigned char> b = testsupport::readbytes(path);
    return std::string(b.begin(), b.end());
}

std::string join(const std::vector<std::string>& l) {
    std::string t;
    for (const std::string& s : l) t += s + "\n";
    return t;
}

}  // namespace

TEST(replayfile, a_replay_reads_back_as_it_was_written) {
    std::string text = writereplay(sample());
    treplayread got = parsereplay(text, "1.0.0.6181");
    ASSERT_EQ(got.error, "") << "line " << got.line;
    EXPECT_EQ(writereplay(got.replay), text);
    EXPECT_EQ(got.replay.settings.name, "Zo\xeb \"Z\" \\");
    EXPECT_EQ(got.replay.seed, -5);
    EXPECT_EQ(got.replay.data, 0xfedcba9876543210ull);
    ASSERT_EQ(got.replay.events.size(), 14u);
    const treplayevent& other = got.replay.events.back();
    EXPECT_EQ(other.id, 0x2001);
    EXPECT_EQ(other.x, -3);
    EXPECT_NE(text.find("name \"Zo\\xeb \\\"Z\\\" \\\\\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1 15 key 116 1\n"), std::string::npos);
}

TEST(replayfile, a_damaged_replay_is_refused_with_its_line_and_why) {
    // Each case replaces the first line that starts with `from` by `to` ("" removes it); the
    // error is on that line's place, or `shift` lines further.
    struct tcase {
        const char* from;
        const char* to;
        int shift;
        const char* says;
    } cases[] = {
        {"varnhold-replay", "varnhold-replay 5", 0, "replay format 5; this program reads formats 1 to 4"},
        {"data", "", 0, "a \"data\" line with the digest of the data files"},
        {"data", "data fedcba98765432", 0, "16 hex digits"},
        {"seed", "", 0, "expected the \"seed\" line"},
        {"seed", "seed 5000000000", 0, "seed must be a whole number"},
        {"volume", "volume 11", 0, "volume must be a whole number from 0 to 10"},
        {"row 3", "row 4 \"Ann\" 4 300", 0, "expected high-score row 3"},
        {"name", "name \"Zo", 0, "not closed"},
        {"1 10 down", "1 10 down 40", 0, "mouse button must be a whole number from 1 to 31"},
        {"1 15 key", "1 15 key 300 1", 0, "key code"},
        {"2 20 char", "0 20 char 228", 0, "events out of order: frame 0 comes after frame 1"},
        {"2 20 char", "3 20 char 228", 1, "a checkpoint for frame 2 after frame 3"},
        {"3 25 keyup", "3 2 keyup 116 0", 0, "the clock goes back from 20 to 2"},
        {"3 25 wheel", "3 25 jump", 0, "unknown event \"jump\""},
        {"4 30 menu", "4 30 menu", 0, "expected \"FRAME CLOCK menu menu tag\""},
        {"check 4", "check 6 0000000000000001 +/AB", 0, "checkpoint for frame 6 where frame 4 was due"},
        {"check 2", "check 2 0123 AB", 0, "a digest is 16 digits"},
        {"check 2", "check 2 0123456789abcdef A", 0, "must have 2 characters, not 1"},
        {"end", "end 5 fedcba9876543210 zz", 0, "must have 1 characters, not 2"},
        {"end", "end 5 fedcba9876543210 z\n5 50 enter", 1, "text after the end line"},
    };
    std::vector<std::string> good = lines(writereplay(sample()));
    for (const tcase& c : cases) {
        std::vector<std::string> l = good;
        size_t at = 0;
        while (at < l.size() && l[at].rfind(c.from, 0) != 0) at++;
        ASSERT_LT(at, l.size()) << c.from;
        if (*c.to) l[at] = c.to;
        else l.erase(l.begin() + long(at));
        treplayread got = parsereplay(join(l));
        EXPECT_EQ(got.line, int(at) + 1 + c.shift) << c.to;
        EXPECT_NE(got.error.find(c.says), std::string::npos) << c.to << ": " << got.error;
        EXPECT_TRUE(got.replay.events.empty());
    }

    // a word of a thousand characters is quoted cut short
    for (const char* from : {"seed", "3 25 wheel"}) {
        std::vector<std::string> l = good;
        for (std::string& line : l)
            if (line.rfind(from, 0) == 0) line = std::string(from == std::string("seed") ? "seed " : "3 25 ") + std::string(1000, '9');
        treplayread got = parsereplay(join(l));
        EXPECT_NE(got.error.find("\"99999999999999999999...\""), std::string::npos) << got.error;
        EXPECT_LT(got.error.size(), 200u) << from;
    }

    // cut short: inside the header, before the end line, inside the last line
    std::string text = join(good);
    EXPECT_EQ(parsereplay(join({good.begin(), good.begin() + 8})).error, "the file ends inside its header: it is cut short");
    treplayread noend = parsereplay(join({good.begin(), good.end() - 1}));
    EXPECT_EQ(noend.error, "the file ends before its \"end\" line: it is cut short");
    EXPECT_EQ(noend.line, int(good.size()) - 1);
    treplayread cut = parsereplay(text.substr(0, text.size() - 3));
    EXPECT_EQ(cut.error, "the last line has no line end: the file is cut short");
    EXPECT_EQ(cut.line, int(good.size()));
    // another version of the program
    treplayread other = parsereplay(text, "1.0.1.7000");
    EXPECT_EQ(other.line, 3);
    EXPECT_NE(other.error.find("recorded by Varnhold 1.0.0.6181; this is Varnhold 1.0.1.7000"), std::string::npos);
    // format 1 has no data line
    std::vector<std::string> one = good;
    one[1] = "varnhold-replay 1";
    one.erase(one.begin() + 3);
    treplayread old = parsereplay(join(one));
    EXPECT_EQ(old.error, "");
    EXPECT_EQ(old.replay.data, 0u);
}

TEST(replayfile, a_daily_replay_names_its_day_and_holds_that_days_seed) {
    treplay r = sample();
    r.seed = 1109467141;   // the daily seed of 2026-12-10
    r.daily = "2026-12-10";
    std::vector<std::string> good = lines(writereplay(r));
    treplayread got = parsereplay(join(good));
    ASSERT_EQ(got.error, "") << "line " << got.line;
    EXPECT_EQ(got.replay.daily, "2026-12-10");
    EXPECT_EQ(writereplay(got.replay), join(good));
    ASSERT_EQ(good[5], "daily 2026-12-10");   // right after the seed line
    struct {
        int at;
        const char* to;
        const char* says;
    } cases[] = {
        {4, "seed 1109467142", "seed 1109467142 is not the daily seed of 2026-12-10"},
        {4, "seed 1294366724", "seed 1294366724 is not the daily seed of 2026-12-10"},   // another day's
        {5, "daily 2026-02-29", "the daily line needs a date from 2000-01-01 to 2099-12-31, not \"2026-02-29\""},
        {5, "daily \"2026-12-10\"", "not \"2026-12-10\""},
        {5, "daily 2026-12-10 2026-12-11", "expected \"daily YYYY-MM-DD\""},
        {1, "varnhold-replay 3", "expected the \"clock\" line here"},   // format 3 has no daily line
    };
    for (const auto& c : cases) {
        std::vector<std::string> l = good;
        l[size_t(c.at)] = c.to;
        treplayread bad = parsereplay(join(l));
        EXPECT_EQ(bad.line, 6) << c.to;
        EXPECT_NE(bad.error.find(c.says), std::string::npos) << c.to << ": " << bad.error;
    }
}

namespace {

struct replaygame : worldtest {
    testsupport::tempdir dir;
    std::string savedcfg = cfgpath;

    void TearDown() override {
        stoprecording();
        stopplayback();
        cfgpath = savedcfg;
        worldtest::TearDown();
    }
    // The replay as a file would carry it.
    treplay reread(const treplay& r) {
        treplayread got = parsereplay(writereplay(r), programversion());
        EXPECT_EQ(got.error, "") << "line " << got.line;
        return got.replay;
    }
};

}  // namespace

TEST_F(replaygame, a_recorded_game_plays_back_to_the_same_world_without_the_settings_file) {
    // A player's settings: another name, a high score, volume 3, an option ticked, level 5.
    cfgpath = dir / "varnhold.cfg";
    world->level.name = "Zo\xeb";
    world->level.level = 5;
    world->level.hiscore[0] = {"Ann", 4, 300};
    world->volume.set(-2);
    world->menu.set(menu_autobutton, 1);
    ASSERT_EQ(savesettings(), "");
    tstartup how;
    how.seeded = true;
    how.seed = 3;
    ASSERT_EQ(startup(how), "");
    ASSERT_EQ(world->level.maxrocket, 3);
    startrecording("", 3);

    // On a canvas of 1000 x 500 (scale 1.25): start, shoot, pause with P and the menu, hold
    // F5, lose the focus; then on a smaller canvas shoot again.
    SetGadgetShape(world->can.g, 0, 0, 1000, 500);
    rescale();
    enter();
    mousemove(300, 150);
    stepframes(10);
    key(key_enter);
    stepframes(200);
    click(250, 100, 1);
    click(600, 120, 3);
    stepframes(30);
    key('P');
    stepframes(20);
    key('P');
    keydown(key_f5);
    stepframes(100);
    keyup(key_f5);
    choose(menu_pause);
    stepframes(15);
    choose(menu_pause);
    EmitEvent(CreateEvent(EVENT_APPSUSPEND, nullptr));
    stepframes(5);
    key('P');
    SetGadgetShape(world->can.g, 0, 0, 600, 300);
    rescale();
    click(400, 100, 1);
    stepframes(125);
    ASSERT_EQ(world->level.prg, level_fight);
    ASSERT_LT(world->level.allrocket, world->level.allrocket2);
    treplay r = recordedreplay();
    std::string recorded = dumpworld(true);
    stoprecording();
    std::filesystem::remove(cfgpath);

    ASSERT_EQ(startplayback(reread(r), "game.vhr", false), "");
    treplayverdict v = playtoend();
    EXPECT_TRUE(v.same) << v.message;
    EXPECT_EQ(v.message, "game.vhr: the same world as recorded after 505 frames");
    EXPECT_EQ(dumpworld(true), recorded);
    EXPECT_EQ(world->level.hiscore[0].name, "Ann");
    EXPECT_EQ(world->level.name, "Zo\xeb");
    EXPECT_FALSE(std::filesystem::exists(cfgpath)) << "a playback wrote the settings";
}

TEST_F(replaygame, a_replay_that_drifts_names_the_first_frame_that_differs) {
    startrecording("", seed());
    stepframes(30);
    key(key_enter);   // the game starts after frame 30 ...
    stepframes(100);
    treplay r = recordedreplay();
    stoprecording();
    for (treplayevent& e : r.events)
        if (e.tick == 30) e.tick = 40;   // ... and in the playback ten frames later

    ASSERT_EQ(startplayback(reread(r), "late.vhr", false), "");
    treplayverdict v = playtoend();
    EXPECT_FALSE(v.same);
    EXPECT_EQ(v.firstframe, 30);
    EXPECT_NE(v.message.find("late.vhr: the world differs from the recording: first at frame 30"), std::string::npos) << v.message;
    EXPECT_NE(v.message.find("record the replay again"), std::string::npos);
    EXPECT_EQ(replayexitstatus(0), 1);
}

TEST_F(replaygame, the_digest_leaves_out_the_window_the_clock_and_the_sound_device) {
    uint64_t d = worlddigest();
    SetGadgetShape(world->can.g, 0, 0, 1234, 567);
    rescale();
    world->ms += 5000;
    world->volume.set(3);
    world->snd.setvol(world->volume.vol);
    EXPECT_EQ(worlddigest(), d);
    world->level.score += 1;
    EXPECT_NE(worlddigest(), d);
}

TEST_F(replaygame, the_replay_is_written_whenever_the_settings_are_and_a_playback_writes_neither) {
    cfgpath = dir / "varnhold.cfg";
    std::string path = dir / "game.vhr";
    startrecording(path, seed());
    key(key_enter);
    stepframes(70);
    ASSERT_EQ(savesettings(), "");   // as after a new high-score row, or on closing
    treplayread got = parsereplay(text(path), programversion());
    ASSERT_EQ(got.error, "") << "line " << got.line;
    EXPECT_EQ(got.replay.end.frame, 70);
    EXPECT_EQ(got.replay.checks.size(), 1u);
    stoprecording();
    std::filesystem::remove(cfgpath);

    ASSERT_EQ(startplayback(got.replay, "game.vhr", false), "");
    EXPECT_TRUE(playtoend().same);
    EXPECT_EQ(savesettings(), "");
    EXPECT_FALSE(std::filesystem::exists(cfgpath));
}

TEST_F(replaygame, a_playback_gives_the_games_result_at_its_game_over_and_the_name_at_its_end) {
    cfgpath = dir / "varnhold.cfg";
    for (thiscore& row : world->level.hiscore) row.score = -100000;   // any score makes a row
    startrecording("", seed());
    key(key_enter);
    // nobody defends the city: the game is lost within a few levels
    for (int i = 0; i < 30000 && world->level.prg != level_gameover; i++) stepframes(1);
    ASSERT_EQ(world->level.prg, level_gameover);
    treplayrow over = {"", world->level.level, world->level.score};
    treplay lost = recordedreplay();
    while (world->level.prg != level_nameentry) stepframes(1);
    keychar('Z');
    key(key_enter);
    stepframes(5);
    ASSERT_EQ(world->level.prg, level_title);
    std::string typed = world->level.name;
    ASSERT_NE(typed, "Your Name");
    treplay named = recordedreplay();
    stoprecording();

    struct {
        const treplay& r;
        std::string name;
    } cases[] = {{lost, "Your Name"}, {named, typed}};
    for (const auto& c : cases) {
        ASSERT_EQ(startplayback(reread(c.r), "game.vhr", false), "");
        treplayverdict v = playtoend();
        ASSERT_TRUE(v.same) << v.message;
        EXPECT_EQ(v.dailyresult.score, over.score);
        EXPECT_EQ(v.dailyresult.level, over.level);
        EXPECT_EQ(v.dailyresult.name, c.name);
        stopplayback();
    }
}
