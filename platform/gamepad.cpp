// The pads' mapping, shared by the back ends that read pads (SDL's game controllers on the
// desktop, the browser's Gamepad API): a back end says which buttons each pad holds and where
// its left stick stands; this turns them into the canvas events they stand for.
//
// The crosshair lives on the playfield: the left stick and the d-pad move a cursor kept here in
// canvas pixels (600 playfield units a second at full tilt, whatever the window's size) and each
// move goes out as a MouseMove, as the mouse's would. The mouse's own moves put the cursor where
// the mouse is, so the two take turns.
#include "platform/gamepad.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <cstdio>

#include "platform/backend.h"
#include "platform/internal.h"

namespace {

constexpr float deadzone = 8000.0f / 32767.0f;   // stick deflection that moves nothing
constexpr float topspeed = 600;                   // playfield units a second at full deflection
constexpr float dpadspeed = 120, dpadramp = 800;  // d-pad: units a second at first, gained per second held
constexpr float longest = 0.1f;                   // seconds: a late poll moves no further than this
constexpr int repeatdelay = 400, repeatrate = 100;   // ms: a held d-pad or Y repeats like a held key

std::vector<pad::tpad> pads;
std::vector<std::string> reported;        // pads without mapping already reported, by their key
float cx = -1, cy = -1;                   // the cursor in canvas pixels; -1 until known
bool aiming = false;                      // the pad has the cursor (the pointer is hidden)
bool hidden = false;
bool sending = false;                     // an event of the pad is on its way
int lastms = 0;
bool timed = false;                       // lastms holds the time of a poll
pad::tsend out = nullptr;

constexpr uint32_t bit(int b) { return 1u << b; }
constexpr uint32_t dpadbits = bit(PAD_DPUP) | bit(PAD_DPDOWN) | bit(PAD_DPLEFT) | bit(PAD_DPRIGHT);

void send(int id, int data = 0) {
    if (!out) return;
    sending = true;
    out(id, data, std::max(0, static_cast<int>(cx)), std::max(0, static_cast<int>(cy)));
    sending = false;
}

void pointer(bool hide) {
    hidden = hide;
    plat::ops.window->padpointer(hide);
}

// The key a button stands for; 0 for none. X, A, B sit left, bottom and right: the keys of the
// left, middle and right turret.
int keyof(int b) {
    switch (b) {
    case PAD_X: return 'A';
    case PAD_A: return 'S';
    case PAD_B: return 'D';
    case PAD_Y: return 46;                // Delete: the character under the cursor
    case PAD_START: return 13;            // Return
    case PAD_BACK: return 'P';
    case PAD_DPUP: return KEY_PADUP;
    case PAD_DPDOWN: return KEY_PADDOWN;
    case PAD_DPLEFT: return KEY_PADLEFT;
    case PAD_DPRIGHT: return KEY_PADRIGHT;
    default: return 0;
    }
}

// Playfield units a second the pad asks for, both sticks and d-pads of all pads together.
void velocity(int now, float& vx, float& vy) {
    vx = vy = 0;
    for (auto& p : pads) {
        float sx = std::clamp(p.sx, -1.0f, 1.0f), sy = std::clamp(p.sy, -1.0f, 1.0f);
        float m = std::min(1.0f, std::hypot(sx, sy));
        if (m <= deadzone) {
            p.armed = true;
        } else if (p.armed) {
            // slow near the dead zone for fine aim, fast at the rim
            float t = (m - deadzone) / (1 - deadzone);
            float speed = topspeed * t * t / std::hypot(sx, sy);
            vx += sx * speed;
            vy += sy * speed;
        } else if (!p.warned) {
            // off centre from the start: a worn stick or an axis that is no stick at all
            p.warned = true;
            std::fprintf(stderr, "varnhold: the stick of \"%s\" rests off centre and moves nothing until let go\n",
                         p.name.c_str());
        }
        int dx = (p.held & bit(PAD_DPRIGHT) ? 1 : 0) - (p.held & bit(PAD_DPLEFT) ? 1 : 0);
        int dy = (p.held & bit(PAD_DPDOWN) ? 1 : 0) - (p.held & bit(PAD_DPUP) ? 1 : 0);
        if (dx || dy) {
            float speed = std::min(topspeed, dpadspeed + dpadramp * static_cast<float>(now - p.dpadsince) / 1000);
            if (dx && dy) speed *= 0.70710678f;
            vx += static_cast<float>(dx) * speed;
            vy += static_cast<float>(dy) * speed;
        }
    }
    float v = std::hypot(vx, vy);
    if (v > topspeed) {
        vx *= topspeed / v;
        vy *= topspeed / v;
    }
}

void aim(int now, float dt) {
    float vx, vy;
    velocity(now, vx, vy);
    if ((vx == 0 && vy == 0) || dt <= 0) return;
    // canvas pixels per playfield unit, as the game scales its view
    float s = std::min(GraphicsWidth() / 800.0f, GraphicsHeight() / 400.0f);
    if (!(s > 0)) return;
    if (cx < 0) {                         // the mouse was never seen: start in the middle
        cx = 400 * s;
        cy = 200 * s;
    }
    int ox = static_cast<int>(cx), oy = static_cast<int>(cy);
    cx = std::clamp(cx + vx * s * dt, 0.0f, std::max(0.0f, 800 * s - 1));
    cy = std::clamp(cy + vy * s * dt, 0.0f, std::max(0.0f, 400 * s - 1));
    if (aiming && static_cast<int>(cx) == ox && static_cast<int>(cy) == oy) return;
    if (!aiming) {
        // the crosshair shows where the pad aims, wherever the pointer is
        aiming = true;
        send(EVENT_MOUSEENTER);
        pointer(true);
    }
    send(EVENT_MOUSEMOVE);
}

}  // namespace

