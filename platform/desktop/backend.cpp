// The desktop back end's tables: the shared platform code's requests, handed to the Qt window
// and canvas (desktop.cpp, canvas.cpp), OpenAL (platform/openal/) and the SDL pads (gamepad.cpp).
// Linking this folder into a program offers the desktop to PlatformInit.
#include "platform/desktop/desktop.h"

#include "platform/atlas.h"
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/internal.h"
#include "platform/openal/openal.h"

namespace {

struct twindow final : plat::twindowops {
    void init(int argc, char** argv) override {
        dsk::init(argc, argv);
        plat::batch.reset();
        plat::batch.submit = dsk::submit;
        pad::start();
    }
    void shutdown() override {}

    void createwindow(TGadget* g) override { dsk::createwindow(g); }
    void createcanvas(TGadget* g) override { dsk::createcanvas(g); }
    void createmenu(TGadget* g) override { dsk::createmenu(g); }
    void updatemenu(TGadget* g) override { dsk::updatemenu(g); }
    void updatemenubar(TGadget* g) override { dsk::updatemenubar(g); }
    void settext(TGadget* g) override { dsk::settext(g); }
    void setshape(TGadget* g, int, int) override { dsk::setshape(g); }
    void readshape(TGadget* g) override { dsk::readshape(g); }
    int clientwidth(TGadget* g) override { return dsk::clientwidth(g); }
    int clientheight(TGadget* g) override { return dsk::clientheight(g); }
    void show(TGadget* g) override { dsk::show(g); }
    void activate(TGadget* g) override { dsk::activate(g); }
    void redraw(TGadget* g) override { dsk::redraw(g); }
    float displayrate() override { return dsk::displayrate(); }
    void everyframe(bool on) override { dsk::everyframe(on); }
    void setgraphics(TGadget* g) override { dsk::setgraphics(g); }
    int graphicswidth() override { return dsk::graphicswidth(); }
    int graphicsheight() override { return dsk::graphicsheight(); }
    void notify(const std::string& text, int serious) override { dsk::notify(text, serious); }
    void showmouse(bool on) override { dsk::showmouse(on); }
    void padpointer(bool hidden) override { dsk::padpointer(hidden); }
    void workarea(int& l, int& t, int& r, int& b) override { dsk::workarea(l, t, r, b); }
    void onsignal(int sig, std::function<void(int)> fn) override { dsk::onsignal(sig, std::move(fn)); }

    void waitsystem() override { dsk::waitsystem(); }
    [[noreturn]] void run() override {
        for (;;) dsk::waitsystem();
    }
};

struct ttimers final : plat::ttimerops {
    // Milliseconds since the machine started, like the system tick count: it differs from run
    // to run, so it can seed the platform's generator.
    int millisecs() override { return static_cast<int>(static_cast<uint32_t>(monotonicns() / 1000000)); }
    void starttimer(TTimer* t, bool stepped) override {
        if (!stepped) dsk::starttimer(t);
    }
    void stoptimer(TTimer* t) override { dsk::stoptimer(t); }
    float fraction(TTimer* t) override { return dsk::timerfraction(t); }
};

struct tdrawing final : plat::tdrawops {
    bool ready() override { return dsk::ready(); }
    void upload(tplace& p, TImage* img, int frame) override {
        dsk::upload(p, img, frame);
        atlas::survey(p, img, frame);
    }
    void clear(const tbatchstate& st) override { dsk::clear(st); }
    void present() override { dsk::present(); }
    void grab(int x, int y, int w, int h, TPixmap& out) override { dsk::grab(x, y, w, h, out); }
    void stats(bool on) override { dsk::stats(on); }
    int presented() override { return dsk::presented(); }
    void renderscale(float pixels, float interface) override { dsk::renderscale(pixels, interface); }
    double interface() override { return dsk::interface(); }
    bool software() override { return dsk::software(); }
};

struct tnetwork final : plat::tnetops {
    void http(const thttprequest& r, thttpdone done) override { dsk::http(r, std::move(done)); }
    bool openurl(const std::string& url) override { return dsk::openurl(url); }
    bool startself(const std::vector<std::string>& args) override { return dsk::startself(args); }
};

// Offered before main: a program with this folder linked in can open a window.
struct toffer {
    toffer() {
        static twindow w;
        static ttimers t;
        static tdrawing d;
        static al::tsound s;
        static tnetwork n;
        plat::offer(tbackend::desktop, {&w, &t, &d, &s, &n});
    }
} offered;

}  // namespace
