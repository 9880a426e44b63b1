// traffic/plane.cpp — planes and the flying hero.
#include "traffic/plane.h"

#include "framework/rnd.h"

tplane planes;

void tplanedata::generate() {}
void tplanedata::destroy() {}
int tplanedata::collisiontnt() { return 0; }
int tplanedata::collisionrocket() { return 0; }
int tplanedata::collisionufo() { return 0; }
int tplanedata::upd() { return 0; }
void tplanedata::draw() const {}

void tplane::init() {
    wait = minwait + rnd.upd(maxwait);
    countsuper = 0;
}
void tplane::generate() {}
void tplane::upd() {}
void tplane::draw() const {}
