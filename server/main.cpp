// server/main.cpp — varnhold-server: the command line, the HTTP front and the stop signal.
// The same program, run with --verify-child, is the verifier: it reads one replay on its
// standard input, plays it with the game's engine and writes the verdict.
#include <arpa/inet.h>
#include <httplib.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "app/datadigest.h"
#include "app/programinfo.h"
#include "app/replay.h"
#include "app/world.h"
#include "framework/assets.h"
#include "game/world.h"
#include "platform/platform.h"
#include "server/api.h"
#include "server/verifier.h"

namespace {

const char* usage =
    "Usage: varnhold-server [options]\n"
    "A score server for Varnhold: it accepts replays, plays each one again with the game's own\n"
    "engine and lists the high scores the replays really make.\n"
    "  --listen ADDRESS:PORT  where to answer HTTP (default 127.0.0.1:8080); put TLS in front\n"
    "                         with a reverse proxy\n"
    "  --db FILE              the SQLite database, created when missing (default varnhold-scores.db)\n"
    "  --db postgresql://...  a PostgreSQL database instead, which several servers may share (or\n"
    "                         libpq's \"host=... dbname=...\")\n"
    "  --db-seconds N         the longest wait for the database (default 5): past it the database\n"
    "                         counts as out of reach and requests that need it get 503\n"
    "  --web URL              the web edition: the score page links URL?replay=... to watch a game\n"
    "  --public URL           this server's address as players reach it, for those links\n"
    "  --allow-origin ORIGIN  let web pages of ORIGIN call the API (CORS; repeatable; * for any)\n"
    "  --workers N            replays verified at once (default: the number of processors)\n"
    "  --queue N              replays that may wait for a verifier (default twice the verifiers;\n"
    "                         more get 503)\n"
    "  --verify-seconds N     time one verification may take (default 120)\n"
    "  --isolate              verify each replay in a child process of its own, killed at its\n"
    "                         time limit, instead of on the server's verifier threads\n"
    "  --max-bytes N          size of a replay (default 4194304)\n"
    "  --max-frames N         length of a game in frames (default 648000, three hours)\n"
    "  --rate N               replays one address may send per minute (default 30)\n"
    "  --budget SECONDS       verification CPU one address may cause per minute (default 20); a\n"
    "                         replay beyond it gets 429 with the seconds to wait\n"
    "  --trusted-proxy IP     a reverse proxy whose X-Forwarded-For names the client (repeatable)\n"
    "  --read-seconds N       the longest wait for a client's next bytes, and for it to take ours\n"
    "                         (default 10)\n"
    "  --header-seconds N     the time a client has for a request's line and headers (default 10)\n"
    "  --body-seconds N       the time a client has for a request's body once its headers came\n"
    "                         (default 60)\n"
    "  --stop-seconds N       how long a stop waits for the requests in progress (default 30)\n"
    "  --connections N        connections served at once, slow ones included (default 256)\n"
    "  --client-connections N connections one client may hold at once (default 16; behind\n"
    "                         --trusted-proxy its requests at once); more are answered 503\n"
    "  --pace FILE...         print the pace of recorded games and whether it passes, then end\n"
    "  --help                 show this text\n"
    "  --version              show the version\n"
    "SIGTERM or SIGINT stops the server after the requests in progress, at most --stop-seconds (a\n"
    "second one at once).\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "varnhold-server: %s\n%s", withoutpassword(message).c_str(), usage);
    return 2;
}

bool number(const char* s, long long lo, long long hi, long long& out) {
    if (!s || !*s) return false;
    char* end = nullptr;
    out = std::strtoll(s, &end, 10);
    return *end == 0 && out >= lo && out <= hi;
}

// A digest as 16 hex digits, and read back.
std::string hexdigest(uint64_t d) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(d));
    return buf;
}
bool hexdigest(const char* s, uint64_t& out) {
    if (!s || std::strlen(s) != 16 || std::strspn(s, "0123456789abcdef") != 16) return false;
    out = std::strtoull(s, nullptr, 16);
    return true;
}

