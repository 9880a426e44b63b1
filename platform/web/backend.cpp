// platform/web/backend.cpp — the browser's back end: the page's canvas drawn through WebGL 2
// by the shared renderer, the page's keyboard and mouse, and the frame loop of the browser's
// animation frames, where a fixed-step accumulator makes the timers' ticks fall due (60 a
// second at any refresh rate, by the frames' own timestamps), and the pads of the Gamepad API.
// It is this program's windowed back end, tbackend::web.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/atlas.h"
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/internal.h"
#include "platform/openal/openal.h"
#include "platform/renderer.h"
#include "platform/web/decode.h"
#include "platform/web/web.h"

using namespace plat;

namespace {

const char* const canvasid = "#canvas";
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
TGadget* window = nullptr;
int cssw = 0, cssh = 0;                   // the canvas in page pixels
double ratio = 1;                         // canvas buffer pixels per page pixel
float limit = 0;                          // the render scale (SetRenderScale); 0: device pixels
float interfacelimit = 0;                 // and its interface's: the canvas buffer's pixels
int framesshown = 0;
double lastframe = -1;                    // ms: the timestamp of the last animation frame
bool ended = false;

// A timer's accounting: tick n falls due n / hz seconds after start_ns (-1: the first
// animation frame that sees it).
struct tticker {
    TTimer* t;
    int64_t start_ns = -1;
    int64_t delivered = 0;
};
std::vector<tticker> tickers;

// The display's rate, measured from the animation frames: frames counted over a second at a
// time, a second with a gap (a hidden page, a stall) left out. 60 until one has been seen.
float displayhz = 60;
double ratestart = -1;   // ms: when the second being counted began
int rateframes = 0;
double rategap = 0;      // the longest gap between two frames in it
bool paintall = false;   // PaintEveryFrame

void measurerate(double time) {
    if (ratestart < 0 || time < ratestart) {
        ratestart = time;
        rateframes = 0;
        rategap = 0;
        return;
    }
    if (lastframe >= 0) rategap = std::max(rategap, time - lastframe);
    rateframes++;
    if (time - ratestart < 1000) return;
    if (rategap < 100) displayhz = static_cast<float>(rateframes * 1000.0 / (time - ratestart));
    ratestart = time;
    rateframes = 0;
    rategap = 0;
}

// The menus are drawn by the page (page.menus), from the gadgets' model; an entry is known to
// the page by its index here.
std::vector<TGadget*> menuitems;
bool menusdirty = false;

// The game's handlers of signals, which the page raises: a hang-up when the page goes away
// (closed, reloaded, left: the game saves what it keeps and ends), SIGUSR1 for the world
// written to the --dump file now.
std::function<void(int)> handlers[32];

// The game's HTTP requests waiting for the page's fetch, by number; the answer's bytes are
// written into `httpbytes` by the page before it hands the answer over.
std::map<int, thttpdone> httpwaiting;
int httpnext = 1;
std::string httpbytes;

std::string utf8(const std::string& latin1) {
    std::string out;
    for (unsigned char c : latin1) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += static_cast<char>(0xc0 | c >> 6), out += static_cast<char>(0x80 | (c & 0x3f));
    }
    return out;
}

std::string jsonstring(const std::string& latin1) {
    std::string out = "\"";
    for (char c : utf8(latin1)) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 32) continue;
        out += c;
    }
    return out + "\"";
}

// [{"i": index, "t": title, "k": [{"i": index, "g": tag, "t": text, "c": ticked, "e": enabled},
// ...]}, ...]; an entry without text is a separator, a title without entries acts itself.
void showmenus() {
    menusdirty = false;
    if (!window || !window->menuroot) return;
    auto indexof = [](TGadget* g) {
        return std::to_string(std::find(menuitems.begin(), menuitems.end(), g) - menuitems.begin());
    };
    std::string j = "[";
    for (TGadget* top : window->menuroot->kids) {
        if (j.size() > 1) j += ",";
        j += "{\"i\":" + indexof(top) + ",\"t\":" + jsonstring(top->text) + ",\"k\":[";
        bool first = true;
        for (TGadget* k : top->kids) {
            j += (first ? "" : ",") + std::string("{\"i\":") + indexof(k) + ",\"g\":" + std::to_string(k->tag) +
                 ",\"t\":" + jsonstring(k->text) + ",\"c\":" + (k->checked ? "true" : "false") +
                 ",\"e\":" + (k->enabled ? "true" : "false") + "}";
            first = false;
        }
        j += "]}";
    }
    j += "]";
    EM_ASM({ page.menus(JSON.parse(UTF8ToString($0))); }, j.c_str());
}

