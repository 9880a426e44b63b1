// tests/framework/headless.h — the headless back end for the framework's tests, and events
// fed to the input state one at a time.
#pragma once

#include "game/world.h"
#include "platform/platform.h"
#include "tests/support/world.h"

// The headless platform and a fresh world of start values, without the start-up steps.
inline void headless() {
    testsupport::startplatform();
    makeworld();
}

// Makes a platform event current, as the application object does before the readers run.
struct tfeed {
    TEvent e;
    TEvent* operator()(int id, int data = 0, int x = 0, int y = 0, int mods = 0, void* source = nullptr) {
        e = TEvent{};
        e.id = id;
        e.data = data;
        e.x = x;
        e.y = y;
        e.mods = mods;
        e.source = source;
        SetCurrentEvent(&e);
        return &e;
    }
    ~tfeed() {
        if (CurrentEvent() == &e) SetCurrentEvent(nullptr);
    }
};
