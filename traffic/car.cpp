// traffic/car.cpp — cars and police cars.
#include "traffic/car.h"

tcar cars;

void tcardata::generate() {}
void tcardata::destroy() {}
int tcardata::collisiontnt() { return 0; }
int tcardata::collisionflash() { return 0; }
void tcardata::collisionparticle() {}
int tcardata::upd() { return 0; }
void tcardata::draw() const {}

void tcar::generate() {}
void tcar::sort() {}
void tcar::upd() {}
void tcar::draw() const {}
