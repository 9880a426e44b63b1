// platform/backend.h — what a back end does for the shared platform code (platform/*.cpp),
// which keeps the models (gadgets, timers, channels, the drawing state and batch) and asks the
// back end only to show them, time them and play them. A back end fills one table for each
// concern: the window and its loop, the timers, the drawing, the sound and the network.
//   platform/desktop/   Qt window and menus, the OpenGL canvas, SDL pads, Qt's network;
//   platform/web/       the page's canvas through WebGL 2, its keyboard, mouse and fetch;
//   platform/headless/  no window system: the drawing recorder, a stepped clock, a fixed work area;
//   platform/openal/    the sound of the desktop and of the page.
// The shared code never asks which back end is running; it calls the current tables.
// Nothing outside platform/ and tests/platform/ includes this.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct TChannel;
struct TGadget;
struct TPixmap;
struct TSound;
struct TTimer;
struct tbatch;
struct tbatchstate;
struct tplace;

namespace plat {

// Start and stop, the window system and the loop.
struct twindowops {
    virtual ~twindowops() = default;

    // `init` runs once, when PlatformInit chooses this back end.
    virtual void init(int argc, char** argv) = 0;
    virtual void shutdown() = 0;

    // The gadget models are kept by the shared code; these show them.
    virtual void createwindow(TGadget*) {}
    virtual void createcanvas(TGadget*) {}
    virtual void createmenu(TGadget*) {}
    virtual void updatemenu(TGadget*) {}           // a menu item's text, tick and enabled state
    virtual void updatemenubar(TGadget*) {}
    virtual void settext(TGadget*) {}              // a window's title
    // The gadget's x, y, w, h have changed by (dw, dh) in size.
    virtual void setshape(TGadget* g, int dw, int dh) = 0;
    virtual void readshape(TGadget*) {}            // refresh x, y, w, h from the window system
    virtual int clientwidth(TGadget* g) = 0;
    virtual int clientheight(TGadget* g) = 0;
    virtual void show(TGadget*) {}
    virtual void activate(TGadget*) {}
    virtual void redraw(TGadget*) {}               // the canvas's paintpending is already set
    virtual void setgraphics(TGadget*) {}
    virtual int graphicswidth() = 0;               // of the current canvas (there is one)
    virtual int graphicsheight() = 0;
    // A message for the player. A serious one has already been written to standard error.
    virtual void notify(const std::string& text, int serious) = 0;
    virtual void showmouse(bool) {}
    virtual void padpointer(bool) {}               // the pad aims: no pointer until the mouse moves
    virtual void textentry(bool) {}                // see TextEntry
    virtual void workarea(int& l, int& t, int& r, int& b) = 0;
    virtual void onsignal(int, std::function<void(int)>) {}

    // The loop: one wait for what the window system (or the stepped clock) has to deliver,
    // and the loop made of such waits (see RunLoop).
    virtual void waitsystem() = 0;
    virtual void run() = 0;

    // The display: its refresh rate (see DisplayRate), and painting at every frame it shows
    // (see PaintEveryFrame).
    virtual float displayrate() { return 60; }
    virtual void everyframe(bool) {}

    // Runs `fn` on the game's thread after the current event, never inside the caller.
    virtual void later(std::function<void()> fn) { pending.push_back(std::move(fn)); }
    // What `later` queued, run by the loop of a back end that has no queue of its own.
    std::vector<std::function<void()>> pending;
    void runpending() {
        std::vector<std::function<void()>> now;
        now.swap(pending);
        for (auto& f : now) f();
    }
};

// The clock and the timers: the shared code counts the ticks; the back end makes them fall due.
// `stepped` timers tick only by StepTimer. `beforestep` runs before every StepTimer tick.
struct ttimerops {
    virtual ~ttimerops() = default;
    virtual int millisecs() = 0;
    virtual void starttimer(TTimer* t, bool stepped) = 0;
    virtual void stoptimer(TTimer* t) = 0;
    virtual void beforestep() {}
    // See TimerFraction: how far the clock is from the running timer's last tick to its next.
    virtual float fraction(TTimer*) { return 1; }
};

// Drawing: the shared batcher hands its calls over; a back end without a GPU counts them.
struct tdrawops {
    virtual ~tdrawops() = default;
    virtual void record(int op, const TImage* img, int frame, float x, float y, float x2, float y2,
                        const std::string* text) {
        (void)op, (void)img, (void)frame, (void)x, (void)y, (void)x2, (void)y2, (void)text;
    }
    virtual bool ready() { return true; }          // there is graphics to upload into
    virtual void upload(tplace&, TImage*, int) {}  // the frame's pixels into its place
    virtual void clear(const tbatchstate&) {}
    virtual void present() {}
    virtual void grab(int x, int y, int w, int h, TPixmap& out) { (void)x, (void)y, (void)w, (void)h, (void)out; }
    virtual void stats(bool) {}
    virtual int presented() { return 0; }
    virtual void renderscale(float, float) {}      // see SetRenderScale
    // See DrawInterface: the pixels per canvas pixel it is drawn at, 0 when they are the
    // scene's (nothing changes).
    virtual double interface() { return 0; }
    virtual bool software() { return false; }      // see SoftwareRenderer
};

// Sound: a device that plays what the channels say. Without one (false from `audio`, or these
// defaults) channels keep their state and run on `silentrun`'s clock, or on AdvanceAudio's.
struct tsoundops {
    virtual ~tsoundops() = default;
    virtual bool audio() { return false; }
    virtual void loadsound(TSound&) {}             // may let go of the samples once held
    virtual void newvoice(TChannel&) {}
    virtual void cue(TChannel&) {}                 // the channel's sound, from its start, paused
    virtual void play(TChannel&) {}
    virtual void pause(TChannel&) {}
    virtual void stop(TChannel&) {}
    virtual void volume(TChannel&) {}
    virtual void pan(TChannel&) {}
    virtual void rate(TChannel&) {}
    virtual bool finished(TChannel&) { return false; }   // the device played a sound to its end
    virtual void silentrun() {}
    virtual void audioshutdown() {}
};

// The network and the player's other programs (see HttpRequest, OpenURL, StartSelf). Without
// them (these defaults) every request is answered with an error, on a later turn of the loop.
struct tnetops {
    virtual ~tnetops() = default;
    virtual void http(const thttprequest& r, thttpdone done);
    virtual bool openurl(const std::string& url) { return (void)url, false; }
    virtual bool startself(const std::vector<std::string>& args) { return (void)args, false; }
};

// A back end: its five tables, each filled (a back end without sound or network may point
// those at the silent defaults, `nosound` and `nonetwork`).
struct tbackendops {
    twindowops* window;
    ttimerops* timers;
    tdrawops* drawing;
    tsoundops* sound;
    tnetops* network;
};
extern tsoundops nosound;
extern tnetops nonetwork;

// The back end in use: headless until PlatformInit chooses another.
extern tbackendops ops;
tbackendops headless();
// A back end built into the program announces itself here before main (see its backend.cpp).
void offer(tbackend kind, tbackendops b);

}  // namespace plat
