// fuzz/server.cpp — the score server's request handling: any request line, query and body a
// client may send. The first line of the input is "METHOD PATH[?QUERY]", the rest the body.
// The store is a fresh SQLite database in memory; the verifier is a stand-in that accepts every
// replay that passes the checks before a playback, with the row of the name the replay starts
// with (the real one plays the game in a child process, far too slow for a fuzzer).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/replay.h"
#include "fuzz/targets.h"
#include "server/api.h"

namespace {

const uint64_t fuzzdata = 0x534e9c23c181869aull;

std::map<std::string, std::string> queryof(const std::string& q) {
    std::map<std::string, std::string> out;
    size_t at = 0;
    while (at <= q.size()) {
        size_t amp = std::min(q.find('&', at), q.size());
        std::string kv = q.substr(at, amp - at);
        size_t eq = kv.find('=');
        out[kv.substr(0, eq)] = eq == std::string::npos ? "" : kv.substr(eq + 1);
        at = amp + 1;
    }
    return out;
}

// JSON as the server writes it: UTF-8, no raw control character but the final line feed.
bool cleanjson(const std::string& s) {
    for (size_t i = 0; i < s.size(); i++) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 && !(c == '\n' && i + 1 == s.size())) return false;
        if (c >= 0x80) {
            if (c < 0xc2 || c > 0xc3 || i + 1 >= s.size() || (static_cast<unsigned char>(s[i + 1]) & 0xc0) != 0x80) return false;
            i++;
        }
    }
    return true;
}

}  // namespace

const char* fuzzserver(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nl = input.find('\n');
    std::string first = input.substr(0, nl), body = nl == std::string::npos ? "" : input.substr(nl + 1);
    trequest r;
    size_t sp = first.find(' ');
    r.method = first.substr(0, sp);
    std::string target = sp == std::string::npos ? "/" : first.substr(sp + 1);
    size_t qm = target.find('?');
    r.path = target.substr(0, qm);
    if (qm != std::string::npos) r.query = queryof(target.substr(qm + 1));
    r.body = body;
    r.address = "127.0.0.1";
    r.origin = "https://play.example";

    auto store = openstore(":memory:");
    tapiconfig config;
    config.maxbody = 1 << 16;
    config.data = {fuzzdata, fuzzdata};
    config.web = "https://play.example/";
    config.origins = {"https://play.example"};
    tapi api(
        *store,
        [](const std::string& text, const std::string&, double, tverified& v) {
            treplayread got = parsereplay(text);
            v = tverified();
            v.kind = tverified::ok;
            v.rows = {{got.replay.settings.name, 1, got.replay.settings.score}};
            return true;
        },
        config);
    tresponse out = api.handle(r);
    static const int known[] = {200, 201, 204, 400, 404, 405, 413, 422, 429, 500, 503};
    if (std::find(std::begin(known), std::end(known), out.status) == std::end(known)) return "an unknown status";
    if (out.status == 500) return "a request the server failed on";
    if (out.type == "application/json" && !cleanjson(out.body)) return "JSON with a raw control character or a broken character";
    if (out.status == 201) {
        trequest get;
        get.method = "GET";
        get.path = "/api/v1/replays/1";
        if (api.handle(get).body != body) return "the stored replay is not the one sent";
        get.path = "/";
        tresponse page = api.handle(get);
        std::string name = parsereplay(body).replay.settings.name;
        if (name.find_first_of("<&\"") != std::string::npos && page.body.find(name) != std::string::npos)
            return "a name on the page unescaped";
    }
    return nullptr;
}

// A replay that passes the checks before a playback, sent, and a few other requests.
std::vector<std::string> serverseeds() {
    std::string head = "varnhold-replay 2\nprogram " + programversion() + "\ndata 534e9c23c181869a\nseed 23\n"
                       "clock 3896150\nwindow 240 302 800 419\noptions 0 0 0 0\nlanguage 101 \"English\"\n"
                       "volume 5\nname \"<b>Zo\\xeb\"\nlevel 1\nscore 0\nhighlight -1\n";
    for (int i = 0; i < 10; i++) head += "row " + std::to_string(i) + " \"Your Name\" 1 0\n";
    head += "checkevery 60\nevents\n0 0 canvas 800 400\n20 333 move 400 200\n21 350 key 13 0\n";
    std::string replay = head + "end 40 0000000000000000 0000000000000000000000000000000000000000\n";
    return {"POST /api/v1/replays\n" + replay, "GET /api/v1/scores?limit=5&offset=1\n", "GET /\n",
            "OPTIONS /api/v1/replays\n", "GET /api/v1/replays/7\n"};
}