// An IPv4 or IPv6 address written as the server reads a peer's ("::1", "127.0.0.1"), or "".
std::string numericaddress(const std::string& s) {
    unsigned char bin[16];
    char out[INET6_ADDRSTRLEN];
    for (int family : {AF_INET, AF_INET6})
        if (inet_pton(family, s.c_str(), bin) == 1 && inet_ntop(family, bin, out, sizeof out)) return out;
    return "";
}

// The game's folder (with data/) as the game finds it: beside the program, or installed.
std::string gamefolder(bool& installed) {
    std::string dir = AppDir();
    installed = FileType(dir + "/data") != 2 && FileType(dir + "/" VARNHOLD_DATADIR "/data") == 2;
    return installed ? dir + "/" VARNHOLD_DATADIR : dir;
}

// Makes this process ready to play replays: the headless platform, in the game's folder, with
// its paths. "" or what went wrong.
std::string enterverifier() {
    PlatformInit(tbackend::headless);
    bool installed = false;
    std::string dir = gamefolder(installed);
    if (chdir(dir.c_str()) != 0) return "can't enter the game's folder " + dir;
    initpaths("", installed);
    // as the installed game: the skyline mask is made afresh, never written into the package's folder
    if (installed) citylenspath.clear();
    return "";
}

// The verifier child: one replay, one answer. `data`: the digests of the game's data, as the
// server computed them at its start (a child started by hand computes them itself).
int verifychild(long long maxframes, long long seconds, tdatadigests data) {
    rlimit cpu{static_cast<rlim_t>(seconds + 5), static_cast<rlim_t>(seconds + 10)};
    setrlimit(RLIMIT_CPU, &cpu);
    std::string text;
    char buf[65536];
    ssize_t n;
    while ((n = read(0, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    tverified v;
    v.reason = enterverifier();
    if (v.reason.empty() && data.content == 0) data = datadigests();
    if (v.reason.empty()) v = verifyhere(text, data, static_cast<int>(maxframes));
    std::string out = verifiedtext(v);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    _exit(0);   // the world's teardown is of no use to anyone
}

// The socket the library accepted last on this thread. The library takes connections in with
// accept(); this program's own accept() passes the call on and notes the socket, which the
// library hands to the connection's task right after (tconnections::enqueue, same thread), so
// that the deadlines below can close it.
thread_local int lastaccepted = -1;

void logline(const std::string& line);
void startrequest();

}  // namespace

extern "C" int accept(int fd, sockaddr* address, socklen_t* length) {
    int s = accept4(fd, address, length, 0);
    lastaccepted = s;
    return s;
}

namespace {

// The server's threads, counting the connections taken in and not yet closed. A connection
// taken in after the stop signal is marked late: its requests are answered 503, while those
// taken in before it are answered in full before the server closes.
//
// Each connection has a deadline while the server waits for its client: the request's line
// and headers must arrive within `headerseconds` of the connection's start, while it waits for
// a thread too (or of the last answer on it), a body within `bodyseconds` of its headers. A
// client past it is cut off (its socket shut down, so the thread serving it is free again);
// the time a replay waits for its verifier does not count.
//
// One client holds at most `limit` connections: one more from its address is answered 503
// at once and closed, before it takes a thread or a place in the queue. A trusted proxy's
// connections are not counted by its address; its clients' requests are counted by the
// address it names, once their headers are in (claim()).
class tconnections : public httplib::TaskQueue {
public:
    tconnections(size_t threads, int headerseconds, int bodyseconds, std::vector<std::string> proxies_)
        : header(headerseconds), body(bodyseconds), proxies(std::move(proxies_)), pool(threads), watcher([this] {
              watch();
          }) {}
    ~tconnections() override {
        {
            std::lock_guard<std::mutex> lock(m);
            ending = true;
        }
        wake.notify_all();
        watcher.join();
    }
    void enqueue(std::function<void()> fn) override {
        bool late = stopping;
        int fd = lastaccepted;
        lastaccepted = -1;
        auto c = std::make_shared<tconn>();
        c->fd = fd;
        c->since = std::chrono::steady_clock::now();
        c->seconds = header;
        c->header = header;
        c->body = body;
        c->peer = peeraddress(fd);
        {
            std::lock_guard<std::mutex> lock(m);
            bool proxy = std::find(proxies.begin(), proxies.end(), c->peer) != proxies.end();
            if (fd >= 0 && !proxy && held[c->peer] >= limit) {
                refuse(fd);
                long long n = ++refused;
                if (n == 1 || n == 10 || n == 100 || n % 1000 == 0)
                    logline("refused connections over a client's limit of " + std::to_string(limit) + " (" +
                            std::to_string(n) + " so far; the last from " + c->peer + ")");
                return;
            }
            held[c->peer]++;
            conns.insert(c.get());
        }
        open++;
        pool.enqueue([this, fn = std::move(fn), late, c] {
            lateconnection = late;
            current = c.get();
            startrequest();
            fn();
            {
                std::lock_guard<std::mutex> lock(m);
                conns.erase(c.get());
                if (--held[c->peer] <= 0) held.erase(c->peer);
                release();
            }
            current = nullptr;
            open--;
        });
    }
    void shutdown() override { pool.shutdown(); }
    // The connection this thread serves now waits for its client (for at most `seconds`), or
    // no longer (`seconds` < 0).
    static void waiting(int seconds) {
        if (!current) return;
        std::lock_guard<std::mutex> lock(m);
        current->since = std::chrono::steady_clock::now();
        current->seconds = seconds;
        current->reading = seconds >= 0;
    }
    static void waitingforheaders() { waiting(current ? current->header : -1); }
    static void waitingforbody() { waiting(current ? current->body : -1); }
    // The peer of the connection this thread serves.
    static std::string peer() { return current ? current->peer : ""; }
    // The request this thread serves counts for `client` (named by a trusted proxy) until its
    // answer; false when that client has its limit of requests in progress already.
    static bool claim(const std::string& client) {
        if (!current || client == current->peer) return true;
        std::lock_guard<std::mutex> lock(m);
        release();
        if (held[client] >= limit) return false;
        held[client]++;
        current->client = client;
        return true;
    }
    // The request is answered: its client's claim ends.
    static void answered() {
        std::lock_guard<std::mutex> lock(m);
        release();
    }
    static std::atomic<bool> stopping;
    static std::atomic<int> open;
    static std::atomic<int> cutoff;   // connections cut off at their deadline
    static thread_local bool lateconnection;   // of the connection this thread serves
    static int limit;                          // connections (requests behind a proxy) a client may hold

private:
    struct tconn {
        int fd = -1;
        std::chrono::steady_clock::time_point since;
        int seconds = 0;
        bool reading = true;
        bool cut = false;
        int header = 0, body = 0;
        std::string peer, client;   // the peer's address; the client a trusted proxy named
    };
    static std::string peeraddress(int fd) {
        sockaddr_storage a{};
        socklen_t n = sizeof a;
        char out[INET6_ADDRSTRLEN] = "";
        if (fd < 0 || getpeername(fd, reinterpret_cast<sockaddr*>(&a), &n) != 0) return "";
        if (a.ss_family == AF_INET) inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&a)->sin_addr, out, sizeof out);
        else if (a.ss_family == AF_INET6)
            inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&a)->sin6_addr, out, sizeof out);
        return out;
    }
    // Answers a connection over its client's limit without reading it, and closes it.
    static void refuse(int fd) {
        static const std::string answer =
            "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 10\r\nContent-Type: application/json\r\n"
            "Content-Length: 59\r\nConnection: close\r\n\r\n"
            "{\"error\":\"too many connections from this address at once\"}\n";
        static_assert(sizeof "{\"error\":\"too many connections from this address at once\"}\n" - 1 == 59);
        [[maybe_unused]] ssize_t n = send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
    // Ends the claim of the request this thread serves (under `m`).
    static void release() {
        if (!current || current->client.empty()) return;
        if (--held[current->client] <= 0) held.erase(current->client);
        current->client.clear();
    }
    void watch() {
        std::unique_lock<std::mutex> lock(m);
        while (!ending) {
            wake.wait_for(lock, std::chrono::milliseconds(250));
            auto now = std::chrono::steady_clock::now();
            for (tconn* c : conns)
                if (c->reading && !c->cut && c->fd >= 0 && now - c->since > std::chrono::seconds(c->seconds)) {
                    ::shutdown(c->fd, SHUT_RDWR);
                    c->cut = true;
                    logline("cut off a connection that sent too slowly (" + std::to_string(++cutoff) + " so far)");
                }
        }
    }
    int header, body;
    std::vector<std::string> proxies;
    httplib::ThreadPool pool;
    static std::mutex m;
    static std::set<tconn*> conns;            // taken in, waiting for a thread or served
    static std::map<std::string, int> held;   // connections (requests behind a proxy) per client
    static long long refused;
    static thread_local tconn* current;
    bool ending = false;
    std::condition_variable wake;
    std::thread watcher;
};
std::atomic<bool> tconnections::stopping = false;
std::atomic<int> tconnections::open = 0;
std::atomic<int> tconnections::cutoff = 0;
thread_local bool tconnections::lateconnection = false;
int tconnections::limit = 16;
std::mutex tconnections::m;
std::set<tconnections::tconn*> tconnections::conns;
std::map<std::string, int> tconnections::held;
long long tconnections::refused = 0;
thread_local tconnections::tconn* tconnections::current = nullptr;

