// traffic/car.cpp — cars and police cars.
#include "traffic/car.h"

#include <algorithm>
#include <cmath>

#include "combat/fire.h"
#include "combat/particle.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/image.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/strings.h"
#include "sky/rain.h"

namespace {

int height(const TImage* img) { return img ? img->height : 0; }

// Integer division toward minus infinity.
int floordiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}

void tcardata::generate() {
    // A random tint whose brightest channel is full.
    for (int& c : col) c = world->rnd.upd(255);
    int raise = 255 - Max(col[0], Max(col[1], col[2]));
    for (int& c : col) c += raise;

    prg = world->rnd.upd(static_cast<int>(img_car.size()));
    img = img_car[prg];
    imgt = prg < static_cast<int>(img_cart.size()) ? img_cart[prg] : nullptr;
    imgw2 = static_cast<float>((img ? img->width : 0) / 2);

    speed = world->rnd.updf(1.0f) + 0.5f;
    if (world->rnd.upd(2) != 0) {
        speed = -speed;               // the near lane drives right, from the left edge
        x = -imgw2;
        y = 385;
    } else {
        x = 800 + imgw2;              // the far lane drives left, from the right edge
        y = 367;
    }
    y += world->rnd.updf(6.0f) - 3;

    if (world->cars.countpolice < maxpolice && world->rnd.upd(policechance) == 0) {
        art = kind_police;
        world->cars.countpolice++;
        speed *= 1.2f;
        col[0] = col[1] = col[2] = 255;
        img = img_police;             // keeps the drawn type's overlay and half width
        y = static_cast<float>(370 + floordiv(30 - height(img_police), 2)) - 3 * Sgn(speed);
        // Only the first police car on the street may sound its siren.
        if (world->cars.countpolice == 1 && world->rnd.upd(2) != 0) {
            tsmp& s = world->snd.s[smp_sirene];
            s.pan = panat(x, 0.5f);
            world->snd.play(s, 0.9f + world->rnd.updf(0.1f), -1);
            chn = world->snd.chn;
            siren = 1;
        }
    } else if (world->rnd.upd(5) == 0) {
        // Passing noise, drifting across towards the other side; not followed.
        tsmp& s = world->snd.s[smp_traffic1 + world->rnd.upd(3)];
        s.pan = panat(x, 0.4f);
        s.panfade = Sgn(x) * -0.001f;
        world->snd.play(s, 0.9f + world->rnd.updf(0.1f), -1);
    }
    maxspeed = speed;
}

bool tcardata::sirenplaying() const {
    return siren != 0 && chn >= 0 && chn < static_cast<int>(world->snd.c.size()) &&
           world->snd.c[chn].s == &world->snd.s[smp_sirene];
}

void tcardata::destroy() {
    if (art == kind_police) {
        world->cars.countpolice--;
        if (sirenplaying()) world->snd.c[chn].released = 1;
    }
    world->particles.scatter(x, y, {-1.0f, 0, 1.0f, 0.5f, 2000, 0.01f, 1.4f, 0.05f}, col, col, img_explosion1);
}

// Enemy explosions only: the player's never wreck cars, and police cars drive through them.
int tcardata::collisiontnt() { return art == kind_car && world->tnt.enemyreaches(x, y) ? 1 : 0; }

int tcardata::collisionflash() {
    if (world->rain.flash == 0) return 0;
    float bx = world->rain.flashobj.x;
    return x - imgw2 < bx && bx < x + imgw2 ? 1 : 0;
}

// Debris lying in the car's way is kicked along at half its speed.
void tcardata::collisionparticle() {
    float h = static_cast<float>(height(img));
    auto kick = [this, h](tparticledata* p) {
        if (!p || !(x - imgw2 < p->x && p->x < x + imgw2 && y < p->y && p->y < y + h)) return;
        p->prg = particle_moving;
        p->speedx = speed * -0.5f;
        p->bouncey += world->rnd.updf(1.0f) - 0.5f;
    };
    if (const std::vector<int>* near = world->cars.streetdebris(y, y + h)) {
        for (int i : *near) kick(world->particles.d[i].get());
        return;
    }
    int n = static_cast<int>(world->particles.d.size());
    for (int i = 0; i < n; i++) kick(world->particles.d[i].get());
}

