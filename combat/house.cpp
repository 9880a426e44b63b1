// combat/house.cpp — the city houses.
#include "combat/house.h"

#include <utility>
#include <vector>

#include "combat/rocket.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"

void thousedata::generate(float x0, float w, float y_) {
    img = img_house[world->rnd.upd(static_cast<int>(img_house.size()))];
    x = x0 + static_cast<float>(world->rnd.upd(static_cast<int>(w - static_cast<float>(img->width))));
    y = y_;
    oy = y_;
}

int thousedata::upd() {
    if (prg == house_struck) {                   // shaking under the smoke for 61 frames
        xr = world->rnd.updf(2.0f);
        if (wait == 0) prg = house_sinking;
        wait--;
    } else if (prg == house_sinking) {            // sinking into the street
        y += 0.5f;
        xr = world->rnd.updf(4.0f);
        if (y > oy + static_cast<float>(img->height)) return 1;
    }
    return 0;
}

void thousedata::draw() const {
    DrawImage(img, x + xr, y);
    if (prg == house_intact) return;
    float h = static_cast<float>(img->height);
    // The smoke thickens while the house shakes and thins out as it sinks.
    SetAlpha(prg == house_struck ? 1 - static_cast<float>(wait) / 60 : (oy - y + h) / h);
    SetColor(220, 220, 220);
    SetRotation(world->tnt.rot);
    DrawImage(img_explosion1, x + static_cast<float>(img->width / 2), oy);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetRotation(0);
}

int thouse::generate(float x0, float w, float y) {
    if (img_house.empty()) return -1;   // without house pictures there is no city
    int i = addslot();
    d[i]->generate(x0, w, y);
    count++;
    return i;
}

// Each house stands with its left edge at a random point of the widest stretch still free of
// left edges; only left edges are cuts, so a house may overlap its right-hand neighbour.
void thouse::generateall() {
    if (img_house.empty()) return;
    std::vector<int> cuts = {0, 800};
    for (int n = 0; n < 10; n++) {
        thousedata& h = *d[generate(0, 800, 370)];
        int best = 0, s = 0, k = 1;
        for (size_t j = 0; j + 1 < cuts.size(); j++) {
            int g = cuts[j + 1] - cuts[j];
            if (g > best) {
                best = g;
                s = cuts[j];
                k = static_cast<int>(j) + 1;
            }
        }
        int cut = s + world->rnd.upd(best - h.img->width);
        cuts.insert(cuts.begin() + k, cut);
        h.x = static_cast<float>(cut);
    }
    sort();
}

// Tallest first, so the shorter houses are drawn in front.
void thouse::sort() {
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        if (!d[i]) continue;
        int h = d[i]->img->height;
        for (int j = i; j < n; j++) {
            if (d[j] && d[j]->img->height > h) {
                std::swap(d[i], d[j]);
                h = d[i]->img->height;
            }
        }
    }
}

int thouse::collisionrocket(trocketdata& r) {
    if (r.owner != side_enemy || r.prg != rocket_flying) return 0;
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        thousedata* h = d[i].get();
        if (!h) continue;
        float w = static_cast<float>(h->img->width), ht = static_cast<float>(h->img->height);
        if (!(h->x < r.x && r.x < h->x + w && h->y - ht < r.y && r.y < h->y)) continue;
        // Missiles fly on through the transparent parts of the picture.
        int col = static_cast<int>(r.x - h->x);
        int row = static_cast<int>(r.y - h->y + ht);
        if (col < 0 || col >= h->img->width || row < 0 || row >= h->img->height) continue;
        int a = 0;
        getpixelbytes(&a, h->img->pixmaps[0], col, row, 1, 3);
        if (a == 0) continue;

        if (h->prg == house_intact) {            // a house costs its points once
            h->prg = house_struck;
            h->wait = 60;
            world->level.addscore(-3);
        }
        tsmp& s = world->snd.s[smp_house];
        s.pan = panat(h->x, 0.4f);
        world->snd.play(s, 0.8f + world->rnd.updf(0.4f), -1);
        return 1;
    }
    return 0;
}

void thouse::removeall() {
    clearall();
    count = 0;
}

void thouse::upd() {
    each([this](thousedata& h, int) {
        if (!h.upd()) return 0;
        count--;
        return 1;
    });
}

void thouse::draw() const {
    each([](const thousedata& h, int) { h.draw(); });
}
