// game/raid.h — the raid scheduler: after a random wait of up to 18000 frames a wave comes
// (heavy traffic, planes, satellites, a meteor shower, helicopters, UFOs, or UFOs then
// helicopters) and releases one unit every 30 .. 149 frames. It runs in every level state,
// the title screen included, but not in pause.
#pragma once

// The waves that bring one kind of unit, in the order of their numbers (`art`, and the kinds of
// unit a wave releases, `units`). W(wave, list, release, steps): a wave of `steps` steps, each
// calling list.release(). The lists are kinds of game/kinds.h.
#define VARNHOLD_WAVES(W)                                 \
    W(cars, cars, generate, 20) /* heavy traffic */       \
    W(planes, planes, generate, 10)                       \
    W(satellites, satellites, launchsatellite, 8)         \
    W(meteors, satellites, launchmeteor, 10)              \
    W(choppers, choppers, generate, 10)                   \
    W(ufos, ufos, generate, 6)

// A wave's kind (`art`): one of the list above, or UFOs then helicopters.
enum twavekind : int {
#define VARNHOLD_WAVE_KIND(wave, ...) wave_##wave,
    VARNHOLD_WAVES(VARNHOLD_WAVE_KIND)
#undef VARNHOLD_WAVE_KIND
    wave_ufosthenchoppers,            // 16 steps: UFOs while more than 8 are left, then helicopters
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

    // Units released so far, by the kinds of VARNHOLD_WAVES.
    // A tally of what the scheduler asked for (the lists may make nothing, e.g. without
    // pictures); not part of the world.
    int units[wave_ufosthenchoppers] = {};
    template <class V> void unlisted(V& v) { v("units", units); }

private:
    void release();
    void horn();
};
