// app/applet.cpp — event dispatch, the frame step and the frame drawing.
#include "app/applet.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/assets.h"
#include "app/globals.h"
#include "app/programinfo.h"
#include "app/settings.h"
#include "app/language.h"
#include "app/world.h"
// ---- headers of the game's objects ----
#include "combat/fire.h"
#include "combat/gun.h"
#include "combat/house.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "combat/txt.h"
#include "game/level.h"

int redraw = 0;
int refocus = 0;
std::string dumponclose;

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
    if (settings) loadsettings();
    if (langtag == 0) langtag = 101;
    loadlanguage(langtag);
    // snd.setvol(volume.vol) (framework/sound.h)
    guns.generateall();
    // level.maxrocket = level.level / 4 + 2 (game/level.h)
    rescale();
    // win.show() (framework/window.h)
    timer = CreateTimer(60);
    run();
    return *this;
}

void rescale() {
    // can.reset() (framework/window.h); cw, ch are the canvas size
    float cw = 800, ch = 400;
    float sx = cw * 0.00125f, sy = ch / 400;
    if (sx <= sy) sy = sx;
    else sx = sy;
    viewscalex = viewscaley = sx;
    ModelviewIdentity();
    ModelviewScale(sx, sy);
    SetLineWidth(sx * sy);
    viewwidth = 800 * sx;
    viewheight = 400 * sy;
    areawidth = cw / sx;
    areaheight = ch / sy;
}

void framestep() {
    // RedrawGadget(can.g) (framework/window.h)
    // ---- only while the game runs (level.pause == 0), in this order ----
    if (level.pause == 0) {
        tnt.upd();
        houses.upd();
        rockets.upd();
        guns.upd();
        // level.upd();
        tnt2.upd();
        // cars.upd();  planes.upd();  satellites.upd();  ufos.upd();  choppers.upd();
        // jumpers.upd();
        texts.upd();
        fires.upd();
        // raid.upd();
    }
    // ---- always, also while paused ----
    // day.upd();
    fires.upd2();
    particles.upd();
    particles2.upd();
    // rain.upd();  clouds.upd();  snd.upd();
}

void closegame() {
    savesettings();
    if (!dumponclose.empty()) {
        if (FILE* f = std::fopen(dumponclose.c_str(), "wb")) {
            std::string s = dumpworld();
            std::fwrite(s.data(), 1, s.size(), f);
            std::fclose(f);
        }
    }
    EndProcess(0);
}

std::string screenshot() {
    int n = 0;
    while (FileType(programdir + "screenshot" + std::to_string(n) + ".png") != 0) n++;
    std::string name = programdir + "screenshot" + std::to_string(n) + ".png";
    // grab the playfield into an image of viewwidth x viewheight (framework/image.h)
    return name;
}

int tmainapplet::draw() {
    // the frame, in drawing order (see onevent for the dispatch)
    // ---- above the street ----
    houses.draw();
    rockets.draw();
    guns.draw();
    // ---- the street, then ----
    particles.draw();
    // cars.draw();  planes.draw();  jumpers.draw();  ufos.draw();  choppers.draw();
    tnt2.draw();
    tnt.draw();
    particles2.draw();
    // rain.draw();
    texts.draw();
    // day.drawlens();
    Flip(-1);
    return 0;
}

int tmainapplet::onevent(TEvent* event) {
    if (!event) return 0;
    SetCurrentEvent(event);
    if (event->id == EVENT_WINDOWCLOSE) closegame();
    if (event->source == timer && event->id == EVENT_TIMERTICK) framestep();
    if (event->id == EVENT_GADGETPAINT) redraw = 1;
    if (redraw) {
        redraw = 0;
        draw();
    }
    return 0;
}
