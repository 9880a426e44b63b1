#include "framework/image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/world.h"

namespace {

bool has(const TImage* img) { return img && !img->pixmaps.empty(); }

const TPixmap& pix(const TImage* img) { return img->pixmaps[0]; }

bool in(const TPixmap& p, int x, int y) { return x >= 0 && y >= 0 && x < p.width && y < p.height; }

// Calls f(source pixel, destination pixel) for every pixel of src from (sx, sy) that lands on
// dst from (dx, dy), as far as both pictures reach; dst is locked for writing meanwhile.
template <class F>
void eachoverlap(TImage* dst, const TImage* src, int dx, int dy, int sx, int sy, F f) {
    const TPixmap& s = pix(src);
    TPixmap& d = LockImage(dst, 0, true, true);
    int w = std::min(d.width - dx, s.width - sx);
    int h = std::min(d.height - dy, s.height - sy);
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            if (in(s, sx + i, sy + j) && in(d, dx + i, dy + j))
                f(PixelBytes(s, sx + i, sy + j), PixelBytes(d, dx + i, dy + j));
    UnlockImage(dst, 0);
}

}  // namespace

void getpixelbytes(int* dst, const TPixmap& p, int x, int y, int n, int offset) {
    const uint8_t* b = PixelBytes(p, x, y);
    for (int k = 0; k < n; k++) dst[k] = b[offset + k];
}

void setpixelbytes(TPixmap& p, int x, int y, const int* src, int n, int offset) {
    uint8_t* b = PixelBytes(p, x, y);
    for (int k = 0; k < n; k++) b[offset + k] = static_cast<uint8_t>(src[k] & 255);
}

void fillimage(TImage* img, const int* bytes, int n, int offset) {
    if (!has(img)) return;
    TPixmap& p = LockImage(img, 0, true, true);
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) setpixelbytes(p, x, y, bytes, n, offset);
    UnlockImage(img, 0);
}

void copyimage(TImage* dst, const TImage* src, int dx, int dy, int sx, int sy, int n, int offset) {
    if (!has(dst) || !has(src)) return;
    eachoverlap(dst, src, dx, dy, sx, sy, [&](const uint8_t* a, uint8_t* b) {
        for (int k = 0; k < n; k++) b[offset + k] = a[offset + k];
    });
}

void blendimage(TImage* dst, const TImage* src, int dx, int dy, int sx, int sy) {
    if (!has(dst) || !has(src)) return;
    eachoverlap(dst, src, dx, dy, sx, sy, [](const uint8_t* a, uint8_t* b) {
        int sa = a[3], da = b[3];
        int na = da + (((256 - da) * sa) >> 8);
        for (int c = 0; c < 3; c++) {
            int sc = (a[c] * (sa + 1)) >> 8;
            int dc = (b[c] * (256 - sa) * da) >> 16;
            dc = (sc + dc) << 8;
            b[c] = static_cast<uint8_t>((dc / (na + 1)) & 255);
        }
        b[3] = static_cast<uint8_t>(na & 255);
    });
}

void blurimage(TImage* img, int r, int n, int offset, const TImage* src) {
    if (!has(img) || r < 0) return;   // a negative radius adds no pixel: nothing to average
    if (!src) src = img;
    if (!has(src)) return;
    TPixmap& d = LockImage(img, 0, true, true);
    const TPixmap& s = pix(src);   // the same buffer as d when blurring in place
    int w = std::min(d.width, s.width);
    int h = std::min(d.height, s.height);
    const uint8_t* sp = s.pixels.data();
    uint8_t* dp = d.pixels.data();
    for (int y = 0; y < h; y++) {
        int y0 = std::max(0, y - r), y1 = std::min(s.height - 1, y + r);
        for (int x = 0; x < w; x++) {
            int x0 = std::max(0, x - r), x1 = std::min(s.width - 1, x + r);
            int sum[4];
            const uint8_t* self = sp + y * s.pitch + x * 4 + offset;
            for (int k = 0; k < n; k++) sum[k] = self[k];
            // Read straight from the buffer, so in place the pixels above and to the left are
            // already the blurred ones.
            for (int j = y0; j <= y1; j++) {
                const uint8_t* row = sp + j * s.pitch + offset;
                for (int i = x0; i <= x1; i++)
                    for (int k = 0; k < n; k++) sum[k] += row[i * 4 + k];
            }
            int count = (y1 - y0 + 1) * (x1 - x0 + 1);
            uint8_t* out = dp + y * d.pitch + x * 4 + offset;
            for (int k = 0; k < n; k++) out[k] = static_cast<uint8_t>(std::min(sum[k] / count, 255));
        }
    }
    UnlockImage(img, 0);
}

void flipimage(TImage* img, const TImage* src) {
    if (!has(img)) return;
    if (!src) src = img;
    if (!has(src)) return;
    // Through a copy, so that flipping an image onto itself reads the unflipped rows.
    TPixmap s = pix(src);
    TPixmap& d = LockImage(img, 0, true, true);
    int w = std::min(d.width, s.width);
    int h = std::min(d.height, s.height);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const uint8_t* a = PixelBytes(s, x, h - 1 - y);
            std::copy(a, a + 4, PixelBytes(d, x, y));
        }
    }
    UnlockImage(img, 0);
}

