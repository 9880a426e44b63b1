// PNG reading and writing with libpng (the browser build has stb's: platform/web/codecs.cpp).
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"

using namespace plat;

// The largest picture read: 4096 x 4096 pixels (64 MiB of RGBA), sixteen times the game's
// largest (the stars, 1024 x 1024). A damaged header may claim any size up to 2^31 a side, and the pixels are
// allocated before the first row is decoded.
constexpr uint64_t maxpixels = 4096ull * 4096ull;

bool plat::decodepng(const std::string& bytes, TPixmap& out) {
    png_image im;
    std::memset(&im, 0, sizeof im);
    im.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&im, bytes.data(), bytes.size())) return false;
    im.format = PNG_FORMAT_RGBA;
    if (im.width == 0 || im.height == 0 || uint64_t(im.width) * im.height > maxpixels) {
        png_image_free(&im);
        return false;
    }
    TPixmap p;
    p.width = static_cast<int>(im.width);
    p.height = static_cast<int>(im.height);
    p.pitch = p.width * 4;
    p.format = PF_RGBA8888;
    p.pixels.assign(static_cast<size_t>(p.pitch) * p.height, 0);
    // A warning is damage libpng read past (compressed data broken after the last row, an
    // ancillary chunk with a bad checksum): the picture is refused, as the browser build's
    // decoder refuses it.
    if (!png_image_finish_read(&im, nullptr, p.pixels.data(), p.pitch, nullptr) || im.warning_or_error != 0) {
        png_image_free(&im);
        return false;
    }
    out = std::move(p);
    return true;
}

namespace {
void pngerror(png_structp png, png_const_charp) { longjmp(png_jmpbuf(png), 1); }
void pngwarning(png_structp, png_const_charp) {}
void pngappend(png_structp png, png_bytep data, png_size_t n) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}
void pngflush(png_structp) {}
}  // namespace

// libpng reports errors by longjmp: only plain locals live in this frame.
static bool writepng(std::string* out, png_bytep* rows, int w, int h, int level) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngerror, pngwarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, out, pngappend, pngflush);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string EncodePNG(const TPixmap& p, int level) {
    if (p.width <= 0 || p.height <= 0 || p.pitch < p.width * 4 ||
        p.pixels.size() < static_cast<size_t>(p.pitch) * p.height)
        return "";
    std::vector<png_bytep> rows(static_cast<size_t>(p.height));
    for (int y = 0; y < p.height; y++)
        rows[y] = const_cast<png_bytep>(&p.pixels[static_cast<size_t>(y) * p.pitch]);
    std::string out;
    if (!writepng(&out, rows.data(), p.width, p.height, std::clamp(level, 0, 9))) return "";
    return out;
}

