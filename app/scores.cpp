// app/scores.cpp — the score server's client: scores.cfg, the outbox and its sending, the
// shared table in the browser, the table's best game in the replay viewer.
#include "app/scores.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/dailygame.h"
#include "app/replay.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/menutags.h"
#include "framework/screenwords.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"

const char* const defaultscoreserver = "http://127.0.0.1:8080";

namespace {

struct tclient {
    tscoresettings cfg;
    std::string outbox;               // with its "/"; "" until sending needs it (made then)
    std::string sending;              // the outbox file on its way, "" when none
    std::string sent;                 // its bytes
    int failures = 0;                 // failed tries in a row
    int nextat = 0;                   // MilliSecs of the next try
    bool told = false;                // the failure to reach the server was said once
    bool watching = false;            // "Watch the best game" waits for the server
    std::string line;                 // shown over the playfield until `lineuntil` (MilliSecs)
    int lineuntil = 0;
    bool lineok = true;               // good news (green) or not (red)
    std::string kept;                 // the daily game last put in the outbox, and its score
    int keptscore = 0;
};
thread_local tclient client;

void say(const std::string& line) { std::fprintf(stderr, "varnhold: %s\n", line.c_str()); }

// A line for the player over the playfield for eight seconds, in place of a message box: a box
// would stop the frame timer in the middle of a recorded game.
void show(const std::string& line, bool ok) {
    client.line = line.size() > 90 ? line.substr(0, 87) + "..." : line;
    client.lineuntil = MilliSecs() + 8000;
    client.lineok = ok;
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t')) s.pop_back();
    size_t a = s.find_first_not_of(" \t");
    return a == std::string::npos ? "" : s.substr(a);
}

// The server's address without a trailing "/", so that paths can follow it.
std::string base() {
    std::string s = client.cfg.server.empty() ? defaultscoreserver : client.cfg.server;
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

// The values of "key": in a JSON text, in order: numbers as their digits, strings unescaped
// only as far as the server escapes a "/" or a quote (the game's answers hold nothing else).
std::vector<std::string> jsonvalues(const std::string& json, const std::string& key) {
    std::vector<std::string> out;
    std::string k = "\"" + key + "\":";
    for (size_t at = json.find(k); at != std::string::npos; at = json.find(k, at + 1)) {
        size_t v = json.find_first_not_of(' ', at + k.size());
        if (v == std::string::npos) break;
        std::string val;
        if (json[v] == '"') {
            for (size_t i = v + 1; i < json.size() && json[i] != '"'; i++) {
                if (json[i] == '\\' && i + 1 < json.size()) i++;
                val += json[i];
            }
        } else {
            size_t e = json.find_first_of(",}] ", v);
            val = json.substr(v, e == std::string::npos ? std::string::npos : e - v);
        }
        out.push_back(val);
    }
    return out;
}

void savecfg() {
    std::string why = SaveFile(scoresettingspath(), scoresettingstext(client.cfg));
    if (!why.empty()) say("Can't save " + scoresettingspath() + ": " + why);
}

void schedule(bool failed) {
    client.failures = failed ? client.failures + 1 : 0;
    client.nextat = MilliSecs() + scoresbackoff(client.failures);
}

// The date of a daily game's outbox file ("daily-2026-12-10-CLOCK.vhr"), "" for any other.
std::string dailyof(const std::string& file) { return file.rfind("daily-", 0) == 0 && file.size() > 16 ? file.substr(6, 10) : ""; }

// The answer's "daily" member: {"date", "rank", "of"} or {"date", "why"}; false without one.
bool dailyanswer(const std::string& body, std::string& date, std::string& rank, std::string& of, std::string& why) {
    size_t at = body.find("\"daily\":");
    if (at == std::string::npos) return false;
    size_t open = body.find('{', at), close = body.find('}', at);
    if (open == std::string::npos || close == std::string::npos || open > close) return false;
    std::string member = body.substr(open, close - open + 1);
    auto first = [&member](const char* key) {
        std::vector<std::string> v = jsonvalues(member, key);
        return v.empty() ? std::string() : v[0];
    };
    date = first("date"), rank = first("rank"), of = first("of"), why = first("why");
    return !date.empty();
}

void answered(const std::string& file, const thttpanswer& a) {
    client.sending.clear();
    std::string path = client.outbox + file;
    // The server's refusal or its table: the replay leaves the outbox, unless the game put a
    // longer one of the same session there meanwhile, which goes next.
    bool gone = (a.status >= 200 && a.status < 300) ||
                (a.status >= 400 && a.status < 500 && a.status != 408 && a.status != 429);
    if (gone) {
        std::string now;
        if (ReadFile(path, now) && now == client.sent) DeleteFile(path);
        client.sent.clear();
        if (a.status < 300) {
            // the all-time rows' ranks, before the day's own member
            std::string rows = a.body.substr(0, a.body.find("\"daily\":"));
            std::vector<std::string> ranks = jsonvalues(rows, "rank"), scores = jsonvalues(rows, "score");
            std::string line = "the score server " + base() + " took " + file + ":";
            for (size_t i = 0; i < ranks.size(); i++)
                line += " rank " + ranks[i] + (i < scores.size() ? " (score " + scores[i] + ")" : "") +
                        (i + 1 < ranks.size() ? "," : "");
            if (ranks.empty()) line += " no rank";
            std::string date, rank, of, why;
            if (dailyanswer(a.body, date, rank, of, why)) {
                say(line);
                say(rank.empty() ? dailytext(lineword_dailylate, date, {}, true) + " (" + why + ")"
                                 : dailytext(lineword_dailyrank, date, {rank, of}, true));
                if (!rank.empty()) show(dailytext(lineword_dailyrank, date, {rank, of}), true);
                else show(dailytext(lineword_dailylate, date), false);
            } else {
                say(line);
                show(ranks.empty() ? "Shared high scores: your score was taken"
                                   : "Shared high scores: your score is number " + ranks.front(), true);
            }
        } else {
            std::vector<std::string> err = jsonvalues(a.body, "error");
            say("the score server " + base() + " refused " + file + " (" + std::to_string(a.status) +
                "): " + (err.empty() ? "no reason given" : err[0]));
            std::string reason = err.empty() ? std::string("no reason given") : err[0];
            if (!dailyof(file).empty()) show(dailytext(lineword_dailyrefused, dailyof(file), {reason}), false);
            else show("Shared high scores: not taken, " + reason, false);
        }
        client.told = false;
        schedule(false);
        return;
    }
    client.sent.clear();
    if (!client.told) {
        std::string why = a.status ? "it answered " + std::to_string(a.status) : a.error;
        say("can't send " + file + " to the score server " + base() + " now (" + why +
            "); it waits in " + client.outbox);
        client.told = true;
        if (!dailyof(file).empty() && client.kept == file)
            show(dailytext(lineword_dailykept, dailyof(file), {std::to_string(client.keptscore)}), false);
    }
    schedule(true);
}

// The outbox folder, made the first time sending needs it; "" when there is no data folder.
const std::string& outbox() {
    if (client.outbox.empty()) client.outbox = DataDir("varnhold", "outbox");
    return client.outbox;
}

// Sends the oldest replay of the outbox when its time has come; one at a time.
void pump() {
    if (!client.cfg.send || !client.sending.empty() || MilliSecs() - client.nextat < 0) return;
    if (outbox().empty()) {
        client.nextat = MilliSecs() + scoresbackoff(8);
        return;
    }
    std::vector<std::string> files = ListFiles(client.outbox);
    std::erase_if(files, [](const std::string& f) { return f.size() < 4 || f.compare(f.size() - 4, 4, ".vhr") != 0; });
    if (files.empty()) {
        client.nextat = MilliSecs() + 3600000;   // until a row puts a replay there
        return;
    }
    std::string file = files.front();
    if (!ReadFile(client.outbox + file, client.sent)) {
        schedule(true);
        return;
    }
    client.sending = file;
    thttprequest r;
    r.method = "POST";
    r.url = base() + "/api/v1/replays";
    r.body = client.sent;
    HttpRequest(r, [file](const thttpanswer& a) { answered(file, a); });
}

// A failure of "Watch the best game": a box for the player who asked, a line on standard error.
void watchfailed(const std::string& why) {
    client.watching = false;
    say("can't watch the best game: " + why);
    show("Can't watch the best game: " + why, false);
}

std::string failure(const thttpanswer& a) {
    if (!a.status) return a.error;
    std::vector<std::string> err = jsonvalues(a.body, "error");
    return "the server answered " + std::to_string(a.status) + (err.empty() ? "" : ": " + err[0]);
}

void gotbest(const thttpanswer& a) {
    if (a.status != 200) return watchfailed(failure(a));
    // a replay plays back only in the version that recorded it: a server of another version is
    // said here, not only by the viewer on its standard error
    size_t at = a.body.find("\nprogram ");
    if (at != std::string::npos) {
        std::string program = trimmed(a.body.substr(at + 9, a.body.find('\n', at + 9) - at - 9));
        if (program != programversion())
            return watchfailed("recorded by version " + program + "; this is version " + programversion());
    }
    std::string path = DataDir("varnhold");
    if (path.empty()) return watchfailed("there is no data folder to keep the replay in");
    path += "best.vhr";
    std::string why = SaveFile(path, a.body);
    if (!why.empty()) return watchfailed("can't save " + path + ": " + why);
    client.watching = false;
    if (!StartSelf({"--replay", path})) watchfailed("the replay viewer did not start");
}

void gottable(const thttpanswer& a) {
    if (a.status != 200) return watchfailed(failure(a));
    std::vector<std::string> replays = jsonvalues(a.body, "replay");
    if (replays.empty()) return watchfailed("the table is empty");
    thttprequest r;
    r.url = base() + replays[0];
    HttpRequest(r, gotbest);
}

void watchbest() {
    if (client.watching) return;
    client.watching = true;
    thttprequest r;
    r.url = base() + "/api/v1/scores?limit=1";
    HttpRequest(r, gottable);
}

// In front of the recorder: these entries change nothing of the world, so no replay holds them.
void* scoreshook(int, void* data, void*) {
    auto* e = static_cast<TEvent*>(data);
    if (!e) return data;
    if (e->id == EVENT_TIMERTICK && world->timer && e->source == world->timer) pump();
    if (e->id != EVENT_MENUACTION) return data;
    switch (e->data) {
    case menu_sendscores:
        client.cfg.send = !client.cfg.send;
        world->menu.set(menu_sendscores, client.cfg.send);
        savecfg();
        client.told = false;
        schedule(false);
        return nullptr;
    case menu_sharedscores:
        if (!OpenURL(base() + "/")) {
            say("can't open " + base() + "/ in a web browser");
            show("Can't open " + base() + "/ in a web browser", false);
        }
        return nullptr;
    case menu_watchbest:
        watchbest();
        return nullptr;
    default:
        return data;
    }
}

}  // namespace

tscoresettings parsescoresettings(const std::string& text) {
    tscoresettings s;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        at = nl == std::string::npos ? text.size() : nl + 1;
        size_t eq = line.find('=');
        std::string key = trimmed(line.substr(0, eq)), value = eq == std::string::npos ? "" : trimmed(line.substr(eq + 1));
        if (eq != std::string::npos && key == "send") s.send = value == "1";
        else if (eq != std::string::npos && key == "server") s.server = value;
        else if (!trimmed(line).empty()) s.other.push_back(line);
    }
    return s;
}

