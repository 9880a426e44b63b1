// app/main.cpp — the program's entry: the command line, then the start-up of the game.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/applet.h"
#include "app/dailygame.h"
#include "app/programinfo.h"
#include "app/renderscale.h"
#include "app/replay.h"
#include "app/scores.h"
#include "app/world.h"
#include "bench/crowd.h"
#include "framework/assets.h"
#include "game/level.h"
#include "game/world.h"
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
    "                        presented, the CPU time per frame, the draw calls of a frame and\n"
    "                        the size it was drawn at\n"
    "  --render-scale S      how finely frames are drawn: auto (the default: on a software\n"
    "                        renderer about one pixel per playfield unit, scaled to the window,\n"
    "                        fewer in a level whose frames cannot keep up; on a GPU the screen's\n"
    "                        pixels), device (the screen's pixels), or pixels\n"
    "                        per playfield unit from 0.5 to 8 (also VARNHOLD_RENDER_SCALE)\n"
    "  --record FILE         play as usual and write a replay of the game to FILE\n"
    "  --replay FILE         play a replay back (with --headless: as fast as possible); the exit\n"
    "                        status is 0 when the world ends as recorded\n"
    "  --scores URL          the score server of \"Send scores\", \"Shared high scores\" and\n"
    "                        \"Watch the best game\" (kept in scores.cfg beside the settings)\n"
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

// A file named on the command line is relative to where it was given, not to the program's folder.
std::string fromcwd(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::string cwd = CurrentDir();
    return cwd.empty() ? path : cwd + "/" + path;
}

// The headless run's --dump file; false (and why, on standard error) when it is not written.
bool writedump(const std::string& path) {
    std::string problem = savedump(path);
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    return problem.empty();
}

// A replay that is not played back: said on standard error, and in a message box when it was
// to play in the window (opened from a file manager or a menu, where no terminal shows). The
// exit status is 2.
int refusereplay(const std::string& said, const std::string& shown, bool headless, int argc, char** argv) {
    std::fprintf(stderr, "varnhold: %s\n", said.c_str());
    if (!headless && PlatformInit(tbackend::windowed, argc, argv)) {
        Notify(shown, 0);
        PlatformShutdown();
    }
    return 2;
}

// The command line, read whole before anything starts.
struct toptions {
    bool headless = false, seeded = false, stats = false, crowd = false;
    long long seed = 0, frames = -1;
    std::string dump, record, replay, scores;
};

// Reads the command line into `o`; -1 to go on, else the exit status (--help and --version
// answered, a mistake said with the usage).
int readoptions(int argc, char** argv, toptions& o) {
    if (const char* env = std::getenv("VARNHOLD_RENDER_SCALE"); env && !parserenderscale(env, renderoption))
        std::fprintf(stderr, "varnhold: VARNHOLD_RENDER_SCALE=%s is not auto, device or 0.5 to 8: left out\n", env);
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
            o.stats = true;
        } else if (a == "--bench-crowd") {   // not in the usage: the window benchmark's crowded fight
            o.crowd = true;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--seed") {
            if (!number(next, o.seed) || o.seed < INT32_MIN || o.seed > UINT32_MAX) return fail("--seed needs a whole number");
            o.seeded = true;
            i++;
        } else if (a == "--frames") {
            if (!number(next, o.frames) || o.frames < 0) return fail("--frames needs a count of 0 or more");
            i++;
        } else if (a == "--render-scale") {
            if (!next || !parserenderscale(next, renderoption))
                return fail("--render-scale needs auto, device or pixels per playfield unit from 0.5 to 8");
            i++;
        } else if (a == "--scores") {
            if (!next || (std::strncmp(next, "http://", 7) != 0 && std::strncmp(next, "https://", 8) != 0))
                return fail("--scores needs the server's address, http://HOST[:PORT] or https://...");
            o.scores = next;
            i++;
        } else if (a == "--dump" || a == "--record" || a == "--replay") {
            if (!next || !*next) return fail(a + " needs a file name");
            (a == "--dump" ? o.dump : a == "--record" ? o.record : o.replay) = next;
            i++;
        } else {
            return fail("unknown option " + a);
        }
    }
    if (!o.replay.empty()) {
        if (!o.record.empty()) return fail("--record and --replay exclude each other");
        if (o.seeded) return fail("--replay takes its seed from the replay");
        if (o.frames >= 0) return fail("--replay runs as many frames as were recorded: leave out --frames");
    } else if (o.headless && o.frames < 0) {
        return fail("--headless needs --frames N");
    }
    if (!o.headless && o.frames >= 0) return fail("--frames works only with --headless");
    if (o.headless && !o.record.empty()) return fail("--record needs the window: a headless run has no player");
    o.dump = fromcwd(o.dump);
    o.record = fromcwd(o.record);
    if (!o.record.empty()) {
        std::string problem = replaypathproblem(o.record);
        if (!problem.empty()) {
            std::fprintf(stderr, "varnhold: %s\n", problem.c_str());
            return 2;
        }
    }
    return -1;
}

