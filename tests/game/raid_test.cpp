// The raid scheduler: the units of each wave kind, the horns of the jam, pause, and the draws
// of start-up, which end with the raid's first wave.
#include <array>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "framework/samples.h"
#include "game/raid.h"
#include "game/world.h"
#include "tests/combat/fight.h"
#include "traffic/chopper.h"
#include "traffic/jumper.h"
#include "traffic/plane.h"
#include "traffic/satellite.h"
#include "traffic/ufo.h"

namespace {

struct raidtest : fight {
    std::vector<std::pair<const tsmp*, float>> horns;   // sample and pan of each horn

    // A wave of this kind run to its end on the scheduler alone: the kind of unit of each step
    // (a twavekind of VARNHOLD_WAVES). Each step first draws the wait for the next unit, the
    // last one then the long wait and the next kind.
    std::vector<int> wave(int art, int count) {
        world->raid.prg = raid_wave, world->raid.art = art, world->raid.count = count, world->raid.wait = 0;
        std::vector<int> seq;
        while (world->raid.prg == raid_wave) {
            int before = world->raid.count, chn = world->snd.chn;
            std::vector<int> units(std::begin(world->raid.units), std::end(world->raid.units));
            trnd r = world->rnd;
            world->raid.upd();
            if (world->raid.count == before) continue;
            for (int k = 0; k < int(units.size()); k++)
                for (int n = units[size_t(k)]; n < world->raid.units[k]; n++) seq.push_back(k);
            int next = r.upd(120) + 30;
            EXPECT_EQ(world->raid.wait, world->raid.prg ? next : r.upd(traid::maxwait));
            EXPECT_EQ(world->raid.art, world->raid.prg ? art : r.upd(traid::maxart));
            const tchn& c = world->snd.c[world->snd.chn];
            if (world->snd.chn != chn && (c.s == &world->snd.s[smp_horn1] || c.s == &world->snd.s[smp_horn2]))
                horns.push_back({c.s, c.pan});
        }
        return seq;
    }
};

TEST_F(raidtest, each_wave_releases_its_units_then_one_of_the_next_kind) {
    // kind, count, and the units before the closing one: n1 of kind1, then n2 of kind2. Every
    // wave of one kind, then UFOs while count is above 8, then helicopters.
    std::vector<std::array<int, 6>> cases = {
#define RAIDTEST_CASE(wave, list, release, steps) {wave_##wave, steps, wave_##wave, steps - 1, wave_##wave, 0},
        VARNHOLD_WAVES(RAIDTEST_CASE)
#undef RAIDTEST_CASE
        {wave_ufosthenchoppers, 16, wave_ufos, 7, wave_choppers, 8}};
    for (auto& t : cases) {
        SCOPED_TRACE(t[0]);
        world->choppers.clearall();
        std::vector<int> want(size_t(t[3]), t[2]);
        want.insert(want.end(), size_t(t[5]), t[4]);
        std::vector<int> seq = wave(t[0], t[1]);
        // the next wave's kind, drawn in the last step
        want.push_back(world->raid.art == wave_ufosthenchoppers ? wave_ufos : world->raid.art);
        EXPECT_EQ(seq, want);
        EXPECT_EQ(world->choppers.count(), std::count(seq.begin(), seq.end(), int(wave_choppers)));   // they really fly
    }
}

TEST_F(raidtest, last_horn_of_a_jam_keeps_its_pan_in_the_sample) {
    wave(0, 20);
    ASSERT_FALSE(horns.empty());   // 19 cars without a horn: (2/3)^19
    for (auto& h : horns) EXPECT_NEAR(std::fabs(h.second - 0.15f), 0.3f, 1e-6f);   // -0.15 or 0.45
    wave(1, 10);
    EXPECT_EQ(horns.back().first->pan, horns.back().second);
}

TEST_F(raidtest, scheduler_runs_on_the_title_screen_and_in_every_state_but_not_in_pause) {
    const int cases[][2] = {{10, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}};
    for (auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "state " << t[0] << " pause " << t[1]);
        world->level.prg = t[0], world->level.wait = 1000, world->level.pause = t[1];
        world->raid.prg = raid_waiting, world->raid.wait = 1,
        world->raid.count = 5;   // the wave starts in the second frame
        stepframes(2);
        EXPECT_EQ(world->raid.prg, 1 - t[1]);
        stepframes(1);
        EXPECT_EQ(world->raid.count, 5 - 1 + t[1]);
        EXPECT_EQ(world->raid.wait == 1, t[1] == 1);
    }
}

struct startdraws : worldtest {
    int seed() const override { return 90210; }
};

// Start-up draws only in the kinds' start steps, in the order of VARNHOLD_KINDS (the raid's
// come last), and then the turrets' again, once the settings are read. The steps are run again
// here one by one on this world, counting each one's draws (the generator's step counter).
TEST_F(startdraws, startup_makes_exactly_the_draws_of_its_objects_ending_with_the_raid) {
    const trnd made = world->rnd;
    const int planewait = world->planes.wait, satellitewait = world->satellites.wait, ufowait = world->ufos.wait,
              chopperwait = world->choppers.wait, jumperwait = world->jumpers.wait, raidwait = world->raid.wait,
              raidart = world->raid.art;
    world->rnd = trnd(seed());
    std::map<std::string, int> before;   // draws made before the kind's start step
    std::string last;                    // the last kind that draws
#define STARTDRAWS_STEP(name, type, start)                                 \
    before[#name] = world->rnd.seed - seed();                              \
    world->name = type();                                                  \
    VARNHOLD_START_##start(world->name) if (world->rnd.seed - seed() > before[#name]) last = #name;
    VARNHOLD_KINDS(STARTDRAWS_STEP)
#undef STARTDRAWS_STEP
    EXPECT_EQ(last, "raid");
    for (int i = 0; i < 3; i++) world->rnd.upd(1);        // the turrets built again after the settings
    EXPECT_EQ(std::vector<int>({made.seed, made.n2, made.n3}),
              std::vector<int>({world->rnd.seed, world->rnd.n2, world->rnd.n3}));

    // each wait drawn first in its kind's step
    auto at = [&](const char* kind) {
        trnd r(seed());
        for (int i = 0; i < before[kind]; i++) r.upd(1);
        return r;
    };
    EXPECT_EQ(planewait, 800 + at("planes").upd(2000));
    EXPECT_EQ(satellitewait, at("satellites").upd(4000) + 300);
    EXPECT_EQ(ufowait, at("ufos").upd(6000));
    EXPECT_EQ(chopperwait, at("choppers").upd(6000));
    EXPECT_EQ(jumperwait, at("jumpers").upd(6000) + 800);
    trnd r = at("raid");
    EXPECT_EQ(raidwait, r.upd(traid::maxwait));
    EXPECT_EQ(raidart, r.upd(traid::maxart));
}

}  // namespace
