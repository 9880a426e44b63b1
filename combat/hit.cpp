// combat/hit.cpp — the walks of combat/hit.h.
#include "combat/hit.h"

#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "game/world.h"

trocketdata* missilein(const thitbox& box) {
    for (auto& m : world->rockets.d)
        if (m && m->prg == rocket_flying && box.contains(m->x, m->y)) return m.get();
    return nullptr;
}

ttntdata* blastat(float x, float y) {
    for (auto& e : world->tnt.d)
        if (e && e->reaches(x, y)) return e.get();
    return nullptr;
}

int startengine(int sample, float x) {
    tsmp& s = world->snd.s[sample];
    s.pan = panat(x, 0.35f);
    world->snd.play(s, world->rnd.updf(0.2f) + 0.8f, -1);
    return world->snd.chn;
}

void wreck(int chn, int sample, float x, float y, const tdebris& how, const int* col) {
    world->snd.release(chn, world->snd.s[sample]);
    world->particles.scatter(x, y, how, col, col, img_explosion1);
}