// `--pace FILE...`: the pace check's view of recorded games. 0 when every one passes.
int pacereport(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in) {
            std::printf("%s: can't read it\n", f.c_str());
            status = 1;
            continue;
        }
        treplayread got = parsereplay(text);
        if (!got.error.empty()) {
            std::printf("%s: %d: %s\n", f.c_str(), got.line, got.error.c_str());
            status = 1;
            continue;
        }
        tpace p = pacegrowth(got.replay), hitch = pacegrowth(got.replay, 0);
        std::string why = pacecheck(got.replay);
        std::printf("%s: %d frames; behind the clock at most %d ms at a moment (frame %d), for good %d ms "
                    "(frame %d; refused over %d): %s\n",
                    f.c_str(), got.replay.end.frame, hitch.growth, hitch.frame, p.growth, p.frame, pacetolerance,
                    why.empty() ? "passes" : why.c_str());
        if (!why.empty()) status = 1;
    }
    return status;
}

// One line on standard output, whole (lines of several threads never mix).
void logline(const std::string& line) {
    static std::mutex m;
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
    std::lock_guard<std::mutex> lock(m);
    std::printf("%s %s\n", when, line.c_str());
    std::fflush(stdout);
}

// What the log line of the request this thread serves adds to the library's view of it.
struct trequestlog {
    std::chrono::steady_clock::time_point start;
    std::string client, verdict, cause;
    double cpu = -1;
};
thread_local trequestlog requestlog;

