// traffic/ufo.cpp — UFOs.
#include "traffic/ufo.h"

tufo ufos;

void tufodata::generate() {}
void tufodata::destroy() {}
int tufodata::collisiontnt() { return 0; }
int tufodata::collisionjumper() { return 0; }
int tufodata::collisionrocket() { return 0; }
int tufodata::upd() { return 0; }
void tufodata::draw() const {}

void tufo::init() {}
void tufo::generate() {}
void tufo::upd() {}
void tufo::draw() const {}
