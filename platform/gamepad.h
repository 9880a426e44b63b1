// platform/gamepad.h — the pads, for the platform's own sources: the back ends poll them before
// the timer's ticks and hand their events on as they hand on the window's. The desktop reads
// them through SDL (platform/desktop/gamepad.cpp), the browser through its Gamepad API
// (platform/web/gamepad.cpp); both feed the one mapping of platform/gamepad.cpp, which makes
// the game's events of them. A build without pads has none, and the shared code reaches them
// only through `hooks`, which do nothing until the pads start.
#pragma once

#include <cstdint>
#include <string>

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

// SDL's pads (the desktop).
bool start(tinit init = nullptr);
void stop();
// Hot-plugging, buttons and the stick since the last poll. With send null (the game is not in
// front) the pads are read and their events dropped.
void poll(tsend send);

// ---- The mapping, shared ----
// One pad as a back end reports it: buttons by PAD_ number (SDL's game-controller order, the
// browser's "standard" layout renumbered), the left stick from -1 to 1 (down and right positive).
struct tpad {
    int id = -1;                          // the back end's own number for it
    std::string name;
    uint32_t held = 0;                    // buttons held, one bit per PAD_ number
    float sx = 0, sy = 0;                 // the left stick
    bool armed = false;                   // the stick has rested inside the dead zone once
    bool warned = false;                  // its stick was reported off centre
    int dpadsince = 0;                    // ms when the d-pad began to be held
    int repeatkey = 0, repeatat = 0;      // the key that repeats while held, and when next
};
tpad* find(int id);
tpad& add(int id, const std::string& name);
// A pad pulled out lets go of everything it held, so no key stays down in the game.
void remove(int id);
// A pad whose buttons could mean anything is left alone, with one line per `key` on stderr.
void unmapped(const std::string& key, const std::string& name);
// A poll: deliver, then presses, releases or whole button states and the sticks, then finish
// (repeats of held keys, the crosshair's move) at the same `now` in ms.
void deliver(tsend send);
void press(tpad& p, int button, int now);
void release(tpad& p, int button);
void hold(tpad& p, uint32_t held, int now);
void finish(int now);
// No pads, no cursor, the pointer shown: the pads have stopped.
void forget();

// Every emitted event: a move of the mouse itself gives it the cursor back.
void seen(const TEvent* e);
// The desktop saw the mouse move outside the canvas (over the menu bar, say).
void mousemoved();

}  // namespace pad
