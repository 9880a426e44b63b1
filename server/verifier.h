// server/verifier.h — a replay played again by the game's own engine, and the checks a score
// must pass before it is played: its version, its length and its pace.
//
// Every thread holds a world of its own, so the server plays replays side by side on a pool
// of threads in its own process. With --isolate it plays each in a child process instead
// (this program run with --verify-child): a replay past its time is killed there even in the
// middle of a frame, and a fault in one playback takes nothing else with it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/datadigest.h"
#include "app/replayfile.h"

struct tverified {
    enum tkind { ok, damaged, refused, failed };
    tkind kind = failed;
    int line = 0;                     // damaged: the line at fault
    std::string reason;               // why not ok, in words
    std::vector<treplayrow> rows;     // ok: the high-score rows the game made, best first
    bool late = false;                // refused for the time limit (a busier moment may say so)
    double cpu = 0;                   // seconds of CPU the playback took (its thread's or child's)
    // ok, a daily game: its day ("2026-12-10") and the day's result of its replay (the name, level
    // and score when the daily game ended, or at the replay's end); "" for any other game
    std::string daily = "";
    treplayrow dayrow = {};
};

// The rows of `after` that the game made: those not matched by a row of `before` (each row of
// `before` matches once).
std::vector<treplayrow> newrows(const treplayrow (&before)[10], const treplayrow (&after)[10]);

// What can be told without playing: a damaged file, another program's replay, a game played
// with other data than those of `data` (the content digest for a replay of format 3, the
// bytes' for one of format 2), a game longer than `maxframes`, a game slower than real time,
// one without its checkpoints. kind ok when the replay may be played.
tverified precheck(const std::string& text, const std::string& program, const tdatadigests& data, int maxframes,
                   treplay* out = nullptr);

// The pace of a game. Its frames are judged against normal speed, 60 a second (with F5 held the
// timer runs 480 a second, so F5 only ever puts the frames ahead). The clock's lead over the
// frames (clock - frame * 1000 / 60) at an event counts only as far as it lasts: its floor is
// the smallest lead of the events in the `hitch` ms of clock from there on. The desktop timer
// delivers the ticks a busy machine missed a moment later, so a hitch is a lead that comes back
// and leaves the floor where it was; a slowed timer raises the floor for good. A game whose
// floor rises more than `tolerance` ms above its lowest point before is refused: 5 % slower for
// 20 s, 1 % slower for 100 s (docs/server.md has the measurements).
//
// Time in which no frame runs and the world gives the player nothing is no lag: a hidden page
// gets no animation frames (the page suspends the game when hidden and resumes it with its first
// picture when shown again, after a quarter second of frames caught up: the game's clock is
// read at every picture, so the resume carries the hidden time), and the desktop's Help box
// holds the frame timer while it is open (the events that waited for it come on the same
// frame). So after a suspend or a Help box the clock of the rest of that frame is excused, and
// up to the first event of a later frame what frames `pacestall` slower than normal would not
// explain. A pause by P, a window that lost the focus and the web page's Help box stop only
// the fight, never the frames: nothing to excuse there. The excuse never restarts the
// measurement: a slowed game with suspends sprinkled through it still falls behind for good,
// by all of a slowing under `pacestall`. Both pause the fight, which goes on only after an
// event, so no frame of a fight in play is excused.
constexpr int pacetolerance = 1000;
constexpr int pacehitch = 5000;
constexpr double pacestall = 0.1;
struct tpace {
    int growth = 0;                   // the largest rise of the floor, ms
    int frame = 0;                    // the frame of the event where it was
};
tpace pacegrowth(const treplay& r, int hitch = pacehitch);
// "" or the reason a game was played slower.
std::string pacecheck(const treplay& r, int tolerance = pacetolerance);

// The CPU seconds a playback of the replay is expected to take (`start` before its first
// frame, and every frame at the cost of a busy one), before it is played.
double verifycost(const treplay& r, double start);

// Plays the replay in this thread's world (made afresh for it) and returns the verdict; the
// playback stops at the first frame or checkpoint that differs, and after `seconds` of play
// (0: no limit) it is refused as late. The process must have called PlatformInit(headless)
// and be in the folder that holds data/, whose digests are `data` (datadigests(), computed
// once by the server).
// `between`, when given, is called every 256 frames: it returns the seconds it kept the playback
// waiting (which do not count as play), or less than 0 to stop it (the verdict is then failed).
tverified verifyhere(const std::string& text, const tdatadigests& data, int maxframes, int seconds = 0,
                     const std::function<double()>& between = nullptr);

