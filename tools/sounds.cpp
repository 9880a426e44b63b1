// tools/sounds.cpp — the game's 29 sounds, synthesised from noise, oscillators, filters and
// envelopes. Every sound has its own seed, so changing one never changes another.
#include "assetgen.h"

#include "framework/samples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr float pi = 3.14159265358979f;
constexpr float twopi = 2 * pi;

int len(double seconds) { return int(seconds * rate + 0.5); }

// RBJ biquad; coefficients may be changed while running (sweeps).
struct biquad {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void set(int kind, float f, float q) {
        f = std::clamp(f, 10.0f, 20000.0f);
        q = std::max(q, 0.05f);
        float w = twopi * f / rate, c = std::cos(w), al = std::sin(w) / (2 * q), a0 = 1 + al;
        if (kind == 0) {          // low pass
            b0 = (1 - c) / 2; b1 = 1 - c; b2 = (1 - c) / 2;
        } else if (kind == 1) {   // high pass
            b0 = (1 + c) / 2; b1 = -(1 + c); b2 = (1 + c) / 2;
        } else {                  // band pass, 0 dB at the centre
            b0 = al; b1 = 0; b2 = -al;
        }
        a1 = -2 * c; a2 = 1 - al;
        b0 /= a0; b1 /= a0; b2 /= a0; a1 /= a0; a2 /= a0;
    }
    void lp(float f, float q = 0.707f) { set(0, f, q); }
    void hp(float f, float q = 0.707f) { set(1, f, q); }
    void bp(float f, float q = 1) { set(2, f, q); }
    float operator()(float x) {
        float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        return y;
    }
};

// One-pole low pass, cheap smoothing.
struct onepole {
    float a = 1, z = 0;
    void set(float f) { a = 1 - std::exp(-twopi * f / rate); }
    float operator()(float x) { return z += a * (x - z); }
};

// Phase accumulator oscillator: sine and band-limited saw / square (polyBLEP).
struct osc {
    float ph = 0;   // 0 .. 1
    float blep(float t, float dt) {
        if (t < dt) { t /= dt; return t + t - t * t - 1; }
        if (t > 1 - dt) { t = (t - 1) / dt; return t * t + t + t + 1; }
        return 0;
    }
    float sine(float f) {
        float v = std::sin(twopi * ph);
        ph += f / rate; ph -= std::floor(ph);
        return v;
    }
    float saw(float f) {
        float dt = f / rate;
        float v = 2 * ph - 1 - blep(ph, dt);
        ph += dt; ph -= std::floor(ph);
        return v;
    }
    float square(float f) {
        float dt = f / rate;
        float v = (ph < 0.5f ? 1.0f : -1.0f) + blep(ph, dt) - blep(std::fmod(ph + 0.5f, 1.0f), dt);
        ph += dt; ph -= std::floor(ph);
        return v;
    }
};

float smooth(float x) { x = std::clamp(x, 0.0f, 1.0f); return x * x * (3 - 2 * x); }
float att(float t, float a) { return a <= 0 ? 1 : smooth(t / a); }
// Rises over a, holds, falls over r before the end e.
float env(float t, float a, float r, float e) { return att(t, a) * smooth((e - t) / r); }
float bump(float t, float at, float w) { float d = (t - at) / w; return std::exp(-d * d); }

// Doppler factor and distance gain of a source passing at `speed` (m/s) at `dist` metres,
// closest at time t0.
void pass(float t, float t0, float speed, float dist, float& k, float& gain) {
    float x = speed * (t - t0), r = std::sqrt(x * x + dist * dist);
    float vr = speed * x / r;
    k = 1 / (1 + vr / 343.0f);
    gain = dist / r;
}

using tvoice = std::vector<float>;

void mixin(tvoice& out, const tvoice& v, int at, float g) {
    for (size_t i = 0; i < v.size() && at + i < out.size(); i++)
        if (at + int(i) >= 0) out[at + i] += v[i] * g;
}

// A short filtered noise grain (crumbling stones, drops, crackle).
tvoice grain(tgenrnd& r, float centre, float q, float decay, float seconds) {
    tvoice v(len(seconds));
    biquad f;
    f.bp(centre, q);
    for (size_t i = 0; i < v.size(); i++) {
        float t = float(i) / rate;
        v[i] = f(r.sym()) * std::exp(-t / decay) * att(t, 0.0007f);
    }
    return v;
}

