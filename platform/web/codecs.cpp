// platform/web/codecs.cpp — the browser build's picture and sound codecs: stb's decoders
// (decode.cpp) and stb_image_write for screenshots, where the desktop has libpng and
// libvorbisfile (platform/png.cpp, platform/ogg.cpp).
#include <emscripten.h>

#include <algorithm>
#include <string>

#include "platform/internal.h"
#include "platform/web/decode.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace {
// What decoding took, for the page's account of a start (page.phases): per kind the files
// decoded and their milliseconds, and when the last decode ended.
template <class F> bool timed(const char* kind, F decode) {
    double t0 = emscripten_get_now();
    bool ok = decode();
    EM_ASM(
        {
            var d = Module['decoded'] = Module['decoded'] || {};
            var k = d[UTF8ToString($0)] = d[UTF8ToString($0)] || new Array(2).fill(0);
            k[0]++;
            k[1] += $2 - $1;
            d.last = $2;
        },
        kind, t0, emscripten_get_now());
    return ok;
}
}   // namespace

bool plat::decodepng(const std::string& bytes, TPixmap& out) {
    return timed("png", [&] { return stbdecodepng(bytes, out); });
}
bool plat::decodeogg(const std::string& bytes, TSound& snd) {
    return timed("ogg", [&] { return stbdecodeogg(bytes, snd); });
}
// The sounds' headers read in the start (plat::soundslater).
bool plat::peekogg(const std::string& bytes, TSound& snd) {
    return timed("peek", [&] { return stbpeekogg(bytes, snd); });
}

std::string EncodePNG(const TPixmap& p, int level) {
    if (p.width <= 0 || p.height <= 0 || p.pitch < p.width * 4 ||
        p.pixels.size() < static_cast<size_t>(p.pitch) * p.height)
        return "";
    stbi_write_png_compression_level = std::clamp(level, 0, 9);
    std::string out;
    auto put = [](void* ctx, void* data, int size) {
        static_cast<std::string*>(ctx)->append(static_cast<const char*>(data), static_cast<size_t>(size));
    };
    if (!stbi_write_png_to_func(put, &out, p.width, p.height, 4, p.pixels.data(), p.pitch)) return "";
    return out;
}
