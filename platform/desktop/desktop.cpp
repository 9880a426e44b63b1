// The desktop back end: a Qt main window with its native menu bar, the canvases in its client
// area (canvas.cpp), event delivery, message boxes, the pads' pointer. Its keys are in keys.cpp,
// its timers in timers.cpp.
#include "platform/desktop/desktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>

#include "platform/gamepad.h"
#include "platform/internal.h"

// ---------------------------------------------------------------------------------------------
// Event delivery

namespace {
struct tqueued {
    int id;
    void* source;
    int data, mods, x, y;
};
std::deque<tqueued> queue;
QApplication* app = nullptr;
}  // namespace

namespace dsk {
int busy = 0;
bool repaintafter = false;
int framesshown = 0;
}  // namespace dsk

using dsk::framesshown;
using dsk::repaintafter;

using dsk::busy;
using dsk::post;

namespace {
void drain() {
    while (!queue.empty()) {
        tqueued q = queue.front();
        queue.pop_front();
        busy++;
        plat::emit(q.id, q.source, q.data, q.mods, q.x, q.y);
        busy--;
    }
}
}  // namespace

void dsk::post(int id, void* source, int data, int mods, int x, int y) {
    if (busy > 0) {
        queue.push_back(tqueued{id, source, data, mods, x, y});
        return;
    }
    busy++;
    plat::emit(id, source, data, mods, x, y);
    busy--;
    drain();
}

void dsk::dropqueued(void* source) {
    queue.erase(std::remove_if(queue.begin(), queue.end(), [source](const tqueued& q) { return q.source == source; }),
                queue.end());
}

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// ---------------------------------------------------------------------------------------------
// The window: its client area lays out the canvases by their edge rules.

class tclient : public QWidget {
public:
    TGadget* g;
    tclient(TGadget* gadget, QWidget* parent) : QWidget(parent), g(gadget) {}
    void resizeEvent(QResizeEvent*) override;
};

class twindow : public QMainWindow {
public:
    TGadget* g;
    tclient* client;
    int barheight = 0;                    // the menu bar's height, also while it is still empty
    explicit twindow(TGadget* gadget) : g(gadget) {
        client = new tclient(gadget, this);
        setCentralWidget(client);
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();                      // the game decides: it ends the process itself
        post(EVENT_WINDOWCLOSE, g);
    }
    // While the window fills the screen the game goes on seeing its own place and size: they
    // are what its settings keep.
    void moveEvent(QMoveEvent*) override {
        if (isFullScreen()) return;
        g->x = x();
        g->y = y();
        post(EVENT_WINDOWMOVE, g, 0, 0, g->x, g->y);
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        if (!isFullScreen()) {
            g->w = width();
            g->h = height();
        }
        post(EVENT_WINDOWSIZE, g, 0, 0, g->w, g->h);   // the canvas has its new size: rescale
    }
};

// ---------------------------------------------------------------------------------------------
// Full screen: F11 and Alt+Enter switch a window to the whole screen without its menu bar and
// back; the canvas takes the screen and the game letterboxes the playfield in it. Neither the
// keys nor their releases reach the game.

void togglefullscreen(twindow* w) {
    bool on = !w->isFullScreen();
    if (QWidget* bar = w->menuWidget()) bar->setVisible(!on);
    w->setWindowState(w->windowState() ^ Qt::WindowFullScreen);   // a maximised window stays so
    // The menu bar's rows change hands at once: lay the canvas out and let the game rescale now,
    // before the window system answers with the new size.
    if (w->layout()) w->layout()->activate();
    post(EVENT_WINDOWSIZE, w->g, 0, 0, w->g->w, w->g->h);
}

class tfullscreenkeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
        auto* widget = qobject_cast<QWidget*>(o);
        auto* w = widget ? dynamic_cast<twindow*>(widget->window()) : nullptr;
        if (!w) return false;             // a message box, an open menu
        auto* k = static_cast<QKeyEvent*>(e);
        if (e->type() == QEvent::KeyRelease) {
            if (k->key() != held || k->isAutoRepeat()) return false;
            held = 0;
            return true;
        }
        bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (k->key() != Qt::Key_F11 && !(enter && (k->modifiers() & Qt::AltModifier))) return false;
        held = k->key();
        if (!k->isAutoRepeat()) togglefullscreen(w);
        return true;
    }

private:
    int held = 0;                         // the Qt key that switched, until it is released
};

