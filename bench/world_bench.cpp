// The whole game: building a world, one frame step of the self-playing title screen and of a
// running level, one drawn frame with its draw calls, and a recorded game played to its end
// (what the score server's verifier does), on one thread and on two side by side; the digest of
// the data a recording names.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/applet.h"
#include "app/datadigest.h"
#include "app/replay.h"
#include "app/replayfile.h"
#include "app/world.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
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
    if (playing) EmitEvent(CreateEvent(EVENT_MENUACTION, world->win.g, 1));
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

// A test replay played to its end in this thread's world, made afresh for it: a verification
// without its checks. Threads(2): two worlds play at once, one a thread.
void BM_playback(benchmark::State& state, const char* name) {
    if (!start()) return state.SkipWithError("data/ not built");
    std::ifstream in(std::string(VARNHOLD_SOURCE_DIR) + "/tests/replays/" + name, std::ios::binary);
    treplayread read = parsereplay(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    if (!read.error.empty()) return state.SkipWithError(read.error.c_str());
    for (auto _ : state) {
        if (!startplayback(read.replay, name, false).empty()) return state.SkipWithError("the replay did not start");
        if (!playtoend().same) return state.SkipWithError("the replay did not play to its world");
        stopplayback();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["frames"] = read.replay.end.frame;
}
BENCHMARK_CAPTURE(BM_playback, fight, "fight.vhr")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Threads(1)
    ->Threads(2);
BENCHMARK_CAPTURE(BM_playback, menus, "menus.vhr")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Threads(1)
    ->Threads(2);
BENCHMARK_CAPTURE(BM_playback, highscore, "highscore.vhr")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Threads(1)
    ->Threads(2);

// The digest of the data a recording names (app/datadigest.h), as the game takes it when a
// recording starts, after the world has loaded its pictures and sounds (nothing is decoded
// again); as a score server takes it at its start (every picture and sound decoded); and the
// digest of the files' bytes that 1.1.0 took in its place.
void BM_datadigest_loaded(benchmark::State& state) {
    if (!start()) return state.SkipWithError("data/ not built");
    for (auto _ : state) benchmark::DoNotOptimize(datadigest());
}
void BM_datadigest_decoding(benchmark::State& state) {
    if (!start()) return state.SkipWithError("data/ not built");
    for (auto _ : state) {
        ForgetDecodedDigests();
        benchmark::DoNotOptimize(datadigest());
    }
}
void BM_databytesdigest(benchmark::State& state) {
    if (!start()) return state.SkipWithError("data/ not built");
    for (auto _ : state) benchmark::DoNotOptimize(databytesdigest());
}
BENCHMARK(BM_datadigest_loaded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_datadigest_decoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_databytesdigest)->Unit(benchmark::kMillisecond);

}  // namespace
