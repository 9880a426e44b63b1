// game/level.cpp — the level state machine, scoring, ammunition and the settings records of
// the level.
#include "game/level.h"

#include "combat/fire.h"
#include "combat/gun.h"
#include "combat/house.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "combat/tnt.h"
#include "framework/assets.h"
#include "framework/font.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/rnd.h"
#include "framework/text.h"
#include "framework/window.h"
#include "game/world.h"

namespace {

constexpr int rightbutton = 2;         // bit of the right button in ev.up

int ticks() { return world->timer ? TimerTicks(world->timer) : 0; }

}  // namespace

// A file cut short (or with a string running past its end) keeps the defaults of the records
// that are missing; a row is taken only when all three of its records are there.
int tlevel::load(TStream* stream) {
    if (!stream) return 0;
    if (!readstr(stream, name) || !readvar(stream, level) || !readvar(stream, score) ||
        !readvar(stream, highlighthiscore))
        return 0;
    int rows = 0;
    for (auto& row : hiscore) {
        thiscore r;
        if (!readstr(stream, r.name) || !readvar(stream, r.level) || !readvar(stream, r.score))
            return rows;
        row = r;
        rows++;
    }
    return rows;
}

int tlevel::save(TStream* stream) {
    if (!stream) return 0;
    writestr(stream, name);
    writevar(stream, level);
    writevar(stream, score);
    writevar(stream, highlighthiscore);
    for (auto& row : hiscore) {
        writestr(stream, row.name);
        writevar(stream, row.level);
        writevar(stream, row.score);
    }
    return 0;
}

// Only a game in progress counts: the self-defending title screen never scores.
int tlevel::addscore(int n) {
    if (prg == level_fight || prg == level_getready) score += n;
    return 0;
}

// Every way out of the name entry but confirming (a new game, "Show hiscore", Escape,
// closing the window, a signal) makes no row, so no row is the last entered score.
int tlevel::abandonentry() {
    if (prg == level_nameentry) highlighthiscore = -1;
    return 0;
}

int tlevel::newlevel() {
    abandonentry();
    prg = level_getready;
    wait = 180;
    speed = 1.0f;
    score = 0;
    level = 1;
    maxrocket = 2;
    allrocket2 = 10;
    allrocket = allrocket2;
    world->guns.generateall();
    world->rockets.removeall();
    world->fires.removeall();
    world->tnt.removeall();
    world->houses.removeall();
    world->houses.generateall();
    return 0;
}

// Level n: 9 + n missiles, at most 2 + n / 4 at once, speed 1.0 + 0.1 (n - 1).
int tlevel::nextlevel() {
    speed += 0.1f;
    level += 1;
    if (level % 4 == 0) maxrocket += 1;
    allrocket2 += 1;
    allrocket = allrocket2;
    return 0;
}

// The missiles a standing turret kept are the level bonus; destroyed turrets pay nothing but
// are refilled too (they stay destroyed until rebuilt).
int tlevel::nextlevel2() {
    for (int i = 0; i < 3 && i < static_cast<int>(world->guns.d.size()); i++) {
        if (world->guns.d[i] && world->guns.d[i]->operational) score += world->guns.d[i]->ammo;
    }
    for (auto& g : world->guns.d) {
        if (g) g->ammo = ammo;
    }
    return 0;
}

int tlevel::leavelevel() {
    abandonentry();
    prg = level_title;
    allrocket = 0;
    pause = pause_off;
    speed = initialspeed;
    ammo = 2 * world->menu.get(menu_twobuttons) + 6;
    for (auto& g : world->guns.d) {
        if (g) g->ammo = ammo;
    }
    return 0;
}

int tlevel::setpause(int n) {
    if (prg == level_fight || prg == level_getready) pause = n;
    return 0;
}

// The aim point is drawn before the launch point; seeded games depend on that order.
void tlevel::launch() {
    int tx = world->rnd.upd(800);
    int sx = world->rnd.upd(800);
    world->rockets.generate(static_cast<float>(sx), 0, static_cast<float>(tx), 370, speed * 0.7f, side_enemy, 0,
                            img_trailenemy);
}

