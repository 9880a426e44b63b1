// traffic/satellite.h — satellites rising from behind the skyline and meteors falling from the
// top edge, in one list. Both hide behind the skyline's opaque pixels: while hidden they take
// part in no collision of their own, so nothing can hit them there either. They are not
// silent while hidden: a meteor's rumble starts at its launch, a satellite's beep when it is
// first seen. Meteors take three hits before they break.
#pragma once

#include "framework/slots.h"
#include "platform/platform.h"

// What a `tsatellitedata` is (`art`).
enum tsatellitekind : int { kind_satellite = 0, kind_meteor = 1 };

struct tsatellitedata {
    float x = 0, y = 0;               // centre
    float speedx = 0, speedy = 0;     // both added every frame
    int art = kind_satellite;         // a tsatellitekind; meteors sort first
    TImage* img = nullptr;            // the picture; a destroyed satellite's debris picture
    TImage* imgt = nullptr;           // unused second picture
    float imgw2 = 0, imgh2 = 0;       // integer halves of img's size
    float imgsq = 0;                  // collision radius: the smaller half
    float rot = 0;                    // degrees
    float speedr = 0;                 // degrees per frame
    int seen = 0;                     // 1 in a frame in which it shows against the sky
    int seen1st = 0;                  // 1 once it has been seen
    int hits = 3;                     // hits a meteor can still take
    int chn = 0;                      // channel of its sound
    int superplayed = 0;              // 1 once the hero has punched it

    void generate(TImage* img, float y0, float speed, float spin, int art);
    void destroy();
    int collisiontnt();
    int collisionrocket();
    int collisionplane();
    int collisionufo();
    int collisionchopper();
    int collisionjumper();
    int collisionsatellite();
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("speedx", speedx); v("speedy", speedy); v("art", art);
        v("img", img); v("imgt", imgt); v("imgw2", imgw2); v("imgh2", imgh2); v("imgsq", imgsq);
        v("rot", rot); v("speedr", speedr); v("seen", seen); v("seen1st", seen1st);
        v("hits", hits); v("chn", chn); v("superplayed", superplayed);
    }
};

struct tsatellite : slots<tsatellitedata> {
    static constexpr int maxwait = 4000, minwait = 300;   // a launch every 300 .. 4299 frames

    int wait = 0;                     // frames until the next launch

    void init();                      // the first wait (one draw)
    void generate(TImage* img, float y0, float speed, float spin, int art);
    void launchsatellite();           // generate(img_satellite, 400, 0.5, spin, 0)
    void launchmeteor();              // a random meteor picture (nothing without meteor pictures)
    void sort();                      // meteors first: updated and drawn before the satellites
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("wait", wait); }
};