std::string scoresettingstext(const tscoresettings& s) {
    std::string t = std::string("send=") + (s.send ? "1" : "0") + "\n";
    if (!s.server.empty()) t += "server=" + s.server + "\n";
    for (const std::string& l : s.other) t += l + "\n";
    return t;
}

std::string scoresettingspath() {
    size_t slash = cfgpath.rfind('/');
    return (slash == std::string::npos ? "" : cfgpath.substr(0, slash + 1)) + "scores.cfg";
}

int scoresbackoff(int failures) {
    if (failures <= 0) return 0;
    // 30 s, 1, 2, 4 ... minutes, at most an hour; the next start tries at once.
    return 30000 << std::min(failures - 1, 7);
}

void startscores(const std::string& server, const std::string& outbox) {
    client = tclient();
    std::string text;
    if (ReadFile(scoresettingspath(), text)) client.cfg = parsescoresettings(text);
    if (!server.empty() && server != client.cfg.server) {
        client.cfg.server = server;
        savecfg();
    }
    client.outbox = outbox;
    client.nextat = MilliSecs();
    world->menu.set(menu_sendscores, client.cfg.send);
    world->savehook = scorerowmade;
    AddHook(HOOK_EMITEVENT, scoreshook, nullptr, 2);
}

void scorerowmade() {
    savenow();
    // a daily game goes to the server whole when it ends (senddaily)
    if (!client.cfg.send || !recording() || replaying() || !dailyplaying().empty()) return;
    if (outbox().empty()) {
        say("can't keep the replay for the score server: there is no data folder");
        return;
    }
    treplay r = recordedreplay();
    // One file a session: a later row replaces the replay that has not left yet.
    std::string file = "session-" + std::to_string(static_cast<uint32_t>(r.clock)) + "-" +
                       std::to_string(static_cast<uint32_t>(r.seed)) + ".vhr";
    std::string why = SaveFile(client.outbox + file, writereplay(r));
    if (!why.empty()) {
        say("Can't save " + client.outbox + file + ": " + why);
        return;
    }
    client.failures = 0;
    client.nextat = MilliSecs();
    pump();
}

void senddaily(const treplay& r, int score) {
    std::string file = "daily-" + r.daily + "-" + std::to_string(static_cast<uint32_t>(r.clock)) + ".vhr";
    std::string why = !client.cfg.send ? "sending is off"
                      : outbox().empty() ? "there is no data folder"
                                         : SaveFile(client.outbox + file, writereplay(r));
    if (!why.empty()) {
        if (client.cfg.send) say("can't keep the daily game for the score server: " + why);
        show(dailytext(lineword_dailykept, r.daily, {std::to_string(score)}), false);
        return;
    }
    client.kept = file;
    client.keptscore = score;
    client.told = false;   // a server out of reach is said again, with this game's line
    client.failures = 0;
    client.nextat = MilliSecs();
    pump();
}

void showscoresline(const std::string& line, bool ok) { show(line, ok); }

std::string scoresline() { return client.line.empty() || MilliSecs() - client.lineuntil >= 0 ? "" : client.line; }

void drawscores() {
    std::string line = scoresline();
    if (line.empty()) return;
    if (client.lineok) SetColor(120, 230, 120);
    else SetColor(255, 90, 60);
    world->font.draw(line, 50, 130);
    SetColor(255, 255, 255);
}