int tlevel::upd() {
    switch (prg) {
    case level_fight:
        if (world->guns.count == 0 || world->houses.count == 0) {
            prg = level_gameover;
            wait = 180;
            break;
        }
        if (allrocket == 0 && world->rockets.count == 0) {
            wait = 180;
            prg = level_getready;
            nextlevel();
            if (world->menu.get(menu_pausebetween) & 1) pause = pause_on;
            break;
        }
        while (allrocket > 0 && world->rockets.count < maxrocket) {
            allrocket -= 1;
            launch();
        }
        break;
    case level_getready:
        // 180 frames from entering the break to the fight; wait ends at -1
        if (wait == 0) {
            prg = level_fight;
            if (level > 1) nextlevel2();
        }
        wait -= 1;
        break;
    case level_gameover:
        if (wait == 0) {
            // the first row beaten strictly: an equal score goes below the rows it ties with
            int i = 0;
            while (i < 10 && !(score > hiscore[i].score)) i++;
            if (i < 10) {
                gohiscore = highlighthiscore = i;
                prg = level_nameentry;
            } else {
                gohiscore = 10;
                leavelevel();
            }
            speed = initialspeed;
        }
        wait -= 1;
        break;
    case level_title: {
        // the title screen: missiles at random, the turrets defend the city by themselves
        int t = ticks();
        if ((t & 63) == 0) rndval = world->rnd.updf(1.0f);
        if ((t & 31) == 0 && world->rnd.upd(10) == 0) launch();
        if (world->guns.count == 0) {
            if (waitgun == 0) {
                waitgun = 800;
                world->guns.generateall();
            }
            waitgun -= 1;
        }
        if (world->houses.count == 0) world->houses.generateall();
        break;
    }
    default:
        break;
    }
    return 0;
}

