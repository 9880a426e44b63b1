// The desktop canvas: a native OpenGL window of its own, embedded in the window's client area
// under the menu bar. The game draws straight into its back buffer and Flip swaps it to the
// screen, so a frame costs no copy into a framebuffer of the toolkit's and no composition.
//
// Canvas pixels are the window system's logical pixels: an 800 x 400 canvas stays 800 x 400
// on a screen with two device pixels to a logical one, and the renderer draws it at the full
// device resolution. Mouse positions arrive in canvas pixels.
//
// A paint (the window system's expose, or RedrawGadget) reaches the game as GadgetPaint; a
// paint that comes while the game is busy (a message box) keeps the last picture and asks for
// another paint afterwards. Repaints asked for while one is pending merge into it.
#include "platform/desktop/desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/internal.h"
#include "platform/renderer.h"

using dsk::busy;
using dsk::post;

namespace {

QOpenGLContext* context = nullptr;        // one for every canvas of the process
const QEvent::Type paintevent = static_cast<QEvent::Type>(QEvent::User + 1);

// Sends what the OpenGL driver queued on the X connection (a software rasteriser puts the
// swapped picture there) to the server now, rather than with the next event the toolkit sends.
void flushx() {
    using tflush = int (*)(void*);
    static void* display = nullptr;
    static tflush flush = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        if (auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) display = x->display();
        if (display) flush = reinterpret_cast<tflush>(dlsym(RTLD_DEFAULT, "XFlush"));
    }
    if (flush) flush(display);
}

// The renderer's view of the context: OpenGL 3.3 core, functions through Qt.
gl::tdevice device() {
    gl::tdevice d;
    d.proc = [](const char* name) { return reinterpret_cast<void*>(context->getProcAddress(name)); };
    d.dialect = "#version 330 core\n";
    d.framebuffer = [] { return static_cast<unsigned>(context->defaultFramebufferObject()); };
    return d;
}

[[noreturn]] void noopengl() {
    // Without its renderer the game would only show a black window: say why and stop.
    Notify("This game needs OpenGL 3.3, which this display does not offer.", 1);
    EndProcess(1);
    std::abort();
}

class tcanvas : public QWindow {
public:
    TGadget* g;
    QWidget* box = nullptr;               // holds this window in the client area
    bool inpaint = false;                 // the game is drawing a paint of this canvas
    bool posted = false;                  // a paint is on its way
    bool drawn = false;                   // the back buffer holds drawing not yet shown
    int wheel = 0;                        // eighths of a degree not yet a whole notch
    std::vector<int> held;                // Qt keys down whose first press reached the game
    int stray = 0;                        // the last key released that the game never saw go down
    unsigned long strayat = 0;            // and the time stamp of that release
    QSize swapped;                        // device pixels of the buffers at the last swap

    explicit tcanvas(TGadget* gadget) : g(gadget) {
        setSurfaceType(QSurface::OpenGLSurface);
        setFormat(QSurfaceFormat::defaultFormat());
        // The keyboard focus stays with the main window, where the menus' shortcuts live; its
        // keys reach the canvas through the box.
        setFlag(Qt::WindowDoesNotAcceptFocus);
        setTitle("canvas");                // not to be mistaken for the game's window by name
    }

    // The canvas's size in canvas pixels: its box's, which is right also before the window
    // system has placed the window.
    int w() const { return box ? box->width() : width(); }
    int h() const { return box ? box->height() : height(); }
    double ratio() const { return devicePixelRatio(); }

    // The context current on this window and the renderer aimed at it; false when there is
    // nothing to draw into.
    bool current() {
        if (w() <= 0 || h() <= 0) return false;
        if (!handle()) create();
        if (QOpenGLContext::currentContext() != context || context->surface() != this) {
            if (!context->makeCurrent(this)) return false;
            gl::newbuffers();
        }
        if (!gl::ready() && !gl::init(device())) noopengl();
        gl::target(w(), h(), ratio());
        plat::drawnratio = gl::drawnratio();
        QSize dev(static_cast<int>(std::lround(w() * ratio())), static_cast<int>(std::lround(h() * ratio())));
        if (dev != swapped && !drawn && isExposed()) {
            // New buffers for a new window size: a software rasteriser on X takes them up at
            // a swap. Black until the game draws, as a newly shown window is.
            gl::blank();
            context->swapBuffers(this);
            gl::newbuffers();
            gl::target(w(), h(), ratio());
            swapped = dev;
        }
        return true;
    }

