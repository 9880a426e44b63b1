// The drawing state and drawing operations, hooks, events, timers and clocks, shared by the
// back ends: what a back end does itself it is asked through plat::ops's tables (platform/backend.h).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/internal.h"

namespace plat {
thread_local tdrawstate state;
thread_local tbatch batch;
thread_local TGadget* canvas = nullptr;
thread_local bool linesmooth = false;
thread_local bool trimming = true;
thread_local bool texelforpixel = true;
thread_local double drawnratio = 1;
}  // namespace plat

using namespace plat;

namespace {
// The scene's drawn ratio while the interface is drawn at its own (DrawInterface), 0 otherwise.
thread_local double sceneratio = 0;
thread_local float modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
thread_local std::vector<std::array<float, 16>> mvstack;

// The back ends built into the program, by kind; headless is always there.
struct toffer {
    tbackend kind;
    tbackendops ops;
    bool started;
};
std::vector<toffer>& offers() {
    static std::vector<toffer> o{{tbackend::headless, headless(), true}};
    return o;
}
tbackend chosen = tbackend::headless;
}  // namespace

namespace {
std::vector<void (*)()>& touchers() {
    static std::vector<void (*)()> t;   // filled by the files' static start, before main()
    return t;
}
}  // namespace

bool ThreadState(void (*touch)()) {
    touchers().push_back(touch);
    touch();
    return true;
}

void EnterThread() {
    thread_local bool entered = false;
    if (entered) return;
    entered = true;
    for (auto touch : touchers()) touch();
}

void ReleaseWorld() {
    // a window system or a sound device may hold them: only a headless world's are let go
    if (chosen != tbackend::headless) return;
    releasegadgets();
    releasechannels();
}

// The thread-locals of this file that other files reach.
const bool coreready = ThreadState([] { (void)&plat::batch; });

static void RunHooks(int hook, void* data);   // the hooks of AddHook, in their order

namespace pad {
thooks hooks = {[](tsend) {}, [](const TEvent*) {}, [] {}};
}

namespace plat {
tsoundops nosound;
tnetops nonetwork;
tbackendops ops = headless();

void offer(tbackend kind, tbackendops b) { offers().push_back({kind, b, false}); }

void tnetops::http(const thttprequest& r, thttpdone done) {
    (void)r;
    ops.window->later([done] { done(thttpanswer{0, "", "no network in this build"}); });
}
}  // namespace plat

// ---------------------------------------------------------------------------------------------
// Start and stop

bool PlatformInit(tbackend kind, int argc, char** argv) {
    for (toffer& o : offers()) {
        if (o.kind != kind && (kind != tbackend::windowed || o.kind == tbackend::headless)) continue;
        chosen = o.kind;
        ops = o.ops;
        if (!o.started) {
            o.started = true;
            ops.window->init(argc, argv);
        }
        return true;
    }
    std::fprintf(stderr, "varnhold: this build has no window: run it with --headless\n");
    return false;
}

tbackend PlatformBackend() { return chosen; }

void PlatformShutdown() {
    pad::hooks.stop();
    audioshutdown();
    ops.window->shutdown();
}

void EndProcess(int status) {
    PlatformShutdown();
    std::fflush(stdout);
    std::fflush(stderr);
    // Leaving at once: the caller may be deep inside a window-system callback, where tearing the
    // toolkit down in order is not safe. The game has saved what it keeps before it gets here.
    _exit(status);
}

// ---------------------------------------------------------------------------------------------
// Drawing state

const tdrawstate& DrawState() { return state; }

static void settform() {
    double s = std::sin(state.tform_rot * 0.017453292519943295), c = std::cos(state.tform_rot * 0.017453292519943295);
    state.tform_ix = static_cast<float>(c * state.tform_scale_x);
    state.tform_iy = static_cast<float>(-s * state.tform_scale_y);
    state.tform_jx = static_cast<float>(s * state.tform_scale_x);
    state.tform_jy = static_cast<float>(c * state.tform_scale_y);
}