// ------------------------------------------------------------------------------------------

tvoice xplo1() {
    tgenrnd r(101);
    int n = len(2.5);
    tvoice v(n);
    biquad burst, rum1, rum2, crack;
    onepole wob;
    wob.set(5);
    rum1.lp(160, 0.9f);
    rum2.lp(420);
    osc thump;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        if (i % 32 == 0) burst.lp(700 + 7000 * std::exp(-t / 0.12f), 0.8f);
        float w = r.sym();
        float b = burst(w) * std::exp(-t / 0.09f) * 1.1f;
        float th = thump.sine(32 + 70 * std::exp(-t / 0.07f)) * std::exp(-t / 0.38f) * att(t, 0.003f);
        float m = 0.55f + 0.45f * std::tanh(4 * wob(r.sym() * 6));
        float ru = (rum1(w) * 2.2f + rum2(w) * 0.5f) * m * att(t, 0.03f) * std::exp(-t / 0.85f);
        v[i] = b + th * 0.95f + ru;
    }
    // Debris falling back in the tail.
    for (int k = 0; k < 60; k++) {
        float at = 0.15f + std::pow(r.uni(), 1.6f) * 1.8f;
        mixin(v, grain(r, 600 + r.uni() * 2500, 3, 0.006f, 0.04f), len(at),
              0.25f * r.uni() * std::exp(-at / 0.8f));
    }
    return v;
}

tvoice xplo2() {
    tgenrnd r(102);
    int n = len(1.0);
    tvoice v(n);
    biquad burst, body;
    body.bp(320, 0.9f);
    onepole tail;
    tail.set(500);
    osc thump;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        if (i % 32 == 0) burst.lp(900 + 9000 * std::exp(-t / 0.05f), 0.7f);
        float w = r.sym();
        v[i] = burst(w) * std::exp(-t / 0.045f) * 1.3f
             + body(w) * std::exp(-t / 0.14f) * 1.4f
             + thump.sine(45 + 95 * std::exp(-t / 0.035f)) * std::exp(-t / 0.12f) * 0.8f
             + tail(w) * std::exp(-t / 0.28f) * 1.6f * att(t, 0.02f);
    }
    return v;
}

tvoice house() {
    tgenrnd r(103);
    int n = len(1.5);
    tvoice v(n);
    biquad rum;
    rum.lp(170, 0.8f);
    onepole wob;
    wob.set(7);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float m = 0.6f + 0.4f * std::tanh(3 * wob(r.sym() * 5));
        v[i] = rum(r.sym()) * 2.4f * m * att(t, 0.015f) * std::exp(-t / 0.45f);
    }
    // Bricks and rubble: grains thinning out over time.
    for (int k = 0; k < 220; k++) {
        float at = std::pow(r.uni(), 1.8f) * 1.3f;
        float g = (0.3f + 0.7f * r.uni()) * std::exp(-at / 0.5f);
        float c = 250 + r.uni() * r.uni() * 3200;
        mixin(v, grain(r, c, 2 + r.uni() * 4, 0.004f + r.uni() * 0.012f, 0.06f), len(at), g * 0.6f);
    }
    return v;
}

// Played at 0.2 .. 0.5 of its speed: the whistle and hiss are pitched high so that slowed
// down they land in a bright 400 .. 2000 Hz band and the roar becomes a deep rumble.
tvoice launch() {
    tgenrnd r(104);
    int n = len(1.0);
    tvoice v(n);
    osc w1, w2;
    biquad hiss, roar;
    roar.lp(2500, 0.7f);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float f = 1700 * std::pow(2.0f, 1.35f * t) * (1 + 0.006f * std::sin(twopi * 9 * t));
        if (i % 32 == 0) hiss.bp(f * 2, 2.5f);
        float tone = w1.sine(f) + 0.22f * w2.sine(f * 2.01f);
        float e = env(t, 0.05f, 0.3f, 1.0f);
        float w = r.sym();
        v[i] = e * (tone * 0.55f + hiss(w) * 0.9f + roar(w) * 0.35f * (1 - 0.5f * t));
    }
    return v;
}

