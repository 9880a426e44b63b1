// bench/crowd.h — the crowded fight that the frame-step benchmark and the window benchmark
// measure: 40 missiles, 30 explosions, 2,000 particles, fires, floating texts, a full shower,
// and every kind of traffic and intruder the game has (two police cars and the hero among
// them), spread over the playfield.
#pragma once

// Fills the lists of the current world; call it again to top the scene up as it ages.
void crowdfight();
