// server/api.cpp — the routes of the score server (docs/server.md).
#include "server/api.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "app/daily.h"
#include "app/replay.h"

namespace {

std::string utf8(const std::string& latin1) {
    std::string out;
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

std::string percent(const std::string& s) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

tresponse json(int status, const std::string& body) {
    tresponse r;
    r.status = status;
    r.body = body + "\n";
    return r;
}

tresponse error(int status, const std::string& message, const std::string& more = "") {
    return json(status, "{\"error\":" + jsonstring(message) + more + "}");
}

std::string entryjson(const tentry& e) {
    return "{\"rank\":" + std::to_string(e.rank) + ",\"name\":" + jsonstring(e.name) + ",\"score\":" +
           std::to_string(e.score) + ",\"level\":" + std::to_string(e.level) + ",\"date\":" + jsonstring(e.date) +
           ",\"replay\":" + jsonstring("/api/v1/replays/" + std::to_string(e.replay)) + "}";
}

std::string entriesjson(const std::vector<tentry>& entries) {
    std::string out = "[";
    for (size_t i = 0; i < entries.size(); i++) out += (i ? "," : "") + entryjson(entries[i]);
    return out + "]";
}

// The answer's "daily" member: the name's place in the day's table, or why the game has none.
std::string dailyjson(const tdailyrank& r) {
    return ",\"daily\":{\"date\":" + jsonstring(r.day) + ",\"rank\":" + std::to_string(r.rank) +
           ",\"of\":" + std::to_string(r.of) + "}";
}
std::string dailyjson(const std::string& day, const std::string& why) {
    return ",\"daily\":{\"date\":" + jsonstring(day) + ",\"why\":" + jsonstring(why) + "}";
}

// "10 December 2026" of "2026-12-10".
std::string dayname(const std::string& day) {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    int m = std::atoi(day.substr(5, 2).c_str());
    return std::to_string(std::atoi(day.substr(8, 2).c_str())) + " " + (m >= 1 && m <= 12 ? months[m - 1] : "?") + " " +
           day.substr(0, 4);
}

const char* const badday = " is not a day: a day is written YYYY-MM-DD, from 2000-01-01 to 2099-12-31";

// A whole number from 0 to `most`, or -1.
long long count(const std::string& s, long long most) {
    if (s.empty() || s.size() > 12 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    long long v = std::atoll(s.c_str());
    return v <= most ? v : -1;
}

}  // namespace

std::string jsonstring(const std::string& latin1) {
    std::string out = "\"";
    for (unsigned char c : latin1) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += utf8(std::string(1, static_cast<char>(c)));
        }
    }
    return out + "\"";
}