// The next request on the connection this thread serves: its time counts from now.
void startrequest() {
    requestlog = trequestlog();
    requestlog.start = std::chrono::steady_clock::now();
}

std::string self() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "varnhold-server";
}

// The command line.
struct tserveroptions {
    std::string listen = "127.0.0.1:8080", db = "varnhold-scores.db";
    tapiconfig config;
    long long workers = std::max(1u, std::thread::hardware_concurrency()), queue = -1, seconds = 120;
    long long readseconds = 10, stopseconds = 30, connections = 256, headerseconds = 10, bodyseconds = 60;
    long long clientconnections = 16, dbseconds = 5;
    bool child = false;   // --verify-child: this process is a verifier
    bool isolate = false;  // --isolate: a child process per replay
};

// Reads the command line into `o`; -1 to go on, else the exit status (--help, --version and
// --pace answered, a mistake said with the usage).
int readoptions(int argc, char** argv, tserveroptions& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        long long v = 0;
        auto count = [&](long long lo, long long hi) {
            if (!number(next, lo, hi, v)) return false;
            i++;
            return true;
        };
        if (a == "--help") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--version") {
            registerprograminfo();
            bool installed = false;
            // what the game takes from its data, then (for replays of format 2) the files' bytes
            tdatadigests d = datadigests(gamefolder(installed));
            std::printf("varnhold-server %s, plays replays of Varnhold %s with data %016llx (files %016llx)\n",
                        infovalue("version").c_str(), programversion().c_str(), static_cast<unsigned long long>(d.content),
                        static_cast<unsigned long long>(d.bytes));
            return 0;
        } else if (a == "--pace") {
            std::vector<std::string> files(argv + i + 1, argv + argc);
            if (files.empty()) return fail("--pace needs the replays to look at");
            return pacereport(files);
        } else if (a == "--verify-child") {   // not in the usage: the server's own verifier
            o.child = true;
        } else if (a == "--data") {           // the verifier's too: the digests of the data
            if (i + 2 >= argc || !hexdigest(argv[i + 1], o.config.data.content) || !hexdigest(argv[i + 2], o.config.data.bytes))
                return fail("--data needs the two digests of the data, 16 hex digits each");
            i += 2;
        } else if (a == "--isolate") {
            o.isolate = true;
        } else if (a == "--listen" || a == "--db" || a == "--web" || a == "--public" || a == "--allow-origin") {
            if (!next || !*next) return fail(a + " needs a value");
            if (a == "--listen") o.listen = next;
            else if (a == "--db") o.db = next;
            else if (a == "--web") o.config.web = next;
            else if (a == "--public") o.config.publicurl = next;
            else o.config.origins.push_back(next);
            i++;
        } else if (a == "--trusted-proxy") {
            std::string address = numericaddress(next ? next : "");
            if (address.empty()) return fail("--trusted-proxy needs an IP address, for example 127.0.0.1");
            o.config.proxies.push_back(address);
            i++;
        } else if (a == "--workers") {
            if (!count(1, 256)) return fail("--workers needs a count from 1 to 256");
            o.workers = v;
        } else if (a == "--queue") {
            if (!count(0, 100000)) return fail("--queue needs a count from 0 to 100000");
            o.queue = v;
        } else if (a == "--verify-seconds") {
            if (!count(1, 3600)) return fail("--verify-seconds needs a count from 1 to 3600");
            o.seconds = v;
        } else if (a == "--max-bytes") {
            if (!count(1024, 1LL << 30)) return fail("--max-bytes needs a size from 1024 to 1073741824");
            o.config.maxbody = static_cast<size_t>(v);
        } else if (a == "--max-frames") {
            if (!count(1, 100000000)) return fail("--max-frames needs a count from 1 to 100000000");
            o.config.maxframes = static_cast<int>(v);
        } else if (a == "--budget") {
            if (!count(1, 100000)) return fail("--budget needs seconds from 1 to 100000");
            o.config.budget = static_cast<double>(v);
        } else if (a == "--read-seconds") {
            if (!count(1, 3600)) return fail("--read-seconds needs seconds from 1 to 3600");
            o.readseconds = v;
        } else if (a == "--header-seconds" || a == "--body-seconds") {
            if (!count(1, 3600)) return fail(a + " needs seconds from 1 to 3600");
            (a == "--header-seconds" ? o.headerseconds : o.bodyseconds) = v;
        } else if (a == "--stop-seconds") {
            if (!count(0, 3600)) return fail("--stop-seconds needs seconds from 0 to 3600");
            o.stopseconds = v;
        } else if (a == "--client-connections") {
            if (!count(1, 100000)) return fail("--client-connections needs a count from 1 to 100000");
            o.clientconnections = v;
        } else if (a == "--db-seconds") {
            if (!count(1, 3600)) return fail("--db-seconds needs seconds from 1 to 3600");
            o.dbseconds = v;
        } else if (a == "--connections") {
            if (!count(8, 100000)) return fail("--connections needs a count from 8 to 100000");
            o.connections = v;
        } else if (a == "--rate") {
            if (!count(1, 1000000)) return fail("--rate needs a count from 1 to 1000000");
            o.config.rate = static_cast<int>(v);
        } else {
            return fail("unknown option " + a);
        }
    }
    return -1;
}

