// The X display, reached before the toolkit starts. A display that is still starting, or a
// bare X server that resets itself after its last client has left, refuses connections for a
// moment; the toolkit would end the program with an abort at the first refusal. So the game
// asks again for a while, and it holds the connection it gets until the toolkit has made its
// own: the server always has a client in between, and cannot reset under the toolkit's feet.
// Without a display it says so and ends with status 1.
//
// libxcb is opened at run time (the toolkit's X plugin loads the same library later), so the
// game links no X library of its own.
#include "platform/desktop/desktop.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using tconnect = void* (*)(const char*, int*);
using thaserror = int (*)(void*);
using tdisconnect = void (*)(void*);

void* held = nullptr;
tdisconnect disconnect = nullptr;

bool set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// The toolkit will open an X display: it is told to, or no Wayland session is at hand.
bool x11() {
    if (set("QT_QPA_PLATFORM")) return std::strncmp(std::getenv("QT_QPA_PLATFORM"), "xcb", 3) == 0;
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return !set("WAYLAND_DISPLAY") && !(session && std::strcmp(session, "wayland") == 0);
}

}  // namespace

void dsk::holddisplay(int patience) {
    if (!x11()) return;
    if (!set("DISPLAY")) {
        std::fprintf(stderr, "varnhold: no display: DISPLAY is not set (the window needs an X display; "
                             "--headless runs without one)\n");
        std::exit(1);
    }
    void* lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return;   // the toolkit finds its own way, or says why
    auto connect = reinterpret_cast<tconnect>(dlsym(lib, "xcb_connect"));
    auto haserror = reinterpret_cast<thaserror>(dlsym(lib, "xcb_connection_has_error"));
    disconnect = reinterpret_cast<tdisconnect>(dlsym(lib, "xcb_disconnect"));
    if (!connect || !haserror || !disconnect) return;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(patience);
    for (;;) {
        void* c = connect(nullptr, nullptr);   // never null: a failed connection says so itself
        if (!haserror(c)) {
            held = c;
            return;
        }
        disconnect(c);
        if (std::chrono::steady_clock::now() >= until) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fprintf(stderr, "varnhold: can't open the display %s\n", std::getenv("DISPLAY"));
    std::exit(1);
}

void dsk::releasedisplay() {
    if (held) disconnect(held);
    held = nullptr;
}
