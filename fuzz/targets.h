// fuzz/targets.h — the fuzz targets: each feeds one input to a reader of the files a player may
// have damaged or been sent, and checks what the game keeps of it. libFuzzer runs them under
// the sanitizers (fuzz/main.cpp, scripts/fuzz.sh); the test suite replays the inputs that once
// found a fault (fuzz/regressions/<target>/*.hex) and every seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// The targets, by the reader they feed.
const char* fuzzsettings(const uint8_t* data, size_t size);
const char* fuzzlanguage(const uint8_t* data, size_t size);
const char* fuzzprograminfo(const uint8_t* data, size_t size);
const char* fuzzrecords(const uint8_t* data, size_t size);
const char* fuzzpng(const uint8_t* data, size_t size);
const char* fuzzogg(const uint8_t* data, size_t size);
const char* fuzzfont(const uint8_t* data, size_t size);
const char* fuzzreplay(const uint8_t* data, size_t size);
const char* fuzzserver(const uint8_t* data, size_t size);
std::vector<std::string> settingsseeds();
std::vector<std::string> languageseeds();
std::vector<std::string> programinfoseeds();
std::vector<std::string> recordsseeds();
std::vector<std::string> pngseeds();
std::vector<std::string> oggseeds();
std::vector<std::string> fontseeds();
std::vector<std::string> replayseeds();
std::vector<std::string> serverseeds();
