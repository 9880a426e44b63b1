// tests/game/level_test.cpp — the level state machine on a fresh seeded world: starting,
// winning and losing levels, the bonus, the high-score table, pause and the name entry.
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "../support/world.h"
#include "app/applet.h"
#include "combat/fire.h"
#include "combat/gun.h"
#include "combat/house.h"
#include "combat/rocket.h"
#include "framework/assets.h"
#include "framework/input.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

struct levelgame : worldtest {
    std::string cfg;

    void SetUp() override {
        worldtest::SetUp();
        // a new high score saves the settings at once: keep them out of the build folder
        // one file per process: CTest runs the tests of this file side by side
        cfg = ::testing::TempDir() + "level_test." + std::to_string(getpid()) + ".cfg";
        std::remove(cfg.c_str());
        cfgpath = cfg;
    }
    void TearDown() override { std::remove(cfg.c_str()); }

    // Enter on the title screen, then the 180 frames of the first "Get Ready".
    void startfight() {
        key(key_enter);
        stepframes(181);
    }

    // Enemy missiles in the list, fading ones included.
    int enemies() {
        int n = 0;
        for (auto& r : world->rockets.d) n += (r && r->owner == side_enemy) ? 1 : 0;
        return n;
    }

    float enemyspeed() {
        for (auto& r : world->rockets.d)
            if (r && r->owner == side_enemy) return std::hypot(r->speedx, r->speedy);
        return 0;
    }

    // Rows scored 100, 90, ... 10.
    void filltable() {
        for (int i = 0; i < 10; i++) {
            world->level.hiscore[i].name = "Row" + std::to_string(i);
            world->level.hiscore[i].level = 10 - i;
            world->level.hiscore[i].score = 100 - 10 * i;
        }
    }

    // The fight is lost with `score` points; the game-over countdown runs out.
    void loseat(int score) {
        world->level.prg = level_gameover;
        world->level.wait = 0;
        world->level.score = score;
        world->level.level = 6;
        stepframes(1);
    }
};

TEST_F(levelgame, title_screen_waits_with_missiles_at_the_start_speed) {
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.pause, pause_off);
    EXPECT_FLOAT_EQ(world->level.speed, 2.0f);
    EXPECT_EQ(world->level.highlighthiscore, -1);
    EXPECT_EQ(world->level.hiscore[9].name, "Your Name");
    EXPECT_EQ(world->level.inp.lmax, 20);
}

TEST_F(levelgame, level_one_sends_ten_missiles_two_at_a_time_at_seven_tenths) {
    key(key_enter);
    EXPECT_EQ(world->level.prg, level_getready);
    EXPECT_EQ(world->level.level, 1);
    EXPECT_EQ(world->level.allrocket, 10);
    EXPECT_EQ(world->level.maxrocket, 2);
    EXPECT_EQ(world->rockets.count, 0) << "a new game clears the sky";
    stepframes(180);
    EXPECT_EQ(world->level.prg, level_getready) << "the break lasts 180 frames";
    stepframes(1);
    EXPECT_EQ(world->level.prg, level_fight);
    stepframes(1);
    EXPECT_EQ(world->rockets.count, 2);
    EXPECT_EQ(world->level.allrocket, 8);
    EXPECT_NEAR(enemyspeed(), 0.7f, 1e-4);
    for (int i = 0; i < 200; i++) {
        stepframes(1);
        ASSERT_LE(enemies(), 2) << "frame " << i;
    }
}

TEST_F(levelgame, level_four_sends_thirteen_missiles_three_at_a_time) {
    key(key_enter);
    for (int i = 0; i < 3; i++) world->level.nextlevel();
    EXPECT_EQ(world->level.level, 4);
    EXPECT_EQ(world->level.allrocket, 13);
    EXPECT_EQ(world->level.maxrocket, 3);
    EXPECT_FLOAT_EQ(world->level.speed, 1.0f + 0.1f + 0.1f + 0.1f);
    stepframes(182);
    EXPECT_EQ(world->rockets.count, 3);
    EXPECT_EQ(world->level.allrocket, 10);
    EXPECT_NEAR(enemyspeed(), world->level.speed * 0.7f, 1e-4);
}

TEST_F(levelgame, enemy_missile_draws_its_aim_before_its_launch_point) {
    startfight();
    world->rockets.removeall();
    world->level.allrocket = 1;
    trnd expect = world->rnd;
    int tx = expect.upd(800);
    int sx = expect.upd(800);
    world->level.upd();
    ASSERT_TRUE(world->rockets.d[0]);
    EXPECT_EQ(world->rockets.d[0]->impactx, float(tx));
    EXPECT_EQ(world->rockets.d[0]->impacty, 370.0f);
    EXPECT_EQ(world->rockets.d[0]->startx, float(sx));
    EXPECT_EQ(world->rockets.d[0]->starty, 0.0f);
    EXPECT_EQ(world->rockets.d[0]->pic, img_trailenemy);
}

