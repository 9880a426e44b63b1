#include "app/renderscale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

thread_local float renderoption = -1;

namespace {
// Pixels per playfield unit on a software rasteriser. The default window (a canvas of 800 x 400)
// draws one. A larger canvas also costs the scaling of every frame to it: on llvmpipe about 6 ms
// of CPU at 1920 x 1040, about what the whole title frame costs at 800 x 400, whatever the scene
// draws (bench/window_bench.sh). So up to twice the default window's pixels the scene keeps one
// pixel per unit (the default window's canvas, 800 wide and a few rows over 400, is then drawn
// as it is, not scaled); beyond that it gives up pixels until, at six times (1920 x 1040 and larger), it draws 0.75 per
// unit, where the font is still sharp enough to read easily.
float softwaredetail(float canvaspixels) {
    constexpr float least = readableunit;
    float share = std::clamp((canvaspixels / (800.0f * 400.0f) - 2) / 4, 0.0f, 1.0f);
    return std::sqrt(1 - share * (1 - least * least));
}
}  // namespace

bool parserenderscale(const std::string& text, float& out) {
    if (text == "auto") {
        out = -1;
        return true;
    }
    if (text == "device") {
        out = 0;
        return true;
    }
    if (text.empty()) return false;
    char* end = nullptr;
    float v = std::strtof(text.c_str(), &end);
    if (*end != 0 || !(v >= 0.5f && v <= 8)) return false;
    out = v;
    return true;
}

float renderlimit(float option, bool software, float unit, float canvaspixels, float keep, float least) {
    if (!(unit > 0) || option == 0) return 0;
    float perunit = 0;
    if (option > 0) {
        perunit = option;
    } else if (software) {
        float detail = softwaredetail(canvaspixels);
        perunit = std::max(std::min(detail, least), detail * keep);
    }
    return perunit / unit;
}

float interfacelimit(float scene, float whole, float unit) {
    if (!(unit > 0) || scene <= 0 || whole <= 0) return scene;
    return std::max(scene, std::min(whole, readableunit / unit));
}

bool tdetail::second(int ticks, int shown) {
    // Nothing shown: a hidden or minimised window, nothing to follow.
    if (shown <= 0) return false;
    best = std::max(best, shown);
    // The frames the display can show: the most seen in a second, taken as 50 at least until a
    // second shows more (a crowded fight from the first frame); no more than the world steps.
    int wanted = std::min(ticks, std::max(best, 50));
    float was = keep, wasparticles = particles;
    if (shown * 10 < wanted * 9) {
        if (keep <= least && shrink) particles = particles > smaller ? smaller : smallest;
        // A frame's cost follows its pixels, the square of the pixels per unit.
        float f = std::sqrt(static_cast<float>(std::max(shown, 1)) / static_cast<float>(wanted));
        keep = std::max(least, keep * std::max(f, 0.7f));
        if (rose) patience = std::min(patience * 2, 48);
        rose = false;
        calm = 0;
    } else if (shown * 100 >= wanted * 97 && (keep < 1 || particles < 1)) {
        if (++calm >= patience) {
            if (particles < 1) particles = particles < smaller ? smaller : 1;
            else keep = std::min(1.0f, keep * step);
            calm = 0;
            rose = true;
        }
    } else {
        calm = 0;
    }
    return keep != was || particles != wasparticles;
}
