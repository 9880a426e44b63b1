// framework/globals.cpp — the application's own globals, with their start values.
#include "framework/globals.h"

#include "framework/font.h"
#include "framework/input.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "framework/window.h"

// The framework's objects of the world, one each per thread.
thread_local twin win;
thread_local tcan can;
thread_local tmenu menu;
thread_local tvolume volume;
thread_local tevs ev;
thread_local tsnd snd;
thread_local pngfont font;
thread_local trnd rnd{0};

thread_local int ms = 0;
thread_local int workarea[4] = {0, 0, 0, 0};
thread_local TTimer* timer = nullptr;

thread_local float viewscalex = 1, viewscaley = 1;
thread_local float viewwidth = 800, viewheight = 400;
thread_local float areawidth = 800, areaheight = 400;
thread_local float cityshift = 0;
thread_local float drawmatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

#define VARNHOLD_SCREENWORD_DEFINE(name, line, english) thread_local std::string name = english;
VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_DEFINE)
#undef VARNHOLD_SCREENWORD_DEFINE
thread_local int wstart = 0, wgetready = 0, wrearming = 0, wgameover = 0, wentername = 0;
thread_local int langcount = 0;
thread_local int langtag = 0;
const bool globalsready = ThreadState([] { (void)&win; });

void resetglobals() {
    ms = 0;
    timer = nullptr;
    viewscalex = viewscaley = 1;
    viewwidth = 800, viewheight = 400;
    areawidth = 800, areaheight = 400;
    cityshift = 0;
    for (int i = 0; i < 16; i++) drawmatrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
#define VARNHOLD_SCREENWORD_RESET(name, line, english) name = english;
    VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_RESET)
#undef VARNHOLD_SCREENWORD_RESET
    wstart = wgetready = wrearming = wgameover = wentername = 0;
    langcount = 0;
    langtag = 0;
}