// The child's answer on its standard output, and its reading in the parent.
std::string verifiedtext(const tverified& v);
tverified readverified(const std::string& text);

// A bounded pool of verifiers: at most `workers` play at once, at most `queue` wait. The
// verifiers are threads of this process, each with its world, or with a `command` child
// processes, one per replay.
// Clients take turns by the CPU their playbacks took lately (measured, never the estimate; it
// halves every `halflife` seconds): the one that used least plays next, and a playback whose
// client has used `turn` seconds more than one that waits stops between two frames (a child is
// stopped with SIGSTOP), gives its verifier to it and goes on once it is its turn again. So one
// client's long games hold no verifier while another client's wait, and a client that sends
// many at once mostly waits for itself.
// Among the replays of clients that used as much, the one with the earliest (arrival + 2 x its
// expected cost) plays next, so a short game never waits behind long ones, and a long one is
// passed only by those that would finish before it. A full queue takes a newcomer in place of
// a waiting one that comes last by that order when that one would cost more than twice the
// newcomer, or of the last one of a client that holds at least two places more than the
// newcomer's (the one that gives its place is refused: busy), or refuses the newcomer. Long
// games (expected to cost more than `longgame` seconds) play on at most half the verifiers, so
// that short ones always find one (with a single verifier they take turns).
class tverifierpool {
public:
    // `data`: the digests of the data the threads play with (a child is told them by `command`).
    tverifierpool(std::vector<std::string> command, int workers, int queue, int seconds, int maxframes,
                  tdatadigests data = {});
    ~tverifierpool();
    // false when no place in the queue was found or its place was given to another (nothing was
    // done with the verdict); otherwise `v` holds the verdict. `client`: who sent it; `cost`:
    // verifycost() of the replay.
    bool verify(const std::string& text, const std::string& client, double cost, tverified& v);
    bool verify(const std::string& text, double cost, tverified& v) { return verify(text, "", cost, v); }
    // Replays being played and waiting (paused ones too) now.
    int playing();
    int queued();
    // The CPU seconds the client's playbacks took lately, as the turns weigh them.
    double used(const std::string& client);
    static constexpr double halflife = 30, turn = 0.5;

private:
    struct twaiter {
        std::string client;
        double order, cost;
        double stretch = 0;               // CPU since it last took a verifier
        double charged = 0;               // CPU charged to its client so far
        bool go = false, out = false, playing = false;
    };
    struct tclient {
        double used = 0, at = 0;          // CPU taken lately, decayed to the time `at`
        int places = 0;                   // replays playing or waiting
    };
    struct tjob {
        const std::string* text;
        twaiter* w;
        tverified v;
        bool done = false;
    };
    tverified run(const std::string& text, twaiter& w);
    tverified runchild(const std::string& text, twaiter& w);
    void verifier();
    void next();
    double now() const;
    double usedby(const std::string& client, double t);
    bool eligible(const twaiter& w) const;
    // Between two stretches of a playback: charges `cpu` seconds to its client and, when a
    // client that used `turn` seconds less waits, hands the verifier over and waits for its
    // turn, calling `pause` and `resume` around the wait. The seconds it waited, or -1 when
    // its place was given away meanwhile (the playback stops).
    double between(twaiter& w, double cpu, const std::function<void()>& pause = nullptr,
                   const std::function<void()>& resume = nullptr);
    std::vector<std::string> command;
    int workers, queue, seconds, maxframes;
    tdatadigests data;
    static constexpr double longgame = 2;   // about 150,000 frames, 40 minutes of play
    int running = 0, runninglong = 0;
    std::vector<twaiter*> waiting;
    std::map<std::string, tclient> clients;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::mutex m;
    std::condition_variable freed;
    // the threads that play in this process (made as needed: a paused playback keeps its
    // thread and its world), and the replays handed to them
    std::vector<std::thread> threads;
    int idle = 0;
    std::deque<tjob*> jobs;
    std::condition_variable posted, finished;
    bool closing = false;
};
