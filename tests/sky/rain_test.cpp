// The weather: the shower cycle, the loop's channel, thunder and lightning, drops, the wind.
// The weather is stepped on its own here, with the frame timer standing at tick 0, so every
// tick is a chance for a thunderstorm.
#include <algorithm>
#include <cmath>

#include "framework/assets.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/cloud.h"
#include "sky/rain.h"
#include "tests/sky/skytest.h"

struct raintest : worldtest {
    void SetUp() override {
        worldtest::SetUp();
        ASSERT_EQ(world->timer ? TimerTicks(world->timer) % 128 : 0, 0);
    }
    // A steady shower of n drops of the given kind that will not end for a long while.
    void steady(int art, int n) {
        world->rain.prg = rain_building, world->rain.art = art, world->rain.count2 = world->rain.countlast = n;
        while (world->rain.count < n) world->rain.generate();
        world->rain.prg = rain_steady, world->rain.wait = 1000000;
    }
    // The clouds' last tick: a shower of random size and kind begins.
    void startshower() {
        world->rain.prg = rain_gathering, world->rain.wait = 1;
        world->rain.upd();
        ASSERT_EQ(world->rain.prg, rain_building);
    }
};

TEST_F(raintest, shower_runs_through_its_phases_and_the_clear_sky_returns) {
    world->rain.wait = 0;   // a first clear phase of 0 ends on the first tick
    world->rain.upd();
    EXPECT_EQ(world->rain.prg, rain_gathering);
    EXPECT_EQ(world->rain.wait, 1000);
    EXPECT_EQ(world->clouds.wait, 0);

    int ticks[5] = {}, maxcount = 0, prev = 1;
    std::vector<int> seen{1};
    int wait3 = 0;
    for (int t = 0; t < 40000 && !(world->rain.prg == rain_clear && prev == rain_thinning); t++) {
        prev = world->rain.prg;
        world->rain.upd();
        ticks[world->rain.prg]++;
        maxcount = std::max(maxcount, world->rain.count);
        EXPECT_LE(world->rain.count, world->rain.countlast);
        if (world->rain.prg != seen.back()) seen.push_back(world->rain.prg);
        if (prev == rain_building && world->rain.prg == rain_steady) wait3 = world->rain.wait;
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 0}));
    EXPECT_EQ(ticks[1], 999);                      // 1000 ticks of gathering clouds, the first counted above
    EXPECT_GE(world->rain.countlast, 30);
    EXPECT_LE(world->rain.countlast, 200);
    EXPECT_EQ(maxcount, world->rain.countlast);
    EXPECT_GE(wait3, 2000);
    EXPECT_LT(wait3, 8000);
    EXPECT_EQ(ticks[3], wait3);
    EXPECT_EQ(world->rain.count, 0);
    EXPECT_GE(world->rain.wait, 4000);
    EXPECT_LT(world->rain.wait, 14000);
    for (auto& r : world->rain.d) EXPECT_EQ(r.on, 0);
}

TEST_F(raintest, thinning_removes_drops_only_as_they_land) {
    steady(0, 120);
    world->rain.wait = 1;
    world->rain.upd();
    ASSERT_EQ(world->rain.prg, rain_thinning);
    for (int t = 0; t < 5000 && world->rain.prg == rain_thinning; t++) {
        float lowest[train::maxdrops];
        int on[train::maxdrops];
        for (int i = 0; i < train::maxdrops; i++)
            lowest[i] = world->rain.d[i].y + world->rain.d[i].speedy, on[i] = world->rain.d[i].on;
        world->rain.upd();
        for (int i = 0; i < train::maxdrops; i++)
            if (on[i] && !world->rain.d[i].on) EXPECT_GT(lowest[i], 400) << "drop " << i << " removed in the air";
    }
    EXPECT_EQ(world->rain.prg, rain_clear);
    EXPECT_EQ(world->rain.count, 0);
}

