// framework/rnd.h — the game's only random generator: three 32-bit words mixed with a fixed
// constant. The sequence after a seed is fully determined; every draw advances it one step.
#pragma once

#include <cstdint>

struct trnd {
    int32_t seed = 0;          // step counter
    int32_t n2 = 0;            // first accumulator
    int32_t n3 = 0;            // second accumulator, every result is taken from it

    trnd();                    // seeded from the millisecond clock
    explicit trnd(int32_t v);  // seeded with v
    int set(int32_t v);
    int upd(int32_t n);        // 0 .. |n| - 1, 0 for n = 0
    float updf(float f);       // 0 up to f (f itself possible after rounding)

    template <class V> void fields(V& v) { v("seed", seed); v("n2", n2); v("n3", n3); }

private:
    void advance();
};
