// app/scores.h — the shared high-score table of a score server (docs/server.md): the replays
// of games that made a high-score row go to it, and its best game can be watched.
//
// Nothing is sent unless the player ticks "Send s&cores". Then every replay of a game that made
// a row is written into the outbox ($XDG_DATA_HOME/varnhold/outbox/) and posted in the
// background: the server's answer takes it out of the outbox (the rank on standard error), a
// refusal too (one line on standard error); a network failure or a busy server leaves it
// there, tried again later in the game and at the next start, each failure doubling the wait.
// The replay is the recorder's: the whole session up to the row (start-up records every
// windowed game in memory, so that the tick may come at any time).
#pragma once

#include <string>
#include <vector>

#include "app/replayfile.h"

// scores.cfg in the settings folder (beside varnhold.cfg), a few lines of text:
//   send=1           1: the player sends scores; 0 or missing: nothing leaves the machine
//   server=URL       the score server; missing: the default
// Unknown lines are kept as they are for newer games; the game rewrites the file when the
// tick changes or --scores names another server.
struct tscoresettings {
    bool send = false;
    std::string server;
    std::vector<std::string> other;   // lines of newer games, written back unchanged
};
extern const char* const defaultscoreserver;
tscoresettings parsescoresettings(const std::string& text);
std::string scoresettingstext(const tscoresettings& s);
std::string scoresettingspath();      // scores.cfg beside the settings file in use

// The windowed game's client, started after start-up: reads scores.cfg (a non-empty `server`
// from --scores replaces the address and is kept in the file), ticks the menu entry, handles
// the three menu entries and sends what waits in `outbox` (a folder with its "/"; "" for the
// user's data folder, made only once sending is on).
void startscores(const std::string& server, const std::string& outbox = "");
// A high-score row was just made: the settings are saved, and when sending is on the replay
// goes into the outbox and is sent.
void scorerowmade();
// The milliseconds until the next try of the outbox after `failures` failures in a row.
int scoresbackoff(int failures);
// A daily challenge's game has ended: when sending is on its replay goes into the outbox and is
// sent; else the line says it is kept and not sent. The server's answer gives the day's rank.
void senddaily(const treplay& r, int score);
// Shows `line` over the playfield for eight seconds (green when `ok`, else red).
void showscoresline(const std::string& line, bool ok);
// The line the client shows the player over the playfield now (a score taken with its rank, a
// refusal with its reason, a best game that cannot be watched), "" when none; drawscores()
// draws it. In English: the language file has no texts for the score server.
std::string scoresline();
void drawscores();
