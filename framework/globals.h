// framework/globals.h — the application's own globals: clocks, view scale, the shared matrix,
// the interface texts and the language bookkeeping.
#pragma once

#include <string>

#include "framework/screenwords.h"
#include "platform/platform.h"

extern thread_local int ms;            // millisecond clock, sampled after every flip
extern thread_local int workarea[4];   // desktop work area: left, top, right, bottom
extern thread_local TTimer* timer;     // the frame timer: 60 Hz, 480 Hz while F5 is held

extern thread_local float viewscalex, viewscaley;   // canvas pixels per playfield unit (equal)
extern thread_local float viewwidth, viewheight;    // the playfield in canvas pixels
extern thread_local float areawidth, areaheight;    // the canvas in playfield units
extern thread_local float cityshift;                // skyline offset, 0 .. -2, following the mouse
extern thread_local float drawmatrix[16];           // column-major scratch matrix (flag, beams, sky bodies)

// Interface texts, replaceable by the language file: txtlevel, txtscore, ...
// (framework/screenwords.h).
#define VARNHOLD_SCREENWORD_DECLARE(name, ...) extern thread_local std::string name;
VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_DECLARE)
#undef VARNHOLD_SCREENWORD_DECLARE
extern thread_local int wstart, wgetready, wrearming, wgameover, wentername;
extern thread_local int langcount;   // language sections found in the language file
extern thread_local int langtag;     // menu tag of the language in use (menu_language + 1, ...)

// Back to the start values (a fresh world).
void resetglobals();
