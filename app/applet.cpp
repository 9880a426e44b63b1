// app/applet.cpp — event dispatch, the frame step and the frame drawing.
#include "app/applet.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>

#include "app/dailygame.h"
#include "app/language.h"
#include "app/programinfo.h"
#include "app/renderscale.h"
#include "app/replay.h"
#include "app/scores.h"
#include "app/settings.h"
#include "app/smooth.h"
#include "app/world.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/input.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/kinds.h"
#include "game/world.h"

thread_local std::string dumponclose;
const bool appletready = ThreadState([] { (void)&dumponclose; });

namespace {

thread_local bool running = false;   // create() has loaded the settings: closing now keeps them
thread_local tdetail detail;         // the automatic render scale's share, of a level or the title
thread_local bool detailplayed = false;   // `detail` is a played level's
thread_local float drawnkeep = 1;    // the share the render scale was last set with
thread_local float drawnleast = 0;   // and the least pixels per unit
thread_local int detailsince = -1;   // when the detail's second began (ms), -1: not yet
thread_local int detailticks = 0;    // the frames stepped in it
thread_local int detailshown = 0;    // FramesPresented() when it began

// The scene at the detail's share; the interface (the level's lines, menus, panels) keeps
// enough pixels for its letters to stay readable however few a slow fight keeps.
void setrenderscale(float unit) {
    bool software = SoftwareRenderer() != 0;
    float pixels = float(world->can.w) * float(world->can.h);
    float scene = renderlimit(renderoption, software, unit, pixels, drawnkeep, drawnleast);
    SetRenderScale(scene, interfacelimit(scene, renderlimit(renderoption, software, unit, pixels), unit));
}

// A played level's detail and the title's follow the frames each its own way, each starting
// with all of it, from the first frame of its scene.
void followscene() {
    bool played = world->level.prg != level_title;
    if (played == detailplayed) return;
    detail = played ? tdetail{.best = detail.best} : titledetail(detail.best);
    detailplayed = played;
    detailsince = -1;   // a second that began in the other scene says nothing of this one
}

// Once a second on a software rasteriser with the automatic choice: the detail follows the
// frames shown. The next frame drawn takes it up.
void adaptdetail() {
    if (renderoption >= 0) return;
    followscene();
    int now = MilliSecs(), gap = now - detailsince;
    detailticks++;
    if (detailsince >= 0 && gap >= 0 && gap < 1000) return;
    int shown = FramesPresented();
    // A second that took more than two (a hidden page, a stopped process) says nothing, nor one
    // whose clock went back (a new world on this thread).
    if (detailsince >= 0 && gap >= 0 && gap <= 2000 && SoftwareRenderer()) {
        // the frames of a whole second, scaled from the time it took (a timer late by a tick)
        double per = 1000.0 / gap;
        detail.second(static_cast<int>(std::lround(detailticks * per)),
                      static_cast<int>(std::lround((shown - detailshown) * per)));
    }
    detailsince = now;
    detailticks = 0;
    detailshown = shown;
}

}  // namespace

void installsignals() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        OnSignal(sig, [](int caught) {
            // Before the settings are loaded there is nothing of this run to keep, and writing
            // the defaults would lose the player's high scores.
            if (running) closegame(128 + caught);
            EndProcess(128 + caught);
        });
    // SIGUSR1 writes the world to the --dump file now, whole or not at all, so that a test can
    // see the state of a running game.
    OnSignal(SIGUSR1, [](int) {
        if (!running || dumponclose.empty()) return;
        std::string problem = savedump(dumponclose);
        if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    });
    // SIGUSR2 keeps the settings and the replay being recorded now (the browser's "Save replay").
    OnSignal(SIGUSR2, [](int) {
        if (running) savenow();
    });
}

void* tapplet::eventhook(int, void* data, void* context) {
    static_cast<tapplet*>(context)->onevent(static_cast<TEvent*>(data));
    return data;
}

int tapplet::run() {
    AddHook(HOOK_EMITEVENT, eventhook, this, 0);
    return 0;
}

tmainapplet& tmainapplet::create(bool settings) {
    SetBlend(BLEND_ALPHA);
    smoothreset();
    smoothchoice = 0;
    if (settings) loadsettings();
    if (world->langtag == 0) world->langtag = menu_language + 1;
    loadlanguage(world->langtag);
    world->snd.setvol(world->volume.vol);
    world->guns.generateall();
    world->level.maxrocket = world->level.level / 4 + 2;
    // a new world on this thread starts with all of the detail, on the title
    detail = titledetail(0);
    detailplayed = false;
    detailsince = -1;
    drawnkeep = 1;
    drawnleast = detail.least;
    rescale();
    world->win.show();
    world->timer = frametimer(60);
    run();
    followsmooth();
    running = true;
    return *this;
}

float viewscale(int w, int h) {
    if (w <= 0 || h <= 0) return 0;
    float sx = w * 0.00125f, sy = h / 400.0f;
    return sx <= sy ? sx : sy;
}