tvoice laser() {
    int n = len(0.5);
    tvoice v(n);
    osc a, b, lfo;
    biquad f;
    f.lp(6000);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float fr = 180 + 2600 * std::exp(-t * 7.5f);
        float s = a.square(fr) * 0.5f + b.saw(fr * 1.012f) * 0.5f;
        v[i] = f(s) * std::exp(-t / 0.13f) * att(t, 0.002f) * (0.8f + 0.2f * lfo.sine(40));
    }
    return v;
}

// Joins the end of a sound made `extra` samples too long onto its start (equal power).
void loopjoin(tvoice& v, int extra) {
    int n = int(v.size()) - extra;
    for (int i = 0; i < extra; i++) {
        float x = (i + 0.5f) / extra;
        v[i] = v[i] * std::sin(x * pi / 2) + v[n + i] * std::cos(x * pi / 2);
    }
    v.resize(n);
}

tvoice rain() {
    tgenrnd r(105);
    int extra = len(0.5), n = len(4.0) + extra;
    tvoice v(n);
    biquad h1, h2, l1;
    h1.hp(700);
    h2.lp(9000);
    l1.lp(1400);
    for (int i = 0; i < n; i++) {
        float w = r.sym();
        v[i] = h2(h1(w)) * 0.38f + l1(r.sym()) * 0.5f;
    }
    for (int k = 0; k < 900; k++) {
        int at = r.upto(n - len(0.02));
        mixin(v, grain(r, 1800 + r.uni() * 5000, 6, 0.002f + r.uni() * 0.004f, 0.02f), at,
              0.15f + 0.5f * r.uni() * r.uni());
    }
    loopjoin(v, extra);
    return v;
}

tvoice thunder() {
    tgenrnd r(106);
    int n = len(4.0);
    tvoice v(n);
    biquad l1, l2, l3;
    l1.lp(110, 0.9f);
    l2.lp(90, 0.7f);
    l3.lp(500);
    float at[5], w[5], g[5];
    for (int k = 0; k < 5; k++) {
        at[k] = 0.25f + k * 0.55f + r.uni() * 0.35f;
        w[k] = 0.25f + r.uni() * 0.45f;
        g[k] = (1 - 0.15f * k) * (0.6f + 0.4f * r.uni());
    }
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float a = 0;
        for (int k = 0; k < 5; k++) a += g[k] * bump(t, at[k], w[k]);
        float x = r.sym();
        v[i] = (l2(l1(x)) * 7 + l3(x) * 0.25f) * a * env(t, 0.1f, 0.6f, 4.0f);
    }
    return v;
}

tvoice lightning() {
    tgenrnd r(107);
    int n = len(1.5);
    tvoice v(n);
    biquad crack, boom, hp;
    crack.hp(1200);
    boom.lp(220, 0.8f);
    hp.hp(60);
    osc th;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float w = r.sym();
        v[i] = crack(w) * std::exp(-t / 0.025f) * 1.4f
             + th.sine(38 + 50 * std::exp(-t / 0.12f)) * std::exp(-t / 0.45f) * att(t, 0.01f) * 0.7f
             + hp(boom(w)) * 3.2f * std::exp(-t / 0.5f) * att(t, 0.03f);
    }
    // The crackle of the discharge: a dense run of sharp ticks in the first 150 ms.
    for (int k = 0; k < 45; k++) {
        float at = std::pow(r.uni(), 1.5f) * 0.15f;
        mixin(v, grain(r, 2500 + r.uni() * 6000, 1.2f, 0.0015f + r.uni() * 0.003f, 0.015f), len(at),
              0.6f + 0.6f * r.uni());
    }
    return v;
}

tvoice plane() {
    tgenrnd r(108);
    int n = len(6.0);
    tvoice v(n);
    biquad roar, band, air;
    osc whine, whine2;
    onepole gust;
    gust.set(3);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float k, g;
        pass(t, 3.0f, 85, 70, k, g);
        if (i % 32 == 0) {
            roar.lp(500 + 3500 * g * k, 0.7f);
            band.bp(700 * k, 1.4f);
            air.hp(2500 * k);
        }
        float w = r.sym();
        float m = 1 + 0.15f * gust(r.sym() * 8);
        float s = roar(w) * 1.2f + band(w) * 0.8f + air(w) * 0.15f * g
                + (whine.sine(2100 * k) * 0.06f + whine2.sine(3150 * k) * 0.03f) * g;
        v[i] = s * (0.15f + g) * m * env(t, 0.8f, 1.0f, 6.0f);
    }
    return v;
}