void SetColor(int r, int g, int b) {
    state.color_red = std::clamp(r, 0, 255);
    state.color_green = std::clamp(g, 0, 255);
    state.color_blue = std::clamp(b, 0, 255);
}

void SetAlpha(float a) {
    if (!(a > 0)) a = 0;                  // NaN counts as 0
    state.color_alpha = a > 1 ? 1 : a;
}

void SetBlend(int mode) { state.blend_mode = mode; }
void SetRotation(float degrees) {
    state.tform_rot = degrees;
    settform();
}
void SetScale(float sx, float sy) {
    state.tform_scale_x = sx;
    state.tform_scale_y = sy;
    settform();
}
void SetTransform(float degrees, float sx, float sy) {
    state.tform_rot = degrees;
    state.tform_scale_x = sx;
    state.tform_scale_y = sy;
    settform();
}
void SetViewport(int x, int y, int w, int h) {
    state.viewport_x = x;
    state.viewport_y = y;
    state.viewport_w = w;
    state.viewport_h = h;
}
void SetLineWidth(float width) { state.line_width = width; }
void SetOrigin(float x, float y) {
    state.origin_x = x;
    state.origin_y = y;
}
void SetHandle(float x, float y) {
    state.handle_x = x;
    state.handle_y = y;
}

// ---------------------------------------------------------------------------------------------
// Modelview

