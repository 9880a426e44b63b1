// traffic/jumper.h — the parachute jumper: one object that waits, stands on a roof of the skyline
// for 200 frames, then leaps and glides down with the wind until it sinks out of the sky.
// Only while gliding (prg 2) can anything hit it; losing it costs a point.
#pragma once

#include "platform/platform.h"

struct tjumper {
    static constexpr int minwait = 800, maxwait = 6000;   // 800 .. 6799 frames between jumps

    float x = 0, y = 0;               // centre
    float fx = 0;                     // glide speed, within -0.7 .. 0.7
    float sx = 0;                     // change of fx per frame; its sign is the facing
    float speedy = 0;                 // steady sinking speed
    float fy = 0;                     // vertical sway, added to speedy
    float sy = 0;                     // change of fy per frame
    float fym = 0;                    // largest sway before sy turns
    int prg = 0;                      // 0 waiting (not in the scene), 1 on a roof, 2 in the air
    int wait = 0;                     // frames left in phases 0 and 1

    void init();                      // the first wait (one draw)
    void generate();                  // a new jump: stand on a roof
    void destroy();
    int collisionrocket();
    int collisionfire();
    int upd();                        // always 0: the jumper is never removed
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("fx", fx); v("sx", sx); v("speedy", speedy); v("fy", fy);
        v("sy", sy); v("fym", fym); v("prg", prg); v("wait", wait);
    }
};

extern tjumper jumpers;
