// app/daily.h — the daily challenge's calendar: one game a day for every player, its world made
// from a seed that the day's date alone decides (docs/replay.md).
//
// The day is the UTC date, written YYYY-MM-DD. Its seed is the 32-bit FNV-1a hash of those ten
// bytes, masked to 31 bits (a positive int: the game's generator takes any 32-bit seed), and 1
// where that gives 0.
#pragma once

#include <string>

// The UTC date of a time in unix seconds, "YYYY-MM-DD" (any time, also before 1970).
std::string dailydate(long long unixseconds);
// The seed of a day's game; 0 for a text that is not a valid date (dailydatevalid).
int dailyseed(const std::string& date);
// A real calendar date from 2000-01-01 to 2099-12-31, written YYYY-MM-DD.
bool dailydatevalid(const std::string& date);
// The unix second at which the day is over: its last second is one less. 0 for an invalid date.
long long dailyend(const std::string& date);
