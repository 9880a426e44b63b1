// combat/fire.cpp — fires and their flames.
#include "combat/fire.h"

#include "combat/particle.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/world.h"
#include "traffic/car.h"

namespace {
const int flamebirth[3] = {255, 245, 20};
const int flamedeath[3] = {205, 0, 0};
}

void tfiredata::generate(float x_, float y_, float w_, int life_) {
    x = x_;
    y = y_;
    w = w_;
    life = life_;
    maxlife = static_cast<float>(life_);
    world->snd.play(world->snd.s[smp_fire], 0.7f, -1);   // with the sample's own pan
}

// Only the car's reference point counts, and the fire is not used up.
void tfiredata::collisioncar() {
    int n = static_cast<int>(world->cars.d.size());
    for (int i = 0; i < n; i++) {
        tcardata* c = world->cars.d[i].get();
        if (!c || !(x < c->x && c->x < x + w)) continue;
        int h = c->img ? c->img->height : 0;
        world->tnt2.generate(c->x, c->y + static_cast<float>(h / 2), 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        c->destroy();
        world->cars.empty(i);
    }
}

int tfiredata::upd() {
    if (life <= 0) return 1;
    life--;
    collisioncar();
    return 0;
}

// A fresh fire sends up a flame every frame; the chance falls with its remaining life, so a
// dying fire flickers out.
void tfiredata::upd2() {
    float chance = maxlife > 0 ? static_cast<float>(life) / maxlife : 0;
    if (!(world->rnd.updf(1.0f) < chance)) return;
    float size = world->rnd.updf(0.3f) + 0.15f;
    int flamelife = world->rnd.upd(100) + 200;
    float speedy = world->rnd.updf(-0.2f) - 0.3f;   // rising at 0.3 to 0.5 per frame
    float speedx = world->rnd.updf(1.2f) - 0.6f;
    float fy = static_cast<float>(370 + world->rnd.upd(30));
    float fx = x + static_cast<float>(world->rnd.upd(static_cast<int>(w)));
    world->particles2.generate(fx, fy, speedx, speedy, flamelife, -0.005f, 0, size, flamebirth, flamedeath,
                               img_explosion1);
}

void tfire::generate(float x, float y, float w, int life) { add().generate(x, y, w, life); }

void tfire::removeall() { clearall(); }

void tfire::upd() {
    each([](tfiredata& f, int) { return f.upd(); });
}

void tfire::upd2() {
    each([](tfiredata& f, int) {
        f.upd2();
        return 0;
    });
}
