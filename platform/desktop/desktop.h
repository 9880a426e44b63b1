// platform/desktop/desktop.h — what the desktop back end's Qt sources share: event delivery,
// key translation, windows, menus and timers (desktop.cpp) and the canvas (canvas.cpp); the
// back end's tables (backend.cpp) hand the shared code's requests to them.
#pragma once

// Qt's "emit" keyword would clash with the platform's own emit.
#ifndef QT_NO_KEYWORDS
#define QT_NO_KEYWORDS
#endif
#include <Qt>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

class QKeyEvent;
class QWidget;
struct TGadget;
struct TPixmap;
struct TTimer;
struct tbatch;
struct tbatchstate;
struct tplace;
struct TImage;

namespace dsk {
void init(int argc, char** argv);
// display.cpp: waits up to `patience` seconds for the X display and holds a connection to it
// (ends the program with status 1 when there is none); releasedisplay lets it go once the
// toolkit has its own.
void holddisplay(int patience);
void releasedisplay();
void createwindow(TGadget* g);
void createcanvas(TGadget* g);
void createmenu(TGadget* g);
void updatemenu(TGadget* item);           // text, tick and enabled state
void updatemenubar(TGadget* window);
void setshape(TGadget* g);
void settext(TGadget* g);
void readshape(TGadget* g);               // refresh x, y, w, h from the window system
int clientwidth(TGadget* g);
int clientheight(TGadget* g);
void show(TGadget* g);
void activate(TGadget* g);
void redraw(TGadget* g);
float displayrate();              // see DisplayRate
void everyframe(bool on);         // see PaintEveryFrame
float timerfraction(TTimer* t);   // see TimerFraction
void setgraphics(TGadget* canvas);
int graphicswidth();
int graphicsheight();
void notify(const std::string& text, int serious);
void showmouse(bool on);
void padpointer(bool hidden);             // the pad aims: no pointer over the window till the mouse moves
void workarea(int& l, int& t, int& r, int& b);
void waitsystem();
void starttimer(TTimer* t);
void stoptimer(TTimer* t);
bool ready();                             // a canvas's graphics exist and are current
void upload(const tplace& p, const TImage* img, int frame);   // the frame's pixels into its place
void submit(tbatch& b);
void clear(const tbatchstate& st);
void present();
void grab(int x, int y, int w, int h, TPixmap& out);
void stats(bool on);
int presented();
void renderscale(float pixels, float interface);   // see SetRenderScale
double interface();                                // see DrawInterface
bool software();                          // the canvas's renderer is a software rasteriser
// On signal `sig`, `fn(sig)` runs on the main thread when the window system's loop wakes.
void onsignal(int sig, std::function<void(int)> fn);
// network.cpp
void http(const thttprequest& r, thttpdone done);
bool openurl(const std::string& url);
bool startself(const std::vector<std::string>& args);

// Events from Qt reach the game's hook at once, one at a time. An event that arrives while
// the game is still handling another (a modal message box runs its own loop) waits in a queue
// and follows when that handling is done.
extern int busy;                          // > 0 while the game handles an event from here
extern bool repaintafter;                 // a paint came while busy: repaint when it is done
void post(int id, void* source, int data = 0, int mods = 0, int x = 0, int y = 0);
void dropqueued(void* source);            // events from `source` still waiting are dropped
void padevent(int id, int data, int x, int y);   // the pads' events, the window's way
// Keys (keys.cpp)
int modifiers(Qt::KeyboardModifiers m);
int vkey(const QKeyEvent* e);             // the Windows virtual-key number; 0 for keys without one
int qtkey(int vk);                        // and back, for menu accelerators; 0 for none
extern int framesshown;                   // frames presented on the screen

// The client area of a window gadget (null for others), and what the window does with a canvas
// just placed in it (its edges are kept on resizing, it takes the window's focus).
QWidget* clientof(TGadget* window);
void placedcanvas(TGadget* canvas);

// The canvas's widget in the window's client area (holds the canvas's own native window).
QWidget* canvasbox(TGadget* g);
void focuscanvas(TGadget* g);
void repaintcanvas();                     // the current canvas, after a message box
}  // namespace dsk
