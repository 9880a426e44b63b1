#include "app/renderscale.h"

#include <cstdlib>

float renderoption = -1;

namespace {
// Pixels per playfield unit on a software rasteriser: the default window's cost.
constexpr float softwaredetail = 1;
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

float renderlimit(float option, bool software, float unit) {
    if (!(unit > 0) || option == 0) return 0;
    float perunit = option > 0 ? option : software ? softwaredetail : 0;
    return perunit / unit;
}
