// framework/world.cpp — the thread's world, as the framework sees it.
#include "framework/world.h"

thread_local tframeworld* frameworld = nullptr;
