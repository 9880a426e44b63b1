// app/dailygame.h — the daily challenge in the running game. Game > "Daily challenge" starts the
// day's game at once: a fresh world from the day's seed (app/daily.h), level 1, score 0, with
// the player's settings and table, the same for every player at every frame until their inputs
// differ. Its recording is a replay of its own (format 4, with its `daily` line) from the
// choice to the game's end: game over and the name entry after it, or quitting it (Escape,
// "Quit", "Show hiscore", a new game). Then it goes to the score server through the outbox when
// sending is on, the player's best game of the day is kept in daily.cfg, and the game goes on
// from a fresh world of its own with a new recording.
#pragma once

#include <string>
#include <vector>

// The player's best daily game of a day, as daily.cfg keeps it: a line "DATE SCORE LEVEL NAME"
// for each day (the name to the line's end).
struct tdailybest {
    std::string date;
    int score = 0, level = 1;
    std::string name;
};
std::vector<tdailybest> parsedailybests(const std::string& text);
std::string dailybeststext(const std::vector<tdailybest>& days);
// Puts a game into the days: a day's best is the higher score, then the higher level, then the
// earlier game. True when it became the day's best.
bool keepdailybest(std::vector<tdailybest>& days, const tdailybest& game);
std::string dailybestpath();          // daily.cfg beside the settings file in use

// The windowed game's client, after the recorder's and the score client's start.
void startdailyclient();
// Starts the daily game of `date` now (the menu entry gives it today's UTC date).
void startdaily(const std::string& date);
// The daily game in play and its day, "" when none.
std::string dailyplaying();
// The game closes: a daily game in play ends here and is kept (and put in the outbox).
void dailyclosing();
// A line of the language file's daily texts with its day and values filled in: {day}, {month}
// from `date`, {rank}, {of}, {score}, {why} from `values` in that order of appearance.
// `english`: in English whatever the language in use (standard error's words).
std::string dailytext(int line, const std::string& date, const std::vector<std::string>& values = {},
                      bool english = false);
