// traffic/satellite.cpp — satellites and meteors.
#include "traffic/satellite.h"

#include <utility>

#include "combat/hit.h"
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
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "traffic/plane.h"
#include "traffic/ufo.h"

namespace {

// Satellites touch by their box: the other centre strictly inside it.
bool inbox(const tsatellitedata& s, float ox, float oy) {
    return s.x - s.imgw2 < ox && ox < s.x + s.imgw2 && s.y - s.imgh2 < oy && oy < s.y + s.imgh2;
}

// The skyline picture's alpha under (x, y); a pixel the picture's buffer does not hold reads
// as clear sky.
int cityalpha(float x, float y) {
    if (img_city->pixmaps.empty()) return 0;
    const TPixmap& p = img_city->pixmaps[0];
    int col = Int(x), row = Int(y);
    if (col < 0 || row < 0 || col >= p.width || row >= p.height) return 0;
    int a = 0;
    getpixelbytes(&a, p, col, row, 1, 3);
    return a;
}

template <class L>
int length(const L& list) {
    return static_cast<int>(list.d.size());
}

}  // namespace

void tsatellitedata::generate(TImage* img_, float y0, float speed, float spin, int art_) {
    art = art_;
    img = img_;
    imgw2 = static_cast<float>(img ? img->width / 2 : 0);
    imgh2 = static_cast<float>(img ? img->height / 2 : 0);
    imgsq = Min(imgw2, imgh2);
    speedr = spin * static_cast<float>(2 * world->rnd.upd(2) - 1);
    x = static_cast<float>(world->rnd.upd(800));
    y = y0 - imgh2;   // the lower edge on the bottom of the sky, or on the top edge
    speedy = world->rnd.updf(speed) + speed / 2;
    // heading for a random point of the width, a random part of the way per 800 frames
    int tx = world->rnd.upd(800);
    speedx = world->rnd.updf(static_cast<float>(tx) - x) * 0.00125f;
    if (y0 > 0) speedy = -speedy;   // satellites rise
    if (art == kind_meteor) {
        tsmp& s = world->snd.s[smp_meteor];
        s.pan = panat(x, 0.5f);
        world->snd.play(s, world->rnd.updf(0.3f) + 1.0f, -1);
        chn = world->snd.chn;
    }
}

void tsatellitedata::destroy() {
    int col[3];
    float size, grav;
    if (art == kind_meteor) {
        // chunks of the meteor itself; its rumble is left to run out
        size = 0.25f, grav = 0.03f;
        col[0] = col[1] = col[2] = 255;
    } else {
        world->snd.release(chn, world->snd.s[smp_satellite]);
        size = 0.1f, grav = 0.01f;
        col[0] = 100, col[1] = 220, col[2] = 160;
        img = img_explosion1;
    }
    world->particles.scatter(x, y, {1.0f, 0.8f, 1.0f, 0.5f, 5000, grav, 1.4f, size}, col, col, img);
}

int tsatellitedata::collisiontnt() {
    if (art == kind_meteor) return 0;   // explosions never harm a meteor
    return blastat(x, y) ? 1 : 0;
}

int tsatellitedata::collisionrocket() {
    int n = length(world->rockets);
    for (int i = 0; i < n; i++) {
        trocketdata* m = world->rockets.d[i].get();
        if (!m || m->prg != rocket_flying) continue;
        bool hit = art == kind_meteor ? incircle(x, y, m->x, m->y, imgsq) : inbox(*this, m->x, m->y);
        if (!hit) continue;
        world->tnt.generate(m->x, m->y, 0.5f, 100, smp_xplo2, 1.0f, m->owner, 0);
        if (m->owner != side_enemy) world->level.addscore(-2);
        m->destroy();
        if (art == kind_satellite) return 1;
        hits--;
        if (hits <= 0) {
            // the meteor breaks in a large blast on the side of the last missile
            world->tnt.generate(x, y, 0.1f, 400, 0, 1.0f, m->owner, 0);
            if (m->owner != side_enemy) world->level.addscore(12);
            return 1;
        }
    }
    return 0;
}