    void askpaint() {
        if (posted) return;
        posted = true;
        QCoreApplication::postEvent(this, new QEvent(paintevent));
    }

    void paint() {
        if (busy > 0) {                  // the game is busy (a message box): keep the picture
            dsk::repaintafter = true;
            return;
        }
        if (!isExposed()) return;         // the window system asks again when it shows it
        inpaint = true;
        g->paintpending = false;
        post(EVENT_GADGETPAINT, g);
        inpaint = false;
        if (drawn) present();             // a paint handler that forgot to Flip still shows
    }

    void present() {
        plat::batch.flush();
        if (!box || !box->isVisible() || w() <= 0 || h() <= 0) return;
        if (!isExposed()) {
            // Drawn outside a paint just after the window was shown (the loading screen): let
            // the window system map and expose it first.
            QElapsedTimer t;
            t.start();
            while (!isExposed() && t.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
            if (!isExposed() || !current()) return;
        }
        gl::show();
        context->swapBuffers(this);
        flushx();
        gl::newbuffers();
        swapped = QSize(static_cast<int>(std::lround(w() * ratio())), static_cast<int>(std::lround(h() * ratio())));
        dsk::framesshown++;
        drawn = false;
    }

    // The rectangle (x, y, rw, rh) of the presented picture in canvas pixels into out at
    // (ox, oy); on a screen with more device pixels than canvas pixels each canvas pixel is
    // the mean of the device pixels it covers.
    void grab(int x, int y, int rw, int rh, TPixmap& out, int ox, int oy) {
        double r = ratio();
        int dx0 = static_cast<int>(std::floor(x * r)), dy0 = static_cast<int>(std::floor(y * r));
        int dx1 = static_cast<int>(std::ceil((x + rw) * r)), dy1 = static_cast<int>(std::ceil((y + rh) * r));
        int dw = dx1 - dx0, dh = dy1 - dy0;
        std::vector<uint8_t> dev(static_cast<size_t>(dw) * dh * 4);
        gl::readfront(dx0, dy0, dw, dh, dev.data());
        for (int j = 0; j < rh; j++)
            for (int i = 0; i < rw; i++) {
                int ax = static_cast<int>(std::floor((x + i) * r)) - dx0, bx = static_cast<int>(std::floor((x + i + 1) * r)) - dx0;
                int ay = static_cast<int>(std::floor((y + j) * r)) - dy0, by = static_cast<int>(std::floor((y + j + 1) * r)) - dy0;
                bx = std::clamp(std::max(bx, ax + 1), 1, dw);
                by = std::clamp(std::max(by, ay + 1), 1, dh);
                unsigned sum[3] = {0, 0, 0}, n = 0;
                for (int b = ay; b < by; b++)
                    for (int a = ax; a < bx; a++) {
                        const uint8_t* p = &dev[(static_cast<size_t>(b) * dw + a) * 4];
                        for (int k = 0; k < 3; k++) sum[k] += p[k];
                        n++;
                    }
                uint8_t* q = &out.pixels[static_cast<size_t>(oy + j) * out.pitch + static_cast<size_t>(ox + i) * 4];
                for (int k = 0; k < 3; k++) q[k] = static_cast<uint8_t>((sum[k] + n / 2) / n);
                q[3] = 255;
            }
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == paintevent) {
            posted = false;
            paint();
            return true;
        }
        switch (e->type()) {
        case QEvent::Enter: {
            auto* en = static_cast<QEnterEvent*>(e);
            post(EVENT_MOUSEENTER, g, 0, 0, pos(en->position().x()), pos(en->position().y()));
            return true;
        }
        case QEvent::Leave:
            post(EVENT_MOUSELEAVE, g);
            return true;
        default:
            return QWindow::event(e);
        }
    }
    void exposeEvent(QExposeEvent*) override {
        gl::newbuffers();
        if (isExposed()) paint();
    }
    void resizeEvent(QResizeEvent*) override { gl::newbuffers(); }
    static int pos(double v) { return static_cast<int>(std::floor(v)); }
public:
    // While a menu is open or the menu bar has the keyboard, keys are the menu's: Escape there
    // leaves the menu and must never reach the game, where it quits.
    static bool menuhaskeys() {
        return QApplication::activePopupWidget() ||
               qobject_cast<QMenuBar*>(QApplication::focusWidget());
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (menuhaskeys()) return;
        // A key first pressed in a menu and still held repeats into the game once the menu has
        // closed: an Escape held a moment too long would close the menu and then quit. Only
        // keys whose first press the game had may repeat. The window system marks most
        // repeats; an unmarked one comes as a release and a press at the same time stamp.
        bool had = std::find(held.begin(), held.end(), e->key()) != held.end();
        if (e->isAutoRepeat() && !had) return;
        if (e->key() == stray && e->timestamp() == strayat) return;
        if (!had) held.push_back(e->key());
        int vk = dsk::vkey(e), m = dsk::modifiers(e->modifiers());
        if (vk) post(EVENT_KEYDOWN, g, vk, m);
        for (QChar c : e->text())
            if (c.unicode() > 0 && c.unicode() <= 255) post(EVENT_KEYCHAR, g, c.unicode(), m);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat()) return;    // a held key: only further presses, one release at the end
        auto at = std::find(held.begin(), held.end(), e->key());
        if (at == held.end()) {
            stray = e->key(), strayat = e->timestamp();   // pressed before the game had the keys
            return;
        }
        held.erase(at);
        int vk = dsk::vkey(e);
        if (vk) post(EVENT_KEYUP, g, vk, dsk::modifiers(e->modifiers()));
    }
