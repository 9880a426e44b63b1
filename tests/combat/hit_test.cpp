// What missiles and blasts hit: a box without its borders, the first missile in flight inside it
// in the list's order, the first harmful blast whose disc reaches a point.
#include "combat/hit.h"

#include "tests/combat/fight.h"

struct hittest : fight {
    static trocketdata* at(float x, float y, int prg) {
        trocketdata& m = missile(x, y, x, 370, 0.01f, side_player);
        m.x = x, m.y = y, m.prg = prg;
        return &m;
    }
};

TEST_F(hittest, a_box_holds_what_lies_strictly_inside_its_borders) {
    const thitbox box{400, 200, 20, 10};
    const float cases[][3] = {{400, 200, 1}, {419.99f, 209.99f, 1}, {380.01f, 190.01f, 1},
                              {420, 200, 0}, {380, 200, 0},         {400, 210, 0}, {400, 190, 0}};
    for (auto& c : cases) EXPECT_EQ(box.contains(c[0], c[1]), c[2] != 0) << c[0] << ", " << c[1];
}

TEST_F(hittest, the_first_missile_in_flight_inside_the_box_is_hit_and_a_blast_reaches_by_its_disc) {
    const thitbox box{400, 200, 20, 10};
    at(400, 200, rocket_waiting);
    at(401, 201, rocket_ended);
    at(300, 200, rocket_flying);
    trocketdata* first = at(410, 205, rocket_flying);
    trocketdata* second = at(395, 195, rocket_flying);
    EXPECT_EQ(missilein(box), first);
    first->prg = rocket_ended;
    EXPECT_EQ(missilein(box), second);

    EXPECT_EQ(blastat(400, 200), nullptr);
    world->tnt.generate(500, 200, 1, 100, -1, 1, side_enemy, 0);   // its disc: radius explosionw2
    ttntdata* blast = blastat(500 + explosionw2 - 1, 200);
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(blast->x, 500);
    EXPECT_EQ(blastat(500 + explosionw2 + 1, 200), nullptr);
}
