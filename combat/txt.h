// combat/txt.h — floating labels ("Combo x" and the count) that drift and fade.
#pragma once

#include <string>

#include "framework/slots.h"

struct ttxtdata {
    float x = 0;                      // left edge
    float y = 0;                      // top edge
    float size = 0;                   // 1: the font's own size
    float dir = 0;                    // vertical movement per frame
    float alpha = 2;                  // above 1 draws opaque: full for the first half of its life
    std::string txt;

    void generate(const std::string& txt, float x, float y, float size);
    int upd();                        // 1: remove
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("size", size); v("dir", dir); v("alpha", alpha); v("txt", txt);
    }
};

struct ttxt : slots<ttxtdata> {
    void generate(const std::string& txt, float x, float y, float size);
    void sort();
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); }
};