void grabscreen(TImage* img, int w, int h) {
    if (!has(img)) return;
    SetViewport(0, 0, static_cast<int>(frameworld->viewwidth), static_cast<int>(frameworld->viewheight));
    // The playfield is the canvas's top-left corner (the bars lie right of it and below), so
    // the grab starts there whatever the canvas's height; rows come top to bottom.
    TPixmap grab;
    GrabFrontBuffer(0, 0, w, h, grab);
    TPixmap& d = LockImage(img, 0, true, true);
    d.format = PF_RGBA8888;
    int cw = std::min(d.width, grab.width);
    int ch = std::min(d.height, grab.height);
    for (int y = 0; y < ch; y++) {
        for (int x = 0; x < cw; x++) {
            const uint8_t* a = PixelBytes(grab, x, y);
            std::copy(a, a + 4, PixelBytes(d, x, y));
        }
    }
    UnlockImage(img, 0);
}

TImage* gradientimage(const int* c1, const int* c2, int w, int h) {
    TImage* img = CreateImage(w, h, 1, IMG_FILTERED | IMG_DYNAMIC);
    if (!has(img)) return img;
    int a[4] = {c1[0], c1[1], c1[2], 0};
    int b[4] = {c2[0], c2[1], c2[2], 0};
    if (h == 3) std::copy(a, a + 4, b);
    TPixmap& p = LockImage(img, 0, true, true);
    for (int x = 0; x < w; x++) {
        setpixelbytes(p, x, 0, a, 4, 0);
        setpixelbytes(p, x, h - 1, b, 4, 0);
    }
    int steps = std::max(1, h - 3);
    for (int y = 1; y <= h - 2; y++) {
        int v[4];
        for (int k = 0; k < 4; k++) v[k] = (c2[k] - c1[k]) * (y - 1) / steps + c1[k];
        for (int x = 1; x < w - 1; x++) setpixelbytes(p, x, y, v, 4, 0);
        v[3] = 0;
        setpixelbytes(p, 0, y, v, 4, 0);
        setpixelbytes(p, w - 1, y, v, 4, 0);
    }
    UnlockImage(img, 0);
    return img;
}

TImage* lineimage(const int* col, int w, int h, int n, int offset) {
    TImage* img = CreateImage(w, h, 1, IMG_FILTERED | IMG_DYNAMIC);
    if (!has(img)) return img;
    int clear[4] = {col[0], col[1], col[2], 0};
    TPixmap& p = LockImage(img, 0, true, true);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) setpixelbytes(p, x, y, clear, 4, 0);
    for (int y = 1; y <= h - 2; y++) setpixelbytes(p, w / 2, y, col, n, offset);
    UnlockImage(img, 0);
    return img;
}

int facematrix(float* m, float x, float y, float tx, float ty) {
    float dx = tx - x, dy = ty - y;
    float len = std::sqrt(dx * dx + dy * dy);
    m[12] = x * frameworld->viewscalex;
    m[13] = y * frameworld->viewscaley;
    if (!(len > 0)) {
        // No direction to face: everything drawn with it collapses onto the point.
        m[0] = m[1] = m[4] = m[5] = 0;
        return 1;
    }
    float ux = frameworld->viewscalex * dx / len, uy = frameworld->viewscaley * dy / len;
    m[0] = uy;
    m[1] = -ux;
    m[4] = -ux;
    m[5] = -uy;
    return 0;
}

void drawbeam(TImage* img, float x, float y, float tx, float ty, float width) {
    float dx = tx - x, dy = ty - y;
    float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0) || !img || img->height <= 0) return;
    float ux = frameworld->viewscalex * dx / len, uy = frameworld->viewscaley * dy / len;
    frameworld->drawmatrix[0] = uy;
    frameworld->drawmatrix[1] = -ux;
    frameworld->drawmatrix[4] = ux;
    frameworld->drawmatrix[5] = uy;
    frameworld->drawmatrix[12] = x * frameworld->viewscalex;
    frameworld->drawmatrix[13] = y * frameworld->viewscaley;
    ModelviewPush();
    ModelviewLoad(frameworld->drawmatrix);
    SetScale(width, len / static_cast<float>(img->height));
    DrawImage(img, -width * static_cast<float>(img->width) / 2, 0);
    ModelviewPop();
}

void shrall(int* a, int bits, int n, int start) {
    for (int k = start; k < start + n; k++)
        a[k] = static_cast<int>(static_cast<uint32_t>(a[k]) >> bits);
}

void shlall(int* a, int bits, int n, int start) {
    for (int k = start; k < start + n; k++)
        a[k] = static_cast<int>(static_cast<uint32_t>(a[k]) << bits);
}

void addall(int* a, int v, int n, int start) {
    for (int k = start; k < start + n; k++) a[k] += v;
}

void mulall(int* a, int v, int n, int start) {
    for (int k = start; k < start + n; k++) a[k] *= v;
}

void divall(int* a, int v, int n, int start) {
    for (int k = start; k < start + n; k++) a[k] /= v;
}

void minall(int* a, int v, int n, int start) {
    for (int k = start; k < start + n; k++) a[k] = std::min(a[k], v);
}

void addarr(int* a, const int* b, int n, int astart, int bstart) {
    for (int k = 0; k < n; k++) a[astart + k] += b[bstart + k];
}

int maxof(const int* a, int n, int start) {
    int m = a[start];
    for (int k = start + 1; k < start + n; k++) m = std::max(m, a[k]);
    return m;
}

float dist(const float* a, const float* b, int n) {
    float s = 0;
    for (int k = 0; k < n; k++) s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s);
}
