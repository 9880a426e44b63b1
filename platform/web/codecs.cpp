// platform/web/codecs.cpp — the browser build's picture and sound codecs: stb's decoders
// (decode.cpp) and stb_image_write for screenshots, where the desktop has libpng and
// libvorbisfile (platform/png.cpp, platform/ogg.cpp).
#include <cstdio>

#include "platform/internal.h"
#include "platform/web/decode.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

bool plat::decodepng(const std::string& bytes, TPixmap& out) { return stbdecodepng(bytes, out); }
bool plat::decodeogg(const std::string& bytes, TSound& snd) { return stbdecodeogg(bytes, snd); }

bool plat::writepng(FILE* f, const TPixmap& p, int level) {
    stbi_write_png_compression_level = level;
    bool ok = true;
    auto put = [](void* ctx, void* data, int size) {
        auto* c = static_cast<std::pair<FILE*, bool*>*>(ctx);
        if (std::fwrite(data, 1, static_cast<size_t>(size), c->first) != static_cast<size_t>(size)) *c->second = false;
    };
    std::pair<FILE*, bool*> ctx{f, &ok};
    return stbi_write_png_to_func(put, &ctx, p.width, p.height, 4, p.pixels.data(), p.pitch) != 0 && ok;
}