// The handlers of every request, in the order a request meets them: its connection claimed,
// its answer from `api` (a replay's body read first, within the limit), its log line.
namespace handlers {

using Req = httplib::Request;
using Res = httplib::Response;

// The headers are in: a body is waited for, other requests are answered; an address that
// holds too many connections at once is turned away (503).
httplib::Server::HandlerResponse claim(tapi& api, const Req& req, Res& res) {
    if (req.method == "POST" || req.method == "PUT" || req.method == "PATCH") tconnections::waitingforbody();
    else tconnections::waiting(-1);
    requestlog = trequestlog();
    requestlog.start = std::chrono::steady_clock::now();
    trequest r;
    r.address = req.remote_addr;
    if (size_t n = req.get_header_value_count("X-Forwarded-For"))
        r.forwarded = req.get_header_value("X-Forwarded-For", n - 1);
    requestlog.client = api.clientof(r);
    if (!tconnections::claim(requestlog.client)) {
        res.status = 503;
        res.set_header("Retry-After", "10");
        res.set_header("Connection", "close");
        res.set_content("{\"error\":\"too many requests from this address at once\"}\n", "application/json");
        return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

// The request's line in the log, when its answer has gone out.
void log(const Req& req, const Res& res) {
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - requestlog.start).count();
    char buf[96];
    std::snprintf(buf, sizeof buf, " %d %zu bytes %.3f s", res.status, res.body.size(), took);
    // a request the library could not read has no method, path nor address of its own
    std::string client = !requestlog.client.empty() ? requestlog.client
                         : !req.remote_addr.empty() ? req.remote_addr
                                                    : tconnections::peer();
    std::string line = client + " " + (req.method.empty() ? "-" : req.method) + " " +
                       (req.path.empty() ? "-" : req.path.substr(0, 200)) + buf;
    if (!requestlog.verdict.empty()) {
        line += ": " + requestlog.verdict;
        if (requestlog.cpu >= 0) {
            std::snprintf(buf, sizeof buf, " (verified in %.2f s of CPU)", requestlog.cpu);
            line += buf;
        }
    }
    if (!requestlog.cause.empty()) line += "; cause: " + requestlog.cause;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
        else if ((c >= 0 && c < 0x20) || c == 0x7f) c = '?';
    logline(line);
    tconnections::answered();
    tconnections::waitingforheaders();   // of the next request on this connection
    startrequest();
}

// The answer of `api` to the request with this body.
void answer(tapi& api, const Req& req, Res& res, std::string body) {
    if (tconnections::stopping) res.set_header("Connection", "close");
    if (tconnections::lateconnection) {
        res.status = 503;
        res.set_header("Retry-After", "10");
        res.set_content("{\"error\":\"the server is stopping: send the request again later\"}\n", "application/json");
        return;
    }
    trequest r;
    r.method = req.method;
    r.path = req.path;
    for (const auto& [k, v] : req.params) r.query.emplace(k, v);
    r.body = std::move(body);
    r.address = req.remote_addr;
    r.origin = req.get_header_value("Origin");
    // a proxy adds its own header after any the client sent: the last one counts
    if (size_t n = req.get_header_value_count("X-Forwarded-For")) r.forwarded = req.get_header_value("X-Forwarded-For", n - 1);
    tresponse out = api.handle(r);
    requestlog.client = api.clientof(r);
    requestlog.verdict = out.verdict;
    requestlog.cpu = out.cpu;
    requestlog.cause = out.cause;
    res.status = out.status;
    for (const auto& [k, v] : out.headers) res.set_header(k, v);
    res.set_content(out.body, out.type);
}

// A POST: the replay is read as it comes, whatever its content type says (no form parsing),
// and no further than the limit; past it the answer is 413 like any other.
void post(tapi& api, const tserveroptions& o, const Req& req, Res& res, const httplib::ContentReader& reader) {
    std::string type = req.get_header_value("Content-Type");
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (type.rfind("multipart/", 0) == 0) {
        res.status = 415;
        res.set_content("{\"error\":\"send the replay itself as the body\"}\n", "application/json");
        return;
    }
    std::string body;
    bool big = false;
    bool whole = reader([&](const char* data, size_t n) {
        if (body.size() + n > o.config.maxbody) {
            big = true;
            return false;
        }
        body.append(data, n);
        return true;
    });
    // The library refuses a declared length past the limit without reading it.
    if (!whole && std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) > o.config.maxbody)
        big = true;
    tconnections::waiting(-1);
    if (!whole && !big) {
        res.status = 400;
        res.set_content("{\"error\":\"the replay did not arrive whole\"}\n", "application/json");
        return;
    }
    if (big) body.assign(o.config.maxbody + 1, '\n');   // answered 413 like any other
    answer(api, req, res, std::move(body));
}

// Other methods with a body: the body (within the replay's limit) is read and dropped, so that
// it is not taken for the next requests on the connection.
void unread(tapi& api, const tserveroptions& o, const Req& req, Res& res, const httplib::ContentReader& reader) {
    size_t n = 0;
    reader([&](const char*, size_t size) { return (n += size) <= o.config.maxbody; });
    tconnections::waiting(-1);
    res.set_header("Connection", "close");
    answer(api, req, res, "");
}

// What the library itself refuses gets a reason in JSON too.
void error(const Req&, Res& res) {
    if (res.status == 413)
        res.set_content("{\"error\":\"the replay is too large\"}\n", "application/json");
    else if (res.body.empty())
        res.set_content("{\"error\":\"the request is not one this server reads\"}\n", "application/json");
}

}  // namespace handlers

