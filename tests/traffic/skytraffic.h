// tests/traffic/skytraffic.h — a fight with an empty, quiet sky: no traffic list and no raid
// launches anything of its own, so a test places exactly the records it looks at.
#pragma once

#include "game/kinds.h"
#include "game/world.h"
#include "tests/combat/fight.h"

struct skytraffic : fight {
    static constexpr int never = 1 << 30;

    void SetUp() override {
        fight::SetUp();
        clearsky();
        world->particles = tparticle();
        world->texts = ttxt();
    }

    static void clearsky() {
        int iw2 = world->ufos.iw2, ih2 = world->ufos.ih2;
        // every list a raid releases from: empty, and nothing of its own to come
#define SKYTRAFFIC_CLEAR(wave, list, ...) world->list = decltype(world->list)(), world->list.wait = never;
        VARNHOLD_WAVES(SKYTRAFFIC_CLEAR)
#undef SKYTRAFFIC_CLEAR
        world->ufos.iw2 = iw2, world->ufos.ih2 = ih2;
        world->jumpers.prg = jumper_waiting, world->raid.prg = raid_waiting;
        world->jumpers.wait = world->raid.wait = never;
        world->tnt2.removeall();
    }

    // A UFO hovering at (x, y): no wobble, no dodging, laser cold, engine sound running.
    static tufodata& hover(float x, float y) {
        int i = firstempty(world->ufos);
        world->ufos.generate();
        tufodata& u = *world->ufos.d[i];
        u.x = x, u.y = y;
        u.speedx = u.maxspeedx = u.fx = u.fy = 0;
        u.fly = u.checkradius = u.cooldown = never;
        return u;
    }

    // A meteor (art 1) or satellite (art 0) standing still at (x, y).
    static tsatellitedata& skyobject(int art, float x, float y) {
        tsatellitedata& s = world->satellites.add();
        s.generate(art ? img_meteor[0] : img_satellite, 0, 0, 0, art);
        s.x = x, s.y = y, s.speedx = s.speedy = s.speedr = 0;
        return s;
    }

    // A plane (art 0) or the hero (art 1) standing still at (x, y), its laser cold.
    static tplanedata& flyer(int art, float x, float y) {
        tplanedata& p = world->planes.add();
        p.art = art, p.img = art ? img_superman : img_plane[0];
        p.x = x, p.y = y, p.cooldown = never;
        return p;
    }

    static int cityalpha(float x, float y) {
        int a = 0;
        getpixelbytes(&a, img_city->pixmaps[0], int(x), int(y), 1, 3);
        return a;
    }
};
