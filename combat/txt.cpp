// combat/txt.cpp — floating labels.
#include "combat/txt.h"

#include <algorithm>
#include <utility>

#include "framework/font.h"
#include "game/world.h"
#include "platform/platform.h"

void ttxtdata::generate(const std::string& txt_, float x_, float y_, float size_) {
    txt = txt_;
    float w = static_cast<float>(world->font.width(txt)) * size_;
    x = x_ - w / 2;
    if (x < 0)
        x = 0;
    else if (x + w > 800)
        x = 800 - w;
    y = y_ - static_cast<float>(world->font.maxh) * size_ / 2;
    size = size_;
    dir = y >= 100 ? -0.3f * size : 0.3f * size;   // near the top edge labels sink instead
}

int ttxtdata::upd() {
    y += dir;
    alpha -= 0.02f;
    return alpha < 0 ? 1 : 0;
}

void ttxtdata::draw() const {
    SetAlpha(alpha);
    SetScale(size, size);
    world->font.scaledraw(txt, x, y, size, size);
}

void ttxt::generate(const std::string& txt, float x, float y, float size) {
    add().generate(txt, x, y, std::min(size, 3.0f));
    sort();
}

// Ascending alpha, so the newest (most opaque) labels are drawn last, on top.
void ttxt::sort() {
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        if (!d[i]) continue;
        float a = d[i]->alpha;
        for (int j = i; j < n; j++) {
            if (d[j] && d[j]->alpha < a) {
                std::swap(d[i], d[j]);
                a = d[i]->alpha;
            }
        }
    }
}

void ttxt::upd() {
    each([](ttxtdata& t, int) { return t.upd(); });
}

void ttxt::draw() const {
    each([](const ttxtdata& t, int) { t.draw(); });
    SetAlpha(1);
    SetScale(1, 1);
}
