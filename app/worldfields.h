// app/worldfields.h — every global object of the game by its name, in one list, for anything
// that walks the whole world: the JSON dump (app/dump.h), the soak benchmark. A new global
// object gets its line here the day it is created.
#pragma once

#include "framework/font.h"
#include "framework/globals.h"
#include "framework/input.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "platform/platform.h"
// ---- headers of the game's objects ----
#include "sky/day.h"
#include "sky/rain.h"
#include "sky/cloud.h"
#include "combat/txt.h"
#include "combat/particle.h"
#include "combat/fire.h"
#include "combat/rocket.h"
#include "combat/house.h"
#include "combat/gun.h"
#include "combat/tnt.h"
#include "traffic/car.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "game/raid.h"
#include "game/level.h"

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
    v("day", day);
    v("rain", rain);
    v("clouds", clouds);
    v("texts", texts);
    v("particles", particles);
    v("particles2", particles2);
    v("fires", fires);
    v("rockets", rockets);
    v("houses", houses);
    v("guns", guns);
    v("tnt", tnt);
    v("tnt2", tnt2);
    v("cars", cars);
    v("planes", planes);
    v("satellites", satellites);
    v("ufos", ufos);
    v("choppers", choppers);
    v("jumpers", jumpers);
    v("raid", raid);
    v("level", level);
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
