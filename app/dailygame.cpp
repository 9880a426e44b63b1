// app/dailygame.cpp — the daily challenge's game in the window: its start, its end, the
// player's best of each day.
#include "app/dailygame.h"

#include <cstdio>
#include <ctime>

#include "app/daily.h"
#include "app/language.h"
#include "app/replay.h"
#include "app/scores.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/screenwords.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"

namespace {

struct tdaily {
    bool on = false;
    std::string date;
    bool over = false;                // the game has ended: its score and level are kept
    int score = 0, level = 1;
    bool told = false;                // a failure to keep daily.cfg was said
};
thread_local tdaily daily;

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> w;
    size_t at = 0;
    while ((at = s.find_first_not_of(' ', at)) != std::string::npos) {
        size_t end = s.find(' ', at);
        w.push_back(s.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return w;
}

void keep(const tdailybest& game) {
    std::string text;
    std::vector<tdailybest> days;
    if (ReadFile(dailybestpath(), text)) days = parsedailybests(text);
    if (!keepdailybest(days, game)) return;
    std::string why = SaveFile(dailybestpath(), dailybeststext(days));
    if (why.empty() || daily.told) return;
    daily.told = true;
    std::string line = "Can't save " + dailybestpath() + ": " + why;
    std::fprintf(stderr, "varnhold: %s\n", line.c_str());
    showscoresline(line, false);
}

// The daily game has ended (or is quit): its replay, the day's best, the outbox. `goon`: the
// game goes on, from a fresh world with a recording of its own.
void finish(bool goon) {
    if (!daily.on) return;
    if (!daily.over) daily.score = world->level.score, daily.level = world->level.level;
    treplay r = recordedreplay();
    daily.on = false;
    keep({daily.date, daily.score, daily.level, world->level.name});
    senddaily(r, daily.score);
    if (!goon) return;   // closing: the settings' writer writes the --record file
    std::string problem = savereplay();
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    stoprecording();
    int seed = int(uint32_t(MilliSecs()));
    freshworld(seed);
    restartrecording("", seed);
}

// A frame has run (after the game's own step, so that a replay ending here ends with it).
void tick() {
    int prg = world->level.prg;
    if (!daily.over && (prg == level_gameover || prg == level_nameentry)) {
        daily.over = true;
        daily.score = world->level.score;
        daily.level = world->level.level;
    }
    bool playing = prg == level_fight || prg == level_getready;
    if (prg == level_title || (daily.over && playing)) finish(true);
}

// Behind the game: its frame step has run.
void* afterhook(int, void* data, void*) {
    auto* e = static_cast<TEvent*>(data);
    if (e && daily.on && e->id == EVENT_TIMERTICK && world->timer && e->source == world->timer) tick();
    return data;
}

// In front of the recorder: the menu entry starts a new recording, so no replay holds it.
void* dailyhook(int, void* data, void*) {
    auto* e = static_cast<TEvent*>(data);
    if (!e || replaying()) return data;
    if (e->id == EVENT_MENUACTION && e->data == menu_daily) {
        startdaily(dailydate(static_cast<long long>(std::time(nullptr))));
        return nullptr;
    }
    // A new game during the daily one quits it first: the new one is not the day's.
    bool fight = world->level.prg == level_fight || world->level.prg == level_getready;
    bool start = (e->id == EVENT_MENUACTION && e->data == menu_start) ||
                 (e->id == EVENT_KEYDOWN && e->data == key_enter && world->can.g && e->source == world->can.g);
    if (daily.on && fight && start && world->level.pause == pause_off) finish(true);
    return data;
}

}  // namespace

std::vector<tdailybest> parsedailybests(const std::string& text) {
    std::vector<tdailybest> days;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        at = nl == std::string::npos ? text.size() : nl + 1;
        std::vector<std::string> w = words(line);
        if (w.size() < 3 || !dailydatevalid(w[0])) continue;
        tdailybest d;
        d.date = w[0];
        try {
            d.score = std::stoi(w[1]);
            d.level = std::stoi(w[2]);
        } catch (...) {
            continue;
        }
        size_t name = line.find(w[2], line.find(w[1], w[0].size()) + w[1].size()) + w[2].size();
        d.name = name < line.size() ? line.substr(name + 1) : "";
        keepdailybest(days, d);
    }
    return days;
}

std::string dailybeststext(const std::vector<tdailybest>& days) {
    std::string t;
    for (const tdailybest& d : days)
        t += d.date + " " + std::to_string(d.score) + " " + std::to_string(d.level) + " " + d.name + "\n";
    return t;
}

bool keepdailybest(std::vector<tdailybest>& days, const tdailybest& game) {
    for (tdailybest& d : days) {
        if (d.date != game.date) continue;
        if (game.score < d.score || (game.score == d.score && game.level <= d.level)) return false;
        d = game;
        return true;
    }
    size_t at = 0;   // newest day first
    while (at < days.size() && days[at].date > game.date) at++;
    days.insert(days.begin() + long(at), game);
    return true;
}

std::string dailybestpath() {
    size_t slash = cfgpath.rfind('/');
    return (slash == std::string::npos ? "" : cfgpath.substr(0, slash + 1)) + "daily.cfg";
}

void startdailyclient() {
    daily = tdaily();
    AddHook(HOOK_EMITEVENT, dailyhook, nullptr, 2);
    AddHook(HOOK_EMITEVENT, afterhook, nullptr, -1);
}

void startdaily(const std::string& date) {
    int seed = dailyseed(date);
    if (!seed) return;
    finish(false);
    std::string path = recordingpath();
    savereplay();
    stoprecording();
    world->level.abandonentry();   // as any new game does
    freshworld(seed);
    restartrecording(path, seed, date);
    daily = tdaily{true, date, false, 0, 1, daily.told};
    // The game starts at once, as "Start" does: the replay's first event.
    int i = world->menu.find(menu_start);
    EmitEvent(CreateEvent(EVENT_MENUACTION, i >= 0 ? world->menu.g[size_t(i)] : nullptr, menu_start));
}

std::string dailyplaying() { return daily.on ? daily.date : ""; }

void dailyclosing() { finish(false); }

std::string dailytext(int line, const std::string& date, const std::vector<std::string>& values, bool english) {
    auto text = [english](int l) {
        if (!english) return languageline(l);
        for (const tscreenword& w : linewords)
            if (w.line == l) return std::string(w.english);
        return std::string();
    };
    std::string t = text(line);
    std::vector<std::string> months = words(text(lineword_months));
    int month = date.size() == 10 ? std::atoi(date.substr(5, 2).c_str()) : 0;
    std::string day = date.size() == 10 ? std::to_string(std::atoi(date.substr(8, 2).c_str())) : "";
    auto put = [&t](const std::string& key, const std::string& value) {
        size_t at = t.find(key);
        if (at != std::string::npos) t.replace(at, key.size(), value);
    };
    put("{day}", day);
    put("{month}", month >= 1 && month <= int(months.size()) ? months[size_t(month - 1)] : date);
    size_t next = 0;
    for (const char* key : {"{rank}", "{of}", "{score}", "{why}"}) {
        if (t.find(key) == std::string::npos || next >= values.size()) continue;
        put(key, values[next++]);
    }
    return t;
}