int tcardata::upd() {
    x -= speed;
    if (x < -imgw2 || x > 800 + imgw2) {
        if (art == kind_police) {
            world->cars.countpolice--;
            if (sirenplaying()) world->snd.c[chn].released = 1;   // the siren fades as it drives off
        }
        return 1;
    }

    collisionparticle();

    // A wrecked car leaves a small blast and debris, but lights no fire: only a turret that is
    // hit burns.
    if (collisiontnt() || collisionflash()) {
        world->tnt2.generate(x, y + static_cast<float>(height(img) / 2), 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
        destroy();
        world->level.addscore(-1);
        return 1;
    }

    if (art == kind_police && sirenplaying()) world->snd.c[chn].pan = panat(x, 0.5f);

    prg = car_cruising;
    policedisti = 0;

    // Harmful enemy explosions whose disc reaches down below the car's top.
    int n = static_cast<int>(world->tnt.d.size());
    for (int i = 0; i < n; i++) {
        ttntdata* e = world->tnt.d[i].get();
        if (!e || e->owner != side_enemy || !(y < e->y + e->mainsize)) continue;
        float r = e->mainsize + 100;
        if (art == kind_police) {
            if (e->x - r < x && x < e->x + r) {
                prg = car_braking;
                if (e->time > 1) {
                    e->time--;        // the water puts it out a frame sooner every frame
                    policedisti = 1;
                    distix = e->x;
                    distiy = e->y;
                }
            } else {
                speed = x <= e->x ? -Abs(speed) : Abs(speed);   // off to the scene
            }
        } else if (speed > 0) {
            if (e->x < x && x < e->x + r) prg = car_braking;   // only explosions ahead count
        } else {
            if (e->x - r < x && x < e->x) prg = car_braking;
        }
    }

    n = static_cast<int>(world->fires.d.size());
    for (int i = 0; i < n; i++) {
        tfiredata* f = world->fires.d[i].get();
        if (!f) continue;
        if (art == kind_police) {
            if (f->x - 70 < x && x < f->x + f->w + 70) {
                prg = car_braking;
                if (f->life > 2) {
                    f->life -= 2;
                    policedisti = 1;
                    distix = f->x;
                    distiy = f->y;
                }
            } else {
                speed = x <= f->x ? -Abs(speed) : Abs(speed);
            }
        } else if (speed > 0) {
            if (f->x + f->w < x && x < f->x + f->w + 70) prg = car_braking;
        } else {
            if (f->x - 70 < x && x < f->x) prg = car_braking;
        }
    }

    // Queueing: a police car cruising close by in either lane, or a car of our lane just ahead.
    if (art == kind_car) {
        float g = static_cast<float>((img ? img->width : 0) + 15);
        n = static_cast<int>(world->cars.d.size());
        for (int i = 0; i < n; i++) {
            tcardata* o = world->cars.d[i].get();
            if (!o || o == this) continue;
            bool match;
            if (o->art == kind_police) match = o->prg == car_cruising && x - g < o->x && o->x < x + g;
            else if (speed > 0) match = o->speed > 0 && x - g < o->x && o->x < x;
            else match = o->speed < 0 && x < o->x && o->x < x + g;
            if (!match) continue;
            prg++;
            if (o->art == kind_car) {
                o->speed = Sgn(o->speed) * (world->rnd.updf(1.0f) + 0.5f);
                speed = Sgn(speed) * (world->rnd.updf(1.0f) + 0.5f);
            }
            break;
        }
    }

    if (prg != car_cruising) {
        speed *= 0.95f;
        // Stuck behind a car at a hazard: one horn per stop, one horn in the street per 24 frames.
        if (horn == 0 && world->cars.hornwait == 0 && prg == car_jammed) {
            horn = 1;
            world->cars.hornwait = world->cars.maxhornwait;
            tsmp& s = world->snd.s[smp_horn1 + world->rnd.upd(2)];
            s.pan = panat(x, 0.3f);
            world->snd.play(s, 0.8f + world->rnd.updf(0.2f), -1);
        }
    } else {
        // Back up to cruising speed; a police car that turned about drives back its first way.
        horn = 0;
        if (maxspeed > 0) speed = Min(speed + maxspeed / 80, maxspeed);
        else speed = Max(speed + maxspeed / 80, maxspeed);
    }
    return 0;
}

void tcardata::draw() const {
    int h2 = height(img) / 2;
    if (policedisti != 0) {
        SetAlpha(0.8f);
        SetColor(0, 196, 255);        // the water jet
        drawbeam(img_beam, x, y + static_cast<float>(h2), distix, distiy, 7);
        SetAlpha(1);
    }
    SetScale(std::signbit(speed) ? -1.0f : 1.0f, 1);   // the pictures face left
    SetColor(col[0], col[1], col[2]);
    DrawImage(img, x, y);
    SetColor(255, 255, 255);
    if (art == kind_car && imgt) DrawImage(imgt, x, y);
}

void tcar::generate() {
    if (img_car.empty()) return;      // a build without car pictures has no traffic
    add().generate();
    sort();
}

// Ascending y, equal values in their order, empty slots where they are.
void tcar::sort() {
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        if (!d[i]) continue;
        float a = d[i]->y;
        for (int j = i; j < n; j++) {
            if (!d[j] || !(d[j]->y < a)) continue;
            std::swap(d[i], d[j]);
            a = d[i]->y;
        }
    }
}

void tcar::upd() {
    if (wait == 0) {
        generate();
        wait = minwait + world->rnd.upd(maxwait);
    }
    wait--;
    if (hornwait != 0) hornwait--;
    moving = true;
    debrischanges = -1;
    each([](tcardata& c, int) { return c.upd() != 0 ? 1 : 0; });
    moving = false;
}

const std::vector<int>* tcar::streetdebris(float top, float bottom) {
    if (!moving) return nullptr;
    if (debrischanges == world->particles.changes && debristop <= top && bottom <= debrisbottom) return &debris;
    // The band of every car on the street (cars keep their height while they drive).
    debristop = top, debrisbottom = bottom;
    each([this](const tcardata& c, int) {
        debristop = std::min(debristop, c.y);
        debrisbottom = std::max(debrisbottom, c.y + static_cast<float>(height(c.img)));
        return 0;
    });
    debris.clear();
    for (int i = 0; i < static_cast<int>(world->particles.d.size()); i++) {
        const tparticledata* p = world->particles.d[i].get();
        if (p && debristop < p->y && p->y < debrisbottom) debris.push_back(i);
    }
    debrischanges = world->particles.changes;
    return &debris;
}

void tcar::draw() const {
    each([](const tcardata& c, int) { c.draw(); });
    SetScale(1, 1);
}
