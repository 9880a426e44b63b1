// server/api.h — the score server's requests and answers, apart from the HTTP library: the
// routes, the limits, the JSON and the HTML page. The HTTP front (server/main.cpp) hands every
// request to handle(); a test or a fuzz target can call it alike.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "server/store.h"
#include "server/verifier.h"

struct trequest {
    std::string method, path;         // path without the query
    std::map<std::string, std::string> query;
    std::string body;
    std::string address;              // the peer's address
    std::string forwarded;            // the X-Forwarded-For header, "" without one
    std::string origin;               // the Origin header, "" without one
};

struct tresponse {
    int status = 200;
    std::string type = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // for the log: the verdict on a replay ("" for other requests), the CPU its playback took
    // (-1: none) and an error's cause that the answer does not show
    std::string verdict;
    double cpu = -1;
    std::string cause;
};

struct tapiconfig {
    size_t maxbody = 4 << 20;         // bytes of a replay
    int maxframes = 60 * 60 * 60 * 3; // three hours of play
    int rate = 30;                    // replays an address may send per minute (and at once)
    double budget = 20;               // verification CPU seconds a client may cause per minute (and at once)
    double startcost = 0.01;          // CPU seconds of a playback before its first frame (a fresh world;
                                      // a child process's start: 0.15)
    tdatadigests data;                // digests of the data the verifier plays with
    std::string web;                  // the web edition's address, "" for no watch link
    std::string publicurl;            // this server's address as players reach it ("" relative links)
    std::vector<std::string> origins; // allowed for CORS ("*" any)
    std::vector<std::string> proxies; // peers whose X-Forwarded-For names the client
    std::function<long long()> clock;   // the time of receipt, unix seconds (none: the system's)
};

// A daily game is taken into its day's table until this long after its day ends (UTC, the
// time the server receives it): the outbox's retries have time to get through.
constexpr long long dailygrace = 2 * 3600;

class tapi {
public:
    // `verify` plays a replay of `client` whose playback is expected to take `cost` CPU seconds;
    // false when no verifier is free nor can wait (busy).
    using tverify = std::function<bool(const std::string& text, const std::string& client, double cost, tverified& v)>;
    tapi(tstore& store, tverify verify, tapiconfig config);
    tresponse handle(const trequest& r);
    // The client a request counts for (the peer, or the one a trusted proxy names).
    std::string clientof(const trequest& r) const { return client(r); }

private:
    tresponse submit(const trequest& r);
    tresponse scores(const trequest& r);
    tresponse daily(const trequest& r, const std::string& day);
    tresponse days(const trequest& r);
    // The page of the high scores: the day's table (today's, or `day`'s), then the all-time
    // table with `/`, or the day's alone.
    tresponse page(const std::string& day = "");
    // "" when a daily game of `day` received now is taken into its day's table, else why not.
    std::string dailywhy(const std::string& day);
    long long now() const;
    bool allowed(const std::string& address);
    // Takes `cost` from the client's verification budget: 0 when there was enough, else the
    // seconds until there will be. charge() settles the difference once the cost is known.
    int spend(const std::string& address, double cost);
    void charge(const std::string& address, double cost);
    // `copy`: the replay was played for another request that sent it at the same time. An
    // accepted replay's copies wait for their verdict until `storing` is released (its entry
    // stored, or not).
    bool played(const std::string& text, const std::string& client, long long key, double cost, tverified& v,
                bool& copy, std::shared_ptr<void>& storing);
    std::string client(const trequest& r) const;
    tstore& store;
    tverify verify;
    tapiconfig config;
    struct tbucket {
        double tokens;
        std::chrono::steady_clock::time_point at;
    };
    std::map<std::string, tbucket> buckets, budgets;
    // Replays being played, by the key of their whole text: the same replay arriving meanwhile
    // waits for that verdict instead of a playback of its own. The last verdicts stay a while
    // (at most `playedkept`), for a copy that checked the store just before the first one's
    // entry was written; a playback that found no free verifier or ran out of time does not.
    struct tplaying {
        bool done = false, busy = false;
        tverified v;
    };
    std::map<long long, std::shared_ptr<tplaying>> playing;
    std::vector<long long> playedorder;   // the finished ones of `playing`, oldest first
    static constexpr size_t playedkept = 256;
    std::condition_variable playedone;
    // The last replays refused after a playback (422), by the key of their whole text as this
    // program writes it: the same replay sent again, in any spelling, gets the same answer
    // without being played again.
    std::map<long long, std::string> refused;
    std::vector<long long> refusedorder;   // oldest first, at most `refusedkept`
    static constexpr size_t refusedkept = 1024;
    // What a page showed as last read, by its address, served while the database does not answer.
    struct tpagedata {
        std::vector<tentry> all, day;
        std::vector<tdailyday> days;
        std::chrono::system_clock::time_point at;
    };
    std::map<std::string, tpagedata> lastpages;
    static constexpr size_t pageskept = 64;
    static constexpr std::chrono::minutes pagekept{10};
    std::mutex m;
};

// A Latin-1 text as a JSON string (quotes included) and as HTML text.
std::string jsonstring(const std::string& latin1);
std::string htmltext(const std::string& latin1);
// The database as the log names it: a URL without its password (user:PASSWORD@ or password=).
std::string withoutpassword(std::string db);
