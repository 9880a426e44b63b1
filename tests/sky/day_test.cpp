// Day and night: the sky's position, the bodies, the day and night sounds, the rainbow and
// the lens flare, on a fresh seeded world with the sky stepped tick by tick.
#include <cmath>

#include "framework/assets.h"
#include "framework/rnd.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/day.h"
#include "sky/rain.h"
#include "tests/sky/skytest.h"

struct daytest : worldtest {
    tdaydata& sun() { return world->day.d[0]; }
    float phase() { return std::fmod(sun().rot + 50, 360.0f); }
};

TEST_F(daytest, sky_is_at_the_top_at_noon_and_moved_up_fully_at_midnight) {
    sun().speedr = 0;
    sun().rot = 0;
    world->day.upd();
    EXPECT_EQ(world->day.skycos, 0.0f);
    EXPECT_FLOAT_EQ(sun().x, 400);
    EXPECT_FLOAT_EQ(sun().y, 70);

    sun().rot = 180;
    world->day.upd();
    EXPECT_EQ(world->day.skycos, -1.0f);
    EXPECT_NEAR(sun().x, 400, 1e-3);
    EXPECT_FLOAT_EQ(sun().y, 730);

    // Drawn: the gradient stretched to 800 x 2418, its bottom at the street; the stars fully
    // shown (alpha limited to 1), turned back by the sun's angle about (400, 400).
    ClearDrawRecords();
    world->day.draw();
    auto sky = drawnwith(img_sky);
    ASSERT_EQ(sky.size(), 1u);
    EXPECT_FLOAT_EQ(sky[0].y, -2048);
    EXPECT_FLOAT_EQ(sky[0].state.tform_scale_x * img_sky->width, 800);
    EXPECT_FLOAT_EQ(sky[0].state.tform_scale_y * img_sky->height, 2418);
    auto stars = drawnwith(img_stars);
    ASSERT_EQ(stars.size(), 1u);
    EXPECT_FLOAT_EQ(stars[0].x, 400);
    EXPECT_FLOAT_EQ(stars[0].y, 400);
    EXPECT_FLOAT_EQ(stars[0].state.tform_rot, -180);
    EXPECT_FLOAT_EQ(stars[0].state.tform_scale_x, starscale);
    EXPECT_FLOAT_EQ(stars[0].state.color_alpha, 1);
    EXPECT_NEAR(stars[0].state.tform_scale_x * img_stars->width, 1131.37f, 0.01f);
}

TEST_F(daytest, bodies_are_drawn_planets_first_and_the_sun_on_top) {
    world->day.upd();
    ClearDrawRecords();
    world->day.draw();
    std::vector<const TImage*> order;
    for (const auto& r : DrawRecords())
        if (r.op == tdrawrecord::image) order.push_back(r.img);
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(order[2], img_planets);
    EXPECT_EQ(order[3], img_moon);
    EXPECT_EQ(order[4], img_sun);
    // The drawing state is left upright and opaque.
    EXPECT_EQ(DrawState().tform_rot, 0);
    EXPECT_EQ(DrawState().color_alpha, 1);
}

TEST_F(daytest, start_half_is_silent_and_each_half_then_plays_its_sound_once) {
    // A day that starts in the morning half.
    sun().rot = 60;
    world->day.daysnd = 1, world->day.nightsnd = 0;
    tplays plays;
    int nights = 0, days = 0;
    float nightphase = 0, dayphase = 0, nightpos = world->day.nightpos;
    // One full turn of the sun and a bit: the evening half, then the next morning.
    for (int t = 0; t < 18000; t++) {
        float before = world->day.nightpos, beforeday = world->day.daypos;
        world->day.upd();
        for (int s : plays.take()) {
            if (s == 19) {
                nights++;
                nightphase = phase();
                nightpos = before;
            } else if (s == 18) {
                days++;
                dayphase = phase();
                EXPECT_GT(dayphase, beforeday);
            } else {
                ADD_FAILURE() << "unexpected sample " << s;
            }
        }
        if (days == 0 && phase() < 180 && phase() > 110) EXPECT_EQ(nights, 0);
    }
    EXPECT_EQ(nights, 1);
    EXPECT_EQ(days, 1);
    EXPECT_GT(nightphase, nightpos);
    EXPECT_LT(nightphase, nightpos + 0.1f);
    EXPECT_LT(dayphase, 90.1f);
}

