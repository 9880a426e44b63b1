#include "app/smooth.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "framework/menutags.h"
#include "game/world.h"
#include "platform/platform.h"

thread_local int smoothchoice = 0;
const bool smoothready = ThreadState([] { (void)&smoothchoice; });

// The lists of what moves, whose records have a position `x`, `y`.
#define VARNHOLD_SMOOTHED(X) \
    X(clouds)                \
    X(satellites)            \
    X(rockets)               \
    X(particles)             \
    X(cars)                  \
    X(planes)                \
    X(ufos)                  \
    X(choppers)              \
    X(particles2)            \
    X(texts)

namespace {

// Further in one step than anything flies (a player's missile at the highest levels makes
// about 12 units): a wrap-around or a new entry, drawn where it is.
constexpr float jump = 40;

struct twas {
    const void* record;
    float x, y;
    bool operator<(const twas& o) const { return record < o.record; }
};

enum {
#define VARNHOLD_SMOOTHED_INDEX(name) smoothed_##name,
    VARNHOLD_SMOOTHED(VARNHOLD_SMOOTHED_INDEX)
#undef VARNHOLD_SMOOTHED_INDEX
        smoothedlists
};

struct tsmooth {
    std::vector<twas> was[smoothedlists];   // by record, before the last step
    bool remembered = false;
    twas jumper{};
    int jumperprg = 0;
    std::vector<std::pair<float*, float>> moved;   // the positions a frame changed, and what they were
    bool painting = false;                         // PaintEveryFrame is on
};
thread_local tsmooth state;

template <class L> void remember(L& list, std::vector<twas>& was) {
    list.watched = true;
    list.gone.clear();
    was.clear();
    for (auto& r : list.d)
        if (r) was.push_back({r.get(), r->x, r->y});
    std::sort(was.begin(), was.end());
}

template <class L> void forget(L& list, std::vector<twas>& was) {
    list.watched = false;
    list.gone.clear();
    was.clear();
}

void between(float& x, float& y, float wasx, float wasy, float f) {
    if (std::abs(x - wasx) > jump || std::abs(y - wasy) > jump) return;
    state.moved.emplace_back(&x, x);
    state.moved.emplace_back(&y, y);
    x = wasx + (x - wasx) * f;
    y = wasy + (y - wasy) * f;
}

template <class L> void place(L& list, const std::vector<twas>& was, float f) {
    if (was.empty()) return;
    std::sort(list.gone.begin(), list.gone.end());
    for (auto& r : list.d) {
        if (!r) continue;
        auto it = std::lower_bound(was.begin(), was.end(), twas{r.get(), 0, 0});
        if (it == was.end() || it->record != r.get()) continue;                          // came in the step
        if (std::binary_search(list.gone.begin(), list.gone.end(), r.get())) continue;   // a new one where one went
        between(r->x, r->y, it->x, it->y, f);
    }
}

}   // namespace

void smoothreset() {
#define VARNHOLD_SMOOTHED_FORGET(name) forget(world->name, state.was[smoothed_##name]);
    if (world) VARNHOLD_SMOOTHED(VARNHOLD_SMOOTHED_FORGET)
#undef VARNHOLD_SMOOTHED_FORGET
    state.remembered = false;
    state.moved.clear();
    if (state.painting) PaintEveryFrame(false);
    state.painting = false;
}

bool smoothing() { return state.painting; }

void followsmooth() {
    if (!(smoothchoice & smoothchosen)) {
        // Not chosen: on where the display shows more than 60 frames a second.
        int want = DisplayRate() > 61 ? 1 : 0;
        if ((world->menu.get(menu_smoothmotion) & 1) != want) world->menu.set(menu_smoothmotion, want);
    }
    bool on = (world->menu.get(menu_smoothmotion) & 1) != 0;
    if (on == state.painting) return;
    if (on) {
        PaintEveryFrame(true);
        state.painting = true;
    } else {
        smoothreset();
    }
}

void choosesmooth() { smoothchoice = smoothchosen | (world->menu.get(menu_smoothmotion) & 1); }

void smoothremember() {
#define VARNHOLD_SMOOTHED_REMEMBER(name) remember(world->name, state.was[smoothed_##name]);
    VARNHOLD_SMOOTHED(VARNHOLD_SMOOTHED_REMEMBER)
#undef VARNHOLD_SMOOTHED_REMEMBER
    state.jumper = {&world->jumpers, world->jumpers.x, world->jumpers.y};
    state.jumperprg = world->jumpers.prg;
    state.remembered = true;
}

void smoothplace(float f) {
    state.moved.clear();
    if (!state.remembered || !(f < 1)) return;
#define VARNHOLD_SMOOTHED_PLACE(name) place(world->name, state.was[smoothed_##name], f);
    VARNHOLD_SMOOTHED(VARNHOLD_SMOOTHED_PLACE)
#undef VARNHOLD_SMOOTHED_PLACE
    if (world->jumpers.prg != jumper_waiting && state.jumperprg != jumper_waiting)
        between(world->jumpers.x, world->jumpers.y, state.jumper.x, state.jumper.y, f);
}

void smoothrestore() {
    for (auto it = state.moved.rbegin(); it != state.moved.rend(); ++it) *it->first = it->second;
    state.moved.clear();
}
