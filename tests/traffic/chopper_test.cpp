// Helicopters: what brings them down, the gun and its cool-down, a build without pictures.
#include <vector>

#include "game/raid.h"
#include "game/world.h"
#include "tests/combat/fight.h"
#include "traffic/chopper.h"
#include "traffic/ufo.h"

namespace {

struct choppertest : fight {
    // One helicopter flying right on a straight course, its gun ready or cold.
    static tchopperdata& heli(int cooldown) {
        world->choppers.clearall();
        world->choppers.wait = 100000;
        tchopperdata& c = world->choppers.add();
        c.img = img_chopper[0];
        c.iw2 = c.img->width / 2, c.ih2 = c.img->height / 2;
        c.x = 400, c.y = 200, c.speedx = 0.7f, c.fxm = 1, c.cooldown = cooldown;
        return c;
    }
    static void ufo(float x, float y) {
        tufodata& u = world->ufos.add();
        u.x = x, u.y = y;
    }
};

TEST_F(choppertest, missiles_of_both_sides_and_ufos_bring_it_down_only_the_players_missile_costs_3) {
    const int cases[][3] = {{1, 1, -3}, {1, 0, 0}, {0, 0, 0}};   // missile?, owner, score
    for (auto& t : cases) {
        world->level.score = 0;
        world->rockets.removeall(), world->ufos.clearall(), world->tnt.removeall();
        heli(70);
        if (t[0]) missile(405, 203, 405, 370, 1, t[1]);
        else ufo(405, 203);
        world->choppers.upd();
        EXPECT_EQ(records(world->choppers) + records(world->ufos), 0);
        EXPECT_EQ(world->level.score, t[2]);
        if (t[0]) {
            EXPECT_EQ(world->tnt.d[0]->owner, t[1]);   // the missile's large blast is its owner's
        }
    }
}

TEST_F(choppertest, gun_shoots_the_first_ufo_in_reach_and_no_missile_then_fires_every_141_frames) {
    tchopperdata& c = heli(0);
    ufo(460, 150);
    ufo(340, 250);
    trocketdata& m = enemy(430, 170, 430, 370, 1);
    world->choppers.upd();
    EXPECT_EQ(world->level.score, 10);
    EXPECT_FALSE(world->ufos.d[0]);
    EXPECT_TRUE(world->ufos.d[1]);
    EXPECT_EQ(m.prg, rocket_flying);
    EXPECT_EQ(c.targetx, 460);

    world->ufos.clearall();
    std::vector<int> shots;   // frames of the bursts at enemy missiles kept in reach
    for (int f = 1; f < 300; f++) {
        world->rockets.removeall(), world->tnt.removeall();
        missile(c.x + 50, c.y - 50, c.x + 50, 370, 1, f % 2);   // the player's, on odd frames, never
        world->choppers.upd();
        if (world->rockets.d[0]->prg == rocket_ended) shots.push_back(f);
    }
    EXPECT_EQ(shots, std::vector<int>({142, 284}));   // cold for 140 frames after each burst
}

TEST_F(choppertest, without_helicopter_pictures_none_is_made) {
    std::vector<TImage*> saved;
    saved.swap(img_chopper);
    world->choppers.clearall();
    world->choppers.wait = 0;
    for (int f = 0; f < 100; f++) world->choppers.upd();
    world->raid.prg = raid_wave, world->raid.art = wave_choppers, world->raid.count = 10, world->raid.wait = 0;
    for (int f = 0; f < 2000 && world->raid.prg == raid_wave; f++) world->raid.upd();
    img_chopper.swap(saved);
    EXPECT_EQ(world->raid.units[wave_choppers], 9 + (world->raid.art == wave_choppers));
    EXPECT_EQ(records(world->choppers), 0);
}

}  // namespace