int tlevel::updev() {
    bool rightup = (world->ev.up & rightbutton) != 0;
    if (pause) {
        if (world->ev.key == 'P' || rightup) {
            pause = pause_off;
            if (world->can.g) ActivateGadget(world->can.g);
        }
        return 0;
    }
    if (world->ev.key == 'H') world->menu.set(menu_hidetext, 1 - (world->menu.get(menu_hidetext) & 1));
    switch (prg) {
    case level_fight:
        if (world->ev.key == key_enter) newlevel();
        else if (world->ev.key == 'P') pause = pause_on;
        break;
    case level_getready:
        if (level == 1 && rightup) wait = 0;   // the first break can be skipped with a click
        if (world->ev.key == key_enter) newlevel();
        else if (world->ev.key == 'P') pause = pause_on;
        break;
    case level_nameentry:
        if (inp.upd(name, world->ev) == -1) {
            // Escape ends the program right after this: the name is kept, no row is made
            abandonentry();
            break;
        }
        if ((world->ev.key == key_enter || rightup) && gohiscore >= 0 && gohiscore < 10) {
            for (int i = 8; i >= gohiscore; i--) hiscore[i + 1] = hiscore[i];
            thiscore row;
            row.name = name;
            row.level = level;
            row.score = score;
            hiscore[gohiscore] = row;
            leavelevel();
            highlighthiscore = gohiscore;   // the row just made (leaving cleared it)
            world->menu.set(menu_hidetext, 0);
            // a new high score must survive a crash or a logout, not only a regular close; a
            // failed save is said on standard error and tried again (retrysettings in app/)
            if (world->savehook) world->savehook();
        }
        break;
    case level_title:
        if (world->ev.key == key_enter || rightup) {
            if (world->can.g) ActivateGadget(world->can.g);
            newlevel();
        }
        break;
    default:
        break;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The HUD: the message of the state, the status lines, the particle warning and, on the title
// screen, the start prompt and the high-score table. A big text of width w drawn at scale 2 at
// x = 400 - w is centred on the playfield.

namespace {

void bigtext(const std::string& t, float y) {
    world->font.scaledraw(t, 400.0f - static_cast<float>(world->font.width(t)), y, 2, 2);
}

}  // namespace

void tlevel::drawtable() {
    SetColor(255, 255, 255);
    world->font.draw(world->txtname, 225, 80);
    world->font.draw(world->txtlevel, 425, 80);
    world->font.draw(world->txtscore, 525, 80);
    for (int i = 0; i < 10; i++) {
        float y = 100.0f + 20.0f * static_cast<float>(i);
        if (i == 0 || i == 5) {
            SetColor(200, 200, 200);
            DrawLine(185, y, 615, y);
        } else {
            SetColor(150, 150, 150);
            DrawLine(225, y, 575, y);
        }
        if (i == highlighthiscore) SetColor(220, 160, 0);
        else SetColor(200, 200, 200);
        world->font.draw(hiscore[i].name, 225, y);
        world->font.draw(std::to_string(hiscore[i].level), 425, y);
        world->font.draw(std::to_string(hiscore[i].score), 525, y);
    }
}

int tlevel::draw() {
    bool hidden = (world->menu.get(menu_hidetext) & 1) != 0;
    int t = ticks();
    if (pause) {
        SetScale(2, 2);
        // a fixed white: whatever the scene left last would make the word change colour
        SetColor(255, 255, 255);
        bigtext("Pause", 120);
        SetScale(1, 1);
    } else {
        switch (prg) {
        case level_getready: {
            SetScale(2, 2);
            SetColor(255, 255, 0);
            world->font.scaledraw(world->txtgetready, 400.0f - static_cast<float>(world->wgetready), 120, 2, 2);
            SetColor(255, 255, 255);
            bigtext(world->txtlevel + ":" + std::to_string(level), 160);
            // from here on one more missile may fly at once
            if (level % 4 == 0)
                world->font.scaledraw(world->txtrearming, 400.0f - static_cast<float>(world->wrearming), 200, 2, 2);
            SetScale(1, 1);
            break;
        }
        case level_gameover:
            SetColor(255, 150, 150);
            SetScale(2, 2);
            world->font.scaledraw(world->txtgameover, 400.0f - static_cast<float>(world->wgameover), 120, 2, 2);
            SetScale(1, 1);
            break;
        case level_nameentry: {
            SetScale(2, 2);
            SetColor(0, 255, 0);
            bigtext(world->txtplace + std::to_string(gohiscore + 1), 120);
            SetColor(255, 255, 255);
            world->font.scaledraw(world->txtentername, 400.0f - static_cast<float>(world->wentername), 160, 2, 2);
            float x = 400.0f - static_cast<float>(world->font.width(name));
            // bit 4 of the tick count: 16 ticks on, 16 off
            if ((t & 21) > 9) {
                int pos = inp.pos < 0 ? 0 : inp.pos;
                auto n = static_cast<size_t>(pos);
                // behind the last character the block has no width at all
                int w = n < name.size() ? world->font.width(name.substr(n, 1)) : 0;
                float cx = x + 2.0f * static_cast<float>(world->font.width(name.substr(0, n)));
                DrawRect(cx, 200, static_cast<float>(w), static_cast<float>(world->font.maxh - 1));
            }
            world->font.scaledraw(name, x, 200, 2, 2);
            SetScale(1, 1);
            break;
        }
        case level_title:
            // the prompt changes colour every 64 ticks
            if ((t & 127) > 63) SetColor(200, 200, 200);
            else SetColor(40, 205, 105);
            world->font.draw(world->txtstart, 400.0f - static_cast<float>(world->wstart), 50);
            SetColor(255, 255, 255);
            if (hidden) return 0;
            drawtable();
            break;
        default:
            break;
        }
    }
    if (!hidden) {
        SetColor(200, 200, 200);
        world->font.draw(world->txtlevel + ":" + std::to_string(level), 50, 20);
        world->font.draw(world->txtscore + ":" + std::to_string(score), 50, 40);
        world->font.draw(world->txtcity + ":" + std::to_string(world->houses.count) + "/10", 50, 60);
        world->font.draw(world->txtmissiles + ":" + std::to_string(allrocket + world->rockets.count) + " (" +
                             std::to_string(maxrocket) + ")",
                         50, 80);
    }
    auto parts = world->particles.d.size() + world->particles2.d.size();
    if (parts > 2000) {
        SetColor(240, 100, 20);
        world->font.draw("Particles:" + std::to_string(parts), 50, 120);
    }
    SetColor(255, 255, 255);
    return 0;
}
