// The list of kinds (game/kinds.h) and the lists built beside it by hand: every kind is stepped
// or drawn by a frame (or left out on purpose), and every list a raid releases from is a kind,
// so that it is created afresh and dumped with the world.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "game/kinds.h"

namespace {

std::set<std::string> kinds() {
    std::set<std::string> s;
#define KIND_NAME(name, type, start) s.insert(#name);
    VARNHOLD_KINDS(KIND_NAME)
#undef KIND_NAME
    return s;
}

}  // namespace

TEST(kinds, every_kind_is_stepped_or_drawn_and_every_raided_list_is_a_kind) {
    std::set<std::string> seen;
#define KIND_STEP(object, member) seen.insert(#object);
#define KIND_OWNSTEP(function)
#define KIND_UNSTEPPED(name) seen.insert(#name);
    VARNHOLD_RUNNING(KIND_STEP, KIND_OWNSTEP)
    VARNHOLD_ALWAYS(KIND_STEP, KIND_OWNSTEP)
    VARNHOLD_DRAW(KIND_STEP, KIND_OWNSTEP)
    VARNHOLD_UNSTEPPED(KIND_UNSTEPPED)
    for (const std::string& k : kinds()) EXPECT_TRUE(seen.count(k)) << k << " is neither stepped nor drawn";

    std::set<std::string> raided;
#define KIND_RAIDED(wave, list, ...) raided.insert(#list);
    VARNHOLD_WAVES(KIND_RAIDED)
    for (const std::string& l : raided) EXPECT_TRUE(kinds().count(l)) << l << " is raided but not a kind";
}
