// Images and pixmaps: loading and saving (the PNG codec: png.cpp), locking, textures built from the pixels.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/backend.h"
#include "platform/internal.h"

using namespace plat;

namespace {
std::vector<std::unique_ptr<TImage>> images;   // images live until the program ends
std::mutex imagelock;                          // the list is shared by the worlds of all threads
thread_local int autoflags = 0;
thread_local int uploads = 0;
thread_local uint8_t scratch[4];

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
    std::lock_guard<std::mutex> lock(imagelock);
    images.push_back(std::move(img));
    return images.back().get();
}

bool inside(const TPixmap& p, int x, int y) {
    return x >= 0 && y >= 0 && x < p.width && y < p.height &&
           static_cast<size_t>(y) * p.pitch + static_cast<size_t>(x) * 4 + 4 <= p.pixels.size();
}
}  // namespace

TImage* LoadImage(const std::string& file, int flags) {
    std::string bytes;
    TPixmap p;
    if (!readfile(file, bytes) || !decodepng(bytes, p)) return nullptr;
    notepicture(bytes, p);
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
    std::lock_guard<std::mutex> lock(imagelock);
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
    if (!ops.drawing->ready()) return nullptr;    // try again at the next draw
    if (id == 0)
        id = atlas::place(img->width, img->height, img->flags);
    else if (atlas::at(id).tex == batch.tex)
        batch.flush();
    ops.drawing->upload(atlas::places[id - 1], img, frame);
    atlas::rowcolours(atlas::places[id - 1], img, frame);
    uploads++;
    img->seqs[frame] = 1;
    return &atlas::at(id);
}