twindow* windowof(TGadget* g) {
    return g && g->kind == tgadgetkind::window ? static_cast<twindow*>(g->native) : nullptr;
}

// Distances of a child's edges from its parent's, kept from when its shape was last set.
struct tmargins {
    int right = 0, bottom = 0;
};
std::vector<std::pair<TGadget*, tmargins>> margins;

tmargins& marginsof(TGadget* g) {
    for (auto& m : margins)
        if (m.first == g) return m.second;
    margins.push_back({g, tmargins{}});
    return margins.back().second;
}

void notemargins(TGadget* g) {
    if (!g->parent) return;
    tmargins& m = marginsof(g);
    m.right = dsk::clientwidth(g->parent) - (g->x + g->w);
    m.bottom = dsk::clientheight(g->parent) - (g->y + g->h);
}

// Places the canvases of a window whose client area is now cw x ch.
void layoutkids(TGadget* g, int cw, int ch) {
    for (TGadget* k : g->kids) {
        if (k->kind != tgadgetkind::canvas || !k->native) continue;
        tmargins& m = marginsof(k);
        int x = k->x, y = k->y, w = k->w, h = k->h;
        if (k->layout[1] == 1) {
            if (k->layout[0] == 1)
                w = std::max(0, cw - m.right - x);
            else
                x = cw - m.right - w;
        }
        if (k->layout[3] == 1) {
            if (k->layout[2] == 1)
                h = std::max(0, ch - m.bottom - y);
            else
                y = ch - m.bottom - h;
        }
        k->x = x;
        k->y = y;
        k->w = w;
        k->h = h;
        dsk::canvasbox(k)->setGeometry(x, y, w, h);
    }
}

void tclient::resizeEvent(QResizeEvent*) { layoutkids(g, width(), height()); }

// ---------------------------------------------------------------------------------------------
// Menus: every gadget keeps one QAction; an entry that gets children becomes a QMenu.

struct tmenuitem {
    QAction* action = nullptr;
    QMenu* menu = nullptr;
};

tmenuitem* itemof(TGadget* g) { return g ? static_cast<tmenuitem*>(g->native) : nullptr; }

void sync(TGadget* g) {
    tmenuitem* it = itemof(g);
    if (!it || !it->action) return;
    if (it->menu)
        it->menu->setTitle(latin1(g->text));
    else
        it->action->setText(latin1(g->text));
    it->action->setCheckable(g->checkable);
    it->action->setChecked(g->checked);
    it->action->setEnabled(g->enabled);
}

void chosen(TGadget* g) {
    // Qt has already toggled a checkable action: show the state the game keeps, and let the
    // game decide (its menu wrapper ticks and unticks).
    sync(g);
    post(EVENT_MENUACTION, g, g->tag);
}

