// The libFuzzer driver of one target, named at build time (VARNHOLD_FUZZ_TARGET). With
// VARNHOLD_FUZZ_SEEDS=DIR in the environment it writes the target's seeds into DIR and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/targets.h"

namespace {
const tfuzztarget* target = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    target = fuzztarget(VARNHOLD_FUZZ_TARGET);
    if (!target) {
        std::fprintf(stderr, "no fuzz target %s\n", VARNHOLD_FUZZ_TARGET);
        std::exit(2);
    }
    if (target->world && !fuzzworld()) {
        std::fprintf(stderr, "%s: run it in the build folder (it needs data/)\n", target->name);
        std::exit(2);
    }
    if (const char* dir = std::getenv("VARNHOLD_FUZZ_SEEDS")) {
        int n = 0;
        for (const std::string& s : target->seeds()) {
            std::string path = std::string(dir) + "/seed" + std::to_string(n++);
            writefile(path, reinterpret_cast<const uint8_t*>(s.data()), s.size());
        }
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const char* broken = target->run(data, size)) {
        std::fprintf(stderr, "%s: %s\n", target->name, broken);
        std::abort();
    }
    return 0;
}
