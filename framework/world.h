// framework/world.h — the framework's objects of the world: the random generator, the window,
// canvas and menus, input, font and sound, the clock, the view scale, the words of the screen.
// They are the base of the world (tworld in game/world.h); the framework's own code reaches
// them through `frameworld`, everything above through `world`, which points at the same world.
#pragma once

#include <string>

#include "framework/font.h"
#include "framework/input.h"
#include "framework/rnd.h"
#include "framework/screenwords.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "platform/platform.h"

struct tframeworld {
    trnd rnd{0};
    twin win;
    tcan can;
    tmenu menu;
    tvolume volume;
    tevs ev;
    pngfont font;
    tsnd snd;

    int ms = 0;                       // millisecond clock, sampled after every flip
    int workarea[4] = {0, 0, 0, 0};   // desktop work area: left, top, right, bottom
    TTimer* timer = nullptr;          // the frame timer: 60 Hz, 480 Hz while F5 is held

    float viewscalex = 1, viewscaley = 1;      // canvas pixels per playfield unit (equal)
    float viewwidth = 800, viewheight = 400;   // the playfield in canvas pixels
    float areawidth = 800, areaheight = 400;   // the canvas in playfield units
    float cityshift = 0;                       // skyline offset, 0 .. -2, following the mouse
    // column-major scratch matrix (flag, beams, sky bodies)
    float drawmatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // Interface texts, replaceable by the language file: txtlevel, txtscore, ...
    // (framework/screenwords.h).
#define VARNHOLD_SCREENWORD_MEMBER(name, line, english) std::string name = english;
    VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_MEMBER)
#undef VARNHOLD_SCREENWORD_MEMBER
    int wstart = 0, wgetready = 0, wrearming = 0, wgameover = 0, wentername = 0;   // their widths
    int langcount = 0;   // language sections found in the language file
    int langtag = 0;     // menu tag of the language in use (menu_language + 1, ...)
};

// The world of this thread (every thread that plays holds one of its own); set when a world
// is made (app/world.h's startup), null before.
extern thread_local tframeworld* frameworld;
