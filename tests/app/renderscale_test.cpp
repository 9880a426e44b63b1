// The render scale: what the player's option reads as, and how finely a frame is drawn for a
// canvas on a software rasteriser or a GPU.
#include <gtest/gtest.h>

#include "app/renderscale.h"

TEST(renderscale, option_reads_auto_device_or_a_detail_within_its_range) {
    struct tcase {
        const char* text;
        bool ok;
        float value;
    } cases[] = {
        {"auto", true, -1}, {"device", true, 0}, {"1", true, 1},      {"2.5", true, 2.5f}, {"0.5", true, 0.5f},
        {"8", true, 8},     {"0.4", false, 0},   {"8.5", false, 0},   {"0", false, 0},     {"-1", false, 0},
        {"", false, 0},     {"1x", false, 0},    {"nan", false, 0},   {"Auto", false, 0},  {"inf", false, 0},
    };
    for (const tcase& c : cases) {
        float v = 42;
        EXPECT_EQ(parserenderscale(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 42) << c.text;
    }
}

// The limit is in pixels per canvas pixel; times the canvas's pixels per playfield unit it
// gives the pixels a playfield unit is drawn at.
TEST(renderscale, software_draws_the_playfield_at_its_own_size_and_a_gpu_at_device_pixels) {
    struct tcase {
        float option;
        bool software;
        float unit;         // canvas pixels per playfield unit
        float perunit;      // pixels per playfield unit drawn; 0: the device's pixels
    } cases[] = {
        {-1, true, 2.4f, 1},   // a maximised 1920 x 1040 window on llvmpipe: an 800 x 433 frame
        {-1, true, 1, 1},      // the default window: as it was (unless the screen has more pixels)
        {-1, true, 0.5f, 1},   // a small window: the limit lies above the device's pixels
        {-1, false, 2.4f, 0},  // a GPU
        {0, true, 2.4f, 0},    // "device" on a software rasteriser
        {2, false, 2.4f, 2},   // a chosen detail holds on a GPU too
        {1.5f, true, 1.6f, 1.5f},
        {-1, true, 0, 0},      // a minimised window has no scale
    };
    for (const tcase& c : cases) {
        float limit = renderlimit(c.option, c.software, c.unit);
        EXPECT_NEAR(limit * c.unit, c.perunit, 1e-6) << c.option << " " << c.software << " " << c.unit;
    }
}