// Every request's handler, its limits and its log line; the answers come from `api`.
void route(httplib::Server& http, tapi& api, const tserveroptions& o) {
    // Beyond the replay's limit the body is refused before it is read (413).
    http.set_payload_max_length(o.config.maxbody);
    // Threads for the connections, slow ones too: a verifier's wait, a slow sender or reader
    // holds one, and /healthz and the page still find one free.
    // The handlers outlive this function: they hold the server's own objects by reference.
    tconnections::limit = static_cast<int>(o.clientconnections);
    http.new_task_queue = [&o] {
        return new tconnections(static_cast<size_t>(std::max(o.connections, o.workers + o.queue + 8)),
                                static_cast<int>(o.headerseconds), static_cast<int>(o.bodyseconds), o.config.proxies);
    };
    http.set_read_timeout(static_cast<time_t>(o.readseconds));
    http.set_write_timeout(static_cast<time_t>(o.readseconds));
    http.set_keep_alive_timeout(5);
    using handlers::Req, handlers::Res;
    http.set_pre_routing_handler([&api](const Req& req, Res& res) { return handlers::claim(api, req, res); });
    http.set_logger(handlers::log);
    auto serve = [&api](const Req& req, Res& res) { handlers::answer(api, req, res, ""); };
    auto withbody = [&api, &o](auto handler) {
        return [&api, &o, handler](const Req& req, Res& res, const httplib::ContentReader& reader) {
            handler(api, o, req, res, reader);
        };
    };
    http.Get(".*", serve);
    http.Post(".*", withbody(handlers::post));
    http.Options(".*", serve);
    http.Put(".*", withbody(handlers::unread));
    http.Delete(".*", serve);
    http.Patch(".*", withbody(handlers::unread));
    http.set_error_handler(handlers::error);
}