// The widget that holds g's entry: the menu bar, or the parent's drop-down.
QWidget* holder(TGadget* g) {
    TGadget* p = g->parent;
    if (!p) return nullptr;
    if (p->kind == tgadgetkind::menuroot) {
        twindow* w = windowof(p->parent);
        return w ? w->menuBar() : nullptr;
    }
    tmenuitem* pi = itemof(p);
    if (!pi) return nullptr;
    if (!pi->menu) {
        // the parent gets its first child: it turns from a command into a drop-down
        QWidget* h = holder(p);
        if (!h) return nullptr;
        pi->menu = new QMenu(latin1(p->text), h);
        QAction* old = pi->action;
        if (auto* bar = qobject_cast<QMenuBar*>(h))
            bar->insertMenu(old, pi->menu);
        else if (auto* m = qobject_cast<QMenu*>(h))
            m->insertMenu(old, pi->menu);
        h->removeAction(old);
        old->deleteLater();
        pi->action = pi->menu->menuAction();
        pi->action->setEnabled(p->enabled);
    }
    return pi->menu;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

namespace dsk {

void init(int argc, char** argv) {
    static int qargc = 1;
    static char name[] = "varnhold";
    static char* qargv[] = {name, nullptr};
    if (argc > 0 && argv) qargv[0] = argv[0];
    (void)qargc;
    QSurfaceFormat f;
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(0);
    f.setStencilBufferSize(0);
    f.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(f);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    holddisplay(10);
    app = new QApplication(qargc, qargv);
    releasedisplay();
    QApplication::setApplicationName("Varnhold");
    app->installEventFilter(new tfullscreenkeys(app));
    // The game's icon at every size the build made: beside the program in the build folder,
    // in the icon theme's folder where it is installed (games/../share/icons). The desktop
    // file's name lets the desktop match the window with the game's entry.
    QIcon icon;
    QString dir = QString::fromStdString(AppDir());
    for (const QString& base : {dir + "/icons/hicolor", dir + "/../share/icons/hicolor"}) {
        for (const QString& size : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFile::exists(base + "/" + size + "/apps/varnhold.png")) icon.addFile(base + "/" + size + "/apps/varnhold.png");
        if (!icon.isNull()) break;
    }
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName("org.varnhold.varnhold");
    QObject::connect(app, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
        static bool active = false;
        bool now = s == Qt::ApplicationActive;
        if (now == active) return;
        active = now;
        post(now ? EVENT_APPRESUME : EVENT_APPSUSPEND, nullptr);
    });
}

void createwindow(TGadget* g) {
    twindow* w = new twindow(g);
    g->native = w;
    w->setWindowTitle(latin1(g->text));
    if (g->style & WINDOW_MENU) {
        // An empty menu bar is lower than one with entries; reserve the full height from the
        // start so the client area does not shrink when the menus arrive.
        QMenuBar probe;
        probe.addAction("&Game");
        w->barheight = probe.sizeHint().height();
        w->menuBar()->setMinimumHeight(w->barheight);
        w->menuBar()->setNativeMenuBar(true);
    } else {
        w->setMenuBar(nullptr);
    }
    if (g->style & WINDOW_TOOL) w->setWindowFlag(Qt::Tool);
    if (g->style & WINDOW_CLIENTCOORDS) g->h += w->barheight;
    setshape(g);
    if (g->visible) show(g);
}

QWidget* clientof(TGadget* window) {
    twindow* w = windowof(window);
    return w ? w->client : nullptr;
}

void placedcanvas(TGadget* g) {
    notemargins(g);
    if (twindow* w = windowof(g->parent)) w->setFocusProxy(canvasbox(g));
}

void createmenu(TGadget* g) {
    auto* it = new tmenuitem;
    g->native = it;
    QWidget* h = holder(g);
    if (!h) return;
    if (g->text.empty() && g->tag == 0) {
        it->action = new QAction(h);
        it->action->setSeparator(true);
    } else {
        it->action = new QAction(latin1(g->text), h);
        if (int k = qtkey(g->hotkey)) {
            int mod = 0;
            if (g->modifier & MODIFIER_SHIFT) mod |= Qt::SHIFT;
            if (g->modifier & MODIFIER_CONTROL) mod |= Qt::CTRL;
            if (g->modifier & MODIFIER_OPTION) mod |= Qt::ALT;
            it->action->setShortcut(QKeySequence(k | mod));
        }
        QObject::connect(it->action, &QAction::triggered, [g](bool) { chosen(g); });
    }
    h->addAction(it->action);
    sync(g);
}

void updatemenu(TGadget* item) { sync(item); }

void updatemenubar(TGadget* window) {
    if (twindow* w = windowof(window)) w->menuBar()->update();
}

// A window record from a damaged or hostile settings file (no size, a place far off every
// screen) must still give a window to play in: at least a small canvas under the menu bar,
// and, when less than that much of it would be on the desktop's work area, fully on it.
void usable(TGadget* g, const twindow* w) {
    constexpr int mincanvasw = 200, mincanvash = 100;
    int l, t, r, b;
    workarea(l, t, r, b);
    int64_t minw = mincanvasw, minh = mincanvash + w->barheight;
    int64_t ww = std::clamp<int64_t>(g->w, minw, std::max<int64_t>(minw, r - l));
    int64_t wh = std::clamp<int64_t>(g->h, minh, std::max<int64_t>(minh, b - t));
    int64_t x = g->x, y = g->y;
    int64_t seenw = std::min<int64_t>(x + ww, r) - std::max<int64_t>(x, l);
    int64_t seenh = std::min<int64_t>(y + wh, b) - std::max<int64_t>(y, t);
    if (seenw < std::min(ww, minw) || seenh < std::min(wh, minh) || y < t - 10) {
        x = std::clamp<int64_t>(x, l, std::max<int64_t>(l, r - ww));
        y = std::clamp<int64_t>(y, t, std::max<int64_t>(t, b - wh));
    }
    if (x == g->x && y == g->y && ww == g->w && wh == g->h) return;
    g->x = static_cast<int>(x);
    g->y = static_cast<int>(y);
    g->w = static_cast<int>(ww);
    g->h = static_cast<int>(wh);
    // The game learns the corrected shape as a move and a resize, from the event loop (it may
    // be still starting up), so that it keeps the corrected record.
    QTimer::singleShot(0, [g] {
        post(EVENT_WINDOWMOVE, g, 0, 0, g->x, g->y);
        post(EVENT_WINDOWSIZE, g, 0, 0, g->w, g->h);
    });
}

void setshape(TGadget* g) {
    if (twindow* w = windowof(g)) {
        usable(g, w);
        w->move(g->x, g->y);
        if (g->style & WINDOW_RESIZABLE) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            w->resize(g->w, g->h);
        } else {
            w->setFixedSize(g->w, g->h);
        }
        // A hidden window gets its resize events only when shown: place the canvases now so
        // that their size can be read at once.
        if (!w->isVisible()) layoutkids(g, clientwidth(g), clientheight(g));
    } else if (g->kind == tgadgetkind::canvas && g->native) {
        canvasbox(g)->setGeometry(g->x, g->y, g->w, g->h);
        notemargins(g);
    }
}

