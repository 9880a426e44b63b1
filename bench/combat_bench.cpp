// The frame step of a busy fight: 40 missiles in flight, 30 explosions and 2,000 particles,
// with the street and the sky full: 30 cars (2 of them police), 10 planes (one the hero),
// 6 UFOs, 8 satellites, 10 meteors, 10 helicopters and the jumper in the air, on the headless
// world. Every 100 steps the scene is built again (outside the timing), so
// the load stays the same while missiles and explosions age.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/applet.h"
#include "app/assets.h"
#include "app/world.h"
#include "combat/fire.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "game/level.h"
#include "traffic/car.h"
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"
#include "platform/platform.h"

namespace {

bool started = false;

// Slot i of a list, or null.
template <class L>
auto* slot(L& list, int i) {
    return i < static_cast<int>(list.d.size()) ? list.d[i].get() : nullptr;
}

// Spread along the street and the sky, so that they stay in play for the 100 steps.
void traffic() {
    for (int i = 0; i < 30; i++) {
        cars.generate();
        if (tcardata* c = slot(cars, i)) c->x = 15 + 26 * static_cast<float>(i);
    }
    for (int i = 0; i < 2; i++) {
        tcardata* c = slot(cars, i);
        if (!c || c->art == 1) continue;
        c->art = 1;
        c->img = img_police;
        cars.countpolice++;
    }
    for (int i = 0; i < 10; i++) {
        planes.generate();
        if (tplanedata* p = slot(planes, i)) p->x = 40 + 80 * static_cast<float>(i);
    }
    if (tplanedata* p = slot(planes, 0); p && p->art == 0 && planes.countsuper == 0) {
        p->art = 1;
        p->img = img_superman;
        planes.countsuper = 1;
    }
    for (int i = 0; i < 6; i++) {
        ufos.generate();
        if (tufodata* u = slot(ufos, i)) u->x = 100 + 120 * static_cast<float>(i);
    }
    for (int i = 0; i < 8; i++) satellites.launchsatellite();
    for (int i = 0; i < 10; i++) satellites.launchmeteor();
    for (int i = 0; i < 10; i++) {
        choppers.generate();
        if (tchopperdata* c = slot(choppers, i)) c->x = 40 + 80 * static_cast<float>(i);
    }
    jumpers.generate();
    jumpers.prg = 2;
}

bool busyfight() {
    if (!started) {
        PlatformInit(tbackend::headless);
        initpaths("./");
        started = true;
    }
    std::string missing = newworld(7);
    if (!missing.empty()) {
        std::fprintf(stderr, "can't load %s\n", missing.c_str());
        return false;
    }
    level.prg = 0;
    level.allrocket = 1000;
    level.maxrocket = 0;
    rockets.removeall();
    tnt.removeall();
    // Missiles high up, slow enough to stay in flight; explosions low, clear of them.
    for (int i = 0; i < 40; i++) {
        float x = 10 + 19.5f * static_cast<float>(i);
        rockets.generate(x, 20 + static_cast<float>(i % 4) * 20, 800 - x, 370, 0.05f, i % 2, 1,
                         i % 2 ? img_trailplayer : img_trailenemy);
    }
    for (int i = 0; i < 30; i++)
        tnt.generate(15 + 26 * static_cast<float>(i), 300, 0.1f, 400, -1, 1, i % 2, 0);
    const int col1[3] = {255, 200, 40}, col2[3] = {90, 90, 90};
    for (int i = 0; i < 2000; i++) {
        tparticle& list = i % 2 ? particles : particles2;
        list.generate(static_cast<float>(i % 800), 150 + static_cast<float>(i % 200),
                      0.01f * static_cast<float>(i % 7 - 3), -0.01f, 100000, 0, i % 3 ? 0 : 0.5f,
                      0.5f, col1, col2, img_explosion1);
    }
    traffic();
    return true;
}

void frame_step_busy_fight(benchmark::State& state) {
    if (!busyfight()) {
        state.SkipWithError("assets missing");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        if (++n % 100 == 0) {
            state.PauseTiming();
            busyfight();
            state.ResumeTiming();
        }
        framestep();
    }
    // what was in play when the last step ran
    state.counters["missiles"] = rockets.slots<trocketdata>::count();
    state.counters["explosions"] = tnt.count();
    state.counters["particles"] = particles.count() + particles2.count();
    state.counters["cars"] = cars.count();
    state.counters["planes"] = planes.count();
    state.counters["ufos"] = ufos.count();
    state.counters["satellites"] = satellites.count();
    state.counters["choppers"] = choppers.count();
}
BENCHMARK(frame_step_busy_fight)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