// A car going by: engine harmonics, tyre roar, a little Doppler.
tvoice traffic(uint32_t seed, float engine, float speed, float dist, float tyres, float buzz) {
    tgenrnd r(seed);
    int n = len(3.0);
    tvoice v(n);
    osc e1, e2;
    biquad elp, tyre, body;
    onepole rev;
    rev.set(1.5f);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float k, g;
        pass(t, 1.5f, speed, dist, k, g);
        float f = engine * k * (1 + 0.04f * rev(r.sym() * 4));
        if (i % 32 == 0) {
            elp.lp(300 + 1800 * g * buzz, 1.2f);
            tyre.bp(650 * k, 0.6f);
            body.lp(160);
        }
        float eng = elp(e1.saw(f) + 0.5f * e2.square(f * 0.5f) * buzz);
        float w = r.sym();
        v[i] = (eng * 0.5f + tyre(w) * tyres + body(w) * 0.8f) * (0.06f + g) * env(t, 0.3f, 0.4f, 3.0f);
    }
    return v;
}

tvoice ufo() {
    int n = len(4.0);
    tvoice v(n);
    osc h1, h2, e, lfo1, lfo2, trem;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float wob = lfo1.sine(0.65f), vib = lfo2.sine(6.5f);
        float tr = 0.75f + 0.25f * trem.sine(8);
        float hum = h1.sine(98 + 3 * wob) * 0.6f + h2.saw(196.5f + 6 * wob) * 0.12f;
        float eerie = e.sine(620 + 190 * wob + 18 * vib);
        v[i] = (hum + eerie * 0.5f) * tr * env(t, 0.5f, 0.8f, 4.0f);
    }
    return v;
}

// The gusts follow sines with whole numbers of cycles in five seconds, so the loop's joined
// end carries on the same gust.
tvoice wind() {
    tgenrnd r(113);
    int extra = len(0.6), n0 = len(5.0), n = n0 + extra;
    tvoice v(n);
    biquad b1, b2, lowf;
    lowf.lp(300, 0.6f);
    for (int i = 0; i < n; i++) {
        float p = twopi * float(i % n0) / n0;
        float g = 0.5f + 0.3f * std::sin(p + 0.5f) + 0.2f * std::sin(3 * p + 1.3f) + 0.08f * std::sin(7 * p);
        if (i % 32 == 0) {
            b1.bp(280 + 520 * g, 1.6f + 2 * g);
            b2.bp(900 + 900 * g, 9);
        }
        float w = r.sym();
        v[i] = (b1(w) * 1.1f + b2(w) * 0.35f * g + lowf(w) * 0.6f) * (0.25f + 0.9f * g * g);
    }
    loopjoin(v, extra);
    return v;
}

tvoice satellite() {
    int n = len(3.0);
    tvoice v(n);
    // beeps: start, length, pitch
    const float beeps[][3] = {
        {0.05f, 0.08f, 1480}, {0.20f, 0.08f, 1975}, {0.35f, 0.08f, 1480},
        {0.80f, 0.05f, 2217}, {0.88f, 0.05f, 2217}, {0.96f, 0.05f, 2217},
        {1.35f, 0.08f, 1480}, {1.50f, 0.08f, 1975}, {1.65f, 0.16f, 1175},
        {2.15f, 0.05f, 2637}, {2.25f, 0.05f, 2217}, {2.35f, 0.05f, 1975},
    };
    for (auto& b : beeps) {
        tvoice s(len(b[1]));
        osc o, o3;
        for (size_t i = 0; i < s.size(); i++) {
            float t = float(i) / rate;
            s[i] = (o.sine(b[2]) + 0.25f * o3.sine(b[2] * 3)) * env(t, 0.004f, 0.008f, b[1]);
        }
        mixin(v, s, len(b[0]), 0.7f);
    }
    // A faint echo as if heard over a radio link.
    int d = len(0.14);
    for (int i = n - 1; i >= d; i--) v[i] += v[i - d] * 0.3f;
    return v;
}