// The canvas fills the page below its menu bar; its buffer has the screen's own pixels, or
// fewer under a render scale: the browser then scales the buffer to the canvas's box as it
// shows the page, so no pass of the game's own is needed. The buffer has the interface's
// pixels: only a scene drawn at fewer (a slow fight) is drawn apart and scaled to the buffer by
// the renderer, which costs SwiftShader about 40 ns a buffer pixel.
void measure() {
    double w = 0, h = 0;
    emscripten_get_element_css_size(canvasid, &w, &h);
    ratio = emscripten_get_device_pixel_ratio();
    float buffer = interfacelimit > 0 ? interfacelimit : limit;
    if (buffer > 0 && buffer < ratio) ratio = buffer;
    plat::drawnratio = limit > 0 && limit < ratio ? limit : ratio;
    gl::limit(limit);
    cssw = std::max(1, static_cast<int>(w));
    cssh = std::max(1, static_cast<int>(h));
    // rounded as the renderer rounds the canvas to its pixels
    emscripten_set_canvas_element_size(canvasid, static_cast<int>(std::lround(cssw * ratio)),
                                       static_cast<int>(std::lround(cssh * ratio)));
    if (canvas) canvas->w = cssw, canvas->h = cssh;
    if (window) window->w = cssw, window->h = cssh;
}

gl::tdevice device() {
    gl::tdevice d;
    d.proc = [](const char* name) { return emscripten_webgl_get_proc_address(name); };
    d.dialect = "#version 300 es\nprecision mediump float;\n";
    d.framebuffer = [] { return 0u; };
    // WebGL's own name for the renderer hides it; the debug extension tells it (SwiftShader
    // where the browser draws without a GPU).
    d.renderer = [] {
        static char name[256];
        EM_ASM({
            var n = '';
            try {
                var e = GLctx.getExtension('WEBGL_debug_renderer_info');
                n = String(GLctx.getParameter(e ? e.UNMASKED_RENDERER_WEBGL : GLctx.RENDERER) || '');
            } catch (x) {
            }
            stringToUTF8(n, $0, $1);
        }, name, sizeof name);
        return static_cast<const char*>(name);
    };
    return d;
}

// Browsers keep sound off until the page is touched: the first key or click starts it.
void wakeaudio() {
    EM_ASM({
        if (typeof AL !== 'undefined' && AL.currentCtx && AL.currentCtx.audioCtx.state !== 'running')
            AL.currentCtx.audioCtx.resume();
    });
}

int mods(bool shift, bool ctrl, bool alt, bool meta) {
    return (shift ? MODIFIER_SHIFT : 0) | (ctrl ? MODIFIER_CONTROL : 0) | (alt ? MODIFIER_OPTION : 0) |
           (meta ? MODIFIER_SYSTEM : 0);
}

// The browser's key numbers are the Windows virtual-key numbers the game uses.
EM_BOOL onkey(int type, const EmscriptenKeyboardEvent* e, void*) {
    if (!canvas) return EM_FALSE;
    wakeaudio();
    int m = mods(e->shiftKey, e->ctrlKey, e->altKey, e->metaKey);
    int vk = static_cast<int>(e->keyCode);
    // 229: a touch screen's keyboard composing text; its text arrives through the page's field
    if (vk == 229) return EM_FALSE;
    // the menu bar first: Alt and a menu's letter opens it, an open menu takes every key
    if (type == EMSCRIPTEN_EVENT_KEYDOWN && EM_ASM_INT({ return page.menukey($0, $1); }, vk, e->altKey))
        return EM_TRUE;
    // F11 and Alt+Enter: the browser's full screen and back, as the desktop's window does it;
    // neither reaches the game (Enter would start one)
    if (vk == 122 || (vk == 13 && e->altKey)) {
        if (type == EMSCRIPTEN_EVENT_KEYDOWN && !e->repeat) EM_ASM({ page.fullscreen(); });
        return EM_TRUE;
    }
    if (type == EMSCRIPTEN_EVENT_KEYDOWN) {
        if (!e->repeat || vk != 116) emit(EVENT_KEYDOWN, canvas, vk, m);
        // a printable character (one Latin-1 letter in UTF-8) also arrives as text
        const unsigned char* k = reinterpret_cast<const unsigned char*>(e->key);
        int ch = -1;
        if (k[0] >= 32 && k[0] < 128 && k[1] == 0) ch = k[0];
        else if ((k[0] == 0xc2 || k[0] == 0xc3) && (k[1] & 0xc0) == 0x80 && k[2] == 0) ch = ((k[0] & 3) << 6) | (k[1] & 0x3f);
        if (ch >= 32 && !e->ctrlKey && !e->metaKey) emit(EVENT_KEYCHAR, canvas, ch, m);
    } else {
        emit(EVENT_KEYUP, canvas, vk, m);
    }
    // the page keeps the keys the game uses (no scrolling, no browser shortcuts)
    return EM_TRUE;
}

