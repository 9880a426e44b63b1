// The browser's pads: navigator.getGamepads(), read once an animation frame before the ticks.
// A pad in the "standard" layout (the browser knows its buttons) goes to the pads' shared
// mapping (platform/gamepad.cpp), renumbered to SDL's order; any other is left alone, as the
// desktop leaves a joystick SDL has no mapping for.
#include <emscripten/html5.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gamepad.h"
#include "platform/internal.h"
#include "platform/web/web.h"

namespace {

// The "standard" layout's buttons 0 .. 16 as PAD_ numbers (-1: the triggers, which mean nothing here).
constexpr int standard[17] = {PAD_A, PAD_B, PAD_X, PAD_Y, PAD_LEFTSHOULDER, PAD_RIGHTSHOULDER, -1, -1,
                              PAD_BACK, PAD_START, PAD_LEFTSTICK, PAD_RIGHTSTICK, PAD_DPUP, PAD_DPDOWN,
                              PAD_DPLEFT, PAD_DPRIGHT, PAD_GUIDE};

// What each index of getGamepads() held at the last poll: the pad's name, "" for none.
std::vector<std::string> seenat;

void padevent(int id, int data, int x, int y) {
    if (plat::canvas) plat::emit(id, plat::canvas, data, 0, x, y);
}

}  // namespace

void web::pollpads() {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    pad::deliver(padevent);
    int now = MilliSecs();
    int n = std::max<int>(emscripten_get_num_gamepads(), static_cast<int>(seenat.size()));
    seenat.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        EmscriptenGamepadEvent g;
        bool there = i < emscripten_get_num_gamepads() && emscripten_get_gamepad_status(i, &g) == EMSCRIPTEN_RESULT_SUCCESS &&
                     g.connected;
        std::string name = there ? g.id : "";
        bool mapped = there && std::strcmp(g.mapping, "standard") == 0;
        if (name != seenat[static_cast<size_t>(i)]) {
            pad::remove(i);               // pulled out, or another pad in its place
            seenat[static_cast<size_t>(i)] = name;
            if (there && !mapped) pad::unmapped(name, name);
        }
        if (!mapped) continue;
        pad::tpad& p = pad::add(i, name);
        uint32_t held = 0;
        for (int b = 0; b < std::min(g.numButtons, 17); b++)
            if (g.digitalButton[b] && standard[b] >= 0) held |= 1u << standard[b];
        pad::hold(p, held, now);
        p.sx = g.numAxes > 0 ? static_cast<float>(g.axis[0]) : 0;
        p.sy = g.numAxes > 1 ? static_cast<float>(g.axis[1]) : 0;
    }
    pad::finish(now);
}

void web::stoppads() {
    for (int i = 0; i < static_cast<int>(seenat.size()); i++) pad::remove(i);
    seenat.clear();
    pad::forget();
}
