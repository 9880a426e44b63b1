// app/world.cpp — the start-up steps in their order and the creation of the game's objects.
#include "app/world.h"

#include <mutex>

#include "app/applet.h"
#include "app/dump.h"
#include "app/language.h"
#include "app/programinfo.h"
#include "app/replay.h"
#include "app/settings.h"
#include "framework/assets.h"
#include "framework/font.h"
#include "framework/input.h"
#include "framework/menutags.h"
#include "framework/pictures.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/kinds.h"
#include "game/world.h"
#include "platform/platform.h"

std::string programdir = "";
thread_local std::string cfgpath = "varnhold.cfg";
std::string lngpath = "varnhold.lng";
std::string shotdir = "";
const bool pathsready = ThreadState([] { (void)&cfgpath; });

namespace {

thread_local tmainapplet applet;

void* flipclock(int, void* data, void*) {
    world->ms = MilliSecs();
    return data;
}

// A sample's levels as its definition starts them.
void settle(tsmp& s, const tsampledef& t) {
    s.depth = t.depth;
    if (t.vol >= 0) s.vol = t.vol;
    if (t.volfade >= 0) s.volfade = t.volfade;
}

// The samples of framework/samples.h into snd; decoded by the first world, shared by the
// later ones.
std::string loadsounds() {
    static std::vector<TSound*> cache;
    for (int i = 0; i < smp_count; i++) {
        const tsampledef& t = sampledefs[i];
        std::string path = std::string("data/") + t.name + ".ogg";
        if (cache.size() > size_t(i)) {
            world->snd.s.emplace_back();
            world->snd.s.back().s = cache[i];
        } else {
            bool exists = FileType(path) == 1;
            world->snd.add(path, t.loop);
            if (!exists || !world->snd.s.back().s) return path;
            cache.push_back(world->snd.s.back().s);
        }
        settle(world->snd.s.back(), t);
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
                world->menu = newmenu(e.english, WindowMenu(world->win.g), e.tag, 0);
                world->menu.grp = world->win.g;   // the window whose menu bar is refreshed
            } else {
                world->menu.create(e.english, world->win.g, e.tag, 0);
            }
            first = false;
            break;
        case menukind_act: world->menu.add(e.english, e.tag, 0); break;
        case menukind_tick:
        case menukind_kept: world->menu.add(e.english, e.tag, 1); break;
        case menukind_separator: world->menu.add("", 0, 0); break;
        case menukind_volume:
            world->volume = tvolume();
            world->volume.init(world->menu, e.english, e.tag, 10);
            break;
        case menukind_languages:
            world->menu.create(e.english, world->win.g, 0, 0);
            listlanguages();
            break;
        }
    }
    world->menu.endadd();
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

#define VARNHOLD_CREATE(name, type, start) \
    world->name = type();                  \
    VARNHOLD_START_##start(world->name)

void createobjects() {
    VARNHOLD_KINDS(VARNHOLD_CREATE)
    world->savehook = savenow;
}

std::string startup(const tstartup& how) {
    // One world is made at a time: the first loads the pictures, sounds and font that all
    // share, and the pictures' texture atlas is shared too.
    EnterThread();
    static std::mutex making;
    std::lock_guard<std::mutex> lock(making);
    if (world && world->timer) StopTimer(world->timer);   // the previous world's frame timer
    makeworld();
    RemoveHooks(HOOK_EMITEVENT);
    RemoveHooks(HOOK_FLIP);
    ReleaseWorld();   // the previous world's window and channels, when headless

    // The embedded program info (the platform is up already). The turret keys need no step:
    // tgundata::keys1 = 40, 39, 37 and keys2 = 83, 68, 65 are constants (combat/gun.h).
    registerprograminfo();
    // The clock, and the hook that samples it after every flip.
    world->ms = MilliSecs();
    AddHook(HOOK_FLIP, flipclock, nullptr, 0);
    DesktopWorkArea(world->workarea[0], world->workarea[1], world->workarea[2], world->workarea[3]);
    std::string title = "Varnhold " + infovalue("version") + "." + infovalue("build");
    SetAudioDriver("openal");
    // The window, hidden until the application object shows it, and its canvas of 800 x 400.
    world->win =
        createwin(title, 20, 20, 700, 400, WINDOW_TITLEBAR | WINDOW_RESIZABLE | WINDOW_MENU | WINDOW_HIDDEN, nullptr);
    world->can = createcan(0, 0, ClientWidth(world->win.g), ClientHeight(world->win.g), world->win.g, 0);
    world->can.resize(800, 400, world->win);
    world->win.center();
    world->win.reset();
    world->can.reset();
    world->win.kid = world->can.g;
    EnableLineSmooth();
    buildmenus();
    world->ev = tevs();
    world->ev.hide = 1;
    // The game's random generator, seeded or from the clock.
    world->rnd = how.seeded ? trnd(how.seed) : trnd();
    AutoImageFlags(IMG_FILTERED);
    // The font is cut once per process.
    static pngfont cut;
    static bool fontdone = false;
    if (!fontdone) {
        cut.load(picturepath(pic_font), -1);
        fontdone = true;
    }
    world->font = cut;
    loadingscreen(how.settings);
    std::string missing = loadimages();
    if (!missing.empty()) return missing;
    world->snd = createsnd(64);
    missing = loadsounds();
    if (!missing.empty()) return missing;
    createobjects();
    recomputewidths();
    // The application object: settings, language, turrets, frame timer; it shows the window.
    applet = tmainapplet();
    applet.create(how.settings);
    return "";
}

