// combat/rocket.cpp — missiles of both sides.
#include "combat/rocket.h"

#include <algorithm>
#include <cmath>

#include "combat/gun.h"
#include "combat/house.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"

void trocketdata::generate(float startx_, float starty_, float impactx_, float impacty_,
                           float speed, int owner_, int wait_, TImage* pic_) {
    owner = owner_;
    pic = pic_;
    startx = startx_;
    starty = starty_;
    impactx = impactx_;
    impacty = impacty_;
    float dx = impactx - startx, dy = impacty - starty;
    steps = std::sqrt(dx * dx + dy * dy) / speed;
    // Start and aim never coincide for the game's callers; should they, the missile stands
    // still and explodes on its first flying frame instead of moving by 0 / 0.
    if (steps > 0) {
        speedx = dx / steps;
        speedy = dy / steps;
    } else {
        steps = 0;
        speedx = speedy = 0;
    }
    x = startx;
    y = starty;
    wait = wait_ != 0 ? wait_ : world->rnd.upd(200);
}

// The launch whistle fades out, unless its channel has gone to another sound meanwhile.
void trocketdata::releasesound() const {
    if (owner == side_enemy) return;
    world->snd.release(chn, world->snd.s[smp_launch]);
}

int trocketdata::collisionrocket() {
    if (owner == side_enemy) return 0;
    int n = static_cast<int>(world->rockets.d.size());
    for (int i = 0; i < n; i++) {
        trocketdata* o = world->rockets.d[i].get();
        if (!o || o->owner == owner || o->prg != rocket_flying) continue;
        if (o->x - 10 < x && x < o->x + 10 && o->y - 10 < y && y < o->y + 10) {
            o->prg = rocket_ended;
            world->level.addscore(2);
            world->tnt.generate(o->x, o->y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
            return 1;
        }
    }
    return 0;
}

void trocketdata::destroy() {
    prg = rocket_ended;
    releasesound();
}

int trocketdata::upd() {
    if (prg == rocket_waiting) {
        if (wait == 0) prg = rocket_flying;
        wait--;
        return 0;
    }
    if (prg == rocket_ended) {
        alpha -= 0.02f;
        return alpha > 0 ? 0 : 1;
    }

    x += speedx;
    y += speedy;
    steps -= 1;
    if (owner != side_enemy) {
        tchn& c = world->snd.c[chn];
        if (c.s == &world->snd.s[smp_launch]) c.pan = panat(x, 0.3f);
    }

    // The house test comes first: a missile touching an explosion and a house in the same
    // frame ends as a house hit.
    if (steps < 0 || world->houses.collisionrocket(*this)) {
        world->tnt.generate(x, y, 0.1f, 400, smp_xplo1, 1.0f, owner, 0);
        prg = rocket_ended;
    } else if (world->tnt.collisionrocket(*this)) {
        world->tnt.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, owner, 0);
        prg = rocket_ended;
    } else if (world->guns.collisionrocket(*this)) {
        // The turret boom plays loud; every later big explosion stays at half volume.
        world->snd.s[smp_xplo1].vol = 1.0f;
        world->tnt.generate(x, y, 0.01f, 800, smp_xplo1, 0.5f, side_player, 0);
        world->snd.s[smp_xplo1].vol = 0.5f;
        prg = rocket_ended;
    } else if (collisionrocket()) {
        world->tnt.generate(x, y, 0.1f, 400, smp_xplo1, 1.0f, side_player, 1);   // the combo explosion
        prg = rocket_ended;
    }
    if (prg == rocket_ended) releasesound();

    defend();
    return 0;
}

// The title screen plays itself: each enemy missile high enough up is answered once, from the
// ready turret nearest to where the missile will be halfway down its remaining flight.
void trocketdata::defend() {
    if (world->level.prg != level_title || owner != side_enemy || ai_check != 0 || y > 220) return;
    if (ai_wait != 0) {
        ai_wait--;
        return;
    }
    float h = steps / 2;
    float px = x + speedx * h, py = y + speedy * h;
    tgundata* best = nullptr;
    float bestdist = 320000;
    for (auto& g : world->guns.d) {
        if (!g || g->operational == 0 || g->ammo == 0 || g->cooldown != 0) continue;
        float dx = g->x - px, dy = g->y - py;
        float dist = std::sqrt(dx * dx + dy * dy);
        if (dist < bestdist) {
            bestdist = dist;
            best = g.get();
        }
    }
    if (!best) return;
    ai_check = 1;
    float dx = best->x - x, dy = best->y - y;
    int r1 = world->rnd.upd(4);
    float t = std::sqrt(dx * dx + dy * dy) / static_cast<float>(3 + r1);
    int r2 = world->rnd.upd(51);
    world->guns.ai_x = x + speedx * t + static_cast<float>(r2) - 25;
    int r3 = world->rnd.upd(51);
    world->guns.ai_y = std::min(y + speedy * t + static_cast<float>(r3) - 25, 355.0f);
    world->rockets.generate(best->x, best->y, world->guns.ai_x, world->guns.ai_y, world->level.speed * 2, side_player,
                            1, img_trailplayer);
    best->cooldown = 240;
}

void trocketdata::draw() const {
    if (prg == rocket_waiting) return;
    SetAlpha(alpha);
    drawbeam(pic, x, y, startx, starty, 7);
    if (prg != rocket_flying) return;

    // The head rides on the trail's transform, its top towards the flight. Before the first
    // move there is no trail yet, so the transform comes from the flight direction instead.
    float m[16];
    std::copy(world->drawmatrix, world->drawmatrix + 16, m);
    if (x == startx && y == starty) {
        float len = std::sqrt(speedx * speedx + speedy * speedy);
        if (len == 0) return;
        float ux = world->viewscalex * -speedx / len, uy = world->viewscaley * -speedy / len;
        m[0] = uy; m[1] = -ux; m[4] = ux; m[5] = uy;
        m[12] = x * world->viewscalex;
        m[13] = y * world->viewscaley;
    }
    ModelviewPush();
    ModelviewLoad(m);
    SetScale(1, 1);
    DrawImage(img_rocket, 0, 0);
    ModelviewPop();

    SetAlpha(0.33f);
    SetColor(192, 128, 64);
    DrawLine(impactx + 2 * world->viewscalex, impacty, impactx - 2 * world->viewscalex, impacty);
    DrawLine(impactx, impacty + 2 * world->viewscaley, impactx, impacty - 2 * world->viewscaley);
    SetColor(255, 255, 255);
}

void trocket::generate(float startx, float starty, float impactx, float impacty, float speed,
                       int owner, int wait, TImage* pic) {
    trocketdata& r = add();
    r.generate(startx, starty, impactx, impacty, speed, owner, wait, pic);
    if (owner != side_enemy) {
        tsmp& s = world->snd.s[smp_launch];
        s.pan = panat(startx, 0.3f);
        world->snd.play(s, std::min(0.5f, 80 / r.steps), -1);
        r.chn = world->snd.chn;
    } else {
        count++;
    }
}

void trocket::removeall() {
    clearall();
    count = 0;
}

void trocket::remove(int i) {
    if (i < 0 || i >= static_cast<int>(d.size()) || !d[i]) return;
    if (d[i]->owner == side_enemy) count--;
    empty(i);
}

void trocket::upd() {
    each([this](trocketdata& r, int i) {
        if (r.upd()) remove(i);
        return 0;
    });
}

void trocket::draw() const {
    each([](const trocketdata& r, int) { r.draw(); });
    SetAlpha(1);
    SetScale(1, 1);
}
