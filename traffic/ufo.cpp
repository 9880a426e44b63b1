// traffic/ufo.cpp — UFOs.
#include "traffic/ufo.h"

#include "combat/hit.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "combat/txt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/strings.h"
#include "traffic/car.h"
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"

namespace {

template <class L>
int length(const L& list) {
    return static_cast<int>(list.d.size());
}

}  // namespace

void tufodata::generate() {
    speedx = world->rnd.updf(0.8f) + 0.4f;
    if (world->rnd.upd(2) != 0) {
        speedx = -speedx;   // in at the left edge, heading right
        x = static_cast<float>(-world->ufos.iw2);
    } else {
        x = static_cast<float>(800 + world->ufos.iw2);
    }
    y = static_cast<float>(world->rnd.upd(130) + world->ufos.ih2);
    maxspeedx = speedx;
    fly = world->rnd.upd(120) + 60;
    fy = world->rnd.updf(2.0f) - 1.0f;
    chn = startengine(smp_ufo, x);
}

// Whoever downs a UFO calls this and empties its slot.
void tufodata::destroy() {
    const int black[3] = {0, 0, 0};   // black chunks
    wreck(chn, smp_ufo, x, y, {1.0f, 0.8f, 1.0f, 0.5f, 5000, 0.02f, 1.5f, 0.2f}, black);
}

thitbox tufodata::box() const {
    return {x, y, static_cast<float>(world->ufos.iw2), static_cast<float>(world->ufos.ih2)};
}

// A player's blast that swallows a UFO adds to its chain and pays 10 per link; an enemy blast
// downs it for nothing.
int tufodata::collisiontnt() {
    ttntdata* e = blastat(x, y);
    if (!e) return 0;
    if (e->owner != side_enemy) {
        e->combo++;
        if (e->combo > 1) world->texts.generate(world->txtcombo + Str(e->combo), e->x, e->y, 1.0f);
        world->level.addscore(10 * e->combo);
    }
    return 1;
}

