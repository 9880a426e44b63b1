// The frame step of a busy fight (bench/crowd.h: 40 missiles, 30 explosions, 2,000 particles,
// fires, texts, a full shower, the units of every kind the raid sends (game/raid.h: 30 cars with
// 2 police, 10 planes with the hero, 8 satellites, 10 meteors, 10 helicopters, 6 UFOs) and the
// jumper in the air) on the headless world.
// Every 100 steps the scene is built again (outside the timing), so the load stays the same
// while missiles and explosions age.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/applet.h"
#include "app/replay.h"
#include "app/world.h"
#include "bench/crowd.h"
#include "game/kinds.h"
#include "game/world.h"
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
    world->level.prg = level_fight;
    world->level.maxrocket = 0;
    crowdfight();
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
    state.counters["missiles"] = world->rockets.slots<trocketdata>::count();
    state.counters["explosions"] = world->tnt.count();
    state.counters["particles"] = world->particles.count() + world->particles2.count();
#define BUSY_TRAFFIC(wave, list, ...) state.counters[#list] = world->list.count();
    VARNHOLD_WAVES(BUSY_TRAFFIC)
#undef BUSY_TRAFFIC
}
BENCHMARK(frame_step_busy_fight)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

// What recording costs the busy fight: every game in the window is recorded, and the recorder
// takes the world's digest every 60 frames (and a trace character every frame).
void world_digest_busy_fight(benchmark::State& state) {
    if (!busyfight()) {
        state.SkipWithError("assets missing");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(worlddigest());
}
BENCHMARK(world_digest_busy_fight)->Unit(benchmark::kMicrosecond);

// The same on the title screen after ten seconds, the world of most recorded frames.
void world_digest_title_screen(benchmark::State& state) {
    if (!busyfight()) {
        state.SkipWithError("assets missing");
        return;
    }
    newworld(7);
    for (int i = 0; i < 600; i++) framestep();
    for (auto _ : state) benchmark::DoNotOptimize(worlddigest());
}
BENCHMARK(world_digest_title_screen)->Unit(benchmark::kMicrosecond);
