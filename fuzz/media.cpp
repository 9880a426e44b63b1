// The decoders of the pictures and sounds in data/, and the font cutter.
#include <ogg/ogg.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/font.h"
#include "fuzz/targets.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/web/decode.h"
#include "tests/support/ogg.h"

namespace {

std::string bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// A picture written by the game's own PNG writer.
std::string pngof(int w, int h, uint32_t seed) {
    TPixmap p;
    p.width = w;
    p.height = h;
    p.pitch = w * 4;
    p.format = PF_RGBA8888;
    p.pixels.resize(size_t(w) * h * 4);
    for (size_t i = 0; i < p.pixels.size(); i++) p.pixels[i] = uint8_t((i * 37 + seed) >> (i % 3));
    std::string path = fuzzfile("seed.png");
    SavePixmapPNG(p, path, 9);
    return readfile(path);
}

// Ogg pages carry a checksum, which random changes almost never keep right; the changed bytes
// then never reach the Vorbis decoder. Each page whose header and body lie in the input gets
// its checksum set, so the decoder behind it is fuzzed too.
std::string fixchecksums(std::string s) {
    for (size_t at = s.find("OggS"); at != std::string::npos; at = s.find("OggS", at + 1)) {
        if (at + 27 > s.size()) break;
        size_t segments = static_cast<unsigned char>(s[at + 26]);
        size_t header = 27 + segments;
        if (at + header > s.size()) break;
        size_t body = 0;
        for (size_t i = 0; i < segments; i++) body += static_cast<unsigned char>(s[at + 27 + i]);
        if (at + header + body > s.size()) break;
        ogg_page og;
        og.header = reinterpret_cast<unsigned char*>(&s[at]);
        og.header_len = long(header);
        og.body = reinterpret_cast<unsigned char*>(&s[at + header]);
        og.body_len = long(body);
        ogg_page_checksum_set(&og);
    }
    return s;
}

// PNG chunks carry a checksum too: each chunk that lies in the input gets its checksum set.
std::string fixcrcs(std::string s) {
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
               uint32_t(uint8_t(s[at + 3]));
    };
    for (size_t at = 8; at + 12 <= s.size();) {
        uint32_t len = u32(at);
        if (len > s.size() - at - 12) break;
        uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(&s[at + 4]), uInt(len + 4)));
        for (int i = 0; i < 4; i++) s[at + 8 + len + i] = char(crc >> (24 - 8 * i));
        at += 12 + size_t(len);
    }
    return s;
}

}  // namespace

// Any bytes as a PNG file, as they are and with the chunk checksums made right: a picture
// comes out whole, at most 4096 x 4096, or nothing.
const char* fuzzpng(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string raw = bytes(data, size);
    for (const std::string& s : {raw, fixcrcs(raw)}) {
        TPixmap p;
        if (!plat::decodepng(s, p)) continue;
        if (p.width <= 0 || p.height <= 0 || int64_t(p.width) * p.height > 4096 * 4096) return "a picture of an impossible size";
        if (p.pitch != p.width * 4 || p.pixels.size() != size_t(p.pitch) * p.height) return "pixels do not fill the picture";
    }
    return nullptr;
}

std::vector<std::string> pngseeds() {
    PlatformInit(tbackend::headless);
    std::vector<std::string> seeds = {pngof(1, 1, 0), pngof(3, 4, 7), pngof(16, 9, 99)};
    std::string rocket = readfile("data/rocket.png");
    if (!rocket.empty()) seeds.push_back(rocket);
    return seeds;
}

// Any bytes as an Ogg Vorbis file, as they are and with the page checksums made right: a
// sound comes out whole, at a real rate, or nothing.
const char* fuzzogg(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string raw = bytes(data, size);
    for (const std::string& s : {raw, fixchecksums(raw)}) {
        TSound snd;
        if (!plat::decodeogg(s, snd)) {
            if (!snd.samples.empty()) return "a refused sound kept samples";
            continue;
        }
        if (snd.samples.empty()) return "an empty sound";
        if (snd.rate <= 0) return "a sound without a rate";
    }
    return nullptr;
}

std::vector<std::string> oggseeds() {
    return {encodeogg(1, 8000, 0.05), encodeogg(2, 11025, 0.1)};
}

