// Turrets: firing by buttons and keys in the three mouse options, cool-down, strikes through
// opaque base pixels, the rearranging of slots, drawing.
#include "framework/font.h"
#include "framework/menutags.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

struct turrets : fight {
    void SetUp() override {
        fight::SetUp();
        onehouse(0, 200);             // clear of all three turrets
    }

    // One input event as the turrets see it: the cursor, released and held buttons, a key.
    static void input(int x, int y, int up, int down, int key) {
        world->ev.x = x;
        world->ev.y = y;
        world->ev.up = up;
        world->ev.down = down;
        world->ev.key = key;
        world->guns.updev();
    }

    // The newest player missile and its turret's x, or null.
    static trocketdata* lastshot(int before) {
        int i = before;
        return i < static_cast<int>(world->rockets.d.size()) && world->rockets.d[i] ? world->rockets.d[i].get()
                                                                                    : nullptr;
    }

    // An enemy missile over an opaque (or transparent) pixel of turret slot i's base, one frame.
    trocketdata& strike(int i, bool opaque = true) {
        int col, row;
        EXPECT_TRUE(findpixel(img_turretbase, opaque, col, row));
        tgundata& g = *world->guns.d[i];
        float px = g.x - turretbasew2 + static_cast<float>(col) + 0.5f;
        float py = g.y - static_cast<float>(img_turretbase->height) + static_cast<float>(row) + 0.5f;
        trocketdata& r = enemy(px, py - 0.5f, px, 400, 0.5f);
        stepframes(1);
        return r;
    }
};

TEST_F(turrets, out_of_the_box_buttons_and_keys_fire_their_own_turret) {
    const int up[3] = {4, 2, 1};
    const int keys[3][2] = {{40, 83}, {39, 68}, {37, 65}};
    for (int i = 0; i < 3; i++) {
        for (int k = 0; k < 3; k++) {
            int slot = firstempty(world->rockets);
            if (k < 2) input(300, 200, 0, 0, keys[i][k]);
            else input(300, 200, up[i], 0, 0);
            trocketdata* r = lastshot(slot);
            ASSERT_TRUE(r) << "turret " << i << " input " << k;
            EXPECT_EQ(r->startx, world->guns.d[i]->x);
            EXPECT_EQ(r->owner, side_player);
            EXPECT_FLOAT_EQ(r->steps * 2, std::sqrt((300 - r->startx) * (300 - r->startx) + 170 * 170));
            world->guns.d[i]->cooldown = 0;
        }
        EXPECT_EQ(world->guns.d[i]->ammo, 3);
    }
}

TEST_F(turrets, shot_aimed_below_355_flies_to_355) {
    int slot = firstempty(world->rockets);
    input(300, 390, 0, 0, 65);
    trocketdata* r = lastshot(slot);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->impactx, 300);
    EXPECT_EQ(r->impacty, 355);
    EXPECT_EQ(r->startx, 100);
    EXPECT_EQ(r->wait, 1);
}

TEST_F(turrets, turret_cools_down_for_20_frames_between_shots) {
    tgundata& g = *world->guns.d[2];
    input(300, 100, 0, 0, 65);
    EXPECT_EQ(g.ammo, 5);
    EXPECT_EQ(g.cooldown, 20);
    stepframes(19);
    input(300, 100, 0, 0, 65);
    EXPECT_EQ(g.ammo, 5);
    stepframes(1);
    input(300, 100, 0, 0, 65);
    EXPECT_EQ(g.ammo, 4);
}

TEST_F(turrets, turrets_fire_only_in_the_fight_and_only_with_ammunition) {
    world->level.prg = level_getready;
    input(300, 100, 1, 0, 0);
    EXPECT_EQ(world->guns.d[2]->ammo, 6);
    world->level.prg = level_fight;
    world->guns.d[2]->ammo = 0;
    int n = records(world->rockets);
    input(300, 100, 1, 0, 0);
    EXPECT_EQ(records(world->rockets), n);
}

TEST_F(turrets, releasing_one_button_while_another_is_held_fires_nothing) {
    int n = records(world->rockets);
    input(300, 100, 1, 2, 0);
    EXPECT_EQ(records(world->rockets), n);
    input(300, 100, 2, 0, 0);
    EXPECT_EQ(records(world->rockets), n + 1);
    EXPECT_EQ(world->guns.d[1]->ammo, 5);
}

TEST_F(turrets, one_button_mode_fires_the_ready_turret_nearest_the_cursor) {
    world->menu.set(menu_onebutton, 1);
    ASSERT_EQ(tickedoption(12), 1);
    int n = records(world->rockets);
    input(650, 200, 0, 0, 0);         // no key, no button: nothing
    EXPECT_EQ(records(world->rockets), n);
    input(650, 200, 0, 0, 65);        // the left turret's key fires the right turret
    EXPECT_EQ(world->guns.d[1]->ammo, 5);
    EXPECT_EQ(world->guns.d[2]->ammo, 6);
    input(650, 200, 1, 0, 0);         // cooling down: the middle one is next nearest
    EXPECT_EQ(world->guns.d[0]->ammo, 5);
    input(650, 200, 4, 2, 0);         // any release counts, held buttons or not
    EXPECT_EQ(world->guns.d[2]->ammo, 5);
}

