// The sky and the weather per tick: the three bodies and their flare, a full storm of 200
// drops with the wind easing, and the clouds; then drawing those layers.
#include <benchmark/benchmark.h>

#include <string>

#include "app/world.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/cloud.h"
#include "sky/day.h"
#include "sky/rain.h"

namespace {

bool skyworld(benchmark::State& state) {
    static bool started = false;
    if (!started) {
        started = true;
        PlatformInit(tbackend::headless);
        initpaths("./");
    }
    std::string missing = newworld(7);
    if (!missing.empty()) {
        state.SkipWithError(("can't load " + missing).c_str());
        return false;
    }
    // A heavy shower that holds: every drop in use, lightning possible.
    world->rain.prg = rain_building, world->rain.art = fall_rain,
    world->rain.count2 = world->rain.countlast = train::maxdrops;
    while (world->rain.count < train::maxdrops) world->rain.generate();
    world->rain.prg = rain_steady, world->rain.wait = 1 << 30;
    for (int i = 0; i < 8; i++) world->clouds.generate();
    return true;
}

void BM_sky_tick(benchmark::State& state) {
    if (!skyworld(state)) return;
    for (auto _ : state) {
        world->day.upd();
        world->rain.upd();
        world->clouds.upd();
        benchmark::DoNotOptimize(world->rain.wind);
    }
    state.counters["drops"] = world->rain.count;
}
BENCHMARK(BM_sky_tick);

void BM_sky_draw(benchmark::State& state) {
    if (!skyworld(state)) return;
    world->rain.flash = 1;
    world->rain.flashobj.generate(100, -10, 500, 400, 7, 1.0f);
    for (auto _ : state) {
        ClearDrawRecords();
        world->day.draw();
        world->clouds.draw();
        world->day.drawrainbow();
        world->rain.draw();
        world->day.drawlens();
    }
    state.counters["images"] = double(DrawRecords().size());
}
BENCHMARK(BM_sky_draw);

}  // namespace
