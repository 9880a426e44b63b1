// Long games verified side by side: every verifier thread holds a world of its own, so games
// played on several threads at once each make the world they recorded alone. A world's object
// shared between threads (a cache made process-wide) mixes the worlds: a game then differs
// from its digests, or the process crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "app/world.h"
#include "bench/wholegame.h"
#include "server/verifier.h"

TEST(ServerThreads, LongGamesVerifiedOnFourThreadsAtOnceEachMakeTheWorldItRecorded) {
    // whole games of 7,000 to 28,000 frames each (F5 held), of four seeds
    const int seeds[] = {3, 5, 8, 13};
    constexpr int games = sizeof seeds / sizeof *seeds;
    std::string replays[games];
    // recorded one after the other, on a thread of their own (the rows they make go to a
    // settings file of their own)
    std::thread recorder([&] {
        cfgpath = (std::filesystem::temp_directory_path() / "varnhold-threads-test.cfg").string();
        for (int i = 0; i < games; i++) {
            treplay r;
            EXPECT_TRUE(wholegame(seeds[i], r)) << "seed " << seeds[i];
            replays[i] = writereplay(r);
        }
        std::filesystem::remove(cfgpath);
    });
    recorder.join();
    // verified at once, each from the moment all four threads have started
    tdatadigests data = datadigests();
    std::latch start(games);
    tverified verdicts[games];
    std::vector<std::thread> verifiers;
    for (int i = 0; i < games; i++)
        verifiers.emplace_back([&, i] {
            start.arrive_and_wait();
            verdicts[i] = verifyhere(replays[i], data, 1000000);
        });
    for (std::thread& t : verifiers) t.join();
    for (int i = 0; i < games; i++) {
        EXPECT_EQ(verdicts[i].kind, tverified::ok) << "seed " << seeds[i] << ": " << verdicts[i].reason;
        EXPECT_EQ(verdicts[i].rows.size(), 1u) << "seed " << seeds[i];
    }
}
