// app/settings.cpp — the settings file.
#include "app/settings.h"

#include "app/world.h"
#include "platform/platform.h"

void loadingscreen(bool) {}
void loadsettings() {}
int savesettings() { return 0; }
