// Images and pixmaps: PNG reading and writing, locking, textures built from the pixels.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/backend.h"
#include "platform/internal.h"

using namespace plat;

namespace {
std::vector<std::unique_ptr<TImage>> images;   // images live until the program ends
int autoflags = 0;
int uploads = 0;
uint8_t scratch[4];

TPixmap newpixmap(int w, int h) {
    TPixmap p;
    p.width = w;
    p.height = h;
    p.pitch = w * 4;
    p.format = PF_RGBA8888;
    p.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    return p;
}

TImage* newimage(int w, int h, int frames, int flags, const std::string& name) {
    auto img = std::make_unique<TImage>();
    img->width = w;
    img->height = h;
    img->flags = flags;
    img->name = name;
    for (int i = 0; i < frames; i++) img->pixmaps.push_back(newpixmap(w, h));
    img->frames.assign(static_cast<size_t>(frames), 0);
    img->seqs.assign(static_cast<size_t>(frames), 0);
    images.push_back(std::move(img));
    return images.back().get();
}

bool inside(const TPixmap& p, int x, int y) {
    return x >= 0 && y >= 0 && x < p.width && y < p.height &&
           static_cast<size_t>(y) * p.pitch + static_cast<size_t>(x) * 4 + 4 <= p.pixels.size();
}
}  // namespace

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
    TPixmap p = newpixmap(static_cast<int>(im.width), static_cast<int>(im.height));
    if (!png_image_finish_read(&im, nullptr, p.pixels.data(), p.pitch, nullptr)) {
        png_image_free(&im);
        return false;
    }
    out = std::move(p);
    return true;
}

TImage* LoadImage(const std::string& file, int flags) {
    std::string bytes;
    TPixmap p;
    if (!readfile(file, bytes) || !decodepng(bytes, p)) return nullptr;
    if (flags == -1) flags = autoflags;
    std::string name = path(file);
    if (name.rfind("data/", 0) == 0) name = name.substr(5);
    TImage* img = newimage(p.width, p.height, 0, flags, name);
    img->pixmaps.push_back(std::move(p));
    img->frames.assign(1, 0);
    img->seqs.assign(1, 0);
    return img;
}

void FreeImage(TImage* image) {
    if (!image) return;
    auto it = std::find_if(images.begin(), images.end(), [&](const auto& i) { return i.get() == image; });
    if (it != images.end()) images.erase(it);
}

TImage* CreateImage(int width, int height, int frames, int flags) {
    if (flags == -1) flags = autoflags;
    width = std::max(width, 0);
    height = std::max(height, 0);
    frames = std::max(frames, 1);
    return newimage(width, height, frames, flags | IMG_DYNAMIC, "");
}

void SetImageHandle(TImage* image, float hx, float hy) {
    if (!image) return;
    image->handle_x = hx;
    image->handle_y = hy;
}

void AutoImageFlags(int flags) {
    if (flags != -1) autoflags = flags;
}

TPixmap& LockImage(TImage* image, int frame, bool read, bool write) {
    (void)read;
    static TPixmap none;
    if (!image || frame < 0 || frame >= static_cast<int>(image->pixmaps.size())) {
        none = TPixmap{};
        return none;
    }
    if (write) image->seqs[frame] = 0;
    return image->pixmaps[frame];
}

void UnlockImage(TImage*, int) {}

uint32_t ReadPixel(const TPixmap& p, int x, int y) {
    if (!inside(p, x, y)) return 0;
    const uint8_t* b = &p.pixels[static_cast<size_t>(y) * p.pitch + static_cast<size_t>(x) * 4];
    return (uint32_t(b[3]) << 24) | (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2];
}

void WritePixel(TPixmap& p, int x, int y, uint32_t argb) {
    if (!inside(p, x, y)) return;
    uint8_t* b = &p.pixels[static_cast<size_t>(y) * p.pitch + static_cast<size_t>(x) * 4];
    b[0] = static_cast<uint8_t>(argb >> 16);
    b[1] = static_cast<uint8_t>(argb >> 8);
    b[2] = static_cast<uint8_t>(argb);
    b[3] = static_cast<uint8_t>(argb >> 24);
}

uint8_t* PixelBytes(TPixmap& p, int x, int y) {
    if (!inside(p, x, y)) {
        std::memset(scratch, 0, sizeof scratch);
        return scratch;
    }
    return &p.pixels[static_cast<size_t>(y) * p.pitch + static_cast<size_t>(x) * 4];
}

const uint8_t* PixelBytes(const TPixmap& p, int x, int y) {
    return PixelBytes(const_cast<TPixmap&>(p), x, y);
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

// Encoded whole in memory first, so that a full disk never leaves half a picture behind.
bool SavePixmapPNG(const TPixmap& p, const std::string& file, int level) {
    std::string bytes = EncodePNG(p, level);
    return !bytes.empty() && SaveFile(file, bytes).empty();
}

int TextureUploads() { return uploads; }

// The frame's place, filled from its pixels the first time and again after a writing lock.
// Filling a place of the texture that the pending draw call uses would change quads drawn
// before the lock, so the call is flushed first.
const tplace* plat::texture(TImage* img, int frame) {
    unsigned& id = img->frames[frame];
    if (id != 0 && img->seqs[frame] == 1) return &atlas::at(id);
    if (!ops->ready()) return nullptr;    // try again at the next draw
    if (id == 0)
        id = atlas::place(img->width, img->height, img->flags);
    else if (atlas::at(id).tex == batch.tex)
        batch.flush();
    ops->upload(atlas::places[id - 1], img, frame);
    atlas::rowcolours(atlas::places[id - 1], img, frame);
    uploads++;
    img->seqs[frame] = 1;
    return &atlas::at(id);
}
