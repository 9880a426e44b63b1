// app/settings.h — varnhold.cfg (window, four options, language, volume, name, high scores)
// and the loading screen that places the window from it.
#pragma once

#include <string>

// Places the window from the settings file (when `settings`), shows it and draws "Loading...".
void loadingscreen(bool settings = true);
void loadsettings();
// Writes the settings through a temporary file beside varnhold.cfg, renamed over it, so that
// a crash or a full disk never leaves a half-written file. Returns 1 when written. The replay
// being recorded is written at the same moments; a playback writes no settings.
int savesettings();