TEST_F(levelgame, won_level_goes_to_get_ready_of_the_next) {
    startfight();
    world->level.allrocket = 0;
    world->rockets.removeall();
    stepframes(1);
    EXPECT_EQ(world->level.prg, level_getready);
    EXPECT_EQ(world->level.level, 2);
    EXPECT_EQ(world->level.wait, 180);
    EXPECT_EQ(world->level.allrocket, 11);
    EXPECT_EQ(world->level.pause, pause_off);
}

TEST_F(levelgame, pause_between_levels_holds_get_ready_until_p) {
    world->menu.set(menu_pausebetween, 1);
    startfight();
    world->level.allrocket = 0;
    world->rockets.removeall();
    stepframes(1);
    EXPECT_EQ(world->level.prg, level_getready);
    EXPECT_EQ(world->level.pause, pause_on);
    stepframes(400);
    EXPECT_EQ(world->level.prg, level_getready) << "the break does not run while paused";
    EXPECT_EQ(world->level.wait, 180);
    key('P');
    EXPECT_EQ(world->level.pause, pause_off);
    stepframes(181);
    EXPECT_EQ(world->level.prg, level_fight);
}

TEST_F(levelgame, bonus_at_level_two_counts_only_standing_turrets) {
    startfight();
    world->level.allrocket = 0;
    world->rockets.removeall();
    stepframes(1);
    ASSERT_EQ(world->level.prg, level_getready);
    world->level.score = 20;
    world->guns.d[0]->ammo = 3;
    world->guns.d[1]->ammo = 0;
    world->guns.d[2]->ammo = 5;
    world->guns.d[2]->operational = 0;
    world->guns.count -= 1;
    stepframes(181);
    EXPECT_EQ(world->level.prg, level_fight);
    EXPECT_EQ(world->level.score, 23);
    for (int i = 0; i < 3; i++) EXPECT_EQ(world->guns.d[i]->ammo, world->level.ammo) << "turret " << i;
    EXPECT_EQ(world->guns.d[2]->operational, 0) << "refilled, not rebuilt";
}

TEST_F(levelgame, losing_all_houses_ends_the_game) {
    startfight();
    world->houses.removeall();
    stepframes(1);
    EXPECT_EQ(world->level.prg, level_gameover);
    EXPECT_EQ(world->level.wait, 180);
}

TEST_F(levelgame, enter_during_the_fight_restarts_at_level_one) {
    startfight();
    world->level.nextlevel();
    world->level.addscore(57);
    ASSERT_EQ(world->level.score, 57);
    key(key_enter);
    EXPECT_EQ(world->level.prg, level_getready);
    EXPECT_EQ(world->level.level, 1);
    EXPECT_EQ(world->level.score, 0);
    EXPECT_EQ(world->level.allrocket, 10);
    EXPECT_EQ(world->houses.count, 10);
    EXPECT_FLOAT_EQ(world->level.speed, 1.0f);
}

TEST_F(levelgame, score_counts_only_while_a_game_is_played) {
    world->level.addscore(5);
    EXPECT_EQ(world->level.score, 0) << "title screen";
    stepframes(3000);
    EXPECT_EQ(world->level.score, 0) << "the self-defending title screen never scores";
    key(key_enter);
    world->level.addscore(5);
    EXPECT_EQ(world->level.score, 5) << "get ready";
    world->level.prg = level_fight;
    world->level.addscore(-8);
    EXPECT_EQ(world->level.score, -3) << "fight";
    world->level.prg = level_gameover;
    world->level.addscore(5);
    world->level.prg = level_nameentry;
    world->level.addscore(5);
    EXPECT_EQ(world->level.score, -3) << "game over and name entry";
}

TEST_F(levelgame, score_equal_to_the_last_row_does_not_enter) {
    filltable();
    loseat(10);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.gohiscore, 10);
    EXPECT_EQ(world->level.highlighthiscore, -1);
    EXPECT_FLOAT_EQ(world->level.speed, 2.0f);
}

TEST_F(levelgame, score_enters_below_equal_scores_and_is_saved_at_once) {
    filltable();
    loseat(50);
    ASSERT_EQ(world->level.prg, level_nameentry);
    EXPECT_EQ(world->level.gohiscore, 6) << "below the row that also holds 50";
    world->level.name = "";
    world->level.inp.pos = 0;
    for (char c : std::string("Ada")) keychar(c);
    key(key_enter);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.highlighthiscore, 6);
    EXPECT_EQ(world->level.hiscore[5].name, "Row5");
    EXPECT_EQ(world->level.hiscore[6].name, "Ada");
    EXPECT_EQ(world->level.hiscore[6].level, 6);
    EXPECT_EQ(world->level.hiscore[6].score, 50);
    EXPECT_EQ(world->level.hiscore[7].name, "Row6");
    EXPECT_EQ(world->level.hiscore[9].name, "Row8") << "the last row drops out";

    // already on disk, with the new row highlighted
    TStream* s = ReadStream(cfg);
    ASSERT_NE(s, nullptr);
    std::string all = ReadString(s, int(StreamSize(s)));
    CloseStream(s);
    EXPECT_NE(all.find("Ada"), std::string::npos);
}

