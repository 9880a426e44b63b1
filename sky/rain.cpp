// sky/rain.cpp — the weather controller, drops and snowflakes, lightning bolts.
//
// Phase cycle: 0 clear (4000 .. 13999 ticks) -> 1 clouds gather (1000 ticks) -> 2 building up
// (about four ticks a drop) -> 3 steady (2000 .. 7999 ticks) -> 4 thinning (until the last drop
// has landed) -> 0.
#include "sky/rain.h"

#include <algorithm>
#include <cmath>

#include "framework/assets.h"
#include "framework/image.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/trig.h"
#include "sky/cloud.h"

namespace {

float cosdeg(float a) { return float(trig::cos(double(a) * M_PI / 180.0)); }

constexpr float loopstep = 0.0003f;   // fade of the loop per tick: 500 ticks from 0 to full
constexpr float loopmax = 0.15f;

void thunder() {
    tsmp& s = world->snd.s[smp_thunder];
    s.pan = world->rnd.updf(1) - 0.5f;
    float rate = world->rnd.updf(0.8f) + 0.4f;
    world->snd.play(s, rate, -1);
}

}  // namespace

int traindata::generate() {
    float k;
    if (world->rain.art == fall_rain) {
        speedy = world->rnd.updf(8) + 2;
        speedx = world->rain.wind / 3 * speedy;
        k = 5;
    } else {
        speedy = world->rnd.updf(1) + 0.4f;
        speedx = world->rain.wind * speedy;
        k = 3;
    }
    y = -50;
    x = world->rnd.updf(800);
    // In strong wind some drops blow in from the windward edge at a random height.
    if (world->rnd.updf(k) < std::fabs(world->rain.wind)) {
        y = float(world->rnd.upd(400));
        x = world->rain.wind >= 0 ? 0 : 800;
    }
    rot = world->rain.wind;
    return 0;
}

int traindata::upd() {
    y += speedy;
    if (y > 400) return 1;
    x += speedx;
    if (world->rain.art == fall_snow) x += world->rnd.updf(2) - 1;   // snow flutters
    return 0;
}

int traindata::draw() {
    if (world->rain.art == fall_snow) {
        float s = 0.07f * (speedy + 0.5f);
        SetScale(s, s);
        DrawImage(img_explosion1, x, y);
    } else {
        // A streak 4 to 20 units long, leaning with the wind it was spawned in.
        SetRotation(-16 * rot);
        SetScale(1, 2 * speedy);
        DrawImage(img_drop, x, y);
    }
    return 0;
}

int tflash::generate(float x1, float y1, float x2, float y2, int n, float jag) {
    if (n < 1) n = 1;                         // a bolt has at least its one straight segment
    x = x2;
    float sx = (x2 - x1) / n, sy = (y2 - y1) / n;
    d.assign(size_t(n) + 1, tflashnode());
    d[0] = {x1, y1};
    d[n] = {x2, y2};
    // The sideways jitter of a vertex is as large as a vertical step, so bolts zigzag hard.
    for (int i = 1; i < n; i++) {
        float jx = world->rnd.updf(sy * jag * 2) - sy * jag;
        float jy = world->rnd.updf(sx * jag * 2) - sx * jag;
        d[i].x = x1 + sx * i + jx;
        d[i].y = y1 + sy * i + jy;
    }
    return 0;
}

// 8 units wide at the top, tapering toward the ground; the last segment fades at its end.
int tflash::draw() {
    int l = int(d.size());
    if (l < 2) return 0;
    for (int i = 0; i <= l - 3; i++)
        drawbeam(img_line, d[i].x, d[i].y, d[i + 1].x, d[i + 1].y, float(l - i) / float(l) * 8);
    drawbeam(img_beam, d[l - 2].x, d[l - 2].y, d[l - 1].x, d[l - 1].y, 2.0f / float(l) * 8);
    return 0;
}

int train::init() {
    wait = world->rnd.upd(maxwait);
    wind = world->rnd.updf(2) - 1;
    wind2 = wind;
    // The loop's channel is ours alone, outside snd's rotation; its level lives in the volume
    // factors of the rain and wind samples.
    chn = AllocChannel();
    PauseChannel(chn);
    SetChannelVolume(chn, 0);
    world->snd.s[smp_rain].vol = 0;
    world->snd.s[smp_wind].vol = 0;
    return 0;
}

int train::generate() {
    for (int i = 0; i < maxdrops; i++) {
        if (d[i].on) continue;
        d[i].generate();
        d[i].on = 1;
        count++;
        return 0;
    }
    return 0;
}

int train::remove(int i) {
    if (i < 0 || i >= maxdrops || !d[i].on) return 0;
    d[i].on = 0;
    count--;
    return 0;
}