TEST_F(raintest, loop_fades_in_over_500_ticks_and_follows_the_master_volume) {
    ASSERT_NE(world->rain.chn, nullptr);
    for (auto& c : world->snd.c) EXPECT_NE(c.c, world->rain.chn);   // not one of snd's rotating channels
    EXPECT_EQ(world->snd.s[smp_rain].vol, 0);
    EXPECT_EQ(world->snd.s[smp_wind].vol, 0);
    EXPECT_TRUE(world->rain.chn->paused);

    startshower();
    EXPECT_EQ(world->rain.chn->sound, world->snd.s[world->rain.smp].s);
    EXPECT_FALSE(world->rain.chn->paused);
    EXPECT_TRUE(SoundLoops(world->rain.chn->sound));
    world->rain.wait = 1000000;
    float master = world->volume.vol;
    ASSERT_GT(master, 0);
    for (int t = 1; t <= 500; t++) {
        world->rain.upd();
        if (t == 1) EXPECT_FLOAT_EQ(world->rain.chn->volume, master * 0.0003f);
        if (t == 499) EXPECT_LT(world->snd.s[world->rain.smp].vol, 0.15f);
    }
    EXPECT_FLOAT_EQ(world->snd.s[world->rain.smp].vol, 0.15f);
    EXPECT_FLOAT_EQ(world->rain.chn->volume, master * 0.15f);
    world->rain.upd();
    EXPECT_FLOAT_EQ(world->snd.s[world->rain.smp].vol, 0.15f);   // held at its top

    world->volume.vol = 1;
    world->rain.upd();
    EXPECT_FLOAT_EQ(world->rain.chn->volume, 0.15f);
    world->volume.vol = 0;
    world->rain.upd();
    EXPECT_EQ(world->rain.chn->volume, 0);
    world->volume.vol = master;

    // After the shower the loop fades out and keeps running at volume 0.
    for (auto& r : world->rain.d) r.on = 0;
    world->rain.count = 0, world->rain.prg = rain_thinning;
    for (int t = 0; t < 499; t++) world->rain.upd();
    EXPECT_GT(world->rain.chn->volume, 0);
    world->rain.upd();
    EXPECT_EQ(world->rain.prg, rain_clear);
    EXPECT_NEAR(world->rain.chn->volume, 0, 1e-6);
    for (int t = 0; t < 10; t++) world->rain.upd();
    EXPECT_EQ(world->rain.chn->volume, 0);
    EXPECT_FALSE(world->rain.chn->paused);
    EXPECT_TRUE(ChannelPlaying(world->rain.chn));
}

TEST_F(raintest, snow_never_brings_lightning_and_loops_the_wind) {
    // Draw showers until one is snow.
    int tries = 0;
    do {
        for (auto& r : world->rain.d) r.on = 0;
        world->rain.count = 0;
        startshower();
    } while (world->rain.art != fall_snow && ++tries < 100);
    ASSERT_EQ(world->rain.art, fall_snow);
    EXPECT_EQ(world->rain.smp, smp_wind);
    EXPECT_EQ(world->rain.chn->sound, world->snd.s[smp_wind].s);

    steady(1, 200);
    tplays plays;
    for (int t = 0; t < 3000; t++) {
        world->rain.upd();
        ASSERT_EQ(world->rain.flash, 0);
    }
    EXPECT_TRUE(plays.take().empty());
    EXPECT_GT(world->snd.s[smp_wind].vol, 0);
    EXPECT_EQ(world->snd.s[smp_rain].vol, 0);
}

