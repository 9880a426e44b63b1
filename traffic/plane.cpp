// traffic/plane.cpp — planes and the flying hero.
#include "traffic/plane.h"

#include <cmath>

#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/strings.h"
#include "sky/day.h"
#include "traffic/ufo.h"

namespace {

// A small blast in the harmless list: what the laser hits, what is rammed, a plane coming down.
void smallblast(float x, float y) { world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, 0, 0); }
}

void tplanedata::generate() {
    // A random tint whose brightest channel is full.
    for (int& c : col) c = world->rnd.upd(255);
    int raise = 255 - Max(col[0], Max(col[1], col[2]));
    for (int& c : col) c += raise;

    int k = world->rnd.upd(static_cast<int>(img_plane.size()));
    img = img_plane[k];
    imgt = k < static_cast<int>(img_planet.size()) ? img_planet[k] : nullptr;
    imgw2 = static_cast<float>(img->width / 2);
    imgh2 = static_cast<float>(img->height / 2);

    speedx = world->rnd.updf(1.0f) + 0.5f;
    speedy = world->rnd.updf(0.2f) - 0.1f;
    if (world->rnd.upd(2) != 0) speedx = -speedx;
    x = speedx >= 0 ? 800 + imgw2 : -imgw2;   // flying left it enters at the right edge
    y = static_cast<float>(world->rnd.upd(80)) + imgh2;

    if (world->planes.countsuper < maxsuperman && world->rnd.upd(superchance) == 0) {
        art = kind_hero;
        world->planes.countsuper++;
        speedx = speedx * 0.7f;
        speedy = Abs(speedy) * 0.7f;  // the hero never climbs
        col[0] = col[1] = col[2] = 255;
        img = img_superman;
        imgw2 = static_cast<float>(img ? img->width / 2 : 0);
        imgh2 = static_cast<float>(img ? img->height / 2 : 0);
        // He enters just outside the edge by his own half width: placed by the wider plane
        // picture's, he would count as leaving on his first frame, turn, and be gone on his
        // second. y keeps the plane picture's height, a few pixels lower at most.
        x = speedx >= 0 ? 800 + imgw2 : -imgw2;
        tsmp& s = world->snd.s[smp_superman];
        s.pan = panat(x, 0.3f);
        world->snd.play(s, world->rnd.updf(0.1f) + 0.9f, -1);
    } else if (world->rnd.upd(2) != 0) {
        // The engine drifts across towards the other side.
        tsmp& s = world->snd.s[smp_plane];
        s.pan = panat(x, 0.5f);
        s.panfade = Sgn(x) * -0.001f;
        world->snd.play(s, world->rnd.updf(0.1f) + 0.9f, -1);
        chn = world->snd.chn;
        engine = 1;
    }
}

void tplanedata::destroy() {
    if (engine != 0 && chn >= 0 && chn < static_cast<int>(world->snd.c.size()) &&
        world->snd.c[chn].s == &world->snd.s[smp_plane])
        world->snd.c[chn].released = 1;
    world->particles.scatter(x, y, {1.0f, 0.8f, 1.0f, 0.5f, 5000, 0.01f, 1.4f, 0.1f}, col, col, img_explosion1);
}

thitbox tplanedata::box() const { return {x, y, imgw2, imgh2}; }

// A plane in a harmful explosion comes down. The hero is never harmed: an enemy blast touching
// him dies away a frame sooner every frame.
int tplanedata::collisiontnt() {
    ttntdata* e = blastat(x, y);
    if (!e) return 0;
    if (art == kind_plane) return 1;
    if (e->owner == side_enemy && e->time > 1) e->time--;
    return 0;
}

// The hero catches a missile and takes the side of whoever fired it; a plane is blown up in a
// large blast owned like the missile, which can chain on.
int tplanedata::collisionrocket() {
    trocketdata* r = missilein(box());
    if (!r) return 0;
    if (art == kind_hero) {
        superturn = 0;            // he may turn back once more
        superowner = r->owner;
        world->tnt.generate(r->x, r->y, 0.5f, 100, smp_xplo2, 1.0f, r->owner, 0);
        world->level.addscore(r->owner != side_enemy ? -10 : 2);
        r->destroy();
        return 0;
    }
    world->tnt.generate(r->x, r->y, 0.1f, 400, smp_xplo1, 1.0f, r->owner, 0);
    r->destroy();
    return 1;
}

// A plane touching a UFO goes down with it; the hero rams through, slowing and sinking.
int tplanedata::collisionufo() {
    int n = static_cast<int>(world->ufos.d.size());
    for (int i = 0; i < n; i++) {
        tufodata* u = world->ufos.d[i].get();
        if (!u || !box().contains(u->x, u->y)) continue;
        smallblast(u->x, u->y);
        u->destroy();
        world->ufos.empty(i);
        if (art == kind_plane) return 1;
        speedx = speedx * 0.7f;
        speedy = speedy + 0.3f;
        world->level.addscore(10);
        return 0;
    }
    return 0;
}

