// traffic/chopper.cpp — helicopters.
#include "traffic/chopper.h"

#include <cmath>

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
#include "traffic/jumper.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"

void tchopperdata::generate() {
    img = img_chopper[world->rnd.upd(static_cast<int>(img_chopper.size()))];
    iw2 = img->width / 2;
    ih2 = img->height / 2;
    speedx = 0.7f;
    if (world->rnd.upd(2) != 0) {
        x = static_cast<float>(-iw2);        // enters at the left, flies right
    } else {
        x = static_cast<float>(800 + iw2);
        speedx = -0.7f;
    }
    y = static_cast<float>(320 - world->rnd.upd(160));
    // Three draws that always give 0: the sway starts at its limit 1, the speeds just below 0.
    fxm = static_cast<float>(world->rnd.upd(0) + 1);
    fx = static_cast<float>(world->rnd.upd(0)) - 0.02f;
    fy = static_cast<float>(world->rnd.upd(0)) - 0.02f;
    sx = world->rnd.updf(0.01f) - 0.005f;
    if (y >= 190) sy = world->rnd.updf(-0.005f) - 0.005f;   // low: climbs
    else sy = world->rnd.updf(0.005f) + 0.005f;             // high: sinks
    chn = startengine(smp_chopper, x);
}

// The engine fades out; sixteen green pieces fly.
void tchopperdata::destroy() {
    const int col[3] = {55, 155, 55};
    wreck(chn, smp_chopper, x, y, {1.0f, 0.8f, 1.0f, 0.5f, 5000, 0.01f, 1.4f, 0.1f}, col);
}

thitbox tchopperdata::box() const { return {x, y, static_cast<float>(iw2), static_cast<float>(ih2)}; }

// Enemy explosions only: the player's never harm a helicopter.
int tchopperdata::collisiontnt() { return world->tnt.enemyreaches(x, y) ? 1 : 0; }

// A missile of either side flying into the helicopter; the player pays for his own.
int tchopperdata::collisionrocket() {
    trocketdata* m = missilein(box());
    if (!m) return 0;
    if (m->owner != side_enemy) world->level.addscore(-3);
    world->tnt.generate(m->x, m->y, 0.1f, 400, smp_xplo1, 1.0f, m->owner, 0);
    m->destroy();
    return 1;
}