int train::upd() {
    bool falling = prg == rain_building || prg == rain_steady;

    // The loop fades in with the shower and out after it, and follows the master volume.
    tsmp& loop = world->snd.s[smp];
    if (falling) loop.vol = std::min(loop.vol + loopstep, loopmax);
    else loop.vol = std::max(loop.vol - loopstep, 0.0f);
    SetChannelVolume(chn, world->volume.vol * loop.vol);

    // Thunderstorms: heavy rain only, tried every 128 ticks of the frame timer.
    int ticks = world->timer ? TimerTicks(world->timer) : 0;
    if (falling && art == fall_rain && count >= lightningpossibility && ticks % 128 == 0) {
        if (world->rnd.upd(15) == 0) thunder();
        if (world->rnd.upd(15) == 0) {
            flash = 1.2f;
            float rate = world->rnd.updf(0.8f) + 0.3f;
            world->snd.play(world->snd.s[smp_lightning], rate, -1);
            int n = world->rnd.upd(6) + 2;
            float x2 = float(world->rnd.upd(800));
            float x1 = float(world->rnd.upd(800));
            flashobj.generate(x1, -10, x2, 400, n, 1.0f);
        }
    }
    flash = std::max(0.0f, flash - 0.04f);   // a flash fades out in 30 ticks

    switch (prg) {
    case rain_clear:
        if (--wait <= 0) {
            prg = rain_gathering;
            wait = waitclouds;
            world->clouds.wait = 0;   // clouds start to come this very tick
        }
        break;
    case rain_gathering:
        if (--wait <= 0) {
            prg = rain_building;
            count2 = world->rnd.upd(maxdrops - minrain + 1) + minrain;
            countlast = count2;
            if (world->rnd.upd(4) == 0) art = fall_snow, smp = smp_wind;
            else art = fall_rain, smp = smp_rain;
            // The loop restarts at the level it has faded to.
            CueSound(world->snd.s[smp].s, chn);
            SetChannelVolume(chn, world->volume.vol * world->snd.s[smp].vol);
            ResumeChannel(chn);
            if (art == fall_rain && count2 >= lightningpossibility) thunder();
        }
        break;
    case rain_building:
        if (count < count2) {
            if (world->rnd.upd(4) == 0) generate();
        } else {
            prg = rain_steady;
            wait = world->rnd.upd(maxwaitrain) + minwaitrain;
        }
        break;
    case rain_steady:
        if (--wait <= 0) {
            prg = rain_thinning;
            count2 = count;
        }
        break;
    case rain_thinning:
        if (world->rnd.upd(4) == 0 && count2 > 0) count2--;
        if (count == 0) {
            prg = rain_clear;
            wait = world->rnd.upd(maxwait) + minwait;
        }
        break;
    }

    // The wind eases along half a cosine from wind1 to wind2 and arrives exactly when
    // waitwind reaches maxwaitwind; then the next change is drawn.
    if (waitwind == maxwaitwind) {
        maxwaitwind = world->rnd.upd(600) + 100;
        waitwind = 0;
        wind1 = wind2;
        wind2 = world->rnd.updf(2) - 1;
        winda = 180.0f / float(maxwaitwind);
        windr = (wind1 - wind2) * 0.5f;
    } else {
        waitwind++;
        wind = wind2 + (cosdeg(winda * float(waitwind)) + 1) * windr;
    }

    // Landed drops fall again from the top; while thinning, only as many as count2 allows.
    if (prg >= rain_building) {
        for (int i = 0; i < maxdrops; i++) {
            if (!d[i].on || d[i].upd() == 0) continue;
            if (prg == rain_thinning && count2 < count) remove(i);
            else d[i].generate();
        }
    }
    return 0;
}

float tcalmglow::step(float flash, int now) {
    float target = peak * std::min(flash, 1.0f);
    float most = at < 0 ? 0 : peak * float(std::max(0, now - at)) / float(ease);
    at = now;
    float next = std::clamp(target, shown - most, shown + most);
    int want = next > shown ? 1 : next < shown ? -1 : 0;
    if (want != 0 && want != dir) {
        // A change of direction waits until the last one is old enough; the glow holds.
        if (dir != 0 && now - turnedat < turn) return shown;
        dir = want;
        turnedat = now;
    }
    shown = next;
    return shown;
}

namespace {
// Drawing state only, outside the world: the weather never reads it.
thread_local tcalmglow calmglow;
}

int train::draw() {
    for (auto& r : d)
        if (r.on) r.draw();
    SetRotation(0);
    SetScale(1, 1);
    // The bolt, then a glow over the whole playfield (alpha limited to 1 when drawing).
    float glow = flash;
    if (world->menu.get(menu_reduceflashing) & 1) glow = calmglow.step(flash, MilliSecs());
    else calmglow = tcalmglow();
    if (flash != 0) {
        SetAlpha(flash);
        flashobj.draw();
    }
    if (glow != 0) {
        SetAlpha(glow);
        SetScale(800.0f / img_explosion2->width, 400.0f / img_explosion2->height);
        DrawImage(img_explosion2, 400, 200);
        SetScale(1, 1);
    }
    SetAlpha(1);
    return 0;
}
