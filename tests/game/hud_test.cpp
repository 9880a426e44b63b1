// tests/game/hud_test.cpp — what the HUD shows: status lines, the big messages of each state,
// the name-entry cursor and the high-score table, read from the headless drawing recorder.
#include <string>
#include <vector>

#include "../support/world.h"
#include "combat/house.h"
#include "combat/particle.h"
#include "framework/font.h"
#include "framework/menutags.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

struct hud : worldtest {
    std::vector<tdrawrecord> drawn;

    void drawhud() {
        ClearDrawRecords();
        world->level.draw();
        drawn = DrawRecords();
    }

    const tdrawrecord* note(const std::string& text) {
        for (auto& r : drawn)
            if (r.op == tdrawrecord::note && r.text == text) return &r;
        return nullptr;
    }
    int notes() {
        int n = 0;
        for (auto& r : drawn) n += r.op == tdrawrecord::note;
        return n;
    }
    std::vector<const tdrawrecord*> ops(tdrawrecord::kind k) {
        std::vector<const tdrawrecord*> v;
        for (auto& r : drawn)
            if (r.op == k) v.push_back(&r);
        return v;
    }

    // Steps the title screen's clock until bit 4 of the tick count is `on`.
    void phase(bool on) {
        while (((TimerTicks(world->timer) & 16) != 0) != on) stepframes(1);
    }
};

void expectcolour(const tdrawrecord* r, int red, int green, int blue) {
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->state.color_red, red) << r->text;
    EXPECT_EQ(r->state.color_green, green) << r->text;
    EXPECT_EQ(r->state.color_blue, blue) << r->text;
}

TEST_F(hud, status_lines_of_a_full_city_in_the_fight) {
    world->level.newlevel();
    world->level.prg = level_fight;
    drawhud();
    const tdrawrecord* city = note("City:10/10");
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->x, 50);
    EXPECT_EQ(city->y, 60);
    expectcolour(city, 200, 200, 200);
    ASSERT_NE(note("Level:1"), nullptr);
    EXPECT_EQ(note("Level:1")->y, 20);
    ASSERT_NE(note("Score:0"), nullptr);
    EXPECT_EQ(note("Score:0")->y, 40);
    ASSERT_NE(note("Missiles:10 (2)"), nullptr);
    EXPECT_EQ(note("Missiles:10 (2)")->y, 80);
    EXPECT_EQ(notes(), 4) << "no message during the fight";
    EXPECT_EQ(DrawState().color_red, 255);
    EXPECT_EQ(DrawState().color_blue, 255);
}

TEST_F(hud, get_ready_on_level_eight_announces_the_rearming) {
    world->level.newlevel();
    world->level.level = 8;
    drawhud();
    const tdrawrecord* ready = note("Get Ready");
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ready->x, 400 - world->wgetready);
    EXPECT_EQ(ready->y, 120);
    EXPECT_EQ(ready->x2, 2) << "drawn at scale 2";
    expectcolour(ready, 255, 255, 0);
    const tdrawrecord* lv = note("Level:8");
    ASSERT_NE(lv, nullptr);
    expectcolour(lv, 255, 255, 255);
    // the big one at 160, the status line at 20
    bool big = false;
    for (auto& r : drawn)
        if (r.op == tdrawrecord::note && r.text == "Level:8" && r.y == 160) {
            big = true;
            EXPECT_EQ(r.x, 400 - world->font.width("Level:8"));
        }
    EXPECT_TRUE(big);
    const tdrawrecord* arm = note("The enemy is rearming");
    ASSERT_NE(arm, nullptr);
    EXPECT_EQ(arm->y, 200);
    EXPECT_EQ(arm->x, 400 - world->wrearming);
    EXPECT_EQ(DrawState().tform_scale_x, 1);

    world->level.level = 7;
    drawhud();
    EXPECT_NE(note("Level:7"), nullptr);
    EXPECT_EQ(note("The enemy is rearming"), nullptr);
}

TEST_F(hud, pause_replaces_the_message_and_keeps_the_status_lines) {
    world->level.newlevel();
    world->level.setpause(1);
    drawhud();
    const tdrawrecord* p = note("Pause");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->y, 120);
    EXPECT_EQ(p->x, 400 - world->font.width("Pause"));
    EXPECT_EQ(note("Get Ready"), nullptr);
    EXPECT_NE(note("City:10/10"), nullptr);
}