tvoice meteor() {
    tgenrnd r(115);
    int n = len(4.0);
    tvoice v(n);
    biquad sweep, low;
    low.lp(120, 0.8f);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        if (i % 32 == 0) sweep.bp(250 + 3200 * std::exp(-t / 1.3f), 0.7f);
        float a = smooth(t / 2.4f) * smooth((4.0f - t) / 1.5f);
        float w = r.sym();
        v[i] = (sweep(w) * 1.1f + low(w) * 2.2f * smooth(t / 3)) * a;
    }
    for (int k = 0; k < 260; k++) {
        float at = 0.3f + r.uni() * 3.4f;
        float a = smooth(at / 2.4f) * smooth((4.0f - at) / 1.5f);
        mixin(v, grain(r, 1500 + r.uni() * 5000, 1.5f, 0.002f, 0.012f), len(at), a * (0.2f + 0.5f * r.uni()));
    }
    return v;
}

// A horn: two square tones through a resonant horn body.
tvoice horn(float f1, float f2, const std::vector<std::pair<float, float>>& honks) {
    int n = len(0.6);
    tvoice v(n);
    osc a, b;
    biquad body, tone;
    body.bp(900, 1.2f);
    tone.lp(3000);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float e = 0;
        for (auto& h : honks)
            if (t >= h.first && t < h.first + h.second) e = env(t - h.first, 0.012f, 0.03f, h.second);
        float s = a.square(f1) + b.square(f2);
        v[i] = tone(body(s) * 1.5f + s * 0.25f) * e;
    }
    return v;
}

tvoice day() {
    tgenrnd r(118);
    int n = len(3.0);
    tvoice v(n);
    // Two birds: a near one with clear whistles and trills, a far one answering softly.
    for (int bird = 0; bird < 2; bird++) {
        float t0 = bird == 0 ? 0.05f : 1.35f;
        float base = bird == 0 ? 3200 : 2500;
        float g = bird == 0 ? 1.0f : 0.45f;
        int phrases = bird == 0 ? 9 : 7;
        float at = t0;
        for (int p = 0; p < phrases && at < 2.8f; p++) {
            int kind = r.upto(3);
            float d = kind == 2 ? 0.16f : 0.05f + r.uni() * 0.05f;
            float f0 = base * (0.85f + 0.4f * r.uni()), f1 = f0 * (kind == 1 ? 0.6f : 1.45f);
            tvoice s(len(d));
            osc o, tr;
            for (size_t i = 0; i < s.size(); i++) {
                float t = float(i) / rate, x = t / d;
                float f = f0 + (f1 - f0) * x;
                if (kind == 2) f = f0 * (1 + 0.18f * tr.sine(38));
                s[i] = o.sine(f) * std::sin(pi * x) * std::sin(pi * x);
            }
            mixin(v, s, len(at), g);
            at += d + (p % 3 == 2 ? 0.18f : 0.03f) + r.uni() * 0.05f;
        }
    }
    return v;
}

tvoice night() {
    tgenrnd r(119);
    int n = len(3.0);
    tvoice v(n);
    // Crickets: short pulses of a 4.6 kHz tone in chirps of three to four.
    osc c;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float cyc = std::fmod(t, 0.42f);
        float g = 0;
        if (cyc < 0.13f) {
            float p = std::fmod(cyc, 0.033f) / 0.033f;
            g = p < 0.55f ? std::sin(pi * p / 0.55f) : 0;
        }
        v[i] = c.sine(4600) * g * 0.22f;
    }
    // A second cricket, further away, out of step.
    osc c2;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate + 0.17f;
        float cyc = std::fmod(t, 0.5f);
        float g = 0;
        if (cyc < 0.1f) {
            float p = std::fmod(cyc, 0.025f) / 0.025f;
            g = p < 0.5f ? std::sin(pi * p / 0.5f) : 0;
        }
        v[i] += c2.sine(5100) * g * 0.1f;
    }
    // The owl: "hoo ... hoo-hoo".
    const float hoots[][2] = {{0.6f, 0.42f}, {1.35f, 0.2f}, {1.62f, 0.5f}};
    for (auto& h : hoots) {
        tvoice s(len(h[1]));
        osc o, o2;
        biquad breath;
        breath.bp(400, 4);
        for (size_t i = 0; i < s.size(); i++) {
            float t = float(i) / rate, x = t / h[1];
            float f = 395 * (1 + 0.05f * std::sin(pi * x) - 0.04f * x);
            s[i] = (o.sine(f) + 0.12f * o2.sine(2 * f) + breath(r.sym()) * 0.6f) * env(t, 0.06f, 0.12f, h[1]);
        }
        mixin(v, s, len(h[0]), 0.9f);
    }
    return v;
}

