// traffic/satellite.cpp — satellites and meteors.
#include "traffic/satellite.h"

#include "framework/rnd.h"

tsatellite satellites;

void tsatellitedata::generate(TImage*, float, float, float, int) {}
void tsatellitedata::destroy() {}
int tsatellitedata::collisiontnt() { return 0; }
int tsatellitedata::collisionrocket() { return 0; }
int tsatellitedata::collisionplane() { return 0; }
int tsatellitedata::collisionufo() { return 0; }
int tsatellitedata::collisionchopper() { return 0; }
int tsatellitedata::collisionjumper() { return 0; }
int tsatellitedata::collisionsatellite() { return 0; }
int tsatellitedata::upd() { return 0; }
void tsatellitedata::draw() const {}

void tsatellite::init() { wait = rnd.upd(maxwait) + minwait; }
void tsatellite::generate(TImage*, float, float, float, int) {}
void tsatellite::launchsatellite() {}
void tsatellite::launchmeteor() {}
void tsatellite::sort() {}
void tsatellite::upd() {}
void tsatellite::draw() const {}
