// platform/strings.h — the string and arithmetic rules the game's code relies on.
//
// Strings are Latin-1, one byte per character (codes 0..255). Positions are 1-based where the
// game's text functions count from 1 (Instr, Mid) and 0-based for Slice. Angles are degrees.
// Trigonometry is done in double precision, like the code the game was written for, by the
// game's own functions (platform/trig.h: the same bits in every build); callers store the
// results in 32-bit floats where their fields are floats.
#pragma once

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <version>

#include "platform/trig.h"

// 1-based position of `sub` in `s`, searching from position `start`; 0 when not found.
// An empty `sub` is found at `start` (when that lies within 1 .. length + 1).
inline int Instr(const std::string& s, const std::string& sub, int start = 1) {
    if (start < 1) start = 1;
    if (start > static_cast<int>(s.size()) + 1) return 0;
    size_t p = s.find(sub, static_cast<size_t>(start - 1));
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

// The first n characters; n is clipped to 0 .. length.
inline std::string Left(const std::string& s, int n) {
    if (n <= 0) return "";
    return s.substr(0, static_cast<size_t>(n));
}

// The last n characters; n is clipped to 0 .. length.
inline std::string Right(const std::string& s, int n) {
    if (n <= 0) return "";
    if (static_cast<size_t>(n) >= s.size()) return s;
    return s.substr(s.size() - static_cast<size_t>(n));
}

// `count` characters from the 1-based position `start` (count < 0: to the end). A start before
// the first character eats into the count, as if the string had blanks there that are cut off.
inline std::string Mid(const std::string& s, int start, int count = -1) {
    long long a = start, n = count;
    if (a < 1) {
        if (n >= 0) n += a - 1;
        a = 1;
    }
    long long len = static_cast<long long>(s.size());
    if (a > len) return "";
    if (n < 0 || a - 1 + n > len) n = len - (a - 1);
    if (n <= 0) return "";
    return s.substr(static_cast<size_t>(a - 1), static_cast<size_t>(n));
}

// Characters at 0-based positions a .. b - 1; positions outside the string read as blanks.
inline std::string Slice(const std::string& s, int a, int b) {
    if (b <= a) return "";
    std::string r(static_cast<size_t>(b - a), ' ');
    long long len = static_cast<long long>(s.size());
    for (long long i = a; i < b; i++)
        if (i >= 0 && i < len) r[static_cast<size_t>(i - a)] = s[static_cast<size_t>(i)];
    return r;
}

// Latin-1 case: A-Z and the accented capitals 192..222 except the multiplication sign 215.
inline std::string Lower(std::string s) {
    for (char& ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 222 && c != 215)) ch = static_cast<char>(c + 32);
    }
    return s;
}
inline std::string Upper(std::string s) {
    for (char& ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 254 && c != 247)) ch = static_cast<char>(c - 32);
    }
    return s;
}

// Decimal text of an integer.
inline std::string Str(long long n) { return std::to_string(n); }

// Float to int, truncating toward zero; NaN gives 0 and values beyond the int range the nearest
// representable int (never undefined behaviour).
inline int Int(double f) {
    if (std::isnan(f)) return 0;
    if (f >= 2147483647.0) return INT_MAX;
    if (f <= -2147483648.0) return INT_MIN;
    return static_cast<int>(f);
}

inline int Sgn(int n) { return (n > 0) - (n < 0); }
inline float Sgn(float f) { return f > 0 ? 1.0f : (f < 0 ? -1.0f : 0.0f); }
inline double Sgn(double f) { return f > 0 ? 1.0 : (f < 0 ? -1.0 : 0.0); }
inline int Abs(int n) { return n < 0 ? -n : n; }
inline float Abs(float f) { return std::fabs(f); }
inline double Abs(double f) { return std::fabs(f); }
inline int Min(int a, int b) { return a < b ? a : b; }
inline int Max(int a, int b) { return a > b ? a : b; }
inline float Min(float a, float b) { return a < b ? a : b; }
inline float Max(float a, float b) { return a > b ? a : b; }
inline double Min(double a, double b) { return a < b ? a : b; }
inline double Max(double a, double b) { return a > b ? a : b; }

// Floating remainder with the sign of the dividend: Mod(-7.5, 2) = -1.5.
inline float Mod(float a, float b) { return std::fmod(a, b); }
inline double Mod(double a, double b) { return std::fmod(a, b); }

constexpr double degtorad = 0.017453292519943295769236907684886;
inline double Sin(double degrees) { return trig::sin(degrees * degtorad); }
inline double Cos(double degrees) { return trig::cos(degrees * degtorad); }
inline double Tan(double degrees) { return trig::tan(degrees * degtorad); }
inline double ASin(double v) { return trig::asin(v) / degtorad; }
inline double ACos(double v) { return trig::acos(v) / degtorad; }
inline double ATan(double v) { return trig::atan(v) / degtorad; }
inline double ATan2(double y, double x) { return trig::atan2(y, x) / degtorad; }
inline double Sqr(double v) { return std::sqrt(v); }

// Appends the text of printf's "%.*g" for v (the world dump, and with it the replays' digests,
// reads it): through the C++ library's to_chars where it has one for floating-point numbers,
// which is several times faster, and printf where it has none (the browser build's library).
inline void AppendReal(std::string& out, double v, int digits) {
    char buf[40];
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    out.append(buf, r.ptr);
#else
    int n = std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    out.append(buf, static_cast<size_t>(n));
#endif
}
