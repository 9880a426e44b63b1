// Smooth motion: frames drawn at the display's rate between the world's steps, and a world that
// stays the same game whatever the display and the option.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/replay.h"
#include "app/replayfile.h"
#include "app/smooth.h"
#include "app/world.h"
#include "framework/assets.h"
#include "framework/menutags.h"
#include "platform/testing.h"
#include "tests/support/files.h"
#include "tests/traffic/calm.h"

namespace {

// What a drawn frame shows of a plane, a missile's head and the first cloud.
struct tseen {
    float x[3] = {NAN, NAN, NAN}, y[3] = {NAN, NAN, NAN};
};
tseen seen() {
    tseen s;
    for (const tdrawrecord& r : DrawRecords()) {
        int k = r.img == img_plane[0] ? 0 : r.img == img_rocket ? 1 : r.img == img_cloud ? 2 : -1;
        if (k < 0 || !std::isnan(s.x[k])) continue;
        // the head is drawn at its place by the modelview matrix, in canvas pixels
        s.x[k] = k == 1 ? r.modelview[12] / world->viewscalex : r.x;
        s.y[k] = k == 1 ? r.modelview[13] / world->viewscaley : r.y;
    }
    return s;
}

// Over the drawn frames: the share that moved since the frame before, and the largest
// difference of a frame's movement from the mean movement, as a share of the mean.
struct tmotion {
    double moved = 0, spread = 0;
};

}   // namespace

struct smooth : calmworld {
    void TearDown() override {
        SimulateDisplay(60);
        calmworld::TearDown();
    }

    // `frames` frames of a display at `hz`, the option as `on`; the motion of each of the three.
    std::vector<tmotion> watch(float hz, bool on, int frames) {
        plane(700, 100, 1.2f);
        missile(100, 20, 700, 370, 1, 0);
        world->clouds = tcloud();
        tclouddata& c = world->clouds.add();
        c.x = 100, c.y = 60, c.speedx = 0.3f, c.dir = 1;
        // a calm that lasts: the wind would change the cloud's own speed
        world->rain.wind = world->rain.wind1 = world->rain.wind2 = 0;
        world->rain.waitwind = 0, world->rain.maxwaitwind = 1000000;
        SimulateDisplay(hz);
        choose(menu_smoothmotion);   // chosen: the display no longer decides
        if ((world->menu.get(menu_smoothmotion) & 1) != int(on)) choose(menu_smoothmotion);
        EXPECT_EQ(smoothing(), on);
        for (int i = 0; i < int(hz); i++) StepDisplay();   // a second to get going
        std::vector<std::vector<double>> steps(3);
        tseen last = seen();
        for (int i = 0; i < frames; i++) {
            StepDisplay();
            tseen now = seen();
            for (int k = 0; k < 3; k++) steps[k].push_back(std::hypot(now.x[k] - last.x[k], now.y[k] - last.y[k]));
            last = now;
        }
        std::vector<tmotion> out(3);
        for (int k = 0; k < 3; k++) {
            double sum = 0;
            int moved = 0;
            for (double d : steps[k]) sum += d, moved += d > 1e-4;
            double mean = sum / double(frames);
            EXPECT_GT(mean, 0) << "object " << k << " was not seen moving";
            for (double d : steps[k]) out[k].spread = std::max(out[k].spread, std::abs(d - mean) / mean);
            out[k].moved = double(moved) / double(frames);
        }
        std::printf(
            "display %3.0f Hz, smooth %-3s: plane moved %3.0f%% spread %3.0f%%, missile %3.0f%% %3.0f%%, cloud %3.0f%% "
            "%3.0f%%\n",
            hz, on ? "on" : "off", out[0].moved * 100, out[0].spread * 100, out[1].moved * 100, out[1].spread * 100,
            out[2].moved * 100, out[2].spread * 100);
        return out;
    }
};