TEST_F(levelgame, right_click_confirms_the_name) {
    filltable();
    loseat(1000);
    ASSERT_EQ(world->level.gohiscore, 0);
    click(400, 200, 2);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.hiscore[0].score, 1000);
    EXPECT_EQ(world->level.hiscore[1].name, "Row0");
}

TEST_F(levelgame, typing_h_in_the_name_also_toggles_the_hidden_text) {
    filltable();
    loseat(70);
    world->level.name = "Ab";
    world->level.inp.pos = 2;
    keydown('H');
    keychar('H');
    keyup('H');
    EXPECT_EQ(world->level.name, "AbH");
    EXPECT_EQ(world->menu.get(menu_hidetext) & 1, 1);
    key('P');
    EXPECT_EQ(world->level.pause, pause_off) << "P does not pause the name entry";
    key(key_enter);
    EXPECT_EQ(world->menu.get(menu_hidetext) & 1, 0) << "confirming shows the table";
    EXPECT_EQ(world->level.hiscore[4].name, "AbH") << "70 goes below the 70 of row 3";
}

TEST_F(levelgame, abandoned_name_entry_makes_no_row_and_marks_none) {
    filltable();
    loseat(70);
    ASSERT_EQ(world->level.prg, level_nameentry);
    world->level.leavelevel();   // "Show hiscore"
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.highlighthiscore, -1);
    EXPECT_EQ(world->level.hiscore[4].name, "Row4");

    // Escape closes the program right after the level has seen it: the name typed so far
    // is kept, but neither a row nor a highlight is saved
    loseat(70);
    ASSERT_EQ(world->level.highlighthiscore, 4);
    world->level.name = "Quitter";
    world->ev.key = 27;
    world->level.updev();
    EXPECT_EQ(world->level.highlighthiscore, -1);
    EXPECT_EQ(world->level.name, "Quitter");
    EXPECT_EQ(world->level.hiscore[4].name, "Row4");
}

// Every way out of the name entry but confirming: a new game from the menu or by Enter's
// menu entry, "Show hiscore", Escape, and closing the game (close box, "Quit", a signal all
// keep the game through keepgame). No row is made and none stays highlighted, also in the
// file that closing writes.
TEST_F(levelgame, every_way_out_of_the_name_entry_but_confirming_highlights_no_row) {
    struct tway {
        const char* what;
        void (*leave)(levelgame&);
    } ways[] = {
        {"menu Start", [](levelgame& t) { t.choose(menu_start); }},
        {"menu Show hiscore", [](levelgame& t) { t.choose(menu_hiscore); }},
        // the level sees Escape first; the close that follows ends the process (keepgame)
        {"Escape",
         [](levelgame&) {
             world->ev.key = 27;
             world->level.updev();
         }},
        {"closing", [](levelgame&) { keepgame(); }},
    };
    for (const tway& w : ways) {
        filltable();
        world->level.highlighthiscore = 1;   // an earlier entry
        loseat(70);
        ASSERT_EQ(world->level.prg, level_nameentry) << w.what;
        ASSERT_EQ(world->level.highlighthiscore, 4) << w.what;
        std::remove(cfg.c_str());
        w.leave(*this);
        EXPECT_EQ(world->level.highlighthiscore, -1) << w.what;
        EXPECT_EQ(world->level.hiscore[4].name, "Row4") << w.what;
        if (TStream* s = ReadStream(cfg)) {   // written by closing
            tlevel back;
            world->win.load(s, 0);
            for (int i = 0; i < 6; i++) ReadByte(s);
            back.load(s);
            CloseStream(s);
            EXPECT_EQ(back.highlighthiscore, -1) << w.what;
            EXPECT_EQ(back.hiscore[4].name, "Row4") << w.what;
        }
        world->level.prg = level_title;
    }
    EXPECT_EQ(FileType(cfg), 1) << "closing saved nothing";
}

TEST_F(levelgame, p_and_right_click_pause_and_resume_the_fight) {
    startfight();
    key('P');
    EXPECT_EQ(world->level.pause, pause_on);
    int left = world->level.allrocket;
    stepframes(100);
    EXPECT_EQ(world->level.allrocket, left);
    click(400, 200, 2);
    EXPECT_EQ(world->level.pause, pause_off);
    world->level.prg = level_title;
    world->level.setpause(1);
    EXPECT_EQ(world->level.pause, pause_off) << "the title screen cannot be paused";
}