TEST_F(daytest, sound_of_the_half_the_game_starts_in_is_not_played) {
    // The choice made at creation: the sun's phase decides which sound is already spent.
    for (int seed = 1; seed <= 8; seed++) {
        world->rnd = trnd(seed);
        world->day = tday();
        world->day.init();
        if (phase() >= 180) EXPECT_TRUE(world->day.nightsnd == 1 && world->day.daysnd == 0);
        else EXPECT_TRUE(world->day.daysnd == 1 && world->day.nightsnd == 0);
        EXPECT_GE(world->day.daypos, 0);
        EXPECT_LT(world->day.daypos, 90);
        EXPECT_GE(world->day.nightpos, 180);
        EXPECT_LT(world->day.nightpos, 270);
    }
}

struct rainbowtest : daytest {
    void shower(int art, int countlast) {
        world->rain.prg = rain_steady, world->rain.art = art, world->rain.countlast = countlast,
        world->rain.count = countlast;
    }
};

TEST_F(rainbowtest, daytime_shower_ends_in_a_rainbow_with_one_chime) {
    sun().rot = 30;
    shower(0, 100);
    world->day.drawrainbow();   // the last frame before the rain starts to end decides
    EXPECT_EQ(world->day.rainbowon, 1);

    tplays plays;
    world->rain.prg = rain_thinning;
    ClearDrawRecords();
    world->day.drawrainbow();
    auto bow = drawnwith(img_rainbow);
    ASSERT_EQ(bow.size(), 1u);
    EXPECT_FLOAT_EQ(bow[0].state.color_alpha, 0);   // all drops still falling: q = 2
    EXPECT_EQ(DrawState().color_alpha, 1);

    world->rain.count = 50;   // half gone: the peak, half the shower's strength
    ClearDrawRecords();
    world->day.drawrainbow();
    EXPECT_FLOAT_EQ(drawnwith(img_rainbow)[0].state.color_alpha, 0.25f);

    world->rain.count = 25;
    ClearDrawRecords();
    world->day.drawrainbow();
    EXPECT_FLOAT_EQ(drawnwith(img_rainbow)[0].state.color_alpha, 0.125f);

    std::vector<int> chimes = plays.take();
    ASSERT_EQ(chimes, std::vector<int>{23});
    EXPECT_FLOAT_EQ(world->snd.c[world->snd.chn].c->rate, 0.5f + (1 - 0.5f) / 2);   // lighter: higher

    // The next shower chimes again.
    shower(0, 200);
    world->day.drawrainbow();
    world->rain.prg = rain_thinning;
    world->day.drawrainbow();
    world->day.drawrainbow();
    EXPECT_EQ(plays.take(), std::vector<int>{23});
    EXPECT_FLOAT_EQ(world->snd.c[world->snd.chn].c->rate, 0.5f);
}

TEST_F(rainbowtest, no_rainbow_for_snow_or_a_low_sun) {
    tplays plays;
    // Snow in full sun.
    sun().rot = 0;
    shower(1, 150);
    world->day.drawrainbow();
    world->rain.prg = rain_thinning, world->rain.count = 75;
    ClearDrawRecords();
    world->day.drawrainbow();
    EXPECT_TRUE(drawnwith(img_rainbow).empty());

    // Rain that starts to end with the sun low, even if the sun rises while it ends.
    for (float rot : {80.0f, 180.0f, 280.0f}) {
        sun().rot = rot;
        shower(0, 150);
        world->day.drawrainbow();
        EXPECT_EQ(world->day.rainbowon, 0) << rot;
        world->rain.prg = rain_thinning, world->rain.count = 75;
        sun().rot = 0;
        ClearDrawRecords();
        world->day.drawrainbow();
        EXPECT_TRUE(drawnwith(img_rainbow).empty()) << rot;
    }
    EXPECT_TRUE(plays.take().empty());
}

