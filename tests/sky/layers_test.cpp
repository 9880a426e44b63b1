// Where the sky and the weather go in a frame: the sky behind everything, the clouds before the
// title, the rainbow over the skyline but under the flag, the rain over the street and the
// fight, the lens flare last before the HUD.
#include <algorithm>

#include "framework/assets.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/cloud.h"
#include "sky/day.h"
#include "sky/rain.h"
#include "tests/support/world.h"

namespace {

struct skylayers : worldtest {
    // Index of the first (or last) image record drawn with img, -1 if none.
    int first(const TImage* img) {
        const auto& d = DrawRecords();
        for (size_t i = 0; i < d.size(); i++)
            if (d[i].op == tdrawrecord::image && d[i].img == img) return int(i);
        return -1;
    }
    int last(const TImage* img) {
        const auto& d = DrawRecords();
        for (size_t i = d.size(); i-- > 0;)
            if (d[i].op == tdrawrecord::image && d[i].img == img) return int(i);
        return -1;
    }
};

}  // namespace

TEST_F(skylayers, sky_weather_and_flare_are_drawn_in_their_places) {
    // The sun high in a clear patch of sky, a cloud, a steady rain of 60 drops with a flash.
    world->day.d[0].rot = 0;
    world->day.upd();
    ASSERT_LT(world->day.d[0].y, 100);
    world->clouds.generate();
    world->rain.prg = rain_building, world->rain.art = fall_rain, world->rain.count2 = world->rain.countlast = 60;
    while (world->rain.count < 60) world->rain.generate();
    world->rain.prg = rain_steady;
    drawframe();                      // the last frame before the rain ends decides the rainbow
    EXPECT_EQ(world->day.rainbowon, 1);
    EXPECT_EQ(first(img_rainbow), -1);

    world->rain.prg = rain_thinning,
    world->rain.count2 = world->rain.count = 30;   // thinned to half: the bow at its brightest
    world->rain.flash = 1;
    drawframe();
    const auto& d = DrawRecords();
    int sky = first(img_sky), stars = first(img_stars), sun = first(img_sun), cloud = first(img_cloud);
    int title = first(img_title), city = first(img_city), bow = first(img_rainbow);
    int flag = first(img_flag), street = first(img_street), drop = first(img_drop);
    int ring = first(img_ring), drops = last(img_drop);
    ASSERT_GE(sky, 0);
    for (int i = 0; i < sky; i++) EXPECT_NE(d[size_t(i)].op, tdrawrecord::image);   // the sky first
    EXPECT_LT(sky, stars);
    EXPECT_LT(stars, sun);
    EXPECT_LT(sun, cloud);
    EXPECT_LT(cloud, title);
    EXPECT_LT(title, city);
    EXPECT_LT(city, bow);
    EXPECT_LT(bow, flag);
    EXPECT_LT(flag, street);
    EXPECT_LT(street, drop);
    EXPECT_FLOAT_EQ(d[size_t(bow)].state.color_alpha, 60.0f / 200 / 2);

    // After the drops the flash's glow over the playfield, then the flare's sixteen elements.
    int glow = -1;
    for (size_t i = size_t(drops) + 1; i < d.size() && glow < 0; i++)
        if (d[i].op == tdrawrecord::image && d[i].img == img_explosion2 &&
            d[i].state.tform_scale_x * img_explosion2->width > 799)
            glow = int(i);
    ASSERT_GT(glow, drops);
    EXPECT_LT(glow, ring);
    int flare = 0;
    for (size_t i = size_t(ring) - 5; i < d.size(); i++)
        if (d[i].op == tdrawrecord::image && (d[i].img == img_ring || d[i].img == img_explosion2) &&
            d[i].state.tform_scale_x < 2.5f)
            flare++;
    EXPECT_EQ(flare, 16);
    EXPECT_EQ(DrawState().color_alpha, 1);
}
