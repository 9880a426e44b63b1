// framework/sound.h — the sound manager: the samples in load order and a pool of channels
// handed out in strict rotation. A new sound takes the next channel of the pool, cutting off
// whatever it still played a whole pool of sounds ago.
#pragma once

#include <string>
#include <vector>

struct TSound;
struct TChannel;

struct tsmp {
    TSound* s = nullptr;       // the decoded sound; null when it could not be loaded
    float vol = 1.0f;          // a channel plays it at snd.vol x vol
    float volfade = 0.02f;     // volume taken off per tick once released
    float pan = 0;             // pan for the next play, -1 left .. 1 right
    float panfade = 0;         // pan added per tick while it plays
    float depth = 1.0f;

    template <class V> void fields(V& v) {
        v("s", s); v("vol", vol); v("volfade", volfade); v("pan", pan); v("panfade", panfade);
        v("depth", depth);
    }
};

struct tchn {
    tsmp* s = nullptr;         // the sample last started here; owners compare it with theirs
    TChannel* c = nullptr;     // the back-end channel
    int released = 0;          // 1: fading out
    float vol = 0;             // as last sent
    float pan = 0;             // re-sent every tick
    float depth = 0;           // as last sent

    template <class V> void fields(V& v) {
        v("s", s); v("c", c); v("released", released); v("vol", vol); v("pan", pan);
        v("depth", depth);
    }
};

struct tsnd {
    std::vector<tsmp> s;       // samples, in load order
    std::vector<tchn> c;       // the pool, maxchn1 + 1 channels
    int chn = 0;               // channel of the latest automatic allocation
    int maxchn1 = 0;           // pool size - 1, the rotation's mask (a power of two - 1)
    float vol = 0.5f;          // master volume

    int add(const std::string& path, int flags);
    int load(int i, const std::string& path, int flags);
    int play(tsmp& smp, float rate, int channel);   // channel -1: the next of the rotation
    int setvol(float v);
    // The channel fades out if it still plays `smp`: another sound may have taken it since.
    void release(int channel, const tsmp& smp);
    int upd();                 // one tick of release fades and pan slides

    template <class V> void fields(V& v) {
        v("s", s); v("c", c); v("chn", chn); v("maxchn1", maxchn1); v("vol", vol);
    }

    tsnd() = default;
    tsnd(tsnd&&) noexcept = default;              // moving keeps the channels' sample pointers
    tsnd& operator=(tsnd&&) noexcept = default;
    tsnd(const tsnd&) = delete;
    tsnd& operator=(const tsnd&) = delete;
};

// The pan of a sound made at playfield x (0 .. 800): k / 2 to the left at the left edge, as far
// right at the right edge.
inline float panat(float x, float k) { return (x * 0.00125f - 0.5f) * k; }

tsnd createsnd(int n);
