// The headless back end: no window, no GPU, no sound device. Gadgets keep their model only
// (a canvas's shape is the graphics' size), drawing goes to a recorder that tests read, the
// clock is the caller's to step, and the loop delivers a pending paint or the next tick.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/internal.h"
#include "platform/testing.h"

using namespace plat;

namespace {

thread_local std::vector<tdrawrecord> records;
thread_local bool recording = true;
thread_local bool newframe = false;   // the next operation starts a new record list
thread_local int64_t clockns = 0;     // the stepped clock
thread_local std::vector<std::pair<thttprequest, thttpdone>> requests;
thread_local std::vector<std::string> launched;
thread_local int flips = 0;                  // frames presented
thread_local bool pretendsoftware = false;   // PretendSoftwareRenderer
thread_local float scaleasked = 0;           // the last SetRenderScale
thread_local float interfaceasked = 0;       // and its interface's

void padevent(int id, int data, int x, int y) {
    if (canvas) emit(id, canvas, data, 0, x, y);
}

// The running timers in creation order, with the clock (ns) at their creation.
thread_local std::vector<std::pair<TTimer*, int64_t>> timers;

// The simulated display (SimulateDisplay): its rate, when its frame 0 was, the frames shown
// since, and whether every frame is painted.
thread_local float displayhz = 60;
thread_local int64_t displaystart = 0;
thread_local int64_t displayframes = 0;
thread_local bool paintall = false;

// The clock's milliseconds: tick times are whole nanoseconds, the game reads whole ms.
int clockms() { return static_cast<int>(clockns / 1000000); }

struct twindow final : twindowops {
    void init(int, char**) override {}
    void shutdown() override {}

    // A child that keeps both its left and right (top and bottom) edges follows the parent's
    // new size, as the window system's layout does on the desktop.
    void setshape(TGadget* g, int dw, int dh) override {
        for (TGadget* k : g->kids) {
            if (k->kind != tgadgetkind::canvas) continue;
            if (k->layout[0] && k->layout[1]) k->w = std::max(0, k->w + dw);
            if (k->layout[2] && k->layout[3]) k->h = std::max(0, k->h + dh);
        }
    }
    int clientwidth(TGadget* g) override { return g->w; }
    int clientheight(TGadget* g) override { return g->h; }
    int graphicswidth() override { return canvas->w; }
    int graphicsheight() override { return canvas->h; }
    void notify(const std::string& text, int serious) override {
        if (!serious) tostderr(text);     // there is no box: the message goes to the terminal
    }
    void workarea(int& l, int& t, int& r, int& b) override {
        l = 0;
        t = 0;
        r = 1920;
        b = 1080;
    }

    // A pending merged paint, else one tick of the newest running timer (the clock moves on
    // to it); false when there is neither.
    bool deliver() {
        if (!pending.empty()) {
            runpending();
            return true;
        }
        if (canvas && canvas->paintpending) {
            canvas->paintpending = false;
            emit(EVENT_GADGETPAINT, canvas);
            return true;
        }
        if (timers.empty()) return false;
        auto [t, start] = timers.back();
        // the clock in whole ms, as the game reads it, at the tick or later
        int64_t due = (start / 1000000 + tickat(t->ticks + 1, t->hz) / 1000000) * 1000000;
        if (due > clockns) clockns = due;
        StepTimer(t);
        return true;
    }

