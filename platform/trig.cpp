// platform/trig.cpp — portable sine, cosine, tangent and inverses with reproducible bits.
//
// The design is the classic one of Sun's fdlibm, whose polynomial coefficients are used here:
//   Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//   Developed at SunPro, a Sun Microsystems, Inc. business.
//   Permission to use, copy, modify, and distribute this software is freely granted,
//   provided that this notice is preserved.
// The code itself is written for this game:
// - Argument reduction to r = x - n pi/2, |r| <= pi/4, kept as a double-double hi + lo:
//   below 2^20 Cody-Waite with pi/2 in three 33-bit parts and a 53-bit tail (the products
//   n * part are exact, the differences are summed without loss), above it Payne-Hanek with
//   1280 bits of 2/pi in 32-bit integer words, so that even 1e300 is reduced correctly.
// - On |r| <= pi/4: minimax polynomials for sin (degree 13, error below 2^-57.8) and
//   cos (degree 14, below 2^-59.8), with the tail lo folded in to first order; tan is their
//   quotient.
// - atan: reduction to |t| < 7/16 by atan(a) + atan((x - a) / (1 + a x)) for a = 0.5, 1,
//   1.5, infinity, then a degree-23 odd minimax polynomial (error below 2^-57.6).
// - atan2 from atan(|y / x|) with the quadrant's pi added in two parts; asin and acos from
//   atan2 with sqrt((1 - x)(1 + x)).
// Measured against glibc over millions of arguments in tests/platform/trig_test.cpp.
#include "platform/trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace trig {
namespace {

// 2/pi in binary: bit i (1-based) after the point is bit 32 - ((i - 1) % 32) of word (i - 1) / 32.
constexpr uint32_t twooverpi[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D};

constexpr double invpio2 = 0x1.45f306dc9c883p-1;
// pi/2 = pio2a + pio2b + pio2c + pio2d to 152 bits; the first three have 33 significant bits.
constexpr double pio2a = 0x1.921fb544p+0, pio2b = 0x1.0b4611a6p-34, pio2c = 0x1.3198a2ep-69,
                 pio2d = 0x1.b839a252049c1p-104;
// pi/2 and pi as double-doubles.
constexpr double pio2hi = 0x1.921fb54442d18p+0, pio2lo = 0x1.1a62633145c07p-54;
constexpr double pihi = 0x1.921fb54442d18p+1, pilo = 0x1.1a62633145c07p-53;
constexpr double pio4hi = 0x1.921fb54442d18p-1;

constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                 S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                 S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                 C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                 C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
constexpr double atanhi[4] = {0x1.dac670561bb4fp-2, 0x1.921fb54442d18p-1, 0x1.f730bd281f69bp-1,
                              0x1.921fb54442d18p+0};
constexpr double atanlo[4] = {0x1.a2b7f222f65e2p-56, 0x1.1a62633145c07p-55, 0x1.007887af0cbbdp-56,
                              0x1.1a62633145c07p-54};
constexpr double aT[11] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01,
                           1.42857142725034663711e-01,  -1.11111104054623557880e-01,
                           9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                           6.66107313738753120669e-02,  -5.83357013379057348645e-02,
                           4.97687799461593236017e-02,  -3.65315727442169155270e-02,
                           1.62858201153657823623e-02};

