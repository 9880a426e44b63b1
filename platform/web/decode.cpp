// platform/web/decode.cpp — stb_image and stb_vorbis (Debian's libstb-dev headers, compiled
// here) behind the desktop decoders' contract; see decode.h.
#include "platform/web/decode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb/stb_vorbis.h>

namespace {

// CRC-32 of Ogg pages (polynomial 0x04c11db7, most significant bit first).
uint32_t oggcrc(const uint8_t* p, size_t n) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; k++) r = r & 0x80000000u ? (r << 1) ^ 0x04c11db7u : r << 1;
            table[i] = r;
        }
    uint32_t crc = 0;
    for (size_t i = 0; i < n; i++) crc = (crc << 8) ^ table[((crc >> 24) ^ p[i]) & 0xff];
    return crc;
}

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// The comment header (the stream's second packet): "\x03vorbis", the vendor's text, a count and
// that many texts, each after its length, then the framing byte. stb_vorbis trusts the lengths
// and the count and writes beyond its memory when they are too large.
bool goodcomments(const std::string& p) {
    if (p.size() < 11 || p.compare(0, 7, "\x03vorbis", 7) != 0) return false;
    size_t at = 7;
    auto text = [&]() {
        if (p.size() - at < 4) return false;
        uint32_t len = le32(reinterpret_cast<const uint8_t*>(p.data()) + at);
        at += 4;
        if (len > p.size() - at) return false;
        at += len;
        return true;
    };
    if (!text() || p.size() - at < 4) return false;
    uint32_t count = le32(reinterpret_cast<const uint8_t*>(p.data()) + at);
    at += 4;
    for (uint32_t i = 0; i < count; i++)   // each takes at least 4 bytes: the loop ends soon
        if (!text()) return false;
    return at < p.size();
}

// The file is one logical stream of whole pages with good checksums, from its first page to
// its last, nothing after it and a sound comment header (stb_vorbis checks none of this).
bool wholestream(const std::string& bytes) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t at = 0, n = bytes.size();
    uint32_t serial = 0;
    bool first = true, ended = false;
    std::string packet;                   // the packets' bytes, up to the comment header
    int packets = 0;
    while (at < n) {
        if (ended || n - at < 27 || std::memcmp(b + at, "OggS", 4) != 0 || b[at + 4] != 0) return false;
        size_t segs = b[at + 26], len = 27 + segs;
        if (n - at < len) return false;
        for (size_t i = 0; i < segs; i++) len += b[at + 27 + i];
        if (n - at < len) return false;
        std::vector<uint8_t> page(b + at, b + at + len);
        uint32_t crc = le32(&page[22]);
        std::memset(&page[22], 0, 4);
        if (oggcrc(page.data(), len) != crc) return false;
        bool bos = page[5] & 2;
        if (first != bos || (!first && le32(&page[14]) != serial)) return false;
        serial = le32(&page[14]);
        first = false;
        ended = page[5] & 4;
        for (size_t i = 0, body = 27 + segs; i < segs && packets < 2; body += page[27 + i], i++) {
            packet.append(reinterpret_cast<const char*>(&page[body]), page[27 + i]);
            if (page[27 + i] == 255) continue;   // the packet goes on in the next segment
            if (++packets == 2 && !goodcomments(packet)) return false;
            packet.clear();
        }
        at += len;
    }
    return ended && packets == 2;
}

// The compressed pixels (the IDAT chunks' data, one zlib stream) end with the Adler-32 sum of
// what they hold, which libpng checks and stb_image does not. The sum follows the end of the
// compressed stream, which need not be the end of the last IDAT chunk (libpng ignores what
// follows it). `raw`, when given, receives what they hold.
bool pixelsum(const std::string& bytes, std::string* raw = nullptr) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
    std::string z;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        size_t len = uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
        bool idat = std::memcmp(b + at + 4, "IDAT", 4) == 0;
        if (!idat && !z.empty()) break;
        if (idat) z.append(bytes, at + 8, len);
        at += 12 + len;
    }
    if (z.size() < 6 || z.size() > INT32_MAX) return false;
    // stbi_zlib_decode_malloc, keeping where the stream ended: the bytes read less the whole
    // bytes still waiting in the bit buffer
    stbi__zbuf a;
    char* buf = static_cast<char*>(stbi__malloc(16384));
    if (!buf) return false;
    a.zbuffer = reinterpret_cast<stbi_uc*>(z.data());
    a.zbuffer_end = a.zbuffer + z.size();
    bool decoded = stbi__do_zlib(&a, buf, 16384, 1, 1);
    if (!decoded) {
        STBI_FREE(a.zout_start);
        return false;
    }
    size_t end = static_cast<size_t>(a.zbuffer - reinterpret_cast<stbi_uc*>(z.data()));
    end -= std::min(end, static_cast<size_t>(a.num_bits / 8));
    uint32_t s1 = 1, s2 = 0;
    for (char* c = a.zout_start; c < a.zout; c++) {
        s1 = (s1 + static_cast<uint8_t>(*c)) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    if (raw) raw->assign(a.zout_start, a.zout);
    STBI_FREE(a.zout_start);
    if (z.size() - end < 4) return false;
    const uint8_t* t = reinterpret_cast<const uint8_t*>(z.data()) + end;
    return (s2 << 16 | s1) == (uint32_t(t[0]) << 24 | t[1] << 16 | t[2] << 8 | t[3]);
}

