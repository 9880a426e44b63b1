// app/replay.cpp — the recorder and the player: both sit on the event hook in front of the
// application object (a higher priority), so they see every event before the game does.
//
// Frames are counted as the game runs them: an event recorded at tick t arrived after t frame
// steps and before step t + 1. A checkpoint of frame f is the world at the same place: after
// step f and the events of tick f, before step f + 1.
#include "app/replay.h"

#include <cstdio>

#include "app/applet.h"
#include "app/datadigest.h"
#include "app/programinfo.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/input.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "framework/text.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"

namespace {

// The replay's settings records are read through the settings file's own reader from here.
const char* const replaycfg = "replay/varnhold.cfg";

std::string languagename(int tag) {
    int i = world->menu.find(tag);
    return i >= 0 ? GadgetText(world->menu.g[static_cast<size_t>(i)]) : "";
}

// ---------------------------------------------------------------------------------------------
// Recording

struct trecorder {
    bool on = false;
    std::string path;
    treplay r;
    int frames = 0;                   // frame steps run since the recording began
    std::string trace;                // of the frames since the last checkpoint
    int canvasw = -1, canvash = -1;   // the canvas size last written
};
thread_local trecorder rec;

void note(int id, int data = 0, int mods = 0, int x = 0, int y = 0) {
    treplayevent e;
    e.tick = rec.frames;
    e.clock = static_cast<int>(static_cast<uint32_t>(world->ms) - static_cast<uint32_t>(rec.r.clock));
    if (!rec.r.events.empty() && e.clock < rec.r.events.back().clock) e.clock = rec.r.events.back().clock;
    e.id = id;
    e.data = data;
    e.mods = mods;
    e.x = x;
    e.y = y;
    rec.r.events.push_back(e);
}

// A frame is about to run: the one before it is complete.
void recordtick() {
    if (rec.frames > 0) {
        rec.trace += tracechar();
        if (rec.frames % rec.r.checkevery == 0) {
            rec.r.checks.push_back({rec.frames, worlddigest(), rec.trace});
            rec.trace.clear();
        }
    }
    rec.frames++;
}

void* recordhook(int, void* data, void*) {
    auto* e = static_cast<TEvent*>(data);
    if (!e || !rec.on) return data;
    if (e->id == EVENT_TIMERTICK) {
        if (world->timer && e->source == world->timer) recordtick();
    } else if (world->can.g && e->source == world->can.g) {
        if (e->id == EVENT_GADGETPAINT) return data;
        // Positions are canvas pixels: the canvas size goes with them whenever it changed.
        if (world->can.w != rec.canvasw || world->can.h != rec.canvash) {
            rec.canvasw = world->can.w;
            rec.canvash = world->can.h;
            note(replaycanvas, 0, 0, world->can.w, world->can.h);
        }
        note(e->id, e->data, e->mods, e->x, e->y);
    } else if (e->id == EVENT_MENUACTION) {
        if (world->menu.find(e->data) >= 0) note(EVENT_MENUACTION, e->data);
    } else if (e->id == EVENT_APPSUSPEND || e->id == EVENT_APPRESUME) {
        note(e->id);
    }
    return data;
}

// ---------------------------------------------------------------------------------------------
// Playback

struct tplayer {
    bool on = false;
    bool window = false;
    treplay r;
    std::string name;
    std::string trace;                // the recorded trace, frame f at f - 1
    size_t next = 0;                  // the next event to hand over
    size_t nextcheck = 0;
    int frame = 0;                    // frame steps run
    float scale = 1;                  // of the recorded canvas
    bool injecting = false;           // a recorded event is on its way through the hooks
    bool paused = false;              // the player's P
    bool playerfast = false;          // the player holds F5
    bool pdown = false;
    TTimer* pace = nullptr;
    float pacehz = 0;
    bool gameover = false;            // the game has ended: its score and level are the result
    treplayverdict v;
};
thread_local tplayer play;

// The settings file's bytes of the replay's records, for the settings reader.
std::string settingsbytes(const treplaysettings& s) {
    std::string b;
    for (int v : s.window) b += varbytes(v);
    for (int v : s.options) b += static_cast<char>(v);
    b += static_cast<char>(s.language);
    b += static_cast<char>(s.volume);
    auto str = [&b](const std::string& t) { b += varbytes(static_cast<int>(t.size())) + t; };
    str(s.name);
    b += varbytes(s.level) + varbytes(s.score) + varbytes(s.highlight);
    for (const treplayrow& row : s.rows) {
        str(row.name);
        b += varbytes(row.level) + varbytes(row.score);
    }
    return b;
}

void inject(const treplayevent& e) {
    if (e.id == replaycanvas) {
        float s = viewscale(e.x, e.y);
        if (s > 0) play.scale = s;
        return;
    }
    world->ms = static_cast<int>(static_cast<uint32_t>(play.r.clock) + static_cast<uint32_t>(e.clock));
    void* source = world->can.g;
    if (e.id == EVENT_MENUACTION) {
        int i = world->menu.find(e.data);
        source = i >= 0 ? world->menu.g[static_cast<size_t>(i)] : nullptr;
    } else if (e.id == EVENT_APPSUSPEND || e.id == EVENT_APPRESUME) {
        source = nullptr;
    }
    play.injecting = true;
    EmitEvent(CreateEvent(e.id, source, e.data, e.mods, e.x, e.y));
    play.injecting = false;
    // The recorded pointer entering the canvas hides the system pointer; the player keeps his.
    if (play.window && e.id == EVENT_MOUSEENTER) ShowMouse();
}

std::string hex(uint64_t d) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(d));
    return buf;
}