EM_BOOL onmouse(int type, const EmscriptenMouseEvent* e, void*) {
    if (!canvas) return EM_FALSE;
    int m = mods(e->shiftKey, e->ctrlKey, e->altKey, e->metaKey);
    int x = static_cast<int>(e->targetX), y = static_cast<int>(e->targetY);
    int b = e->button == 0 ? 1 : e->button == 2 ? 2 : e->button == 1 ? 3 : 0;
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN) wakeaudio();
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN && b) emit(EVENT_MOUSEDOWN, canvas, b, m, x, y);
    else if (type == EMSCRIPTEN_EVENT_MOUSEUP && b) emit(EVENT_MOUSEUP, canvas, b, m, x, y);
    else if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) emit(EVENT_MOUSEMOVE, canvas, 0, m, x, y);
    return EM_TRUE;
}

EM_BOOL onwheel(int, const EmscriptenWheelEvent* e, void*) {
    static double sum = 0;
    if (!canvas) return EM_FALSE;
    sum -= e->deltaMode == DOM_DELTA_PIXEL ? e->deltaY / 100 : e->deltaY / 3;
    int notches = static_cast<int>(sum);
    sum -= notches;
    if (notches) emit(EVENT_MOUSEWHEEL, canvas, notches, 0, static_cast<int>(e->mouse.targetX), static_cast<int>(e->mouse.targetY));
    return EM_TRUE;
}

EM_BOOL onresize(int, const EmscriptenUiEvent*, void*) {
    measure();
    gl::newbuffers();
    if (window) emit(EVENT_WINDOWSIZE, window, 0, 0, window->w, window->h);
    return EM_FALSE;
}

// A hidden page gets no animation frames: the game is suspended, as a desktop window that lost
// the focus, and its events come from no gadget, as there. The resume waits for the first
// frame's picture after the page shows again: the game's clock is read at every picture, so
// it then carries the time the page was hidden (which the score server does not count as lag).
bool resuming = false;
bool shownagain = false;              // the next frame is the first since the page showed again

EM_BOOL onvisibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
    if (!window) return EM_FALSE;
    if (!e->hidden) {
        resuming = true;
        shownagain = true;
        if (canvas) canvas->paintpending = true;
    } else if (resuming) {
        resuming = false;                 // hidden again before a frame ran: still suspended
    } else {
        emit(EVENT_APPSUSPEND, nullptr);
    }
    return EM_FALSE;
}

