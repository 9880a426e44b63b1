// combat/gun.cpp — the turrets: firing by buttons and keys, strikes, barrels and sight lines.
#include "combat/gun.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "combat/fire.h"
#include "combat/rocket.h"
#include "framework/assets.h"
#include "framework/font.h"
#include "framework/image.h"
#include "framework/input.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/samples.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"

const int tgundata::keys1[3] = {key_down, key_right, key_left};
const int tgundata::keys2[3] = {'S', 'D', 'A'};

namespace {
bool option(int tag) { return (world->menu.get(tag) & 1) != 0; }
}

void tgundata::generate(float x_, float y_, int operational_, int ammo_) {
    x = x_;
    y = y_;
    rot = world->rnd.upd(2) * 2 - 1;
    operational = operational_;
    ammo = ammo_;
    cooldown = 0;
    world->guns.count += operational;
}

int tgundata::mayfire() const {
    return operational != 0 && ammo != 0 && cooldown == 0 && world->level.prg == level_fight;
}

// Shots never aim below y = 355, just above the turrets.
void tgundata::fire(float tx, float ty) {
    world->rockets.generate(x, y, tx, std::min(ty, 355.0f), world->level.speed * 2, side_player, 1, img_trailplayer);
    ammo--;
    cooldown = 20;
}

void tgundata::upd() {
    if (cooldown != 0) cooldown--;
}

void tgundata::draw() const {
    if (operational == 0) return;
    if (ammo != 0) {
        float ax, ay;
        if (world->level.prg != level_title) {
            ax = static_cast<float>(world->ev.x);
            ay = std::min(static_cast<float>(world->ev.y), 355.0f);
        } else {
            ax = world->guns.ai_x;
            ay = world->guns.ai_y;
        }
        tglmatrix m;
        float dx = ax - x, dy = ay - y;
        float len = std::sqrt(dx * dx + dy * dy);
        // Aimed at its own foot the barrel has no direction: it is then left out.
        if (facematrix(m.d, x, y, ax, ay) == 0 && len > 0) {
            SetAlpha(0.15f);
            float reach = 400 * world->viewscalex / len;
            drawbeam(img_beam, x, y, x + dx * reach, y + dy * reach, 1);
            SetAlpha(1);
            ModelviewPush();
            ModelviewLoad(m.d);
            SetScale(1, 1);
            DrawImage(img_turret, 0, 0);
            ModelviewPop();
        }
    }
    SetScale(static_cast<float>(rot), 1);
    DrawImage(img_turretbase, x, y);
    SetScale(1, 1);
    if (ammo != 0) {
        if (cooldown != 0) SetColor(255, 60, 0);
        std::string s = std::to_string(ammo);
        world->font.draw(s, x - static_cast<float>(world->font.width(s) / 2), y - 20);
        SetColor(255, 255, 255);
    }
}

void tgun::init() {
    ai_x = static_cast<float>(world->rnd.upd(800));
    ai_y = static_cast<float>(world->rnd.upd(200));
}

void tgun::placefirst() {
    init();
    world->turretmargin = 100;
    for (int k : {1, 2, 0}) generate(world->turretmargin + (800 - 2 * world->turretmargin) * k / 2, 370, 1, 6);
}

void tgun::generate(float x, float y, int operational, int ammo) {
    d.push_back(std::make_unique<tgundata>());
    d.back()->generate(x, y, operational, ammo);
}

void tgun::generateall() {
    int two = option(menu_twobuttons) ? 1 : 0;
    world->level.ammo = 6 + 2 * two;
    count = 0;
    world->turretmargin = two ? 200 : 100;
    while (d.size() < 3) d.push_back(std::make_unique<tgundata>());
    float span = 800 - 2 * world->turretmargin;
    d[0]->generate(world->turretmargin + span * 1 / 2, 370, two ? 0 : 1, world->level.ammo);
    d[1]->generate(world->turretmargin + span * 2 / 2, 370, 1, world->level.ammo);
    d[2]->generate(world->turretmargin, 370, 1, world->level.ammo);
}

int tgun::collisionrocket(trocketdata& r) {
    if (r.owner != side_enemy || r.prg != rocket_flying) return 0;
    TImage* base = img_turretbase;
    float h = static_cast<float>(base->height);
    int n = static_cast<int>(d.size());
    for (int i = 0; i < n; i++) {
        tgundata* g = d[i].get();
        if (!g || g->operational == 0) continue;
        if (!(g->x - turretbasew2 < r.x && r.x < g->x + turretbasew2 && g->y - h < r.y &&
              r.y < g->y))
            continue;
        // Only the opaque pixels of the base count.
        int col = static_cast<int>(turretbasew2 - g->x + r.x);
        int row = static_cast<int>(h - g->y + r.y);
        if (col < 0 || col >= base->width || row < 0 || row >= base->height) continue;
        int a = 0;
        getpixelbytes(&a, base->pixmaps[0], col, row, 1, 3);
        if (a == 0) continue;

        world->fires.generate(g->x - turretbasew2, g->y, static_cast<float>(base->width), 800);
        g->operational = 0;
        count--;
        tsmp& s = world->snd.s[smp_xplo2];
        s.pan = panat(g->x, 0.3f);
        world->snd.play(s, 0.2f + world->rnd.updf(0.1f), -1);   // a deep boom
        world->level.addscore(-6);
        // The buttons keep firing standing turrets: the middle one moves to the lost slot, or
        // with one turret left, the last one does.
        if (option(menu_autobutton)) {
            if (i == 1) {
                std::swap(d[0], d[1]);
            } else if (i == 2) {
                int k = count == 1 ? 1 : 0;
                std::swap(d[2], d[k]);
            }
        }
        return 1;
    }
    return 0;
}

void tgun::upd() {
    for (auto& g : d)
        if (g) g->upd();
}

void tgun::updev() {
    // A tap on a touch screen fires as one button does, whatever the mouse option: a finger
    // has no second button.
    bool tap = world->ev.up == 1 << (MOUSE_TOUCH - 1);
    if (option(menu_onebutton) || tap) {
        int k = -1;
        for (int i = 2; i >= 0 && k < 0; i--)
            if (tgundata::keys1[i] == world->ev.key || tgundata::keys2[i] == world->ev.key) k = i;
        if (k < 0 && world->ev.up == 0) return;
        // The key pressed does not matter: the ready turret nearest to the cursor fires.
        tgundata* best = nullptr;
        float bestdist = 320000;
        for (auto& g : d) {
            if (!g || !g->mayfire()) continue;
            float dx = g->x - static_cast<float>(world->ev.x), dy = g->y - static_cast<float>(world->ev.y);
            float dist = std::sqrt(dx * dx + dy * dy);
            if (dist < bestdist) {
                bestdist = dist;
                best = g.get();
            }
        }
        if (best) best->fire(static_cast<float>(world->ev.x), static_cast<float>(world->ev.y));
        return;
    }
    static const int bits[3] = {4, 2, 1};   // middle, right, left button
    int n = std::min<int>(3, static_cast<int>(d.size()));
    for (int i = 0; i < n; i++) {
        int b = bits[i];
        bool button = (world->ev.up & b) != 0 && (world->ev.down & ~b) == 0;
        bool key = world->ev.key == tgundata::keys1[i] || world->ev.key == tgundata::keys2[i];
        if ((button || key) && d[i] && d[i]->mayfire())
            d[i]->fire(static_cast<float>(world->ev.x), static_cast<float>(world->ev.y));
    }
}

void tgun::draw() const {
    for (auto& g : d)
        if (g) g->draw();
}
