// fuzz/replay.cpp — the replay reader: any bytes a player may have been sent as a replay.
#include <algorithm>
#include <string>
#include <vector>

#include "app/replayfile.h"
#include "fuzz/targets.h"

// The reader refuses the bytes with the line at fault, or what it read writes out as a text
// that reads back to the same replay.
const char* fuzzreplay(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    long lines = 1 + std::count(text.begin(), text.end(), '\n');
    treplayread got = parsereplay(text);
    if (!got.error.empty()) return got.line >= 1 && got.line <= lines + 1 ? nullptr : "a refusal without its line";
    std::string written = writereplay(got.replay);
    treplayread back = parsereplay(written);
    if (!back.error.empty()) return "a replay it read does not read back once written";
    if (writereplay(back.replay) != written) return "a replay changes when written and read again";
    return nullptr;
}

// A short game: a start, a click, a key, then Escape.
std::vector<std::string> replayseeds() {
    std::string head =
        "varnhold-replay 1\nprogram 1.0.0.6181\nseed 23\nclock 3896150\nwindow 240 302 800 419\n"
        "options 0 0 0 0\nlanguage 101 \"English\"\nvolume 5\nname \"Your Name\"\nlevel 1\n"
        "score 0\nhighlight -1\n";
    for (int i = 0; i < 10; i++) head += "row " + std::to_string(i) + " \"Your Name\" 1 0\n";
    head += "checkevery 60\nevents\n0 0 canvas 800 400\n0 0 enter\n";
    std::string body = "20 333 move 400 200\n21 350 key 13 0\n30 500 down 1\n30 500 up 1\n"
                       "40 666 key 27 0\n";
    return {head + body + "end 40 0000000000000000 0000000000000000000000000000000000000000\n",
            head + body};
}