TEST_F(daytest, moon_shows_its_left_side_to_the_sun) {
    sun().x = 600, sun().y = 100;
    tdaydata& moon = world->day.d[1];
    moon.x = 200, moon.y = 300;
    ClearDrawRecords();
    moon.draw();
    auto r = drawnwith(img_moon);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].x, 0);
    EXPECT_EQ(r[0].y, 0);
    EXPECT_FLOAT_EQ(r[0].state.tform_rot, 90);
    // The loaded matrix puts the origin at the moon (in canvas pixels) and maps local points
    // mirrored; with the quarter turn the picture's left (negative u) lies toward the sun.
    const float* m = r[0].modelview;
    EXPECT_FLOAT_EQ(m[12], 200 * world->viewscalex);
    EXPECT_FLOAT_EQ(m[13], 300 * world->viewscaley);
    float dx = 400, dy = -200, len = std::sqrt(dx * dx + dy * dy);
    float ux = dx / len, uy = dy / len;
    // Local (a, b) -> (m0 a + m4 b, m1 a + m5 b); the quarter turn maps picture (u, v) to (-v, u).
    auto place = [&](float u, float v) {
        float a = -v, b = u;
        return std::pair<float, float>{(m[0] * a + m[4] * b) / world->viewscalex + 200,
                                       (m[1] * a + m[5] * b) / world->viewscaley + 300};
    };
    auto [lx, ly] = place(-10, 0);
    EXPECT_NEAR(lx, 200 + 10 * ux, 1e-3);
    EXPECT_NEAR(ly, 300 + 10 * uy, 1e-3);
    auto [vx, vy] = place(0, 10);
    EXPECT_NEAR(vx, 200 - 10 * uy, 1e-3);
    EXPECT_NEAR(vy, 300 + 10 * ux, 1e-3);
    EXPECT_EQ(DrawState().tform_rot, 0);

    // On the sun itself there is no direction to face: nothing is drawn.
    moon.x = sun().x, moon.y = sun().y;
    ClearDrawRecords();
    moon.draw();
    EXPECT_TRUE(drawnwith(img_moon).empty());
}

struct lenstest : daytest {
    // A pixel of the skyline mask whose alpha byte is a.
    bool findalpha(bool (*want)(int), int& x, int& y) {
        const TPixmap& p = img_citylens->pixmaps[0];
        for (y = 1; y < p.height; y++)
            for (x = 1; x < p.width - 1; x++)
                if (want(PixelBytes(p, x, y)[3])) return true;
        return false;
    }
    std::vector<tdrawrecord> flare() {
        std::vector<tdrawrecord> out;
        for (const auto& r : DrawRecords())
            if (r.op == tdrawrecord::image) out.push_back(r);
        return out;
    }
};

TEST_F(lenstest, flare_elements_stand_on_the_line_through_the_view_centre) {
    tlensflare& lens = *sun().lens;
    ASSERT_EQ(lens.d.size(), 16u);
    EXPECT_EQ(lens.d[5].img, img_ring);
    EXPECT_FLOAT_EQ(lens.d[0].pos, 0.35f);
    lens.upd(400, 200);
    for (auto& e : lens.d) {
        EXPECT_FLOAT_EQ(e.x, 400);
        EXPECT_FLOAT_EQ(e.y, 200);
    }
    lens.upd(500, 100);
    EXPECT_NEAR(lens.d[0].x, 400 + 1.35f * 100, 1e-3);    // beyond the sun
    EXPECT_NEAR(lens.d[0].y, 200 - 1.35f * 100, 1e-3);
    EXPECT_NEAR(lens.d[15].x, 400 - 0.97f * 100, 1e-3);   // beyond the centre
    EXPECT_NEAR(lens.d[15].y, 200 + 0.97f * 100, 1e-3);
}

