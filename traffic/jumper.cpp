// traffic/jumper.cpp — the parachute jumper.
#include "traffic/jumper.h"

#include <algorithm>
#include <cmath>

#include "combat/fire.h"
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
#include "sky/rain.h"

namespace {

// The first row of the skyline picture, from the top, whose pixel in column cx is fully
// opaque: the roof. A column without one (or outside the picture) gives the picture's height.
int roof(const TImage* city, int cx) {
    if (!city || city->pixmaps.empty()) return city ? city->height : 0;
    const TPixmap& p = city->pixmaps[0];
    int h = std::min(city->height, p.height);
    if (cx < 0 || cx >= city->width || cx >= p.width) return city->height;
    int row = 0;
    int a = 0;
    while (row < h) {
        getpixelbytes(&a, p, cx, row, 1, 3);
        if (a == 255) break;
        row++;
    }
    return row < h ? row : city->height;
}
}

void tjumper::init() { wait = world->rnd.upd(maxwait) + minwait; }

// A new jump: a random column of the skyline, standing on its roof.
void tjumper::generate() {
    prg = jumper_onroof;
    wait = 200;   // the caller's decrement follows at once: 200 frames on the roof
    int cityw = img_city ? img_city->width : 0;
    int jumperw = img_jumper ? img_jumper->width : 0;
    int cx = Int(static_cast<float>(world->rnd.upd(cityw - jumperw)) + jumperw2);
    x = static_cast<float>(cx);
    y = static_cast<float>(roof(img_city, cx)) - jumperh2;
    speedy = world->rnd.updf(0.4f) + 0.1f;
    // Three draws that always give 0: the sway starts at its limit 1, the glide at rest.
    fym = static_cast<float>(world->rnd.upd(0) + 1);
    fx = static_cast<float>(world->rnd.upd(0));
    fy = static_cast<float>(world->rnd.upd(0)) - 0.02f;
    sy = world->rnd.updf(0.01f) - 0.005f;
    if (x >= 400) {
        sx = world->rnd.updf(-0.005f) - 0.005f;   // the right half glides left
        fx = -fx;
    } else {
        sx = world->rnd.updf(0.005f) + 0.005f;
    }
}

// Lost: sixteen red pieces, and a new wait before the next jump.
void tjumper::destroy() {
    prg = jumper_waiting;
    wait = world->rnd.upd(maxwait) + minwait;
    const int red[3] = {235, 20, 0};
    world->particles.scatter(x, y, {0.4f, 0.2f, 0.4f, 0.2f, 2000, 0.01f, 0.6f, 0.05f}, red, red, img_explosion1);
}

// A missile of either side in flight: a point lost whoever fired; its blast is owned like it.
thitbox tjumper::box() const { return {x, y, jumperw2, jumperh2}; }

int tjumper::collisionrocket() {
    trocketdata* m = missilein(box());
    if (!m) return 0;
    world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
    world->level.addscore(-1);
    world->tnt.generate(m->x, m->y, 0.1f, 400, smp_xplo1, 1.0f, m->owner, 0);
    m->destroy();
    return 1;
}

// Coming down into a fire on the street; the fire burns on.
int tjumper::collisionfire() {
    int n = static_cast<int>(world->fires.d.size());
    for (int i = 0; i < n; i++) {
        const tfiredata* f = world->fires.d[i].get();
        if (!f) continue;
        if (f->x < x && x < f->x + f->w && y > 370) {
            world->tnt2.generate(x, y, 0.5f, 100, smp_xplo2, 1.0f, side_enemy, 0);
            world->level.addscore(-1);
            return 1;
        }
    }
    return 0;
}

int tjumper::upd() {
    if (prg == jumper_waiting) {
        if (wait == 0) generate();
        wait--;
    } else if (prg == jumper_onroof) {
        if (wait == 0) {
            prg = jumper_inair;   // the leap
            world->snd.play(world->snd.s[smp_jumper], world->rnd.updf(0.2f) + 0.8f, -1);
        } else {
            wait--;
        }
    } else {
        x = x + (fx + world->rain.wind);
        y = y + (speedy + fy);
        if (y > 400 + jumperh2 || x > 800 + jumperw2 || x < -jumperw2) {
            prg = jumper_waiting;   // out of the sky, safe and sound
            wait = world->rnd.upd(maxwait) + minwait;
            return 0;
        }
        fx = fx + sx;
        fy = fy + sy;
        if (fy < -fym) sy = world->rnd.updf(0.01f) + 0.005f;
        else if (fy > fym) sy = world->rnd.updf(-0.01f) - 0.005f;
        if (fx > 0.7f) {
            fx = 0.7f;
            sx = world->rnd.updf(-0.005f) - 0.005f;
        } else if (fx < -0.7f) {
            fx = -0.7f;
            sx = world->rnd.updf(0.005f) + 0.005f;
        }
    }
    // Only in the air can anything hit it, from the frame of the leap on.
    if (prg == jumper_inair && (collisionrocket() || collisionfire())) destroy();
    return 0;
}

void tjumper::draw() const {
    if (prg == jumper_waiting) return;
    SetScale(std::signbit(sx) ? -1.0f : 1.0f, 1);   // the picture faces right
    DrawImage(img_jumper, x, y, 0);
    SetScale(1, 1);
}