// Every chunk of a PNG up to the end of its image data (or its end chunk) whole and with a
// good checksum (stb_image checks none); the length of that part, 0 when it is not whole.
size_t wholepng(const std::string& bytes) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t r = i;
            for (int k = 0; k < 8; k++) r = r & 1 ? (r >> 1) ^ 0xedb88320u : r >> 1;
            table[i] = r;
        }
    const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t at = 8, n = bytes.size();
    if (n < 8 || std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) != 0) return 0;
    bool pixels = false;                  // the image data has begun
    // A broken chunk after image data that is complete already is never read by libpng.
    auto broken = [&] { return pixels && pixelsum(bytes.substr(0, at)) ? at : 0; };
    while (n - at >= 8) {
        // libpng stops at the end chunk's name, and reads nothing after the image data
        bool idat = std::memcmp(b + at + 4, "IDAT", 4) == 0;
        if (std::memcmp(b + at + 4, "IEND", 4) == 0 || (pixels && !idat)) return pixels ? at : 0;
        pixels = pixels || idat;
        for (int i = 4; i < 8; i++)       // a chunk's name is four letters
            if (!((b[at + i] | 0x20) >= 'a' && (b[at + i] | 0x20) <= 'z')) return broken();
        size_t len = uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
        if (n - at < 12 || len > n - at - 12) return broken();
        uint32_t crc = 0xffffffffu;
        for (size_t i = at + 4; i < at + 8 + len; i++) crc = (crc >> 8) ^ table[(crc ^ b[i]) & 0xff];
        const uint8_t* c = b + at + 8 + len;
        if ((crc ^ 0xffffffffu) != (uint32_t(c[0]) << 24 | c[1] << 16 | c[2] << 8 | c[3])) return broken();
        at += 12 + len;
    }
    return pixels ? at : 0;
}

// The largest picture read: 4096 x 4096 pixels, as on the desktop.
constexpr uint64_t maxpixels = 4096ull * 4096ull;

}  // namespace

bool plat::stbdecodepng(const std::string& bytes, TPixmap& out) {
    int w = 0, h = 0, n = 0;
    if (bytes.size() > INT32_MAX) return false;
    // what libpng reads, with an end chunk, which stb_image needs before it decodes
    size_t whole = wholepng(bytes);
    const std::string end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    std::string raw;
    if (!whole || !pixelsum(bytes.substr(0, whole) + end, &raw) || raw.size() > INT32_MAX / 2) return false;
    // The pixels are inflated once only: stb_image gets them again as stored zlib blocks, after
    // the chunks before the image data (the header, a palette, transparency).
    std::string png = bytes.substr(0, 8);
    for (size_t at = 8; at + 8 <= whole && std::memcmp(bytes.data() + at + 4, "IDAT", 4) != 0;) {
        const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data()) + at;
        size_t len = 12 + (uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3]);
        png.append(bytes, at, len);
        at += len;
    }
    std::string z = "\x78\x01";
    size_t at = 0;
    do {
        size_t len = std::min<size_t>(65535, raw.size() - at);
        bool last = at + len == raw.size();
        const char head[5] = {static_cast<char>(last), static_cast<char>(len & 0xff), static_cast<char>(len >> 8),
                              static_cast<char>(~len & 0xff), static_cast<char>((~len >> 8) & 0xff)};
        z.append(head, 5);
        z.append(raw, at, len);
        at += len;
    } while (at < raw.size());
    z.append(4, '\0');                   // the sum, checked above already
    size_t zl = z.size();
    png += std::string{static_cast<char>(zl >> 24), static_cast<char>(zl >> 16), static_cast<char>(zl >> 8),
                       static_cast<char>(zl)} +
           "IDAT" + z + std::string(4, '\0') + end;
    const stbi_uc* in = reinterpret_cast<const stbi_uc*>(png.data());
    int size = static_cast<int>(png.size());
    if (!stbi_info_from_memory(in, size, &w, &h, &n) || w < 1 || h < 1 || uint64_t(w) * uint64_t(h) > maxpixels)
        return false;
    stbi_uc* px = stbi_load_from_memory(in, size, &w, &h, &n, 4);
    if (!px) return false;
    TPixmap p;
    p.width = w;
    p.height = h;
    p.pitch = w * 4;
    p.format = PF_RGBA8888;
    p.pixels.assign(px, px + static_cast<size_t>(w) * h * 4);
    stbi_image_free(px);
    out = std::move(p);
    return true;
}

