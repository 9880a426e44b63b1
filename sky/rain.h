// sky/rain.h — the weather: a slow cycle of clear sky, gathering clouds, a shower of rain or
// snow that builds up, holds and thins out; thunder and lightning in heavy rain; a wind
// between -1 and +1 that eases from one random target to the next.
#pragma once

#include <vector>

#include "framework/samples.h"
#include "platform/platform.h"

// One drop or snowflake.
struct traindata {
    int on = 0;                       // 1 while the slot is in use
    float x = 0, y = 0;
    float speedy = 0;                 // fall per tick
    float speedx = 0;                 // sideways per tick
    float rot = 0;                    // the wind when the drop was spawned: tilts the streak

    int generate();                   // at the top, or at the windward edge in strong wind
    int upd();                        // 1 once the drop has fallen below y = 400
    int draw();

    template <class V> void fields(V& v) {
        v("on", on); v("x", x); v("y", y); v("speedy", speedy); v("speedx", speedx);
        v("rot", rot);
    }
};

struct tflashnode {
    float x = 0, y = 0;

    template <class V> void fields(V& v) { v("x", x); v("y", y); }
};

// A lightning bolt, vertices from top to bottom.
struct tflash {
    std::vector<tflashnode> d;
    float x = 0;                      // x of the lower end, where it strikes

    int generate(float x1, float y1, float x2, float y2, int n, float jag);
    int draw();

    template <class V> void fields(V& v) { v("d", d); v("x", x); }
};

// The whole-sky glow of a strike as "Reduce flashing" draws it: faint (at most `peak`), and
// never rising or falling faster than from dark to that peak in `ease` milliseconds of real
// time, so a strike swells and fades gently and the sky changes its brightness at most about
// three times a second, at any game speed. It is drawing only: the weather is the same.
struct tcalmglow {
    static constexpr float peak = 0.25f;
    static constexpr int ease = 350;
    static constexpr int turn = 340;  // milliseconds at least from one change to the next
    float shown = 0;                  // glow alpha drawn last
    int at = -1;                      // MilliSecs() of the last step, -1 before the first
    int dir = 0;                      // 1 brightening, -1 dimming, 0 not yet moved
    int turnedat = 0;                 // MilliSecs() when dir last changed

    float step(float flash, int now); // the alpha to draw now for the flash's brightness
};

// The weather's phase (`train::prg`), in the order it runs.
enum trainstate : int {
    rain_clear = 0,
    rain_gathering = 1,               // clouds gather
    rain_building = 2,                // the shower builds up
    rain_steady = 3,
    rain_thinning = 4,
};
// What falls (`train::art`).
enum trainkind : int { fall_rain = 0, fall_snow = 1 };

struct train {
    static constexpr int waitclouds = 1000, minrain = 30, maxwaitrain = 6000,
                         minwaitrain = 2000, maxwait = 10000, minwait = 4000;
    static constexpr int maxdrops = 200;

    traindata d[maxdrops];            // drop slots, `on` marks those in use
    int wait = 0;                     // countdown of the current phase, in ticks
    int lightningpossibility = 130;   // drops from which thunderstorms can happen
    int prg = rain_clear;             // a trainstate
    int art = fall_rain;              // a trainkind
    int count = 0;                    // drops in use
    int count2 = 0;                   // target number of drops
    int countlast = 0;                // the shower's full number of drops
    float flash = 0;                  // brightness of the lightning flash, 0 .. 1.2
    tflash flashobj;                  // the latest bolt
    TChannel* chn = nullptr;          // our own looping channel, never shared with snd's pool
    int smp = smp_rain;               // sample on chn: smp_rain or smp_wind
    int maxwaitwind = 0;              // length of the current wind change, in ticks
    int waitwind = 0;                 // ticks into it
    float wind = 0;                   // -1 .. +1, positive blows to the right
    float wind2 = 0;                  // target of the current change
    float wind1 = 0;                  // wind at its start
    float winda = 0;                  // degrees of the easing curve per tick
    float windr = 0;                  // half the size of the change

    // Start-up step: draws the first clear phase and the wind, allocates the channel.
    int init();
    int generate();                   // switches on the first free slot
    int remove(int i);
    int upd();
    int draw();

    template <class V> void fields(V& v) {
        v("d", d); v("wait", wait); v("lightningpossibility", lightningpossibility);
        v("prg", prg); v("art", art); v("count", count); v("count2", count2);
        v("countlast", countlast); v("flash", flash); v("flashobj", flashobj); v("chn", chn);
        v("smp", smp); v("maxwaitwind", maxwaitwind); v("waitwind", waitwind); v("wind", wind);
        v("wind2", wind2); v("wind1", wind1); v("winda", winda); v("windr", windr);
    }
};