TEST_F(turrets, turret_is_struck_only_through_opaque_base_pixels) {
    tgundata& g = *world->guns.d[0];
    g.ammo = 0;                       // empty turrets still stand and can be struck
    trocketdata& miss = strike(0, false);
    EXPECT_EQ(miss.prg, rocket_flying);
    EXPECT_EQ(g.operational, 1);
    EXPECT_EQ(records(world->fires), 0);

    trocketdata& hit = strike(0, true);
    EXPECT_EQ(hit.prg, rocket_ended);
    EXPECT_EQ(g.operational, 0);
    EXPECT_EQ(world->guns.count, 2);
    EXPECT_EQ(world->level.score, -6);
    ASSERT_EQ(records(world->fires), 1);
    tfiredata& f = *world->fires.d[0];
    EXPECT_FLOAT_EQ(f.x, g.x - turretbasew2);
    EXPECT_FLOAT_EQ(f.w, static_cast<float>(img_turretbase->width));
    EXPECT_EQ(f.maxlife, 800);
    // a destroyed turret can be struck no more
    trocketdata again;
    again.prg = rocket_flying;
    again.x = hit.x;
    again.y = hit.y;
    EXPECT_EQ(world->guns.collisionrocket(again), 0);
}

TEST_F(turrets, auto_select_hands_the_remaining_turrets_to_the_buttons) {
    world->menu.set(menu_autobutton, 1);
    ASSERT_EQ(tickedoption(11), 1);
    strike(1);                        // the right turret falls
    EXPECT_EQ(world->guns.d[1]->x, 400);   // the middle one moves to the right button
    EXPECT_EQ(world->guns.d[0]->operational, 0);
    int slot = firstempty(world->rockets);
    input(300, 100, 2, 0, 0);
    ASSERT_TRUE(lastshot(slot));
    EXPECT_EQ(lastshot(slot)->startx, 400);

    strike(2);                        // then the left one: one turret left for the left button
    EXPECT_EQ(world->guns.count, 1);
    EXPECT_EQ(world->guns.d[2]->x, 400);
    EXPECT_EQ(world->guns.d[2]->operational, 1);
    world->guns.d[2]->cooldown = 0;
    slot = firstempty(world->rockets);
    input(300, 100, 1, 0, 0);
    ASSERT_TRUE(lastshot(slot));
    EXPECT_EQ(lastshot(slot)->startx, 400);
}

TEST_F(turrets, without_auto_select_a_fallen_turret_keeps_its_slot) {
    strike(2);
    EXPECT_EQ(world->guns.d[2]->operational, 0);
    EXPECT_EQ(world->guns.d[2]->x, 100);
    int n = records(world->rockets);
    input(300, 100, 1, 0, 0);
    EXPECT_EQ(records(world->rockets), n);
}

TEST_F(turrets, two_button_mode_builds_two_outer_turrets_with_8_missiles) {
    world->menu.set(menu_twobuttons, 1);
    world->guns.generateall();
    EXPECT_EQ(world->guns.count, 2);
    EXPECT_EQ(world->level.ammo, 8);
    EXPECT_EQ(world->guns.d[0]->operational, 0);
    EXPECT_EQ(world->guns.d[1]->x, 600);
    EXPECT_EQ(world->guns.d[2]->x, 200);
    EXPECT_EQ(world->guns.d[2]->ammo, 8);
    world->menu.set(menu_twobuttons, 0);
    world->guns.generateall();
    EXPECT_EQ(world->guns.count, 3);
    EXPECT_EQ(world->guns.d[0]->x, 400);
    EXPECT_EQ(world->guns.d[1]->x, 700);
    EXPECT_EQ(world->guns.d[0]->ammo, 6);
}

TEST_F(turrets, turret_draws_sight_barrel_base_and_its_ammunition) {
    world->ev.x = 400;
    world->ev.y = 100;
    world->guns.d[1]->operational = 0;
    world->guns.d[2]->ammo = 0;
    world->guns.d[0]->cooldown = 3;
    world->guns.d[0]->rot = -1;
    ClearDrawRecords();
    world->guns.draw();
    std::vector<const tdrawrecord*> imgs, notes;
    for (auto& d : DrawRecords()) {
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
        if (d.op == tdrawrecord::note) notes.push_back(&d);
    }
    // middle: beam, barrel, base; right: nothing; left: base only
    ASSERT_GE(imgs.size(), 4u);
    EXPECT_EQ(imgs[0]->img, img_beam);
    EXPECT_FLOAT_EQ(imgs[0]->state.color_alpha, 0.15f);
    // the sight line reaches 400 x viewscalex units along the aim, past the cursor
    EXPECT_FLOAT_EQ(imgs[0]->state.tform_scale_y, 400 * world->viewscalex / static_cast<float>(img_beam->height));
    EXPECT_EQ(imgs[1]->img, img_turret);
    EXPECT_FLOAT_EQ(imgs[1]->modelview[5], world->viewscaley);   // straight up at the cursor
    EXPECT_EQ(imgs[2]->img, img_turretbase);
    EXPECT_FLOAT_EQ(imgs[2]->state.tform_scale_x, -1);
    EXPECT_EQ(imgs.back()->img, img_turretbase);
    EXPECT_FLOAT_EQ(imgs.back()->x, 100);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->text, "6");
    EXPECT_EQ(notes[0]->state.color_green, 60);   // cooling down
    EXPECT_FLOAT_EQ(notes[0]->y, 350);
    EXPECT_FLOAT_EQ(notes[0]->x, 400 - static_cast<float>(world->font.width("6") / 2));
}