tvoice fire() {
    tgenrnd r(120);
    int n = len(2.0);
    tvoice v(n);
    biquad whoosh, roar;
    roar.lp(220, 0.8f);
    onepole flick;
    flick.set(6);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        if (i % 32 == 0) whoosh.lp(300 + 2600 * bump(t, 0.22f, 0.18f), 1.1f);
        float w = r.sym();
        float f = 0.7f + 0.3f * std::tanh(3 * flick(r.sym() * 6));
        v[i] = (whoosh(w) * 1.6f * (bump(t, 0.2f, 0.16f) + 0.25f) + roar(w) * 2.5f * f)
             * env(t, 0.04f, 0.6f, 2.0f);
    }
    for (int k = 0; k < 90; k++) {
        float at = 0.1f + r.uni() * 1.75f;
        mixin(v, grain(r, 2000 + r.uni() * 5000, 1.3f, 0.0015f + 0.002f * r.uni(), 0.012f), len(at),
              (0.3f + 0.8f * r.uni() * r.uni()) * smooth((2.0f - at) / 0.5f));
    }
    return v;
}

tvoice chopper() {
    tgenrnd r(121);
    int n = len(5.0);
    tvoice v(n);
    osc tail, turb;
    biquad noise;
    noise.lp(900);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        v[i] = (turb.sine(1850) * 0.03f + tail.sine(92) * 0.1f + noise(r.sym()) * 0.25f) * env(t, 0.4f, 0.6f, 5.0f);
    }
    // The blades: thumps at 11.5 per second, a low knock and a slap of air.
    float period = 1 / 11.5f;
    for (float at = 0.02f; at < 4.9f; at += period) {
        tvoice s(len(0.06));
        osc o;
        biquad slap;
        slap.lp(700, 1.3f);
        for (size_t i = 0; i < s.size(); i++) {
            float t = float(i) / rate;
            s[i] = o.sine(72 - 20 * t / 0.06f) * std::exp(-t / 0.022f) * att(t, 0.003f)
                 + slap(r.sym()) * 2.2f * std::exp(-t / 0.015f);
        }
        mixin(v, s, len(at), env(at, 0.4f, 0.6f, 5.0f) * (0.9f + 0.1f * r.uni()));
    }
    return v;
}

tvoice gun() {
    tgenrnd r(122);
    int n = len(0.5);
    tvoice v(n);
    for (int k = 0; k < 6; k++) {
        tvoice s(len(0.09));
        biquad crack, body;
        crack.hp(500);
        body.bp(850, 1.2f);
        osc th;
        for (size_t i = 0; i < s.size(); i++) {
            float t = float(i) / rate;
            float w = r.sym();
            s[i] = crack(w) * std::exp(-t / 0.006f) * 1.3f + body(w) * std::exp(-t / 0.025f) * 1.6f
                 + th.sine(130 - 400 * t) * std::exp(-t / 0.02f) * 0.6f;
        }
        mixin(v, s, len(0.005 + k * 0.068), 0.85f + 0.15f * r.uni());
    }
    return v;
}

tvoice rainbow() {
    int n = len(3.0);
    tvoice v(n);
    const float notes[] = {1046.5f, 1318.5f, 1568.0f, 2093.0f, 2637.0f, 3136.0f};
    for (int k = 0; k < 6; k++) {
        float at = 0.02f + k * 0.17f;
        int m = n - len(at);
        tvoice s(m);
        osc p1, p2, p3;
        float f = notes[k];
        for (int i = 0; i < m; i++) {
            float t = float(i) / rate;
            s[i] = (p1.sine(f) * std::exp(-t / 1.1f) + 0.35f * p2.sine(f * 2.76f) * std::exp(-t / 0.35f)
                  + 0.15f * p3.sine(f * 5.4f) * std::exp(-t / 0.12f)) * att(t, 0.003f);
        }
        mixin(v, s, len(at), 1 - 0.08f * k);
    }
    return v;
}

