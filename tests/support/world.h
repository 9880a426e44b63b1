// tests/support/world.h — scenario tests on a fresh seeded world.
//
//   struct rocketfight : worldtest {};
//   TEST_F(rocketfight, enemy_missile_reaches_the_street) { stepframes(600); ... }
//
// The headless platform is started once per process; every test gets a fresh world built by
// the same start-up steps as the game (the settings file is not read). Input goes through the
// event hook exactly as the window's events do, so `ev`, the turrets and the level see it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/applet.h"
#include "app/world.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/testing.h"

namespace testsupport {

inline void startplatform() {
    static bool started = false;
    if (started) return;
    started = true;
    PlatformInit(tbackend::headless);
    initpaths("./");
}

// The world's hooks and its timer go with it, and the drawing state is left as the platform
// starts it, so the next test starts clean. Runs after every test that built a world, also
// when a fixture's own TearDown does not call the base one.
inline bool worldbuilt = false;
inline void endworld() {
    if (!worldbuilt) return;
    worldbuilt = false;
    RemoveHooks(HOOK_EMITEVENT);
    RemoveHooks(HOOK_FLIP);
    if (world->timer) StopTimer(world->timer);
    world->timer = nullptr;
    ModelviewIdentity();
    SetTransform(0, 1, 1);
    SetLineWidth(1);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetBlend(BLEND_MASK);
}
struct worldcleaner : ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { endworld(); }
};
inline const bool cleanerinstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new worldcleaner);
    return true;
}();

// The canvas gadget events come from (the game reads input only from there).
inline TGadget* canvasgadget() { return world->can.g; }

}  // namespace testsupport

struct worldtest : ::testing::Test {
    int frame = 0;   // frames stepped in this test
    double clock = 0;

    virtual int seed() const { return 1; }

    void SetUp() override {
        testsupport::startplatform();
        if (FileType("data") != 2) GTEST_SKIP() << "the build folder has no data/ (the asset generator has not run)";
        SetMilliSecs(0);
        testsupport::worldbuilt = true;
        std::string missing = newworld(seed());
        ASSERT_EQ(missing, "") << "can't load " << missing;
    }

    void TearDown() override { testsupport::endworld(); }

    // n timer ticks, each one frame step as the 60 Hz timer runs it; the clock moves on by
    // a sixtieth of a second per tick.
    void stepframes(int n) {
        for (int i = 0; i < n; i++) {
            clock += 1000.0 / 60.0;
            stepworld(int(clock));
            frame++;
        }
    }

    // Input on the canvas. Positions in playfield units are turned into canvas pixels.
    void emit(int id, int data = 0, int x = 0, int y = 0) {
        EmitEvent(CreateEvent(id, testsupport::canvasgadget(), data, 0, x, y));
    }
    void keydown(int code) { emit(EVENT_KEYDOWN, code); }
    void keyup(int code) { emit(EVENT_KEYUP, code); }
    void key(int code) {
        keydown(code);
        keyup(code);
    }
    void keychar(int code) { emit(EVENT_KEYCHAR, code); }
    void canvasmove(int px, int py) {
        cx = px, cy = py;
        emit(EVENT_MOUSEMOVE, 0, px, py);
    }
    void mousemove(float x, float y) { canvasmove(int(x * world->viewscalex), int(y * world->viewscaley)); }
    // Buttons: 1 left, 2 right, 3 middle; at the cursor's last position.
    void mousedown(int button) { emit(EVENT_MOUSEDOWN, button, cx, cy); }
    void mouseup(int button) { emit(EVENT_MOUSEUP, button, cx, cy); }
    void click(float x, float y, int button) {
        mousemove(x, y);
        mousedown(button);
        mouseup(button);
    }
    void enter() { emit(EVENT_MOUSEENTER); }
    // A menu action with this tag, from the window, as choosing the entry sends it.
    void choose(int tag) { EmitEvent(CreateEvent(EVENT_MENUACTION, world->win.g, tag)); }
    // One repaint of the canvas: the frame is drawn into the platform's recorder.
    void drawframe() {
        ClearDrawRecords();
        drawworld();
    }

private:
    int cx = 0, cy = 0;   // the cursor in canvas pixels
};
