// sky/day.h — day and night: the sliding sky gradient, the turning stars, sun, moon and
// planets on their ellipses, the day and night sounds and the rainbow after a daytime shower.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "sky/lensflare.h"

// One body on its ellipse about (posx, posy).
struct tdaydata {
    float x = 0, y = 0;               // current position
    TImage* img = nullptr;            // drawn with its handle at the picture's centre
    float rot = 0;                    // degrees 0 .. 360; for the sun 0 is noon, 180 midnight
    float speedr = 0;                 // degrees per tick
    float rotd = 0;                   // constant angle added when placing the body
    int usesun = 0;                   // 1: drawn with its lit (left) side toward the sun
    float radx = 0, rady = 0;         // radii of the path
    float posx = 0, posy = 0;         // centre of the path
    std::unique_ptr<tlensflare> lens; // the sun's flare; null for the others

    int upd();
    int drawlens();
    int draw();

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("img", img); v("rot", rot); v("speedr", speedr);
        v("rotd", rotd); v("usesun", usesun); v("radx", radx); v("rady", rady);
        v("posx", posx); v("posy", posy); v("lens", lens);
    }
};

struct tday {
    tdaydata d[3];                    // 0 sun, 1 moon, 2 planets
    float skycos = 0;                 // sky position: 0 at noon, -1 at midnight
    float daypos = 0;                 // phase (degrees) after which the day sound plays, 0 .. 90
    float nightpos = 0;               // the same for the night sound, 180 .. 270
    int daysnd = 0;                   // 1 once this day half's sound has played
    int nightsnd = 0;                 // 1 once this night half's sound has played
    int rainbowon = 0;                // 1: the coming end of the rain may show a rainbow
    int rainbowplay = 0;              // 1 once this rainbow's sound has played

    // Start-up step: places the bodies and draws their angles and the sound thresholds.
    int init();
    int upd();
    int drawlens();                   // the last layer of the playfield
    int draw();                       // the first layer of a frame
    int drawrainbow();                // after the skyline; takes rainbowstep() first
    // Decides rainbowon while no rain is ending and chimes once when a rainbow shows: the last
    // step of every frame step, so that the world does not depend on how often it is drawn.
    int rainbowstep();

    template <class V> void fields(V& v) {
        v("d", d); v("skycos", skycos); v("daypos", daypos); v("nightpos", nightpos);
        v("daysnd", daysnd); v("nightsnd", nightsnd); v("rainbowon", rainbowon);
        v("rainbowplay", rainbowplay);
    }
};