// Meeting a UFO brings both down, for no points.
int tchopperdata::collisionufo() {
    int n = static_cast<int>(world->ufos.d.size());
    for (int i = 0; i < n; i++) {
        tufodata* u = world->ufos.d[i].get();
        if (!u) continue;
        if (box().contains(u->x, u->y)) {
            world->tnt2.generate(u->x, u->y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
            u->destroy();
            world->ufos.empty(i);
            return 1;
        }
    }
    return 0;
}

// The rotor takes the jumper in the air; the helicopter flies on.
int tchopperdata::collisionjumper() {
    if (world->jumpers.prg != jumper_inair) return 0;
    if (box().contains(world->jumpers.x, world->jumpers.y)) {
        world->tnt2.generate(world->jumpers.x, world->jumpers.y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        world->level.addscore(-1);
        world->jumpers.destroy();
    }
    return 0;
}

int tchopperdata::upd() {
    x = x + (speedx + fx);
    y = y + fy;
    fx = fx + sx;
    fy = fy + sy;
    tchn& c = world->snd.c[chn];
    if (c.s == &world->snd.s[smp_chopper]) c.pan = panat(x, 0.35f);

    if (fx < -fxm) sx = world->rnd.updf(0.01f) + 0.005f;
    else if (fx > fxm) sx = world->rnd.updf(-0.01f) - 0.005f;
    if (fy > 0.7f) {
        fy = 0.7f;
        sy = world->rnd.updf(-0.005f) - 0.005f;
    } else if (fy < -0.7f) {
        fy = -0.7f;
        sy = world->rnd.updf(0.005f) + 0.005f;
    }
    if (y > 320) sy = -0.05f;   // the floor: never far below 320
    if ((speedx < 0 && x < -iw2) || (speedx >= 0 && x > 800 + iw2)) return 1;

    // Away from enemy explosions and from meteors in sight; the last threat found decides.
    auto evade = [this](float ex, float ey, float r) {
        float dx = ex - x, dy = ey - y;
        if (!inreach(ex, ey, x, y, r)) return;
        sx = dx >= 0 ? -0.05f : 0.05f;
        sy = dy >= 0 ? -0.05f : 0.05f;
    };
    int n = static_cast<int>(world->tnt.d.size());
    for (int i = 0; i < n; i++) {
        const ttntdata* e = world->tnt.d[i].get();
        if (e && e->owner == side_enemy) evade(e->x, e->y, e->mainsize + evaderadius);
    }
    n = static_cast<int>(world->satellites.d.size());
    for (int i = 0; i < n; i++) {
        const tsatellitedata* m = world->satellites.d[i].get();
        if (m && m->art == kind_meteor && m->seen == 1) evade(m->x, m->y, m->imgw2 + evaderadius);
    }

    collisionjumper();
    if (collisiontnt() || collisionrocket() || collisionufo()) {
        world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, side_player, 0);
        destroy();
        return 1;
    }

    if (cooldown != 0) {
        cooldown--;
        if (laser != 0) laser--;
        return 0;
    }
    // The gun: the first UFO in reach, else the first enemy missile in flight in reach.
    n = static_cast<int>(world->ufos.d.size());
    for (int i = 0; i < n; i++) {
        tufodata* u = world->ufos.d[i].get();
        if (!u || !inreach(x, y, u->x, u->y, laserradius)) continue;
        fire(u->x, u->y);
        world->level.addscore(10);
        u->destroy();
        world->ufos.empty(i);
        return 0;
    }
    n = static_cast<int>(world->rockets.d.size());
    for (int i = 0; i < n; i++) {
        trocketdata* m = world->rockets.d[i].get();
        if (!m || m->prg != rocket_flying || m->owner != side_enemy) continue;
        if (!inreach(x, y, m->x, m->y, laserradius)) continue;
        fire(m->x, m->y);
        world->level.addscore(2);
        m->destroy();
        return 0;
    }
    return 0;
}

// A burst at (tx, ty): the beam, the gun's sound and a blast where it hits.
void tchopperdata::fire(float tx, float ty) {
    cooldown = maxcooldown;
    laser = static_cast<int>(maxlaser);
    tsmp& s = world->snd.s[smp_gun];
    s.pan = panat(x, 0.3f);
    world->snd.play(s, world->rnd.updf(0.4f) + 0.8f, -1);
    targetx = tx;
    targety = ty;
    world->tnt.generate(targetx, targety, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
}

void tchopperdata::draw() const {
    if (laser != 0) {
        SetAlpha(static_cast<float>(laser) / maxlaser);
        SetColor(205, 205, 205);
        drawbeam(img_line, x, y, targetx, targety, 4);
        SetAlpha(1);
        SetColor(255, 255, 255);
    }
    SetScale(std::signbit(speedx + fx) ? -1.0f : 1.0f, 1);   // the picture faces right
    DrawImage(img, x, y, 0);
}

void tchopper::init() { wait = world->rnd.upd(maxwait); }

void tchopper::generate() {
    if (img_chopper.empty()) return;   // a build without helicopter pictures has none
    add().generate();
}

void tchopper::upd() {
    if (wait <= 0) {
        generate();
        wait = world->rnd.upd(maxwait);
    }
    wait--;
    each([](tchopperdata& r, int) { return r.upd() != 0 ? 1 : 0; });
}

void tchopper::draw() const {
    each([](const tchopperdata& r, int) { r.draw(); });
    SetScale(1, 1);
}