// Waits for a stop signal (SIGINT, SIGTERM, SIGHUP, blocked in every thread) and stops the
// server.
void stopwhensignalled(httplib::Server& http, sigset_t& stops, long long stopseconds, std::atomic<bool>& stopping) {
    int sig = 0;
    sigwait(&stops, &sig);
    stopping = true;
    tconnections::stopping = true;
    // Listening goes on until every connection taken in before the signal is closed and
    // none has come for a moment (late ones are answered 503 at once, rather than reset
    // while they wait to be taken in); a second signal stops at once.
    timespec tick{0, 20000000};
    auto now = [] { return std::chrono::steady_clock::now(); };
    auto deadline = now() + std::chrono::seconds(stopseconds), quiet = now();
    while (now() < deadline && sigtimedwait(&stops, nullptr, &tick) < 0) {
        if (tconnections::open > 0) quiet = now();
        else if (now() - quiet > std::chrono::milliseconds(200)) break;
    }
    if (tconnections::open > 0) {
        // slow clients past the deadline are closed with the process: every replay accepted
        // is stored before its answer goes out, and one not answered yet is sent again
        logline("varnhold-server: stopped with " + std::to_string(tconnections::open.load()) +
                " connections still open");
        std::fflush(stdout);
        _exit(0);
    }
    http.stop();
}

}  // namespace

