// bench/crowd.cpp — the crowded fight of the window benchmark (--bench-crowd): missiles,
// explosions, debris and flames, fires, floating texts, a full shower and every kind of traffic.
#include "bench/crowd.h"

#include <string>

#include "combat/fire.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "combat/txt.h"
#include "framework/assets.h"
#include "game/level.h"
#include "game/world.h"
#include "sky/rain.h"
#include "traffic/car.h"
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"

namespace {

// n new records of a list, spread from x0 in steps of dx.
template <class L>
void spread(L& list, int n, float x0, float dx) {
    for (int i = 0; i < n; i++) {
        list.generate();
        if (i < static_cast<int>(list.d.size()) && list.d[i]) list.d[i]->x = x0 + dx * static_cast<float>(i);
    }
}

void traffic() {
    spread(world->cars, 30, 15, 26);
    // two of the cars police, one of the planes the hero
    for (int i = 0; i < 2 && i < static_cast<int>(world->cars.d.size()); i++) {
        tcardata* c = world->cars.d[i].get();
        if (!c || c->art == kind_police) continue;
        c->art = kind_police;
        c->img = img_police;
        world->cars.countpolice++;
    }
    spread(world->planes, 10, 40, 80);
    tplanedata* p = world->planes.d.empty() ? nullptr : world->planes.d[0].get();
    if (p && p->art == kind_plane && world->planes.countsuper == 0) {
        p->art = kind_hero;
        p->img = img_superman;
        world->planes.countsuper = 1;
    }
    spread(world->ufos, 6, 100, 120);
    spread(world->choppers, 10, 40, 80);
    for (int i = 0; i < 8; i++) world->satellites.launchsatellite();
    for (int i = 0; i < 10; i++) world->satellites.launchmeteor();
    if (world->jumpers.prg == jumper_waiting) {
        world->jumpers.generate();
        world->jumpers.prg = jumper_inair;
    }
}

}  // namespace

void crowdfight() {
    world->level.allrocket = 1000;
    world->rockets.removeall();
    world->tnt.removeall();
    world->tnt2.removeall();
    // Missiles high up, slow enough to stay in flight; explosions low, clear of them.
    for (int i = 0; i < 40; i++) {
        float x = 10 + 19.5f * static_cast<float>(i);
        world->rockets.generate(x, 20 + static_cast<float>(i % 4) * 20, 800 - x, 370, 0.05f, i % 2, 1,
                                i % 2 ? img_trailplayer : img_trailenemy);
    }
    for (int i = 0; i < 30; i++)
        (i % 3 ? world->tnt : world->tnt2).generate(15 + 26 * static_cast<float>(i), 300, 0.1f, 400, -1, 1, i % 2, 0);
    const int col1[3] = {255, 200, 40}, col2[3] = {90, 90, 90};
    world->particles.clearall();
    world->particles2.clearall();
    for (int i = 0; i < 2000; i++) {
        tparticle& list = i % 2 ? world->particles : world->particles2;
        list.generate(static_cast<float>(i % 800), 150 + static_cast<float>(i % 200),
                      0.01f * static_cast<float>(i % 7 - 3), -0.01f, 100000, 0, i % 3 ? 0 : 0.5f,
                      0.5f, col1, col2, img_explosion1);
    }
    world->fires.removeall();
    for (int i = 0; i < 3; i++) world->fires.generate(100 + 300 * static_cast<float>(i), 370, 40, 100000);
    for (int i = 0; i < 5; i++)
        world->texts.generate("Combo x " + std::to_string(i + 2), 60 + 150 * static_cast<float>(i), 120, 1);
    for (int i = world->rain.count; i < train::maxdrops; i++) world->rain.generate();
    traffic();
}