tvoice jumper() {
    tgenrnd r(124);
    int n = len(1.0);
    tvoice v(n);
    osc o, o2, vib;
    biquad breath;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float f;
        if (t < 0.3f) f = 600 + 900 * smooth(t / 0.3f);
        else if (t < 0.55f) f = 1500 - 650 * smooth((t - 0.3f) / 0.25f);
        else f = 850 + 1050 * smooth((t - 0.55f) / 0.35f);
        f *= 1 + 0.012f * vib.sine(7) * smooth((t - 0.7f) / 0.1f);
        if (i % 32 == 0) breath.bp(f, 6);
        v[i] = (o.sine(f) + 0.12f * o2.sine(2 * f) + breath(r.sym()) * 0.5f) * env(t, 0.02f, 0.08f, 1.0f);
    }
    return v;
}

tvoice sirene() {
    int n = len(4.0);
    tvoice v(n);
    osc a, b;
    biquad body, tone;
    body.bp(1200, 0.9f);
    tone.lp(3500);
    float fcur = 440;
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float target = std::fmod(t, 1.0f) < 0.5f ? 440.0f : 587.3f;
        fcur += (target - fcur) * 0.004f;   // a short glide between the tones
        float s = a.square(fcur) * 0.6f + b.saw(fcur) * 0.4f;
        v[i] = tone(body(s) * 1.3f + s * 0.3f) * env(t, 0.03f, 0.05f, 4.0f);
    }
    return v;
}

// A brass voice: detuned saws whose filter opens with the attack.
void brass(tvoice& v, float at, float d, float f, float g) {
    tvoice s(len(d));
    osc a, b, c, vib;
    biquad lp;
    for (size_t i = 0; i < s.size(); i++) {
        float t = float(i) / rate;
        float vb = 1 + 0.006f * vib.sine(5.5f) * smooth((t - 0.25f) / 0.2f);
        if (i % 32 == 0) lp.lp(f * (1.5f + 4.5f * att(t, 0.06f)) * (1 - 0.3f * smooth(t / d)), 1.1f);
        float x = a.saw(f * vb) + b.saw(f * vb * 1.004f) + 0.5f * c.saw(f * vb * 0.997f);
        s[i] = lp(x) * env(t, 0.025f, std::min(0.06f, d / 3), d);
    }
    mixin(v, s, len(at), g);
}

tvoice superman() {
    int n = len(2.5);
    tvoice v(n);
    brass(v, 0.02f, 0.16f, 392.0f, 1);
    brass(v, 0.2f, 0.16f, 523.3f, 1);
    brass(v, 0.38f, 0.16f, 659.3f, 1);
    brass(v, 0.56f, 1.9f, 784.0f, 1);
    brass(v, 0.56f, 1.9f, 523.3f, 0.7f);
    brass(v, 0.56f, 1.9f, 329.6f, 0.6f);
    brass(v, 0.56f, 1.9f, 130.8f, 0.5f);
    return v;
}

tvoice punch() {
    tgenrnd r(127);
    int n = len(0.4);
    tvoice v(n);
    osc th;
    biquad slap, body;
    slap.bp(1700, 0.9f);
    body.bp(240, 1.5f);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float w = r.sym();
        v[i] = th.sine(48 + 110 * std::exp(-t / 0.03f)) * std::exp(-t / 0.085f) * att(t, 0.002f)
             + slap(w) * std::exp(-t / 0.012f) * 1.8f + body(w) * std::exp(-t / 0.05f) * 1.5f;
    }
    return v;
}

