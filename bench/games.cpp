// Games for the score server's load benchmark: each a whole game of its own seed, played
// headless from a high-score table that any score enters (Return starts it, F5 is held until
// the name entry, Return takes the name), recorded as the window's recorder records one.
// Games of different seeds are different games to the server, so every one it is sent is new.
//
//   cd build && ./varnhold_games --count N [--first SEED] [--idle FRAMES] --to FOLDER
//
// Writes FOLDER/game-SEED.vhr for the seeds FIRST .. FIRST + N - 1 and prints each one's
// frames; exit status 1 when a game did not reach the name entry, 2 on bad usage. --idle also
// writes FOLDER/idle.vhr: the title screen for FRAMES frames without input, a session that
// makes no row and costs its whole length to play (the benchmark's abusive client sends it).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/world.h"
#include "bench/wholegame.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

bool save(const treplay& r, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::string text = writereplay(r);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// One game of `seed` to its name entry; false when it never got there.
bool play(int seed, const std::string& path) {
    treplay r;
    if (!wholegame(seed, r) || !save(r, path)) return false;
    std::printf("%s: %d frames, score %d\n", path.c_str(), r.end.frame, world->level.hiscore[0].score);
    return true;
}

bool idle(int frames, const std::string& path) {
    treplay r;
    return idlegame(frames, r) && save(r, path);
}

}  // namespace

int main(int argc, char** argv) {
    long count = 0, first = 1, idleframes = 0;
    std::string to;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--count") count = std::atol(argv[i + 1]);
        else if (a == "--first") first = std::atol(argv[i + 1]);
        else if (a == "--to") to = argv[i + 1];
        else if (a == "--idle") idleframes = std::atol(argv[i + 1]);
    }
    if (count < 1 || to.empty()) {
        std::fprintf(stderr, "usage: varnhold_games --count N [--first SEED] --to FOLDER  (in the build folder)\n");
        return 2;
    }
    PlatformInit(tbackend::headless);
    initpaths("./");
    cfgpath = to + "/varnhold.cfg";   // the rows the games make land here, not in the build folder
    RecordDrawing(false);
    int status = 0;
    if (idleframes > 0 && !idle(static_cast<int>(idleframes), to + "/idle.vhr")) {
        std::fprintf(stderr, "varnhold_games: can't write %s/idle.vhr\n", to.c_str());
        status = 1;
    }
    for (long seed = first; seed < first + count; seed++)
        if (!play(static_cast<int>(seed), to + "/game-" + std::to_string(seed) + ".vhr")) {
            std::fprintf(stderr, "varnhold_games: the game of seed %ld did not reach the name entry\n", seed);
            status = 1;
        }
    std::remove(cfgpath.c_str());
    return status;
}
