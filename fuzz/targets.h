// fuzz/targets.h — the fuzz targets: each feeds one input to a reader of the files a player may
// have damaged or been sent, and checks what the game keeps of it. libFuzzer runs them under
// the sanitizers (fuzz/main.cpp, scripts/fuzz.sh); the test suite replays the inputs that once
// found a fault (fuzz/regressions/<target>/*.hex) and every seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The targets, once: X(name, world). Each feeds fuzz<name> with <name>seeds(); world: it needs
// a world (the build folder's data/). fuzz/CMakeLists.txt reads these lines for the fuzz_<name>
// executables, scripts/fuzz.sh runs what was built, the test suite walks fuzztargets().
#define VARNHOLD_FUZZ_TARGETS(X) \
    X(settings, true)            \
    X(language, true)            \
    X(programinfo, false)        \
    X(records, false)            \
    X(png, false)                \
    X(ogg, false)                \
    X(stbpng, false)             \
    X(stbogg, false)             \
    X(font, false)               \
    X(replay, false)             \
    X(server, false)

struct tfuzztarget {
    const char* name;
    // 0: the reader kept every promise; otherwise a message naming the broken one (the fuzz
    // driver aborts with it, a test fails with it).
    const char* (*run)(const uint8_t* data, size_t size);
    std::vector<std::string> (*seeds)();   // a few valid inputs to start from
    bool world;                            // needs a world (the build folder's data/)
};

const std::vector<tfuzztarget>& fuzztargets();
const tfuzztarget* fuzztarget(const std::string& name);

// The world the settings and language readers work on: built once per process from the
// current folder, which must hold data/. False when it cannot be built.
bool fuzzworld();
// A scratch file of this process for inputs read through real files.
std::string fuzzfile(const std::string& name);
void writefile(const std::string& path, const uint8_t* data, size_t size);
std::string readfile(const std::string& path);

// The targets, by the reader they feed, and their seeds.
#define VARNHOLD_FUZZ_DECLARE(name, world)                       \
    const char* fuzz##name(const uint8_t* data, size_t size); \
    std::vector<std::string> name##seeds();
VARNHOLD_FUZZ_TARGETS(VARNHOLD_FUZZ_DECLARE)
#undef VARNHOLD_FUZZ_DECLARE
