// sky/lensflare.cpp — placing and drawing the flare's elements.
#include "sky/lensflare.h"

int tlensflaredata::draw(float a) {
    SetColor(col[0], col[1], col[2]);
    SetAlpha(alpha * a);
    SetScale(size, size);
    DrawImage(img, x, y);
    return 0;
}

int tlensflare::add(TImage* img, const int* col, float alpha, float place, float size) {
    tlensflaredata& e = d.emplace_back();
    e.img = img;
    for (int k = 0; k < 3; k++) e.col[k] = col[k];   // a copy: the caller may reuse its array
    e.alpha = alpha;
    e.pos = place - 1;
    e.size = size;
    return 0;
}

// Called every tick, seen or not: an element at place p stands at (400, 200) + p * (sun - (400, 200)).
int tlensflare::upd(float x, float y) {
    float dx = x - 400, dy = y - 200;
    for (auto& e : d) {
        e.x = x + dx * e.pos;
        e.y = y + dy * e.pos;
    }
    return 0;
}

int tlensflare::draw() { return draw(alpha); }

int tlensflare::draw(float strength) {
    for (auto& e : d) e.draw(strength);
    return 0;
}
