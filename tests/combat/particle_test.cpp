// Particles and fires: compacting, leaving the field, bouncing to rest, flames.
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

namespace {
const int red[3] = {255, 0, 0};
const int blue[3] = {0, 0, 255};
}

struct debris : fight {
    void SetUp() override {
        fight::SetUp();
        world->particles = tparticle();
        world->particles2 = tparticle();
    }
    static void add(float x, float y, float sx, float sy, int life, float bounce = 0) {
        world->particles.generate(x, y, sx, sy, life, 0, bounce, 1, red, blue, img_explosion1);
    }
};

TEST_F(debris, particle_list_compacts_in_order_and_shrinks) {
    for (int i = 0; i < 20; i++) add(static_cast<float>(10 * i + 5), 100, 0, 0, 100);
    ASSERT_EQ(world->particles.d.size(), 32u);
    for (int i : {2, 3, 7, 11, 19}) world->particles.d[i]->x = -5;   // leave the field sideways
    world->particles.upd();
    ASSERT_EQ(world->particles.d.size(), 16u);
    std::vector<float> xs;
    for (auto& p : world->particles.d)
        if (p) xs.push_back(p->x);
    EXPECT_FALSE(world->particles.d[15]);   // all at the front
    std::vector<float> want;
    for (int i = 0; i < 20; i++)
        if (i != 2 && i != 3 && i != 7 && i != 11 && i != 19) want.push_back(static_cast<float>(10 * i + 5));
    EXPECT_EQ(xs, want);
}

TEST_F(debris, particles_leave_below_400_or_sideways_before_their_life_ends) {
    add(100, 399.5f, 0, 1, 1000);
    add(799.5f, 100, 1, 0, 1000);
    add(300, 399.5f, 0, 1, 1000, 0.5f);   // bouncing: stays on its ground
    world->particles.upd();
    ASSERT_TRUE(world->particles.d[0]);
    EXPECT_EQ(world->particles.d[0]->x, 300);
    EXPECT_FALSE(world->particles.d[1]);
}

TEST_F(debris, particle_fades_from_its_birth_to_its_death_colour) {
    add(100, 100, 0, 0, 4);
    tparticledata& p = *world->particles.d[0];
    world->particles.upd();
    world->particles.upd();
    EXPECT_FLOAT_EQ(p.lifediv, 0.5f);
    ClearDrawRecords();
    world->particles.draw();
    const tdrawrecord& d = DrawRecords().front();
    EXPECT_EQ(d.state.color_red, 127);
    EXPECT_EQ(d.state.color_blue, 127);
    EXPECT_FLOAT_EQ(d.state.color_alpha, 0.5f);
    EXPECT_FLOAT_EQ(d.state.tform_rot, p.rot);
    world->particles.upd();
    world->particles.upd();
    ASSERT_TRUE(world->particles.d[0]);   // life 0: removed on the next update
    world->particles.upd();
    EXPECT_FALSE(world->particles.d[0]);
    EXPECT_EQ(DrawState().color_green, 255);
}

TEST_F(debris, bouncing_particle_comes_to_rest_and_lies_ageing) {
    add(300, 360, 2, 3, 3000, 0.6f);
    tparticledata& p = *world->particles.d[0];
    for (int f = 0; f < 2000 && p.prg == particle_moving; f++) world->particles.upd();
    ASSERT_EQ(p.prg, particle_still);
    EXPECT_EQ(p.y, p.bouncey);
    float x = p.x;
    int life = p.life;
    world->particles.upd();
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.life, life - 1);
}

TEST_F(debris, particle_without_life_goes_at_once) {
    add(300, 100, 0, 0, -5, 0.5f);
    world->particles.upd();
    EXPECT_FALSE(world->particles.d[0]);
}

TEST_F(debris, fresh_fire_flames_every_frame_and_less_as_it_dies) {
    world->fires.generate(300, 370, 44, 800);
    tfiredata& f = *world->fires.d[0];
    for (int i = 0; i < 10; i++) world->fires.upd2();
    EXPECT_EQ(records(world->particles2), 10);
    f.life = 200;                     // a quarter of its life left
    for (int i = 0; i < 1000; i++) world->fires.upd2();
    int n = records(world->particles2) - 10;
    EXPECT_GT(n, 190);
    EXPECT_LT(n, 310);
    f.life = 0;
    for (int i = 0; i < 100; i++) world->fires.upd2();
    EXPECT_EQ(records(world->particles2), 10 + n);
    world->fires.upd();
    EXPECT_EQ(records(world->fires), 0);
}

TEST_F(debris, flame_takes_its_draws_in_order) {
    world->fires.generate(300, 370, 44, 800);
    trnd copy = world->rnd;
    copy.updf(1.0f);
    float size = copy.updf(0.3f) + 0.15f;
    int life = copy.upd(100) + 200;
    float sy = copy.updf(-0.2f) - 0.3f;
    float sx = copy.updf(1.2f) - 0.6f;
    float y = static_cast<float>(370 + copy.upd(30));
    float x = 300 + static_cast<float>(copy.upd(44));
    float bouncey = 370 + copy.updf(30.0f);
    float rot = copy.updf(360.0f);
    world->fires.upd2();
    ASSERT_TRUE(world->particles2.d[0]);
    tparticledata& p = *world->particles2.d[0];
    EXPECT_EQ(p.size, size);
    EXPECT_EQ(p.life, life);
    EXPECT_EQ(p.speedy, sy);
    EXPECT_EQ(p.speedx, sx);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.bouncey, bouncey);
    EXPECT_EQ(p.rot, rot);
    EXPECT_EQ(p.grav, -0.005f);
    EXPECT_EQ(p.col1[1], 245);
    EXPECT_EQ(p.col2[0], 205);
    EXPECT_EQ(p.img, img_explosion1);
}

TEST_F(debris, fires_neither_age_in_pause_but_still_flame) {
    world->fires.generate(300, 370, 44, 800);
    world->level.pause = pause_on;
    stepframes(5);
    EXPECT_EQ(world->fires.d[0]->life, 800);
    EXPECT_EQ(records(world->particles2), 5);
    world->level.pause = pause_off;
    stepframes(1);
    EXPECT_EQ(world->fires.d[0]->life, 799);
}