TEST_F(raintest, lightning_needs_130_drops_of_rain) {
    tplays plays;
    steady(0, 129);
    for (int t = 0; t < 3000; t++) {
        world->rain.upd();
        ASSERT_EQ(world->rain.flash, 0);
    }
    EXPECT_TRUE(plays.take().empty());

    world->rain.generate();   // 130
    int flashes = 0, thunders = 0;
    for (int t = 0; t < 3000; t++) {
        float before = world->rain.flash;
        world->rain.upd();
        if (world->rain.flash > before) {
            flashes++;
            EXPECT_FLOAT_EQ(world->rain.flash, 1.2f - 0.04f);   // set, then faded the same tick
            EXPECT_EQ(world->rain.flashobj.d.back().y, 400);
            EXPECT_EQ(world->rain.flashobj.d.front().y, -10);
            EXPECT_EQ(world->rain.flashobj.x, world->rain.flashobj.d.back().x);
            EXPECT_GE(world->rain.flashobj.d.size(), 3u);
            EXPECT_LE(world->rain.flashobj.d.size(), 8u);
        }
        for (int s : plays.take()) {
            if (s == 6) thunders++;
            else EXPECT_EQ(s, 7);
        }
    }
    EXPECT_GT(flashes, 50);    // one chance in 15 a tick with the gate open
    EXPECT_LT(flashes, 400);
    EXPECT_GT(thunders, 50);
}

TEST_F(raintest, flash_fades_out_in_30_ticks) {
    world->rain.flash = 1.2f;
    int t = 0;
    while (world->rain.flash > 0 && t < 100) world->rain.upd(), t++;
    EXPECT_GE(t, 30);   // 0.04 a tick: invisible after 30, the float remainder gone a tick later
    EXPECT_LE(t, 31);
    EXPECT_EQ(world->rain.flash, 0);
}

TEST_F(raintest, thunder_opens_only_a_heavy_rain_shower) {
    // The shower's target decides whether thunder greets it.
    int heavy = 0, light = 0;
    for (int k = 0; k < 60; k++) {
        for (auto& r : world->rain.d) r.on = 0;
        world->rain.count = 0;
        tplays plays;
        startshower();
        std::vector<int> p = plays.take();
        bool thunder = std::count(p.begin(), p.end(), 6) == 1;
        if (world->rain.art == fall_rain && world->rain.count2 >= 130) {
            EXPECT_TRUE(thunder);
            heavy++;
        } else {
            EXPECT_TRUE(p.empty());
            light++;
        }
    }
    EXPECT_GT(heavy, 0);
    EXPECT_GT(light, 0);
}

TEST_F(raintest, bolt_of_n_segments_has_n_minus_1_jittered_vertices) {
    for (int n : {1, 2, 7}) {
        int32_t seed = world->rnd.seed;
        world->rain.flashobj.generate(100, -10, 300, 400, n, 1.0f);
        EXPECT_EQ(world->rnd.seed - seed, 2 * (n - 1));   // two draws per inner vertex
        const auto& d = world->rain.flashobj.d;
        ASSERT_EQ(d.size(), size_t(n + 1));
        EXPECT_EQ(d[0].x, 100);
        EXPECT_EQ(d[0].y, -10);
        EXPECT_EQ(d[n].x, 300);
        EXPECT_EQ(d[n].y, 400);
        EXPECT_EQ(world->rain.flashobj.x, 300);
        float sx = 200.0f / n, sy = 410.0f / n;
        for (int i = 1; i < n; i++) {
            float ox = d[i].x - (100 + sx * i), oy = d[i].y - (-10 + sy * i);
            EXPECT_LE(std::fabs(ox), sy + 1e-3f);   // sideways as much as a vertical step
            EXPECT_LE(std::fabs(oy), sx + 1e-3f);
            EXPECT_TRUE(ox != 0 || oy != 0);
        }
    }
}