TEST_F(smooth, every_frame_of_a_faster_display_moves_a_plane_a_missile_and_a_cloud_evenly) {
    for (float hz : {60.0f, 120.0f, 144.0f, 240.0f}) {
        SCOPED_TRACE(hz);
        for (const tmotion& m : watch(hz, true, 288)) {
            EXPECT_EQ(m.moved, 1);
            EXPECT_LT(m.spread, 0.1);
        }
        TearDown();
        SetUp();
    }
}

TEST_F(smooth, without_it_a_144_hz_display_shows_each_step_two_or_three_times) {
    for (const tmotion& m : watch(144, false, 288)) {
        EXPECT_NEAR(m.moved, 60.0 / 144, 0.01);
        EXPECT_GT(m.spread, 1);
    }
}

TEST_F(smooth, f2_and_the_world_take_the_step_as_it_is) {
    SimulateDisplay(144);
    for (int i = 0; i < 3; i++) StepDisplay();   // the next tick's event finds the display's rate
    EXPECT_TRUE(smoothing());                    // on by default on a display faster than 60 Hz
    tplanedata& p = plane(400, 100, 1);
    int from = TimerTicks(world->timer);
    for (int i = 0; i < 4; i++) StepDisplay();
    ASSERT_GT(TimerFraction(world->timer), 0);
    ASSERT_LT(TimerFraction(world->timer), 1);
    EXPECT_GT(seen().x[0], p.x);   // drawn between the steps, behind the plane flying left...
    EXPECT_EQ(p.x, float(400 - (TimerTicks(world->timer) - from))) << "the frame moved the plane itself";
    world->shotwanted = 1;   // ...but F2's frame is the step's own
    drawframe();
    EXPECT_EQ(seen().x[0], p.x);
}

namespace {

// Plays a test replay to its end with a display at `hz` drawing between its frames (each
// frame's share of display frames, at their moments), with the option on or off: the verdict.
treplayverdict playwithdisplay(const std::string& file, float hz, bool on) {
    std::vector<unsigned char> b = testsupport::readbytes(file);
    treplayread read = parsereplay(std::string(b.begin(), b.end()));
    EXPECT_EQ(read.error, "") << file;
    const treplay& r = read.replay;
    SetMilliSecs(0);
    SimulateDisplay(hz);
    EXPECT_EQ(startplayback(r, file, false), "");
    smoothchoice = smoothchosen | int(on);
    world->menu.set(menu_smoothmotion, on);
    followsmooth();
    EXPECT_EQ(smoothing(), on);
    int shown = 0;
    treplayverdict v = playtoend(false, [&] {
        // The display frames that fall in the step about to end, drawn at their moments on the
        // clock, which is then put back as the playback had it.
        int ms = MilliSecs(), f = TimerTicks(world->timer);
        double from = f * 1000.0 / 60, to = (f + 1) * 1000.0 / 60;
        for (; shown * 1000.0 / hz < to; shown++) {
            if (shown * 1000.0 / hz < from) continue;
            SetMilliSecs(int(shown * 1000.0 / hz));
            drawworld();
        }
        SetMilliSecs(ms);
        return false;
    });
    stopplayback();
    SimulateDisplay(60);
    return v;
}

}   // namespace

TEST(smoothreplay, a_recorded_game_is_the_same_world_at_every_display_rate_with_the_option_on_and_off) {
    testsupport::startplatform();
    if (FileType("data") != 2) GTEST_SKIP() << "the build folder has no data/";
    for (const char* name : {"fight", "menus"})
        for (float hz : {60.0f, 120.0f, 144.0f, 240.0f})
            for (bool on : {false, true}) {
                std::string file = std::string(VARNHOLD_SOURCE_DIR) + "/tests/replays/" + name + ".vhr";
                treplayverdict v = playwithdisplay(file, hz, on);
                EXPECT_TRUE(v.ended && v.same) << name << " at " << hz << " Hz, smooth " << on << ": " << v.message;
            }
}