protected:
    static int button(Qt::MouseButton b) {
        switch (b) {
        case Qt::LeftButton: return 1;
        case Qt::RightButton: return 2;
        case Qt::MiddleButton: return 3;
        default: return 0;
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (box && !box->hasFocus()) box->setFocus(Qt::MouseFocusReason);
        if (int b = button(e->button()))
            post(EVENT_MOUSEDOWN, g, b, dsk::modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (int b = button(e->button()))
            post(EVENT_MOUSEUP, g, b, dsk::modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        post(EVENT_MOUSEMOVE, g, 0, dsk::modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void wheelEvent(QWheelEvent* e) override {
        wheel += e->angleDelta().y();
        int notches = wheel / 120;
        wheel -= notches * 120;
        if (notches)
            post(EVENT_MOUSEWHEEL, g, notches, dsk::modifiers(e->modifiers()), pos(e->position().x()),
                 pos(e->position().y()));
        e->accept();
    }
};

// Keys arrive at the box, which has the focus within the main window.
class tkeys : public QObject {
public:
    tcanvas* c;
    explicit tkeys(tcanvas* canvas) : QObject(canvas), c(canvas) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            c->keyPressEvent(static_cast<QKeyEvent*>(e));
            return true;
        }
        if (e->type() == QEvent::KeyRelease) {
            c->keyReleaseEvent(static_cast<QKeyEvent*>(e));
            return true;
        }
        return false;
    }
};

tcanvas* canvasof(TGadget* g) {
    return g && g->kind == tgadgetkind::canvas ? static_cast<tcanvas*>(g->native) : nullptr;
}
tcanvas* currentcanvas() { return canvasof(plat::canvas); }

}  // namespace

namespace dsk {

QWidget* canvasbox(TGadget* g) {
    tcanvas* c = canvasof(g);
    return c ? c->box : nullptr;
}

void focuscanvas(TGadget* g) {
    if (tcanvas* c = canvasof(g)) {
        c->box->activateWindow();
        c->box->setFocus(Qt::OtherFocusReason);
    }
}

void repaintcanvas() {
    if (tcanvas* c = currentcanvas()) c->askpaint();
}

void createcanvas(TGadget* g) {
    if (!context) {
        // The canvas needs an OpenGL 3.3 context; without one the game could only show a black window.
        context = new QOpenGLContext;
        context->setFormat(QSurfaceFormat::defaultFormat());
        if (!context->create() || context->format().version() < qMakePair(3, 3)) noopengl();
    }
    tcanvas* c = new tcanvas(g);
    g->native = c;
    QWidget* parent = g->parent ? static_cast<QWidget*>(dsk::clientof(g->parent)) : nullptr;
    // The box takes the focus and the keys; the container inside it would hand the focus to
    // the canvas's own window, so it takes none.
    c->box = new QWidget(parent);
    c->box->setFocusPolicy(Qt::StrongFocus);
    c->box->installEventFilter(new tkeys(c));
    QWidget* holder = QWidget::createWindowContainer(c, c->box);
    holder->setFocusPolicy(Qt::NoFocus);
    auto* fill = new QHBoxLayout(c->box);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(holder);
    c->box->setGeometry(g->x, g->y, g->w, g->h);
    dsk::placedcanvas(g);
    c->box->show();
}

namespace {
// Painting at every frame of the display (PaintEveryFrame): a precise timer asks for a paint at
// each of its frames, frame n at n / rate s after the start, the next one that is still ahead
// (a frame that came late is not made up for). The swap then waits for the screen's refresh
// where the driver syncs to it, and a software rasteriser without a refresh gets the rate all
// the same.
QTimer* pacer = nullptr;
int64_t pacestart = 0;
int64_t paced = 0;

void pace() {
    if (!pacer) return;
    double hz = displayrate();
    int64_t now = monotonicns();
    int64_t next = std::max<int64_t>(paced + 1, ticksdue(now - pacestart, hz) + 1);
    paced = next;
    int64_t wait = pacestart + tickat(next, hz) - now;
    pacer->start(static_cast<int>(std::max<int64_t>(0, (wait + 999999) / 1000000)));
}
}   // namespace

float displayrate() {
    static float asked = [] {
        const char* env = std::getenv("VARNHOLD_DISPLAY_HZ");
        float hz = env ? std::strtof(env, nullptr) : 0;
        return hz >= 1 && hz <= 1000 ? hz : 0;
    }();
    if (asked > 0) return asked;
    tcanvas* c = currentcanvas();
    QScreen* screen = c ? c->screen() : QGuiApplication::primaryScreen();
    float hz = screen ? static_cast<float>(screen->refreshRate()) : 0;
    return hz >= 1 ? hz : 60;
}

void everyframe(bool on) {
    if (on == (pacer != nullptr)) return;
    if (!on) {
        delete pacer;
        pacer = nullptr;
        return;
    }
    pacer = new QTimer;
    pacer->setSingleShot(true);
    pacer->setTimerType(Qt::PreciseTimer);
    QObject::connect(pacer, &QTimer::timeout, [] {
        if (tcanvas* c = currentcanvas()) c->askpaint();
        pace();
    });
    pacestart = monotonicns();
    paced = 0;
    pace();
}

void redraw(TGadget* g) {
    if (pacer) return;   // the next frame of the display paints it
    if (tcanvas* c = canvasof(g)) c->askpaint();
}

void setgraphics(TGadget* g) {
    if (tcanvas* c = canvasof(g)) c->current();
}

int graphicswidth() {
    tcanvas* c = currentcanvas();
    return c ? c->w() : 0;
}

int graphicsheight() {
    tcanvas* c = currentcanvas();
    return c ? c->h() : 0;
}

void showmouse(bool on) {
    if (tcanvas* c = currentcanvas()) {
        if (on)
            c->unsetCursor();
        else
            c->setCursor(Qt::BlankCursor);
    }
}

bool ready() {
    tcanvas* c = currentcanvas();
    return c && c->current();
}

void upload(const tplace& p, const TImage* img, int frame) { gl::upload(p, img, frame); }

namespace {
float interfacelimit = 0;                 // SetRenderScale's interface
}  // namespace

void renderscale(float pixels, float interface) {
    interfacelimit = interface;
    gl::limit(pixels);
    plat::drawnratio = gl::drawnratio();
    if (tcanvas* c = currentcanvas()) c->askpaint();
}

double interface() {
    tcanvas* c = currentcanvas();
    // Only a scene drawn at fewer pixels than the interface's is left under it; the interface
    // is then drawn at the window's own, which it has anyway. (The title's table drawn at them
    // on a large window would cost llvmpipe two fifths more a frame.)
    if (!c || !c->current() || !gl::apart()) return 0;
    if (interfacelimit > 0 && gl::drawnratio() >= interfacelimit - 1e-4) return 0;
    plat::batch.flush();                  // the scene's last calls, before it is shown
    return gl::interface();
}

bool software() {
    ready();                              // the renderer starts with the first current canvas
    return gl::software();
}

void submit(tbatch& b) {
    tcanvas* c = currentcanvas();
    if (!c || !c->current()) return;
    gl::submit(b);
    c->drawn = true;
}

void clear(const tbatchstate& st) {
    tcanvas* c = currentcanvas();
    if (!c || !c->current()) return;
    gl::clear(st);
    c->drawn = true;
}

void present() {
    if (tcanvas* c = currentcanvas()) c->present();
}

void grab(int x, int y, int w, int h, TPixmap& out) {
    tcanvas* c = currentcanvas();
    if (!c || !c->current()) return;
    int x0 = std::max(x, 0), y0 = std::max(y, 0), x1 = std::min(x + w, c->w()), y1 = std::min(y + h, c->h());
    if (x1 <= x0 || y1 <= y0) return;
    c->grab(x0, y0, x1 - x0, y1 - y0, out, x0 - x, y0 - y);
}

}  // namespace dsk
