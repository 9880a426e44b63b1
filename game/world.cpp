// game/world.cpp — the thread's world and its making.
#include "game/world.h"

#include <memory>

thread_local tworld* world = nullptr;

namespace {
thread_local std::unique_ptr<tworld> owned;   // freed with its thread
}

void makeworld() {
    world = nullptr;
    frameworld = nullptr;
    owned.reset();
    owned = std::make_unique<tworld>();
    world = owned.get();
    frameworld = world;
}
