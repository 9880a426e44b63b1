// traffic/ufo.h — UFOs, the hostile intruders of the sky. They wobble across the upper sky, dodge
// explosions and meteors they see coming, and now and then fire a laser at the first thing in
// reach: missiles, planes, cars, satellites and meteors, the jumper, helicopters, in that order.
#pragma once

#include "combat/hit.h"
#include "framework/slots.h"
#include "platform/platform.h"

struct tufodata {
    static constexpr int laserradius = 100;    // half side of the square of reach
    static constexpr int maxcooldown = 200;
    static constexpr float maxlaser = 40.0f;   // frames a beam stays visible
    static constexpr int evaderadius = 20;     // margin around a threat

    float x = 0, y = 0;               // centre
    int fly = 0;                      // frames until the wobble changes
    float fx = 0;                     // horizontal wobble, subtracted from x with speedx
    float fy = 0;                     // vertical speed, added to y
    float speedx = 0;                 // current cruising speed: positive moves left
    float maxspeedx = 0;              // the cruising speed drawn at creation
    int cooldown = 100;               // frames until the laser may fire
    int laser = 0;                    // frames the last beam stays visible
    float targetx = 0, targety = 0;   // end of the last beam
    int checkradius = 0;              // frames an evasive course is still held
    int chn = 0;                      // engine sound channel

    void generate();
    void destroy();
    thitbox box() const;              // the picture's rectangle, the same for every UFO
    int collisiontnt();
    int collisionjumper();
    int collisionrocket();
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("fly", fly); v("fx", fx); v("fy", fy); v("speedx", speedx);
        v("maxspeedx", maxspeedx); v("cooldown", cooldown); v("laser", laser);
        v("targetx", targetx); v("targety", targety); v("checkradius", checkradius);
        v("chn", chn);
    }
};

struct tufo : slots<tufodata> {
    static constexpr int maxwait = 6000;

    int iw2 = 0, ih2 = 0;             // integer halves of the UFO picture: every UFO's extent
    int wait = 0;                     // frames until the next UFO

    void init();                      // the picture's halves and the first wait (one draw)
    void generate();
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("iw2", iw2); v("ih2", ih2); v("wait", wait); }
};
