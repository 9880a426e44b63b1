// platform/trig.h — the game's own sine, cosine, tangent and their inverses, in radians.
//
// The C libraries round these differently in the last bit (glibc and the browser build's
// library disagree on a few percent of arguments), and a last bit can decide a collision and
// so a whole replay. These are compiled from the same source into every build and use only
// +, -, *, / and sqrt, which IEEE 754 rounds exactly, so every build gets the same bits.
// Error, against glibc's results (which tests/platform/trig_test.cpp compares with): within
// 1 ulp for sin, cos and atan, within 2 ulp for tan, asin, acos and atan2. Against the exact
// value the bound is looser, as glibc is itself off by a fraction of an ulp: tan was measured
// up to 2.19 ulp off, asin 2.48 ulp. See trig.cpp for the algorithm.
#pragma once

namespace trig {

double sin(double x);
double cos(double x);
double tan(double x);
double asin(double x);   // NaN outside -1 .. 1
double acos(double x);
double atan(double x);
double atan2(double y, double x);

}  // namespace trig
