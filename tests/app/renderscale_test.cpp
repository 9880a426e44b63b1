// The render scale: what the player's option reads as, and how finely a frame is drawn for a
// canvas on a software rasteriser or a GPU.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

// The interface over a scene in pixels per playfield unit: drawn with the scene while it reads
// easily (nothing drawn apart), else at the least that reads, never more than the whole choice.
TEST(renderscale, the_interface_keeps_pixels_enough_to_read_and_no_more) {
    struct tcase {
        float scene, whole, unit, interface;   // per playfield unit; 0: the device's
    } cases[] = {
        {1, 1, 1.25f, 1},             // a fight at full speed
        {0.8f, 1, 1.25f, 0.8f},       // a fight that gave up a little: still readable
        {0.5f, 1, 1.25f, 0.75f},      // at the least
        {0.5f, 0.6f, 1, 0.6f},        // no more than the whole choice
        {0, 0, 2.4f, 0},              // the device's pixels
        {0.5f, 0.5f, 1, 0.5f},        // a chosen detail holds for both
    };
    for (const tcase& c : cases)
        EXPECT_FLOAT_EQ(interfacelimit(c.scene / c.unit, c.whole / c.unit, c.unit) * c.unit, c.interface)
            << c.scene << " " << c.whole << " " << c.unit;
}

// The detail on a software rasteriser, a played level's or the title's, second by second: the
// frames stepped and shown in each, and the share of the automatic pixels per unit kept after it.
TEST(renderscale, the_detail_follows_the_frames_shown_and_wins_them_back_slowly) {
    struct tsecond {
        int ticks, shown;
        float keep, particles = 1;
    };
    const struct tcase {
        const char* what;
        std::vector<tsecond> seconds;
        bool title = false;
    } cases[] = {
        {"full speed keeps it all", {{60, 60, 1}, {60, 59, 1}, {60, 55, 1}}},
        {"a display of 50 Hz is full speed", {{60, 50, 1}, {60, 50, 1}, {60, 46, 1}}},
        {"a slow second gives up pixels in proportion",
         {{60, 60, 1}, {60, 30, 0.7071f}, {60, 45, 0.6124f}, {60, 53, 0.5756f}, {60, 59, 0.5756f}}},
        {"a step down is three tenths at most", {{60, 60, 1}, {60, 20, 0.7f}, {60, 52, 0.6517f}}},
        {"never below half", {{60, 60, 1}, {60, 10, 0.7f}, {60, 10, 0.5f}, {60, 5, 0.5f, 0.7f}}},
        {"at the least, smaller particles in two steps; a step up gives them back first, a step at a time",
         {{60, 20, 0.7f}, {60, 20, 0.5f}, {60, 20, 0.5f, 0.7f}, {60, 20, 0.5f, 0.5f}, {60, 20, 0.5f, 0.5f},
          {60, 60, 0.5f, 0.5f}, {60, 60, 0.5f, 0.5f}, {60, 60, 0.5f, 0.7f}, {60, 60, 0.5f, 0.7f},
          {60, 60, 0.5f, 0.7f}, {60, 60, 0.5f, 1}, {60, 60, 0.5f, 1}, {60, 60, 0.5f, 1}, {60, 60, 0.56f, 1}}},
        {"three calm seconds win a step back",
         {{60, 60, 1}, {60, 20, 0.7f}, {60, 60, 0.7f}, {60, 60, 0.7f}, {60, 60, 0.784f}, {60, 58, 0.784f}}},
        {"a second short of full speed starts the count again",
         {{60, 60, 1}, {60, 20, 0.7f}, {60, 60, 0.7f}, {60, 56, 0.7f}, {60, 60, 0.7f}, {60, 60, 0.7f},
          {60, 60, 0.784f}}},
        {"a step up lost again doubles the wait",
         {{60, 60, 1}, {60, 20, 0.7f}, {60, 60, 0.7f}, {60, 60, 0.7f}, {60, 60, 0.784f}, {60, 40, 0.64f},
          {60, 60, 0.64f}, {60, 60, 0.64f}, {60, 60, 0.64f}, {60, 60, 0.64f}, {60, 60, 0.64f},
          {60, 60, 0.717f}}},
        {"no step above all of it", {{60, 60, 1}, {60, 50, 0.913f}, {60, 60, 0.913f}, {60, 60, 0.913f}, {60, 60, 1}}},
        {"nothing shown (a minimised window): nothing to follow", {{60, 60, 1}, {60, 0, 1}, {60, 0, 1}}},
        {"slow from the first second: the display taken to show 50",
         {{60, 20, 0.7f}, {60, 40, 0.7f * 0.894f}, {60, 46, 0.7f * 0.894f}}},
        {"the title gives up pixels until its words read no more easily, never its particles",
         {{60, 60, 1}, {60, 40, 0.816f}, {60, 20, 0.75f}, {60, 10, 0.75f}, {60, 10, 0.75f}, {60, 60, 0.75f},
          {60, 60, 0.75f}, {60, 60, 0.84f}},
         true},
    };
    for (const tcase& c : cases) {
        tdetail d = c.title ? titledetail(0) : tdetail{};
        for (size_t i = 0; i < c.seconds.size(); i++) {
            const tsecond& s = c.seconds[i];
            float was = d.keep, wasparticles = d.particles;
            bool changed = d.second(s.ticks, s.shown);
            EXPECT_EQ(changed, d.keep != was || d.particles != wasparticles) << c.what << ", second " << i;
            EXPECT_NEAR(d.keep, s.keep, 0.002f) << c.what << ", second " << i;
            EXPECT_FLOAT_EQ(d.particles, s.particles) << c.what << ", second " << i;
        }
    }
    // The share reaches the drawn size: never below half a pixel a unit, the automatic choice
    // itself when that is less.
    EXPECT_FLOAT_EQ(renderlimit(-1, true, 1, 800 * 400, 0.6f), 0.6f);
    EXPECT_FLOAT_EQ(renderlimit(-1, true, 1, 800 * 400, 0.3f), 0.5f);
    EXPECT_FLOAT_EQ(renderlimit(-1, true, 2.4f, 1920 * 1040, 0.5f) * 2.4f, 0.5f);
    EXPECT_FLOAT_EQ(renderlimit(1.5f, true, 1, 800 * 400, 0.5f), 1.5f);   // a chosen detail holds
    // the title's least: 0.75 a unit, where a large canvas's choice already is
    EXPECT_FLOAT_EQ(renderlimit(-1, true, 1, 800 * 400, 0.5f, readableunit), 0.75f);
    EXPECT_FLOAT_EQ(renderlimit(-1, true, 2.4f, 1920 * 1040, 0.75f, readableunit) * 2.4f, 0.75f);
}
