// The render scale: what the player's option reads as, and how finely a frame is drawn for a
// canvas on a software rasteriser or a GPU.
#include <gtest/gtest.h>

#include <algorithm>

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
// gives the pixels a playfield unit is drawn at. On a software rasteriser a larger canvas draws
// a little less, to pay for scaling the frame to it, within [low, high].
TEST(renderscale, software_draws_near_the_playfields_own_size_and_a_gpu_at_device_pixels) {
    struct tcase {
        float option;
        bool software;
        int w, h;           // the canvas
        float low, high;    // pixels per playfield unit drawn; 0: the device's pixels
    } cases[] = {
        {-1, true, 800, 400, 1, 1},         // the default window: as it was
        {-1, true, 800, 411, 1, 1},         // the default window on a desktop: its own pixels
        {-1, true, 400, 200, 1, 1},         // a small window: the limit lies above the device's pixels
        {-1, true, 1280, 660, 0.94f, 0.98f},
        {-1, true, 1600, 860, 0.8f, 0.9f},
        {-1, true, 1920, 1040, 0.75f, 0.75f}, // a maximised window on llvmpipe: 600 x 325
        {-1, true, 3840, 2160, 0.75f, 0.75f}, // no blurrier than 0.75 however large
        {-1, false, 1920, 1040, 0, 0},      // a GPU
        {0, true, 1920, 1040, 0, 0},        // "device" on a software rasteriser
        {2, false, 1920, 1040, 2, 2},       // a chosen detail holds on a GPU too
        {1.5f, true, 1280, 640, 1.5f, 1.5f},
        {-1, true, 0, 0, 0, 0},             // a minimised window has no scale
    };
    for (const tcase& c : cases) {
        float unit = c.w > 0 ? std::min(c.w / 800.0f, c.h / 400.0f) : 0;
        float perunit = renderlimit(c.option, c.software, unit, float(c.w) * float(c.h)) * unit;
        EXPECT_GE(perunit, c.low - 1e-6f) << c.option << " " << c.software << " " << c.w << "x" << c.h;
        EXPECT_LE(perunit, c.high + 1e-6f) << c.option << " " << c.software << " " << c.w << "x" << c.h;
    }
}
