// game/raid.h — the raid scheduler: after a random wait of up to 18000 frames a wave comes
// (heavy traffic, planes, satellites, a meteor shower, helicopters, UFOs, or UFOs then
// helicopters) and releases one unit every 30 .. 149 frames. It runs in every level state,
// the title screen included, but not in pause.
#pragma once

// A wave's kind (`art`). The first six are also the kinds of unit a wave releases (`units`).
enum twavekind : int {
    wave_cars = 0,                    // heavy traffic
    wave_planes = 1,
    wave_satellites = 2,
    wave_meteors = 3,
    wave_choppers = 4,
    wave_ufos = 5,
    wave_ufosthenchoppers = 6,
};
// The raid's `prg`: waiting for the next wave, or a wave in progress.
enum traidstate : int { raid_waiting = 0, raid_wave = 1 };

struct traid {
    static constexpr int minwait = 0, maxwait = 18000;
    static constexpr int maxart = wave_ufosthenchoppers + 1;   // wave kinds

    int wait = 0;                     // frames before the next step
    int art = wave_cars;              // a twavekind
    int prg = raid_waiting;           // a traidstate
    int count = 0;                    // steps left in the wave

    void init();                      // the first wait, then generate()
    int generate();                   // the next wave's kind and count
    int upd();

    template <class V> void fields(V& v) { v("wait", wait); v("art", art); v("prg", prg); v("count", count); }

    // Units released so far, by kind: cars, planes, satellites, meteors, helicopters, UFOs.
    // A tally of what the scheduler asked for (the lists may make nothing, e.g. without
    // pictures); not part of the world.
    int units[wave_ufos + 1] = {};
    template <class V> void unlisted(V& v) { v("units", units); }

private:
    void release();
    void horn();
};

extern traid raid;
