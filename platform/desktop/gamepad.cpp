// Game controllers through SDL2's game-controller API (SDL's joysticks and events only: no SDL
// window, video or sound): their buttons and left sticks go to the pads' shared mapping
// (platform/gamepad.cpp), which makes the canvas events of them.
#include "platform/gamepad.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"

namespace {

bool started = false;
std::vector<SDL_GameController*> opened;
std::vector<SDL_Joystick*> virtuals;      // the tests' virtual pads by number; null once detached

SDL_GameController* controller(SDL_JoystickID id) {
    for (SDL_GameController* gc : opened)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gc)) == id) return gc;
    return nullptr;
}

void plugin(int index) {
    if (pad::find(SDL_JoystickGetDeviceInstanceID(index))) return;   // a mapping added later says "added" again
    SDL_GameController* gc = SDL_GameControllerOpen(index);
    if (!gc) return;
    opened.push_back(gc);
    const char* name = SDL_GameControllerName(gc);
    pad::add(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gc)), name ? name : "?");
}

void unplug(SDL_JoystickID id) {
    pad::remove(id);
    if (SDL_GameController* gc = controller(id)) {
        SDL_GameControllerClose(gc);
        std::erase(opened, gc);
    }
}

// A joystick SDL has no mapping for: its buttons could mean anything, so it is left alone.
void nomapping(int index) {
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    const char* name = SDL_JoystickNameForIndex(index);
    pad::unmapped(guid, name ? name : "?");
}

float axis(SDL_GameController* gc, SDL_GameControllerAxis a) {
    return SDL_GameControllerGetAxis(gc, a) / 32767.0f;
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
    forget();
    return true;
}

void pad::stop() {
    if (!started) return;
    for (SDL_GameController* gc : opened) SDL_GameControllerClose(gc);
    opened.clear();
    for (SDL_Joystick* j : virtuals)
        if (j) SDL_JoystickClose(j);
    virtuals.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
    forget();
}

void pad::poll(tsend sendto) {
    if (!started) return;
    deliver(sendto);
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
            if (!SDL_IsGameController(e.jdevice.which)) nomapping(e.jdevice.which);
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
    for (SDL_GameController* gc : opened)
        if (tpad* p = find(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gc)))) {
            p->sx = axis(gc, SDL_CONTROLLER_AXIS_LEFTX);
            p->sy = axis(gc, SDL_CONTROLLER_AXIS_LEFTY);
        }
    finish(now);
}

bool StartPads() { return pad::start(); }
void StopPads() { pad::stop(); }

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
