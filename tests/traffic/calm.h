// tests/traffic/calm.h — a fight with an empty street and a quiet sky: no car, plane, satellite,
// UFO, helicopter, jumper or raid comes unless a test puts it there.
#pragma once

#include "game/kinds.h"
#include "game/world.h"
#include "tests/combat/fight.h"

struct calmworld : fight {
    void SetUp() override {
        fight::SetUp();
        emptystreet();
        emptysky();
#define CALM_WAIT(wave, list, ...) world->list.wait = 1000000;
        VARNHOLD_WAVES(CALM_WAIT)   // every list a raid releases from
#undef CALM_WAIT
        world->raid.wait = world->jumpers.wait = 1000000;
        world->raid.prg = raid_waiting, world->jumpers.prg = jumper_waiting;
    }
    static void emptystreet() {
        world->cars = tcar();
        world->cars.wait = 1000000;
    }
    static void emptysky() {
        world->planes = tplane();
        world->planes.wait = 1000000;
    }

    // Type 0 or the police car (art 1), tinted (200, 0, 0); speed > 0 drives left.
    static tcardata& car(float x, float y, float speed, int art = kind_car) {
        tcardata& c = world->cars.add();
        c.art = art;
        c.img = art ? img_police : img_car[0];
        c.imgt = img_cart[0];
        c.imgw2 = static_cast<float>(img_car[0]->width / 2);
        c.x = x, c.y = y, c.speed = c.maxspeed = speed, c.col[0] = 200;
        world->cars.countpolice += art;
        return c;
    }
    // Type 0 or the hero (art 1), tinted (200, 0, 0); speedx > 0 flies left.
    static tplanedata& plane(float x, float y, float speedx, int art = kind_plane) {
        tplanedata& p = world->planes.add();
        p.art = art;
        p.img = art ? img_superman : img_plane[0];
        p.imgt = img_planet[0];
        p.imgw2 = static_cast<float>(p.img->width / 2);
        p.imgh2 = static_cast<float>(p.img->height / 2);
        p.x = x, p.y = y, p.speedx = speedx, p.col[0] = 200;
        world->planes.countsuper += art;
        return p;
    }
    static void ufo(float x, float y) {
        tufodata& u = world->ufos.add();
        u.x = x, u.y = y;
    }
};