// A replay is read whole before anything starts: a damaged one changes nothing. -1 when `r`
// holds it, else the exit status.
int readreplay(const toptions& o, treplay& r, int argc, char** argv) {
    std::string text;
    if (!ReadFile(fromcwd(o.replay), text))
        return refusereplay("can't read the replay " + o.replay, "Can't read the replay " + o.replay, o.headless, argc, argv);
    treplayread got = parsereplay(text, programversion());
    if (!got.error.empty())
        return refusereplay(o.replay + ":" + std::to_string(got.line) + ": " + got.error,
                            "Can't play the replay " + o.replay + ":\n" + got.error, o.headless, argc, argv);
    r = got.replay;
    return -1;
}

// The program's folder is the working directory: data/, the settings, the language file and
// the screenshots are found there. An installed program (/usr/games/varnhold) has no data/
// beside it: it works in the installed data folder (/usr/share/games/varnhold), which belongs to
// the package, so the settings and screenshots go to the user's folders.
bool enterprogramfolder() {
    std::string dir = AppDir();
    bool installed = false;
    if (FileType(dir + "/data") != 2) {
        std::string shared = dir + "/" VARNHOLD_DATADIR;
        if (FileType(shared + "/data") == 2) {
            dir = shared;
            installed = true;
        }
    }
    if (!ChangeDir(dir)) {
        std::fprintf(stderr, "varnhold: can't enter the program's folder %s\n", dir.c_str());
        return false;
    }
    initpaths("", installed);
    if (installed) citylenspath.clear();   // the skyline mask is made afresh at every start
    return true;
}

// The seconds since `t0`.
double since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A replay played back: as fast as possible without a window, at its own pace in one.
int playback(const toptions& o, const treplay& r) {
    std::string problem = startplayback(r, o.replay, !o.headless);
    if (!problem.empty()) {
        Notify(problem, 1);
        PlatformShutdown();
        return problem.rfind("Can't load ", 0) == 0 ? 1 : 2;
    }
    if (!o.headless) {
        dumponclose = o.dump;
        playwindowed();
        RunLoop();
        return 0;
    }
    auto t0 = std::chrono::steady_clock::now();
    treplayverdict v = playtoend();
    double s = since(t0);
    std::printf("%d frames in %.3f s: %.0f frames per second\n%s\n", r.end.frame, s, s > 0 ? r.end.frame / s : 0.0,
                v.message.c_str());
    bool written = o.dump.empty() || writedump(o.dump);
    PlatformShutdown();
    return v.same && written ? 0 : 1;
}

// The headless run: the frames asked for as fast as possible, each at its own time on a 60 Hz
// clock.
int runheadless(const toptions& o) {
    SetMilliSecs(0);
    auto t0 = std::chrono::steady_clock::now();
    for (long long i = 0; i < o.frames; i++) stepworld(int(i * 1000 / 60));
    double s = since(t0);
    std::printf("%lld steps in %.3f s: %.0f steps per second\n", o.frames, s, s > 0 ? o.frames / s : 0.0);
    bool written = o.dump.empty() || writedump(o.dump);
    PlatformShutdown();
    return written ? 0 : 1;
}

// The game in its window, recorded (in memory when there is no --record file) so that its
// replay can go to the score server whenever the player turns sending on.
int runwindowed(const toptions& o, int seed) {
    startrecording(o.record, seed);
    startscores(o.scores);
    startdailyclient();
    dumponclose = o.dump;
    if (o.stats) ShowStats(true);
    if (o.crowd) {
        // A level in play, built at once and topped up every 100 ticks, after the game has
        // handled the tick.
        world->level.prg = level_fight;
        world->level.maxrocket = 0;
        crowdfight();
        AddHook(HOOK_EMITEVENT, [](int, void* data, void*) {
            static int ticks = 0;
            auto* e = static_cast<TEvent*>(data);
            if (e && e->id == EVENT_TIMERTICK && e->source == world->timer && ++ticks % 100 == 0) crowdfight();
            return data;
        }, nullptr, -1);
    }
    RunLoop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    toptions o;
    if (int status = readoptions(argc, argv, o); status >= 0) return status;
    treplay r;
    if (!o.replay.empty())
        if (int status = readreplay(o, r, argc, argv); status >= 0) return status;

    if (!PlatformInit(o.headless ? tbackend::headless : tbackend::windowed, argc, argv)) return 2;
    if (!enterprogramfolder()) return 1;
    if (!o.headless) installsignals();
    if (!o.replay.empty()) return playback(o, r);

    // A game in the window needs its seed for its replay: without --seed it comes from the
    // clock, as ever.
    tstartup how;
    how.seeded = o.seeded || !o.headless;
    how.seed = int(uint32_t(o.seeded ? o.seed : o.headless ? 0 : MilliSecs()));
    std::string missing = startup(how);
    if (!missing.empty()) {
        // Notify shows the box and writes the line to stderr; nothing is saved.
        Notify("Can't load " + missing, 1);
        PlatformShutdown();
        return 1;
    }
    return o.headless ? runheadless(o) : runwindowed(o, how.seed);
}