// One animation frame at `time` ms: the answers of HttpRequest (the browser edition sends
// none), the pads, the ticks that fell due since the last, then one paint, and the resume of a
// page shown again. As on the desktop, a frame delivers at most a quarter second's ticks and
// the rest wait for the next frames: a visible page that stalled (a slow first picture, a busy
// machine) catches up, so its game is not behind the clock for good. Only the time a hidden
// page missed is dropped (the game goes on, it does not race; the suspend excuses that time),
// and a backlog beyond five seconds, which the score server would not take for a hitch anyway.
void frame(double time) {
    // The sounds decode one an animation frame once the game's first frames are shown; one
    // played before its turn decodes at once.
    if (framesshown >= 3) plat::decodewaiting();
    ops.window->runpending();
    if (menusdirty) showmenus();
    measurerate(time);
    lastframe = time;
    web::pollpads();
    int64_t now = static_cast<int64_t>(time * 1e6);
    for (size_t i = 0; i < tickers.size(); i++) {
        tticker& k = tickers[i];
        TTimer* t = k.t;
        if (k.start_ns < 0) k.start_ns = now;
        int64_t due = ticksdue(now - k.start_ns, t->hz), chunk = std::max<int64_t>(1, static_cast<int64_t>(t->hz / 4));
        int64_t backlog = shownagain ? chunk : static_cast<int64_t>(t->hz * 5);
        if (due - k.delivered > backlog) k.delivered = due - backlog;
        int64_t until = std::min(due, k.delivered + chunk);
        while (i < tickers.size() && tickers[i].t == t && t->running && tickers[i].delivered < until) {
            tickers[i].delivered++;
            t->ticks++;
            emit(EVENT_TIMERTICK, t, t->ticks);
        }
    }
    shownagain = false;
    if (canvas && (canvas->paintpending || paintall)) {
        canvas->paintpending = false;
        emit(EVENT_GADGETPAINT, canvas);
    }
    if (resuming) {
        resuming = false;
        emit(EVENT_APPRESUME, nullptr);
    }
}

EM_BOOL onframe(double time, void*) {
    if (ended) return EM_FALSE;
    frame(time);
    return EM_TRUE;
}

EM_BOOL ontouch(int type, const EmscriptenTouchEvent* e, void*);

struct twindow final : twindowops {
    void init(int, char**) override {
        EmscriptenWebGLContextAttributes a;
        emscripten_webgl_init_context_attributes(&a);
        a.majorVersion = 2;
        a.minorVersion = 0;
        a.alpha = EM_FALSE;
        a.depth = EM_FALSE;
        a.antialias = EM_FALSE;
        a.preserveDrawingBuffer = EM_TRUE;  // the picture can be read back (screenshots, tests)
        // The renderer needs no extension of WebGL 2; asking the browser for every one it has
        // costs a software renderer 0.4 s before the first frame.
        a.enableExtensionsByDefault = EM_FALSE;
        context = emscripten_webgl_create_context(canvasid, &a);
        if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
            tostderr("This game needs WebGL 2, which this browser does not offer.");
            context = 0;
        }
        batch.reset();
        batch.submit = [](tbatch& b) { if (context) gl::submit(b); };
        const char* win = EMSCRIPTEN_EVENT_TARGET_WINDOW;
        emscripten_set_keydown_callback(win, nullptr, EM_TRUE, onkey);
        emscripten_set_keyup_callback(win, nullptr, EM_TRUE, onkey);
        emscripten_set_mousedown_callback(canvasid, nullptr, EM_TRUE, onmouse);
        emscripten_set_mouseup_callback(win, nullptr, EM_TRUE, onmouse);
        emscripten_set_mousemove_callback(canvasid, nullptr, EM_TRUE, onmouse);
        emscripten_set_wheel_callback(canvasid, nullptr, EM_TRUE, onwheel);
        emscripten_set_resize_callback(win, nullptr, EM_TRUE, onresize);
        emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onvisibility);
        for (auto set : {emscripten_set_touchstart_callback_on_thread, emscripten_set_touchmove_callback_on_thread,
                         emscripten_set_touchend_callback_on_thread, emscripten_set_touchcancel_callback_on_thread})
            set(canvasid, nullptr, EM_TRUE, ontouch, EM_CALLBACK_THREAD_CONTEXT_CALLING_THREAD);
        pad::hooks = {[](pad::tsend) { web::pollpads(); }, pad::seen, web::stoppads};
    }
    // The game has ended (Escape, or a replay played to its end): the page says so.
    void shutdown() override {
        ended = true;
        EM_ASM({ if (typeof page !== 'undefined') page.ended(); });
    }

    void createwindow(TGadget* g) override {
        if (!window) window = g;
        measure();
    }
    void createcanvas(TGadget* g) override {
        (void)g;
        measure();
    }
    void createmenu(TGadget* g) override {
        menuitems.push_back(g);
        menusdirty = true;
    }
    void updatemenu(TGadget*) override { menusdirty = true; }
    void updatemenubar(TGadget*) override { menusdirty = true; }
    void settext(TGadget* g) override {
        if (g->kind == tgadgetkind::window) emscripten_set_window_title(utf8(g->text).c_str());
    }
    // The page is the window, which the game can neither move nor size: the window it asks
    // for becomes the page's own shape again, reported back as a move and a resize, and a
    // reset of its size ("Reset windowsize") leaves the browser's full screen.
    void setshape(TGadget* g, int, int) override {
        measure();
        if (g != window || !window) return;
        EM_ASM({ if (document.fullscreenElement) document.exitFullscreen().catch(() => {}); });
        ops.window->later([] {
            if (!window) return;
            measure();
            window->x = window->y = 0;
            emit(EVENT_WINDOWMOVE, window, 0, 0, 0, 0);
            emit(EVENT_WINDOWSIZE, window, 0, 0, window->w, window->h);
        });
    }
    void readshape(TGadget*) override { measure(); }
    int clientwidth(TGadget*) override { return cssw; }
    int clientheight(TGadget*) override { return cssh; }
    int graphicswidth() override { return cssw; }
    int graphicsheight() override { return cssh; }
    void setgraphics(TGadget*) override {
        measure();
        if (context && !gl::ready() && !gl::init(device())) context = 0;
        if (context) gl::target(cssw, cssh, ratio);
    }
    void textentry(bool on) override {
        static bool entering = false;
        if (on != entering) EM_ASM({ page.textentry($0); }, on);
        entering = on;
    }
    void padpointer(bool hidden) override {
        EM_ASM({ document.getElementById('canvas').style.cursor = $0 ? "none" : ""; }, hidden);
    }
    void notify(const std::string& text, int serious) override {
        if (!serious) tostderr(text);
        EM_ASM({ if (typeof page !== 'undefined') page.message(UTF8ToString($0), $1); }, utf8(text).c_str(), serious);
    }
    void onsignal(int sig, std::function<void(int)> fn) override {
        if (sig > 0 && sig < 32) handlers[sig] = std::move(fn);
    }
    // The page's area for the canvas, measured now: start-up asks before the window is made.
    void workarea(int& l, int& t, int& r, int& b) override {
        measure();
        l = t = 0;
        r = cssw;
        b = cssh;
    }

    float displayrate() override { return displayhz; }
    void everyframe(bool on) override { paintall = on; }
    void waitsystem() override { frame(lastframe >= 0 ? lastframe : emscripten_get_now()); }
    [[noreturn]] void run() override {
        emscripten_request_animation_frame_loop(onframe, nullptr);
        emscripten_unwind_to_js_event_loop();
    }
};