int tplanedata::upd() {
    x = x - speedx;
    y = y + speedy;
    if (y < -imgh2 || y > 400 + imgh2) {
        if (art == kind_hero) world->planes.countsuper--;
        return 1;
    }
    if (x < -imgw2 || x > 800 + imgw2) {
        if (art == kind_plane) return 1;       // the engine sound plays on as it flies off
        if (superturn == 1) {
            world->planes.countsuper--;
            return 1;
        }
        superturn = 1;
        speedx = -speedx;
    }

    if (collisiontnt() || collisionrocket() || collisionufo()) {
        smallblast(x, y);
        world->level.addscore(-2);
        destroy();
        return 1;
    }
    if (art == kind_plane) return 0;

    // The hero's laser: one shot in 121 frames at the first UFO, or else the first missile of
    // the side he fights against, within his square of reach.
    if (cooldown != 0) {
        cooldown--;
        if (laser != 0) laser--;
        return 0;
    }
    auto inreach = [this](float tx, float ty) { return ::inreach(x, y, tx, ty, laserradius); };
    auto fire = [this](float tx, float ty) {
        cooldown = maxcooldown;
        laser = static_cast<int>(maxlaser);
        tsmp& s = world->snd.s[smp_laser2];
        s.pan = panat(x, 0.3f);
        world->snd.play(s, world->rnd.updf(0.4f) + 0.8f, -1);
        targetx = tx;
        targety = ty;
        smallblast(targetx, targety);
    };
    int n = static_cast<int>(world->ufos.d.size());
    for (int i = 0; i < n; i++) {
        tufodata* u = world->ufos.d[i].get();
        if (!u || !inreach(u->x, u->y)) continue;
        fire(u->x, u->y);
        if (superowner != hero_hostile) world->level.addscore(10);
        u->destroy();
        world->ufos.empty(i);
        return 0;
    }
    // A neutral hero shoots no missile: none has owner -1.
    n = static_cast<int>(world->rockets.d.size());
    for (int i = 0; i < n; i++) {
        trocketdata* r = world->rockets.d[i].get();
        if (!r || r->owner != superowner || r->prg != rocket_flying || !inreach(r->x, r->y)) continue;
        fire(r->x, r->y);
        if (superowner != hero_hostile) world->level.addscore(2);
        r->destroy();
        return 0;
    }
    return 0;
}

void tplanedata::draw() const {
    // The hero glows in the colour of his side, pulsing with a period of 64 ticks.
    if (superowner == hero_friend) SetColor(0, Int(-255 * world->day.skycos), 255);              // blue to cyan
    else if (superowner == hero_hostile) SetColor(255, Int(128 + 128 * world->day.skycos), 0);   // orange to red
    if (superowner != hero_neutral && img_superman && img_explosion2 && img_explosion2->width > 0 &&
        img_explosion2->height > 0) {
        float sx = 1.5f * static_cast<float>(img_superman->width) / static_cast<float>(img_explosion2->width);
        float sy = 1.5f * static_cast<float>(img_superman->height) / static_cast<float>(img_explosion2->height);
        int t = world->timer ? TimerTicks(world->timer) : 0;
        ModelviewPush();
        ModelviewScale(sx, sy);
        SetAlpha(0.7f - Abs(static_cast<float>(t & 63) / 64 - 0.5f) * 0.8f);
        DrawImage(img_explosion2, x / sx, y / sy);
        SetAlpha(1);
        ModelviewPop();
    }
    if (laser != 0) {
        SetAlpha(static_cast<float>(laser) / maxlaser);
        SetColor(255, 255, 0);
        drawbeam(img_beam, x, y, targetx, targety, 4);
        SetAlpha(1);
    }
    SetScale(Sgn(speedx), 1);         // the pictures face left
    SetColor(col[0], col[1], col[2]);
    DrawImage(img, x, y);
    SetColor(255, 255, 255);
    if (art == kind_plane && imgt) DrawImage(imgt, x, y);
}

void tplane::init() {
    wait = minwait + world->rnd.upd(maxwait);
    countsuper = 0;
}

void tplane::generate() {
    if (img_plane.empty()) return;    // a build without plane pictures has no planes
    add().generate();
}

void tplane::upd() {
    if (wait == 0) {
        generate();
        wait = minwait + world->rnd.upd(maxwait);
    }
    wait--;
    each([](tplanedata& p, int) { return p.upd() != 0 ? 1 : 0; });
}

void tplane::draw() const {
    each([](const tplanedata& p, int) { p.draw(); });
    SetScale(1, 1);
}
