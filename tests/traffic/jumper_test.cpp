// The parachute jumper: its roof, its 200 untouchable frames on it, and what it costs to lose it.
#include "traffic/jumper.h"
#include "game/world.h"
#include "tests/combat/fight.h"

namespace {

struct jumpertest : fight {};

TEST_F(jumpertest, jumper_stands_on_the_first_opaque_pixel_untouchable_for_200_frames) {
    world->jumpers.prg = jumper_waiting, world->jumpers.wait = 0;
    world->jumpers.upd();
    int x = int(world->jumpers.x), roof = int(world->jumpers.y + jumperh2), a = 0;
    for (int row = 0; row <= roof; row++) {
        getpixelbytes(&a, img_city->pixmaps[0], x, row, 1, 3);
        EXPECT_EQ(a == 255, row == roof) << row;
    }
    EXPECT_EQ(world->jumpers.sx < 0, x >= 400);   // it glides away from the nearer edge
    trocketdata& m = enemy(world->jumpers.x, world->jumpers.y, world->jumpers.x, 370, 1);
    for (int f = 1; f < 200; f++) world->jumpers.upd();   // 200 frames on the roof, this one included
    EXPECT_EQ(m.prg, rocket_flying);
    EXPECT_EQ(world->jumpers.prg, jumper_onroof);
    world->jumpers.upd();   // the leap: in the air at once
    EXPECT_EQ(m.prg, rocket_ended);
    EXPECT_EQ(world->level.score, -1);
}

TEST_F(jumpertest, column_without_a_roof_puts_the_jumper_at_the_foot_of_the_picture) {
    // pictures opaque from row 20 down, or not at all; one narrower than the jumper
    const int cases[][2] = {{100, 0}, {100, 1}, {10, 1}, {0, 0}};
    TImage* city = img_city;
    for (auto& t : cases) {
        img_city = CreateImage(t[0], 50);
        for (int y = 20; t[1] && y < 50; y++)
            for (int x = 0; x < t[0]; x++) WritePixel(LockImage(img_city), x, y, 0xFF000000u);
        world->jumpers.generate();
        bool roof = t[1] && world->jumpers.x < t[0];
        EXPECT_EQ(world->jumpers.y + jumperh2, roof ? 20 : 50) << t[0] << " " << world->jumpers.x;
    }
    img_city = city;
}

TEST_F(jumpertest, gliding_into_a_fire_near_the_ground_costs_a_point) {
    const float cases[][3] = {{230, 375, 1}, {200, 375, 0}, {230, 370, 0}};   // x, y, lost
    world->fires.generate(200, 370, 60, 800);
    for (auto& t : cases) {
        world->level.score = 0;
        world->jumpers = tjumper();
        world->jumpers.prg = jumper_inair, world->jumpers.x = t[0], world->jumpers.y = t[1], world->jumpers.fym = 1;
        world->jumpers.upd();
        EXPECT_EQ(world->level.score, -t[2]);
        EXPECT_EQ(world->jumpers.prg, 2 - 2 * t[2]);
        EXPECT_EQ(records(world->fires), 1);
    }
}

}  // namespace