TEST_F(hud, game_over_in_pink) {
    world->level.prg = level_gameover;
    drawhud();
    const tdrawrecord* g = note("Game Over");
    expectcolour(g, 255, 150, 150);
    EXPECT_EQ(g->x, 400 - world->wgameover);
}

TEST_F(hud, hidden_text_leaves_only_the_prompt_on_the_title_screen) {
    world->menu.set(menu_hidetext, 1);
    drawhud();
    EXPECT_EQ(notes(), 1);
    const tdrawrecord* start = note("Press right mousebutton or enter to start");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->x, 400 - world->wstart);
    EXPECT_EQ(start->y, 50);
    EXPECT_TRUE(ops(tdrawrecord::line).empty());

    // in the other states the big messages stay
    world->level.prg = level_gameover;
    drawhud();
    EXPECT_NE(note("Game Over"), nullptr);
    EXPECT_EQ(note("City:10/10"), nullptr);
}

TEST_F(hud, start_prompt_changes_colour_every_64_ticks) {
    while ((TimerTicks(world->timer) & 127) != 63) stepframes(1);
    drawhud();
    expectcolour(note(world->txtstart), 40, 205, 105);
    stepframes(1);
    drawhud();
    expectcolour(note(world->txtstart), 200, 200, 200);
}

TEST_F(hud, table_marks_the_last_entered_row) {
    for (int i = 0; i < 10; i++) world->level.hiscore[i] = {"P" + std::to_string(i), 2, 90 - i};
    world->level.highlighthiscore = 3;
    drawhud();
    expectcolour(note("Name"), 255, 255, 255);
    EXPECT_EQ(note("Name")->x, 225);
    EXPECT_EQ(note("Name")->y, 80);
    const tdrawrecord* row3 = note("P3");
    expectcolour(row3, 220, 160, 0);
    EXPECT_EQ(row3->y, 160);
    expectcolour(note("87"), 220, 160, 0);
    EXPECT_EQ(note("87")->x, 525);
    expectcolour(note("P4"), 200, 200, 200);
    auto lines = ops(tdrawrecord::line);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0]->x, 185);
    EXPECT_EQ(lines[0]->x2, 615);
    EXPECT_EQ(lines[5]->y, 200);
    EXPECT_EQ(lines[5]->x, 185);
    EXPECT_EQ(lines[1]->x, 225);
    EXPECT_EQ(lines[1]->x2, 575);
    EXPECT_EQ(lines[1]->state.color_red, 150);
}

TEST_F(hud, name_entry_cursor_blinks_and_is_empty_behind_the_name) {
    world->level.prg = level_nameentry;
    world->level.gohiscore = 2;
    world->level.name = "Ada";
    world->level.inp.pos = 3;
    phase(true);
    drawhud();
    const tdrawrecord* place = note(world->txtplace + "3");
    expectcolour(place, 0, 255, 0);
    EXPECT_EQ(place->x, 400 - world->font.width(world->txtplace + "3"));
    EXPECT_EQ(place->y, 120);
    EXPECT_NE(note("Enter your name"), nullptr);
    const tdrawrecord* name = note("Ada");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->x, 400 - world->font.width("Ada"));
    EXPECT_EQ(name->y, 200);
    auto rects = ops(tdrawrecord::rect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->x2, 0) << "no width behind the last character";
    EXPECT_EQ(rects[0]->y2, world->font.maxh - 1);
    EXPECT_LT(rects[0], name) << "drawn before the name";

    world->level.inp.pos = 1;
    drawhud();
    rects = ops(tdrawrecord::rect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->x, 400 - world->font.width("Ada") + 2 * world->font.width("A"));
    EXPECT_EQ(rects[0]->y, 200);
    EXPECT_EQ(rects[0]->x2, world->font.width("d"));
    EXPECT_EQ(rects[0]->state.tform_scale_x, 2);

    phase(false);
    drawhud();
    EXPECT_TRUE(ops(tdrawrecord::rect).empty());
}

TEST_F(hud, many_particles_are_reported_even_with_hidden_text) {
    world->level.newlevel();
    world->menu.set(menu_hidetext, 1);
    world->particles.d.resize(1500);
    world->particles2.d.resize(600);
    drawhud();
    const tdrawrecord* w = note("Particles:2100");
    expectcolour(w, 240, 100, 20);
    EXPECT_EQ(w->x, 50);
    EXPECT_EQ(w->y, 120);
    EXPECT_EQ(note("Score:0"), nullptr);
}

}  // namespace
