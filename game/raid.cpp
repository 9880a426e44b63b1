// game/raid.cpp — the raid scheduler.
#include "game/raid.h"

#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "traffic/car.h"
#include "traffic/chopper.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"

traid raid;

namespace {
// Units of each wave kind: heavy traffic, planes, satellites, meteors, helicopters, UFOs, and
// UFOs then helicopters. The last step of a wave releases one unit of the next kind.
constexpr int wavecount[traid::maxart] = {20, 10, 8, 10, 10, 6, 16};
}

void traid::init() {
    wait = rnd.upd(maxwait);
    art = wave_cars, prg = raid_waiting, count = 0;
    generate();
}

int traid::generate() {
    art = rnd.upd(maxart);
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
    wait = rnd.upd(120) + 30;
    if (count == 0) {
        // The wave is over; the next one is drawn now, and this step's unit is already its kind.
        prg = raid_waiting;
        wait = rnd.upd(maxwait);
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
    case wave_cars:
        cars.generate();
        if (rnd.upd(3) == 0) horn();
        break;
    case wave_planes: planes.generate(); break;
    case wave_satellites: satellites.launchsatellite(); break;
    case wave_meteors: satellites.launchmeteor(); break;
    case wave_choppers: choppers.generate(); break;
    case wave_ufos: ufos.generate(); break;
    }
    units[unit]++;
}

// A horn from the jam, left or right. The pan stays in the sample, so the next horn of that
// sample sounds from the same side until another wave's horn moves it.
void traid::horn() {
    int i = rnd.upd(2) + smp_horn1;   // horn1 or horn2
    int side = rnd.upd(2);
    snd.s[i].pan = (2 * side - 0.5f) * 0.3f;
    float rate = rnd.updf(0.2f) + 0.8f;
    snd.play(snd.s[i], rate, -1);
}
