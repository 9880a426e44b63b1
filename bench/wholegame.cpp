// bench/wholegame.cpp — whole games played headless (wholegame.h).
#include "bench/wholegame.h"

#include "app/replay.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

// The game's clock, moved on with the frame steps.
struct tplay {
    double clock = 0;
    // Frame steps at `hz`.
    void steps(int n, double hz) {
        for (int i = 0; i < n; i++) {
            clock += 1000.0 / hz;
            stepworld(static_cast<int>(clock));
        }
    }
};

void emit(int id, int data) { EmitEvent(CreateEvent(id, world->can.g, data, 0, 400, 200)); }

void press(int key) {
    emit(EVENT_KEYDOWN, key);
    emit(EVENT_KEYUP, key);
}

}  // namespace

bool wholegame(int seed, treplay& out) {
    tplay p;
    SetMilliSecs(0);
    if (!newworld(seed).empty()) return false;
    for (thiscore& row : world->level.hiscore) row = {"Nobody", 1, -100000};
    startrecording("", seed);
    emit(EVENT_MOUSEENTER, 0);
    p.steps(30, 60);
    press(key_enter);
    p.steps(60, 60);
    emit(EVENT_KEYDOWN, key_f5);
    for (int i = 0; i < 400000 && world->level.prg != level_nameentry; i++) p.steps(1, 480);
    emit(EVENT_KEYUP, key_f5);
    bool entered = world->level.prg == level_nameentry;
    p.steps(20, 60);
    press(key_enter);
    p.steps(30, 60);
    out = recordedreplay();
    stoprecording();
    return entered;
}

bool idlegame(int frames, treplay& out) {
    tplay p;
    SetMilliSecs(0);
    if (!newworld(1).empty()) return false;
    startrecording("", 1);
    p.steps(frames, 60);
    out = recordedreplay();
    stoprecording();
    return true;
}
