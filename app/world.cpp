// app/world.cpp — the start-up steps in their order and the creation of the game's objects.
#include "app/world.h"

#include <mutex>

#include "app/applet.h"
#include "app/dump.h"
#include "app/worldfields.h"
#include "app/language.h"
#include "app/programinfo.h"
#include "app/settings.h"
#include "framework/assets.h"
#include "framework/font.h"
#include "framework/globals.h"
#include "framework/input.h"
#include "framework/menutags.h"
#include "framework/pictures.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "platform/platform.h"
#include "game/kinds.h"

std::string programdir = "";
thread_local std::string cfgpath = "varnhold.cfg";
std::string lngpath = "varnhold.lng";
std::string shotdir = "";

// The objects of the world, one of each kind per thread (game/kinds.h).
#define VARNHOLD_DEFINE(name, type, start) thread_local type name;
VARNHOLD_KINDS(VARNHOLD_DEFINE)
#undef VARNHOLD_DEFINE
const bool worldready = ThreadState([] { (void)&day; });

namespace {

thread_local tmainapplet applet;

void* flipclock(int, void* data, void*) {
    ms = MilliSecs();
    return data;
}

// The samples of framework/samples.h into snd; decoded by the first world, shared by the
// later ones.
std::string loadsounds() {
    static std::vector<TSound*> cache;
    for (int i = 0; i < smp_count; i++) {
        const tsampledef& t = sampledefs[i];
        std::string path = std::string("data/") + t.name + ".ogg";
        if (cache.size() > size_t(i)) {
            snd.s.emplace_back();
            snd.s.back().s = cache[i];
        } else {
            bool exists = FileType(path) == 1;
            snd.add(path, t.loop);
            if (!exists || !snd.s.back().s) return path;
            cache.push_back(snd.s.back().s);
        }
        tsmp& s = snd.s.back();
        s.depth = t.depth;
        if (t.vol >= 0) s.vol = t.vol;
        if (t.volfade >= 0) s.volfade = t.volfade;
    }
    return "";
}

// The menus of framework/menutags.h, in its order.
void buildmenus() {
    bool first = true;
    for (const tmenuentry& e : menuentries) {
        switch (e.kind) {
        case menukind_bar:
            if (first) {
                menu = newmenu(e.english, WindowMenu(win.g), e.tag, 0);
                menu.grp = win.g;   // the window whose menu bar is refreshed
            } else {
                menu.create(e.english, win.g, e.tag, 0);
            }
            first = false;
            break;
        case menukind_act: menu.add(e.english, e.tag, 0); break;
        case menukind_tick:
        case menukind_kept: menu.add(e.english, e.tag, 1); break;
        case menukind_separator: menu.add("", 0, 0); break;
        case menukind_volume:
            volume = tvolume();
            volume.init(menu, e.english, e.tag, 10);
            break;
        case menukind_languages:
            menu.create(e.english, win.g, 0, 0);
            listlanguages();
            break;
        }
    }
    menu.endadd();
}

}  // namespace

tmainapplet& mainapplet() { return applet; }

void initpaths(const std::string& dir, bool installed) {
    programdir = dir;
    lngpath = dir + "varnhold.lng";
    cfgpath = dir + "varnhold.cfg";
    shotdir = dir;
    if (!installed && CanSaveFile(cfgpath).empty()) return;
    // An installed program's folder is read-only (or, for root, the package's): keep the
    // settings in the user's folder and the screenshots with the user's pictures.
    if (std::string config = ConfigDir("varnhold"); !config.empty()) cfgpath = config + "varnhold.cfg";
    if (std::string pictures = PicturesDir(); !pictures.empty()) shotdir = pictures;
}

#define VARNHOLD_CREATE(name, type, start) name = type(); VARNHOLD_START_##start(name)

void createobjects() {
    VARNHOLD_KINDS(VARNHOLD_CREATE)
    savehook = savenow;
}

