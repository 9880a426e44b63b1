// game/raid.h — the raid scheduler: after a random wait of up to 18000 frames a wave comes
// (heavy traffic, planes, satellites, a meteor shower, helicopters, UFOs, or UFOs then
// helicopters) and releases one unit every 30 .. 149 frames. It runs in every level state,
// the title screen included, but not in pause.
#pragma once

struct traid {
    static constexpr int minwait = 0, maxwait = 18000;
    static constexpr int maxart = 7;  // wave kinds

    int wait = 0;                     // frames before the next step
    int art = 0;                      // wave kind 0 .. 6
    int prg = 0;                      // 0 waiting for the next wave, 1 wave in progress
    int count = 0;                    // steps left in the wave

    void init();                      // the first wait, then generate()
    int generate();                   // the next wave's kind and count
    int upd();

    template <class V> void fields(V& v) { v("wait", wait); v("art", art); v("prg", prg); v("count", count); }

    // Units released so far, by kind: cars, planes, satellites, meteors, helicopters, UFOs.
    // A tally of what the scheduler asked for (the lists may make nothing, e.g. without
    // pictures); not part of the world.
    int units[6] = {};
    template <class V> void unlisted(V& v) { v("units", units); }

private:
    void release();
    void horn();
};

extern traid raid;
