// game/level.cpp — the level state machine, scoring and the settings records of the level.
#include "game/level.h"

tlevel level;

namespace {

// Settings-file encodings: a varint carries 7 bits per byte, lowest group first, bit 7 set while
// more bytes follow; a string is a varint length and one byte per character.
void writevarint(TStream* s, int value) {
    auto v = static_cast<uint32_t>(value);
    while (v >= 128) {
        WriteByte(s, static_cast<int>((v & 127) | 128));
        v >>= 7;
    }
    WriteByte(s, static_cast<int>(v));
}

void writestring(TStream* s, const std::string& text) {
    writevarint(s, static_cast<int>(text.size()));
    WriteString(s, text);
}

// A file cut short keeps the defaults of the missing records: every read reports whether the
// record was complete.
bool readvarint(TStream* s, int& out) {
    uint32_t v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        if (Eof(s)) return false;
        int b = ReadByte(s);
        v |= static_cast<uint32_t>(b & 127) << shift;
        if (!(b & 128)) {
            out = static_cast<int>(v);
            return true;
        }
    }
    return false;
}

// A length that runs past the end of the file (or is negative) ends the file there, so a
// damaged file never makes us allocate or read beyond it.
bool readstring(TStream* s, std::string& out) {
    int n = 0;
    if (!readvarint(s, n)) return false;
    long left = StreamSize(s) - StreamPos(s);
    if (n < 0 || n > left) return false;
    out = ReadString(s, n);
    return true;
}

}  // namespace

int tlevel::load(TStream* stream) {
    if (!stream) return 0;
    if (!readstring(stream, name)) return 0;
    if (!readvarint(stream, level)) return 0;
    if (!readvarint(stream, score)) return 0;
    if (!readvarint(stream, highlighthiscore)) return 0;
    for (auto& row : hiscore) {
        // a row is taken only when all three of its records are there
        thiscore r;
        if (!readstring(stream, r.name) || !readvarint(stream, r.level) ||
            !readvarint(stream, r.score))
            return 0;
        row = r;
    }
    return 0;
}

int tlevel::save(TStream* stream) {
    if (!stream) return 0;
    writestring(stream, name);
    writevarint(stream, level);
    writevarint(stream, score);
    writevarint(stream, highlighthiscore);
    for (auto& row : hiscore) {
        writestring(stream, row.name);
        writevarint(stream, row.level);
        writevarint(stream, row.score);
    }
    return 0;
}

int tlevel::addscore(int n) {
    if (prg == 0 || prg == 1) score += n;
    return 0;
}

int tlevel::nextlevel() {
    speed += 0.1f;
    level += 1;
    if (level % 4 == 0) maxrocket += 1;
    allrocket2 += 1;
    allrocket = allrocket2;
    return 0;
}

int tlevel::setpause(int n) {
    if (prg <= 1) pause = n;
    return 0;
}

int tlevel::newlevel() {
    prg = 1;
    wait = 180;
    speed = 1.0f;
    score = 0;
    level = 1;
    maxrocket = 2;
    allrocket2 = 10;
    allrocket = allrocket2;
    return 0;
}

int tlevel::nextlevel2() {
    return 0;
}

int tlevel::leavelevel() {
    prg = 10;
    allrocket = 0;
    pause = 0;
    speed = initialspeed;
    return 0;
}

int tlevel::upd() {
    switch (prg) {
    case 1:
        if (wait == 0) {
            prg = 0;
            if (level > 1) nextlevel2();
        }
        wait -= 1;
        break;
    case 2:
        if (wait == 0) {
            int i = 0;
            while (i < 10 && !(score > hiscore[i].score)) i++;
            if (i < 10) {
                gohiscore = highlighthiscore = i;
                prg = 3;
            } else {
                gohiscore = 10;
                leavelevel();
            }
            speed = initialspeed;
        }
        wait -= 1;
        break;
    default:
        break;
    }
    return 0;
}

int tlevel::draw() {
    return 0;
}

int tlevel::updev() {
    return 0;
}