// The frames after the last checkpoint that matched, up to the one that did not.
std::string span(int good, int bad) {
    if (good == 0) return "frame " + std::to_string(bad) + " or before";
    return "a frame from " + std::to_string(good + 1) + " to " + std::to_string(bad);
}

std::string verdicttext() {
    const treplayverdict& v = play.v;
    const treplaycheck& end = play.r.end;
    if (v.same) return play.name + ": the same world as recorded after " + std::to_string(end.frame) + " frames";
    std::string m = play.name + ": the world differs from the recording";
    if (v.firstframe >= 0 && (v.firstcheck < 0 || v.firstframe <= v.firstcheck))
        m += ": first at frame " + std::to_string(v.firstframe) + " (random draws, score or level state)";
    else
        m += ": first at " + span(v.lastgood, v.firstcheck >= 0 ? v.firstcheck : end.frame);
    m += "; at the end, frame " + std::to_string(end.frame) + ", the digest is " + hex(v.digest) + ", recorded " +
         hex(end.digest) + ".\n";
    m += "If the game's rules or its random draws were changed on purpose, record the replay again "
         "(tests/replays/record.sh for the test replays, see docs/replay.md); if not, this change "
         "broke the game's determinism.";
    return m;
}

// Compares the world at frame f with the recording. The recorder took its checkpoint as the
// tick of frame f + 1 arrived, its count already raised: so does the playback (or at the end).
void judge(int f) {
    treplayverdict& v = play.v;
    if (f > 0 && v.firstframe < 0 && static_cast<size_t>(f) <= play.trace.size() &&
        tracechar() != play.trace[static_cast<size_t>(f - 1)])
        v.firstframe = f;
    if (play.nextcheck < play.r.checks.size() && play.r.checks[play.nextcheck].frame == f) {
        bool same = worlddigest() == play.r.checks[play.nextcheck].digest;
        if (!same && v.firstcheck < 0) v.firstcheck = f;
        if (same && v.firstcheck < 0) v.lastgood = f;
        play.nextcheck++;
    }
}

void finish() {
    treplayverdict& v = play.v;
    judge(play.frame);
    if (!play.gameover) v.dailyresult = {"", world->level.level, world->level.score};
    v.dailyresult.name = world->level.name;
    v.ended = true;
    v.digest = worlddigest();
    v.same = v.digest == play.r.end.digest && v.firstframe < 0 && v.firstcheck < 0;
    v.message = verdicttext();
    if (play.window) {
        std::printf("%s\n", v.message.c_str());
        std::fflush(stdout);
        if (play.pace) StopTimer(play.pace);
        play.pace = nullptr;
        RedrawGadget(world->can.g);
    }
}

// Hands over the events of the current frame, compares the world, then runs the next frame;
// false once the end frame has been judged.
bool playframe() {
    const auto& events = play.r.events;
    while (play.next < events.size() && events[play.next].tick == play.frame) inject(events[play.next++]);
    if (play.frame >= play.r.end.frame) {
        finish();
        return false;
    }
    play.frame++;
    stepworld();
    if (!play.gameover && world->level.prg == level_gameover) {
        play.gameover = true;
        play.v.dailyresult = {"", world->level.level, world->level.score};
    }
    return true;
}

