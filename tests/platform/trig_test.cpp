// The game's own trigonometry against glibc: the same special values bit for bit, and the
// stated error bound over millions of arguments, from tiny to huge.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "platform/trig.h"
#include "tests/platform/trighash.h"

namespace {

// Distance in units of the last place; 0 for two NaNs, huge for a NaN and a number.
double ulps(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : 1e300;
    auto key = [](double v) {
        int64_t i;
        std::memcpy(&i, &v, sizeof i);
        return i < 0 ? INT64_MIN - i : i;  // ordered like the doubles, -0 and +0 both 0
    };
    int64_t ka = key(a), kb = key(b);
    if ((ka < 0) != (kb < 0)) return std::fabs(static_cast<double>(ka) - static_cast<double>(kb));
    return std::fabs(static_cast<double>(ka - kb));
}

bool same(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

struct tunary {
    const char* name;
    double (*mine)(double);
    double (*libc)(double);
    double bound;  // ulps from glibc
};
double libsin(double x) { return std::sin(x); }
double libcos(double x) { return std::cos(x); }
double libtan(double x) { return std::tan(x); }
double libasin(double x) { return std::asin(x); }
double libacos(double x) { return std::acos(x); }
double libatan(double x) { return std::atan(x); }
const tunary unary[] = {{"sin", trig::sin, libsin, 1},    {"cos", trig::cos, libcos, 1},
                        {"tan", trig::tan, libtan, 2},    {"asin", trig::asin, libasin, 2},
                        {"acos", trig::acos, libacos, 2}, {"atan", trig::atan, libatan, 1}};

// A random number of random sign whose magnitude is 2^e, e uniform in [lo, hi].
double logrand(std::mt19937_64& g, double lo, double hi) {
    std::uniform_real_distribution<double> e(lo, hi), sign(-1, 1);
    return std::copysign(std::exp2(e(g)), sign(g));
}

}  // namespace

TEST(trig, special_values_are_glibcs_bit_for_bit) {
    const double inf = INFINITY, nan = NAN;
    for (const tunary& f : unary)
        for (double x : {0.0, -0.0, inf, -inf, nan, 2.0, -1e-310, DBL_MIN, 0x1p-30})
            EXPECT_TRUE(same(f.mine(x), f.libc(x))) << f.name << "(" << x << ") = " << f.mine(x);
    for (double x : {1.0, -1.0}) {  // pi/2, pi and pi/4 to the last bit
        EXPECT_TRUE(same(trig::asin(x), std::asin(x))) << x;
        EXPECT_TRUE(same(trig::acos(x), std::acos(x))) << x;
        EXPECT_TRUE(same(trig::atan(x), std::atan(x))) << x;
    }
    for (double y : {0.0, -0.0, 1.0, -1.0, inf, -inf, nan, 1e300, -1e300, 1e-300})
        for (double x : {0.0, -0.0, 3.0, -3.0, inf, -inf, nan, 1e300, -1e300})
            EXPECT_TRUE(same(trig::atan2(y, x), std::atan2(y, x)))
                << "atan2(" << y << ", " << x << ") = " << trig::atan2(y, x);
}

TEST(trig, hard_arguments_are_reduced_correctly) {
    // Huge arguments, multiples of pi/2 (where the result is all cancellation) and the double
    // closest to a multiple of pi/2 of all (where glibc itself is 8 ulps off); the results
    // are rounded from 3000-bit arithmetic.
    const struct { double x, sin, cos, tan; } hard[] = {
        {0x1.0f0cf064dd592p+73, -0.8522008497671888, 0.523214785395139, -1.6287782256068988},
        {0x1.7e43c8800759cp+996, -0.8178819121159085, -0.5753861119575491, 1.4214488238747245},
        {0x1.fffffffffffffp+1023, 0.004961954789184062, -0.9999876894265599, -0.004962015874444895},
        {0x1.0000000000000p+1023, 0.563127779850884, -0.826369834614148, -0.6814476476066215},
        {0x1.6ac5b262ca1ffp+849, 1.0, -4.687165924254628e-19, -2.133485385753704e+18},
        {0x1.921fb54442d18p+0, 1.0, 6.123233995736766e-17, 1.633123935319537e+16},
        {0x1.921fb54442d18p+1, 1.2246467991473532e-16, -1.0, -1.2246467991473532e-16},
        {0x1.2d97c7f3321d2p+2, -1.0, -1.8369701987210297e-16, 5443746451065123.0},
        {0x1.ffffffffffffep+19, 0.33049313980198713, 0.9438083939782609, 0.350169739865229},
        {0x1.0000000000000p+20, 0.3304931400217347, 0.943808393901312, 0.350169740126609},
        {0x1.6300000000000p+8, -3.014435335948845e-05, -0.999999999545659, 3.0144353373184265e-05},
        {0x1.979c000000000p+16, -1.1015017584240557e-05, -0.9999999999393346, 1.1015017584908787e-05},
        {0x1.7f7ec53a8d491p+20, -1.1159560906804355e-10, 1.0, -1.1159560906804355e-10},
        {0x1.6ac5b262ca1ffp+7, -0.7353935793652182, 0.677640231559795, -1.0852271531642776},
        {0x1.65286144ada42p+51, -0.2362090532517409, 0.9717022605520254, -0.24308789105579545},
        {0x1.0000000000000p+60, -0.8306492176372546, -0.5567960822766417, 1.4918373962705977},
    };
    for (const auto& h : hard)
        for (double sign : {1.0, -1.0}) {
            double x = sign * h.x;
            EXPECT_LE(ulps(trig::sin(x), sign * h.sin), 1) << "sin(" << x << ")";
            EXPECT_LE(ulps(trig::cos(x), h.cos), 1) << "cos(" << x << ")";
            EXPECT_LE(ulps(trig::tan(x), sign * h.tan), 2) << "tan(" << x << ")";
        }
    for (int k = 1; k < 2000000; k = k * 3 + 1) {
        double x = k * 1.5707963267948966;
        EXPECT_LE(ulps(trig::sin(x), std::sin(x)), 1) << "sin(" << x << ")";
        EXPECT_LE(ulps(trig::cos(x), std::cos(x)), 1) << "cos(" << x << ")";
    }
}

TEST(trig, random_arguments_stay_within_the_bound) {
    std::mt19937_64 g(20261208);
    std::uniform_real_distribution<double> game(-4000, 4000), unit(-1, 1);
    for (const tunary& f : unary) {
        bool inverse = f.mine == trig::asin || f.mine == trig::acos;
        double worst = 0, worstx = 0;
        for (int i = 0; i < 300000; i++) {
            double x = inverse ? (i % 2 ? unit(g) : logrand(g, -40, 0))
                     : i % 3 == 0 ? game(g)
                     : i % 3 == 1 ? logrand(g, -40, 20)
                                  : logrand(g, -40, 1023);
            if (inverse && std::fabs(x) > 1) continue;
            double u = ulps(f.mine(x), f.libc(x));
            if (u > worst) worst = u, worstx = x;
        }
        EXPECT_LE(worst, f.bound) << f.name << " at " << worstx;
    }
    double worst = 0;
    for (int i = 0; i < 300000; i++) {
        double y = logrand(g, -30, 30), x = i % 2 ? logrand(g, -30, 30) : game(g);
        worst = std::max(worst, ulps(trig::atan2(y, x), std::atan2(y, x)));
    }
    EXPECT_LE(worst, 2) << "atan2";
}

TEST(trig, the_browser_build_gives_the_same_bits) {
    // The browser build (scripts/web.sh) of trigprint.cpp, run by Node; the C libraries differ.
    std::string js = VARNHOLD_SOURCE_DIR "/build-web/trigprint.js";
    if (FILE* f = std::fopen(js.c_str(), "r")) std::fclose(f);
    else GTEST_SKIP() << "no browser build (bash scripts/web.sh makes " << js << ")";
    FILE* p = popen(("node --no-experimental-fetch " + js + " 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string web;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) web += buf;
    if (pclose(p) != 0 && web.find("not found") != std::string::npos) GTEST_SKIP() << web;
    std::istringstream a(web), b(trighashes(300000));
    std::string wname, wown, wlibc, name, own, libc;
    int n = 0;
    for (; b >> name >> own >> libc; n++) {
        ASSERT_TRUE(a >> wname >> wown >> wlibc) << web;
        EXPECT_EQ(wname + " " + wown, name + " " + own) << "the C libraries: " << wlibc << " " << libc;
    }
    EXPECT_EQ(n, 7);
}
