// combat/tnt.cpp — explosions and combo chains.
#include "combat/tnt.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "combat/rocket.h"
#include "combat/txt.h"
#include "framework/assets.h"
#include "framework/rnd.h"
#include "framework/sound.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/trig.h"
#include "sky/rain.h"

bool ttnt::enemyreaches(float px, float py) const {
    for (const auto& e : d)
        if (e && e->owner == side_enemy && e->reaches(px, py)) return true;
    return false;
}

bool incircle(float x, float y, float ox, float oy, float radius) {
    double dx = Int(ox - x), dy = Int(oy - y);
    return Sqr(dx * dx + dy * dy) < radius;
}

void ttntdata::generate(float x_, float y_, float size_, float maxtime_, int owner_, int combo_) {
    x = x_;
    y = y_;
    size = size_;
    mainsize = size * explosionw2;
    time = static_cast<int>(maxtime_);
    maxtime = static_cast<float>(time);
    owner = owner_;
    combo = combo_;
}

int ttntdata::upd() {
    x += world->rain.wind / 4;
    // A lifetime below one frame would never count down: such an explosion ends at once.
    if (time <= 0) return 1;
    time--;
    if (time == 0) return 1;
    timediv = static_cast<float>(time) / maxtime;
    size += static_cast<float>(time) / 20000;   // fast growth at first, slowing to nothing
    mainsize = size * explosionw2;
    if (time < 50) {
        float s = static_cast<float>(trig::sin(static_cast<float>(time) / 50 * 90 * M_PI / 180));
        alpha = std::min(maxalpha, s);
    }
    return 0;
}

void ttntdata::draw() const {
    SetScale(size, size);
    SetAlpha(alpha);
    DrawImage(img_explosion1, x, y);
    if (owner != side_enemy)
        SetColor(0, static_cast<int>(191 * timediv + 64), 255);    // cyan fading to deep blue
    else
        SetColor(255, static_cast<int>(127 * timediv + 128), 0);   // yellow fading to orange
    DrawImage(img_explosion2, x, y);
    SetColor(255, 255, 255);
}

void ttnt::generate(float x, float y, float size, float maxtime, int sample, float rate,
                    int owner, int combo) {
    add().generate(x, y, size, maxtime, owner, combo);
    if (sample >= 0) {
        tsmp& s = world->snd.s[sample];
        s.pan = panat(x, 0.3f);
        world->snd.play(s, rate - 0.2f + world->rnd.updf(0.4f), -1);
    }
}

int ttnt::collisionrocket(trocketdata& r) {
    if (r.prg != rocket_flying || r.owner != side_enemy) return 0;   // only enemy missiles in flight are caught
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        ttntdata* e = d[i].get();
        if (!e) continue;
        // The offsets are cut to whole units before the distance is taken.
        float dx = static_cast<float>(static_cast<int>(r.x - e->x));
        float dy = static_cast<float>(static_cast<int>(r.y - e->y));
        if (std::sqrt(dx * dx + dy * dy) < e->mainsize) {
            if (e->combo != 0) {
                e->combo++;
                world->level.addscore(e->combo * 2);
                world->texts.generate(world->txtcombo + std::to_string(e->combo), e->x, e->y,
                                      static_cast<float>(e->combo) / 4 + 0.5f);
            }
            return 1;
        }
    }
    return 0;
}

void ttnt::removeall() { clearall(); }

void ttnt::upd() {
    rot += 2;
    each([](ttntdata& e, int) { return e.upd(); });
}

void ttnt::draw() const {
    SetRotation(rot);
    each([](const ttntdata& e, int) { e.draw(); });
    SetAlpha(1);
}