void ModelviewIdentity() {
    static const float id[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(modelview, id, sizeof modelview);
}
void ModelviewScale(float sx, float sy) {
    for (int i = 0; i < 4; i++) {
        modelview[i] *= sx;
        modelview[4 + i] *= sy;
    }
}
void ModelviewPush() {
    std::array<float, 16> m;
    std::memcpy(m.data(), modelview, sizeof modelview);
    mvstack.push_back(m);
}
void ModelviewPop() {
    if (mvstack.empty()) return;
    std::memcpy(modelview, mvstack.back().data(), sizeof modelview);
    mvstack.pop_back();
}
void ModelviewLoad(const float m[16]) {
    if (m) std::memcpy(modelview, m, sizeof modelview);
}
const float* Modelview() { return modelview; }
void EnableLineSmooth() { linesmooth = true; }

// ---------------------------------------------------------------------------------------------
// Drawing

namespace {

inline void record(tdrawrecord::kind op, const TImage* img, int frame, float x, float y, float x2, float y2,
                   const std::string* text = nullptr) {
    ops.drawing->record(op, img, frame, x, y, x2, y2, text);
}

tbatchstate pipeline() {
    tbatchstate st;
    st.blend = state.blend_mode;
    st.sx = state.viewport_x;
    st.sy = state.viewport_y;
    st.sw = state.viewport_w;
    st.sh = state.viewport_h;
    return st;
}

// Local point (u, v) through the drawing state's matrix at (x, y), then the modelview.
inline void place(float u, float v, float x, float y, float* out) {
    float px = u * state.tform_ix + v * state.tform_iy + x + state.origin_x;
    float py = u * state.tform_jx + v * state.tform_jy + y + state.origin_y;
    out[0] = modelview[0] * px + modelview[4] * py + modelview[12];
    out[1] = modelview[1] * px + modelview[5] * py + modelview[13];
}

inline uint8_t alphabyte() { return static_cast<uint8_t>(state.color_alpha * 255); }

// Under the alpha and light blends a pixel of opacity 0 leaves the canvas as it was, and the
// mask blend drops every pixel below half opacity.
inline bool keepsclear(int blend) { return blend == BLEND_ALPHA || blend == BLEND_LIGHT || blend == BLEND_MASK; }
inline bool invisible(int blend, uint8_t a) {
    return keepsclear(blend) && (a == 0 || (blend == BLEND_MASK && a < 128));
}

// Texel for pixel: a canvas scale that makes a texel one drawn pixel, a canvas coordinate on a
// drawn pixel's edge. At one drawn pixel to a canvas pixel exactly; under a render scale
// within a rounding step of the products (the linear filter would mix in a thousandth of a
// neighbour, below one level of 255).
inline bool texelsize(float m) { return drawnratio == 1 ? m == 1 : std::fabs(m * drawnratio - 1) < 1e-4; }
inline bool wholepixel(float v) {
    if (drawnratio == 1) return v == std::floor(v);
    double d = v * drawnratio;
    return std::fabs(d - std::round(d)) < 1e-3;
}

void corners(float x0, float y0, float x1, float y1, float x, float y, float xy[8]) {
    place(x0, y0, x, y, xy);
    place(x1, y0, x, y, xy + 2);
    place(x1, y1, x, y, xy + 4);
    place(x0, y1, x, y, xy + 6);
}

// A picture of one colour a row, drawn upright: its bands (see tplace), coloured at their top
// and bottom edges, give each pixel what the texture would without sampling it. Only the
// bands the scissor lets through are made: the sky's gradient is six times as high as the
// canvas.
void drawrows(const TImage* image, const tplace& p, float x, float y, const tbatchstate& st, const uint8_t tint[4]) {
    const float hx = image->handle_x, hy = image->handle_y, w = static_cast<float>(image->width);
    const float n = static_cast<float>(image->height);
    float top[2], bottom[2];
    place(-hx, -hy, x, y, top);
    place(-hx, n - hy, x, y, bottom);
    float dy = bottom[1] - top[1];
    if (!(std::fabs(dy) > 0)) return;
    // the picture rows (0 at the top edge) that reach the scissor
    float va = (static_cast<float>(st.sy) - top[1]) / dy * n, vb = (static_cast<float>(st.sy + st.sh) - top[1]) / dy * n;
    if (va > vb) std::swap(va, vb);
    auto colour = [&](int row, uint8_t* out) {
        const uint8_t* c = &p.rows[static_cast<size_t>(row) * 4];
        for (int k = 0; k < 4; k++) out[k] = static_cast<uint8_t>((c[k] * tint[k] + 127) / 255);
    };
    uint8_t rgba[16];
    float xy[8];
    for (const tband& b : p.bands) {
        if (b.v1 < va || b.v0 > vb) continue;
        corners(-hx, b.v0 - hy, w - hx, b.v1 - hy, x, y, xy);
        colour(b.ra, rgba);
        colour(b.ra, rgba + 4);
        colour(b.rb, rgba + 8);
        colour(b.rb, rgba + 12);
        batch.shaded(st, xy, rgba);
    }
}

}  // namespace

void DrawImage(TImage* image, float x, float y, int frame) {
    if (!image || frame < 0 || frame >= static_cast<int>(image->pixmaps.size())) return;
    record(tdrawrecord::image, image, frame, x, y, 0, 0);
    uint8_t a = alphabyte();
    if (invisible(state.blend_mode, a)) return;
    const tplace* p = texture(image, frame);
    if (!p) return;                       // no graphics to draw into yet
    tbatchstate st = pipeline();
    const uint8_t r = static_cast<uint8_t>(state.color_red), g = static_cast<uint8_t>(state.color_green),
                  b = static_cast<uint8_t>(state.color_blue);
    float xy[8];
    const float hx = image->handle_x, hy = image->handle_y;
    // Patches are drawn only for a picture kept upright: the rasteriser then gives each pixel
    // of a patch bit for bit the texel coordinates of the whole quad (a turned quad's edges
    // would make it interpolate from other corners, off by a rounding step now and then).
    bool upright = state.tform_iy == 0 && state.tform_jx == 0 && modelview[1] == 0 && modelview[4] == 0;
    if (!p->rows.empty() && upright && !(image->flags & IMG_MIPMAPPED)) {
        const uint8_t tint[4] = {r, g, b, a};
        drawrows(image, *p, x, y, st, tint);
        return;
    }
    corners(-hx, -hy, image->width - hx, image->height - hy, x, y, xy);
    st.nearest = texelforpixel && upright && (image->flags & IMG_FILTERED) && !(image->flags & IMG_MIPMAPPED) &&
                 state.tform_ix == 1 && state.tform_jy == 1 && texelsize(modelview[0]) && texelsize(modelview[5]) &&
                 wholepixel(xy[0]) && wholepixel(xy[1]) &&
                 static_cast<float>(image->width) * static_cast<float>(image->height) >= tbatch::large;
    if (!p->trimmed || !keepsclear(st.blend) || !trimming || !upright) {
        const float uv[8] = {p->u0, p->v0, p->u1, p->v0, p->u1, p->v1, p->u0, p->v1};
        batch.quad(st, p->tex, xy, uv, r, g, b, a);
        return;
    }
    // Only the patches that can show anything. A patch's corners go through the same
    // arithmetic as the whole picture's, so neighbouring patches share their edges exactly
    // and every pixel is drawn once, with the texel coordinates the whole quad would give it.
    const tatlastexture& t = atlas::textures[p->tex - 1];
    const float tw = static_cast<float>(t.w), th = static_cast<float>(t.h);
    for (const tpatch& c : p->patches) {
        corners(static_cast<float>(c.x0) - hx, static_cast<float>(c.y0) - hy, static_cast<float>(c.x1) - hx,
                static_cast<float>(c.y1) - hy, x, y, xy);
        float u0 = static_cast<float>(p->x + c.x0) / tw, u1 = static_cast<float>(p->x + c.x1) / tw;
        float v0 = static_cast<float>(p->y + c.y0) / th, v1 = static_cast<float>(p->y + c.y1) / th;
        const float uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
        batch.quad(st, p->tex, xy, uv, r, g, b, a);
    }
}

void DrawRect(float x, float y, float w, float h) {
    record(tdrawrecord::rect, nullptr, 0, x, y, w, h);
    if (invisible(state.blend_mode, alphabyte())) return;
    float xy[8];
    corners(-state.handle_x, -state.handle_y, w - state.handle_x, h - state.handle_y, x, y, xy);
    batch.quad(pipeline(), 0, xy, nullptr, static_cast<uint8_t>(state.color_red),
               static_cast<uint8_t>(state.color_green), static_cast<uint8_t>(state.color_blue), alphabyte());
}

// A line is a quad `line_width` pixels across, from half a pixel before its start to half a pixel
// short of its end, or half a pixel beyond it when the last pixel is plotted too.
void DrawLine(float x, float y, float x2, float y2, int lastpixel) {
    record(tdrawrecord::line, nullptr, 0, x, y, x2, y2);
    if (invisible(state.blend_mode, alphabyte())) return;
    float a[2], b[2];
    place(-state.handle_x, -state.handle_y, x, y, a);
    place(x2 - x - state.handle_x, y2 - y - state.handle_y, x, y, b);
    float dx = b[0] - a[0], dy = b[1] - a[1];
    float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0)) {
        if (!lastpixel) return;
        dx = 1;
        dy = 0;
    } else {
        dx /= len;
        dy /= len;
    }
    float hw = (state.line_width > 0 ? state.line_width : 1) * 0.5f;
    // A smooth line is half a pixel wider on each side, where its coverage falls to nothing.
    float edge = linesmooth ? hw + 0.5f : hw;
    float nx = -dy * edge, ny = dx * edge;
    float sx = a[0] - dx * 0.5f, sy = a[1] - dy * 0.5f;
    float e = lastpixel ? 0.5f : -0.5f;
    float ex = b[0] + dx * e, ey = b[1] + dy * e;
    float xy[8] = {sx + nx, sy + ny, ex + nx, ey + ny, ex - nx, ey - ny, sx - nx, sy - ny};
    // coverage falls from 1 at half a pixel inside the width to 0 half a pixel outside it
    float reach = hw + 0.5f;
    float across[8] = {reach, edge, reach, edge, reach, -edge, reach, -edge};
    batch.quad(pipeline(), 0, xy, nullptr, static_cast<uint8_t>(state.color_red),
               static_cast<uint8_t>(state.color_green), static_cast<uint8_t>(state.color_blue), alphabyte(),
               linesmooth ? across : nullptr);
}

