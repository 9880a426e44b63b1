// server/verifier.h — a replay played again by the game's own engine, and the checks a score
// must pass before it is played: its version, its length and its pace.
//
// The game's world is one global object, so a process holds one playback at a time. The
// server plays each replay in a child process of its own (this program run with
// --verify-child): replays are verified side by side on several cores, a replay that runs too
// long is killed, and a fault in one playback takes nothing else with it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/replayfile.h"

struct tverified {
    enum tkind { ok, damaged, refused, failed };
    tkind kind = failed;
    int line = 0;                     // damaged: the line at fault
    std::string reason;               // why not ok, in words
    std::vector<treplayrow> rows;     // ok: the high-score rows the game made, best first
    bool late = false;                // refused for the time limit (a busier moment may say so)
};

// The rows of `after` that the game made: those not matched by a row of `before` (each row of
// `before` matches once).
std::vector<treplayrow> newrows(const treplayrow (&before)[10], const treplayrow (&after)[10]);

// What can be told without playing: a damaged file, another program's replay, a game played
// with other data files than those of digest `data`, a game longer than `maxframes`, a game
// slower than real time. kind ok when the replay may be played.
tverified precheck(const std::string& text, const std::string& program, uint64_t data, int maxframes,
                   treplay* out = nullptr);

// How far (ms) the game's clock may run ahead of its frames at 60 (or, F5 held, 480) frames a
// second: the timer's jitter and a late process (at most 44 ms in the recorded games of
// tests/replays/ on a busy two-core machine). "" or the reason a game was played slower.
constexpr int pacetolerance = 250;
std::string pacecheck(const treplay& r, int tolerance = pacetolerance);

// Plays the replay in this process (the world is rebuilt for it) and returns the verdict.
// The process must have called PlatformInit(headless) and be in the folder that holds data/,
// whose files must be those the replay names.
tverified verifyhere(const std::string& text, int maxframes);

// The child's answer on its standard output, and its reading in the parent.
std::string verifiedtext(const tverified& v);
tverified readverified(const std::string& text);

// A bounded pool of child processes: at most `workers` play at once, at most `queue` wait, in
// the order they came.
class tverifierpool {
public:
    tverifierpool(std::vector<std::string> command, int workers, int queue, int seconds);
    // false when the queue is full (nothing was done); otherwise `v` holds the verdict.
    bool verify(const std::string& text, tverified& v);

private:
    tverified run(const std::string& text);
    std::vector<std::string> command;
    int workers, queue, seconds;
    int running = 0, waiting = 0;
    unsigned long long tickets = 0, serving = 0;   // taken in order of arrival; the next to play
    std::mutex m;
    std::condition_variable freed;
};
