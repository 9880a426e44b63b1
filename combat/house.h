// combat/house.h — the city: ten houses on the street line, struck, shaking, sinking.
#pragma once

#include "framework/slots.h"
#include "platform/platform.h"

struct trocketdata;

// A house's `prg`.
enum thousestate : int {
    house_intact = 0,
    house_struck = 1,                 // shaking under the smoke
    house_sinking = 2,
};

struct thousedata {
    float x = 0;                      // left edge
    float y = 0;                      // bottom edge; grows while the house sinks
    float xr = 0;                     // shaking offset, drawing only
    float oy = 0;                     // bottom edge as built
    TImage* img = nullptr;
    int prg = house_intact;           // a thousestate
    int wait = 0;                     // shaking frames left

    void generate(float x0, float w, float y);
    int upd();                        // 1: remove
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("xr", xr); v("oy", oy); v("img", img); v("prg", prg);
        v("wait", wait);
    }
};

struct thouse : slots<thousedata> {
    int count = 0;                    // houses present, struck and sinking ones included

    int generate(float x0, float w, float y);   // slot index, -1 without house pictures
    void generateall();
    void sort();
    int collisionrocket(trocketdata& r);
    void removeall();
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("count", count); }
};
