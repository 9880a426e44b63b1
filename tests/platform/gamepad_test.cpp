// tests/platform/gamepad_test.cpp — a virtual pad (SDL's virtual joystick, no device) playing a
// fresh seeded world: aiming, firing, starting, pausing, the volume, name entry, unplugging, and
// pads that are no use.
#include <algorithm>
#include <cstdio>
#include <string>

#include "../support/world.h"
#include "combat/gun.h"
#include "framework/input.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/gamepad.h"
#include "platform/testing.h"

namespace {

struct padgame : worldtest {
    int pad = -1;
    std::string cfg;

    void SetUp() override {
        worldtest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        cfg = ::testing::TempDir() + "gamepad_test.cfg";   // a new high score saves at once
        cfgpath = cfg;
        ASSERT_TRUE(StartPads());
        pad = plug();
    }
    void TearDown() override {
        StopPads();
        std::remove(cfg.c_str());
        worldtest::TearDown();
    }

    // A pad plugged in and found at the next frame, its stick at rest.
    int plug(bool mapped = true) {
        int n = AttachVirtualPad(mapped);
        EXPECT_GE(n, 0);
        stepframes(1);
        return n;
    }
    void press(int button) {
        SetVirtualPadButton(pad, button, 1);
        stepframes(1);
        SetVirtualPadButton(pad, button, 0);
        stepframes(1);
    }
    void startfight() {
        key(13);
        stepframes(181);
        ASSERT_EQ(world->level.prg, level_fight);
    }
};

TEST_F(padgame, stick_moves_the_crosshair_at_its_speed_and_rests_in_the_dead_zone) {
    // a quarter of a second from the middle; the speed grows with the square past the dead zone
    struct {
        int axis, value, dx, dy;
    } cases[] = {
        {PAD_LEFTX, 7000, 0, 0},         // inside the dead zone
        {PAD_LEFTX, 20000, 35, 0},
        {PAD_LEFTX, 32767, 150, 0},      // full tilt: 600 units a second
        {PAD_LEFTY, -32768, 0, -150},    // up, one past the top of the range
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.value);
        mousemove(400, 200);
        SetVirtualPadAxis(pad, PAD_LEFTX, 0);
        SetVirtualPadAxis(pad, PAD_LEFTY, 0);
        SetVirtualPadAxis(pad, c.axis, c.value);
        stepframes(15);
        EXPECT_NEAR(world->ev.x, 400 + c.dx, 1);
        EXPECT_NEAR(world->ev.y, 200 + c.dy, 1);
        // let go to just inside the dead zone: the crosshair stays
        SetVirtualPadAxis(pad, c.axis, c.value > 0 ? 7000 : -7000);
        stepframes(1);
        int x = world->ev.x, y = world->ev.y;
        stepframes(30);
        EXPECT_EQ(world->ev.x, x);
        EXPECT_EQ(world->ev.y, y);
    }
    // the edge of the playfield stops it
    SetVirtualPadAxis(pad, PAD_LEFTX, 32767);
    SetVirtualPadAxis(pad, PAD_LEFTY, 32767);
    stepframes(120);
    EXPECT_EQ(world->ev.x, 799);
    EXPECT_EQ(world->ev.y, 399);
}

TEST_F(padgame, aiming_shows_the_crosshair_and_hides_the_pointer_until_the_mouse_moves) {
    emit(EVENT_MOUSELEAVE);
    ASSERT_EQ(world->ev.enter, 0);
    SetVirtualPadButton(pad, PAD_DPRIGHT, 1);
    stepframes(6);
    EXPECT_EQ(world->ev.enter, 1);
    EXPECT_EQ(PadPointerHidden(), 1);
    EXPECT_GT(world->ev.x, 400);   // from the middle: the mouse was never seen
    SetVirtualPadButton(pad, PAD_DPRIGHT, 0);
    stepframes(1);
    mousemove(100, 100);
    EXPECT_EQ(PadPointerHidden(), 0);
    // the pad goes on from where the mouse left the crosshair
    SetVirtualPadButton(pad, PAD_DPDOWN, 1);
    stepframes(6);
    EXPECT_EQ(world->ev.x, 100);
    EXPECT_GT(world->ev.y, 100);
    EXPECT_LT(world->ev.y, 120);
    EXPECT_EQ(PadPointerHidden(), 1);
}

TEST_F(padgame, face_buttons_fire_their_turrets_only_in_the_fight) {
    key(13);
    stepframes(2);
    ASSERT_EQ(world->level.prg, level_getready);
    press(PAD_X);
    for (auto& g : world->guns.d) EXPECT_EQ(g->ammo, world->level.ammo);   // "Get Ready": nothing flies
    stepframes(180);
    ASSERT_EQ(world->level.prg, level_fight);
    // X, A, B sit left, bottom, right: the left turret is slot 2, the middle 0, the right 1
    struct {
        int button, slot;
    } cases[] = {{PAD_X, 2}, {PAD_A, 0}, {PAD_B, 1}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.button);
        int before[3] = {world->guns.d[0]->ammo, world->guns.d[1]->ammo, world->guns.d[2]->ammo};
        press(c.button);
        for (int i = 0; i < 3; i++) EXPECT_EQ(world->guns.d[i]->ammo, before[i] - (i == c.slot ? 1 : 0));
    }
    // with one button, the turret nearest the crosshair answers whichever fires
    world->menu.set(12, 1);
    mousemove(680, 200);
    stepframes(30);
    int right = world->guns.d[1]->ammo;
    press(PAD_X);
    EXPECT_EQ(world->guns.d[1]->ammo, right - 1);
}

