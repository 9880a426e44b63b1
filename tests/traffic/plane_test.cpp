// Planes and the hero: the order of the draws, the hero's turns, sides and laser, a plane shot
// down, drawing.
#include "framework/samples.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/traffic/calm.h"

struct planetraffic : calmworld {};

// Every other plane is made while a hero is about: then no draw is spent on the hero test.
TEST_F(planetraffic, plane_generate_takes_its_draws_in_order) {
    int kinds = 0;
    for (int k = 0; k < 60; k++) {
        emptysky();
        world->planes.countsuper = k % 2;
        trnd r = world->rnd;
        int c0 = r.upd(255), c1 = r.upd(255), c2 = r.upd(255);
        int type = r.upd(static_cast<int>(img_plane.size()));
        float speedx = r.updf(1.0f) + 0.5f;
        float speedy = r.updf(0.2f) - 0.1f;
        if (r.upd(2) != 0) speedx = -speedx;
        float y = static_cast<float>(r.upd(80) + img_plane[type]->height / 2);
        bool hero = k % 2 == 0 && r.upd(tplanedata::superchance) == 0;
        bool sound = hero || r.upd(2) != 0;
        float rate = sound ? r.updf(0.1f) + 0.9f : 0;
        world->planes.generate();
        tplanedata& p = *world->planes.d[0];
        EXPECT_EQ(p.col[2], hero ? 255 : c2 + 255 - std::max({c0, c1, c2}));
        EXPECT_EQ(p.imgt, img_planet[type]);
        EXPECT_EQ(p.speedx, hero ? speedx * 0.7f : speedx);
        EXPECT_EQ(p.speedy, hero ? std::fabs(speedy) * 0.7f : speedy);
        EXPECT_EQ(p.y, y);
        EXPECT_EQ(world->planes.countsuper, k % 2 + (hero ? 1 : 0));
        if (sound) {
            EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[hero ? 26 : 8]);
            EXPECT_FLOAT_EQ(world->snd.c[world->snd.chn].c->rate, rate);
        }
        EXPECT_EQ(world->rnd.seed, r.seed);
        kinds |= (hero ? 1 : 0) | (sound && !hero ? 2 : 0);
    }
    EXPECT_EQ(kinds, 3);
}

TEST_F(planetraffic, hero_turns_back_once_and_a_caught_missile_allows_one_more_turn) {
    for (bool caught : {false, true}) {
        emptysky();
        world->rockets.removeall();
        tplanedata& h = plane(-17.5f, 100, 1, 1);   // half a unit inside the left edge
        stepframes(1);
        ASSERT_EQ(world->planes.count(), 1);
        EXPECT_EQ(h.speedx, -1);
        if (caught) {
            enemy(h.x, h.y, h.x, 370, 0.01f);
            stepframes(1);
            EXPECT_EQ(h.superowner, hero_friend);
        }
        h.x = 817.5f;                               // half a unit inside the right edge
        stepframes(1);
        EXPECT_EQ(world->planes.count() + world->planes.countsuper, caught ? 2 : 0);
    }
}

// Heroes made by the list itself, entering at either edge: each crosses the whole sky, turns
// at the far edge and flies home before he leaves, whatever the widths of the pictures.
TEST_F(planetraffic, a_new_hero_crosses_the_sky_and_back_before_he_leaves) {
    int edges = 0;
    for (int k = 0; k < 400 && edges != 3; k++) {
        emptysky();
        world->planes.generate();
        tplanedata& h = *world->planes.d[0];
        if (h.art != kind_hero) continue;
        const bool fromright = h.speedx > 0;
        const float leftmost0 = h.x, speed = std::fabs(h.speedx);
        float leftmost = h.x, rightmost = h.x;
        int frames = 0;
        while (world->planes.d[0] && frames < 10000) {
            leftmost = std::min(leftmost, h.x), rightmost = std::max(rightmost, h.x);
            stepframes(1);
            frames++;
        }
        EXPECT_EQ(world->planes.countsuper, 0);
        // Two crossings of 800 units, a frame short at each edge at most.
        EXPECT_GE(frames, int(2 * 800 / speed) - 2) << "hero from x " << leftmost0;
        EXPECT_LT(leftmost, 0) << "from x " << leftmost0;
        EXPECT_GT(rightmost, 800) << "from x " << leftmost0;
        edges |= fromright ? 1 : 2;
    }
    EXPECT_EQ(edges, 3);
}