struct ttimers final : ttimerops {
    int millisecs() override { return static_cast<int>(monotonicns() / 1000000); }

    void starttimer(TTimer* t, bool stepped) override {
        // counted from the last animation frame: F5's new timer goes on without losing a frame
        if (!stepped) tickers.push_back({t, lastframe >= 0 ? static_cast<int64_t>(lastframe * 1e6) : -1});
    }
    void stoptimer(TTimer* t) override {
        std::erase_if(tickers, [t](const tticker& k) { return k.t == t; });
    }
    // by the animation frame's own time, which the ticks fell due by
    float fraction(TTimer* t) override {
        for (const tticker& k : tickers)
            if (k.t == t && k.start_ns >= 0 && lastframe >= 0) {
                auto since = static_cast<double>(static_cast<int64_t>(lastframe * 1e6) - k.start_ns -
                                                 tickat(k.delivered, t->hz));
                return static_cast<float>(since * t->hz / 1e9);
            }
        return 1;
    }
};

struct tdrawing final : tdrawops {
    bool ready() override { return context && gl::ready(); }
    // The patches a transparent texel leaves out are noted too: a software rasteriser then
    // never visits the empty sky above the skyline.
    void upload(tplace& p, TImage* img, int frame) override {
        gl::upload(p, img, frame);
        atlas::survey(p, img, frame);
    }
    void clear(const tbatchstate& st) override {
        if (context) gl::clear(st);
    }
    double interface() override {
        if (!context || !gl::apart()) return 0;
        batch.flush();                    // the scene's last calls, before it is shown
        return gl::interface();
    }
    void present() override {
        if (context && gl::ready()) gl::show();   // a scene drawn apart, scaled to the buffer
        framesshown++;
        EM_ASM({ Module['presented'] = $0; }, framesshown);   // for the page's tests and benchmark
    }
    void grab(int x, int y, int w, int h, TPixmap& out) override {
        if (!context || w <= 0 || h <= 0) return;
        int dx = static_cast<int>(x * ratio), dy = static_cast<int>(y * ratio);
        int dw = static_cast<int>(w * ratio), dh = static_cast<int>(h * ratio);
        std::vector<uint8_t> dev(static_cast<size_t>(dw) * dh * 4);
        gl::readfront(dx, dy, dw, dh, dev.data());
        out.width = w;
        out.height = h;
        out.pitch = w * 4;
        out.format = PF_RGBA8888;
        out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
        for (int yy = 0; yy < h; yy++)
            for (int xx = 0; xx < w; xx++) {
                int sx = std::min(dw - 1, static_cast<int>(xx * ratio)), sy = std::min(dh - 1, static_cast<int>(yy * ratio));
                std::copy_n(&dev[(static_cast<size_t>(sy) * dw + sx) * 4], 4, &out.pixels[(static_cast<size_t>(yy) * w + xx) * 4]);
            }
    }
    int presented() override { return framesshown; }
    void renderscale(float pixels, float interface) override {
        if (pixels == limit && interface == interfacelimit) return;
        limit = pixels;
        interfacelimit = interface;
        measure();
        gl::newbuffers();
        if (context && gl::ready()) gl::target(cssw, cssh, ratio);
        if (canvas) canvas->paintpending = true;
    }
    bool software() override { return context && gl::ready() && gl::software(); }
};

