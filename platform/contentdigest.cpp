// What the game takes from its picture and sound files, as digests that every build's decoders
// give alike (PictureDigest, SoundDigest in platform/platform.h). LoadImage and LoadSound note
// the digest of every file they decode, so that the data's digest after the game has loaded
// its pictures and sounds reads the files but decodes nothing again.
#include <map>
#include <mutex>
#include <utility>

#include "platform/internal.h"

using namespace plat;

namespace {

// The digests of decoded files, by the files' bytes (kind, size and plat::hashbytes of them):
// the same bytes always decode to the same pixels, whatever their path or when they were read.
std::map<std::pair<int, std::pair<uint64_t, uint64_t>>, uint64_t> known;
std::mutex knownlock;                     // shared by the worlds of all threads (the server's)

std::pair<int, std::pair<uint64_t, uint64_t>> key(int kind, const std::string& bytes) {
    return {kind, {bytes.size(), hashbytes(bytes.data(), bytes.size())}};
}

enum { picture = 1, sound = 2 };

uint64_t word(uint64_t h, uint64_t v) {
    uint8_t b[8];
    for (int i = 0; i < 8; i++) b[i] = static_cast<uint8_t>(v >> (8 * i));
    return hashbytes(b, 8, h);
}

}  // namespace

// A multiply and a shift per 8 bytes, read as little-endian words whatever the machine, then
// FNV-1a over the last bytes: about ten times the speed of FNV-1a byte by byte, which the 6 MB
// of the pictures' pixels would make a few milliseconds of the start.
uint64_t plat::hashbytes(const void* data, size_t n, uint64_t h) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w = 0;
        for (int k = 7; k >= 0; k--) w = w << 8 | p[i + k];
        h = (h ^ w) * 0x9e3779b97f4a7c15ull;
        h ^= h >> 32;
    }
    for (; i < n; i++) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

uint64_t plat::pixmapdigest(const TPixmap& p) {
    uint64_t h = word(word(14695981039346656037ull, static_cast<uint64_t>(p.width)), static_cast<uint64_t>(p.height));
    size_t row = static_cast<size_t>(p.width) * 4;
    for (int y = 0; y < p.height; y++) {
        size_t at = static_cast<size_t>(y) * p.pitch;
        if (at + row > p.pixels.size()) break;
        h = hashbytes(p.pixels.data() + at, row, h);
    }
    return h;
}

uint64_t plat::sounddigest(const TSound& s) {
    return word(word(14695981039346656037ull, static_cast<uint64_t>(s.rate)), static_cast<uint64_t>(s.frames));
}

namespace {
void notedecoded(int kind, const std::string& bytes, uint64_t digest) {
    auto k = key(kind, bytes);
    std::lock_guard<std::mutex> lock(knownlock);
    known[k] = digest;
}
}  // namespace

void plat::notepicture(const std::string& bytes, const TPixmap& p) { notedecoded(picture, bytes, pixmapdigest(p)); }
void plat::notesound(const std::string& bytes, const TSound& s) { notedecoded(sound, bytes, sounddigest(s)); }

namespace {

// The noted digest of the file's bytes, or `decode` run on them (and noted); 0 when the file
// cannot be read or decoded.
template <class F>
uint64_t digestof(int kind, const std::string& file, F decode) {
    std::string bytes;
    if (!readfile(file, bytes)) return 0;
    auto k = key(kind, bytes);
    {
        std::lock_guard<std::mutex> lock(knownlock);
        auto i = known.find(k);
        if (i != known.end()) return i->second;
    }
    uint64_t d = decode(bytes);
    if (d != 0) notedecoded(kind, bytes, d);
    return d;
}
}  // namespace

uint64_t PictureDigest(const std::string& file) {
    return digestof(picture, file, [](const std::string& bytes) {
        TPixmap p;
        return decodepng(bytes, p) ? pixmapdigest(p) : 0;
    });
}

uint64_t SoundDigest(const std::string& file) {
    return digestof(sound, file, [](const std::string& bytes) {
        TSound s;
        return decodeogg(bytes, s) ? sounddigest(s) : 0;
    });
}

void ForgetDecodedDigests() {
    std::lock_guard<std::mutex> lock(knownlock);
    known.clear();
}
