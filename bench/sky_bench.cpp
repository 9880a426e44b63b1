// The sky and the weather per tick: the three bodies and their flare, a full storm of 200
// drops with the wind easing, and the clouds; then drawing those layers.
#include <benchmark/benchmark.h>

#include <string>

#include "app/world.h"
#include "framework/globals.h"
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
    rain.prg = rain_building, rain.art = fall_rain, rain.count2 = rain.countlast = train::maxdrops;
    while (rain.count < train::maxdrops) rain.generate();
    rain.prg = rain_steady, rain.wait = 1 << 30;
    for (int i = 0; i < 8; i++) clouds.generate();
    return true;
}

void BM_sky_tick(benchmark::State& state) {
    if (!skyworld(state)) return;
    for (auto _ : state) {
        day.upd();
        rain.upd();
        clouds.upd();
        benchmark::DoNotOptimize(rain.wind);
    }
    state.counters["drops"] = rain.count;
}
BENCHMARK(BM_sky_tick);

void BM_sky_draw(benchmark::State& state) {
    if (!skyworld(state)) return;
    rain.flash = 1;
    rain.flashobj.generate(100, -10, 500, 400, 7, 1.0f);
    for (auto _ : state) {
        ClearDrawRecords();
        day.draw();
        clouds.draw();
        day.drawrainbow();
        rain.draw();
        day.drawlens();
    }
    state.counters["images"] = double(DrawRecords().size());
}
BENCHMARK(BM_sky_draw);

}  // namespace
