#include "fuzz/targets.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/world.h"
#include "platform/platform.h"

const std::vector<tfuzztarget>& fuzztargets() {
    static const std::vector<tfuzztarget> all = {
#define VARNHOLD_FUZZ_ENTRY(name, world) {#name, fuzz##name, name##seeds, world},
        VARNHOLD_FUZZ_TARGETS(VARNHOLD_FUZZ_ENTRY)
#undef VARNHOLD_FUZZ_ENTRY
    };
    return all;
}

const tfuzztarget* fuzztarget(const std::string& name) {
    for (const tfuzztarget& t : fuzztargets())
        if (name == t.name) return &t;
    return nullptr;
}

bool fuzzworld() {
    static int built = -1;
    if (built < 0) {
        PlatformInit(tbackend::headless);
        initpaths("./");
        built = FileType("data") == 2 && newworld(1).empty() ? 1 : 0;
    }
    return built == 1;
}

std::string fuzzfile(const std::string& name) {
    static std::string dir;
    if (dir.empty()) {
        // in memory where there is such a folder: the settings are synced at every save
        const char* t = std::getenv("TMPDIR");
        std::string base = t && *t ? t : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/varnhold-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        static struct tremove {
            ~tremove() { std::system(("rm -rf '" + dir + "'").c_str()); }
        } remover;
    }
    return dir + "/" + name;
}

void writefile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

std::string readfile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