// The hero punches each object once: a meteor flies back up and the hero turns round, a
// satellite drops back down. Planes are wrecked.
int tsatellitedata::collisionplane() {
    int n = length(world->planes);
    for (int i = 0; i < n; i++) {
        tplanedata* p = world->planes.d[i].get();
        if (!p) continue;
        if (art == kind_meteor ? !incircle(x, y, p->x, p->y, imgsq) : !inbox(*this, p->x, p->y)) continue;
        if (p->art == kind_hero) {
            if (superplayed != 0) continue;
            superplayed = 1;
            tsmp& s = world->snd.s[smp_punch];
            s.pan = panat(x, 0.4f);
            world->snd.play(s, world->rnd.updf(0.1f) + 0.9f, -1);
            if (art == kind_meteor) {
                speedy = -2 * Abs(speedy);
                p->speedx = -p->speedx;
                continue;
            }
            speedy = 2 * Abs(speedy);
            return 0;
        }
        world->tnt2.generate(p->x, p->y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        world->level.addscore(-2);
        p->destroy();
        world->planes.empty(i);
        if (art == kind_satellite) return 1;
        hits--;
        if (hits <= 0) return 1;
    }
    return 0;
}

int tsatellitedata::collisionufo() {
    int n = length(world->ufos);
    for (int i = 0; i < n; i++) {
        tufodata* u = world->ufos.d[i].get();
        if (!u) continue;
        if (art == kind_meteor ? !incircle(x, y, u->x, u->y, imgsq) : !inbox(*this, u->x, u->y)) continue;
        world->tnt2.generate(u->x, u->y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        u->destroy();
        world->ufos.empty(i);
        if (art == kind_satellite) return 1;
        hits--;
        if (hits <= 0) return 1;
    }
    return 0;
}

int tsatellitedata::collisionchopper() {
    int n = length(world->choppers);
    for (int i = 0; i < n; i++) {
        tchopperdata* c = world->choppers.d[i].get();
        if (!c) continue;
        if (art == kind_meteor ? !incircle(x, y, c->x, c->y, imgsq) : !inbox(*this, c->x, c->y)) continue;
        world->tnt2.generate(c->x, c->y, 0.5f, 100, smp_xplo2, 1.0f, side_player, 0);
        world->level.addscore(-3);
        c->destroy();
        world->choppers.empty(i);
        if (art == kind_satellite) return 1;
        hits--;
        if (hits <= 0) return 1;
    }
    return 0;
}

int tsatellitedata::collisionjumper() {
    if (world->jumpers.prg != jumper_inair) return 0;   // only a jumper in the air can be hit
    float jx = world->jumpers.x, jy = world->jumpers.y;
    if (art == kind_meteor ? !incircle(x, y, jx, jy, imgsq) : !inbox(*this, jx, jy)) return 0;
    world->tnt2.generate(jx, jy, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
    world->level.addscore(-1);
    world->jumpers.destroy();
    if (art == kind_satellite) return 1;
    hits--;
    return hits <= 0 ? 1 : 0;
}

// A satellite running into another visible object: a meteor loses a hit (and breaks silently
// on its last), another satellite vanishes in a blast without points.
int tsatellitedata::collisionsatellite() {
    int n = length(world->satellites);
    for (int i = 0; i < n; i++) {
        tsatellitedata* o = world->satellites.d[i].get();
        if (!o || o == this || o->seen != 1) continue;
        if (o->art == kind_meteor) {
            if (!incircle(x, y, o->x, o->y, o->imgsq)) continue;
            o->hits--;
            if (o->hits <= 0) {
                world->tnt2.generate(o->x, o->y, 0.5f, 100, -1, 1.0f, side_enemy, 0);
                o->destroy();
                world->satellites.empty(i);
            }
            return 1;
        }
        if (!inbox(*o, x, y)) continue;
        world->tnt2.generate(o->x, o->y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        o->destroy();
        world->satellites.empty(i);
        return 1;
    }
    return 0;
}

int tsatellitedata::upd() {
    rot += speedr;
    x += speedx;
    y += speedy;
    if (x < -imgw2 || x > 800 + imgw2 || y < -imgh2 || y > 400 + imgh2) return 1;

    // Behind the skyline's opaque pixels it is hidden and out of every collision (a meteor's
    // rumble, started at its launch, plays on meanwhile).
    // Beside or below the picture only the sky above the top edge counts as clear.
    seen = 0;
    if (img_city && 0 < y && y < img_city->height && 0 < x && x < img_city->width) {
        if (cityalpha(x, y) == 255) return 0;
    } else if (!(y <= 0)) {
        return 0;
    }
    seen = 1;
    if (seen1st == 0) {
        seen1st = 1;
        if (art == kind_satellite) {
            tsmp& s = world->snd.s[smp_satellite];
            s.pan = panat(x, 0.5f);
            world->snd.play(s, world->rnd.updf(0.2f) + 0.8f, -1);
            chn = world->snd.chn;
        }
    }

    if (collisiontnt() || collisionrocket() || collisionplane() || collisionufo() ||
        collisionchopper() || collisionjumper() || (art == kind_satellite && collisionsatellite())) {
        world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        if (art == kind_satellite) world->level.addscore(-2);
        destroy();
        return 1;
    }
    return 0;
}

void tsatellitedata::draw() const {
    SetRotation(rot);
    DrawImage(img, x, y, 0);
}

void tsatellite::init() { wait = world->rnd.upd(maxwait) + minwait; }

void tsatellite::generate(TImage* img, float y0, float speed, float spin, int art) {
    add().generate(img, y0, speed, spin, art);
    sort();
}

void tsatellite::launchsatellite() { generate(img_satellite, 400, 0.5f, world->rnd.updf(1.0f) + 0.5f, 0); }

// Without meteor pictures both draws are still made, so the sequence goes on as with them, and
// nothing is released.
void tsatellite::launchmeteor() {
    float spin = world->rnd.updf(0.5f) + 0.2f;
    int k = world->rnd.upd(static_cast<int>(img_meteor.size()));
    if (img_meteor.empty()) return;
    generate(img_meteor[static_cast<size_t>(k)], 0, 0.25f, spin, 1);
}

// Meteors first, by a selection sort on art that leaves the empty slots in place.
void tsatellite::sort() {
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        if (!d[i]) continue;
        int v = d[i]->art;
        for (int j = i; j < n; j++) {
            if (d[j] && d[j]->art > v) {
                std::swap(d[i], d[j]);
                v = d[i]->art;
            }
        }
    }
}

void tsatellite::upd() {
    if (wait <= 0) {
        if (world->rnd.upd(2) != 0) launchsatellite();
        else
            launchmeteor();
        wait = world->rnd.upd(maxwait) + minwait;
    }
    wait--;
    each([](tsatellitedata& s, int) { return s.upd(); });
}

void tsatellite::draw() const {
    each([](const tsatellitedata& s, int) { s.draw(); });
    SetRotation(0);
}
