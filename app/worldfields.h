// app/worldfields.h — every global object of the game by its name, in one list, for anything
// that walks the whole world: the JSON dump (app/dump.h), the soak benchmark. The kinds of
// object come from game/kinds.h; any other new global gets its line here the day it is created.
#pragma once

#include "framework/font.h"
#include "framework/globals.h"
#include "framework/input.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "platform/platform.h"
#include "game/kinds.h"

// The frame timer as the world shows it: its tick count.
struct ttimerview {
    int ticks = 0;
    template <class V> void fields(V& v) { v("ticks", ticks); }
};

// Calls v(name, object) for every global object, in the order of the dump.
template <class V>
void worldfields(V& v) {
    // ---- the global objects, one line each ----
    v("rnd", rnd);
    v("win", win);
    v("can", can);
    v("menu", menu);
    v("volume", volume);
    v("ev", ev);
    v("font", font);
    v("snd", snd);
    // ---- the kinds of object (game/kinds.h) ----
#define VARNHOLD_KIND_FIELD(name, type, start) v(#name, name);
    VARNHOLD_KINDS(VARNHOLD_KIND_FIELD)
#undef VARNHOLD_KIND_FIELD
    // ---- the application's own ----
    v("txtlevel", txtlevel);
    v("txtscore", txtscore);
    v("txtcity", txtcity);
    v("txtmissiles", txtmissiles);
    v("txtname", txtname);
    v("txtcombo", txtcombo);
    v("txtstart", txtstart);
    v("txtgetready", txtgetready);
    v("txtrearming", txtrearming);
    v("txtgameover", txtgameover);
    v("txtplace", txtplace);
    v("txtentername", txtentername);
    v("wstart", wstart);
    v("wgetready", wgetready);
    v("wrearming", wrearming);
    v("wgameover", wgameover);
    v("wentername", wentername);
    v("langcount", langcount);
    v("langtag", langtag);
    ttimerview ticks{timer ? TimerTicks(timer) : 0};
    v("timer", ticks);
    v("ms", ms);
    v("workarea", workarea);
    v("viewscalex", viewscalex);
    v("viewscaley", viewscaley);
    v("viewwidth", viewwidth);
    v("viewheight", viewheight);
    v("areawidth", areawidth);
    v("areaheight", areaheight);
    v("cityshift", cityshift);
    v("drawmatrix", drawmatrix);
}
