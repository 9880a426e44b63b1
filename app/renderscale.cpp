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
    constexpr float least = 0.75f;
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

float renderlimit(float option, bool software, float unit, float canvaspixels) {
    if (!(unit > 0) || option == 0) return 0;
    float perunit = option > 0 ? option : software ? softwaredetail(canvaspixels) : 0;
    return perunit / unit;
}
