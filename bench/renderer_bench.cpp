// A busy frame through the batcher, in the order the game draws one: margins, sky, skyline,
// houses, missiles with their trails and turrets above the street, then the street, 2,000
// debris particles, explosions, 200 rain drops, floating texts, and the HUD on top.
// Reports the draw calls of the frame (goal: at most 64) and the time to build it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/applet.h"
#include "app/world.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

struct tscene {
    TGadget* win = nullptr;
    TGadget* can = nullptr;
    TImage *sky, *stars, *sun, *moon, *cloud, *title, *city, *flag, *street, *rocket, *trail, *trailp, *turretbase,
        *turret, *explosion1, *explosion2, *particle, *drop, *aim, *ring;
    std::vector<TImage*> houses, glyphs;

    tscene() {
        PlatformInit(tbackend::headless);
        win = CreateWindow("bench", 0, 0, 800, 400, nullptr, WINDOW_HIDDEN);
        can = CreateCanvas(0, 0, 800, 400, win, 0);
        SetGraphics(can);
        auto img = [](int w, int h) {
            TImage* i = CreateImage(w, h, 1, IMG_FILTERED);
            SetImageHandle(i, w / 2.0f, h / 2.0f);
            return i;
        };
        sky = img(4, 400);
        stars = img(256, 256);
        sun = img(64, 64);
        moon = img(48, 48);
        cloud = img(128, 48);
        title = img(300, 40);
        city = img(800, 200);
        flag = img(24, 16);
        street = img(800, 30);
        rocket = img(5, 5);
        trail = img(3, 4);
        trailp = img(3, 4);
        turretbase = img(40, 20);
        turret = img(6, 20);
        explosion1 = img(64, 64);
        explosion2 = img(64, 64);
        particle = img(3, 3);
        drop = img(3, 3);
        aim = img(16, 16);
        ring = img(64, 64);
        for (int i = 0; i < 5; i++) houses.push_back(img(60, 90));
        for (int i = 0; i < 40; i++) glyphs.push_back(img(12, 16));   // one picture per character
    }

    // A picture stretched between two points through a loaded modelview, as beams and trails are.
    void beam(TImage* img, float x, float y, float tx, float ty) {
        float dx = tx - x, dy = ty - y, len = std::sqrt(dx * dx + dy * dy);
        float m[16] = {dy / len, -dx / len, 0, 0, dx / len, dy / len, 0, 0, 0, 0, 1, 0, x, y, 0, 1};
        ModelviewPush();
        ModelviewLoad(m);
        SetScale(1, len / img->height);
        DrawImage(img, -img->width / 2.0f, 0);
        ModelviewPop();
    }

