// tools/paint.h — small painting helpers shared by the picture makers.
#pragma once

#include "assetgen.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace paint {

constexpr float pi = 3.14159265358979f;

inline float clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }
inline float smooth(float x) { x = clamp01(x); return x * x * (3 - 2 * x); }
inline float mix(float a, float b, float t) { return a + (b - a) * t; }

inline QColor mixc(const QColor& a, const QColor& b, float t) {
    t = clamp01(t);
    return QColor(int(mix(a.red(), b.red(), t) + 0.5f), int(mix(a.green(), b.green(), t) + 0.5f),
                  int(mix(a.blue(), b.blue(), t) + 0.5f), int(mix(a.alpha(), b.alpha(), t) + 0.5f));
}

// Smooth value noise on a lattice of `cell` pixels, 0 .. 1, repeatable for a seed.
inline float hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777215.0f;
}
inline float noise(float x, float y, float cell, uint32_t seed) {
    x /= cell; y /= cell;
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = smooth(x - ix), fy = smooth(y - iy);
    float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return mix(mix(a, b, fx), mix(c, d, fx), fy);
}
inline float fbm(float x, float y, float cell, uint32_t seed, int octaves = 4) {
    float s = 0, a = 0.5f, t = 0;
    for (int i = 0; i < octaves; i++) {
        s += a * noise(x, y, cell, seed + i * 17);
        t += a;
        a *= 0.5f;
        cell *= 0.5f;
    }
    return s / t;
}

// Writes a straight-alpha colour into a premultiplied canvas pixel.
inline void put(QImage& img, int x, int y, const QColor& c) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
    img.setPixelColor(x, y, c);
}

// Draws `over` (straight colour with alpha) over the pixel at (x, y).
inline void blend(QImage& img, int x, int y, const QColor& over) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
    QColor u = img.pixelColor(x, y);
    float a = over.alphaF(), b = u.alphaF() * (1 - a), o = a + b;
    if (o <= 0) return;
    QColor r;
    r.setRgbF((over.redF() * a + u.redF() * b) / o, (over.greenF() * a + u.greenF() * b) / o,
              (over.blueF() * a + u.blueF() * b) / o, o);
    img.setPixelColor(x, y, r);
}

// A lit sphere's colour at a point of its disc: light from the upper left by default.
// nx, ny are -1 .. 1 across the disc; returns the diffuse term 0 .. 1 (and the normal's z).
inline float spherelight(float nx, float ny, float lx = -0.75f, float ly = -0.35f, float lz = 0.56f) {
    float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    float l = std::sqrt(lx * lx + ly * ly + lz * lz);
    return std::max(0.0f, (nx * lx + ny * ly + nz * lz) / l);
}

inline void hints(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

} // namespace paint
