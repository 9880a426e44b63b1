// game/raid.cpp — the raid scheduler.
#include "game/raid.h"

#include "framework/rnd.h"

traid raid;

namespace {
// Units of each wave kind: heavy traffic, planes, satellites, meteors, helicopters, UFOs, and
// UFOs then helicopters. The last step of a wave releases one unit of the next kind.
constexpr int wavecount[traid::maxart] = {20, 10, 8, 10, 10, 6, 16};
}

void traid::init() {
    wait = rnd.upd(maxwait);
    art = prg = count = 0;
    generate();
}

int traid::generate() {
    art = rnd.upd(maxart);
    count = wavecount[art];
    return 0;
}
int traid::upd() { return 0; }