    void frame(int n) {
        SetBlend(BLEND_ALPHA);
        SetViewport(0, 0, 800, 400);
        SetColor(0, 0, 0);
        DrawRect(800, 0, 0, 400);
        DrawRect(0, 399, 800, 1);
        SetColor(255, 255, 255);
        SetViewport(0, 0, 800, 400);
        SetScale(200, 1);
        DrawImage(sky, 400, 200);
        SetScale(1, 1);
        SetAlpha(0.5f);
        SetRotation(static_cast<float>(n % 360));
        DrawImage(stars, 400, 200);
        SetRotation(0);
        SetAlpha(1);
        DrawImage(sun, 200, 120);
        DrawImage(moon, 600, 100);
        for (int i = 0; i < 6; i++) DrawImage(cloud, 50.0f + i * 130, 60.0f + (i % 3) * 10);
        DrawImage(title, 400, 28);
        DrawImage(city, 400, 270);
        DrawImage(flag, 716, 173);

        SetViewport(0, 0, 800, 371);
        for (int i = 0; i < 10; i++) DrawImage(houses[i % houses.size()], 40.0f + i * 80, 325);
        for (int i = 0; i < 40; i++) {
            float sx = 20.0f * i, ex = 800 - 20.0f * i, t = ((n + i * 7) % 100) / 100.0f;
            float x = sx + (ex - sx) * t, y = 370 * t;
            SetAlpha(0.8f);
            beam(i % 4 ? trail : trailp, sx, 0, x, y + 0.01f);
            SetAlpha(1);
            SetScale(1, 1);
            DrawImage(rocket, x, y);
        }
        for (int i = 0; i < 3; i++) {
            DrawImage(turretbase, 100.0f + i * 300, 360);
            SetRotation(-30.0f + i * 30);
            DrawImage(turret, 100.0f + i * 300, 350);
            SetRotation(0);
        }

        SetViewport(0, 0, 800, 400);
        DrawImage(street, 400, 385);
        for (int i = 0; i < 2000; i++) {
            SetColor(255, 200 - i % 100, 50);
            SetAlpha(1 - (i % 50) / 50.0f);
            DrawImage(particle, static_cast<float>((i * 37 + n) % 800), static_cast<float>((i * 53) % 370));
        }
        SetColor(255, 255, 255);
        for (int i = 0; i < 30; i++) {
            float s = 0.2f + (i % 10) / 10.0f;
            SetScale(s, s);
            SetAlpha(1 - s / 2);
            DrawImage(i % 2 ? explosion1 : explosion2, 25.0f * i, 200.0f + (i % 5) * 20);
        }
        SetScale(1, 1);
        SetAlpha(1);
        for (int i = 0; i < 200; i++) {
            SetScale(1, 3);
            DrawImage(drop, static_cast<float>((i * 41 + n * 3) % 800), static_cast<float>((i * 13 + n * 5) % 400));
        }
        SetScale(1, 1);
        for (int i = 0; i < 20; i++) DrawImage(glyphs[i % glyphs.size()], 300.0f + i * 10, 150);   // "Combo 3"
        for (int i = 0; i < 3; i++) DrawImage(ring, 300.0f + i * 40, 150);                       // lens flare

        SetViewport(0, 0, 800, 400);
        for (int i = 0; i < 60; i++) DrawImage(glyphs[(i * 7) % glyphs.size()], 10.0f + (i % 30) * 12, 5.0f + (i / 30) * 18);
        DrawImage(aim, 400, 200);
        Flip();
    }
};

tscene& scene() {
    static tscene s;
    return s;
}

void BM_busyframe(benchmark::State& st) {
    tscene& s = scene();
    RecordDrawing(false);
    int n = 0;
    for (auto _ : st) s.frame(n++);
    st.counters["draw_calls"] = DrawCallsLastFrame();
    st.counters["quads"] = 2000 + 200 + 80 + 30 + 80 + 40;
    RecordDrawing(true);
}
BENCHMARK(BM_busyframe)->Unit(benchmark::kMicrosecond);

// The same frame with the headless recorder on, as the scenario tests and the simulator run it.
void BM_busyframe_recorded(benchmark::State& st) {
    tscene& s = scene();
    RecordDrawing(true);
    int n = 0;
    for (auto _ : st) s.frame(n++);
    st.counters["draw_calls"] = DrawCallsLastFrame();
    st.counters["records"] = static_cast<double>(DrawRecords().size());
}
BENCHMARK(BM_busyframe_recorded)->Unit(benchmark::kMicrosecond);

// The game's own frame: a seeded world on its self-defending title screen, stepped for a
// minute of play so that missiles, explosions, traffic and debris are about, then drawn.
void BM_gameframe(benchmark::State& st) {
    PlatformInit(tbackend::headless);
    initpaths("./");
    if (FileType("data") != 2) {
        st.SkipWithError("no data/ in the working folder: run it in the build folder");
        return;
    }
    SetMilliSecs(0);
    std::string missing = newworld(3);
    if (!missing.empty()) {
        st.SkipWithError(("can't load " + missing).c_str());
        return;
    }
    RecordDrawing(false);
    for (int i = 0; i < 3600; i++) framestep();
    int most = 0;
    for (auto _ : st) {
        framestep();
        mainapplet().draw();
        most = std::max(most, DrawCallsLastFrame());
    }
    st.counters["draw_calls"] = DrawCallsLastFrame();
    st.counters["draw_calls_max"] = most;
    RecordDrawing(true);
}
BENCHMARK(BM_gameframe)->Unit(benchmark::kMicrosecond);

}  // namespace
