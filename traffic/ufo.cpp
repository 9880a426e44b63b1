// traffic/ufo.cpp — UFOs.
#include "traffic/ufo.h"

#include "app/assets.h"
#include "framework/rnd.h"

tufo ufos;

void tufodata::generate() {}
void tufodata::destroy() {}
int tufodata::collisiontnt() { return 0; }
int tufodata::collisionjumper() { return 0; }
int tufodata::collisionrocket() { return 0; }
int tufodata::upd() { return 0; }
void tufodata::draw() const {}

void tufo::init() {
    iw2 = img_ufo ? img_ufo->width / 2 : 0;
    ih2 = img_ufo ? img_ufo->height / 2 : 0;
    wait = rnd.upd(maxwait);
}
void tufo::generate() {}
void tufo::upd() {}
void tufo::draw() const {}
