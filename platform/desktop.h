// platform/desktop.h — what the desktop back end's Qt sources share: event delivery and key
// translation (platform/desktop.cpp) and the canvas (platform/canvas.cpp).
#pragma once

// Qt's "emit" keyword would clash with the platform's own emit.
#ifndef QT_NO_KEYWORDS
#define QT_NO_KEYWORDS
#endif
#include <Qt>

class QKeyEvent;
class QWidget;
struct TGadget;

namespace dsk {
// Events from Qt reach the game's hook at once, one at a time. An event that arrives while
// the game is still handling another (a modal message box runs its own loop) waits in a queue
// and follows when that handling is done.
extern int busy;                          // > 0 while the game handles an event from here
extern bool repaintafter;                 // a paint came while busy: repaint when it is done
void post(int id, void* source, int data = 0, int mods = 0, int x = 0, int y = 0);
int modifiers(Qt::KeyboardModifiers m);
int vkey(const QKeyEvent* e);             // the Windows virtual-key number; 0 for keys without one
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
