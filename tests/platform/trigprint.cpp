// Prints trighashes() for the browser build run by Node (see web/CMakeLists.txt).
#include <cstdio>

#include "tests/platform/trighash.h"

int main() {
    std::fputs(trighashes(300000).c_str(), stdout);
    return 0;
}
