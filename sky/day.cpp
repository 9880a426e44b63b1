// sky/day.cpp — day and night. A full turn of the sun is 360 / 0.02 = 18000 ticks (five minutes
// at 60 ticks a second); the moon needs about 15652, the planets 24000.
#include "sky/day.h"

#include <cmath>

#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/world.h"
#include "platform/trig.h"
#include "sky/rain.h"

namespace {

float sindeg(float a) { return float(trig::sin(double(a) * M_PI / 180.0)); }
float cosdeg(float a) { return float(trig::cos(double(a) * M_PI / 180.0)); }

// Where the sun stands in its day: 0 .. 180 is the day half, 180 .. 360 the night half.
float phaseof(float sunrot) { return std::fmod(sunrot + 50, 360.0f); }

// The day and the night sound: a random pan and depth, a slightly random pitch.
void playambient(int sample) {
    tsmp& s = world->snd.s[sample];
    s.pan = (world->rnd.updf(1) - 0.5f) * 0.25f;
    s.depth = world->rnd.updf(2) - 1;
    float rate = world->rnd.updf(0.2f) + 0.8f;
    world->snd.play(s, rate, -1);
}

struct tflarepart {
    TImage** img;
    int col[3];
    float alpha, place, size;
};

}  // namespace

namespace {

// The flare shows where the softened skyline mask lets the sun through; the mask's outer
// columns are opaque, so it also fades out at the side edges. The strength at (x, y), 0 where
// the flare is hidden.
float flarestrength(float x, float y) {
    if (!(y > 0 && x > 0 && x < img_citylens->width && y < img_citylens->height)) return 0;
    int a[1];
    getpixelbytes(a, img_citylens->pixmaps[0], int(x), int(y), 1, 3);
    return a[0] >= 255 ? 0 : float(255 - a[0]) / 255;
}

}  // namespace

int tdaydata::upd() {
    rot = std::fmod(rot + speedr, 360.0f);
    x = sindeg(rot + rotd) * radx + posx;
    y = cosdeg(rot + rotd) * rady + posy;
    if (lens) {
        lens->upd(x, y);
        // The flare's strength is part of the world, so the frame step keeps it, not the
        // drawing step: a world must not depend on how often the window repaints.
        float strength = flarestrength(x, y);
        if (strength > 0) lens->alpha = strength;
    }
    return 0;
}

int tdaydata::drawlens() {
    if (!lens) return 0;
    float strength = flarestrength(x, y);
    if (strength <= 0) return 0;
    lens->draw(strength);
    SetAlpha(1);
    SetScale(1, 1);
    SetColor(255, 255, 255);
    return 0;
}

int tdaydata::draw() {
    if (!usesun) {
        DrawImage(img, x, y);
        return 0;
    }
    // Turned so that the lit (left) side faces the sun; facematrix mirrors, the 90 degrees
    // bring the picture's left side onto the axis toward the sun.
    const tdaydata& sun = world->day.d[0];
    if (facematrix(world->drawmatrix, x, y, sun.x, sun.y) != 0) return 0;   // on the sun: no direction
    ModelviewPush();
    ModelviewLoad(world->drawmatrix);
    SetRotation(90);
    SetScale(1, 1);
    DrawImage(img, 0, 0);
    ModelviewPop();
    SetRotation(0);
    return 0;
}

