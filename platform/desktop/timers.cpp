// The desktop's timers: Qt timers with exact tick accounting; and the once-a-second statistics
// line of --stats.
//
// Timer ticks that fall due while the game is inside a modal message box are dropped, so a
// game paused behind a box does not race through the minutes it was open.
#include "platform/desktop/desktop.h"

#include <QGuiApplication>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "platform/gamepad.h"
#include "platform/internal.h"
#include "platform/renderer.h"

namespace dsk {
namespace {

// A running timer's Qt timer, with the tick accounting of the desktop.
struct tqtimer : QTimer {
    int64_t start_ns = 0;                 // when tick 0 was; moved on after a modal box
    int64_t delivered = 0;                // ticks emitted since start_ns
    bool held = false;                    // came due while the game was inside a modal box
};

// Every tick that is due is delivered, at most a quarter second's worth per wake-up, so that
// input and repaints get their turn when the game falls behind.
void ontimer(TTimer* t) {
    if (!t->running) return;
    auto* q = static_cast<tqtimer*>(t->native);
    int64_t now = monotonicns();
    if (busy > 0) {
        q->held = true;
        q->start(5);
        return;
    }
    if (q->held) {
        q->held = false;
        q->start_ns = now - tickat(q->delivered, t->hz);
    }
    // the pads' events come before the ticks, and only while the game is in front
    pad::poll(QGuiApplication::applicationState() == Qt::ApplicationActive ? padevent : nullptr);
    int64_t due = ticksdue(now - q->start_ns, t->hz);
    int64_t chunk = std::max<int64_t>(1, static_cast<int64_t>(t->hz / 4));
    // A tick's handler may stop the timer (F5 replaces it): its Qt timer then waits for deletion.
    for (int64_t n = 0; n < chunk && t->running && q->delivered < due; n++) {
        q->delivered++;
        t->ticks++;
        post(EVENT_TIMERTICK, t, t->ticks);
    }
    if (!t->running) return;
    if (q->delivered < due) {
        q->start(0);
        return;
    }
    int64_t next = tickat(q->delivered + 1, t->hz) - (monotonicns() - q->start_ns);
    q->start(static_cast<int>(std::max<int64_t>(0, (next + 999999) / 1000000)));
}

}  // namespace

void starttimer(TTimer* t) {
    auto* q = new tqtimer;
    q->setSingleShot(true);
    q->setTimerType(Qt::PreciseTimer);
    QObject::connect(q, &QTimer::timeout, [t]() { ontimer(t); });
    t->native = q;
    q->start_ns = monotonicns();
    int64_t first = tickat(1, t->hz);
    q->start(static_cast<int>((first + 999999) / 1000000));
}

void stoptimer(TTimer* t) {
    dropqueued(t);
    if (auto* q = static_cast<tqtimer*>(t->native)) {
        q->stop();
        q->deleteLater();                 // may be inside its own timeout
        t->native = nullptr;
    }
}

float timerfraction(TTimer* t) {
    auto* q = static_cast<tqtimer*>(t->native);
    if (!q) return 1;
    auto since = static_cast<double>(monotonicns() - q->start_ns - tickat(q->delivered, t->hz));
    return static_cast<float>(since * t->hz / 1e9);
}

int presented() { return framesshown; }

void stats(bool on) {
    static QTimer* t = nullptr;
    static int frames0 = 0;
    static double cpu0 = 0;
    auto cpu = [] {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
    };
    if (!on) {
        delete t;
        t = nullptr;
        return;
    }
    if (t) return;
    t = new QTimer;
    frames0 = framesshown;
    cpu0 = cpu();
    QObject::connect(t, &QTimer::timeout, [cpu] {
        double now = cpu();
        int n = framesshown - frames0;
        int dw = 0, dh = 0;
        gl::drawnsize(dw, dh);
        std::fprintf(stderr, "stats: %d frames, %.2f ms CPU per frame, %d draw calls, canvas %dx%d drawn at %dx%d\n",
                     n, n > 0 ? (now - cpu0) / n : 0.0, plat::batch.lastcalls, GraphicsWidth(), GraphicsHeight(), dw, dh);
        std::fflush(stderr);
        frames0 = framesshown;
        cpu0 = now;
    });
    t->start(1000);
}

}  // namespace dsk
