// The framework's hot paths: random draws, text drawing, the per-tick sound update, and the
// skyline blur that start-up runs once when its mask is missing.
#include <benchmark/benchmark.h>

#include "framework/font.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "platform/testing.h"

namespace {

void start() {
    static bool once = (PlatformInit(tbackend::headless), true);
    (void)once;
}

void BM_rnd_upd(benchmark::State& state) {
    trnd r(1);
    for (auto _ : state) benchmark::DoNotOptimize(r.upd(800));
}
BENCHMARK(BM_rnd_upd);

void BM_rnd_updf(benchmark::State& state) {
    trnd r(1);
    for (auto _ : state) benchmark::DoNotOptimize(r.updf(360.0f));
}
BENCHMARK(BM_rnd_updf);

// A HUD line of 24 characters with a font of 8 x 14 glyphs.
void BM_font_draw_line(benchmark::State& state) {
    start();
    pngfont f;
    f.w = -1;
    for (int c = 32; c < 127; c++) f.img[c] = CreateImage(8, 14, 1, 0);
    std::string line = "Score 1234567   Level 12";
    for (auto _ : state) {
        ClearDrawRecords();
        f.draw(line, 10, 10);
        benchmark::DoNotOptimize(f.width(line));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_font_draw_line);

// One tick of the manager with all 64 channels playing and half of them fading.
void BM_snd_upd(benchmark::State& state) {
    start();
    tsnd s = createsnd(64);
    s.add("data/rain.ogg", 1);
    if (!s.s[0].s) {
        state.SkipWithError("data/rain.ogg not built");
        return;
    }
    s.s[0].volfade = 0;   // keeps the faders running for the whole measurement
    s.s[0].panfade = 0.001f;
    for (int i = 0; i < 64; i++) {
        s.play(s.s[0], 1, -1);
        s.c[static_cast<size_t>(i)].released = i & 1;
    }
    for (auto _ : state) s.upd();
}
BENCHMARK(BM_snd_upd);

// Eight in-place passes of radius 1 over the alpha of an 804 x 370 skyline.
void BM_blur_skyline(benchmark::State& state) {
    start();
    TImage* img = CreateImage(804, 370, 1, 0);
    int opaque[1] = {255};
    fillimage(img, opaque, 1, 3);
    for (auto _ : state)
        for (int pass = 0; pass < 8; pass++) blurimage(img, 1, 1, 3);
}
BENCHMARK(BM_blur_skyline)->Unit(benchmark::kMillisecond);

}  // namespace