void rescale() {
    world->can.reset();
    // A canvas without area (a minimised window) has no scale: keep the last one rather
    // than divide by zero.
    float s = viewscale(world->can.w, world->can.h);
    if (s <= 0) return;
    float sx = s, sy = s;
    world->viewscalex = sx;
    world->viewscaley = sy;
    ModelviewIdentity();
    ModelviewScale(sx, sy);
    SetLineWidth(sx * sy);
    world->viewwidth = 800 * sx;
    world->viewheight = 400 * sy;
    world->areawidth = world->can.w / sx;
    world->areaheight = world->can.h / sy;
    setrenderscale(s);
}

namespace {

// The name entry takes the typed keys while the game runs.
void nameentrystep() { TextEntry(world->level.prg == level_nameentry && world->level.pause == pause_off); }

}  // namespace

#define VARNHOLD_STEP(object, member) world->object.member();
#define VARNHOLD_OWNSTEP(function) function();

// The steps of game/kinds.h, in its order.
void framestep() {
    RedrawGadget(world->can.g);
    if (smoothing()) smoothremember();
    if (world->level.pause == pause_off) {
        VARNHOLD_RUNNING(VARNHOLD_STEP, VARNHOLD_OWNSTEP)
    }
    VARNHOLD_ALWAYS(VARNHOLD_STEP, VARNHOLD_OWNSTEP)
}

std::string keepgame() {
    world->level.abandonentry();
    dailyclosing();
    std::string problems = savesettings();   // and the replay being recorded; a playback writes neither
    if (!dumponclose.empty()) {
        std::string problem = savedump(dumponclose);
        if (!problem.empty()) problems += (problems.empty() ? "" : "\n") + problem;
    }
    return problems;
}

void closegame(int status) {
    std::string problems = keepgame();
    if (!problems.empty() && status == 0) {
        // The player closed the game: he is there to read it before the window goes (the box
        // writes the lines to standard error too).
        Notify(problems, 1);
        status = 1;
    } else if (!problems.empty()) {
        // A signal (a logout, kill): nobody may be there to close a box.
        std::fprintf(stderr, "%s\n", problems.c_str());
    }
    EndProcess(replayexitstatus(status));
}

std::string screenshot() {
    int n = 0;
    auto name = [&] { return shotdir + "screenshot" + std::to_string(n) + ".png"; };
    while (FileType(name()) != 0) n++;
    int w = int(world->viewwidth), h = int(world->viewheight);
    if (w <= 0 || h <= 0) return "";
    // One picture per size, reused by later screenshots (images live for the whole run).
    static thread_local TImage* shot = nullptr;
    if (!shot || shot->width != w || shot->height != h) shot = CreateImage(w, h, 1, IMG_FILTERED | IMG_DYNAMIC);
    grabscreen(shot, w, h);
    // Encoded whole before it is saved: a full disk leaves no half picture behind.
    std::string png = EncodePNG(shot->pixmaps[0], 9);
    std::string why = png.empty() ? "the picture could not be encoded" : SaveFile(name(), png);
    if (!why.empty()) {
        std::fprintf(stderr, "Can't save %s: %s (no screenshot was written)\n", name().c_str(), why.c_str());
        return "";
    }
    return name();
}

namespace {

// The application's own steps of the drawing (VARNHOLD_DRAW in game/kinds.h).
void playfieldview() { SetViewport(0, 0, int(world->viewwidth), int(world->viewheight)); }
// From here on the interface, in canvas coordinates, over the scene.
void interfaceview() {
    DrawInterface();
    SetViewport(0, 0, world->can.w, world->can.h);
}
// The title hangs in the sky, above the skyline.
void drawtitle() { DrawImage(img_title, 400, 8); }
void drawcity() { DrawImage(img_city, world->cityshift, 0); }

// The flag hangs from the pole on the skyline at (704, 165) and stretches with the wind.
void drawflag() {
    world->drawmatrix[0] = world->rain.wind;
    world->drawmatrix[1] = 0.5f - 0.5f * std::abs(world->drawmatrix[0]);
    world->drawmatrix[4] = 0;
    world->drawmatrix[5] = 1;
    world->drawmatrix[12] = (704 + world->cityshift) * world->viewscalex;
    world->drawmatrix[13] = 165 * world->viewscaley;
    ModelviewPush();
    ModelviewLoad(world->drawmatrix);
    SetScale(world->viewscalex, world->viewscaley);
    SetImageHandle(img_flag, 0, 0);
    DrawImage(img_flag, 0, 0);
    SetScale(1, 1);
    ModelviewPop();
}

// Houses, missiles and turrets only above the street line (y = 370).
void clipabovestreet() { SetViewport(0, 0, int(world->viewwidth), int(370 * world->viewscaley + 1)); }
void drawstreet() {
    playfieldview();
    SetScale(1, 1);
    DrawImage(img_street, 0, 370);
}

// Over everything: the replay's and the scores' panels, the cursor.
void drawoverlays() {
    drawreplay();
    drawscores();
    if (world->ev.enter) DrawImage(img_aim, float(world->ev.x), float(world->ev.y));
}

}  // namespace

