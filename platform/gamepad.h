// platform/gamepad.h — the pads, for the platform's own sources: the back ends poll them before
// the timer's ticks and hand their events on as they hand on the window's. They are read
// through SDL (platform/desktop/gamepad.cpp); a build without it has no pads, and the shared
// code reaches them only through `hooks`, which do nothing until the pads start.
#pragma once

#include <cstdint>

struct TEvent;

namespace pad {

// How a back end delivers one event of the pad, from the canvas.
using tsend = void (*)(int id, int data, int x, int y);
// SDL's start of a subsystem; a test passes one that fails.
using tinit = int (*)(uint32_t flags);

// What the shared code calls; set by a successful start.
struct thooks {
    void (*poll)(tsend send);
    void (*seen)(const TEvent* e);
    void (*stop)();
};
extern thooks hooks;

bool start(tinit init = nullptr);
void stop();
// Hot-plugging, buttons and the stick since the last poll. With send null (the game is not in
// front) the pads are read and their events dropped.
void poll(tsend send);
// Every emitted event: a move of the mouse itself gives it the cursor back.
void seen(const TEvent* e);
// The desktop saw the mouse move outside the canvas (over the menu bar, say).
void mousemoved();

}  // namespace pad
