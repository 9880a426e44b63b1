// combat/particle.cpp — debris and flames.
#include "combat/particle.h"

#include <cmath>

#include "framework/rnd.h"
#include "game/world.h"
#include "platform/strings.h"
#include "sky/rain.h"

void tparticledata::generate(float x_, float y_, float speedx_, float speedy_, int life_,
                             float grav_, float bounce_, float size_, const int* col1_,
                             const int* col2_, TImage* img_) {
    x = x_;
    y = y_;
    speedx = speedx_;
    speedy = speedy_;
    life = life_;
    maxlife = static_cast<float>(life_);
    grav = grav_;
    bounce = bounce_;
    bouncey = 370 + world->rnd.updf(30.0f);   // the ground is uneven, 370 to 400
    size = size_;
    for (int k = 0; k < 3; k++) {
        col1[k] = col1_[k];
        col2[k] = col2_[k];
    }
    img = img_;
    rot = world->rnd.updf(360.0f);
}

int tparticledata::upd() {
    // A particle made without any life left (or a negative one) goes at once instead of
    // lingering for ever.
    if (life <= 0) return 1;
    life--;
    lifediv = static_cast<float>(life) / maxlife;
    if (prg == particle_still) return (x < 0 || x > 800) ? 1 : 0;   // lying still, ageing

    rot += speedx * 4;                 // spins with its sideways speed
    speedy += grav;
    x += speedx;
    y += speedy;
    if (bounce == 0) {
        speedx += world->rain.wind / 400;
        return (y > 400 || x < 0 || x > 800) ? 1 : 0;
    }
    if (y < bouncey) {
        speedx += world->rain.wind / 400;
        return 0;
    }
    y = bouncey;
    speedx = speedx - world->rnd.updf(speedx * (1 - speedy) / 20);
    speedy = speedy - speedy * (bounce - world->rnd.updf(bounce / 4));
    if (std::fabs(speedy) < 0.01f && std::fabs(speedx) < 0.01f) prg = particle_still;
    return 0;
}

void tparticledata::draw() const {
    SetAlpha(lifediv);
    SetTransform(rot, size * world->particlesize, size * world->particlesize);
    // From the birth colour to the death colour over the life.
    SetColor(static_cast<int>(static_cast<float>(col2[0]) + static_cast<float>(col1[0] - col2[0]) * lifediv),
             static_cast<int>(static_cast<float>(col2[1]) + static_cast<float>(col1[1] - col2[1]) * lifediv),
             static_cast<int>(static_cast<float>(col2[2]) + static_cast<float>(col1[2] - col2[2]) * lifediv));
    DrawImage(img, x, y);
}

void tparticle::generate(float x, float y, float speedx, float speedy, int life, float grav,
                         float bounce, float size, const int* col1, const int* col2,
                         TImage* img) {
    add().generate(x, y, speedx, speedy, life, grav, bounce, size, col1, col2, img);
    changes++;
}

void tparticle::scatter(float x, float y, const tdebris& how, const int* col1, const int* col2,
                        TImage* img) {
    for (int i = 0; i < 16; i++) {
        float a = world->rnd.updf(360.0f);
        float vy = world->rnd.updf(how.vy) - how.vyless;
        float vx = world->rnd.updf(how.vx) - how.vxless;
        generate(static_cast<float>(x + Sin(a) * 5), static_cast<float>(y + Cos(a) * 5), vx, vy,
                 how.life, how.grav, how.bounce, how.size, col1, col2, img);
    }
}

// Moves the particles to the front in their order and gives back whole blocks of 16 slots.
void tparticle::cleanup() {
    changes++;
    size_t c = 0;
    for (size_t i = 0; i < d.size(); i++)
        if (d[i]) {
            if (i != c) d[c] = std::move(d[i]);
            c++;
        }
    if (c != 0) c--;
    size_t n = c / 16 * 16 + 16;
    if (n < d.size()) d.resize(n);
}

void tparticle::upd() {
    int dropped = 0;
    each([&dropped](tparticledata& p, int) {
        int r = p.upd();
        dropped += r;
        return r;
    });
    if (dropped) cleanup();
}

void tparticle::draw() const {
    each([](const tparticledata& p, int) { p.draw(); });
    SetTransform(0, 1, 1);
    SetAlpha(1);
    SetColor(255, 255, 255);
}