// The pace follows the game's own rate (F5 held in the recording: 480 Hz), eight times that
// while the player holds F5.
void retime() {
    float hz = (world->fasttimer ? 480.0f : 60.0f) * (play.playerfast ? 8.0f : 1.0f);
    if (play.paused || play.v.ended || hz == play.pacehz) return;
    if (play.pace) StopTimer(play.pace);
    play.pace = CreateTimer(hz);
    play.pacehz = hz;
}

void setpaused(bool on) {
    play.paused = on;
    if (on) {
        if (play.pace) StopTimer(play.pace);
        play.pace = nullptr;
        play.pacehz = 0;
    }
    retime();
    RedrawGadget(world->can.g);
}

// The player's own input during a playback in the window.
void playerinput(const TEvent* e) {
    if (e->id == EVENT_KEYDOWN) {
        if (e->data == key_escape) EmitEvent(CreateEvent(EVENT_WINDOWCLOSE, world->win.g));
        if (e->data == 'P' && !play.pdown) setpaused(!play.paused);
        if (e->data == 'P') play.pdown = true;
        if (e->data == key_f5) play.playerfast = true;
    } else if (e->id == EVENT_KEYUP) {
        if (e->data == 'P') play.pdown = false;
        if (e->data == key_f5) play.playerfast = false;
    } else if (e->id == EVENT_MOUSEWHEEL) {
        world->volume.set(e->data);
        world->snd.setvol(world->volume.vol);
    }
    retime();
}

