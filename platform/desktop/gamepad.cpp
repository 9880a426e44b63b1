// Game controllers through SDL2's game-controller API (SDL's joysticks and events only: no SDL
// window, video or sound), turned into the canvas events they stand for.
//
// The crosshair lives on the playfield: the left stick and the d-pad move a cursor kept here in
// canvas pixels (600 playfield units a second at full tilt, whatever the window's size) and each
// move goes out as a MouseMove, as the mouse's would. The mouse's own moves put the cursor where
// the mouse is, so the two take turns.
#include "platform/gamepad.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"

namespace {

constexpr float deadzone = 8000.0f / 32767.0f;   // stick deflection that moves nothing
constexpr float topspeed = 600;                   // playfield units a second at full deflection
constexpr float dpadspeed = 120, dpadramp = 800;  // d-pad: units a second at first, gained per second held
constexpr float longest = 0.1f;                   // seconds: a late poll moves no further than this
constexpr int repeatdelay = 400, repeatrate = 100;   // ms: a held d-pad or Y repeats like a held key

struct tpad {
    SDL_GameController* gc = nullptr;
    SDL_JoystickID id = -1;
    std::string name;
    uint32_t held = 0;                    // buttons held, one bit per PAD_ number
    bool armed = false;                   // the stick has rested inside the dead zone once
    bool warned = false;                  // its stick was reported off centre
    int dpadsince = 0;                    // ms when the d-pad began to be held
    int repeatkey = 0, repeatat = 0;      // the key that repeats while held, and when next
};

bool started = false;
std::vector<tpad> pads;
std::vector<std::string> reported;        // joysticks without mapping already reported, by GUID
std::vector<SDL_Joystick*> virtuals;      // the tests' virtual pads by number; null once detached
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
    plat::ops->padpointer(hide);
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

tpad* find(SDL_JoystickID id) {
    for (auto& p : pads)
        if (p.id == id) return &p;
    return nullptr;
}

void plugin(int index) {
    if (find(SDL_JoystickGetDeviceInstanceID(index))) return;   // a mapping added later says "added" again
    SDL_GameController* gc = SDL_GameControllerOpen(index);
    if (!gc) return;
    tpad p;
    p.gc = gc;
    p.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gc));
    const char* name = SDL_GameControllerName(gc);
    p.name = name ? name : "?";
    pads.push_back(p);
}