TEST_F(raintest, bolt_tapers_and_the_flash_glows_over_the_playfield) {
    world->rain.flashobj.generate(100, -10, 300, 400, 4, 1.0f);
    world->rain.flash = 1.2f;
    ClearDrawRecords();
    world->rain.draw();
    auto lines = drawnwith(img_line);
    auto beams = drawnwith(img_beam);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(beams.size(), 1u);
    // Widths 8 x 5/5, 4/5, 3/5 for the lines, 2/5 for the last segment, all at full alpha.
    EXPECT_FLOAT_EQ(lines[0].state.tform_scale_x, 8);
    EXPECT_FLOAT_EQ(lines[1].state.tform_scale_x, 8 * 4 / 5.0f);
    EXPECT_FLOAT_EQ(lines[2].state.tform_scale_x, 8 * 3 / 5.0f);
    EXPECT_FLOAT_EQ(beams[0].state.tform_scale_x, 8 * 2 / 5.0f);
    EXPECT_FLOAT_EQ(lines[0].state.color_alpha, 1);
    auto glow = drawnwith(img_explosion2);
    ASSERT_EQ(glow.size(), 1u);
    EXPECT_EQ(glow[0].x, 400);
    EXPECT_EQ(glow[0].y, 200);
    EXPECT_FLOAT_EQ(glow[0].state.tform_scale_x * img_explosion2->width, 800);
    EXPECT_FLOAT_EQ(glow[0].state.tform_scale_y * img_explosion2->height, 400);
    EXPECT_EQ(DrawState().color_alpha, 1);
    EXPECT_EQ(DrawState().tform_scale_x, 1);

    world->rain.flash = 0;
    ClearDrawRecords();
    world->rain.draw();
    EXPECT_TRUE(drawnwith(img_explosion2).empty());
}

TEST_F(raintest, drops_lean_with_the_wind_and_snowflakes_shrink_with_their_speed) {
    world->rain.wind = 0.5f;
    steady(0, 40);
    ClearDrawRecords();
    world->rain.draw();
    auto drops = drawnwith(img_drop);
    ASSERT_EQ(drops.size(), 40u);
    EXPECT_FLOAT_EQ(drops[0].state.tform_rot, -8);
    EXPECT_FLOAT_EQ(drops[0].state.tform_scale_y, 2 * world->rain.d[0].speedy);
    EXPECT_GE(world->rain.d[0].speedy, 2);
    EXPECT_LT(world->rain.d[0].speedy, 10);
    EXPECT_FLOAT_EQ(world->rain.d[0].speedx, 0.5f / 3 * world->rain.d[0].speedy);

    for (auto& r : world->rain.d) r.on = 0;
    world->rain.count = 0;
    steady(1, 10);
    ClearDrawRecords();
    world->rain.draw();
    auto flakes = drawnwith(img_explosion1);
    ASSERT_EQ(flakes.size(), 10u);
    EXPECT_FLOAT_EQ(flakes[3].state.tform_scale_x, 0.07f * (world->rain.d[3].speedy + 0.5f));
    EXPECT_EQ(DrawState().tform_rot, 0);
}

TEST_F(raintest, strong_wind_blows_some_drops_in_from_the_windward_edge) {
    auto fromside = [](int art, float wind) {
        world->rain.art = art, world->rain.wind = wind;
        int n = 0;
        traindata r;
        for (int i = 0; i < 3000; i++) {
            r.generate();
            if (r.y != -50) {
                EXPECT_EQ(r.x, wind >= 0 ? 0.0f : 800.0f);
                EXPECT_GE(r.y, 0);
                EXPECT_LT(r.y, 400);
                n++;
            }
            EXPECT_EQ(r.rot, wind);
        }
        return n;
    };
    int rainside = fromside(0, 0.999f), snowside = fromside(1, -0.999f);
    EXPECT_NEAR(rainside, 600, 90);     // about one in five
    EXPECT_NEAR(snowside, 1000, 110);   // about one in three
    EXPECT_EQ(fromside(0, 0), 0);
}

TEST_F(raintest, wind_eases_along_a_cosine_to_each_new_target) {
    world->rain.upd();   // waitwind = maxwaitwind = 0 at first: a change is drawn, the wind holds
    EXPECT_EQ(world->rain.waitwind, 0);
    EXPECT_GE(world->rain.maxwaitwind, 100);
    EXPECT_LT(world->rain.maxwaitwind, 700);
    for (int change = 0; change < 5; change++) {
        float from = world->rain.wind1, to = world->rain.wind2;
        EXPECT_NEAR(world->rain.wind, from, 1e-5);
        int len = world->rain.maxwaitwind;
        float prev = from;
        for (int t = 1; t <= len; t++) {
            world->rain.upd();
            EXPECT_LE(std::fabs(world->rain.wind), 1.0f);
            // Never overshoots, always moves toward the target.
            if (to > from) EXPECT_GE(world->rain.wind, prev - 1e-6f);
            else EXPECT_LE(world->rain.wind, prev + 1e-6f);
            prev = world->rain.wind;
            if (t * 2 == len) EXPECT_NEAR(world->rain.wind, (from + to) / 2, 1e-5);
        }
        EXPECT_NEAR(world->rain.wind, to, 1e-5);
        world->rain.upd();   // the next change starts from here
        EXPECT_EQ(world->rain.wind1, to);
    }
}