void* playhook(int, void* data, void*) {
    auto* e = static_cast<TEvent*>(data);
    if (!e || !play.on) return data;
    if (play.injecting) {
        // The game's own answer to a recorded Escape or Quit: the recording ended there, and so
        // does the playback, at its end frame.
        return e->id == EVENT_WINDOWCLOSE ? nullptr : data;
    }
    if (world->timer && e->source == world->timer) {   // the frame steps the playback runs
        if (e->id == EVENT_TIMERTICK && play.frame > 0) judge(play.frame - 1);
        return data;
    }
    if (play.pace && e->source == play.pace) {
        if (e->id == EVENT_TIMERTICK && !play.paused && !play.v.ended) playframe();
        retime();
        return data;   // the game ignores it, but looks for a pending signal
    }
    if (world->win.g && e->source == world->win.g) return data;   // moving, resizing, the close box
    if (e->id == EVENT_MENUACTION) {
        bool step = e->data >= world->volume.tag && e->data <= world->volume.tag + world->volume.lmax;
        if (e->data == menu_quit || step) return data;   // quitting, or a volume step
        if (e->data == menu_pause) setpaused(!play.paused);
        return nullptr;
    }
    if (world->can.g && e->source == world->can.g) {
        if (e->id == EVENT_GADGETPAINT) return data;
        playerinput(e);
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

char tracechar() {
    uint32_t h = 2166136261u;
    for (int v : {world->rnd.seed, world->rnd.n2, world->rnd.n3, world->level.score, world->level.prg}) {
        h ^= static_cast<uint32_t>(v);
        h *= 16777619u;
    }
    h ^= h >> 16;
    h ^= h >> 8;
    return replaytracechars[h & 63];
}

std::string programversion() {
    registerprograminfo();
    return infovalue("version") + "." + infovalue("build");
}

void startrecording(const std::string& path, int seed, const std::string& daily) {
    restartrecording(path, seed, daily);
    AddHook(HOOK_EMITEVENT, recordhook, nullptr, 1);
}

void restartrecording(const std::string& path, int seed, const std::string& daily) {
    rec = trecorder();
    rec.on = true;
    rec.path = path;
    treplay& r = rec.r;
    r.program = programversion();
    r.data = datadigest();
    r.seed = seed;
    r.daily = daily;
    // The game's clock is sampled after each flip, and the last flip was the loading screen's,
    // before the pictures and sounds were read: taken as it is, the events of the first frames
    // (before the first frame is shown) would carry a clock that is behind by the whole loading
    // time and then jumps, which the score server's pace check takes for a slow game. A
    // playback sets the clock from the events, so the world does not depend on this.
    world->ms = MilliSecs();
    r.clock = world->ms;
    // The settings records as they stand after start-up, as the settings file would get them.
    treplaysettings& s = r.settings;
    s.window[0] = world->win.x, s.window[1] = world->win.y, s.window[2] = world->win.w, s.window[3] = world->win.h;
    for (int i = 0; i < 4; i++) s.options[i] = world->menu.get(storedoptions[i]);
    s.language = world->langtag & 255;
    s.languagename = languagename(world->langtag);
    s.volume = world->volume.on;
    s.name = world->level.name;
    s.level = world->level.level;
    s.score = world->level.score;
    s.highlight = world->level.highlighthiscore;
    for (int i = 0; i < 10; i++)
        s.rows[i] = {world->level.hiscore[i].name, world->level.hiscore[i].level, world->level.hiscore[i].score};
}

void stoprecording() { rec.on = false; }

bool recording() { return rec.on; }

treplay recordedreplay() {
    treplay r = rec.r;
    r.end.frame = rec.frames;
    r.end.digest = worlddigest();
    r.end.trace = rec.trace;
    if (rec.frames > 0) r.end.trace += tracechar();
    return r;
}

std::string replaypathproblem(const std::string& path) {
    std::string why = CanSaveFile(path);
    return why.empty() ? "" : "can't write the replay " + path + ": " + why;
}

std::string savereplay() {
    if (!rec.on || rec.path.empty()) return "";
    std::string why = SaveFile(rec.path, writereplay(recordedreplay()));
    return why.empty() ? "" : "Can't save " + rec.path + ": " + why;
}

std::string recordingpath() { return rec.on ? rec.path : ""; }

std::string startplayback(const treplay& r, const std::string& name, bool window) {
    EnterThread();
    play = tplayer();
    play.on = true;
    play.window = window;
    play.r = r;
    play.name = name;
    for (const treplaycheck& c : r.checks) play.trace += c.trace;
    play.trace += r.end.trace;
    play.scale = viewscale(800, 400);

    RegisterIncbin(replaycfg, settingsbytes(r.settings));
    std::string cfg = cfgpath;
    cfgpath = std::string("incbin::") + replaycfg;
    tstartup how;
    how.seeded = true;
    how.seed = r.seed;
    std::string missing = startup(how);
    cfgpath = cfg;
    if (!missing.empty()) return "Can't load " + missing;
    if (world->langtag != r.settings.language || languagename(world->langtag) != r.settings.languagename)
        return name + ": recorded in the language \"" + r.settings.languagename + "\" (entry " +
               std::to_string(r.settings.language) + "), but this program's varnhold.lng has \"" +
               languagename(world->langtag) + "\" there";
    AddHook(HOOK_EMITEVENT, playhook, nullptr, 1);
    return "";
}

void stopplayback() {
    if (play.pace) StopTimer(play.pace);
    play = tplayer();
}

bool replaying() { return play.on; }

treplayverdict playtoend(bool untildiffers, const std::function<bool()>& late) {
    auto differs = [] { return play.v.firstframe >= 0 || play.v.firstcheck >= 0; };
    while (play.on && !play.v.ended && !(untildiffers && differs()) && !(late && late()) && playframe()) {}
    return play.v;
}

void playwindowed() { retime(); }

float replayinputscale() { return play.on ? play.scale : 0; }

void drawreplay() {
    if (!play.on || !play.window) return;
    const treplayverdict& v = play.v;
    bool differs = v.firstframe >= 0 || v.firstcheck >= 0 || (v.ended && !v.same);
    std::string t;
    if (v.ended) t = v.same ? "Replay ended: the same world as recorded" : "Replay ended: the world differs from the recording";
    else t = "Replay " + std::to_string(play.frame) + " / " + std::to_string(play.r.end.frame) + (play.paused ? "  paused" : "") +
             (differs ? "  differs" : "");
    if (differs) SetColor(255, 90, 60);
    else SetColor(120, 230, 120);
    world->font.draw(t, 50, 100);
    SetColor(255, 255, 255);
}

int replayexitstatus(int status) {
    const treplayverdict& v = play.v;
    bool differs = v.firstframe >= 0 || v.firstcheck >= 0 || (v.ended && !v.same);
    return play.on && status == 0 && differs ? 1 : status;
}

TTimer* frametimer(float hz) { return CreateTimer(hz, play.on); }
