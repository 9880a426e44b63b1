// sky/lensflare.h — the camera-style flare of the sun: tinted discs and rings strung on the
// line from the light source through the centre of the view (400, 200).
#pragma once

#include <vector>

#include "platform/platform.h"

// One disc or ring of the flare.
struct tlensflaredata {
    TImage* img = nullptr;            // drawn with its centred handle
    float x = 0, y = 0;               // where it stands this tick
    float pos = 0;                    // place on the line minus 1: -1 is the view centre, 0 the sun
    float size = 0;                   // drawing scale on both axes
    float alpha = 0;                  // its own opacity
    int col[3] = {0, 0, 0};           // tint red, green, blue

    int draw(float a);                // a: the strength of the whole flare

    template <class V> void fields(V& v) {
        v("img", img); v("x", x); v("y", y); v("pos", pos); v("size", size);
        v("alpha", alpha); v("col", col);
    }
};

struct tlensflare {
    std::vector<tlensflaredata> d;    // in drawing order
    float alpha = 1.0f;               // strength of the whole flare; keeps the last visible value

    // place 1 is the light source itself, 0 the view centre, negative places lie beyond it
    int add(TImage* img, const int* col, float alpha, float place, float size);   // col: 3 ints
    int upd(float x, float y);        // (x, y): the light source
    int draw();
    int draw(float strength);         // at another strength than its own

    template <class V> void fields(V& v) { v("d", d); v("alpha", alpha); }
};
