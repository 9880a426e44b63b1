// framework/samples.h — the game's sounds, once: their numbers in snd.s (load order), their
// files under data/ and how they play. The game loads them from this list (app/world.cpp),
// the asset generator makes them in this order (tools/sounds.cpp), CMake reads the file names
// from the X(...) lines below (tools/CMakeLists.txt), and the asset tests check each file.
//
// A new sound: a line at the END (the generator seeds each sound by its number, so a line
// put in between changes the bytes of every later sound), its synthesis in tools/sounds.cpp.
#pragma once

// X(name, loop, length in seconds, depth, volume, release fade); a negative volume or fade
// keeps tsmp's default (1 and 0.02 per tick). One sound a line: CMake reads them.
#define VARNHOLD_SAMPLES(X)                    \
    X(xplo1, 0, 2.5, 1.0f, 0.75f, -1)          \
    X(xplo2, 0, 1.0, -1.0f, -1, -1)            \
    X(house, 0, 1.5, 1.0f, 0.25f, -1)          \
    X(launch, 0, 1.0, 1.0f, -1, 0.05f)         \
    X(laser, 0, 0.5, 1.0f, 0.15f, -1)          \
    X(rain, 1, 4.0, 1.0f, -1, -1)              \
    X(thunder, 0, 4.0, -1.0f, 0.75f, -1)       \
    X(lightning, 0, 1.5, 1.0f, 1.0f, -1)       \
    X(plane, 0, 6.0, 1.0f, 0.1f, 0.05f)        \
    X(traffic1, 0, 3.0, 1.0f, 0.1f, 0.05f)     \
    X(traffic2, 0, 3.0, -1.0f, 0.1f, 0.05f)    \
    X(traffic3, 0, 3.0, 1.0f, 0.1f, 0.05f)     \
    X(ufo, 0, 4.0, 1.0f, 0.2f, 0.05f)          \
    X(wind, 1, 5.0, 1.0f, -1, -1)              \
    X(satellite, 0, 3.0, 1.0f, 0.1f, -1)       \
    X(meteor, 0, 4.0, 1.0f, 0.2f, -1)          \
    X(horn1, 0, 0.6, 1.0f, 0.1f, -1)           \
    X(horn2, 0, 0.6, 1.0f, 0.2f, -1)           \
    X(day, 0, 3.0, 1.0f, 0.2f, -1)             \
    X(night, 0, 3.0, 1.0f, 0.2f, -1)           \
    X(fire, 0, 2.0, 1.0f, 0.2f, -1)            \
    X(chopper, 0, 5.0, 1.0f, 0.5f, -1)         \
    X(gun, 0, 0.5, 1.0f, 0.3f, -1)             \
    X(rainbow, 0, 3.0, -1.0f, 0.1f, -1)        \
    X(jumper, 0, 1.0, 1.0f, 1.0f, -1)          \
    X(sirene, 0, 4.0, 1.0f, 0.07f, 0.05f)      \
    X(superman, 0, 2.5, 1.0f, 0.5f, -1)        \
    X(punch, 0, 0.4, 1.0f, 0.3f, -1)           \
    X(laser2, 0, 0.5, 1.0f, 0.4f, -1)

// smp_xplo1 = 0, smp_xplo2 = 1, ...: a sound's number in snd.s.
enum : int {
#define VARNHOLD_SAMPLE_NUMBER(name, ...) smp_##name,
    VARNHOLD_SAMPLES(VARNHOLD_SAMPLE_NUMBER)
#undef VARNHOLD_SAMPLE_NUMBER
    smp_count
};

struct tsampledef {
    const char* name;   // data/<name>.ogg
    int loop;           // 1: loaded as a loop
    double length;      // seconds
    float depth, vol, volfade;
};

inline constexpr tsampledef sampledefs[smp_count] = {
#define VARNHOLD_SAMPLE_DEF(name, loop, length, depth, vol, volfade) {#name, loop, length, depth, vol, volfade},
    VARNHOLD_SAMPLES(VARNHOLD_SAMPLE_DEF)
#undef VARNHOLD_SAMPLE_DEF
};