TEST_F(padgame, start_begins_back_pauses_and_the_shoulders_set_the_volume) {
    ASSERT_EQ(world->level.prg, level_title);
    press(PAD_START);
    EXPECT_EQ(world->level.prg, level_getready);
    press(PAD_BACK);
    EXPECT_EQ(world->level.pause, pause_on);
    press(PAD_BACK);
    EXPECT_EQ(world->level.pause, pause_off);
    int on = world->volume.on;
    press(PAD_LEFTSHOULDER);
    EXPECT_EQ(world->volume.on, on - 1);
    press(PAD_RIGHTSHOULDER);
    press(PAD_RIGHTSHOULDER);
    EXPECT_EQ(world->volume.on, on + 1);
}

TEST_F(padgame, a_name_entered_with_the_pad_and_keyboard_lands_in_the_table) {
    world->level.name = "Your Name";
    world->level.inp.pos = 0;
    world->level.prg = level_gameover;
    world->level.wait = 0;
    world->level.score = 50;
    stepframes(1);
    ASSERT_EQ(world->level.prg, level_nameentry);
    press(PAD_DPUP);                     // Y turns to Z
    press(PAD_DPRIGHT);
    press(PAD_DPRIGHT);
    for (int i = 0; i < 7; i++) press(PAD_Y);   // "ur Name" goes
    EXPECT_EQ(world->level.name, "Zo");
    // behind the last, up makes an A; held 0.7 s it turns it on at 0.4, 0.5 and 0.6 s
    SetVirtualPadButton(pad, PAD_DPUP, 1);
    stepframes(42);
    SetVirtualPadButton(pad, PAD_DPUP, 0);
    stepframes(1);
    press(PAD_DPDOWN);
    EXPECT_EQ(world->level.name, "ZoC");
    EXPECT_EQ(world->level.inp.pos, 2);
    key(39);                             // the keyboard types alongside
    keychar('!');
    press(PAD_START);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->level.hiscore[0].name, "ZoC!");
    EXPECT_EQ(world->level.hiscore[0].score, 50);
}

TEST_F(padgame, a_pad_pulled_out_mid_fight_lets_go_and_the_game_runs_on) {
    startfight();
    SetVirtualPadAxis(pad, PAD_LEFTX, 32767);
    SetVirtualPadButton(pad, PAD_DPUP, 1);
    stepframes(5);
    ASSERT_EQ(world->ev.keys[KEY_PADUP], 1);
    DetachVirtualPad(pad);
    stepframes(1);
    EXPECT_EQ(world->ev.keys[KEY_PADUP], 0);
    int x = world->ev.x, y = world->ev.y;
    stepframes(60);
    EXPECT_EQ(world->level.prg, level_fight);
    EXPECT_EQ(world->ev.x, x);
    EXPECT_EQ(world->ev.y, y);
    // another one plugged in plays at once
    pad = plug();
    int ammo = world->guns.d[2]->ammo;
    press(PAD_X);
    EXPECT_EQ(world->guns.d[2]->ammo, ammo - 1);
}

// What reaches standard error while `f` runs, one line per message.
template <class F> std::string stderrof(F f) {
    ::testing::internal::CaptureStderr();
    f();
    return ::testing::internal::GetCapturedStderr();
}

int lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST_F(padgame, a_pad_without_mapping_or_with_a_stuck_stick_says_one_line_and_moves_nothing) {
    mousemove(300, 300);
    std::string said = stderrof([&] {
        int odd = AttachVirtualPad(false);
        stepframes(1);
        for (int b : {0, 6}) SetVirtualPadButton(odd, b, 1);
        SetVirtualPadAxis(odd, 0, 32767);
        stepframes(10);
    });
    EXPECT_EQ(lines(said), 1) << said;
    EXPECT_NE(said.find("Virtual stick"), std::string::npos);
    EXPECT_EQ(world->level.prg, level_title);
    EXPECT_EQ(world->ev.x, 300);
    // a stick held off centre from the start (an axis that is no stick) moves nothing until let go
    said = stderrof([&] {
        int stuck = AttachVirtualPad();
        SetVirtualPadAxis(stuck, PAD_LEFTX, -32768);
        stepframes(30);
        EXPECT_EQ(world->ev.x, 300);
        SetVirtualPadAxis(stuck, PAD_LEFTX, 0);
        stepframes(1);
        SetVirtualPadAxis(stuck, PAD_LEFTX, -32768);
        stepframes(15);
    });
    EXPECT_EQ(lines(said), 1) << said;
    EXPECT_NEAR(world->ev.x, 150, 1);
    // the mouse and keyboard still play
    key(13);
    EXPECT_EQ(world->level.prg, level_getready);
}

TEST(gamepad, sdl_failing_to_start_leaves_mouse_and_keyboard_with_one_line) {
    testsupport::startplatform();
    StopPads();
    ::testing::internal::CaptureStderr();
    bool ok = pad::start([](uint32_t) { return -1; });
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    EXPECT_EQ(lines(said), 1) << said;
    EXPECT_EQ(AttachVirtualPad(), -1);
    pad::poll(nullptr);   // polling pads that never started does nothing
}

}  // namespace