pad::tpad* pad::find(int id) {
    for (auto& p : pads)
        if (p.id == id) return &p;
    return nullptr;
}

pad::tpad& pad::add(int id, const std::string& name) {
    if (tpad* p = find(id)) return *p;
    tpad p;
    p.id = id;
    p.name = name;
    pads.push_back(p);
    return pads.back();
}

void pad::remove(int id) {
    tpad* p = find(id);
    if (!p) return;
    for (int b = 0; b < 32; b++) release(*p, b);
    pads.erase(pads.begin() + (p - pads.data()));
}

void pad::unmapped(const std::string& key, const std::string& name) {
    if (std::find(reported.begin(), reported.end(), key) != reported.end()) return;
    reported.push_back(key);
    std::fprintf(stderr, "varnhold: the game controller \"%s\" has no mapping and is not used\n", name.c_str());
}

void pad::deliver(tsend sendto) { out = sendto; }

void pad::press(tpad& p, int b, int now) {
    if (b < 0 || b >= 32 || (p.held & bit(b))) return;
    if ((bit(b) & dpadbits) && !(p.held & dpadbits)) p.dpadsince = now;
    p.held |= bit(b);
    if (b == PAD_LEFTSHOULDER || b == PAD_RIGHTSHOULDER) {
        send(EVENT_MOUSEWHEEL, b == PAD_RIGHTSHOULDER ? 1 : -1);   // the volume, as the wheel turns it
        return;
    }
    int k = keyof(b);
    if (!k) return;
    send(EVENT_KEYDOWN, k);
    if (b == PAD_Y || (bit(b) & dpadbits)) {
        p.repeatkey = k;
        p.repeatat = now + repeatdelay;
    }
}

void pad::release(tpad& p, int b) {
    if (b < 0 || b >= 32 || !(p.held & bit(b))) return;
    p.held &= ~bit(b);
    int k = keyof(b);
    if (!k) return;
    if (k == p.repeatkey) p.repeatkey = 0;
    send(EVENT_KEYUP, k);
}

void pad::hold(tpad& p, uint32_t held, int now) {
    for (int b = 0; b < 32; b++) {
        if ((held & bit(b)) && !(p.held & bit(b))) press(p, b, now);
        else if (!(held & bit(b)) && (p.held & bit(b))) release(p, b);
    }
}

void pad::finish(int now) {
    for (auto& p : pads) {
        if (p.repeatkey && now >= p.repeatat) {
            p.repeatat = now + repeatrate;
            send(EVENT_KEYDOWN, p.repeatkey);
        }
    }
    float dt = timed ? std::clamp(static_cast<float>(now - lastms) / 1000, 0.0f, longest) : 0;
    lastms = now;
    timed = true;
    aim(now, dt);
    out = nullptr;
}

void pad::forget() {
    pads.clear();
    reported.clear();
    aiming = false;
    if (hidden) pointer(false);
    cx = cy = -1;
    timed = false;
}

void pad::seen(const TEvent* e) {
    if (sending || !e || e->id != EVENT_MOUSEMOVE || !e->source || e->source != plat::canvas) return;
    cx = static_cast<float>(e->x);
    cy = static_cast<float>(e->y);
    mousemoved();
}

void pad::mousemoved() {
    if (!aiming) return;
    aiming = false;
    pointer(false);
}

int PadPointerHidden() { return hidden ? 1 : 0; }
