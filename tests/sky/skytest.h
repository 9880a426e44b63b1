// tests/sky/skytest.h — helpers for the sky and weather tests: which samples were started,
// and what was drawn with a given picture.
#pragma once

#include <vector>

#include "framework/sound.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/support/world.h"

// Sample indices of the sounds started since the last take(), in order (up to 63 at a time:
// snd hands out its channels in rotation).
struct tplays {
    int last = world->snd.chn;
    std::vector<int> take() {
        std::vector<int> out;
        while (last != world->snd.chn) {
            last = (last + 1) & world->snd.maxchn1;
            const tsmp* s = world->snd.c[last].s;
            out.push_back(s ? int(s - world->snd.s.data()) : -1);
        }
        return out;
    }
    int count(int sample) {
        int n = 0;
        for (int i : take()) n += i == sample;
        return n;
    }
};

inline std::vector<tdrawrecord> drawnwith(const TImage* img) {
    std::vector<tdrawrecord> out;
    for (const auto& r : DrawRecords())
        if (r.op == tdrawrecord::image && r.img == img) out.push_back(r);
    return out;
}
