// Worlds side by side: every thread holds a world of its own, so two recorded games play at
// once in one process, each to the world it recorded.
#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>

#include "app/replay.h"
#include "app/replayfile.h"
#include "app/world.h"
#include "game/world.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace {

treplay recorded(const std::string& name) {
    std::vector<unsigned char> b = testsupport::readbytes(std::string(VARNHOLD_SOURCE_DIR) + "/tests/replays/" + name);
    treplayread read = parsereplay(std::string(b.begin(), b.end()));
    EXPECT_EQ(read.error, "") << name;
    return read.replay;
}

struct tplayed {
    std::string problem;
    treplayverdict verdict;
    uint64_t digest = 0;
};

// Plays `r` in this thread's world; with `together`, only once the other thread's world is
// made too, so that both live at the same time.
tplayed play(const treplay& r, const std::string& name, std::latch* together = nullptr) {
    tplayed p;
    p.problem = startplayback(r, name, false);
    if (together) together->arrive_and_wait();
    if (!p.problem.empty()) return p;
    p.verdict = playtoend();
    p.digest = worlddigest();
    stopplayback();
    return p;
}

}  // namespace

TEST(worlds, two_recorded_games_play_side_by_side_in_one_process_each_to_its_own_world) {
    const treplay games[2] = {recorded("fight.vhr"), recorded("menus.vhr")};
    const char* names[2] = {"fight.vhr", "menus.vhr"};
    // One after the other in this thread's world first: the digests each game ends on.
    tplayed alone[2] = {play(games[0], names[0]), play(games[1], names[1])};
    std::latch together(2);
    tplayed side[2];
    std::thread a([&] { side[0] = play(games[0], names[0], &together); });
    std::thread b([&] { side[1] = play(games[1], names[1], &together); });
    a.join();
    b.join();
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(side[i].problem, "");
        EXPECT_TRUE(alone[i].verdict.same) << alone[i].verdict.message;
        EXPECT_TRUE(side[i].verdict.same) << side[i].verdict.message;
        EXPECT_EQ(side[i].verdict.digest, games[i].end.digest);
        EXPECT_EQ(side[i].digest, alone[i].digest);
    }
    EXPECT_NE(side[0].digest, side[1].digest);
}

// A new world on a thread keeps nothing of the one before it, also of what the dump leaves
// out (the drawing's particle size, the turrets' margin, the application's flags).
struct freshworld : worldtest {};

TEST_F(freshworld, a_new_world_keeps_nothing_of_the_last_one_on_its_thread) {
    const std::string first = dumpworld(true);
    stepframes(200);
    world->level.newlevel();
    stepframes(300);
    world->particlesize = 0.5f;
    world->turretmargin = 200;
    world->shotwanted = world->fasttimer = 1;
    world->txtlevel = "Stufe";
    ASSERT_NE(dumpworld(true), first);

    ASSERT_EQ(newworld(seed()), "");
    EXPECT_EQ(dumpworld(true), first);
    EXPECT_EQ(world->particlesize, 1);
    EXPECT_EQ(world->turretmargin, 100);
    EXPECT_EQ(world->shotwanted + world->fasttimer, 0);
}