int main(int argc, char** argv) {
    tserveroptions o;
    if (int status = readoptions(argc, argv, o); status >= 0) return status;
    if (o.child) return verifychild(o.config.maxframes, o.seconds, o.config.data);

    size_t colon = o.listen.rfind(':');
    long long port = 0;
    if (colon == std::string::npos || !number(o.listen.c_str() + colon + 1, 1, 65535, port))
        return fail("--listen needs ADDRESS:PORT, for example 127.0.0.1:8080");
    std::string host = o.listen.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);

    bool installed = false;
    // Once, the pictures and sounds decoded for it; the verifiers are told it.
    o.config.data = datadigests(gamefolder(installed));
    if (o.config.data.content == 0) {
        std::fprintf(stderr, "varnhold-server: no data folder of the game beside the program or in %s\n", VARNHOLD_DATADIR);
        return 1;
    }

    // A database file named from here stays here when the verifiers enter the game's folder.
    if (!postgresname(o.db) && !o.db.empty() && o.db[0] != '/') {
        char here[4096];
        if (getcwd(here, sizeof here)) o.db = std::string(here) + "/" + o.db;
    }
    std::unique_ptr<tstore> store;
    try {
        store = openstore(o.db, static_cast<double>(o.dbseconds));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnhold-server: %s\n", withoutpassword(e.what()).c_str());
        return 1;
    }
    // A database that is out of reach later makes answers 503 until it is back.

    // The stop signals are taken by one thread of their own; every other thread blocks them.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Replays are played on threads of this process, in the game's folder; or, isolated, by
    // children of this program.
    std::vector<std::string> child;
    if (o.isolate) {
        o.config.startcost = 0.15;   // a process and its world
        child = {self(), "--verify-child", "--max-frames", std::to_string(o.config.maxframes), "--verify-seconds",
                 std::to_string(o.seconds), "--data", hexdigest(o.config.data.content), hexdigest(o.config.data.bytes)};
    } else if (std::string problem = enterverifier(); !problem.empty()) {
        std::fprintf(stderr, "varnhold-server: %s\n", problem.c_str());
        return 1;
    }
    // A replay waits at most about twice its own playback: what waits beyond gets 503 at once.
    if (o.queue < 0) o.queue = 2 * o.workers;
    tverifierpool pool(child, static_cast<int>(o.workers), static_cast<int>(o.queue), static_cast<int>(o.seconds),
                       static_cast<int>(o.config.maxframes), o.config.data);
    tapi api(
        *store,
        [&](const std::string& text, const std::string& client, double cost, tverified& v) {
            return pool.verify(text, client, cost, v);
        },
        o.config);

    httplib::Server http;
    route(http, api, o);

    // Not the library's default options: SO_REUSEPORT would let a second server bind a port
    // this one serves and answer part of its requests from a table of its own. SO_REUSEADDR lets
    // a restart bind at once while the last one's connections wind down.
    int listener = -1;
    http.set_socket_options([&](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listener = sock;
    });
    errno = 0;
    if (!http.bind_to_port(host, static_cast<int>(port))) {
        int why = errno;
        std::fprintf(stderr, "varnhold-server: can't listen on %s: %s\n", o.listen.c_str(),
                     why == EADDRINUSE ? ("port " + std::to_string(port) + " is in use (another server?)").c_str()
                     : why             ? std::strerror(why)
                                       : "no such address here");
        return 1;
    }
    // The library listens with a queue of 5 connections: a burst of clients on a busy machine
    // overflowed it (connections reset). Listening again sets the queue the system allows.
    if (listener >= 0) ::listen(listener, SOMAXCONN);
    std::atomic<bool> stopping = false;
    std::thread stopper([&] { stopwhensignalled(http, stops, o.stopseconds, stopping); });
    logline("varnhold-server: listening on " + o.listen + ", scores in " + withoutpassword(o.db));
    http.listen_after_bind();   // returns after stop(), once the requests in progress are answered
    if (!stopping) {
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    logline("varnhold-server: stopped");
    return 0;
}
