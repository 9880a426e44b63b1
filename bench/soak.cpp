// The soak: the self-playing title screen, headless, for N frame steps (10,000,000 are about
// 5.8 hours of F5 at 480 steps a second), with a repaint after every 8th step as F5 gives at
// 60 frames a second, and F5 let go and pressed again every 4800 steps. It reports the
// resident memory at the start and at the end, the longest every list of the world grew
// (lists are found by walking the world's field lists, so a new list counts the day it joins
// the world), and any NaN or infinity in the world at the end.
//
//   cd build && ./varnhold_soak --frames 10000000 [--seed S] [--dump FILE]
//
// Exit status 0 when the world ends finite and the peak resident memory at the end is within
// 5% of the peak after the warm-up (the first 1% of the frames), 1 otherwise, 2 on bad usage.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/applet.h"
#include "app/world.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

// Kilobytes of the process's resident memory: now ("VmRSS") or at its peak so far ("VmHWM").
long memorykb(const char* key) {
    std::ifstream f("/proc/self/status");
    std::string line;
    size_t n = std::string(key).size();
    while (std::getline(f, line))
        if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
    return -1;
}

template <class T>
concept walkable = requires(T& t, struct twalk& w) { t.fields(w); };

struct tlistsize {
    size_t slots = 0, records = 0;
};

// Walks the world by the objects' field lists: notes the size of every slot list ("d" of
// unique pointers) under its path, and every float that is not finite.
struct twalk {
    std::string path;
    std::map<std::string, tlistsize> lists;
    std::vector<std::string> notfinite;
    bool checkfloats = false;

    template <class T>
    void operator()(const char* name, T& value) {
        size_t keep = path.size();
        if (!path.empty()) path += '.';
        path += name;
        put(value);
        path.resize(keep);
    }
    template <class T>
    void operator()(const char* name, const T& value) {
        (*this)(name, const_cast<T&>(value));
    }

    void real(double v) {
        if (checkfloats && !std::isfinite(v) && notfinite.size() < 50) notfinite.push_back(path + " = " + std::to_string(v));
    }
    void put(float& v) { real(v); }
    void put(double& v) { real(v); }
    template <class T>
        requires std::is_arithmetic_v<T>
    void put(T&) {}
    void put(std::string&) {}
    template <class T>
    void put(T*&) {}   // pictures and records of other lists: each is walked where it lives
    template <class T>
    void put(std::unique_ptr<T>& p) {
        if (p) put(*p);
    }
    template <class T>
    void put(std::vector<std::unique_ptr<T>>& v) {
        size_t present = 0;
        for (size_t i = 0; i < v.size(); i++) {
            if (!v[i]) continue;
            present++;
            // records may hold lists of their own: those count under "list.*.name"
            (*this)(checkfloats ? std::to_string(i).c_str() : "*", v[i]);
        }
        tlistsize& l = lists[path];
        l.slots = std::max(l.slots, v.size());
        l.records = std::max(l.records, present);
    }
    template <class T>
    void put(std::vector<T>& v) {
        for (size_t i = 0; i < v.size(); i++) (*this)(std::to_string(i).c_str(), v[i]);
    }
    template <class T, size_t N>
    void put(std::array<T, N>& a) {
        for (size_t i = 0; i < N; i++) (*this)(std::to_string(i).c_str(), a[i]);
    }
    template <class T, size_t N>
    void put(T (&a)[N]) {
        for (size_t i = 0; i < N; i++) (*this)(std::to_string(i).c_str(), a[i]);
    }
    template <class T>
        requires walkable<T>
    void put(T& obj) {
        obj.fields(*this);
    }
};

bool number(const char* s, long long& out) {
    if (!s || !*s) return false;
    char* end = nullptr;
    out = std::strtoll(s, &end, 10);
    return *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
    long long frames = 10000000, seed = 1;
    std::string dump;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--frames" && number(next, frames) && frames > 0) i++;
        else if (a == "--seed" && number(next, seed)) i++;
        else if (a == "--dump" && next) dump = argv[++i];
        else {
            std::fprintf(stderr, "usage: varnhold_soak [--frames N] [--seed S] [--dump FILE]  (in the build folder)\n");
            return 2;
        }
    }
    PlatformInit(tbackend::headless);
    initpaths("./");
    cfgpath = "/nonexistent-varnhold/varnhold.cfg";   // the soak neither reads nor writes settings
    SetMilliSecs(0);
    std::string missing = newworld(int(seed));
    if (!missing.empty()) {
        std::fprintf(stderr, "varnhold_soak: can't load %s (run it in the build folder)\n", missing.c_str());
        return 2;
    }
    RecordDrawing(false);
    long built = memorykb("VmRSS");
    long long warmup = std::max(1LL, frames / 100);
    long startpeak = 0;
    twalk sizes;
    auto t0 = std::chrono::steady_clock::now();
    std::printf("%lld frames, seed %lld; resident after building the world: %ld kB\n", frames, seed, built);
    for (long long i = 1; i <= frames; i++) {
        stepworld(int(i * 1000 / 480));
        if (i % 8 == 0) drawworld();
        if (i % 4800 == 1) {   // F5 let go and held again every ten seconds: a new frame timer each time
            EmitEvent(CreateEvent(EVENT_KEYUP, world->can.g, 116));
            EmitEvent(CreateEvent(EVENT_KEYDOWN, world->can.g, 116));
        }
        if (i % 64 == 0) world->fields(sizes);
        if (i == warmup) startpeak = memorykb("VmHWM");
        if (i % (frames / 10 > 0 ? frames / 10 : 1) == 0) {
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::printf("  frame %10lld  %7.1f s  resident %ld kB, peak %ld kB\n", i, s, memorykb("VmRSS"), memorykb("VmHWM"));
            std::fflush(stdout);
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    long endpeak = memorykb("VmHWM"), endnow = memorykb("VmRSS");
    twalk last;
    last.checkfloats = true;
    world->fields(last);

    std::printf("%lld frames in %.1f s (%.0f frames per second)\n", frames, seconds, frames / seconds);
    double growth = startpeak > 0 ? 100.0 * double(endpeak - startpeak) / double(startpeak) : 0;
    std::printf("peak resident memory: %ld kB after the warm-up (%lld frames), %ld kB at the end (%+.2f%%); "
                "resident at the end %ld kB\n",
                startpeak, warmup, endpeak, growth, endnow);
    std::printf("largest lists (slots / records at once):\n");
    for (auto& [name, l] : sizes.lists) std::printf("  %-24s %6zu / %zu\n", name.c_str(), l.slots, l.records);
    if (last.notfinite.empty()) std::printf("no NaN or infinity in the world at the end\n");
    for (const std::string& p : last.notfinite) std::printf("NOT FINITE: %s\n", p.c_str());
    if (!dump.empty()) {
        std::ofstream f(dump, std::ios::binary);
        f << dumpworld();
    }
    bool ok = last.notfinite.empty() && growth <= 5.0;
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