struct tnetwork final : tnetops {
    // HTTP through the page's fetch (a score server elsewhere must allow the page's origin:
    // its --allow-origin); the answer comes back on a later animation frame.
    void http(const thttprequest& r, thttpdone done) override {
        int id = httpnext++;
        httpwaiting[id] = std::move(done);
        EM_ASM({ page.http($0, UTF8ToString($1), UTF8ToString($2), HEAPU8.slice($3, $3 + $4), UTF8ToString($5)); },
               id, r.method.c_str(), r.url.c_str(), r.body.data(), r.body.size(), r.type.c_str());
    }
    // A second copy of the game is a second tab: "Watch the best game" (--replay FILE) opens
    // the page on the file, handed over as a blob that the tab's ?replay= reads. False for
    // anything else, or when the browser blocks the new tab.
    bool startself(const std::vector<std::string>& args) override {
        if (args.size() != 2 || args[0] != "--replay") return false;
        return EM_ASM_INT({
            try {
                const blob = URL.createObjectURL(new Blob([FS.readFile(UTF8ToString($0))]));
                return window.open(location.pathname + '?replay=' + encodeURIComponent(blob), '_blank') ? 1 : 0;
            } catch (e) {
                return 0;
            }
        }, args[1].c_str()) != 0;
    }
    // The browser's own tab for the address (the score server's page).
    bool openurl(const std::string& url) override {
        return EM_ASM_INT({ return typeof window !== 'undefined' && window.open(UTF8ToString($0), '_blank') ? 1 : 0; },
                          url.c_str()) != 0;
    }
};

}  // namespace

// The page's fetch has an answer for request `id`: `len` bytes of it go to the returned place
// first, then vh_httpanswer hands it to the game (status 0: no answer, the bytes say why).
extern "C" EMSCRIPTEN_KEEPALIVE char* vh_httpspace(int len) {
    httpbytes.assign(static_cast<size_t>(std::max(len, 0)), '\0');
    return httpbytes.data();
}

extern "C" EMSCRIPTEN_KEEPALIVE void vh_httpanswer(int id, int status) {
    auto i = httpwaiting.find(id);
    if (i == httpwaiting.end()) return;
    thttpdone done = std::move(i->second);
    httpwaiting.erase(i);
    thttpanswer a;
    a.status = status;
    (status ? a.body : a.error) = httpbytes;
    ops.window->later([done, a] { done(a); });
}

// The page raises a signal (SIGHUP when it goes away: the page then keeps the settings).
extern "C" EMSCRIPTEN_KEEPALIVE void vh_signal(int sig) {
    if (sig > 0 && sig < 32 && handlers[sig]) handlers[sig](sig);
}