TEST_F(lenstest, flare_fades_at_a_blurred_edge_and_hides_behind_buildings_and_at_the_sides) {
    int x = 0, y = 0;
    ASSERT_TRUE(findalpha([](int a) { return a > 0 && a < 255; }, x, y));
    int a = PixelBytes(img_citylens->pixmaps[0], x, y)[3];
    sun().x = x + 0.5f, sun().y = y + 0.5f;
    sun().lens->upd(sun().x, sun().y);
    float kept = sun().lens->alpha;
    ClearDrawRecords();
    world->day.drawlens();
    auto drawn = flare();
    ASSERT_EQ(drawn.size(), 16u);
    float strength = float(255 - a) / 255;
    EXPECT_EQ(sun().lens->alpha, kept);   // drawing changes nothing of the world
    EXPECT_FLOAT_EQ(drawn[0].state.color_alpha, 0.2f * strength);
    EXPECT_EQ(drawn[1].state.color_red, 205);
    EXPECT_EQ(drawn[1].state.color_blue, 55);
    EXPECT_FLOAT_EQ(drawn[13].state.tform_scale_x, 2.0f);
    EXPECT_EQ(DrawState().color_alpha, 1);
    EXPECT_EQ(DrawState().color_blue, 255);
    EXPECT_EQ(DrawState().tform_scale_x, 1);

    ASSERT_TRUE(findalpha([](int a) { return a == 255; }, x, y));
    sun().x = float(x), sun().y = float(y);
    ClearDrawRecords();
    world->day.drawlens();
    EXPECT_TRUE(flare().empty());

    // x = 0, y = 0 and the mask's bottom are outside it.
    const float edges[][2] = {{0, 100}, {400, 0}, {400, float(img_citylens->height)}, {400, 500},
                              {-30, 100}, {float(img_citylens->width), 100}};
    for (auto& e : edges) {
        sun().x = e[0], sun().y = e[1];
        ClearDrawRecords();
        world->day.drawlens();
        EXPECT_TRUE(flare().empty()) << e[0] << ", " << e[1];
    }

    // Clear sky high up shows the flare at full strength; the moon has none.
    sun().x = 400, sun().y = 20;
    world->day.d[1].x = 300, world->day.d[1].y = 20;
    ClearDrawRecords();
    world->day.drawlens();
    ASSERT_EQ(flare().size(), 16u);
    EXPECT_FLOAT_EQ(flare()[0].state.color_alpha, 0.2f);

    // The mask's opaque side columns dim the flare as the sun reaches the edges.
    for (float ex : {0.5f, float(img_citylens->width) - 0.5f}) {
        sun().x = ex, sun().y = 20;
        ClearDrawRecords();
        world->day.drawlens();
        auto dim = flare();
        EXPECT_TRUE(dim.empty() || dim[0].state.color_alpha < 0.2f * 0.5f) << ex;
    }
}

TEST_F(rainbowtest, the_frame_step_decides_the_rainbow_and_chimes_without_a_repaint) {
    // A world that is never drawn (headless, or a window that merges repaints under F5) still
    // gets the rainbow of a daytime shower, with its one chime at the end of the step.
    sun().speedr = 0;
    sun().rot = 30;
    shower(0, 100);
    world->rain.prg = rain_steady, world->rain.wait = 1000;
    stepframes(1);
    EXPECT_EQ(world->day.rainbowon, 1);
    tplays plays;
    world->rain.prg = rain_thinning;
    stepframes(1);
    EXPECT_EQ(plays.count(23), 1);
    EXPECT_EQ(world->day.rainbowplay, 1);
    world->day.drawrainbow();   // the repaint after it changes nothing
    EXPECT_TRUE(plays.take().empty());
}
