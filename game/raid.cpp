// game/raid.cpp — the raid scheduler.
#include "game/raid.h"

#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/kinds.h"
#include "game/world.h"

namespace {
// Steps of each wave kind; the last step of a wave releases one unit of the next kind.
constexpr int wavecount[traid::maxart] = {
#define VARNHOLD_WAVE_STEPS(wave, list, release, steps) steps,
    VARNHOLD_WAVES(VARNHOLD_WAVE_STEPS)
#undef VARNHOLD_WAVE_STEPS
    16,   // UFOs then helicopters
};
}

void traid::init() {
    wait = world->rnd.upd(maxwait);
    art = wave_cars, prg = raid_waiting, count = 0;
    generate();
}

int traid::generate() {
    art = world->rnd.upd(maxart);
    count = wavecount[art];
    return 0;
}

int traid::upd() {
    if (prg == raid_waiting) {
        if (wait > 0) wait--;
        else prg = raid_wave;   // the wave starts; its first unit comes next frame
        return 0;
    }
    if (wait > 0) {
        wait--;
        return 0;
    }
    count--;
    wait = world->rnd.upd(120) + 30;
    if (count == 0) {
        // The wave is over; the next one is drawn now, and this step's unit is already its kind.
        prg = raid_waiting;
        wait = world->rnd.upd(maxwait);
        generate();
    }
    release();
    return 0;
}

// One unit of the current kind, from the list it belongs to.
void traid::release() {
    int unit = art;
    // the UFOs come first, then the helicopters
    if (art == wave_ufosthenchoppers) unit = count > 8 ? wave_ufos : wave_choppers;
    switch (unit) {
#define VARNHOLD_RELEASE(wave, list, release, steps) \
    case wave_##wave: world->list.release(); break;
        VARNHOLD_WAVES(VARNHOLD_RELEASE)
#undef VARNHOLD_RELEASE
    }
    if (unit == wave_cars && world->rnd.upd(3) == 0) horn();   // after the car: its horn's draws come second
    units[unit]++;
}

// A horn from the jam, left or right. The pan stays in the sample, so the next horn of that
// sample sounds from the same side until another wave's horn moves it.
void traid::horn() {
    int i = world->rnd.upd(2) + smp_horn1;   // horn1 or horn2
    int side = world->rnd.upd(2);
    world->snd.s[i].pan = (2 * side - 0.5f) * 0.3f;
    float rate = world->rnd.updf(0.2f) + 0.8f;
    world->snd.play(world->snd.s[i], rate, -1);
}
