// game/world.h — the world: every object of one game, as one value. The framework's objects
// are its base (framework/world.h); the kinds of object (game/kinds.h) and the few settings
// of the game's drawing and saving are its own. Whatever walks the whole world (the JSON dump
// of app/dump.h, the soak benchmark) does it through fields().
//
// Each thread that plays holds a world of its own, made by the start-up steps (app/world.h);
// `world` points at it. Two worlds live side by side on two threads.
#pragma once

#include "framework/world.h"
#include "game/kinds.h"

// A walk of the world that sees only what the game's rules decide (the digest's view,
// app/world.cpp) declares `static constexpr bool rulesonly = true`; fields() then leaves out
// what the player's machine decides: the window, the canvas, the volume, the clock and the view.
template <class V>
concept rulesonlywalk = requires { requires V::rulesonly; };

// The frame timer as the world shows it: its tick count.
struct ttimerview {
    int ticks = 0;
    template <class V> void fields(V& v) { v("ticks", ticks); }
};

struct tworld : tframeworld {
#define VARNHOLD_KIND_MEMBER(name, type, start) type name;
    VARNHOLD_KINDS(VARNHOLD_KIND_MEMBER)
#undef VARNHOLD_KIND_MEMBER

    // The share of their size particles are drawn at: 1, less while a software rasteriser
    // falls behind with its pixels already at their least (the application's `tdetail`).
    // Drawing only.
    float particlesize = 1;
    float turretmargin = 100;   // distance of the outer turrets from the edges
    // Saves the settings and the high scores at once (the application points it at its
    // savenow when it builds a world); the level calls it right after a high-score row is
    // made. Null: no saving.
    void (*savehook)() = nullptr;

    // The application's flags of this world's frames (app/applet.cpp).
    int redraw = 0;       // a repaint is due at the end of this event
    int refocus = 0;      // the canvas gets the keyboard focus back at the next draw
    int shotwanted = 0;   // F2 was pressed: a screenshot follows the next frame drawn
    int fasttimer = 0;    // 1 while F5 is held and the timer runs at 480 Hz

    // Calls v(name, object) for every object the world dump lists, in its order. A new
    // member that the dump should show gets its line here: through `machine` when the player's
    // machine decides it rather than the rules (the digest leaves it out).
    template <class V> void fields(V& v) {
        auto machine = [&v](const char* name, auto& value) {
            if constexpr (!rulesonlywalk<V>) v(name, value);
        };
        v("rnd", rnd);
        machine("win", win);
        machine("can", can);
        v("menu", menu);
        machine("volume", volume);
        v("ev", ev);
        v("font", font);
        v("snd", snd);
#define VARNHOLD_KIND_FIELD(name, type, start) v(#name, name);
        VARNHOLD_KINDS(VARNHOLD_KIND_FIELD)
#undef VARNHOLD_KIND_FIELD
#define VARNHOLD_SCREENWORD_FIELD(name, line, english) v(#name, name);
        VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_FIELD)
#undef VARNHOLD_SCREENWORD_FIELD
        v("wstart", wstart);
        v("wgetready", wgetready);
        v("wrearming", wrearming);
        v("wgameover", wgameover);
        v("wentername", wentername);
        v("langcount", langcount);
        v("langtag", langtag);
        ttimerview ticks{timer ? TimerTicks(timer) : 0};
        v("timer", ticks);
        machine("ms", ms);
        machine("workarea", workarea);
        machine("viewscalex", viewscalex);
        machine("viewscaley", viewscaley);
        machine("viewwidth", viewwidth);
        machine("viewheight", viewheight);
        machine("areawidth", areawidth);
        machine("areaheight", areaheight);
        v("cityshift", cityshift);
        machine("drawmatrix", drawmatrix);
    }
};

// The world of this thread; null until the start-up steps make one.
extern thread_local tworld* world;

// Makes a fresh world for this thread, with every object at its start value, and points
// `world` and `frameworld` at it; the thread's previous world is gone.
void makeworld();