std::string startup(const tstartup& how) {
    // One world is made at a time: the first loads the pictures, sounds and font that all
    // share, and the pictures' texture atlas is shared too.
    EnterThread();
    static std::mutex making;
    std::lock_guard<std::mutex> lock(making);
    if (timer) StopTimer(timer);   // the previous world's frame timer
    resetglobals();
    RemoveHooks(HOOK_EMITEVENT);
    RemoveHooks(HOOK_FLIP);
    ReleaseWorld();   // the previous world's window and channels, when headless

    // The embedded program info (the platform is up already). The turret keys need no step:
    // tgundata::keys1 = 40, 39, 37 and keys2 = 83, 68, 65 are constants (combat/gun.h).
    registerprograminfo();
    // The clock, and the hook that samples it after every flip.
    ms = MilliSecs();
    AddHook(HOOK_FLIP, flipclock, nullptr, 0);
    DesktopWorkArea(workarea[0], workarea[1], workarea[2], workarea[3]);
    std::string title = "Varnhold " + infovalue("version") + "." + infovalue("build");
    SetAudioDriver("openal");
    // The window, hidden until the application object shows it, and its canvas of 800 x 400.
    win = createwin(title, 20, 20, 700, 400, WINDOW_TITLEBAR | WINDOW_RESIZABLE | WINDOW_MENU | WINDOW_HIDDEN, nullptr);
    can = createcan(0, 0, ClientWidth(win.g), ClientHeight(win.g), win.g, 0);
    can.resize(800, 400, win);
    win.center();
    win.reset();
    can.reset();
    win.kid = can.g;
    EnableLineSmooth();
    buildmenus();
    ev = tevs();
    ev.hide = 1;
    // The game's random generator, seeded or from the clock.
    rnd = how.seeded ? trnd(how.seed) : trnd();
    AutoImageFlags(IMG_FILTERED);
    // The font is cut once per process.
    static pngfont cut;
    static bool fontdone = false;
    if (!fontdone) {
        cut.load(picturepath(pic_font), -1);
        fontdone = true;
    }
    font = cut;
    loadingscreen(how.settings);
    std::string missing = loadimages();
    if (!missing.empty()) return missing;
    snd = createsnd(64);
    missing = loadsounds();
    if (!missing.empty()) return missing;
    createobjects();
    recomputewidths();
    for (int i = 0; i < 16; i++) drawmatrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    // The application object: settings, language, turrets, frame timer; it shows the window.
    applet = tmainapplet();
    redraw = refocus = fasttimer = shotwanted = 0;
    applet.create(how.settings);
    return "";
}

std::string newworld(int seed) {
    tstartup how;
    how.seeded = true;
    how.seed = seed;
    how.settings = false;
    return startup(how);
}

namespace {

// What of a sound channel the game decides: the sample it was given, released or not, its
// depth. Its level and pan move on only while the device still plays it, by the device's clock.
struct tchnrules {
    tchn* c;
    template <class V> void fields(V& v) { v("s", c->s); v("released", c->released); v("depth", c->depth); }
};
struct tsndrules {
    std::vector<tchnrules> c;
    template <class V> void fields(V& v) {
        v("s", snd.s); v("c", c); v("chn", snd.chn); v("maxchn1", snd.maxchn1);
    }
};

// The world as the game's rules leave it: without the window, the view, the clock, the volume
// and what the sound device does on its own.
struct trulesview {
    tdump& v;
    template <class T>
    void operator()(const char* name, T& value) {
        static const std::string skipped[] = {"win", "can", "volume", "ms", "workarea",
                                              "viewscalex", "viewscaley", "viewwidth",
                                              "viewheight", "areawidth", "areaheight",
                                              "drawmatrix"};
        for (const std::string& k : skipped)
            if (k == name) return;
        if constexpr (std::is_same_v<T, tsnd>) {
            tsndrules rules;
            for (tchn& c : snd.c) rules.c.push_back({&c});
            v(name, rules);
        } else {
            v(name, value);
        }
    }
};

}  // namespace

std::string dumpworld(bool rulesonly) {
    tdump v;
    v.begin();
    if (rulesonly) {
        trulesview rules{v};
        worldfields(rules);
    } else {
        worldfields(v);
    }
    v.end();
    return v.out;
}

std::string savedump(const std::string& path) {
    std::string why = SaveFile(path, dumpworld());
    return why.empty() ? "" : "Can't save " + path + ": " + why;
}

void stepworld() { StepTimer(timer); }

void stepworld(int clockms) {
    SetMilliSecs(clockms);
    StepTimer(timer);
}

void drawworld() { EmitEvent(CreateEvent(EVENT_GADGETPAINT, can.g)); }

uint64_t worlddigest() {
    std::string dump = dumpworld(true);
    uint64_t h = 14695981039346656037ull;   // FNV-1a
    for (unsigned char c : dump) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}