int tday::init() {
    static const tflarepart flare[16] = {
        {&img_explosion2, {255, 255, 155}, 0.2f, 1.35f, 1.2f},
        {&img_explosion2, {205, 155, 55}, 0.2f, 1.27f, 0.6f},
        {&img_explosion2, {155, 255, 255}, 0.2f, 1.2f, 0.2f},
        {&img_explosion2, {255, 255, 255}, 0.12f, 0.8f, 0.15f},
        {&img_explosion2, {255, 255, 255}, 0.2f, 0.65f, 0.25f},
        {&img_ring, {255, 255, 105}, 0.15f, 0.5f, 1.3f},
        {&img_explosion2, {255, 255, 255}, 0.2f, 0.3f, 0.4f},
        {&img_explosion2, {255, 175, 155}, 0.3f, 0.2f, 0.2f},
        {&img_ring, {255, 205, 205}, 0.2f, 0.05f, 0.15f},
        {&img_explosion2, {255, 255, 255}, 0.12f, -0.1f, 1.0f},
        {&img_explosion2, {255, 255, 155}, 0.2f, -0.15f, 0.3f},
        {&img_explosion2, {255, 225, 225}, 0.2f, -0.4f, 0.4f},
        {&img_explosion2, {205, 105, 155}, 0.2f, -0.55f, 0.7f},
        {&img_ring, {255, 205, 155}, 0.15f, -0.7f, 2.0f},
        {&img_explosion2, {255, 255, 185}, 0.2f, -0.9f, 0.4f},
        {&img_explosion2, {205, 205, 205}, 0.15f, -0.97f, 0.15f},
    };

    for (auto& b : d) b = tdaydata();
    tdaydata& sun = d[0];
    tdaydata& moon = d[1];
    tdaydata& planets = d[2];
    sun.lens = std::make_unique<tlensflare>();
    for (const auto& p : flare) sun.lens->add(*p.img, p.col, p.alpha, p.place, p.size);

    sun.img = img_sun;
    sun.rot = world->rnd.updf(360);
    sun.rotd = 180;
    sun.radx = 430, sun.rady = 330, sun.posx = 400, sun.posy = 400;

    moon.img = img_moon;
    moon.rot = world->rnd.updf(360);
    moon.usesun = 1;
    moon.radx = 240, moon.rady = 400, moon.posx = 240, moon.posy = 400;

    planets.img = img_planets;
    planets.rot = world->rnd.updf(360);
    planets.usesun = 1;
    planets.radx = 500, planets.rady = 450, planets.posx = 400, planets.posy = 400;

    sun.speedr = 0.02f, moon.speedr = 0.023f, planets.speedr = 0.015f;

    // The half the game starts in does not play its sound.
    if (phaseof(sun.rot) >= 180) nightsnd = 1;
    else daysnd = 1;
    daypos = world->rnd.updf(90);
    nightpos = 180 + world->rnd.updf(90);
    return 0;
}

int tday::upd() {
    for (auto& b : d) b.upd();
    skycos = (cosdeg(d[0].rot) - 1) / 2;
    float phase = phaseof(d[0].rot);
    // Each half plays its sound once, at a random moment of its first half, and re-arms the
    // other; a phase of exactly 180 triggers neither.
    if (daysnd == 0 && phase < 180 && phase > daypos) {
        daysnd = 1;
        daypos = world->rnd.updf(90);
        nightsnd = 0;
        playambient(smp_day);
    }
    if (nightsnd == 0 && phase > 180 && phase > nightpos) {
        nightsnd = 1;
        nightpos = 180 + world->rnd.updf(90);
        daysnd = 0;
        playambient(smp_night);
    }
    return 0;
}

int tday::drawlens() {
    for (auto& b : d) b.drawlens();
    return 0;
}

int tday::draw() {
    // The gradient is stretched to 800 x 2418 and slides up by 2048 towards midnight, when its
    // bottom edge meets the street.
    SetScale(800.0f / img_sky->width, 2418.0f / img_sky->height);
    DrawImage(img_sky, 0, skycos * 2048);
    // Stars fade in at dusk (the drawing layer limits the alpha to 1) and turn with the sun.
    SetAlpha(0.25f - skycos);
    SetRotation(-d[0].rot);
    SetScale(starscale, starscale);
    DrawImage(img_stars, 400, 400);
    SetAlpha(1);
    SetRotation(0);
    SetScale(1, 1);
    for (int i = 2; i >= 0; i--) d[i].draw();   // the sun on top
    return 0;
}

int tday::rainbowstep() {
    if (world->rain.prg == rain_thinning && world->rain.art == fall_rain) {
        if (rainbowon != 0 && rainbowplay == 0) {
            rainbowplay = 1;
            float s = float(world->rain.countlast) / train::maxdrops;
            world->snd.play(world->snd.s[smp_rainbow], 0.5f + (1 - s) / 2, -1);   // lighter showers chime higher
        }
        return 0;
    }
    // Decided in the last frame before the rain starts to end: only with the sun high.
    rainbowplay = 0;
    rainbowon = (d[0].rot > 280 || d[0].rot < 80) ? 1 : 0;
    return 0;
}

int tday::drawrainbow() {
    // The frame step has taken this step already: here it changes nothing, so a window that
    // repaints less often than it steps (F5, a slow machine) or no window at all has the same world.
    rainbowstep();
    if (world->rain.prg != rain_thinning || world->rain.art != fall_rain || rainbowon == 0) return 0;
    float s = float(world->rain.countlast) / train::maxdrops;   // how heavy the shower was
    // 2 while every drop still falls, 0 once the last has landed: the bow fades in while the
    // rain thins to half and out again as it stops.
    float q = float(world->rain.count) / float(world->rain.countlast / 2);
    SetAlpha(s * (1 - std::fabs(1 - q)) / 2);
    DrawImage(img_rainbow, 0, 0);
    SetAlpha(1);
    return 0;
}
