// platform/web/web.h — what the browser's back end (backend.cpp) asks of its other sources.
#pragma once

namespace web {
// The pads' state now, as the game's events (gamepad.cpp); before the animation frame's ticks.
void pollpads();
void stoppads();
}  // namespace web
