// The text and arithmetic rules the game's code counts on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/strings.h"

TEST(strings, instr_counts_from_one_and_gives_zero_when_missing) {
    EXPECT_EQ(Instr("version=1.0", "="), 8);
    EXPECT_EQ(Instr("abcabc", "bc", 3), 5);
    EXPECT_EQ(Instr("abc", "x"), 0);
    EXPECT_EQ(Instr("abc", "c", 9), 0);
    EXPECT_EQ(Instr("abc", "a", -4), 1);
}

TEST(strings, left_right_and_mid_clip_to_the_text) {
    EXPECT_EQ(Left("Varnhold", 4), "Varn");
    EXPECT_EQ(Left("abc", 10), "abc");
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Mid("Varnhold", 5, 2), "ho");
    EXPECT_EQ(Mid("Varnhold", 5), "hold");
    EXPECT_EQ(Mid("abc", 0, 2), "a");     // a start before the text eats into the count
    EXPECT_EQ(Mid("abc", 3, 10), "c");
    EXPECT_EQ(Mid("abc", 4, 1), "");
}

TEST(strings, slices_read_blanks_outside_the_text) {
    EXPECT_EQ(Slice("abc", 1, 3), "bc");
    EXPECT_EQ(Slice("abc", -2, 2), "  ab");
    EXPECT_EQ(Slice("abc", 2, 6), "c   ");
    EXPECT_EQ(Slice("abc", 2, 2), "");
}

TEST(strings, lower_and_upper_follow_latin1) {
    EXPECT_EQ(Lower("KEY=Value \xC4\xD7\xDE"), "key=value \xE4\xD7\xFE");
    EXPECT_EQ(Upper("ab\xE4\xF7"), "AB\xC4\xF7");
}

TEST(strings, remainder_keeps_the_dividends_sign) {
    EXPECT_FLOAT_EQ(Mod(7.5f, 2.0f), 1.5f);
    EXPECT_FLOAT_EQ(Mod(-7.5f, 2.0f), -1.5f);
    EXPECT_FLOAT_EQ(Mod(7.5f, -2.0f), 1.5f);
    EXPECT_DOUBLE_EQ(Mod(-370.0, 360.0), -10.0);
}

TEST(strings, trigonometry_takes_degrees) {
    EXPECT_NEAR(Sin(90), 1, 1e-15);
    EXPECT_NEAR(Cos(180), -1, 1e-15);
    EXPECT_NEAR(Sin(30), 0.5, 1e-15);
    EXPECT_NEAR(ATan2(1, 1), 45, 1e-12);
    EXPECT_DOUBLE_EQ(Sqr(2.25), 1.5);
}

TEST(strings, conversions_truncate_toward_zero) {
    EXPECT_EQ(Int(319.6), 319);
    EXPECT_EQ(Int(-2.9), -2);
    EXPECT_EQ(Int(1e20), 2147483647);
    EXPECT_EQ(Int(-1e20), -2147483647 - 1);
    EXPECT_EQ(Int(std::nan("")), 0);
    EXPECT_EQ(Str(-42), "-42");
}

TEST(strings, sign_abs_min_max_for_ints_and_floats) {
    EXPECT_EQ(Sgn(-5), -1);
    EXPECT_EQ(Sgn(0), 0);
    EXPECT_EQ(Sgn(0.25f), 1.0f);
    EXPECT_EQ(Abs(-3), 3);
    EXPECT_EQ(Abs(-2.5f), 2.5f);
    EXPECT_EQ(Min(3, -1), -1);
    EXPECT_EQ(Max(2.5f, 1.0f), 2.5f);
}

// The world dump's numbers: the same text as printf's "%.*g" at both precisions it uses (floats, doubles), for
// tiny, huge, rounding and integral values and 200,000 others.
TEST(strings, reals_read_as_printf_writes_them) {
    std::vector<double> values = {0.0, -0.0, 1.0, -1.5, 0.1, 1e-7, 123456789.0, 9.9999995, 0.5e-320, 1e300, 2.5, 3.5};
    uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 200000; i++) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        double v;
        std::memcpy(&v, &x, sizeof v);
        if (std::isfinite(v)) values.push_back(i % 2 ? v : static_cast<float>(x % 100000) / 64.0f);
    }
    for (double v : values)
        for (int digits : {9, 17}) {
            char want[40];
            std::snprintf(want, sizeof want, "%.*g", digits, v);
            std::string got;
            AppendReal(got, v, digits);
            ASSERT_EQ(got, want) << digits;
        }
}