namespace {

// The page's touch screen: a finger aims and presses the touch "button", which fires the
// nearest ready turret whatever the mouse option; the page's Start and Pause buttons press keys.
EM_BOOL ontouch(int type, const EmscriptenTouchEvent* e, void*) {
    if (!canvas || e->numTouches < 1) return EM_FALSE;
    const EmscriptenTouchPoint* p = &e->touches[0];
    for (int i = 0; i < e->numTouches; i++)
        if (e->touches[i].isChanged) {
            p = &e->touches[i];
            break;
        }
    int x = static_cast<int>(p->targetX), y = static_cast<int>(p->targetY);
    emit(EVENT_MOUSEMOVE, canvas, 0, 0, x, y);
    if (type == EMSCRIPTEN_EVENT_TOUCHSTART) {
        wakeaudio();
        emit(EVENT_MOUSEDOWN, canvas, MOUSE_TOUCH, 0, x, y);
    } else if (type == EMSCRIPTEN_EVENT_TOUCHEND || type == EMSCRIPTEN_EVENT_TOUCHCANCEL) {
        emit(EVENT_MOUSEUP, canvas, MOUSE_TOUCH, 0, x, y);
    }
    // the page's touch buttons, and the device's keyboard for a name (some devices bring it up
    // only for a focus at the end of a touch)
    if (type == EMSCRIPTEN_EVENT_TOUCHSTART || type == EMSCRIPTEN_EVENT_TOUCHEND) EM_ASM(page.touched());
    return EM_TRUE;                       // no scrolling, zooming or mouse events made up from it
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void vh_presskey(int vk) {
    if (!canvas) return;
    wakeaudio();
    emit(EVENT_KEYDOWN, canvas, vk, 0);
    emit(EVENT_KEYUP, canvas, vk, 0);
}

// A character typed on the device's own keyboard (the page's text field while the game waits
// for a name): a Latin-1 code, as a key's KeyChar.
extern "C" EMSCRIPTEN_KEEPALIVE void vh_typechar(int ch) {
    if (canvas && ch >= 32 && ch <= 255) emit(EVENT_KEYCHAR, canvas, ch, 0);
}

// The page's menu bar: the player chose entry `index`.
extern "C" EMSCRIPTEN_KEEPALIVE void vh_menuaction(int index) {
    if (index < 0 || index >= static_cast<int>(menuitems.size())) return;
    TGadget* g = menuitems[static_cast<size_t>(index)];
    if (g->enabled) emit(EVENT_MENUACTION, g, g->tag);
}

namespace {

// Emscripten's OpenAL on Web Audio, opened once the game has shown its first frames (or
// before, for the first sound played): making the page's audio context costs a software-
// rendered page half a second. Until then the channels wait for their voices.
struct tlatersound final : plat::tsoundops {
    al::tsound device;
    bool opened = false, present = false;
    bool open() {
        if (!opened) {
            opened = true;
            present = device.audio();
            if (present) plat::givevoices();
        }
        return present;
    }
    bool live(TChannel& c) { return opened && present && c.voice; }
    bool audio() override { return opened ? present : true; }
    void loadsound(TSound& s) override {
        if (open()) device.loadsound(s);
    }
    void newvoice(TChannel& c) override {
        if (opened && present) device.newvoice(c);
    }
    void cue(TChannel& c) override {
        open();
        if (live(c)) device.cue(c);
    }
    void play(TChannel& c) override {
        if (live(c)) device.play(c);
    }
    void pause(TChannel& c) override {
        if (live(c)) device.pause(c);
    }
    void stop(TChannel& c) override {
        if (live(c)) device.stop(c);
    }
    void volume(TChannel& c) override {
        if (live(c)) device.volume(c);
    }
    void pan(TChannel& c) override {
        if (live(c)) device.pan(c);
    }
    void rate(TChannel& c) override {
        if (live(c)) device.rate(c);
    }
    bool finished(TChannel& c) override { return live(c) && device.finished(c); }
    void silentrun() override {
        if (opened) device.silentrun();
    }
    void audioshutdown() override {
        if (opened) device.audioshutdown();
    }
};

struct toffer {
    toffer() {
        static twindow w;
        static ttimers t;
        static tdrawing d;
        static tlatersound s;
        static tnetwork n;
        plat::offer(tbackend::web, {&w, &t, &d, &s, &n});
        plat::soundslater = plat::peekogg;   // the start waits for no sound
    }
} offered;

}  // namespace
