// The sky's start values come from the game's random generator in a fixed order: the sun, moon
// and planets' angles, the sound thresholds, then the first clear phase and the wind, then the
// wait for the first cloud. A seeded game repeats its sky exactly.
#include <cmath>

#include "framework/rnd.h"
#include "game/world.h"
#include "sky/cloud.h"
#include "sky/day.h"
#include "sky/rain.h"
#include "tests/support/world.h"

struct skystart : worldtest {
    int seed() const override { return 4711; }
};

TEST_F(skystart, sky_draws_its_start_values_first_and_in_order) {
    trnd r(4711);
    EXPECT_EQ(world->day.d[0].rot, r.updf(360));
    EXPECT_EQ(world->day.d[1].rot, r.updf(360));
    EXPECT_EQ(world->day.d[2].rot, r.updf(360));
    EXPECT_EQ(world->day.daypos, r.updf(90));
    EXPECT_EQ(world->day.nightpos, 180 + r.updf(90));
    EXPECT_EQ(world->rain.wait, r.upd(10000));
    float wind = r.updf(2) - 1;
    EXPECT_EQ(world->rain.wind, wind);
    EXPECT_EQ(world->rain.wind2, wind);
    EXPECT_EQ(world->clouds.wait, r.upd(3000));

    // The half the game starts in is already spent.
    bool night = std::fmod(world->day.d[0].rot + 50, 360.0f) >= 180;
    EXPECT_EQ(world->day.nightsnd, night ? 1 : 0);
    EXPECT_EQ(world->day.daysnd, night ? 0 : 1);

    // Nothing has moved yet: the bodies are placed by their first tick, the weather is clear.
    EXPECT_EQ(world->day.d[0].x, 0);
    EXPECT_EQ(world->rain.prg, rain_clear);
    EXPECT_EQ(world->rain.count, 0);
    EXPECT_EQ(world->rain.maxwaitwind, 0);
    EXPECT_EQ(world->clouds.count(), 0);
}

TEST_F(skystart, first_tick_places_the_bodies_and_draws_the_first_wind_change) {
    const float rot0 = world->day.d[0].rot;
    trnd before = world->rnd;
    world->day.upd();
    EXPECT_EQ(world->rnd.seed, before.seed);   // a tick of the sky alone draws nothing (no sound due)
    float a = std::fmod(rot0 + 0.02f, 360.0f);
    EXPECT_FLOAT_EQ(world->day.d[0].x, float(std::sin((a + 180) * M_PI / 180)) * 430 + 400);
    EXPECT_FLOAT_EQ(world->day.d[0].y, float(std::cos((a + 180) * M_PI / 180)) * 330 + 400);

    // The wind's first change is drawn at once (waitwind = maxwaitwind = 0); the wind holds
    // its start value for that tick.
    float wind = world->rain.wind;
    world->rain.wait = 1000;
    trnd r = world->rnd;
    world->rain.upd();
    int len = r.upd(600) + 100;
    EXPECT_EQ(world->rain.maxwaitwind, len);
    EXPECT_EQ(world->rain.waitwind, 0);
    EXPECT_EQ(world->rain.wind1, wind);
    EXPECT_EQ(world->rain.wind2, r.updf(2) - 1);
    EXPECT_EQ(world->rain.wind, wind);
    EXPECT_FLOAT_EQ(world->rain.winda, 180.0f / float(len));
}
