// The fuzz targets in the test suite: every seed, and every input that once found a fault
// (fuzz/regressions/<target>/*.hex: hex bytes, blanks and line ends ignored, "#" starts a
// comment), must keep every promise of its reader. The sanitizer build runs them too.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/targets.h"
#include "tests/support/world.h"

namespace fs = std::filesystem;

namespace {

std::string unhex(const fs::path& file) {
    std::ifstream f(file);
    std::string line, out;
    while (std::getline(f, line)) {
        line = line.substr(0, line.find('#'));
        std::string digits;
        for (char c : line)
            if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
        for (size_t i = 0; i + 1 < digits.size(); i += 2) out += char(std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    return out;
}

const char* run(const tfuzztarget& t, const std::string& input) {
    return t.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

struct fuzzregressions : worldtest {};

TEST_F(fuzzregressions, every_seed_keeps_the_promises_of_its_reader) {
    for (const tfuzztarget& t : fuzztargets()) {
        auto seeds = t.seeds();
        EXPECT_FALSE(seeds.empty()) << t.name << " has no seeds";
        for (size_t i = 0; i < seeds.size(); i++) {
            const char* broken = run(t, seeds[i]);
            EXPECT_EQ(broken, nullptr) << t.name << " seed " << i << ": " << broken;
        }
    }
}

TEST_F(fuzzregressions, inputs_that_found_faults_are_read_soundly) {
    fs::path root = fs::path(VARNHOLD_SOURCE_DIR) / "fuzz" / "regressions";
    int count = 0;
    for (const tfuzztarget& t : fuzztargets()) {
        if (!fs::is_directory(root / t.name)) continue;
        for (auto& e : fs::directory_iterator(root / t.name)) {
            if (e.path().extension() != ".hex") continue;
            const char* broken = run(t, unhex(e.path()));
            EXPECT_EQ(broken, nullptr) << e.path() << ": " << broken;
            count++;
        }
    }
    EXPECT_GT(count, 0) << "no regression inputs found under " << root;
}
