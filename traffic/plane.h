// traffic/plane.h — planes crossing the upper sky, and the flying hero.
// Planes are friendly: losing one costs 2 points, whatever brought it down. One crossing in four
// (never two at once) is the hero, who turns back once at a side edge, catches the missiles that
// touch it (taking the side of whoever fired the last one), rams UFOs and fires a short laser.
#pragma once

#include "combat/hit.h"
#include "framework/slots.h"
#include "platform/platform.h"

// What a `tplanedata` is (`art`).
enum tplanekind : int { kind_plane = 0, kind_hero = 1 };
// The hero's side (`superowner`): the side of the missile that struck him, whose missiles he
// then shoots down (values of tside).
enum theroside : int { hero_neutral = -1, hero_friend = 0, hero_hostile = 1 };

struct tplanedata {
    static constexpr int laserradius = 70;     // half side of the hero's square of reach
    static constexpr int maxcooldown = 120;
    static constexpr float maxlaser = 40.0f;   // frames a beam stays visible
    static constexpr int superchance = 4;
    static constexpr int maxsuperman = 1;

    int art = kind_plane;             // a tplanekind
    float x = 0, y = 0;               // centre
    float speedx = 0;                 // subtracted from x: positive flies left
    float speedy = 0;                 // added to y
    int col[3] = {};                  // tint of the body and of the debris
    TImage* img = nullptr;            // body (or the hero)
    TImage* imgt = nullptr;           // a plane's untinted overlay
    float imgw2 = 0, imgh2 = 0;       // integer halves of img's size
    int chn = 0;                      // engine sound channel, when it has one
    int cooldown = 60;                // frames until the hero may fire
    int laser = 0;                    // frames the last beam stays visible
    float targetx = 0, targety = 0;   // end of the last beam
    int superowner = hero_neutral;    // a theroside
    int superturn = 0;                // 1 once the hero has turned back at a side edge

    void generate();
    void destroy();                   // planes only, never the hero
    thitbox box() const;              // the body's rectangle
    int collisiontnt();
    int collisionrocket();
    int collisionufo();
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("art", art); v("x", x); v("y", y); v("speedx", speedx); v("speedy", speedy);
        v("col", col); v("img", img); v("imgt", imgt); v("imgw2", imgw2); v("imgh2", imgh2);
        v("chn", chn); v("cooldown", cooldown); v("laser", laser); v("targetx", targetx);
        v("targety", targety); v("superowner", superowner); v("superturn", superturn);
    }

    // 1 when chn carries this plane's engine: a plane without one has no channel, and chn alone
    // cannot tell (channel 0 is a channel too). Not part of the dump.
    int engine = 0;
};

struct tplane : slots<tplanedata> {
    static constexpr int maxwait = 2000, minwait = 800;   // a crossing every 800 .. 2799 frames

    int wait = 0;                     // frames until the next crossing
    int countsuper = 0;               // heroes alive (0 or 1)

    void init();                      // the first wait (one draw)
    void generate();                  // one more plane (none when there are no plane pictures)
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("wait", wait); v("countsuper", countsuper); }
};