tvoice laser2() {
    int n = len(0.5);
    tvoice v(n);
    osc a, b, m, shim;
    biquad hp;
    hp.hp(300);
    for (int i = 0; i < n; i++) {
        float t = float(i) / rate;
        float fr = 1300 + 2600 * std::exp(-t * 5) + 120 * shim.sine(55);
        float ring = m.sine(fr * 1.5f);
        float s = a.saw(fr) * 0.45f + b.sine(fr * 2.003f) * 0.5f;
        v[i] = hp(s * (0.7f + 0.3f * ring)) * std::exp(-t / 0.18f) * att(t, 0.003f);
    }
    return v;
}

} // namespace

void finishsound(tsound& t, float peak) {
    auto& v = t.s;
    if (v.empty()) return;
    // No DC: a constant offset would click when the sound starts or stops.
    double mean = 0;
    for (float x : v) mean += x;
    mean /= v.size();
    for (float& x : v) x -= float(mean);
    if (!t.loop) {
        // Short fades at both ends: the first and last samples are silent.
        int fin = std::min<int>(len(0.003), v.size() / 4), fout = std::min<int>(len(0.04), v.size() / 4);
        for (int i = 0; i < fin; i++) v[i] *= smooth(float(i) / fin);
        for (int i = 0; i < fout; i++) v[v.size() - 1 - i] *= smooth(float(i) / fout);
    }
    float m = 0;
    for (float x : v) m = std::max(m, std::fabs(x));
    if (m > 0)
        for (float& x : v) x *= peak / m;
}

std::vector<tsound> makesounds() {
    // In the order of framework/samples.h, which names each sound's file, length and loop.
    struct tdef {
        int smp;
        std::function<tvoice()> make;
        float drive = 0;   // soft saturation: more weight for blasts without clipping
    };
    const tdef defs[] = {
        {smp_xplo1, xplo1, 2.5f},
        {smp_xplo2, xplo2, 2.5f},
        {smp_house, house, 2.0f},
        {smp_launch, launch},
        {smp_laser, laser},
        {smp_rain, rain},
        {smp_thunder, thunder, 1.5f},
        {smp_lightning, lightning, 2.0f},
        {smp_plane, plane},
        {smp_traffic1, [] { return traffic(109, 95, 15, 5, 0.9f, 0.6f); }},
        {smp_traffic2, [] { return traffic(110, 52, 12, 6, 1.1f, 1.0f); }},
        {smp_traffic3, [] { return traffic(111, 150, 22, 5, 0.6f, 0.9f); }},
        {smp_ufo, ufo},
        {smp_wind, wind},
        {smp_satellite, satellite},
        {smp_meteor, meteor},
        {smp_horn1, [] { return horn(370, 466, {{0.02f, 0.55f}}); }},
        {smp_horn2, [] { return horn(494, 622, {{0.02f, 0.2f}, {0.3f, 0.26f}}); }},
        {smp_day, day},
        {smp_night, night},
        {smp_fire, fire},
        {smp_chopper, chopper},
        {smp_gun, gun, 2.0f},
        {smp_rainbow, rainbow},
        {smp_jumper, jumper},
        {smp_sirene, sirene},
        {smp_superman, superman},
        {smp_punch, punch, 2.0f},
        {smp_laser2, laser2},
    };
    static_assert(std::size(defs) == smp_count, "one sound for every line of framework/samples.h");
    std::vector<tsound> out;
    for (auto& d : defs) {
        if (d.smp != int(out.size())) {
            std::fprintf(stderr, "vh_assetgen: the sounds are not in the order of framework/samples.h\n");
            std::exit(1);
        }
        const tsampledef& def = sampledefs[d.smp];
        tsound t;
        t.name = std::string(def.name) + ".ogg";
        t.loop = def.loop != 0;
        t.length = def.length;
        t.s = d.make();
        // A few milliseconds of silence before a sharp attack keep the codec's pre-echo
        // from making the very first samples click.
        if (!t.loop) t.s.insert(t.s.begin(), 256, 0.0f);
        if (d.drive > 0) {
            float m = 0;
            for (float x : t.s) m = std::max(m, std::fabs(x));
            if (m > 0)
                for (float& x : t.s) x = std::tanh(d.drive * x / m) / std::tanh(d.drive);
        }
        t.s.resize(len(t.length), 0.0f);
        // -3.5 dBFS before encoding: the codec's ripple lands the decoded peak near -3 dBFS.
        finishsound(t, 0.668f);
        out.push_back(std::move(t));
    }
    return out;
}
