// Clouds: where they come from and how often, how they move and leave, how dark they get.
#include "sky/cloud.h"
#include "framework/assets.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/rain.h"
#include "tests/sky/skytest.h"

struct cloudtest : worldtest {
    void SetUp() override {
        worldtest::SetUp();
        world->clouds.clearall();
    }
    tclouddata& one() {
        for (auto& c : world->clouds.d)
            if (c) return *c;
        return world->clouds.add();
    }
};

TEST_F(cloudtest, clouds_enter_where_the_wind_blows_from) {
    world->rain.wind = 0.3f;
    world->clouds.generate();
    tclouddata c = *world->clouds.d[0];
    EXPECT_EQ(c.x, -cloudw2);
    EXPECT_GE(c.speedx, 0.1f);
    EXPECT_LT(c.speedx, 1.1f);
    EXPECT_GE(c.speedy, -0.125f);
    EXPECT_LT(c.speedy, 0.125f);
    EXPECT_TRUE(c.dir == 1 || c.dir == -1);
    EXPECT_GE(c.y, 0);
    EXPECT_LT(c.y, 320);

    world->rain.wind = -0.01f;
    world->clouds.generate();
    EXPECT_EQ(world->clouds.d[1]->x, 800 + cloudw2);
    EXPECT_LT(world->clouds.d[1]->speedx, 0);
}

TEST_F(cloudtest, cloud_bounces_at_320_and_vanishes_above_the_top) {
    world->rain.wind = 0;
    tclouddata& c = world->clouds.add();
    c.x = 400, c.y = 319.95f, c.speedx = 0, c.speedy = 0.1f, c.dir = 1;
    world->clouds.wait = 100;
    world->clouds.upd();
    ASSERT_TRUE(world->clouds.d[0]);
    EXPECT_EQ(c.y, 320);
    EXPECT_FLOAT_EQ(c.speedy, -0.1f);

    c.y = 0.05f;
    world->clouds.upd();
    EXPECT_FALSE(world->clouds.d[0]);
}

TEST_F(cloudtest, cloud_blown_back_leaves_through_the_edge_it_came_from) {
    world->rain.wind = 0.5f;
    world->clouds.generate();
    world->clouds.wait = 100000;
    for (int t = 0; t < 20; t++) world->clouds.upd();
    ASSERT_TRUE(world->clouds.d[0]);
    float x = world->clouds.d[0]->x, speed = world->clouds.d[0]->speedx;
    EXPECT_GT(x, -cloudw2);
    world->rain.wind = -2;   // stronger than its own push, whatever speed it drew
    int t = 0;
    while (world->clouds.d[0] && t < 1000) x = world->clouds.d[0]->x, world->clouds.upd(), t++;
    EXPECT_FALSE(world->clouds.d[0]);
    EXPECT_LT(x + speed - 2, -cloudw2);   // gone to the left, not across the sky
}

TEST_F(cloudtest, clouds_come_often_while_it_rains_and_rarely_in_clear_weather) {
    world->rain.prg = rain_clear;
    world->clouds.wait = 0;
    world->clouds.upd();
    EXPECT_EQ(world->clouds.count(), 1);
    EXPECT_GE(world->clouds.wait, 1000);
    EXPECT_LT(world->clouds.wait, 4000);

    for (int prg : {1, 2, 3}) {
        world->rain.prg = prg;
        world->clouds.wait = 0;
        world->clouds.upd();
        EXPECT_GE(world->clouds.wait, 100);
        EXPECT_LT(world->clouds.wait, 300);
    }
    world->rain.prg = rain_thinning;
    world->clouds.wait = 0;
    world->clouds.upd();
    EXPECT_GE(world->clouds.wait, 1000);

    // The weather's clear phase ends: the first cloud comes in the same tick.
    world->clouds.clearall();
    world->rain.prg = rain_clear, world->rain.wait = 1, world->clouds.wait = 500;
    world->rain.upd();
    world->clouds.upd();
    EXPECT_EQ(world->clouds.count(), 1);
}

TEST_F(cloudtest, clouds_darken_with_the_rain_and_brighten_after) {
    world->rain.prg = rain_steady, world->rain.count = 100;
    for (int t = 0; t < 1000; t++) world->clouds.upd();
    EXPECT_EQ(world->clouds.col, 128);   // 255 - 25500 div 200
    world->clouds.generate();
    ClearDrawRecords();
    world->clouds.draw();
    auto drawn = drawnwith(img_cloud);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].state.color_red, 128);
    EXPECT_FLOAT_EQ(drawn[0].state.color_alpha, 0.33f);
    EXPECT_EQ(drawn[0].state.tform_scale_x, float(one().dir));
    EXPECT_EQ(DrawState().color_green, 255);
    EXPECT_EQ(DrawState().color_alpha, 1);

    world->rain.count = 200;
    for (int t = 0; t < 1000; t++) world->clouds.upd();
    EXPECT_EQ(world->clouds.col, 0);

    world->rain.prg = rain_thinning;
    world->clouds.upd();
    EXPECT_FLOAT_EQ(world->clouds.col, 0.3f);
    for (int t = 0; t < 1000; t++) world->clouds.upd();
    EXPECT_EQ(world->clouds.col, 255);
}

TEST_F(cloudtest, slots_grow_by_16_and_freed_slots_are_reused) {
    world->rain.wind = 0;
    for (int i = 0; i < 17; i++) world->clouds.generate();
    EXPECT_EQ(world->clouds.d.size(), 32u);
    world->clouds.remove(3);
    world->clouds.generate();
    EXPECT_TRUE(world->clouds.d[3]);
    EXPECT_EQ(world->clouds.count(), 17);
    EXPECT_EQ(world->clouds.d.size(), 32u);
}