void Cls() {
    record(tdrawrecord::cls, nullptr, 0, 0, 0, 0, 0);
    batch.flush();
    ops.drawing->clear(pipeline());
}

void Flip(int sync) {
    (void)sync;
    record(tdrawrecord::flip, nullptr, 0, 0, 0, 0, 0);
    batch.present();
    ops.drawing->present();
    if (sceneratio > 0) drawnratio = sceneratio;   // the next frame's scene
    sceneratio = 0;
    RunHooks(HOOK_FLIP, nullptr);
}

void GrabFrontBuffer(int x, int y, int w, int h, TPixmap& out) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    out.width = w;
    out.height = h;
    out.pitch = w * 4;
    out.format = PF_RGBA8888;
    out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
    if (w > 0 && h > 0) ops.drawing->grab(x, y, w, h, out);
}

void DrawNote(const std::string& text, float x, float y, float scale) {
    record(tdrawrecord::note, nullptr, 0, x, y, scale, scale, &text);
}

int DrawCallsLastFrame() { return batch.lastcalls; }
int DrawCallsThisFrame() { return batch.calls; }

void ShowStats(bool on) { ops.drawing->stats(on); }
void SetRenderScale(float pixels, float interface) {
    pixels = pixels > 0 ? pixels : 0;
    interface = interface > 0 ? interface : 0;
    ops.drawing->renderscale(pixels, pixels > 0 && interface > 0 ? std::max(interface, pixels) : interface);
}

