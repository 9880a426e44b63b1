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

#include "app/replay.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/testing.h"

namespace {

double clock = 0;

// Frame steps at `hz`, the clock moving on with them.
void steps(int n, double hz) {
    for (int i = 0; i < n; i++) {
        clock += 1000.0 / hz;
        stepworld(static_cast<int>(clock));
    }
}

void emit(int id, int data) { EmitEvent(CreateEvent(id, world->can.g, data, 0, 400, 200)); }

void press(int key) {
    emit(EVENT_KEYDOWN, key);
    emit(EVENT_KEYUP, key);
}

// One game of `seed` to its name entry; false when it never got there.
bool play(int seed, const std::string& path) {
    clock = 0;
    SetMilliSecs(0);
    if (!newworld(seed).empty()) return false;
    for (thiscore& row : world->level.hiscore) row = {"Nobody", 1, -100000};
    startrecording("", seed);
    emit(EVENT_MOUSEENTER, 0);
    steps(30, 60);
    press(key_enter);
    steps(60, 60);
    emit(EVENT_KEYDOWN, key_f5);
    for (int i = 0; i < 400000 && world->level.prg != level_nameentry; i++) steps(1, 480);
    emit(EVENT_KEYUP, key_f5);
    bool entered = world->level.prg == level_nameentry;
    steps(20, 60);
    press(key_enter);
    steps(30, 60);
    treplay r = recordedreplay();
    stoprecording();
    if (!entered) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::string text = writereplay(r);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    std::printf("%s: %d frames, score %d\n", path.c_str(), r.end.frame, world->level.hiscore[0].score);
    return ok;
}

bool idle(int frames, const std::string& path) {
    clock = 0;
    SetMilliSecs(0);
    if (!newworld(1).empty()) return false;
    startrecording("", 1);
    steps(frames, 60);
    treplay r = recordedreplay();
    stoprecording();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::string text = writereplay(r);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
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
