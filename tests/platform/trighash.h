// The game's trigonometry (and the C library's beside it) over a fixed sequence of arguments,
// each function's results folded into one number: the native and the browser build must give
// the same numbers for the game's own (tests/platform/trig_test.cpp runs trigprint.cpp's
// browser build under Node).
#pragma once

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/trig.h"

// Lines "NAME OWN LIBC" with the two hashes in hexadecimal.
inline std::string trighashes(int n) {
    uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&] {                                  // xorshift64*
        state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Du;
    };
    auto unit = [&] { return static_cast<double>(next() >> 11) * 0x1p-53; };  // [0, 1)
    struct tfn {
        const char* name;
        double (*own)(double, double);
        double (*libc)(double, double);
        uint64_t h[2] = {0xcbf29ce484222325u, 0xcbf29ce484222325u};
    } fns[] = {
        {"sin", [](double x, double) { return trig::sin(x); }, [](double x, double) { return std::sin(x); }},
        {"cos", [](double x, double) { return trig::cos(x); }, [](double x, double) { return std::cos(x); }},
        {"tan", [](double x, double) { return trig::tan(x); }, [](double x, double) { return std::tan(x); }},
        {"asin", [](double x, double) { return trig::asin(x); }, [](double x, double) { return std::asin(x); }},
        {"acos", [](double x, double) { return trig::acos(x); }, [](double x, double) { return std::acos(x); }},
        {"atan", [](double x, double) { return trig::atan(x); }, [](double x, double) { return std::atan(x); }},
        {"atan2", [](double x, double y) { return trig::atan2(y, x); },
         [](double x, double y) { return std::atan2(y, x); }},
    };
    auto fold = [](uint64_t& h, double v) {           // FNV-1a over the result's bits
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        if (v != v) b = 0x7ff8000000000000u;          // any NaN
        for (int i = 0; i < 8; i++) h = (h ^ ((b >> (8 * i)) & 0xff)) * 0x100000001b3u;
    };
    for (int i = 0; i < n; i++) {
        // the game's angles, the unit interval, and any bit pattern at all
        double x = i % 3 == 0 ? 8000 * unit() - 4000 : i % 3 == 1 ? 2 * unit() - 1 : 0;
        if (i % 3 == 2) {
            uint64_t b = next();
            std::memcpy(&x, &b, sizeof x);
        }
        double y = 600 * unit() - 300;
        for (tfn& f : fns) fold(f.h[0], f.own(x, y)), fold(f.h[1], f.libc(x, y));
    }
    std::string out;
    char line[80];
    for (const tfn& f : fns) {
        std::snprintf(line, sizeof line, "%s %016" PRIx64 " %016" PRIx64 "\n", f.name, f.h[0], f.h[1]);
        out += line;
    }
    return out;
}
