// The frame step of a busy fight: 40 missiles in flight, 30 explosions and 2,000 particles,
// on the headless world. Every 100 steps the scene is built again (outside the timing), so
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
#include "platform/platform.h"

namespace {

bool started = false;

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
}
BENCHMARK(frame_step_busy_fight)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