// The browser's stb decoders (platform/web/decode.cpp) against the desktop's libpng: any bytes,
// as they are and with the checksums made right, that libpng takes are a picture to stb_image
// too, with the same pixels. stb_image may take more: a stream libpng refuses only for bytes it
// reads after the pixels (an extra image data chunk), which the picture does not need.
const char* fuzzstbpng(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string raw = bytes(data, size);
    for (const std::string& s : {raw, fixcrcs(raw)}) {
        TPixmap web, desk;
        bool w = plat::stbdecodepng(s, web), d = plat::decodepng(s, desk);
        if (d && !w) return "stb_image refused a picture libpng took";
        if (d && (web.width != desk.width || web.height != desk.height || web.pixels != desk.pixels))
            return "stb_image's pixels differ from libpng's";
    }
    return nullptr;
}

std::vector<std::string> stbpngseeds() { return pngseeds(); }

// The same for sounds against libvorbisfile: a sound libvorbisfile takes is one to stb_vorbis
// too, at the same rate and length (the samples themselves may differ in rounding). stb_vorbis
// may take more: it does not check every field of the header that libvorbis checks.
const char* fuzzstbogg(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string raw = bytes(data, size);
    for (const std::string& s : {raw, fixchecksums(raw)}) {
        TSound web, desk;
        bool w = plat::stbdecodeogg(s, web), d = plat::decodeogg(s, desk);
        if (!w && !web.samples.empty()) return "stb_vorbis refused a sound and kept samples";
        if (d && !w) return "stb_vorbis refused a sound libvorbisfile took";
        if (d && (web.rate != desk.rate || web.samples.size() != desk.samples.size()))
            return "stb_vorbis's sound differs in rate or length from libvorbisfile's";
    }
    return nullptr;
}

std::vector<std::string> stboggseeds() { return oggseeds(); }

// Any bytes as the font's two pictures: four bytes give the sizes of the glyph sheet and of
// the descriptor (1 .. 64 each), then the descriptor's pixels as (red, alpha) pairs and the
// sheet's alpha bytes; what the input lacks is 0. Every glyph lies inside the sheet.
const char* fuzzfont(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    int gw = next() % 64 + 1, gh = next() % 64 + 1, dw = next() % 64 + 1, dh = next() % 64 + 1;
    TImage* desc = CreateImage(dw, dh, 1, 0);
    TImage* sheet = CreateImage(gw, gh, 1, 0);
    TPixmap& d = LockImage(desc, 0, true, true);
    for (int y = 0; y < dh; y++)
        for (int x = 0; x < dw; x++) {
            uint8_t* px = PixelBytes(d, x, y);
            px[0] = next();
            px[3] = next();
        }
    TPixmap& g = LockImage(sheet, 0, true, true);
    for (int y = 0; y < gh; y++)
        for (int x = 0; x < gw; x++) {
            uint8_t* px = PixelBytes(g, x, y);
            px[0] = px[1] = px[2] = 255;
            px[3] = next();
        }
    pngfont f;
    f.cut(sheet, desc, -1);
    const char* broken = nullptr;
    std::string all;
    for (int c = 0; c < 256; c++) all += char(c);
    if (f.maxw > gw || f.maxh > gh) broken = "a cell larger than the sheet";
    for (int c = 0; c < 256 && !broken; c++) {
        const TImage* glyph = f.img[c];
        if (!glyph) continue;
        if (glyph->width > gw || glyph->height + f.hs[c] > gh || f.hs[c] < 0) broken = "a glyph outside the sheet";
    }
    if (!broken && (f.width(all) < -1 || f.height(all) > gh)) broken = "a line measures wrong";
    for (TImage*& glyph : f.img) FreeImage(glyph);
    FreeImage(desc);
    FreeImage(sheet);
    return broken;
}

std::vector<std::string> fontseeds() {
    // a 12 x 6 sheet of three cells 'A' (4 wide), ' ' (3), 'B' (5) in one row
    std::string s = {11, 5, 11, 5};
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 12; x++) {
            s += char(x < 4 ? 'A' : x < 7 ? ' ' : 'B');
            s += char(255);
        }
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 12; x++) s += char((x >= 4 && x < 7) || y == 0 ? 0 : 255);
    return {s};
}
