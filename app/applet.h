// app/applet.h — the application object: every event of the window system reaches
// tmainapplet::onevent, one at a time; timer ticks step the game, repaints draw it.
#pragma once

#include <string>

#include "platform/platform.h"

struct tapplet {
    virtual ~tapplet() = default;
    virtual int onevent(TEvent* event) = 0;
    // The "event emitted" hook: hands the event to the applet in `context` and returns it
    // unchanged so that later hooks still see it.
    static void* eventhook(int id, void* data, void* context);
    virtual int run();          // installs eventhook with this applet as its context
};

struct tmainapplet : tapplet {
    // The last step of start-up: settings and language, turrets, view, window, timer, hook.
    // `settings` false leaves the settings file unread (tests start from the defaults).
    tmainapplet& create(bool settings = true);
    int draw();
    int onevent(TEvent* event) override;
};

// Recomputes the view scale from the canvas size: s = min(width / 800, height / 400).
void rescale();
// Canvas pixels per playfield unit for a canvas of w x h pixels; 0 for a canvas without area.
float viewscale(int w, int h);
// One timer tick of the game.
void framestep();
// What every way out of the game keeps: a name entry still open is abandoned (no row, none
// highlighted), then the settings are saved (and the dump written when asked for). Returns ""
// or a line for each file that could not be saved, naming it and the reason.
std::string keepgame();
// The close path: keepgame(), then the process ends. A file that could not be saved is said in
// a message box (only on standard error when a signal closes the game) and makes the exit
// status 1 where it would have been 0.
void closegame(int status = 0);
// SIGTERM, SIGINT and SIGHUP close the game through the close path at once, also while a
// message box is open, so the settings are kept. A signal before the settings are loaded
// ends the game without writing them. SIGUSR1 writes the --dump file now, SIGUSR2
// the settings and the --record file.
void installsignals();
// Saves the playfield as the first free "screenshot<n>.png"; returns the file's name, or ""
// when it could not be saved (said on standard error).
std::string screenshot();

extern thread_local std::string dumponclose;   // --dump FILE of a windowed game: written when it closes