void freshworld(int seed) {
    tlevel kept = world->level;
    void (*savehook)() = world->savehook;
    if (world->timer) StopTimer(world->timer);
    world->fasttimer = 0;
    // the channels as a new pool has them: silent, none given a sample
    for (tchn& c : world->snd.c) {
        if (c.c) PauseChannel(c.c);
        c.s = nullptr;
        c.released = 0;
        c.depth = 0;
    }
    world->snd.chn = 0;
    for (size_t i = 0; i < world->snd.s.size() && i < size_t(smp_count); i++) {
        tsmp& s = world->snd.s[i];
        TSound* sound = s.s;
        s = tsmp();
        s.s = sound;
        settle(s, sampledefs[i]);
    }
    world->ev = tevs();
    world->ev.hide = 1;
    world->cityshift = 0;
    world->rnd = trnd(seed);
    createobjects();
    recomputewidths();
    // what the application object's create() does after the settings are read
    world->level.name = kept.name;
    world->level.level = kept.level;
    world->level.score = kept.score;
    world->level.highlighthiscore = kept.highlighthiscore;
    for (int i = 0; i < 10; i++) world->level.hiscore[i] = kept.hiscore[i];
    world->guns.generateall();
    world->level.maxrocket = world->level.level / 4 + 2;
    world->savehook = savehook;
    world->timer = frametimer(60);
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
        v("s", world->snd.s);
        v("c", c);
        v("chn", world->snd.chn);
        v("maxchn1", world->snd.maxchn1);
    }
};

// The menus as the rules see them: without "Smooth motion", which only changes how frames are
// drawn (a world with it and one without are the same game), and "Daily challenge", which is
// never recorded (a replay starts after it, from the fresh world it makes).
tmenu rulesmenu() {
    tmenu m = world->menu;
    for (size_t i = m.flag.size(); i-- > 0;)
        if (m.flag[i] / 2 == menu_smoothmotion || m.flag[i] / 2 == menu_daily) {
            m.g.erase(m.g.begin() + long(i));
            m.flag.erase(m.flag.begin() + long(i));
            if (m.sub > int(i)) m.sub--;
        }
    return m;
}

// The world as the game's rules leave it: without what the player's machine decides (fields()
// leaves it out for this walk), what the sound device does on its own and the menu entries of
// smooth motion and the daily challenge.
struct trulesview {
    static constexpr bool rulesonly = true;
    tdump& v;
    template <class T>
    void operator()(const char* name, T& value) {
        if constexpr (std::is_same_v<T, tmenu>) {
            tmenu m = rulesmenu();
            v(name, m);
        } else if constexpr (std::is_same_v<T, tsnd>) {
            tsndrules rules;
            for (tchn& c : world->snd.c) rules.c.push_back({&c});
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
        world->fields(rules);
    } else {
        world->fields(v);
    }
    v.end();
    return v.out;
}

std::string savedump(const std::string& path) {
    std::string why = SaveFile(path, dumpworld());
    return why.empty() ? "" : "Can't save " + path + ": " + why;
}

void stepworld() { StepTimer(world->timer); }

void stepworld(int clockms) {
    SetMilliSecs(clockms);
    StepTimer(world->timer);
}

void drawworld() { EmitEvent(CreateEvent(EVENT_GADGETPAINT, world->can.g)); }

uint64_t worlddigest() {
    std::string dump = dumpworld(true);
    uint64_t h = 14695981039346656037ull;   // FNV-1a
    for (unsigned char c : dump) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}
