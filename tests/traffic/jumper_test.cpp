// The parachute jumper: its roof, its 200 untouchable frames on it, and what it costs to lose it.
#include "tests/combat/fight.h"
#include "traffic/jumper.h"

namespace {

struct jumpertest : fight {};

TEST_F(jumpertest, jumper_stands_on_the_first_opaque_pixel_untouchable_for_200_frames) {
    jumpers.prg = jumper_waiting, jumpers.wait = 0;
    jumpers.upd();
    int x = int(jumpers.x), roof = int(jumpers.y + jumperh2), a = 0;
    for (int row = 0; row <= roof; row++) {
        getpixelbytes(&a, img_city->pixmaps[0], x, row, 1, 3);
        EXPECT_EQ(a == 255, row == roof) << row;
    }
    EXPECT_EQ(jumpers.sx < 0, x >= 400);   // it glides away from the nearer edge
    trocketdata& m = enemy(jumpers.x, jumpers.y, jumpers.x, 370, 1);
    for (int f = 1; f < 200; f++) jumpers.upd();   // 200 frames on the roof, this one included
    EXPECT_EQ(m.prg, rocket_flying);
    EXPECT_EQ(jumpers.prg, jumper_onroof);
    jumpers.upd();   // the leap: in the air at once
    EXPECT_EQ(m.prg, rocket_ended);
    EXPECT_EQ(level.score, -1);
}

TEST_F(jumpertest, column_without_a_roof_puts_the_jumper_at_the_foot_of_the_picture) {
    // pictures opaque from row 20 down, or not at all; one narrower than the jumper
    const int cases[][2] = {{100, 0}, {100, 1}, {10, 1}, {0, 0}};
    TImage* city = img_city;
    for (auto& t : cases) {
        img_city = CreateImage(t[0], 50);
        for (int y = 20; t[1] && y < 50; y++)
            for (int x = 0; x < t[0]; x++) WritePixel(LockImage(img_city), x, y, 0xFF000000u);
        jumpers.generate();
        bool roof = t[1] && jumpers.x < t[0];
        EXPECT_EQ(jumpers.y + jumperh2, roof ? 20 : 50) << t[0] << " " << jumpers.x;
    }
    img_city = city;
}

TEST_F(jumpertest, gliding_into_a_fire_near_the_ground_costs_a_point) {
    const float cases[][3] = {{230, 375, 1}, {200, 375, 0}, {230, 370, 0}};   // x, y, lost
    fires.generate(200, 370, 60, 800);
    for (auto& t : cases) {
        level.score = 0;
        jumpers = tjumper();
        jumpers.prg = jumper_inair, jumpers.x = t[0], jumpers.y = t[1], jumpers.fym = 1;
        jumpers.upd();
        EXPECT_EQ(level.score, -t[2]);
        EXPECT_EQ(jumpers.prg, 2 - 2 * t[2]);
        EXPECT_EQ(records(fires), 1);
    }
}

}  // namespace