void settext(TGadget* g) {
    if (twindow* w = windowof(g)) w->setWindowTitle(latin1(g->text));
}

void readshape(TGadget* g) {
    if (twindow* w = windowof(g)) {
        if (!w->isVisible() || w->isFullScreen()) return;   // the shape last set stands
        g->x = w->x();
        g->y = w->y();
        g->w = w->width();
        g->h = w->height();
    } else if (QWidget* c = g->kind == tgadgetkind::canvas && g->native ? canvasbox(g) : nullptr) {
        g->x = c->x();
        g->y = c->y();
        g->w = c->width();
        g->h = c->height();
    }
}

int clientwidth(TGadget* g) {
    if (windowof(g)) return g->w;
    return g->w;
}

int clientheight(TGadget* g) {
    if (twindow* w = windowof(g)) return std::max(0, g->h - w->barheight);
    return g->h;
}

void show(TGadget* g) {
    if (twindow* w = windowof(g)) {
        w->show();
        w->raise();
        w->activateWindow();
    } else if (g->kind == tgadgetkind::canvas && g->native) {
        canvasbox(g)->show();
    }
}

void activate(TGadget* g) {
    if (twindow* w = windowof(g)) {
        w->raise();
        w->activateWindow();
    } else if (g->kind == tgadgetkind::canvas && g->native) {
        focuscanvas(g);
    }
}

void notify(const std::string& text, int serious) {
    QWidget* parent = nullptr;
    QString title = QApplication::applicationName();
    if (QWidget* a = QApplication::activeWindow()) {
        parent = a;
        title = a->windowTitle();
    }
    QMessageBox box(serious ? QMessageBox::Critical : QMessageBox::Information, title, latin1(text), QMessageBox::Ok,
                    parent);
    busy++;                              // whatever arrives meanwhile waits for the box
    box.exec();
    busy--;
    if (busy == 0) drain();
    if (repaintafter && busy == 0) {
        repaintafter = false;
        repaintcanvas();
    }
}

void workarea(int& l, int& t, int& r, int& b) {
    QScreen* s = QGuiApplication::primaryScreen();
    QRect a = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    l = a.x();
    t = a.y();
    r = a.x() + a.width();
    b = a.y() + a.height();
}

void waitsystem() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (repaintafter && busy == 0) {
        repaintafter = false;
        repaintcanvas();
    }
}

// ---------------------------------------------------------------------------------------------
// The pads: their events go the window's way; while one aims, the pointer is hidden over the
// whole window until the mouse really moves (a move to where it already was does not count).

void padevent(int id, int data, int x, int y) {
    if (plat::canvas) post(id, plat::canvas, data, 0, x, y);
}

struct tpadwatch : QObject {
    QPoint at;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseMove && QCursor::pos() != at) pad::mousemoved();
        return QObject::eventFilter(o, e);
    }
};

void padpointer(bool hidden) {
    static tpadwatch* watch = nullptr;
    if (hidden) {
        if (!watch) {
            watch = new tpadwatch;
            app->installEventFilter(watch);
        }
        watch->at = QCursor::pos();
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace dsk
