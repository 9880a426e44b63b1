// traffic/chopper.h — the player's helicopters in the low sky. They cross on a swaying course
// between y = 161 and about 320, steer away from enemy explosions and visible meteors, and fire
// their gun at a UFO in reach, else at an enemy missile, at most once every 141 frames.
#pragma once

#include "combat/hit.h"
#include "framework/slots.h"
#include "platform/platform.h"

struct tchopperdata {
    static constexpr int laserradius = 100;    // half side of the gun's square of reach
    static constexpr int maxcooldown = 140;
    static constexpr float maxlaser = 40.0f;   // frames a beam stays visible
    static constexpr int evaderadius = 20;     // margin around a threat

    float x = 0, y = 0;               // centre
    float speedx = 0;                 // cruising speed, +0.7 or -0.7, added to x
    float fx = 0;                     // horizontal sway, added to x with speedx
    float sx = 0;                     // change of fx per frame
    float fxm = 0;                    // largest sway before sx turns
    float fy = 0;                     // vertical speed, within -0.7 .. 0.7
    float sy = 0;                     // change of fy per frame
    TImage* img = nullptr;
    int iw2 = 0, ih2 = 0;             // integer halves of img's size
    int cooldown = 70;                // frames until the gun may fire
    int laser = 0;                    // frames the last beam stays visible
    float targetx = 0, targety = 0;   // end of the last beam
    int chn = 0;                      // engine sound channel

    void generate();
    void destroy();
    thitbox box() const;              // the picture's rectangle
    int collisiontnt();
    int collisionrocket();
    int collisionufo();
    int collisionjumper();            // always 0: the helicopter is unharmed
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("speedx", speedx); v("fx", fx); v("sx", sx); v("fxm", fxm);
        v("fy", fy); v("sy", sy); v("img", img); v("iw2", iw2); v("ih2", ih2);
        v("cooldown", cooldown); v("laser", laser); v("targetx", targetx);
        v("targety", targety); v("chn", chn);
    }

private:
    void fire(float tx, float ty);    // the gun at (tx, ty)
};

struct tchopper : slots<tchopperdata> {
    static constexpr int maxwait = 6000;

    int wait = 0;                     // frames until the next helicopter

    void init();                      // the first wait (one draw)
    void generate();                  // one more (none when there are no helicopter pictures)
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("wait", wait); }
};