// a + b = s + e exactly.
inline void twosum(double a, double b, double& s, double& e) {
    s = a + b;
    double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

// a * b = p + e exactly (Dekker's product; no fused multiply-add, which not every build has).
inline void twoprod(double a, double b, double& p, double& e) {
    constexpr double split = 134217729.0;  // 2^27 + 1
    p = a * b;
    double ca = split * a, ah = ca - (ca - a), al = a - ah;
    double cb = split * b, bh = cb - (cb - b), bl = b - bh;
    e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

// The 32 bits of 2/pi from bit `p` (1-based) on; zeros past the table.
uint32_t bitsat(int p) {
    int j = (p - 1) / 32, sh = (p - 1) % 32;
    uint32_t a = j < 40 ? twooverpi[j] : 0, b = j + 1 < 40 ? twooverpi[j + 1] : 0;
    return sh ? (a << sh) | (b >> (32 - sh)) : a;
}

// Payne-Hanek: ax >= 2^20, finite. Returns n mod 4 with ax = n pi/2 + hi + lo.
int reducelarge(double ax, double& hi, double& lo) {
    uint64_t bits;
    std::memcpy(&bits, &ax, sizeof bits);
    int ex = static_cast<int>((bits >> 52) & 0x7ff) - 1075;        // ax = m 2^ex
    uint64_t m = (bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
    // ax 2/pi = m 2^ex sum b_i 2^-i: the bits before i0 add multiples of 4 only.
    int i0 = ex - 1 > 1 ? ex - 1 : 1;
    uint32_t w[6];                                                 // least significant first
    for (int k = 0; k < 6; k++) w[5 - k] = bitsat(i0 + 32 * k);
    uint32_t mp[2] = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32)};
    uint32_t p[8] = {};
    for (int a = 0; a < 2; a++) {
        uint64_t carry = 0;
        for (int b = 0; b < 6; b++) {
            uint64_t t = uint64_t(mp[a]) * w[b] + p[a + b] + carry;
            p[a + b] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        p[a + 6] = static_cast<uint32_t>(carry);
    }
    // The product has s bits after the binary point (s <= 224 since ex >= -32).
    int s = i0 + 191 - ex;
    auto bit = [&](int i) { return i < 0 ? 0u : (p[i / 32] >> (i % 32)) & 1u; };
    int q = static_cast<int>(bit(s) | (bit(s + 1) << 1));
    // Keep only the fraction; from one half on, take 1 - fraction and the next quadrant.
    for (int i = s; i < 256; i++) p[i / 32] &= ~(1u << (i % 32));
    bool neg = bit(s - 1);
    if (neg) {
        q = (q + 1) & 3;
        uint64_t borrow = 0;                                       // p = 2^s - p
        for (int k = 0; k < 8; k++) {
            uint64_t t = uint64_t(0) - p[k] - borrow;
            p[k] = static_cast<uint32_t>(t);
            borrow = (t >> 32) & 1;
        }
        for (int i = s; i < 256; i++) p[i / 32] &= ~(1u << (i % 32));
    }
    int t = s - 1;
    while (t >= 0 && !bit(t)) t--;
    if (t < 0) {
        hi = lo = 0;
        return q;
    }
    uint64_t top = 0, next = 0;                                    // bits t .. t-63, t-64 .. t-127
    for (int i = 0; i < 64; i++) top = top << 1 | bit(t - i);
    for (int i = 64; i < 128; i++) next = next << 1 | bit(t - i);
    double fh = std::ldexp(static_cast<double>(top >> 11), t - 52 - s);
    double fl = std::ldexp(static_cast<double>(top & 0x7ff), t - 63 - s) +
                std::ldexp(static_cast<double>(next), t - 127 - s);
    // r = fraction * pi/2
    double ph, pe;
    twoprod(fh, pio2hi, ph, pe);
    pe += fh * pio2lo + fl * pio2hi;
    twosum(ph, pe, hi, lo);
    if (neg) hi = -hi, lo = -lo;
    return q;
}

// ax >= 0, finite. Returns n mod 4 with ax = n pi/2 + hi + lo, |hi + lo| <= about pi/4.
int reduce(double ax, double& hi, double& lo) {
    if (ax <= pio4hi) {
        hi = ax;
        lo = 0;
        return 0;
    }
    if (ax >= 0x1p20) return reducelarge(ax, hi, lo);
    double n = std::floor(ax * invpio2 + 0.5);                     // n < 2^20: n * pio2a is exact
    double r = ax - n * pio2a;                                     // exact (Sterbenz)
    double s1, e1, s2, e2;
    twosum(r, -(n * pio2b), s1, e1);
    twosum(s1, -(n * pio2c), s2, e2);
    double tail = (e1 + e2) - n * pio2d;
    twosum(s2, tail, hi, lo);
    return static_cast<int>(static_cast<int64_t>(n) & 3);
}

// sin(x + y) for |x| <= pi/4, |y| tiny beside x.
double ksin(double x, double y) {
    double z = x * x, v = z * x;
    double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    if (y == 0) return x + v * (S1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4.
double kcos(double x, double y) {
    double z = x * x, w = z * z;
    double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    double hz = 0.5 * z;
    w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

}  // namespace

double sin(double x) {
    if (!std::isfinite(x)) return x - x;                          // NaN for NaN and infinities
    double hi, lo;
    int q = reduce(std::fabs(x), hi, lo);
    double v = (q & 1) ? kcos(hi, lo) : ksin(hi, lo);
    if (q & 2) v = -v;
    return std::signbit(x) ? -v : v;
}

double cos(double x) {
    if (!std::isfinite(x)) return x - x;
    double hi, lo;
    int q = reduce(std::fabs(x), hi, lo);
    double v = (q & 1) ? ksin(hi, lo) : kcos(hi, lo);
    return (q == 1 || q == 2) ? -v : v;
}

double tan(double x) {
    if (!std::isfinite(x)) return x - x;
    double hi, lo;
    int q = reduce(std::fabs(x), hi, lo);
    double s = ksin(hi, lo), c = kcos(hi, lo);
    double v = (q & 1) ? -c / s : s / c;
    return std::signbit(x) ? -v : v;
}

double atan(double x) {
    if (std::isnan(x)) return x + x;
    double ax = std::fabs(x);
    if (ax >= 0x1p66) return std::signbit(x) ? -(atanhi[3] + atanlo[3]) : atanhi[3] + atanlo[3];
    int id;
    if (ax < 0.4375) {
        if (ax < 0x1p-27) return x;
        id = -1;
    } else if (ax < 1.1875) {
        if (ax < 0.6875) id = 0, ax = (2.0 * ax - 1.0) / (2.0 + ax);
        else id = 1, ax = (ax - 1.0) / (ax + 1.0);
    } else if (ax < 2.4375) {
        id = 2, ax = (ax - 1.5) / (1.0 + 1.5 * ax);
    } else {
        id = 3, ax = -1.0 / ax;
    }
    double z = ax * ax, w = z * z;
    double s1 = z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    double v = id < 0 ? ax - ax * (s1 + s2) : atanhi[id] - ((ax * (s1 + s2) - atanlo[id]) - ax);
    return std::signbit(x) ? -v : v;
}

double atan2(double y, double x) {
    if (std::isnan(x) || std::isnan(y)) return x + y;
    if (x == 1.0) return atan(y);
    int m = (std::signbit(y) ? 1 : 0) | (std::signbit(x) ? 2 : 0);
    if (y == 0) {
        if (m < 2) return y;                                       // atan2(+-0, +x) = +-0
        return m == 2 ? pihi + pilo : -(pihi + pilo);
    }
    if (x == 0) return m & 1 ? -(pio2hi + pio2lo) : pio2hi + pio2lo;
    if (std::isinf(x)) {
        if (std::isinf(y)) {
            double v = m < 2 ? pio4hi : 3.0 * pio4hi;
            return m & 1 ? -v : v;
        }
        if (m < 2) return m ? -0.0 : 0.0;
        return m == 2 ? pihi + pilo : -(pihi + pilo);
    }
    if (std::isinf(y)) return m & 1 ? -(pio2hi + pio2lo) : pio2hi + pio2lo;
    int k = std::ilogb(y) - std::ilogb(x);
    double z;
    if (k > 60) {                                                  // |y / x| > 2^60
        z = pio2hi + pio2lo;
        m &= 1;
    } else if (m >= 2 && k < -60) {                                // |y / x| < 2^-60, x < 0
        z = 0.0;
    } else {
        z = atan(std::fabs(y / x));
    }
    switch (m) {
    case 0: return z;
    case 1: return -z;
    case 2: return pihi - (z - pilo);
    default: return (z - pilo) - pihi;
    }
}

double asin(double x) {
    if (!(std::fabs(x) <= 1.0)) return (x - x) / (x - x);         // NaN, also for NaN
    return atan2(x, std::sqrt((1.0 - x) * (1.0 + x)));
}

double acos(double x) {
    if (!(std::fabs(x) <= 1.0)) return (x - x) / (x - x);
    return atan2(std::sqrt((1.0 - x) * (1.0 + x)), x);
}

}  // namespace trig
