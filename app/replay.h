// app/replay.h — recording a game and playing it back (the file: app/replayfile.h,
// docs/replay.md).
//
// The game is deterministic: the seed, the settings it started with and every event that
// reached it, with the frame it arrived on, decide the world. A recording sits on the event
// hook in front of the application object and notes those events; a playback builds the world
// from the replay's seed and settings, steps the frame timer itself and hands the game the
// recorded events at their frames, comparing the world with the recorded checkpoints.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/replayfile.h"

struct TTimer;

// One character for the frame just run, from the random generator, the score and the level
// state: a change of the random draws shows at the frame where it happens.
char tracechar();
// "1.1.0.6181": the program's version and build, as a replay names them.
std::string programversion();

// ---- Recording ----

// Starts recording the game that start-up has just built with `seed`; the replay is written
// to `path` ("" keeps it in memory only).
// `daily` names the day of a daily challenge's game ("" for any other).
void startrecording(const std::string& path, int seed, const std::string& daily = "");
// A new recording of the same world after startrecording(): the world has just been made
// afresh with `seed` (freshworld) and the recording so far is over.
void restartrecording(const std::string& path, int seed, const std::string& daily = "");
void stoprecording();
bool recording();
// The replay of the game so far, ending with the world as it is now.
treplay recordedreplay();
// Writes it to the file through SaveFile: "" when written (or when there is no file to write),
// else "Can't save FILE: reason". The settings' writer calls it, so it happens on every close,
// on a signal and after a new high-score row.
std::string savereplay();
std::string recordingpath();      // the file being recorded, "" when none
// "" when a replay can be written to `path`, else why not.
std::string replaypathproblem(const std::string& path);

// ---- Playback ----

struct treplayverdict {
    bool ended = false;               // the end frame was reached
    bool same = false;                // the final world and every checkpoint as recorded
    int firstframe = -1;              // first frame whose trace character differed
    int firstcheck = -1;              // first checkpoint whose digest differed
    int lastgood = 0;                 // the last checkpoint that matched before that
    uint64_t digest = 0;              // of the world at the end
    // The game's result, a daily challenge's entry in its day's table: the score and level when
    // the game first ended (game over), or at the end if it did not, and the name the game
    // holds at the end (typed in the name entry, else the player's name). Filled at the end.
    treplayrow dailyresult;
    std::string message;              // the verdict in words, naming the file
};

// Builds the world the replay started from: its seed and settings (the player's settings file
// is neither read nor written), with a frame timer that only the playback steps. `name` names
// the replay in messages. Returns "" or why the playback cannot start.
std::string startplayback(const treplay& r, const std::string& name, bool window);
void stopplayback();
bool replaying();
// Every frame to the end as fast as it goes (headless); the verdict. `untildiffers` stops at the
// first frame or checkpoint that differs (the verdict then has not ended); so does `late`
// returning true, asked before every frame.
treplayverdict playtoend(bool untildiffers = false, const std::function<bool()>& late = {});
// In the window: a timer of its own paces the recorded frames at the recorded rate. The
// player's Escape quits, P pauses the playback, F5 runs it eight times faster, and the wheel
// and the Volume menu set the volume; the rest of the player's input is ignored.
void playwindowed();
// Canvas pixels per playfield unit of the canvas the input was recorded on; 0 when not playing.
float replayinputscale();
// The playback's status line over the playfield (window only).
void drawreplay();
// The exit status for a game closing with `status`: 1 after a playback that found another world.
int replayexitstatus(int status);
// The game's frame timer at `hz`: a real timer, or during a playback one the playback steps.
TTimer* frametimer(float hz);
