// traffic/jumper.h — the parachute jumper: one object that waits, stands on a roof of the skyline
// for 200 frames, then leaps and glides down with the wind until it sinks out of the sky.
// Only while gliding (prg 2) can anything hit it; losing it costs a point.
#pragma once

#include "combat/hit.h"
#include "platform/platform.h"

// The jumper's `prg`.
enum tjumperstate : int {
    jumper_waiting = 0,               // not in the scene
    jumper_onroof = 1,
    jumper_inair = 2,
};

struct tjumper {
    static constexpr int minwait = 800, maxwait = 6000;   // 800 .. 6799 frames between jumps

    float x = 0, y = 0;               // centre
    float fx = 0;                     // glide speed, within -0.7 .. 0.7
    float sx = 0;                     // change of fx per frame; its sign is the facing
    float speedy = 0;                 // steady sinking speed
    float fy = 0;                     // vertical sway, added to speedy
    float sy = 0;                     // change of fy per frame
    float fym = 0;                    // largest sway before sy turns
    int prg = jumper_waiting;         // a tjumperstate
    int wait = 0;                     // frames left while waiting and on the roof

    void init();                      // the first wait (one draw)
    void generate();                  // a new jump: stand on a roof
    void destroy();
    thitbox box() const;              // the picture's rectangle
    int collisionrocket();
    int collisionfire();
    int upd();                        // always 0: the jumper is never removed
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("fx", fx); v("sx", sx); v("speedy", speedy); v("fy", fy);
        v("sy", sy); v("fym", fym); v("prg", prg); v("wait", wait);
    }
};