TEST_F(raintest, storms_strike_only_on_every_128th_tick_of_the_frame_timer) {
    // The whole frame step runs here, so the frame timer's tick count moves on.
    steady(0, 200);
    int flashes = 0, thunders = 0;
    tplays plays;
    for (int f = 0; f < 128 * 150; f++) {
        float before = world->rain.flash;
        stepframes(1);
        int tick = TimerTicks(world->timer);
        int heard = 0;
        for (int s : plays.take()) heard += s == 6;
        if (world->rain.flash > before) {
            flashes++;
            EXPECT_EQ(tick % 128, 0) << "a flash at tick " << tick;
        }
        if (heard) {
            thunders++;
            EXPECT_EQ(tick % 128, 0) << "thunder at tick " << tick;
        }
    }
    ASSERT_EQ(world->rain.prg, rain_steady);
    EXPECT_GT(flashes, 2);   // one chance in 15 at each of the 150 open ticks
    EXPECT_GT(thunders, 2);
}

// "Reduce flashing": storms striking every 128 ticks at 60 and at 480 ticks a second, drawn at
// 60 frames a second. The glow stays faint and starts a rise or a fall at most three times in
// any second; it still glows.
TEST(calmglow, a_storm_gives_a_faint_glow_that_turns_at_most_three_times_a_second) {
    for (int tickrate : {60, 480}) {
        tcalmglow g;
        float flash = 0, top = 0;
        std::vector<int> turns;
        int dir = 0;
        long ticks = 0;
        for (int frame = 0; frame < 60 * 20; frame++) {
            int now = frame * 1000 / 60;
            for (long due = long(frame) * tickrate / 60; ticks < due; ticks++) {
                if (ticks % 128 == 0 && ticks / 128 % 3 != 2) flash = 1.2f;
                flash = std::max(0.0f, flash - 0.04f);
            }
            float before = g.shown, a = g.step(flash, now);
            top = std::max(top, a);
            int d = a > before ? 1 : a < before ? -1 : dir;
            if (d != dir) turns.push_back(now);
            dir = d;
        }
        EXPECT_LE(top, tcalmglow::peak) << tickrate;
        EXPECT_GT(top, 0) << tickrate;
        for (size_t i = 3; i < turns.size(); i++)
            EXPECT_GE(turns[i] - turns[i - 3], 1000) << tickrate << " Hz, turn at " << turns[i] << " ms";
    }
}

// The option changes only what is drawn: a thunderstorm (a strike every 100 frames besides its
// own) drawn every frame with it off and on leaves the same world, as a replay compares it.
TEST_F(raintest, reduce_flashing_leaves_the_world_as_it_is) {
    std::string worlds[2];
    float brightest[2] = {0, 0};
    for (int on : {0, 1}) {
        TearDown();
        SetUp();
        steady(0, 180);
        world->menu.set(menu_reduceflashing, on);
        for (int i = 0; i < 600; i++) {
            if (i % 100 == 0) world->rain.flash = 1.2f;
            stepframes(1);
            drawframe();
            for (auto& r : drawnwith(img_explosion2))
                if (r.state.tform_scale_x * img_explosion2->width == 800)
                    brightest[on] = std::max(brightest[on], r.state.color_alpha);
        }
        worlds[on] = dumpworld(true);   // the part replays compare
    }
    EXPECT_EQ(brightest[0], 1);
    EXPECT_GT(brightest[1], 0);
    EXPECT_LE(brightest[1], tcalmglow::peak);
    EXPECT_EQ(worlds[0], worlds[1]);
}
