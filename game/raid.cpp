// game/raid.cpp — the raid scheduler.
#include "game/raid.h"

traid raid;

void traid::init() {}
int traid::generate() { return 0; }
int traid::upd() { return 0; }