TEST_F(levelgame, leaving_refills_the_turrets_for_two_buttons) {
    world->menu.set(menu_twobuttons, 1);
    startfight();
    world->guns.d[1]->ammo = 1;
    world->level.leavelevel();
    EXPECT_EQ(world->level.ammo, 8);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.allrocket, 0);
    for (int i = 0; i < 3; i++) EXPECT_EQ(world->guns.d[i]->ammo, 8);
}

TEST_F(levelgame, title_screen_rebuilds_turrets_after_800_frames_and_houses_at_once) {
    for (auto& g : world->guns.d) g->operational = 0;
    world->guns.count = 0;
    world->houses.removeall();
    stepframes(1);
    EXPECT_EQ(world->houses.count, 10);
    stepframes(799);
    EXPECT_EQ(world->guns.count, 0);
    stepframes(1);
    EXPECT_EQ(world->guns.count, 3);
    EXPECT_EQ(world->level.waitgun, 799);
}

TEST_F(levelgame, title_screen_launches_only_on_every_32nd_tick) {
    int launches = 0;
    for (int i = 0; i < 3200; i++) {
        int before = world->rockets.count;
        stepframes(1);
        if (world->rockets.count > before) {
            launches++;
            EXPECT_EQ(TimerTicks(world->timer) & 31, 0) << "tick " << TimerTicks(world->timer);
        }
    }
    // one chance in ten on each of the 100 ticks
    EXPECT_GT(launches, 0);
    EXPECT_LT(launches, 30);
}

// --- the settings records of the level ---

std::string savedbytes(tlevel& l) {
    std::string path = ::testing::TempDir() + "level_records.bin";
    TStream* w = WriteStream(path);
    l.save(w);
    CloseStream(w);
    TStream* r = ReadStream(path);
    std::string all = ReadString(r, int(StreamSize(r)));
    CloseStream(r);
    std::remove(path.c_str());
    return all;
}

TEST(levelrecords, none_highlighted_is_five_bytes_and_scores_are_varints) {
    tlevel l;
    l.name = "Al";
    l.level = 3;
    l.score = 300;
    std::string b = savedbytes(l);
    EXPECT_EQ(b.substr(0, 11), std::string("\x02" "Al" "\x03" "\xac\x02" "\xff\xff\xff\xff\x0f", 11));
    // ten rows of "Your Name", 1, 0 follow
    EXPECT_EQ(b.size(), 11u + 10u * (1 + 9 + 1 + 1));
}

TEST(levelrecords, read_back_what_was_written) {
    tlevel a;
    a.name = "N\xe9mo";
    a.level = 12;
    a.score = -40;
    a.highlighthiscore = 4;
    a.hiscore[4] = {"Zo\xeb", 9, 123456};
    std::string path = ::testing::TempDir() + "level_roundtrip.bin";
    TStream* w = WriteStream(path);
    a.save(w);
    CloseStream(w);
    tlevel b;
    TStream* r = ReadStream(path);
    b.load(r);
    CloseStream(r);
    std::remove(path.c_str());
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.level, 12);
    EXPECT_EQ(b.score, -40);
    EXPECT_EQ(b.highlighthiscore, 4);
    EXPECT_EQ(b.hiscore[4].name, "Zo\xeb");
    EXPECT_EQ(b.hiscore[4].score, 123456);
}

TEST(levelrecords, file_cut_in_a_row_keeps_the_defaults_from_there) {
    tlevel a;
    for (int i = 0; i < 10; i++) a.hiscore[i] = {"P" + std::to_string(i), i + 1, 10 * i};
    std::string path = ::testing::TempDir() + "level_cut.bin";
    TStream* w = WriteStream(path);
    a.save(w);
    CloseStream(w);
    std::string all;
    {
        TStream* r = ReadStream(path);
        all = ReadString(r, int(StreamSize(r)));
        CloseStream(r);
    }
    // keep the header and rows 0 and 1, plus the name of row 2 with a length that runs on
    size_t cut = all.find("P2");
    std::string damaged = all.substr(0, cut - 1) + "\x7f" "P2";
    w = WriteStream(path);
    WriteString(w, damaged);
    CloseStream(w);
    tlevel b;
    TStream* r = ReadStream(path);
    b.load(r);
    CloseStream(r);
    std::remove(path.c_str());
    EXPECT_EQ(b.hiscore[1].name, "P1");
    EXPECT_EQ(b.hiscore[1].score, 10);
    EXPECT_EQ(b.hiscore[2].name, "Your Name");
    EXPECT_EQ(b.hiscore[2].score, 0);
    EXPECT_EQ(b.hiscore[9].name, "Your Name");
}

}  // namespace
