// combat/tnt.h — explosions: growing, turning, fading fireballs. `tnt` is the harmful list
// that missiles, vehicles and intruders test themselves against; `tnt2` is only seen and heard.
#pragma once

#include "framework/slots.h"

#include "combat/rocket.h"

// Round contact as the vehicles and intruders test it: the offsets from (x, y) to the other
// centre are cut to whole units before the distance is taken, which must stay below radius.
bool incircle(float x, float y, float ox, float oy, float radius);

struct ttntdata {
    static constexpr float maxalpha = 0.8f;

    float x = 0, y = 0;               // centre, drifts with the wind
    int time = 0;                     // frames left
    float maxtime = 0;                // lifetime in frames
    float timediv = 1;                // time / maxtime, 1 down towards 0
    int owner = side_enemy;           // the tside of the missile; enemy colours or the player's
    float alpha = maxalpha;
    float size = 0;                   // drawing scale of both pictures
    float mainsize = 0;               // radius of the harmful disc: size x explosionw2
    int combo = 0;                    // 0 pays nothing; else 1 and up, one per missile caught

    void generate(float x, float y, float size, float maxtime, int owner, int combo);
    // Whether the harmful disc reaches the point (px, py).
    bool reaches(float px, float py) const { return incircle(px, py, x, y, mainsize); }
    int upd();                        // 1: remove
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("time", time); v("maxtime", maxtime); v("timediv", timediv);
        v("owner", owner); v("alpha", alpha); v("size", size); v("mainsize", mainsize);
        v("combo", combo);
    }
};

struct ttnt : slots<ttntdata> {
    float rot = 0;                    // degrees, shared by all explosions of the list

    // sample < 0: silent
    void generate(float x, float y, float size, float maxtime, int sample, float rate, int owner,
                  int combo);
    int collisionrocket(trocketdata& r);
    // Whether an enemy explosion of the list reaches the point (x, y).
    bool enemyreaches(float x, float y) const;
    void removeall();
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("rot", rot); }
};
