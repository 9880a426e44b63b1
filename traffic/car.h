// traffic/car.h — cars and police cars on the street's two lanes.
// Cars enter at one edge and leave at the other: the far lane (y about 367) drives left, the near
// lane (y about 385) drives right. They brake for harmful explosions and fires ahead, queue behind
// slower cars and honk when stuck; police cars drive to any harmful explosion or fire and spray it.
#pragma once

#include <vector>

#include "framework/slots.h"
#include "platform/platform.h"

// What a `tcardata` is (`art`).
enum tcarkind : int { kind_car = 0, kind_police = 1 };
// A car's braking level (`prg`) in a frame: one for a hazard ahead, one more for a car ahead.
enum tcarbrake : int { car_cruising = 0, car_braking = 1, car_jammed = 2 };

struct tcardata {
    static constexpr int policechance = 12;   // one car in 12 is a police car...
    static constexpr int maxpolice = 2;       // ...while fewer than two are about

    int art = kind_car;               // a tcarkind
    float x = 0;                      // centre
    float y = 0;                      // top
    float speed = 0;                  // x decreases by speed every frame: positive drives left
    float maxspeed = 0;               // cruising speed, same sign convention
    int prg = car_cruising;           // at creation the car type; then a tcarbrake per frame
    TImage* img = nullptr;            // body, drawn tinted
    TImage* imgt = nullptr;           // windows, wheels and lights of the car type, untinted
    float imgw2 = 0;                  // half the car type's body width (integer half)
    int horn = 0;                     // 1 once it has honked during the current stop
    int col[3] = {};                  // body tint
    int chn = 0;                      // siren channel (a police car that plays one)
    int policedisti = 0;              // 1 while spraying this frame
    float distix = 0, distiy = 0;     // where the water jet goes

    void generate();
    void destroy();
    int collisiontnt();
    int collisionflash();
    void collisionparticle();
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("art", art); v("x", x); v("y", y); v("speed", speed); v("maxspeed", maxspeed);
        v("prg", prg); v("img", img); v("imgt", imgt); v("imgw2", imgw2); v("horn", horn);
        v("col", col); v("chn", chn); v("policedisti", policedisti); v("distix", distix);
        v("distiy", distiy);
    }

    // 1 when chn carries this car's siren: a second police car never plays one, and chn alone
    // cannot tell (channel 0 is a channel too). Not part of the dump.
    int siren = 0;

private:
    bool sirenplaying() const;        // our siren still on chn
};

struct tcar : slots<tcardata> {
    static constexpr int maxwait = 200, minwait = 50;   // a car every 50 .. 249 frames
    static constexpr int maxhornwait = 24;              // at most one horn starts in 24 frames

    int wait = 0;                     // frames until the next car
    int hornwait = 0;                 // frames until any car may honk again
    int countpolice = 0;              // police cars on the street

    void generate();                  // one more car (none when there are no car pictures)
    void sort();                      // by y, smallest first: the far lane is drawn first
    void upd();
    void draw() const;

    // While the cars move: the slots of the debris lying between the heights top and bottom,
    // in slot order; null outside the walk (then every particle is looked at).
    const std::vector<int>* streetdebris(float top, float bottom);

    template <class V> void fields(V& v) {
        v("d", d); v("wait", wait); v("hornwait", hornwait); v("countpolice", countpolice);
    }
    // The debris index: a cache of the particle list, not part of the world.
    template <class V> void unlisted(V& v) {
        slots::unlisted(v);
        v("moving", moving); v("debris", debris); v("debrischanges", debrischanges);
        v("debristop", debristop); v("debrisbottom", debrisbottom);
    }

private:
    // Most debris flies or lies far from the street, and every car would look at all of it:
    // the debris in the cars' band is listed once per walk and again whenever debris is added.
    bool moving = false;
    std::vector<int> debris;
    int debrischanges = -1;
    float debristop = 0, debrisbottom = 0;
};
