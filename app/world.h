// app/world.h — the door to the world (game/world.h): making it in start-up order, stepping,
// drawing, digesting and dumping it.
//
// The windowed game, the headless run and every scenario test build the world through the
// same steps, so that one seed gives one world. Every thread holds a world of its own (`world`
// points at this thread's), so several play side by side; pictures and sounds are
// loaded by the first world of the process and shared by all later ones (they are read-only
// once loaded). Drawing is for one thread at a time: the texture atlas is shared too.
#pragma once

#include <cstdint>
#include <string>

struct tstartup {
    bool seeded = false;       // seed the game's generator with `seed` instead of the clock
    int seed = 0;
    bool settings = true;      // read varnhold.cfg (tests start from the defaults)
};

// The program's folder with a trailing "/"; settings, language, data/ and screenshots live there.
extern std::string programdir;
// The settings file in use: varnhold.cfg in the program's folder, or in
// $XDG_CONFIG_HOME/varnhold/ when the program's folder cannot be written.
extern thread_local std::string cfgpath;
extern std::string lngpath;
// Where screenshots go: the program's folder, or the user's pictures when it is read-only.
extern std::string shotdir;
// Decides cfgpath and lngpath for a program in `dir` (with its trailing "/"). An installed
// game keeps its settings and screenshots in the user's folders even where `dir` is writable.
void initpaths(const std::string& dir, bool installed = false);

// Runs the start-up steps of the game up to the application object's create(); returns ""
// or the path of the picture or sound that could not be loaded (nothing is started then).
std::string startup(const tstartup& how);

// A fresh world from `seed` in the running game: the world that startup() with `seed` makes
// from a settings file holding the settings as they stand now (options, language, volume, name,
// level, score and the high-score table), keeping the window, the menus, the pictures, the
// sounds and the font. The frame timer starts again; the input state is a new one.
void freshworld(int seed);

// The objects of the game in their creation order (their creation draws random numbers).
void createobjects();

// ---- The door to the world. Whatever runs the game (the window's loop, the headless run, a
// replay, the server's verifier, the tests and the benchmarks) makes, steps, draws, digests and
// dumps the world through these; its input arrives before a step as the window's events do.

// A fresh headless world seeded with `seed`, as the tests and the benchmarks use it; the
// settings file is not read. Returns "" or the path of a missing asset.
std::string newworld(int seed);

// One frame: the frame timer's tick, handled as in the running game. `clockms` is what the
// game's millisecond clock reads for it (a headless run's own clock); without it the clock
// stays as the last input left it (a replay's events carry their clock).
void stepworld();
void stepworld(int clockms);

// One repaint of the canvas.
void drawworld();

// The digest of the world: 64-bit FNV-1a of the world dump's rules part (dumpworld(true)).
uint64_t worlddigest();

struct tmainapplet;
tmainapplet& mainapplet();

// The whole world as one JSON object (see app/dump.h). `rulesonly` leaves out what the game's
// rules do not decide: the window, canvas and view scale, the desktop work area, the clock, the
// drawing's scratch matrix, the volume the player set and the sound channels' levels and pans
// (they follow the sound device's own clock). Replays compare worlds by this part.
std::string dumpworld(bool rulesonly = false);
// Writes the whole world to `path` through SaveFile: "" when written, else "Can't save PATH:
// reason" (nothing of the file is left then).
std::string savedump(const std::string& path);
