// The whole game: building a world, one frame step of the self-playing title screen and of a
// running level, and one drawn frame with its draw calls.
#include <benchmark/benchmark.h>

#include "app/applet.h"
#include "app/world.h"
#include "framework/globals.h"
#include "framework/window.h"
#include "game/level.h"
#include "platform/testing.h"

namespace {

bool start() {
    static bool ok = [] {
        PlatformInit(tbackend::headless);
        initpaths("./");
        cfgpath = "/nonexistent-varnhold/varnhold.cfg";   // never read nor written here
        return newworld(1).empty();
    }();
    return ok;
}

void BM_newworld(benchmark::State& state) {
    if (!start()) return state.SkipWithError("data/ not built");
    int seed = 1;
    for (auto _ : state) benchmark::DoNotOptimize(newworld(seed++));
}
BENCHMARK(BM_newworld)->Unit(benchmark::kMicrosecond);

// Frame steps after a warm-up of ten seconds of play, so that the lists are populated.
void steps(benchmark::State& state, bool playing) {
    if (!start()) return state.SkipWithError("data/ not built");
    newworld(7);
    RecordDrawing(false);
    if (playing) EmitEvent(CreateEvent(EVENT_MENUACTION, win.g, 1));
    for (int i = 0; i < 600; i++) stepworld();
    for (auto _ : state) stepworld();
    state.SetItemsProcessed(state.iterations());
    state.counters["steps/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    RecordDrawing(true);
}
void BM_framestep_title(benchmark::State& state) { steps(state, false); }
void BM_framestep_level(benchmark::State& state) { steps(state, true); }
BENCHMARK(BM_framestep_title)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_framestep_level)->Unit(benchmark::kMicrosecond);

// One repaint of the title screen: every layer, the HUD and the high-score table.
void BM_drawframe(benchmark::State& state) {
    if (!start()) return state.SkipWithError("data/ not built");
    newworld(7);
    RecordDrawing(false);
    for (int i = 0; i < 600; i++) stepworld();
    for (auto _ : state) drawworld();
    state.counters["drawcalls"] = DrawCallsLastFrame();
    RecordDrawing(true);
}
BENCHMARK(BM_drawframe)->Unit(benchmark::kMicrosecond);

}  // namespace