void press(tpad& p, int b, int now) {
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

void release(tpad& p, int b) {
    if (b < 0 || b >= 32 || !(p.held & bit(b))) return;
    p.held &= ~bit(b);
    int k = keyof(b);
    if (!k) return;
    if (k == p.repeatkey) p.repeatkey = 0;
    send(EVENT_KEYUP, k);
}

// A pad pulled out lets go of everything it held, so no key stays down in the game.
void unplug(SDL_JoystickID id) {
    tpad* p = find(id);
    if (!p) return;
    for (int b = 0; b < 32; b++) release(*p, b);
    SDL_GameControllerClose(p->gc);
    pads.erase(pads.begin() + (p - pads.data()));
}

// A joystick SDL has no mapping for: its buttons could mean anything, so it is left alone.
void unmapped(int index) {
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    if (std::find(reported.begin(), reported.end(), guid) != reported.end()) return;
    reported.push_back(guid);
    const char* name = SDL_JoystickNameForIndex(index);
    std::fprintf(stderr, "varnhold: the game controller \"%s\" has no mapping and is not used\n", name ? name : "?");
}

float axis(const tpad& p, SDL_GameControllerAxis a) {
    return std::clamp(SDL_GameControllerGetAxis(p.gc, a) / 32767.0f, -1.0f, 1.0f);
}

// Playfield units a second the pad asks for, both sticks and d-pads of all pads together.
void velocity(int now, float& vx, float& vy) {
    vx = vy = 0;
    for (auto& p : pads) {
        float sx = axis(p, SDL_CONTROLLER_AXIS_LEFTX), sy = axis(p, SDL_CONTROLLER_AXIS_LEFTY);
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

bool pad::start(tinit init) {
    if (started) return true;
    // The game saves its settings on SIGINT and SIGTERM itself; SDL would swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL knows no window of ours; whether the game is in front is the back end's to say.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_ClearError();
    if ((init ? init : SDL_InitSubSystem)(SDL_INIT_GAMECONTROLLER) < 0) {
        std::string why = SDL_GetError();
        std::fprintf(stderr, "varnhold: no game controllers (%s); playing with mouse and keyboard\n",
                     why.empty() ? "SDL could not start them" : why.c_str());
        return false;
    }
    started = true;
    hooks = {poll, seen, stop};
    // mappings of the player's own beside the game, in SDL's format, add to the built-in ones
    std::string db = AppDir() + "/gamecontrollerdb.txt";
    if (FileType(db) == 1) SDL_GameControllerAddMappingsFromFile(db.c_str());
    timed = false;
    return true;
}

void pad::stop() {
    if (!started) return;
    for (auto& p : pads) SDL_GameControllerClose(p.gc);
    pads.clear();
    for (SDL_Joystick* j : virtuals)
        if (j) SDL_JoystickClose(j);
    virtuals.clear();
    reported.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
    aiming = false;
    if (hidden) pointer(false);
    cx = cy = -1;
}

void pad::poll(tsend sendto) {
    if (!started) return;
    out = sendto;
    int now = MilliSecs();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            plugin(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            unplug(e.cdevice.which);
            break;
        case SDL_JOYDEVICEADDED:
            if (!SDL_IsGameController(e.jdevice.which)) unmapped(e.jdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            if (tpad* p = find(e.cbutton.which)) press(*p, e.cbutton.button, now);
            break;
        case SDL_CONTROLLERBUTTONUP:
            if (tpad* p = find(e.cbutton.which)) release(*p, e.cbutton.button);
            break;
        default:
            break;
        }
    }
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

bool StartPads() { return pad::start(); }
void StopPads() { pad::stop(); }
int PadPointerHidden() { return hidden ? 1 : 0; }

int AttachVirtualPad(bool mapped) {
    if (!started) return -1;
    SDL_VirtualJoystickDesc d;
    SDL_zero(d);
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.naxes = SDL_CONTROLLER_AXIS_MAX;
    d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    if (mapped) {
        // a game controller by type: SDL maps its buttons and axes in its own order
        d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        d.name = "Virtual pad";
    } else {
        d.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        d.vendor_id = 0x1234;
        d.product_id = 0x5678;
        d.name = "Virtual stick";
    }
    int index = SDL_JoystickAttachVirtualEx(&d);
    if (index < 0) return -1;
    SDL_Joystick* j = SDL_JoystickOpen(index);
    if (!j) return -1;
    virtuals.push_back(j);
    return static_cast<int>(virtuals.size()) - 1;
}

namespace {
SDL_Joystick* virtualpad(int n) {
    return n >= 0 && n < static_cast<int>(virtuals.size()) ? virtuals[n] : nullptr;
}
}  // namespace

void DetachVirtualPad(int n) {
    SDL_Joystick* j = virtualpad(n);
    if (!j) return;
    SDL_JoystickID id = SDL_JoystickInstanceID(j);
    SDL_JoystickClose(j);
    virtuals[n] = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
}

void SetVirtualPadAxis(int n, int a, int value) {
    if (SDL_Joystick* j = virtualpad(n))
        SDL_JoystickSetVirtualAxis(j, a, static_cast<Sint16>(std::clamp(value, -32768, 32767)));
}

void SetVirtualPadButton(int n, int b, int down) {
    if (SDL_Joystick* j = virtualpad(n)) SDL_JoystickSetVirtualButton(j, b, down ? 1 : 0);
}
