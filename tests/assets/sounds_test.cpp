// The generated sounds in data/: mono Ogg Vorbis at 44.1 kHz, of their intended lengths,
// loud enough but never at full scale, silent at their ends, and loops that join smoothly.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/samples.h"
#include "platform/testing.h"
#include "tests/support/world.h"

namespace {

// Every sound the game loads, with its intended length: framework/samples.h.
const auto& sounds = sampledefs;

std::vector<int> samples(const std::string& name, bool loop) {
    testsupport::startplatform();
    TSound* s = LoadSound("data/" + name + ".ogg", loop ? 1 : 0);
    EXPECT_NE(s, nullptr) << "can't load data/" << name << ".ogg";
    if (!s) return {};
    int n = 0;
    const int16_t* p = SoundSamples(s, n);
    return std::vector<int>(p, p + n);
}

// Strength of a frequency in a stretch of samples (Goertzel).
double power(const std::vector<int>& s, size_t from, size_t count, double freq) {
    double k = 2 * std::cos(2 * M_PI * freq / 44100), a = 0, b = 0;
    for (size_t i = from; i < from + count; i++) {
        double c = s[i] / 32768.0 + k * a - b;
        b = a;
        a = c;
    }
    return a * a + b * b - k * a * b;
}

double loudest(const std::vector<int>& s, size_t from, size_t count, double lo, double hi) {
    double best = 0, bestf = 0;
    for (double f = lo; f <= hi; f += 25) {
        double p = power(s, from, count, f);
        if (p > best) best = p, bestf = f;
    }
    return bestf;
}

}  // namespace

TEST(assetsounds, every_sound_is_mono_vorbis_at_44100) {
    for (auto& d : sounds) {
        std::string path = std::string("data/") + d.name + ".ogg";
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0) << path;
        vorbis_info* vi = ov_info(&vf, -1);
        EXPECT_EQ(vi->channels, 1) << path;
        EXPECT_EQ(vi->rate, 44100) << path;
        ov_clear(&vf);
    }
}

TEST(assetsounds, every_sound_has_its_length_and_level) {
    for (auto& d : sounds) {
        std::vector<int> s = samples(d.name, d.loop);
        ASSERT_FALSE(s.empty()) << d.name;
        double seconds = s.size() / 44100.0;
        EXPECT_NEAR(seconds, d.length, 0.02) << d.name;
        int peak = 0;
        for (int v : s) peak = std::max(peak, std::abs(v));
        // About -3 dBFS, never clipped.
        EXPECT_LT(peak, 32767 * 0.85) << d.name;
        EXPECT_GT(peak, 32767 * 0.55) << d.name;
    }
}

TEST(assetsounds, sounds_start_and_end_in_silence) {
    for (auto& d : sounds) {
        if (d.loop) continue;
        std::vector<int> s = samples(d.name, false);
        ASSERT_GT(s.size(), 100u) << d.name;
        for (int i = 0; i < 8; i++) {
            EXPECT_LT(std::abs(s[i]), 400) << d.name << " sample " << i;
            EXPECT_LT(std::abs(s[s.size() - 1 - i]), 400) << d.name << " sample from the end " << i;
        }
    }
}

TEST(assetsounds, loops_join_without_a_jump) {
    for (auto& d : sounds) {
        if (!d.loop) continue;
        std::vector<int> s = samples(d.name, true);
        ASSERT_GT(s.size(), 1000u) << d.name;
        std::vector<int> steps;
        for (size_t i = 1; i < s.size(); i++) steps.push_back(std::abs(s[i] - s[i - 1]));
        std::sort(steps.begin(), steps.end());
        int typical = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::abs(s.front() - s.back()), typical) << d.name;
        // The level carries on across the join: the last and first tenth of a second match.
        auto rms = [&](size_t from) {
            double e = 0;
            for (size_t i = from; i < from + 4410; i++) e += double(s[i]) * s[i];
            return std::sqrt(e / 4410);
        };
        double head = rms(0), tail = rms(s.size() - 4410);
        EXPECT_NEAR(head / tail, 1.0, 0.35) << d.name;
    }
}

// The game plays the launch at a fifth to half its speed: its whistle rises, and slowed down
// it stays in the bright range of a whistle instead of sinking into a rumble.
TEST(assetsounds, launch_whistle_rises_and_slows_down_well) {
    std::vector<int> s = samples("launch", false);
    ASSERT_EQ(s.size(), 44100u);
    double early = loudest(s, 4410, 4410, 800, 8000);
    double late = loudest(s, 30870, 4410, 800, 8000);
    EXPECT_GT(late, early * 1.5);
    EXPECT_GE(early * 0.2, 300);
    EXPECT_LE(late * 0.5, 4000);
}

namespace {

// Loudness of each 10 ms stretch.
std::vector<double> envelope(const std::vector<int>& s) {
    std::vector<double> e;
    for (size_t i = 0; i + 441 <= s.size(); i += 441) {
        double a = 0;
        for (size_t k = i; k < i + 441; k++) a += double(s[k]) * s[k];
        e.push_back(std::sqrt(a / 441));
    }
    return e;
}

// Bursts: stretches that rise above half the loudest level after a quieter stretch.
int bursts(const std::vector<double>& e) {
    double top = *std::max_element(e.begin(), e.end());
    int n = 0;
    bool up = false;
    for (double v : e) {
        if (!up && v > top * 0.5) n++, up = true;
        else if (up && v < top * 0.3) up = false;
    }
    return n;
}

}  // namespace

TEST(assetsounds, siren_alternates_two_tones_every_half_second) {
    std::vector<int> s = samples("sirene", false);
    ASSERT_EQ(s.size(), 4u * 44100u);
    for (int half = 0; half < 8; half++) {
        size_t from = size_t(half) * 22050 + 4410;
        double low = power(s, from, 8820, 440), high = power(s, from, 8820, 587.3);
        if (half % 2 == 0) EXPECT_GT(low, high * 4) << "half second " << half;
        else EXPECT_GT(high, low * 4) << "half second " << half;
    }
}

TEST(assetsounds, bursts_and_beats_come_at_their_pace) {
    // The gun fires a burst of six shots; the second horn honks twice.
    EXPECT_EQ(bursts(envelope(samples("gun", false))), 6);
    EXPECT_EQ(bursts(envelope(samples("horn2", false))), 2);
    EXPECT_EQ(bursts(envelope(samples("horn1", false))), 1);
    // The rotor thumps about eleven times a second, steadily through the middle.
    std::vector<double> e = envelope(samples("chopper", false));
    std::vector<double> mid(e.begin() + 100, e.begin() + 400);
    int beats = bursts(mid);
    EXPECT_GE(beats, 30);
    EXPECT_LE(beats, 38);
}
