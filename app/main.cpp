// app/main.cpp — the program's entry: the command line, then the start-up of the game.
#include <cstdio>
#include <string>

#include "app/world.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    PlatformInit(tbackend::desktop, argc, argv);
    initpaths(AppDir());
    tstartup how;
    std::string missing = startup(how);
    if (!missing.empty()) {
        Notify("Can't load " + missing, 1);
        return 1;
    }
    for (;;) WaitSystem();
}
