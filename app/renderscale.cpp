#include "app/renderscale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

float renderoption = -1;

namespace {
// Pixels per playfield unit on a software rasteriser. The default window (a canvas of 800 x 400)
// draws one. A larger canvas also costs the scaling of every frame to it: on llvmpipe the
// title's frame at 1920 x 1040 takes 12.6 ms of CPU at one pixel per unit against 7.1 ms at
// 800 x 400, 4.9 ms of it the scaling (bench/window_bench.sh). So the scene gives up a share of
// its pixels as the canvas grows, one 21st for every default window's worth of canvas pixels
// beyond the first, which holds a frame to about 1.5 times the default window's cost, but never
// below 0.75 per unit, where the font begins to blur.
float softwaredetail(float canvaspixels) {
    float beyond = std::max(0.0f, canvaspixels / (800.0f * 400.0f) - 1);
    return std::max(0.75f, std::sqrt(std::max(0.0f, 1 - beyond / 21)));
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

float renderlimit(float option, bool software, float unit, float canvaspixels) {
    if (!(unit > 0) || option == 0) return 0;
    float perunit = option > 0 ? option : software ? softwaredetail(canvaspixels) : 0;
    return perunit / unit;
}