void DrawInterface() {
    record(tdrawrecord::interface, nullptr, 0, 0, 0, 0, 0);
    if (double r = ops.drawing->interface(); r > 0) {
        sceneratio = drawnratio;
        drawnratio = r;
    }
}
int SoftwareRenderer() { return ops.drawing->software() ? 1 : 0; }
int FramesPresented() { return ops.drawing->presented(); }
float DisplayRate() { return ops.window->displayrate(); }
void PaintEveryFrame(bool on) { ops.window->everyframe(on); }

// ---------------------------------------------------------------------------------------------
// Hooks and events

namespace {
struct thook {
    int id;
    thookfn fn;
    void* context;
    int priority;
};
thread_local std::vector<std::shared_ptr<thook>> hooks;
thread_local TEvent* current = nullptr;
thread_local TEvent eventring[1024];
thread_local unsigned eventnext = 0;
}  // namespace

void AddHook(int hook, thookfn fn, void* context, int priority) {
    auto at = hooks.begin();
    while (at != hooks.end() && (*at)->priority >= priority) ++at;
    hooks.insert(at, std::make_shared<thook>(thook{hook, std::move(fn), context, priority}));
}

void RemoveHooks(int hook) {
    std::erase_if(hooks, [hook](const std::shared_ptr<thook>& h) { return h->id == hook; });
}

static void RunHooks(int hook, void* data) {
    // A hook may add or remove hooks while it runs: walk the ones present now, kept alive by
    // a snapshot (on the stack for the usual few, so an event costs no allocation).
    constexpr size_t few = 8;
    std::shared_ptr<thook> local[few];
    std::vector<std::shared_ptr<thook>> many;
    size_t n = 0;
    for (auto& h : hooks) {
        if (h->id != hook) continue;
        if (n < few) {
            local[n] = h;
        } else {
            if (many.empty()) many.assign(local, local + few);
            many.push_back(h);
        }
        n++;
    }
    for (size_t i = 0; i < n; i++) {
        thook& h = n <= few ? *local[i] : *many[i];
        data = h.fn(hook, data, h.context);
    }
}

TEvent* CurrentEvent() { return current; }
void SetCurrentEvent(TEvent* event) { current = event; }

