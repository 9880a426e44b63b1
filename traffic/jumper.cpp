// traffic/jumper.cpp — the parachute jumper.
#include "traffic/jumper.h"

#include "framework/rnd.h"

tjumper jumpers;

void tjumper::init() { wait = rnd.upd(maxwait) + minwait; }
void tjumper::generate() {}
void tjumper::destroy() {}
int tjumper::collisionrocket() { return 0; }
int tjumper::collisionfire() { return 0; }
int tjumper::upd() { return 0; }
void tjumper::draw() const {}
