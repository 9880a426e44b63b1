// sky/cloud.h — translucent clouds drifting with the wind behind the title and the city;
// rare in clear weather, frequent before and during a shower, darker the heavier it rains.
#pragma once

#include "framework/slots.h"

struct tclouddata {
    float x = 0, y = 0;               // the picture's handle: the middle of its bottom edge
    float speedx = 0;                 // own speed; the wind is added on top
    float speedy = 0;
    int dir = 0;                      // -1 or +1: horizontal drawing scale (-1 mirrors)

    int generate();
    int upd();                        // 1 once it has left the sky
    int draw();

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("speedx", speedx); v("speedy", speedy); v("dir", dir);
    }
};

struct tcloud : slots<tclouddata> {
    static constexpr int maxwait = 3000, minwait = 1000, maxwaitfast = 200, minwaitfast = 100;

    int wait = 0;                     // ticks until the next cloud
    float col = 255;                  // grey level of all clouds

    int init();                       // start-up step: the wait for the first cloud
    int generate();
    int remove(int i);
    int upd();
    int draw();

    template <class V> void fields(V& v) { v("d", d); v("wait", wait); v("col", col); }
};