// A missile of each side 50 units beside him, both in the laser's reach; then a UFO.
TEST_F(planetraffic, hero_laser_shoots_the_missiles_of_the_side_he_fights_and_ufos) {
    const struct { int side, missilepay, ufopay; } cases[] = {{-1, 0, 10}, {0, 2, 10}, {1, 0, 0}};
    for (auto& k : cases) {
        emptysky();
        world->rockets.removeall();
        tplanedata& h = plane(400, 100, 0.01f, 1);
        h.superowner = k.side;
        h.cooldown = 0;
        trocketdata& enemymissile = enemy(450, 100, 450, 370, 0.01f);
        trocketdata& playermissile = missile(350, 100, 350, 0, 0.01f, 1);
        int score = world->level.score;
        stepframes(1);
        EXPECT_EQ(enemymissile.prg, k.side == 0 ? 2 : 1) << k.side;
        EXPECT_EQ(playermissile.prg, k.side == 1 ? 2 : 1) << k.side;
        EXPECT_EQ(h.laser, k.side >= 0 ? 40 : 0) << k.side;
        EXPECT_EQ(world->level.score, score + k.missilepay) << k.side;
        ufo(400, 160);
        h.cooldown = 0;
        stepframes(1);
        EXPECT_EQ(world->ufos.count(), 0) << k.side;
        EXPECT_EQ(h.targety, 160);
        EXPECT_EQ(world->level.score, score + k.missilepay + k.ufopay) << k.side;
    }
}

// Each UFO he rams through slows him to 0.7 of his speed and makes him sink 0.3 faster.
TEST_F(planetraffic, hero_ramming_ufos_slows_and_sinks_faster_each_time) {
    tplanedata& h = plane(400, 100, 1, 1);
    h.speedy = 0;
    const struct { float speedx, speedy; } after[] = {{0.7f, 0.3f}, {0.49f, 0.6f}};
    for (auto& a : after) {
        ufo(h.x - h.speedx, h.y + h.speedy);   // where he will be after the step
        float y = h.y;
        stepframes(1);
        EXPECT_EQ(world->ufos.count(), 0);
        EXPECT_FLOAT_EQ(h.speedx, a.speedx);
        EXPECT_FLOAT_EQ(h.speedy, a.speedy);
        stepframes(1);
        EXPECT_GT(h.y, y);
    }
    EXPECT_EQ(world->planes.count(), 1);
}

TEST_F(planetraffic, plane_downed_by_a_player_missile_costs_2_and_leaves_a_blast_that_chains) {
    tplanedata& p = plane(400, 100, 1);
    world->snd.play(world->snd.s[smp_plane], 1, -1);
    p.chn = world->snd.chn;
    p.engine = 1;
    int engine = p.chn;                    // the plane is gone after the step
    missile(399, 100, 399, 0, 0.01f, 1);
    int debris = world->particles.count();
    stepframes(1);
    EXPECT_EQ(world->planes.count(), 0);
    EXPECT_EQ(world->level.score, -2);
    EXPECT_EQ(world->snd.c[engine].released, 1);   // the engine fades
    EXPECT_EQ(world->particles.count(), debris + 16);
    ASSERT_EQ(world->tnt.count() + world->tnt2.count(), 2);
    ttntdata& e = *world->tnt.d[0];
    EXPECT_EQ(e.owner, side_player);
    EXPECT_EQ(e.maxtime, 400);
    EXPECT_EQ(world->tnt2.d[0]->maxtime, 100);
    trocketdata& r = enemy(e.x, e.y - 1, e.x, 370, 0.01f);
    stepframes(1);
    EXPECT_EQ(r.prg, rocket_ended);
}

// At tick 0 the glow is at its faintest; day.skycos -0.5 is dusk.
TEST_F(planetraffic, planes_draw_tinted_and_mirrored_and_the_hero_glows_in_his_sides_colour) {
    plane(300, 50, -1);                           // flying right
    tplanedata& friendly = plane(400, 100, 1, 1);
    friendly.superowner = hero_friend, friendly.laser = 20, friendly.targetx = 450, friendly.targety = 150;
    plane(500, 100, 1, 1).superowner = hero_hostile;
    world->day.skycos = -0.5f;
    ClearDrawRecords();
    world->planes.draw();
    const auto& d = DrawRecords();
    const struct { const TImage* img; float scalex; int red, green, blue; float alpha; } want[] = {
        {img_plane[0], -1, 200, 0, 0, 1},       {img_planet[0], -1, 255, 255, 255, 1},
        {img_explosion2, 0, 0, 127, 255, 0.3f}, {img_beam, 0, 255, 255, 0, 0.5f},
        {img_superman, 1, 200, 0, 0, 1},        {img_explosion2, 0, 255, 64, 0, 0.3f},
        {img_superman, 1, 200, 0, 0, 1},
    };
    ASSERT_EQ(d.size(), 7u);
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(d[i].img, want[i].img) << i;
        EXPECT_EQ(d[i].state.color_red, want[i].red) << i;
        EXPECT_EQ(d[i].state.color_green, want[i].green) << i;
        EXPECT_EQ(d[i].state.color_blue, want[i].blue) << i;
        EXPECT_FLOAT_EQ(d[i].state.color_alpha, want[i].alpha) << i;
        if (want[i].scalex == 0) continue;
        EXPECT_EQ(d[i].state.tform_scale_x, want[i].scalex) << i;
    }
    EXPECT_EQ(DrawState().tform_scale_x, 1);
}
