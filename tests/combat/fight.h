// tests/combat/fight.h — a fresh world with a level being fought: no enemy missile is
// launched by the level, no wind blows, and the lists of the fight start empty.
#pragma once

#include <cmath>

#include "combat/fire.h"
#include "combat/gun.h"
#include "combat/house.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "combat/txt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/input.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "sky/rain.h"
#include "tests/support/world.h"

struct fight : worldtest {
    void SetUp() override {
        worldtest::SetUp();
        world->level.prg = level_fight;
        world->level.allrocket = 1000;   // the level is never won while we look
        world->level.maxrocket = 0;      // and launches nothing of its own
        world->level.score = 0;
        world->level.speed = 1;
        world->rain.wind = 0;
        world->rockets.removeall();
        world->tnt.removeall();
        world->fires.removeall();
    }

    template <class L>
    static int firstempty(const L& list) {
        for (int i = 0; i < static_cast<int>(list.d.size()); i++)
            if (!list.d[i]) return i;
        return static_cast<int>(list.d.size());
    }

    template <class L>
    static int records(const L& list) {
        int n = 0;
        for (auto& r : list.d) n += r ? 1 : 0;
        return n;
    }

    // A missile already in flight.
    static trocketdata& missile(float x, float y, float tx, float ty, float speed, int owner) {
        int i = firstempty(world->rockets);
        world->rockets.generate(x, y, tx, ty, speed, owner, 1, owner ? img_trailplayer : img_trailenemy);
        trocketdata& r = *world->rockets.d[i];
        r.prg = rocket_flying;
        r.wait = -1;
        return r;
    }
    static trocketdata& enemy(float x, float y, float tx, float ty, float speed) {
        return missile(x, y, tx, ty, speed, 0);
    }

    static ttntdata& explosion(float x, float y, float size, int time, int owner, int combo) {
        int i = firstempty(world->tnt);
        world->tnt.generate(x, y, size, static_cast<float>(time), -1, 1, owner, combo);
        return *world->tnt.d[i];
    }

    // A pixel of the picture whose alpha is (or is not) zero, searched from the top left.
    static bool findpixel(TImage* img, bool opaque, int& col, int& row) {
        for (row = 0; row < img->height; row++)
            for (col = 0; col < img->width; col++) {
                int a = 0;
                getpixelbytes(&a, img->pixmaps[0], col, row, 1, 3);
                if ((a != 0) == opaque) return true;
            }
        return false;
    }

    // Exactly one house, of picture `pic`, with its left edge at x.
    static thousedata& onehouse(int pic, float x) {
        world->houses.removeall();
        int i = world->houses.generate(0, 800, 370);
        thousedata& h = *world->houses.d[i];
        h.img = img_house[pic];
        h.x = x;
        return h;
    }

    static int tickedoption(int tag) { return world->menu.get(tag) & 1; }
};