int tmainapplet::draw() {
    // The detail's share is taken up before a frame is drawn (a browser clears a canvas whose
    // size changes), and F2's frame has all of it, however crowded the fight.
    followscene();
    float want = world->shotwanted ? 1 : detail.keep, unit = viewscale(world->can.w, world->can.h);
    world->particlesize = world->shotwanted ? 1 : detail.particles;
    if ((want != drawnkeep || detail.least != drawnleast) && unit > 0) {
        drawnkeep = want;
        drawnleast = detail.least;
        setrenderscale(unit);
    }
    SetViewport(0, 0, world->can.w, world->can.h);
    // the bars right of and below the playfield; the canvas itself is never cleared
    SetColor(0, 0, 0);
    DrawRect(800, 0, world->areawidth - 800, world->areaheight);
    DrawRect(0, 399, 800, world->areaheight - 399);
    SetColor(255, 255, 255);
    // Between the last two steps by the time that has passed, while smoothing; F2's frame is the
    // step's own.
    if (smoothing() && !world->shotwanted) smoothplace(TimerFraction(world->timer));
    VARNHOLD_DRAW(VARNHOLD_STEP, VARNHOLD_OWNSTEP)
    smoothrestore();
    Flip(-1);
    // F2 is taken from the frame just shown: between frames the window's buffer may be new
    // (a resize, an expose) and still black.
    if (world->shotwanted) {
        world->shotwanted = 0;
        screenshot();
    }
    return 0;
}

namespace {

// Any canvas event but a repaint: the input state first, then whoever reacts to it.
void inputstep() {
    // A replay's cursor is in the pixels of the canvas it was recorded on, whatever this one is.
    float s = replayinputscale();
    if (s > 0) world->ev.upds(s, s);
    else world->ev.upds(world->viewscalex, world->viewscaley);
    world->cityshift = std::max(-2.0f, (400 - world->ev.x) / 400.0f - 1);
    if (world->ev.mz != 0) {
        world->volume.set(world->ev.mz);
        world->snd.setvol(world->volume.vol);
    }
    if (world->level.pause == pause_off) world->guns.updev();
    world->level.updev();
    if (world->ev.keyup == key_f5) {   // F5 released: back to 60 frames a second
        StopTimer(world->timer);
        world->timer = frametimer(60);
        world->fasttimer = 0;
    }
    switch (world->ev.key) {
    case key_escape: EmitEvent(CreateEvent(EVENT_WINDOWCLOSE, world->win.g)); break;
    case key_f2:
        if (!replaying()) world->shotwanted = 1;   // a playback leaves no files behind
        break;
    case key_f5:   // F5 held: eight times as many frames
        // A held key repeats its key-down; replacing the fast timer at every repeat would
        // restart its tick count again and again, so only the first press switches.
        if (!world->fasttimer) {
            StopTimer(world->timer);
            world->timer = frametimer(480);
            world->fasttimer = 1;
        }
        break;
    }
}

void menucommand(int tag) {
    switch (tag) {
    case menu_start:
        world->level.pause = pause_off;
        world->level.newlevel();
        break;
    case menu_quit: EmitEvent(CreateEvent(EVENT_WINDOWCLOSE, world->win.g)); break;
    case menu_hiscore: world->level.leavelevel(); break;
    case menu_twobuttons: world->menu.set(menu_onebutton, 0); break;
    case menu_resetwindow:
        world->can.resize(800, 400, world->win);
        world->win.inside();
        world->win.reset();
        world->can.reset();
        rescale();
        break;
    case menu_pause: world->level.setpause(1 - world->level.pause); break;
    case menu_help:
        world->level.setpause(1);
        if (!replaying()) Notify(programinfo(), 0);   // a recorded Help box only pauses the playback
        break;
    case menu_onebutton: world->menu.set(menu_twobuttons, 0); break;
    case menu_smoothmotion: choosesmooth(); break;
    }
}

}  // namespace

int tmainapplet::onevent(TEvent* event) {
    if (!event) return 0;
    SetCurrentEvent(event);
    int r = world->win.upd();
    if (r == EVENT_WINDOWSIZE) rescale();
    if (r == EVENT_WINDOWCLOSE) closegame(0);
    int tag = world->menu.upd();
    if (world->volume.upd(tag)) world->snd.setvol(world->volume.vol);
    if (tag > menu_language && tag <= menu_language + world->langcount) loadlanguage(tag);
    menucommand(tag);
    followsmooth();
    if (event->id == EVENT_APPSUSPEND) world->level.setpause(1);
    if (event->id == EVENT_APPRESUME) world->refocus = 1;
    if (event->source == world->timer && world->timer) {
        if (event->id == EVENT_TIMERTICK) {
            framestep();
            retrysettings();
            adaptdetail();
        }
    } else if (event->source == world->can.g && world->can.g) {
        if (event->id == EVENT_GADGETPAINT) world->redraw = 1;
        else inputstep();
    }
    if (world->redraw) {
        world->redraw = 0;
        if (world->refocus) {
            world->refocus = 0;
            ActivateGadget(world->can.g);
        }
        draw();
    }
    return 0;
}
