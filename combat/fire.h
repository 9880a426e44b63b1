// combat/fire.h — fires burning on the street where a turret fell or a car crashed. What is
// seen of them are their flames in `particles2`.
#pragma once

#include "framework/slots.h"

struct tfiredata {
    float x = 0;                      // left end of the burning stretch
    float y = 0;                      // ground height (flames always start from the street)
    float w = 0;                      // width of the burning stretch
    int life = 0;                     // frames left
    float maxlife = 0;

    void generate(float x, float y, float w, int life);
    void collisioncar();              // burns every car standing in the fire
    int upd();                        // 1: remove
    void upd2();                      // flames

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("w", w); v("life", life); v("maxlife", maxlife);
    }
};

struct tfire : slots<tfiredata> {
    void generate(float x, float y, float w, int life);
    void removeall();
    void upd();
    void upd2();

    template <class V> void fields(V& v) { v("d", d); }
};
