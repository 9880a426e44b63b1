// app/main.cpp — the program's entry: the command line, then the start-up of the game.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/applet.h"
#include "app/assets.h"
#include "app/crowd.h"
#include "app/globals.h"
#include "app/programinfo.h"
#include "app/world.h"
#include "platform/platform.h"

namespace {

const char* usage =
    "Usage: varnhold [options]\n"
    "  --seed N              seed the game's random numbers with N instead of the clock\n"
    "  --headless            run without window, GPU or sound device (needs --frames)\n"
    "  --frames N            headless: run N frame steps as fast as possible\n"
    "  --dump FILE           write the world as JSON to FILE (headless: after the last step;\n"
    "                        windowed: when the game closes)\n"
    "  --stats               windowed: print once a second on standard error the frames\n"
    "                        presented, the CPU time per frame and the draw calls of a frame\n"
    "  --help                show this text\n"
    "  --version             show the version\n";

bool number(const char* s, long long& out) {
    if (!s || !*s) return false;
    char* end = nullptr;
    out = std::strtoll(s, &end, 10);
    return *end == 0;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "varnhold: %s\n%s", message.c_str(), usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false, seeded = false, stats = false, crowd = false;
    long long seed = 0, frames = -1;
    std::string dump;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--help") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--version") {
            registerprograminfo();
            std::printf("Varnhold %s.%s\n", infovalue("version").c_str(), infovalue("build").c_str());
            return 0;
        } else if (a == "--stats") {
            stats = true;
        } else if (a == "--bench-crowd") {   // not in the usage: the window benchmark's crowded fight
            crowd = true;
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--seed") {
            if (!number(next, seed) || seed < INT32_MIN || seed > UINT32_MAX) return fail("--seed needs a whole number");
            seeded = true;
            i++;
        } else if (a == "--frames") {
            if (!number(next, frames) || frames < 0) return fail("--frames needs a count of 0 or more");
            i++;
        } else if (a == "--dump") {
            if (!next || !*next) return fail("--dump needs a file name");
            dump = next;
            i++;
        } else {
            return fail("unknown option " + a);
        }
    }
    if (headless && frames < 0) return fail("--headless needs --frames N");
    if (!headless && frames >= 0) return fail("--frames works only with --headless");

    PlatformInit(headless ? tbackend::headless : tbackend::desktop, argc, argv);
    // The program's folder is the working directory: data/, the settings, the language file
    // and the screenshots are found there. An installed program (/usr/games/varnhold) has no
    // data/ beside it: it works in the installed data folder (/usr/share/games/varnhold), which
    // belongs to the package, so the settings and screenshots go to the user's folders.
    std::string dir = AppDir();
    bool installed = false;
    if (FileType(dir + "/data") != 2) {
        std::string shared = dir + "/" VARNHOLD_DATADIR;
        if (FileType(shared + "/data") == 2) {
            dir = shared;
            installed = true;
        }
    }
    if (!dump.empty() && dump[0] != '/') {   // a dump named on the command line is relative to where it was given
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) dump = std::string(cwd) + "/" + dump;
    }
    if (chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "varnhold: can't enter the program's folder %s\n", dir.c_str());
        return 1;
    }
    initpaths("", installed);
    if (installed) citylenspath.clear();   // the skyline mask is made afresh at every start

    tstartup how;
    how.window = !headless;
    how.seeded = seeded;
    how.seed = int(uint32_t(seed));
    if (!headless) installsignals();
    std::string missing = startup(how);
    if (!missing.empty()) {
        // Notify shows the box and writes the line to stderr; nothing is saved.
        Notify("Can't load " + missing, 1);
        PlatformShutdown();
        return 1;
    }

    if (headless) {
        SetMilliSecs(0);
        auto t0 = std::chrono::steady_clock::now();
        for (long long i = 0; i < frames; i++) {
            SetMilliSecs(int(i * 1000 / 60));
            StepTimer(timer);
        }
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%lld steps in %.3f s: %.0f steps per second\n", frames, s, s > 0 ? frames / s : 0.0);
        if (!dump.empty()) {
            FILE* f = std::fopen(dump.c_str(), "wb");
            if (!f) {
                std::fprintf(stderr, "varnhold: can't write %s\n", dump.c_str());
                return 1;
            }
            std::string out = dumpworld();
            std::fwrite(out.data(), 1, out.size(), f);
            std::fclose(f);
        }
        PlatformShutdown();
        return 0;
    }

    dumponclose = dump;
    if (stats) ShowStats(true);
    if (crowd) {
        // Built at once and topped up every 100 ticks, after the game has handled the tick.
        crowdfight();
        AddHook(HOOK_EMITEVENT, [](int, void* data, void*) {
            static int ticks = 0;
            auto* e = static_cast<TEvent*>(data);
            if (e && e->id == EVENT_TIMERTICK && e->source == timer && ++ticks % 100 == 0) crowdfight();
            return data;
        }, nullptr, -1);
    }
    for (;;) WaitSystem();
}
