// Clouds: where they come from and how often, how they move and leave, how dark they get.
#include "framework/assets.h"
#include "platform/testing.h"
#include "sky/cloud.h"
#include "sky/rain.h"
#include "tests/sky/skytest.h"

struct cloudtest : worldtest {
    void SetUp() override {
        worldtest::SetUp();
        clouds.clearall();
    }
    tclouddata& one() {
        for (auto& c : clouds.d)
            if (c) return *c;
        return clouds.add();
    }
};

TEST_F(cloudtest, clouds_enter_where_the_wind_blows_from) {
    rain.wind = 0.3f;
    clouds.generate();
    tclouddata c = *clouds.d[0];
    EXPECT_EQ(c.x, -cloudw2);
    EXPECT_GE(c.speedx, 0.1f);
    EXPECT_LT(c.speedx, 1.1f);
    EXPECT_GE(c.speedy, -0.125f);
    EXPECT_LT(c.speedy, 0.125f);
    EXPECT_TRUE(c.dir == 1 || c.dir == -1);
    EXPECT_GE(c.y, 0);
    EXPECT_LT(c.y, 320);

    rain.wind = -0.01f;
    clouds.generate();
    EXPECT_EQ(clouds.d[1]->x, 800 + cloudw2);
    EXPECT_LT(clouds.d[1]->speedx, 0);
}

TEST_F(cloudtest, cloud_bounces_at_320_and_vanishes_above_the_top) {
    rain.wind = 0;
    tclouddata& c = clouds.add();
    c.x = 400, c.y = 319.95f, c.speedx = 0, c.speedy = 0.1f, c.dir = 1;
    clouds.wait = 100;
    clouds.upd();
    ASSERT_TRUE(clouds.d[0]);
    EXPECT_EQ(c.y, 320);
    EXPECT_FLOAT_EQ(c.speedy, -0.1f);

    c.y = 0.05f;
    clouds.upd();
    EXPECT_FALSE(clouds.d[0]);
}

TEST_F(cloudtest, cloud_blown_back_leaves_through_the_edge_it_came_from) {
    rain.wind = 0.5f;
    clouds.generate();
    clouds.wait = 100000;
    for (int t = 0; t < 20; t++) clouds.upd();
    ASSERT_TRUE(clouds.d[0]);
    float x = clouds.d[0]->x;
    EXPECT_GT(x, -cloudw2);
    rain.wind = -2;   // stronger than its own push
    int t = 0;
    while (clouds.d[0] && t < 1000) clouds.upd(), t++;
    EXPECT_FALSE(clouds.d[0]);
    EXPECT_LT(t, 20);   // gone to the left within a few ticks, not across the sky
}

TEST_F(cloudtest, clouds_come_often_while_it_rains_and_rarely_in_clear_weather) {
    rain.prg = rain_clear;
    clouds.wait = 0;
    clouds.upd();
    EXPECT_EQ(clouds.count(), 1);
    EXPECT_GE(clouds.wait, 1000);
    EXPECT_LT(clouds.wait, 4000);

    for (int prg : {1, 2, 3}) {
        rain.prg = prg;
        clouds.wait = 0;
        clouds.upd();
        EXPECT_GE(clouds.wait, 100);
        EXPECT_LT(clouds.wait, 300);
    }
    rain.prg = rain_thinning;
    clouds.wait = 0;
    clouds.upd();
    EXPECT_GE(clouds.wait, 1000);

    // The weather's clear phase ends: the first cloud comes in the same tick.
    clouds.clearall();
    rain.prg = rain_clear, rain.wait = 1, clouds.wait = 500;
    rain.upd();
    clouds.upd();
    EXPECT_EQ(clouds.count(), 1);
}

TEST_F(cloudtest, clouds_darken_with_the_rain_and_brighten_after) {
    rain.prg = rain_steady, rain.count = 100;
    for (int t = 0; t < 1000; t++) clouds.upd();
    EXPECT_EQ(clouds.col, 128);   // 255 - 25500 div 200
    clouds.generate();
    ClearDrawRecords();
    clouds.draw();
    auto drawn = drawnwith(img_cloud);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].state.color_red, 128);
    EXPECT_FLOAT_EQ(drawn[0].state.color_alpha, 0.33f);
    EXPECT_EQ(drawn[0].state.tform_scale_x, float(one().dir));
    EXPECT_EQ(DrawState().color_green, 255);
    EXPECT_EQ(DrawState().color_alpha, 1);

    rain.count = 200;
    for (int t = 0; t < 1000; t++) clouds.upd();
    EXPECT_EQ(clouds.col, 0);

    rain.prg = rain_thinning;
    clouds.upd();
    EXPECT_FLOAT_EQ(clouds.col, 0.3f);
    for (int t = 0; t < 1000; t++) clouds.upd();
    EXPECT_EQ(clouds.col, 255);
}

TEST_F(cloudtest, slots_grow_by_16_and_freed_slots_are_reused) {
    rain.wind = 0;
    for (int i = 0; i < 17; i++) clouds.generate();
    EXPECT_EQ(clouds.d.size(), 32u);
    clouds.remove(3);
    clouds.generate();
    EXPECT_TRUE(clouds.d[3]);
    EXPECT_EQ(clouds.count(), 17);
    EXPECT_EQ(clouds.d.size(), 32u);
}
