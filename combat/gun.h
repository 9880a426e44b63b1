// combat/gun.h — the three missile turrets on the street line, their firing and aiming.
// Slot 0 is the middle turret (middle button, S, Down), slot 1 the right one (right button,
// D, Right), slot 2 the left one (left button, A, Left).
#pragma once

#include "framework/slots.h"

struct trocketdata;

struct tgundata {
    static const int keys1[3];        // Down, Right, Left
    static const int keys2[3];        // S, D, A

    float x = 0;                      // centre of the base
    float y = 0;                      // bottom of the base, the street line
    int rot = 0;                      // -1: base drawn mirrored
    int operational = 0;              // 0 destroyed: not drawn, cannot fire or be hit
    int ammo = 0;
    int cooldown = 0;                 // frames until it may fire again

    void generate(float x, float y, int operational, int ammo);
    int mayfire() const;
    void fire(float tx, float ty);
    void upd();
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("rot", rot); v("operational", operational); v("ammo", ammo);
        v("cooldown", cooldown);
    }
};

// d holds exactly the turrets generated (three after start-up), never empty slots.
struct tgun : slots<tgundata> {
    int count = 0;                    // standing turrets
    float ai_x = 0, ai_y = 0;         // title-screen aim point

    tgun() { d.clear(); }
    void init();                      // draws the first title-screen aim point
    void placefirst();                // init(), then the title screen's three turrets
    void generate(float x, float y, int operational, int ammo);
    void generateall();
    int collisionrocket(trocketdata& r);
    void upd();
    void updev();
    void draw() const;

    template <class V> void fields(V& v) {
        v("d", d); v("count", count); v("ai_x", ai_x); v("ai_y", ai_y);
    }
};
