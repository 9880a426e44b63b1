// combat/particle.h — spinning, fading sprites with gravity, wind and bouncing.
// `particles` holds debris of destroyed vehicles and people, `particles2` the flames of fires.
// Unlike the other lists these stay compact, so the drawing order is the creation order.
#pragma once

#include "framework/slots.h"
#include "platform/platform.h"

// A particle's `prg`: moving, or lying still on the ground.
enum tparticlestate : int { particle_moving = 0, particle_still = 1 };

struct tparticledata {
    float x = 0, y = 0;
    float speedx = 0, speedy = 0;
    int prg = particle_moving;        // a tparticlestate
    float rot = 0;                    // degrees
    float grav = 0;                   // added to speedy each frame; negative rises
    float bounce = 0;                 // 0: never touches the ground
    float bouncey = 0;                // this particle's ground, 370 .. 400
    float size = 0;
    int life = 0;                     // frames left
    float maxlife = 0;
    float lifediv = 1;                // life / maxlife, also the drawing alpha
    int col1[3] = {};                 // red, green, blue at birth
    int col2[3] = {};                 // red, green, blue at death
    TImage* img = nullptr;

    void generate(float x, float y, float speedx, float speedy, int life, float grav,
                  float bounce, float size, const int* col1, const int* col2, TImage* img);
    int upd();                        // 1: remove
    void draw() const;

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("speedx", speedx); v("speedy", speedy); v("prg", prg);
        v("rot", rot); v("grav", grav); v("bounce", bounce); v("bouncey", bouncey);
        v("size", size); v("life", life); v("maxlife", maxlife); v("lifediv", lifediv);
        v("col1", col1); v("col2", col2); v("img", img);
    }
};

// How a destroyed vehicle or intruder breaks up: each piece's vertical speed is
// rnd.updf(vy) - vyless, its horizontal speed rnd.updf(vx) - vxless.
struct tdebris {
    float vy, vyless, vx, vxless;
    int life;
    float grav, bounce, size;
};

struct tparticle : slots<tparticledata> {
    void generate(float x, float y, float speedx, float speedy, int life, float grav,
                  float bounce, float size, const int* col1, const int* col2, TImage* img);
    // Sixteen pieces from five units around (x, y): for each the angle, then the vertical and
    // the horizontal speed are drawn, in that order.
    void scatter(float x, float y, const tdebris& how, const int* col1, const int* col2,
                 TImage* img);
    void cleanup();
    void upd();
    void draw() const;

    int changes = 0;                  // counts additions and compactions (not game state)

    template <class V> void fields(V& v) { v("d", d); }
    template <class V> void unlisted(V& v) { slots::unlisted(v); v("changes", changes); }
};
