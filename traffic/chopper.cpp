// traffic/chopper.cpp — helicopters.
#include "traffic/chopper.h"

#include "framework/rnd.h"

tchopper choppers;

void tchopperdata::generate() {}
void tchopperdata::destroy() {}
int tchopperdata::collisiontnt() { return 0; }
int tchopperdata::collisionrocket() { return 0; }
int tchopperdata::collisionufo() { return 0; }
int tchopperdata::collisionjumper() { return 0; }
int tchopperdata::upd() { return 0; }
void tchopperdata::draw() const {}

void tchopper::init() { wait = rnd.upd(maxwait); }
void tchopper::generate() {}
void tchopper::upd() {}
void tchopper::draw() const {}
