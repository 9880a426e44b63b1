// app/world.cpp — the start-up steps in their order and the creation of the game's objects.
#include "app/world.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "app/applet.h"
#include "app/assets.h"
#include "app/dump.h"
#include "app/globals.h"
#include "app/programinfo.h"
#include "app/settings.h"
#include "app/language.h"
#include "platform/platform.h"
// ---- headers of the game's objects (one line each, in creation order) ----
#include "combat/txt.h"
#include "combat/particle.h"
#include "combat/fire.h"
#include "combat/rocket.h"
#include "combat/house.h"
#include "combat/gun.h"
#include "combat/tnt.h"

std::string programdir = "./";
std::string cfgpath = "varnhold.cfg";
std::string lngpath = "varnhold.lng";

namespace {

tmainapplet applet;

void* flipclock(int, void*, void*) {
    ms = MilliSecs();
    return nullptr;
}

bool writable(const std::string& dir) { return access(dir.empty() ? "." : dir.c_str(), W_OK) == 0; }

}  // namespace

void initpaths(const std::string& dir) {
    programdir = dir;
    lngpath = dir + "varnhold.lng";
    cfgpath = dir + "varnhold.cfg";
    if (writable(dir)) return;
    // An installed program's folder is read-only: keep the settings in the user's folder.
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    if (base.empty()) return;
    std::string folder = base + "/varnhold";
    for (const std::string& d : {base, folder}) {
        if (FileType(d) != 2) ::mkdir(d.c_str(), 0700);
    }
    cfgpath = folder + "/varnhold.cfg";
}

void createobjects() {
    // day (sky/day.h)
    // rain (sky/rain.h)
    // clouds (sky/cloud.h)
    texts = ttxt();
    particles = tparticle();
    particles2 = tparticle();
    fires = tfire();
    rockets = trocket();
    houses = thouse();
    houses.generateall();
    guns = tgun();
    guns.init();
    turretmargin = 100;
    for (int k : {1, 2, 0}) guns.generate(turretmargin + (800 - 2 * turretmargin) * k / 2, 370, 1, 6);
    tnt = ttnt();
    tnt2 = ttnt();
    // cars (traffic/car.h)
    // planes (traffic/plane.h)
    // satellites (traffic/satellite.h)
    // ufos (traffic/ufo.h)
    // choppers (traffic/chopper.h)
    // jumpers (traffic/jumper.h)
    // raid (game/raid.h)
    // level (game/level.h)
}

std::string startup(const tstartup& how) {
    resetglobals();
    RemoveHooks(HOOK_EMITEVENT);
    RemoveHooks(HOOK_FLIP);

    // 1. the embedded program info
    registerprograminfo();
    // 2. turret keys: tgundata::keys1 = 40, 39, 37; tgundata::keys2 = 83, 68, 65 (constants of combat/gun.h)

    // 4. the clock, and the hook that samples it after every flip
    ms = MilliSecs();
    std::srand(unsigned(ms));
    AddHook(HOOK_FLIP, flipclock, nullptr, 0);
    // 5.
    DesktopWorkArea(workarea[0], workarea[1], workarea[2], workarea[3]);
    // 6.
    std::string title = "Varnhold " + infovalue("version") + "." + infovalue("build");
    // 7, 8.
    SetAudioDriver("openal");
    SetGraphicsDriver("GL", 2);
    // 9. win = createwin(title, 20, 20, 700, 400, titlebar | resizable | menu | hidden, null) (framework/win.h)
    (void)title;
    // 10. can = createcan(0, 0, client width, client height, win.g, 0) (framework/can.h)
    // 11. can.resize(800, 400, win); win.center(); win.reset(); can.reset(); win.kid = can.g
    // 12.
    EnableLineSmooth();
    // 13. the menus (framework/menu.h, framework/volume.h), then listlanguages()
    // 14. ev = tevs(); ev.hide = 1 (framework/ev.h)
    // 15. rnd = trnd(); seeded with how.seed when how.seeded (framework/rnd.h)
    // 16.
    AutoImageFlags(IMG_FILTERED);
    // 17. font = pngfont(); font.load("data/ambient outlined.png", -1) (framework/font.h)
    // 18.
    loadingscreen(how.settings);
    // 19.
    std::string missing = loadimages();
    if (!missing.empty()) return missing;
    // 20. snd = createsnd(64), the 29 samples (framework/snd.h)
    // 21.
    createobjects();
    // 22. text widths
    recomputewidths();
    // 23.
    for (int i = 0; i < 16; i++) drawmatrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    // 24.
    applet = tmainapplet();
    applet.create(how.settings);
    return "";
}

std::string newworld(int seed) {
    tstartup how;
    how.window = false;
    how.seeded = true;
    how.seed = seed;
    how.settings = false;
    return startup(how);
}

std::string dumpworld() {
    tdump v;
    v.begin();
    // ---- the global objects, one line each ----
    // v("rnd", rnd);  v("snd", snd);  v("ev", ev);  v("menu", menu);  v("volume", volume);
    // v("day", day);  v("rain", rain);  v("clouds", clouds);
    v("texts", texts);
    v("particles", particles);
    v("particles2", particles2);
    v("fires", fires);
    v("rockets", rockets);
    v("houses", houses);
    v("guns", guns);
    v("tnt", tnt);
    v("tnt2", tnt2);
    // v("cars", cars);  v("planes", planes);  v("satellites", satellites);
    // v("ufos", ufos);  v("choppers", choppers);  v("jumpers", jumpers);  v("raid", raid);
    // v("level", level);
    v("txtlevel", txtlevel);
    v("txtscore", txtscore);
    v("txtcity", txtcity);
    v("txtmissiles", txtmissiles);
    v("txtname", txtname);
    v("txtcombo", txtcombo);
    v("txtstart", txtstart);
    v("txtgetready", txtgetready);
    v("txtrearming", txtrearming);
    v("txtgameover", txtgameover);
    v("txtplace", txtplace);
    v("txtentername", txtentername);
    v("wstart", wstart);
    v("wgetready", wgetready);
    v("wrearming", wrearming);
    v("wgameover", wgameover);
    v("wentername", wentername);
    v("langcount", langcount);
    v("langtag", langtag);
    v.key("timer");
    v.out += "{\"ticks\":" + std::to_string(timer ? TimerTicks(timer) : 0) + "}";
    v("ms", ms);
    v("cityshift", cityshift);
    v("viewscalex", viewscalex);
    v("viewscaley", viewscaley);
    v.end();
    return v.out;
}