// A jumper gliding through the UFO is lost; the UFO flies on.
int tufodata::collisionjumper() {
    if (world->jumpers.prg != jumper_inair) return 0;
    float jx = world->jumpers.x, jy = world->jumpers.y;
    if (box().contains(jx, jy)) {
        world->tnt2.generate(jx, jy, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        world->level.addscore(-1);
        world->jumpers.destroy();
    }
    return 0;
}

// A missile of either side flying into the UFO leaves a large blast that starts a chain.
int tufodata::collisionrocket() {
    trocketdata* m = missilein(box());
    if (!m) return 0;
    if (m->owner != side_enemy) world->level.addscore(10);
    world->tnt.generate(m->x, m->y, 0.1f, 400, smp_xplo1, 1.0f, m->owner, 1);
    m->destroy();
    return 1;
}

namespace {

// Head for the nearest half when a threat lies within r on both axes.
void evade(tufodata& u, float tx, float ty, float r) {
    float dx = tx - u.x, dy = ty - u.y;
    if (!::inreach(tx, ty, u.x, u.y, r)) return;
    u.checkradius = 120;
    u.speedx = dx >= 0 ? Abs(u.speedx) : -Abs(u.speedx);   // positive flies left
    u.fy = dy >= 0 ? -Abs(u.fy) : Abs(u.fy);
}

bool inreach(const tufodata& u, float tx, float ty) { return ::inreach(u.x, u.y, tx, ty, tufodata::laserradius); }

// What the laser does to a unit of a list: nothing (not a target: the walk goes on), or a hit
// that leaves it in its slot, or one that ends it (its slot is emptied).
enum tlaserhit : int { laser_skip, laser_stays, laser_gone };

// The first unit of `list` in reach that `hit` takes, in the list's order; true when it fired.
template <class L, class Hit>
bool shootfirst(const tufodata& u, L& list, Hit hit) {
    for (int i = 0, n = length(list); i < n; i++) {
        auto* r = list.d[i].get();
        if (!r || !inreach(u, r->x, r->y)) continue;
        int what = hit(*r);
        if (what == laser_skip) continue;
        if (what == laser_gone) list.empty(i);
        return true;
    }
    return false;
}

// Shoots the first thing in reach, the kinds searched in a fixed order; 1 when it fired.
int firelaser(tufodata& u) {
    auto beam = [&u](float tx, float ty) {
        u.cooldown = tufodata::maxcooldown;
        u.laser = static_cast<int>(tufodata::maxlaser);
        tsmp& s = world->snd.s[smp_laser];
        s.pan = panat(u.x, 0.3f);
        world->snd.play(s, world->rnd.updf(0.4f) + 0.8f, -1);
        u.targetx = tx;
        u.targety = ty;
    };
    // the beam, its blast, the points; the unit falls
    auto strike = [&u, beam](float tx, float ty, int points) {
        beam(tx, ty);
        world->tnt2.generate(u.targetx, u.targety, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        world->level.addscore(points);
    };

    if (shootfirst(u, world->rockets, [&](trocketdata& m) {
            if (m.prg != rocket_flying) return laser_skip;
            beam(m.x, m.y);
            // a player's missile bursts as the player's blast, which can still chain and score
            if (m.owner != side_enemy) world->tnt.generate(u.targetx, u.targety, 0.5f, 100, smp_xplo1, 1.5f, m.owner, 0);
            else world->tnt.generate(u.targetx, u.targety, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
            m.destroy();
            return laser_stays;   // the missile list ends it itself
        }))
        return 1;
    if (shootfirst(u, world->planes, [&](tplanedata& p) {
            if (p.art != kind_plane) return beam(p.x, p.y), laser_stays;   // the hero shrugs the beam off
            strike(p.x, p.y, -2);
            p.destroy();
            return laser_gone;
        }))
        return 1;
    if (shootfirst(u, world->cars, [&](tcardata& c) {
            // a car's y is its roof: the beam ends halfway down the body
            strike(c.x, c.y + static_cast<float>(c.img ? c.img->height / 2 : 0), -1);
            c.destroy();
            return laser_gone;
        }))
        return 1;
    if (shootfirst(u, world->satellites, [&](tsatellitedata& s) {
            if (s.seen == 0) return laser_skip;
            strike(s.x, s.y, -2);
            if (s.art == kind_meteor) s.hits--;
            if (s.art == kind_satellite || s.hits <= 0) {
                s.destroy();
                return laser_gone;
            }
            return laser_stays;
        }))
        return 1;
    if (world->jumpers.prg == jumper_inair && inreach(u, world->jumpers.x, world->jumpers.y)) {
        strike(world->jumpers.x, world->jumpers.y, -1);
        world->jumpers.destroy();
        return 1;
    }
    if (shootfirst(u, world->choppers, [&](tchopperdata& c) {
            strike(c.x, c.y, -3);
            c.destroy();
            return laser_gone;
        }))
        return 1;
    return 0;
}

}  // namespace

int tufodata::upd() {
    // Dodging: every explosion and visible meteor close enough turns the course away from it,
    // the last one in scan order deciding; the evasive course is held for 120 frames.
    if (checkradius != 0) {
        checkradius--;
    } else {
        speedx = maxspeedx;
        for (int i = 0, n = length(world->tnt); i < n; i++) {
            const ttntdata* e = world->tnt.d[i].get();
            if (e) evade(*this, e->x, e->y, e->mainsize + evaderadius);
        }
        for (int i = 0, n = length(world->satellites); i < n; i++) {
            const tsatellitedata* s = world->satellites.d[i].get();
            if (s && s->art == kind_meteor && s->seen != 0) evade(*this, s->x, s->y, s->imgw2 + evaderadius);
        }
    }

    if (fly != 0) {
        fly--;
    } else {
        fly = world->rnd.upd(120) + 60;
        fx = world->rnd.updf(2.0f) - 1.0f;
        fy = world->rnd.updf(2.0f) - 0.7f;   // a slight downward bias
    }
    // the upper sky only: y stays within about 0 .. 280
    if (y < 0)
        fy = Abs(fy);
    else if (y > 280)
        fy = -Abs(fy);
    x = x - (speedx + fx);
    y = y + fy;

    // Only the far edge ends the crossing; pushed back over its entry edge it flies on off-screen.
    if ((maxspeedx > 0 && x < static_cast<float>(-world->ufos.iw2)) ||
        (maxspeedx <= 0 && x > static_cast<float>(800 + world->ufos.iw2)))
        return 1;

    collisionjumper();
    if (collisiontnt() || collisionrocket()) {
        world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        destroy();
        return 1;
    }

    if (cooldown != 0) {
        cooldown--;
        if (laser != 0) laser--;
        return 0;
    }
    firelaser(*this);
    return 0;
}

void tufodata::draw() const {
    if (laser != 0) {
        SetAlpha(static_cast<float>(laser) / maxlaser);
        SetColor(255, 0, 96);
        drawbeam(img_beam, x, y, targetx, targety, 4);
        SetAlpha(1);
        SetColor(255, 255, 255);
    }
    SetScale(Sgn(speedx), 1);   // mirrored while heading right
    DrawImage(img_ufo, x, y, 0);
}

void tufo::init() {
    iw2 = img_ufo ? img_ufo->width / 2 : 0;
    ih2 = img_ufo ? img_ufo->height / 2 : 0;
    wait = world->rnd.upd(maxwait);
}

void tufo::generate() { add().generate(); }

void tufo::upd() {
    if (wait <= 0) {
        generate();
        wait = world->rnd.upd(maxwait);
    }
    wait--;
    each([](tufodata& u, int) { return u.upd(); });
}

void tufo::draw() const {
    each([](const tufodata& u, int) { u.draw(); });
    SetScale(1, 1);
}