TEvent* CreateEvent(int id, void* source, int data, int mods, int x, int y, void* extra) {
    TEvent* e = &eventring[eventnext++ % 1024];
    *e = TEvent{id, source, data, mods, x, y, extra};
    return e;
}

void EmitEvent(TEvent* event) {
    pad::hooks.seen(event);
    RunHooks(HOOK_EMITEVENT, event);
}

void plat::emit(int id, void* source, int data, int mods, int x, int y) {
    EmitEvent(CreateEvent(id, source, data, mods, x, y));
}

// ---------------------------------------------------------------------------------------------
// Timers and clocks

int64_t monotonicns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t ticksdue(int64_t elapsed_ns, double hz) {
    if (elapsed_ns <= 0 || !(hz > 0)) return 0;
    double whole;
    if (std::modf(hz, &whole) == 0 && whole < 1e6) {
        // Whole rates count exactly: tick n is due at n * 1e9 / hz ns, rounded up.
        int64_t h = static_cast<int64_t>(whole);
        int64_t s = elapsed_ns / 1000000000, r = elapsed_ns % 1000000000;
        return s * h + r * h / 1000000000;
    }
    return static_cast<int64_t>(std::floor(static_cast<double>(elapsed_ns) * hz / 1e9));
}

int64_t tickat(int64_t n, double hz) {
    if (!(hz > 0)) return INT64_MAX;
    double whole;
    if (std::modf(hz, &whole) == 0 && whole < 1e6) {
        int64_t h = static_cast<int64_t>(whole);
        int64_t s = n / h, r = n % h;
        return s * 1000000000 + (r * 1000000000 + h - 1) / h;
    }
    return static_cast<int64_t>(std::ceil(static_cast<double>(n) * 1e9 / hz));
}

namespace {
// The running timers. A stopped one is kept (its count still reads) until the next timer is
// stopped: F5 replaces the frame timer at every press and release, and keeping them all
// would grow the process for as long as it runs.
thread_local std::vector<std::unique_ptr<TTimer>> timers;
thread_local std::unique_ptr<TTimer> laststopped;
}

TTimer* CreateTimer(float hz, bool stepped) {
    auto t = std::make_unique<TTimer>();
    t->hz = hz > 0 ? hz : 1;
    timers.push_back(std::move(t));
    ops.timers->starttimer(timers.back().get(), stepped);
    return timers.back().get();
}

void StopTimer(TTimer* timer) {
    if (!timer || !timer->running) return;
    timer->running = false;
    // The back end also drops the ticks of this timer that still wait for the game, so no
    // event names it once it is freed.
    ops.timers->stoptimer(timer);
    for (auto it = timers.begin(); it != timers.end(); ++it)
        if (it->get() == timer) {
            laststopped = std::move(*it);
            timers.erase(it);
            break;
        }
}

int TimerTicks(TTimer* timer) { return timer ? timer->ticks : 0; }

void StepTimer(TTimer* timer) {
    if (!timer || !timer->running) return;
    ops.timers->beforestep();
    timer->ticks++;
    emit(EVENT_TIMERTICK, timer, timer->ticks);
}

void WaitSystem() { ops.window->waitsystem(); }
float TimerFraction(TTimer* timer) {
    if (!timer || !timer->running) return 1;
    float f = ops.timers->fraction(timer);
    return f > 0 ? (f < 1 ? f : 1) : 0;
}

void RunLoop() { ops.window->run(); }
int MilliSecs() { return ops.timers->millisecs(); }

void OnSignal(int sig, std::function<void(int)> fn) { ops.window->onsignal(sig, std::move(fn)); }

// ---------------------------------------------------------------------------------------------
// The network and the player's other programs

void HttpRequest(const thttprequest& request, thttpdone done) { ops.network->http(request, std::move(done)); }

bool OpenURL(const std::string& url) { return ops.network->openurl(url); }

bool StartSelf(const std::vector<std::string>& args) { return ops.network->startself(args); }
