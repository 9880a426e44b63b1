// app/crowd.h — a crowded fight for measuring the real window: the busy-fight scene of the
// benchmarks (40 missiles, 30 explosions, 2,000 particles, fires, floating texts, a full
// shower) plus every kind of traffic and intruder the game has, spread over the playfield.
#pragma once

// Fills the lists of the current world; call it again to top the scene up as it ages.
void crowdfight();