    // One frame of the simulated display: the ticks due by then, then the paint.
    void present() {
        runpending();
        displayframes++;
        int64_t now = displaystart + tickat(displayframes, displayhz);
        for (;;) {
            if (timers.empty()) break;
            auto [t, start] = timers.back();
            int64_t due = start + tickat(t->ticks + 1, t->hz);
            if (due > now) break;
            if (due > clockns) clockns = due;
            StepTimer(t);
        }
        clockns = now;
        if (canvas && (canvas->paintpending || paintall)) {
            canvas->paintpending = false;
            emit(EVENT_GADGETPAINT, canvas);
        }
    }
    void waitsystem() override { deliver(); }
    void run() override {
        while (deliver()) {}
    }
    float displayrate() override { return displayhz; }
    void everyframe(bool on) override { paintall = on; }
};

struct ttimers final : ttimerops {
    int millisecs() override { return clockms(); }
    void starttimer(TTimer* t, bool) override { timers.emplace_back(t, clockns); }
    void stoptimer(TTimer* t) override {
        std::erase_if(timers, [t](const auto& e) { return e.first == t; });
    }
    void beforestep() override { pad::hooks.poll(padevent); }   // the pads' events come before the tick
    float fraction(TTimer* t) override {
        for (auto& [timer, start] : timers)
            if (timer == t) {
                double last = static_cast<double>(start + tickat(t->ticks, t->hz));
                return static_cast<float>((static_cast<double>(clockns) - last) * t->hz / 1e9);
            }
        return 1;
    }
};

struct tdrawing final : tdrawops {
    void record(int op, const TImage* img, int frame, float x, float y, float x2, float y2,
                const std::string* text) override {
        if (recording) add(op, img, frame, x, y, x2, y2, text);
        if (op == tdrawrecord::flip) newframe = true;
    }
    void add(int op, const TImage* img, int frame, float x, float y, float x2, float y2, const std::string* text) {
        if (newframe) {
            records.clear();
            newframe = false;
        }
        tdrawrecord& r = records.emplace_back();
        r.op = static_cast<tdrawrecord::kind>(op);
        r.img = img;
        r.frame = frame;
        r.x = x;
        r.y = y;
        r.x2 = x2;
        r.y2 = y2;
        if (text) r.text = *text;
        r.state = DrawState();
        std::memcpy(r.modelview, Modelview(), sizeof r.modelview);
    }
    void present() override { flips++; }
    int presented() override { return flips; }
    void renderscale(float pixels, float interface) override {
        scaleasked = pixels;
        interfaceasked = interface;
    }
    bool software() override { return pretendsoftware; }
};

// Requests are kept for the test to answer (HttpPending, AnswerHttp); nothing is launched.
struct tnetwork final : tnetops {
    void http(const thttprequest& r, thttpdone done) override { requests.emplace_back(r, std::move(done)); }
    bool openurl(const std::string& url) override {
        launched.push_back(url);
        return true;
    }
    bool startself(const std::vector<std::string>& args) override {
        std::string line = "self";
        for (const std::string& a : args) line += " " + a;
        launched.push_back(line);
        return true;
    }
};

}  // namespace

// No sound device: the channels run on AdvanceAudio's clock.
tbackendops plat::headless() {
    static twindow w;
    static ttimers t;
    static tdrawing d;
    static tnetwork n;
    return {&w, &t, &d, &nosound, &n};
}

const std::vector<tdrawrecord>& DrawRecords() { return records; }
void ClearDrawRecords() {
    records.clear();
    newframe = false;
}
void RecordDrawing(bool on) { recording = on; }
void SetMilliSecs(int ms) { clockns = static_cast<int64_t>(ms) * 1000000; }

void SimulateDisplay(float hz) {
    displayhz = hz > 0 ? hz : 60;
    displaystart = clockns;
    displayframes = 0;
}

void StepDisplay() {
    if (PlatformBackend() == tbackend::headless) static_cast<twindow*>(ops.window)->present();
}
void PretendSoftwareRenderer(bool on) { pretendsoftware = on; }
float RenderScaleAsked() { return scaleasked; }
float InterfaceScaleAsked() { return interfaceasked; }

const std::vector<thttprequest>& HttpPending() {
    static thread_local std::vector<thttprequest> now;
    now.clear();
    for (auto& r : requests) now.push_back(r.first);
    return now;
}

void AnswerHttp(size_t i, const thttpanswer& answer) {
    if (i >= requests.size()) return;
    thttpdone done = std::move(requests[i].second);
    requests.erase(requests.begin() + static_cast<long>(i));
    done(answer);
}

const std::vector<std::string>& Launched() { return launched; }
void ClearLaunched() { launched.clear(); }
