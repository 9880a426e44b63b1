// sky/cloud.cpp — the clouds.
#include "sky/cloud.h"

#include <algorithm>

#include "framework/assets.h"
#include "framework/rnd.h"
#include "game/world.h"
#include "sky/rain.h"

int tclouddata::generate() {
    speedy = world->rnd.updf(0.25f) - 0.125f;
    speedx = world->rnd.updf(1) + 0.1f;
    // Enter at the edge the wind blows from.
    if (world->rain.wind < 0) {
        speedx = -speedx;
        x = 800 + cloudw2;
    } else {
        x = -cloudw2;
    }
    dir = world->rnd.upd(2) * 2 - 1;
    y = world->rnd.updf(320);
    return 0;
}

int tclouddata::upd() {
    x += speedx + world->rain.wind;
    y += speedy;
    if (x < -cloudw2 || x > 800 + cloudw2 || y < 0) return 1;
    if (y > 320) {                    // a floor above the skyline: bounce
        y = 320;
        speedy = -speedy;
    }
    return 0;
}

int tclouddata::draw() {
    SetScale(float(dir), 1);
    DrawImage(img_cloud, x, y);
    return 0;
}

int tcloud::init() {
    wait = world->rnd.upd(maxwait);
    return 0;
}

int tcloud::generate() {
    add().generate();
    return 0;
}

int tcloud::remove(int i) {
    empty(i);
    return 0;
}

int tcloud::upd() {
    // Rare in clear weather, frequent from the gathering clouds until the rain thins out.
    if (wait != 0) {
        wait--;
    } else {
        if (world->rain.prg == rain_clear || world->rain.prg == rain_thinning) wait = world->rnd.upd(maxwait) + minwait;
        else wait = world->rnd.upd(maxwaitfast) + minwaitfast;
        generate();
    }
    // Darker the more it rains: black at the full 200 drops.
    if (world->rain.prg == rain_building || world->rain.prg == rain_steady)
        col = std::max(col - 0.3f, float(255 - (world->rain.count * 255) / train::maxdrops));
    else
        col = std::min(col + 0.3f, 255.0f);
    each([](tclouddata& c, int) { return c.upd(); });
    return 0;
}

int tcloud::draw() {
    SetAlpha(0.33f);
    int g = int(col);
    SetColor(g, g, g);
    each([](tclouddata& c, int) { return c.draw(), 0; });
    SetAlpha(1);
    SetScale(1, 1);
    SetColor(255, 255, 255);
    return 0;
}
