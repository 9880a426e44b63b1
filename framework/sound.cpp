#include "framework/sound.h"

#include <algorithm>

#include "framework/world.h"
#include "platform/platform.h"

tsnd createsnd(int n) {
    tsnd r;
    if (n < 1) n = 1;
    r.c.resize(static_cast<size_t>(n));
    r.chn = 0;
    r.maxchn1 = n - 1;
    for (tchn& ch : r.c) {
        ch.c = AllocChannel();
        ch.vol = r.vol;
        SetChannelVolume(ch.c, ch.vol);
    }
    return r;
}

int tsnd::add(const std::string& path, int flags) {
    // Channels point at their samples; keep them pointing at the same ones if the array moves.
    std::vector<int> was(c.size(), -1);
    for (size_t i = 0; i < c.size(); i++)
        if (c[i].s) was[i] = static_cast<int>(c[i].s - s.data());
    s.emplace_back();
    s.back().s = LoadSound(path, flags);
    for (size_t i = 0; i < c.size(); i++)
        if (was[i] >= 0) c[i].s = &s[static_cast<size_t>(was[i])];
    return 0;
}

int tsnd::load(int i, const std::string& path, int flags) {
    if (i < 0 || i >= static_cast<int>(s.size())) return 0;
    s[static_cast<size_t>(i)].s = LoadSound(path, flags);
    return 0;
}

int tsnd::play(tsmp& smp, float rate, int channel) {
    if (channel < 0) {
        // With 64 channels the rotation runs 1, 2, ... 63, 0, 1, ...
        chn = (chn + 1) & maxchn1;
        channel = chn;
    }
    if (channel >= static_cast<int>(c.size())) return 0;
    tchn& ch = c[static_cast<size_t>(channel)];
    CueSound(smp.s, ch.c);
    ch.s = &smp;
    ch.released = 0;
    ch.vol = vol * smp.vol;
    SetChannelVolume(ch.c, ch.vol);
    ch.pan = smp.pan;
    SetChannelPan(ch.c, ch.pan);
    SetChannelRate(ch.c, rate);
    ch.depth = smp.depth;
    SetChannelDepth(ch.c, ch.depth);
    ResumeChannel(ch.c);
    return 0;
}

void tsnd::release(int channel, const tsmp& smp) {
    if (channel >= 0 && channel < static_cast<int>(c.size()) && c[channel].s == &smp) c[channel].released = 1;
}

int tsnd::setvol(float v) {
    vol = v;
    // Released channels still fading come back to their full level and fade on from there.
    for (tchn& ch : c) {
        ch.vol = ch.s ? v * ch.s->vol : v;
        SetChannelVolume(ch.c, ch.vol);
    }
    return 0;
}

int tsnd::upd() {
    for (tchn& ch : c) {
        if (!ch.s || !ChannelPlaying(ch.c)) continue;
        if (ch.released) {
            ch.vol -= ch.s->volfade;
            if (ch.vol > 0) {
                SetChannelVolume(ch.c, ch.vol);
            } else {
                PauseChannel(ch.c);   // counts as not playing from now on
            }
        }
        ch.pan = std::clamp(ch.pan + ch.s->panfade, -1.0f, 1.0f);
        SetChannelPan(ch.c, ch.pan);
    }
    return 0;
}