std::string htmltext(const std::string& latin1) {
    std::string out;
    for (char c : utf8(latin1)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

tapi::tapi(tstore& store_, tverify verify_, tapiconfig config_)
    : store(store_), verify(std::move(verify_)), config(std::move(config_)) {}

tresponse tapi::handle(const trequest& r) {
    tresponse out;
    try {
        const std::string replays = "/api/v1/replays";
        if (r.method == "OPTIONS") {
            out.status = 204;
            out.body.clear();
        } else if (r.path == "/api/v1/replays") {
            out = r.method == "POST" ? submit(r) : error(405, "send a replay with POST");
        } else if (r.method != "GET" && r.method != "HEAD") {
            out = error(405, "this address only answers GET");
        } else if (r.path == "/healthz") {
            try {
                store.ping();
                out = json(200, "{\"status\":\"ok\",\"database\":\"ok\"}");
            } catch (const tdbslow& e) {
                out = json(503, "{\"status\":\"the score table is not answering\",\"database\":\"not answering\"}");
                out.headers.push_back({"Retry-After", "30"});
                out.cause = e.what();
            } catch (const std::exception& e) {
                out = json(503, "{\"status\":\"the score table is out of reach\",\"database\":\"unreachable\"}");
                out.headers.push_back({"Retry-After", "30"});
                out.cause = e.what();
            }
        } else if (r.path == "/") {
            out = page();
        } else if (r.path == "/api/v1/scores") {
            out = scores(r);
        } else if (r.path == "/api/v1/daily") {
            out = days(r);
        } else if (r.path.rfind("/api/v1/daily/", 0) == 0) {
            out = daily(r, r.path.substr(14));
        } else if (r.path.rfind("/daily/", 0) == 0) {
            std::string day = r.path.substr(7);
            out = dailydatevalid(day) ? page(day) : error(400, day.substr(0, 40) + badday);
        } else if (r.path.rfind(replays + "/", 0) == 0) {
            long long id = count(r.path.substr(replays.size() + 1), 1000000000000LL);
            std::string body;
            if (id <= 0 || !store.replay(id, body)) {
                out = error(404, "no such replay");
            } else {
                out.type = "text/plain; charset=ISO-8859-1";
                out.body = body;
                out.headers.push_back({"Content-Disposition", "attachment; filename=\"varnhold-" + std::to_string(id) + ".vhr\""});
            }
        } else {
            out = error(404, "no such address");
        }
    } catch (const std::exception& e) {
        // the store is out of reach (the cause goes to the log): nothing was stored, so the
        // same request may be sent again
        out = error(503, "the score table is out of reach for a moment: send the request again later");
        out.headers.push_back({"Retry-After", "30"});
        out.cause = e.what();
    }
    bool any = std::find(config.origins.begin(), config.origins.end(), "*") != config.origins.end();
    if (!r.origin.empty() && (any || std::find(config.origins.begin(), config.origins.end(), r.origin) != config.origins.end())) {
        out.headers.push_back({"Access-Control-Allow-Origin", any ? "*" : r.origin});
        out.headers.push_back({"Vary", "Origin"});
        if (r.method == "OPTIONS") {
            out.headers.push_back({"Access-Control-Allow-Methods", "GET, POST, OPTIONS"});
            out.headers.push_back({"Access-Control-Allow-Headers", "Content-Type"});
            out.headers.push_back({"Access-Control-Max-Age", "86400"});
        }
    }
    out.headers.push_back({"X-Content-Type-Options", "nosniff"});
    return out;
}

// A token bucket per address: `rate` replays a minute, as many at once.
bool tapi::allowed(const std::string& address) {
    std::lock_guard<std::mutex> lock(m);
    auto now = std::chrono::steady_clock::now();
    if (buckets.size() > 100000) {
        for (auto i = buckets.begin(); i != buckets.end();) {
            double full = i->second.tokens + std::chrono::duration<double>(now - i->second.at).count() * config.rate / 60;
            i = full >= config.rate ? buckets.erase(i) : std::next(i);
        }
    }
    auto [i, fresh] = buckets.try_emplace(address, tbucket{static_cast<double>(config.rate), now});
    tbucket& b = i->second;
    if (!fresh) {
        b.tokens = std::min<double>(config.rate, b.tokens + std::chrono::duration<double>(now - b.at).count() * config.rate / 60);
        b.at = now;
    }
    if (b.tokens < 1) return false;
    b.tokens -= 1;
    return true;
}

// The address the rate limit counts: the peer's, or behind a trusted reverse proxy the last
// address of X-Forwarded-For, the one the proxy itself added (those before it are the client's
// to write).
std::string tapi::client(const trequest& r) const {
    if (r.forwarded.empty() || std::find(config.proxies.begin(), config.proxies.end(), r.address) == config.proxies.end())
        return r.address;
    std::string last = r.forwarded.substr(r.forwarded.rfind(',') + 1);
    size_t from = last.find_first_not_of(" \t"), to = last.find_last_not_of(" \t");
    return from == std::string::npos ? r.address : last.substr(from, to - from + 1);
}

// The verification budget per client: `budget` CPU seconds a minute, as many at once. A
// playback is paid for by its expected cost before it starts and settled with its real cost.
int tapi::spend(const std::string& address, double cost) {
    std::lock_guard<std::mutex> lock(m);
    auto now = std::chrono::steady_clock::now();
    double perminute = config.budget;
    if (budgets.size() > 100000) {
        for (auto i = budgets.begin(); i != budgets.end();) {
            double full = i->second.tokens + std::chrono::duration<double>(now - i->second.at).count() * perminute / 60;
            i = full >= perminute ? budgets.erase(i) : std::next(i);
        }
    }
    auto [i, fresh] = budgets.try_emplace(address, tbucket{perminute, now});
    tbucket& b = i->second;
    if (!fresh) {
        b.tokens = std::min(perminute, b.tokens + std::chrono::duration<double>(now - b.at).count() * perminute / 60);
        b.at = now;
    }
    // a game that costs more than a whole minute's budget may start from a full one
    double need = std::min(cost, perminute);
    if (b.tokens >= need) {
        b.tokens -= cost;
        return 0;
    }
    return std::max(1, static_cast<int>(std::ceil((need - b.tokens) * 60 / perminute)));
}

void tapi::charge(const std::string& address, double cost) {
    std::lock_guard<std::mutex> lock(m);
    auto i = budgets.find(address);
    if (i != budgets.end()) i->second.tokens -= cost;
}

// Plays a replay once however many send it at the same time: `key` names its whole text.
bool tapi::played(const std::string& text, const std::string& client, long long key, double cost, tverified& v,
                  bool& copy, std::shared_ptr<void>& storing) {
    std::shared_ptr<tplaying> p;
    bool first = false;
    copy = false;
    {
        std::unique_lock<std::mutex> lock(m);
        auto [i, fresh] = playing.try_emplace(key, nullptr);
        if (fresh) i->second = std::make_shared<tplaying>();
        p = i->second;
        first = fresh;
        if (!first) {
            playedone.wait(lock, [&] { return p->done; });
            v = p->v;
            v.cpu = 0;   // played for the first of them
            copy = true;
            return !p->busy;
        }
    }
    bool ok = verify(text, client, cost, p->v);
    // an accepted game's copies wait until it is stored (or not), so that they find it stored
    bool store = ok && p->v.kind == tverified::ok;
    {
        std::lock_guard<std::mutex> lock(m);
        p->busy = !ok;
        p->done = !store;
        if (!ok || p->v.late) {
            playing.erase(key);
        } else {
            playedorder.push_back(key);
            if (playedorder.size() > playedkept) {
                playing.erase(playedorder.front());
                playedorder.erase(playedorder.begin());
            }
        }
    }
    if (store)
        storing = std::shared_ptr<void>(nullptr, [this, p](void*) {
            {
                std::lock_guard<std::mutex> lock(m);
                p->done = true;
            }
            playedone.notify_all();
        });
    else playedone.notify_all();
    v = p->v;
    return ok;
}

tresponse tapi::submit(const trequest& r) {
    std::string who = client(r);
    if (!allowed(who)) {
        tresponse out = error(429, "too many replays from this address: wait a minute");
        out.headers.push_back({"Retry-After", "60"});
        return out;
    }
    if (r.body.empty()) return error(400, "the request has no replay: send the replay file as the body");
    if (r.body.size() > config.maxbody)
        return error(413, "a replay is at most " + std::to_string(config.maxbody) + " bytes");
    treplay game;
    tverified v = precheck(r.body, programversion(), config.data, config.maxframes, &game);
    bool copy = false;   // played for another request that sent the same replay at the same time
    auto answer = [&copy](tresponse out, const tverified& v) {
        out.verdict = v.kind == tverified::ok ? "accepted" : v.reason;
        out.cpu = copy ? -1 : v.cpu;
        if (copy) out.verdict += " (played once, for a copy sent at the same time)";
        return out;
    };
    if (v.kind == tverified::damaged)
        return answer(error(400, std::to_string(v.line) + ": " + v.reason, ",\"line\":" + std::to_string(v.line)), v);
    if (v.kind != tverified::ok) return answer(error(422, v.reason), v);
    tgamekey key = gamekey(game);
    bool found = false;
    tdailyrank rank;
    std::vector<tentry> known = store.find(key, found, rank);
    if (found) {
        // a daily game's place in its day's table as now, or why it has none (as when it came)
        std::string day = rank.of              ? dailyjson(rank)
                          : game.daily.empty() ? ""
                                               : dailyjson(game.daily, "too late for " + game.daily + "'s table");
        tresponse out =
            json(200, "{\"stored\":false,\"why\":\"stored before\",\"entries\":" + entriesjson(known) + day + "}");
        out.verdict = "stored before";
        return out;
    }
    long long whole = replayhash(writereplay(game));
    {
        std::lock_guard<std::mutex> lock(m);
        auto i = refused.find(whole);
        if (i != refused.end()) {
            tresponse out = error(422, i->second);
            out.verdict = i->second;
            return out;
        }
    }
    double cost = verifycost(game, config.startcost);
    if (int wait = spend(who, cost)) {
        tresponse out = error(429, "this address has used its verification time for now: send the replay again in " +
                                       std::to_string(wait) + " s");
        out.headers.push_back({"Retry-After", std::to_string(wait)});
        out.verdict = "over budget";
        return out;
    }
    std::shared_ptr<void> storing;   // while set, the copies of this replay wait
    if (!played(r.body, who, whole, cost, v, copy, storing)) {
        charge(who, v.cpu - cost);   // a playback that gave its place away took some CPU
        tresponse out = error(503, "all verifiers are busy: send the replay again later");
        out.headers.push_back({"Retry-After", "10"});
        out.verdict = "busy";
        return out;
    }
    charge(who, v.cpu - cost);
    switch (v.kind) {
    case tverified::ok: break;
    case tverified::damaged:
        return answer(error(400, std::to_string(v.line) + ": " + v.reason, ",\"line\":" + std::to_string(v.line)), v);
    case tverified::refused: {
        std::lock_guard<std::mutex> lock(m);
        if (!v.late && refused.emplace(whole, v.reason).second) refusedorder.push_back(whole);
        if (refusedorder.size() > refusedkept) {
            refused.erase(refusedorder.front());
            refusedorder.erase(refusedorder.begin());
        }
        return answer(error(422, v.reason), v);
    }
    case tverified::failed: {
        tresponse out = answer(error(500, "the replay could not be verified here"), v);
        out.cause = v.reason;
        return out;
    }
    }
    // a daily game goes into its day's table while that is open; its high-score rows, if any,
    // into the all-time table whenever it comes
    tdailyrow row;
    std::string why = v.daily.empty() ? "" : dailywhy(v.daily);
    if (!v.daily.empty() && why.empty())
        row = {v.daily, v.dayrow.name, v.dayrow.level, v.dayrow.score, dailycontrols(game.settings)};
    if (!why.empty() && v.rows.empty())
        return answer(json(200, "{\"stored\":false,\"why\":" + jsonstring(why) + ",\"entries\":[]" +
                                    dailyjson(v.daily, why) + "}"),
                      v);
    bool added = false;
    std::vector<tentry> entries = store.add(r.body, key, v.rows, row.day.empty() ? nullptr : &row, added, rank);
    std::string day = rank.of ? dailyjson(rank) : why.empty() ? "" : dailyjson(v.daily, why);
    tresponse out = answer(json(added ? 201 : 200, std::string("{\"stored\":") + (added ? "true" : "false") +
                                                       (added ? "" : ",\"why\":\"stored before\"") +
                                                       ",\"entries\":" + entriesjson(entries) + day + "}"),
                           v);
    // a copy sent at the same time (or the session's rows sent before) was stored first
    if (!added)
        out.verdict = copy ? "stored before (played once, for a copy sent at the same time)"
                           : "verified, but stored before by a copy sent at the same time";
    return out;
}

long long tapi::now() const { return config.clock ? config.clock() : static_cast<long long>(std::time(nullptr)); }

std::string tapi::dailywhy(const std::string& day) {
    return now() < dailyend(day) + dailygrace ? "" : "too late for " + day + "'s table";
}

namespace {
// limit and offset of a request, 100 and 0 when not given; "" or why they are not right.
std::string paging(const trequest& r, long long& limit, long long& offset) {
    auto get = [&](const char* key, long long fallback) {
        auto i = r.query.find(key);
        return i == r.query.end() ? fallback : count(i->second, 1000000000LL);
    };
    limit = get("limit", 100), offset = get("offset", 0);
    if (limit < 1 || limit > 1000) return "limit is a whole number from 1 to 1000";
    if (offset < 0) return "offset is a whole number from 0 to 1000000000";
    return "";
}
}   // namespace

tresponse tapi::daily(const trequest& r, const std::string& day) {
    if (!dailydatevalid(day)) return error(400, day.substr(0, 40) + badday);
    long long limit = 0, offset = 0;
    if (std::string why = paging(r, limit, offset); !why.empty()) return error(400, why);
    std::vector<tentry> list = store.daily(day, limit, offset);
    std::string rows = "[";
    for (size_t i = 0; i < list.size(); i++) {
        std::string e = entryjson(list[i]);
        e.pop_back();
        rows += (i ? "," : "") + e + ",\"controls\":" + jsonstring(list[i].controls) + "}";
    }
    return json(200, "{\"date\":" + jsonstring(day) + ",\"total\":" + std::to_string(store.dailycount(day)) +
                         ",\"offset\":" + std::to_string(offset) + ",\"scores\":" + rows + "]}");
}

tresponse tapi::days(const trequest& r) {
    long long limit = 0, offset = 0;
    if (std::string why = paging(r, limit, offset); !why.empty()) return error(400, why);
    std::string out = "{\"days\":[";
    std::vector<tdailyday> list = store.days(limit, offset);
    for (size_t i = 0; i < list.size(); i++)
        out += std::string(i ? "," : "") + "{\"date\":" + jsonstring(list[i].day) +
               ",\"players\":" + std::to_string(list[i].players) + "}";
    return json(200, out + "]}");
}

tresponse tapi::scores(const trequest& r) {
    long long limit = 0, offset = 0;
    if (std::string why = paging(r, limit, offset); !why.empty()) return error(400, why);
    std::vector<tentry> list = store.scores(limit, offset);
    return json(200, "{\"total\":" + std::to_string(store.count()) + ",\"offset\":" + std::to_string(offset) +
                         ",\"scores\":" + entriesjson(list) + "}");
}

// The page from the tables as they are, or while the database does not answer from the last
// copy read of the same address (for at most `pagekept`), which the page says.
tresponse tapi::page(const std::string& day) {
    const std::string today = dailydate(now()), shown = day.empty() ? today : day;
    const std::string address = day.empty() ? "/" : "/daily/" + day;
    tpagedata d;
    std::string asof;
    {
        bool fresh = store.answering();
        std::string why = "database: not answering";
        if (fresh) {
            try {
                d.day = store.daily(shown, 100, 0);
                d.days = store.days(31, 0);
                if (day.empty()) d.all = store.scores(100, 0);
                d.at = std::chrono::system_clock::now();
                std::lock_guard<std::mutex> lock(m);
                if (lastpages.size() >= pageskept && !lastpages.count(address)) {
                    auto oldest = lastpages.begin();
                    for (auto i = lastpages.begin(); i != lastpages.end(); ++i)
                        if (i->second.at < oldest->second.at) oldest = i;
                    lastpages.erase(oldest);
                }
                lastpages[address] = d;
            } catch (const std::exception& e) {
                fresh = false;
                why = e.what();
            }
        }
        if (!fresh) {
            std::lock_guard<std::mutex> lock(m);
            auto i = lastpages.find(address);
            if (i == lastpages.end() || std::chrono::system_clock::now() - i->second.at > pagekept)
                throw std::runtime_error(why);
            d = i->second;
            std::time_t t = std::chrono::system_clock::to_time_t(d.at);
            std::tm tm{};
            gmtime_r(&t, &tm);
            char when[40];
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &tm);
            asof = when;
        }
    }
    tresponse out;
    out.type = "text/html; charset=utf-8";
    // a row's replay: to download, and to watch in the web edition
    auto links = [&](const tentry& e) {
        std::string link = "/api/v1/replays/" + std::to_string(e.replay);
        std::string h = "<td><a href=\"" + htmltext(link) + "\">download</a>";
        if (!config.web.empty())
            h += " <a href=\"" + htmltext(config.web + "?replay=" + percent(config.publicurl + link)) + "\">watch</a>";
        return h + "</td></tr>\n";
    };
    auto number = [](long long n) { return "<td class=\"n\">" + std::to_string(n) + "</td>"; };
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Varnhold high scores</title>\n"
        "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
        "td,th{padding:.2em .8em;text-align:left}td.n{text-align:right}</style></head><body>\n"
        "<h1>Varnhold high scores</h1>\n<p>Every score here was played again by the server from its replay.</p>\n" +
        (asof.empty() ? std::string()
                      : "<p><strong>The score table does not answer just now: this is the table as it was at " + asof +
                            ".</strong></p>\n");
    if (!asof.empty()) out.headers.push_back({"X-Scores-As-Of", asof});
    // the day's table: each name's best game of the day, with the mouse options it was played with
    h += "<h2 id=\"daily\">Daily challenge, " + dayname(shown) + "</h2>\n";
    if (d.day.empty()) {
        h += std::string("<p>") + (shown == today ? "No daily game yet today." : "No daily game that day.") + "</p>\n";
    } else {
        h += "<table>\n<tr><th>Rank</th><th>Name</th><th>Score</th><th>Level</th><th>Controls</th>"
             "<th>Replay</th></tr>\n";
        for (const tentry& e : d.day)
            h += "<tr>" + number(e.rank) + "<td>" + htmltext(e.name) + "</td>" + number(e.score) + number(e.level) +
                 "<td>" + htmltext(e.controls) + "</td>" + links(e);
        h += "</table>\n";
    }
    std::string before;
    for (const tdailyday& x : d.days)
        if (x.day != shown)
            before += std::string(before.empty() ? "" : ", ") + "<a href=\"/daily/" + htmltext(x.day) + "\">" +
                      htmltext(dayname(x.day)) + "</a> (" + std::to_string(x.players) +
                      (x.players == 1 ? " player)" : " players)");
    if (!before.empty()) h += "<p>Other days: " + before + "</p>\n";
    if (day.empty()) {
        h += "<h2 id=\"all\">All time</h2>\n<table>\n"
             "<tr><th>Rank</th><th>Name</th><th>Score</th><th>Level</th><th>Date</th><th>Replay</th></tr>\n";
        for (const tentry& e : d.all)
            h += "<tr>" + number(e.rank) + "<td>" + htmltext(e.name) + "</td>" + number(e.score) + number(e.level) +
                 "<td>" + htmltext(e.date.substr(0, 10)) + "</td>" + links(e);
        h += "</table>\n";
    } else {
        h += "<p><a href=\"/\">Today's table and the all-time table</a></p>\n";
    }
    h += "</body></html>\n";
    out.body = h;
    // no script, no frame, nothing from elsewhere: the page is its own text and style
    out.headers.push_back({"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'; "
                                                      "form-action 'none'; base-uri 'none'"});
    return out;
}

std::string withoutpassword(std::string db) {
    size_t scheme = db.find("://");
    if (scheme != std::string::npos) {
        size_t at = db.find('@', scheme + 3), slash = db.find('/', scheme + 3);
        if (at != std::string::npos && (slash == std::string::npos || at < slash)) {
            size_t colon = db.find(':', scheme + 3);
            if (colon != std::string::npos && colon < at) db.replace(colon + 1, at - colon - 1, "***");
        }
    }
    // "password=VALUE" of a URL's query or of libpq's keyword form ("password = 'it''s'" too),
    // wherever it stands
    for (size_t pw = db.find("password"); pw != std::string::npos; pw = db.find("password", pw + 1)) {
        size_t eq = db.find_first_not_of(" \t", pw + 8);
        if (eq == std::string::npos || db[eq] != '=') continue;
        size_t from = db.find_first_not_of(" \t", eq + 1), to = from;
        if (from == std::string::npos) break;
        if (db[from] == '\'') {
            for (to = from + 1; to < db.size() && db[to] != '\''; to++)
                if (db[to] == '\\') to++;
            to = std::min(to + 1, db.size());
        } else {
            to = db.find_first_of(" \t&", from);
            if (to == std::string::npos) to = db.size();
        }
        db.replace(from, to - from, "***");
    }
    return db;
}
