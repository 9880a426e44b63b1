// combat/rocket.h — missiles of both sides: waiting, flying in a straight line, fading trail.
// Enemy missiles fall from the top edge to the street; the player's rise from a turret to the
// point that was clicked. On the title screen the enemy missile's own update fires the defence.
#pragma once

#include "framework/slots.h"
#include "platform/platform.h"

// Whose a missile is (`owner`); its explosions keep the side.
enum tside : int { side_enemy = 0, side_player = 1 };
// A missile's `prg`.
enum trocketstate : int {
    rocket_waiting = 0,               // before launch, not drawn
    rocket_flying = 1,
    rocket_ended = 2,                 // burst or caught; the trail fades
};

struct trocketdata {
    float startx = 0, starty = 0;     // launch point
    float impactx = 0, impacty = 0;   // aim point
    float x = 0, y = 0;
    float steps = 0;                  // frames of flight still to go
    float speedx = 0, speedy = 0;     // movement per frame
    int wait = 0;                     // frames before launch
    float alpha = 1;                  // trail opacity, fades after the end
    int owner = side_enemy;           // a tside
    int chn = 0;                      // channel of the launch whistle (player missiles)
    TImage* pic = nullptr;            // trail picture
    int prg = rocket_waiting;         // a trocketstate
    int ai_check = 0;                 // 1 once the title-screen defence has answered it
    int ai_wait = 60;                 // title-screen reaction delay

    void generate(float startx, float starty, float impactx, float impacty, float speed,
                  int owner, int wait, TImage* pic);
    int collisionrocket();
    void destroy();
    int upd();                        // 1: remove this record now
    void draw() const;

    template <class V> void fields(V& v) {
        v("startx", startx); v("starty", starty); v("impactx", impactx); v("impacty", impacty);
        v("x", x); v("y", y); v("steps", steps); v("speedx", speedx); v("speedy", speedy);
        v("wait", wait); v("alpha", alpha); v("owner", owner); v("chn", chn); v("pic", pic);
        v("prg", prg); v("ai_check", ai_check); v("ai_wait", ai_wait);
    }

private:
    void releasesound() const;
    void defend();
};

struct trocket : slots<trocketdata> {
    int count = 0;                    // enemy missiles held, fading ones included

    void generate(float startx, float starty, float impactx, float impacty, float speed,
                  int owner, int wait, TImage* pic);
    void removeall();
    void remove(int i);
    void upd();
    void draw() const;

    template <class V> void fields(V& v) { v("d", d); v("count", count); }
};
