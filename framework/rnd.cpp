#include "framework/rnd.h"

#include <cstdlib>

#include "platform/platform.h"

namespace {

uint32_t k(uint32_t s) { return (~s << 1) ^ 0x68A645FDu; }

// A right rotation by the low five bits, except that a count of 0 doubles the word.
uint32_t f(uint32_t x) {
    uint32_t c = x & 31;
    return (x >> c) + (x << ((32 - c) & 31));
}

}  // namespace

trnd::trnd() { set(MilliSecs()); }

trnd::trnd(int32_t v) { set(v); }

int trnd::set(int32_t v) {
    seed = v;
    n2 = static_cast<int32_t>(k(static_cast<uint32_t>(seed)));
    n3 = static_cast<int32_t>(f(static_cast<uint32_t>(n2)));
    return 0;
}

void trnd::advance() {
    uint32_t s = static_cast<uint32_t>(seed) + 1;
    uint32_t a = static_cast<uint32_t>(n2) + k(s);
    uint32_t b = static_cast<uint32_t>(n3) + f(a);
    seed = static_cast<int32_t>(s);
    n2 = static_cast<int32_t>(a);
    n3 = static_cast<int32_t>(b);
}

int trnd::upd(int32_t n) {
    advance();
    if (n == 0) return 0;
    // Magnitudes in 64 bits: -2147483648 counts as 2147483648.
    int64_t a = std::llabs(static_cast<int64_t>(n3));
    int64_t m = std::llabs(static_cast<int64_t>(n));
    return static_cast<int>(a % m);
}

float trnd::updf(float scale) {
    advance();
    uint32_t m = static_cast<uint32_t>(n3) & 0x7FFFFFFFu;
    // The product of a float and a 31-bit integer is exact in the 64-bit mantissa of long
    // double, so the result is rounded to float exactly once.
    long double r = static_cast<long double>(scale) * static_cast<long double>(m) / 2147483648.0L;
    return static_cast<float>(r);
}