namespace {

// The stream opened on its headers, when the file is whole and they are sound: its channels,
// rate and declared samples. The decoder works in `memory`, grown while it asks for more:
// stb_vorbis on its own loses some of what it allocated when a damaged header makes it give up.
stb_vorbis* openogg(const std::string& bytes, std::vector<char>& memory, long& declared) {
    if (!wholestream(bytes) || bytes.size() > INT32_MAX) return nullptr;
    memory.assign(size_t(1) << 18, 0);
    stb_vorbis* v = nullptr;
    for (;;) {
        int err = 0;
        stb_vorbis_alloc a{memory.data(), static_cast<int>(memory.size())};
        v = stb_vorbis_open_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<int>(bytes.size()), &err, &a);
        if (v || err != VORBIS_outofmem || memory.size() >= (size_t(1) << 25)) break;
        memory.assign(memory.size() * 2, 0);
    }
    if (!v) return nullptr;
    stb_vorbis_info vi = stb_vorbis_get_info(v);
    declared = static_cast<long>(stb_vorbis_stream_length_in_samples(v));
    if (vi.channels < 1 || vi.sample_rate < 1 || vi.sample_rate > 384000 || declared <= 0) {
        stb_vorbis_close(v);
        return nullptr;
    }
    return v;
}

}   // namespace

bool plat::stbpeekogg(const std::string& bytes, TSound& snd) {
    // Read here, not by the decoder, whose opening builds the stream's codebooks (10 ms a
    // sound on a busy machine): the identification header (the first page's packet:
    // "\x01vorbis", version 0, channels, rate) and the last page's granule position (the
    // samples of the stream, which the decoder's own count must reach).
    if (!wholestream(bytes)) return false;
    const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t body = 27 + b[26];
    if (bytes.size() < body + 16 || std::memcmp(b + body, "\x01vorbis", 7) != 0 || le32(b + body + 7) != 0) return false;
    uint32_t rate = le32(b + body + 12);
    if (b[body + 11] < 1 || rate < 1 || rate > 384000) return false;
    size_t last = 0;
    for (size_t at = 0; at < bytes.size();) {
        last = at;
        size_t len = 27 + b[at + 26];
        for (size_t i = 0; i < b[at + 26]; i++) len += b[at + 27 + i];
        at += len;
    }
    uint64_t granule = le32(b + last + 6) | uint64_t(le32(b + last + 10)) << 32;
    if (granule == 0 || granule > 0x7fffffffu) return false;
    snd.rate = static_cast<int>(rate);
    snd.frames = static_cast<long>(granule);
    snd.samples.clear();
    return true;
}

bool plat::stbdecodeogg(const std::string& bytes, TSound& snd) {
    std::vector<char> memory;
    long declared = 0;
    stb_vorbis* v = openogg(bytes, memory, declared);
    if (!v) return false;
    stb_vorbis_info vi = stb_vorbis_get_info(v);
    snd.rate = static_cast<int>(vi.sample_rate);
    snd.samples.clear();
    int chans = vi.channels;
    std::vector<short> buf(4096 * static_cast<size_t>(chans));
    for (;;) {
        int frames = stb_vorbis_get_samples_short_interleaved(v, chans, buf.data(), static_cast<int>(buf.size()));
        if (frames <= 0) break;
        for (int f = 0; f < frames; f++) {
            int sum = 0;
            for (int c = 0; c < chans; c++) sum += buf[static_cast<size_t>(f * chans + c)];
            snd.samples.push_back(static_cast<int16_t>(sum / chans));
        }
    }
    bool ok = stb_vorbis_get_error(v) == VORBIS__no_error && static_cast<long>(snd.samples.size()) == declared;
    stb_vorbis_close(v);
    if (!ok) {
        snd.samples.clear();
        return false;
    }
    snd.samples.shrink_to_fit();
    snd.frames = static_cast<long>(snd.samples.size());
    return true;
}
