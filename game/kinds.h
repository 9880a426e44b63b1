// game/kinds.h — the kinds of object of the world, once, and the order in which a frame steps
// and draws them. Built from these lists: the world's members and its dump's list (tworld in
// game/world.h), the creation of the objects (createobjects() in app/world.cpp), the frame
// step (framestep() in app/applet.cpp) and the frame's drawing (tmainapplet::draw()). The raid's wave kinds are the
// raid's own list (VARNHOLD_WAVES in game/raid.h); the test helpers and the crowd benchmark
// walk that one.
//
// A new kind: its header below, its line in VARNHOLD_KINDS, its steps in VARNHOLD_RUNNING or
// VARNHOLD_ALWAYS and in VARNHOLD_DRAW (or a line in VARNHOLD_UNSTEPPED, for a kind stepped
// by another one). The test kinds.every_kind_is_stepped_or_drawn fails on a kind left out.
#pragma once

// ---- the headers of the kinds, in the order of VARNHOLD_KINDS ----
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

// X(name, type, start): the world's member `name` of type `type` (game/world.h). A new world
// assigns each a fresh `type()` and calls its start step, in this order (the steps draw random
// numbers): `none`, or the member function of that name. The world dump lists them in this order too.
#define VARNHOLD_KINDS(X)                       \
    X(day, tday, init)                          \
    X(rain, train, init)                        \
    X(clouds, tcloud, init)                     \
    X(texts, ttxt, none)                        \
    X(particles, tparticle, none)               \
    X(particles2, tparticle, none)              \
    X(fires, tfire, none)                       \
    X(rockets, trocket, none)                   \
    X(houses, thouse, generateall)              \
    X(guns, tgun, placefirst)                   \
    X(tnt, ttnt, none)                          \
    X(tnt2, ttnt, none)                         \
    X(cars, tcar, none)                         \
    X(planes, tplane, init)                     \
    X(satellites, tsatellite, init)             \
    X(ufos, tufo, init)                         \
    X(choppers, tchopper, init)                 \
    X(jumpers, tjumper, init)                   \
    X(raid, traid, init)                        \
    X(level, tlevel, none)

// The start steps the list names.
#define VARNHOLD_START_none(object)
#define VARNHOLD_START_init(object) object.init();
#define VARNHOLD_START_generateall(object) object.generateall();
#define VARNHOLD_START_placefirst(object) object.placefirst();

// The frame step, in order. S(object, member): object.member(); F(function): a step of the
// application's own (app/applet.cpp).
// Only while the game runs (not in pause):
#define VARNHOLD_RUNNING(S, F)                  \
    S(tnt, upd)                                 \
    S(houses, upd)                              \
    S(rockets, upd)                             \
    S(guns, upd)                                \
    S(level, upd)                               \
    S(tnt2, upd)                                \
    S(cars, upd)                                \
    S(planes, upd)                              \
    S(satellites, upd)                          \
    S(ufos, upd)                                \
    S(choppers, upd)                            \
    S(jumpers, upd)                             \
    S(texts, upd)                               \
    S(fires, upd)                               \
    S(raid, upd)
// Then always, also in pause:
#define VARNHOLD_ALWAYS(S, F)                   \
    S(day, upd)                                 \
    S(fires, upd2)                              \
    S(particles, upd)                           \
    S(particles2, upd)                          \
    S(rain, upd)                                \
    S(clouds, upd)                              \
    S(snd, upd)                                 \
    S(day, rainbowstep) /* what the rainbow's repaint would decide, decided by the frame */ \
    F(nameentrystep)

// The frame's drawing, back to front, between clearing the bars beside the playfield and
// flipping. The F steps are the application's: pictures of the scenery, the clip and the
// viewport, the heads-up lines and the cursor.
#define VARNHOLD_DRAW(S, F)                     \
    F(playfieldview)                            \
    S(day, draw)                                \
    S(clouds, draw)                             \
    F(drawtitle)                                \
    S(satellites, draw)                         \
    F(drawcity)                                 \
    S(day, drawrainbow)                         \
    F(drawflag)                                 \
    F(clipabovestreet)                          \
    S(houses, draw)                             \
    S(rockets, draw)                            \
    S(guns, draw)                               \
    F(drawstreet)                               \
    S(particles, draw)                          \
    S(cars, draw)                               \
    S(planes, draw)                             \
    S(jumpers, draw)                            \
    S(ufos, draw)                               \
    S(choppers, draw)                           \
    S(tnt2, draw)                               \
    S(tnt, draw)                                \
    S(particles2, draw)                         \
    S(rain, draw)                               \
    S(texts, draw)                              \
    S(day, drawlens)                            \
    F(interfaceview)                            \
    S(level, draw)                              \
    F(drawoverlays)

// Kinds that are in neither list on purpose; none today. K(name).
#define VARNHOLD_UNSTEPPED(K)
