// bench/wholegame.h — a whole game played headless the way a player who only starts it and
// gives a name plays it: from a high-score table that any score enters, Return starts it, F5 is
// held until the name entry and Return takes the name. Recorded as the window's recorder
// records one; games of different seeds are different games. The score server's load benchmark
// sends such games (bench/games.cpp) and the tests verify them on several threads at once.
#pragma once

#include "app/replayfile.h"

// Plays the game of `seed` in this thread's world, made afresh, and gives its replay; false
// when it never reached the name entry. The world is left as the game ended.
bool wholegame(int seed, treplay& out);
// The title screen for `frames` frames without input, a session that makes no row.
bool idlegame(int frames, treplay& out);
