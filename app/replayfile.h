// app/replayfile.h — the replay file: a recorded game as text (docs/replay.md). The program
// version, the seed, the settings records the game started with, every event that reached the
// game with the frame it arrived on, checkpoints of the world and, at the end, the frame count
// and the digest of the final world.
//
// Reading and writing are plain functions of text: they know nothing of the running game, so
// a test or a fuzz target can call parsereplay() on any bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The header line of the format this program writes; it reads this one, format 3 (no "daily"
// line), format 2 (whose "data" line is the digest of the data files' bytes, app/datadigest.h)
// and format 1 (no "data" line).
constexpr int replayformat = 4;

// The settings records a game started with, as varnhold.cfg keeps them.
struct treplayrow {
    std::string name;
    int level = 1, score = 0;
};
struct treplaysettings {
    int window[4] = {0, 0, 0, 0};     // x, y, width, height
    int options[4] = {0, 0, 0, 0};    // menu states of the options 11, 12, 4 and 8, in file order
    int language = 0;                 // tag of the language entry in use (101 = the first)
    std::string languagename;         // its menu text, "" without a language file
    int volume = 5;                   // volume step 0 .. 10
    std::string name = "Your Name";   // the player's name
    int level = 1, score = 0;
    int highlight = -1;               // highlighted high-score row, -1 none
    treplayrow rows[10];
};

// Not an event kind of the platform: the canvas size in pixels (x, y) from this frame on.
constexpr int replaycanvas = -1;

struct treplayevent {
    int tick = 0;                     // frame steps run before the event arrived
    int clock = 0;                    // the game's millisecond clock then, less the start clock
    int id = 0;                       // EVENT_... or replaycanvas
    int data = 0, mods = 0, x = 0, y = 0;
};

// The world at `frame` (after its frame step and the events of that frame), and one trace
// character for each frame since the previous checkpoint.
struct treplaycheck {
    int frame = 0;
    uint64_t digest = 0;
    std::string trace;
};

struct treplay {
    int format = replayformat;        // the format it was read in; written as it is, but 1 and 3 as 4
    std::string program;              // "1.1.0.6181": version and build
    uint64_t data = 0;                // digest of the data the game loaded (0: not recorded): of
                                      // what the game took from them (datadigest), in format 2
                                      // of the files' bytes (databytesdigest)
    int seed = 0;
    std::string daily;                // "2026-12-10": a daily challenge's game of that day, seeded
                                      // with its dailyseed (app/daily.h); "" for any other game
    int clock = 0;                    // the game's millisecond clock when the recording began
    treplaysettings settings;
    int checkevery = 60;              // frames between checkpoints
    std::vector<treplayevent> events;
    std::vector<treplaycheck> checks;
    treplaycheck end;                 // the last frame and the final world
};

struct treplayread {
    treplay replay;
    int line = 0;                     // the line the error is on (0: none)
    std::string error;                // "" when the text is a sound replay
};

// Reads a replay from its text. `program` names this program's version and build; a replay
// of another one is refused (pass "" to read any).
treplayread parsereplay(const std::string& text, const std::string& program = "");
// The text of a replay, as parsereplay() reads it back.
std::string writereplay(const treplay& r);
// The trace characters, one per frame: 64 symbols.
extern const char* const replaytracechars;
