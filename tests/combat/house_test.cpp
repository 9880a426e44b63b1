// Houses: the city layout, pixel-exact strikes, shaking, sinking and the smoke.
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

struct city : fight {
    // An enemy missile arriving on pixel (col, row) of house h within one frame.
    static trocketdata& hitat(const thousedata& h, int col, int row) {
        float px = h.x + static_cast<float>(col) + 0.5f;
        float py = h.y - static_cast<float>(h.img->height) + static_cast<float>(row) + 0.5f;
        return enemy(px, py - 0.5f, px, 400, 0.5f);
    }
};

TEST_F(city, new_city_has_ten_houses_tallest_first) {
    world->houses.removeall();
    world->houses.generateall();
    EXPECT_EQ(world->houses.count, 10);
    EXPECT_EQ(records(world->houses), 10);
    for (int i = 0; i < 10; i++) {
        ASSERT_TRUE(world->houses.d[i]);
        EXPECT_EQ(world->houses.d[i]->y, 370);
        EXPECT_GE(world->houses.d[i]->x, 0);
        EXPECT_LT(world->houses.d[i]->x, 800);
        if (i > 0) {
            EXPECT_GE(world->houses.d[i - 1]->img->height, world->houses.d[i]->img->height);
        }
    }
}

TEST_F(city, city_layout_follows_the_draws_of_the_widest_gap) {
    world->houses.removeall();
    trnd copy = world->rnd;
    int n = static_cast<int>(img_house.size());
    // The first house: its picture, a provisional x, then its cut in the gap 0 .. 800.
    TImage* pic = img_house[copy.upd(n)];
    copy.upd(800 - pic->width);
    float x0 = static_cast<float>(copy.upd(800 - pic->width));
    world->houses.generateall();
    bool found = false;
    for (auto& h : world->houses.d)
        if (h && h->x == x0 && h->img == pic) found = true;
    EXPECT_TRUE(found);
}

TEST_F(city, without_house_pictures_no_city_is_built) {
    std::vector<TImage*> saved;
    saved.swap(img_house);
    world->houses.removeall();
    world->houses.generateall();
    EXPECT_EQ(world->houses.generate(0, 800, 370), -1);
    img_house.swap(saved);
    EXPECT_EQ(world->houses.count, 0);
    EXPECT_EQ(records(world->houses), 0);
}

TEST_F(city, missile_over_a_transparent_part_of_a_house_flies_on) {
    int pic = -1, col = 0, row = 0;
    for (int i = 0; i < static_cast<int>(img_house.size()) && pic < 0; i++)
        if (findpixel(img_house[i], false, col, row)) pic = i;
    ASSERT_GE(pic, 0) << "every house picture is opaque to its edges";
    thousedata& h = onehouse(pic, 300);
    trocketdata& r = hitat(h, col, row);
    stepframes(1);
    EXPECT_EQ(r.prg, rocket_flying);
    EXPECT_EQ(h.prg, house_intact);
}

TEST_F(city, two_missiles_on_one_house_cost_3_once) {
    int col, row;
    ASSERT_TRUE(findpixel(img_house[0], true, col, row));
    thousedata& h = onehouse(0, 300);
    trocketdata& a = hitat(h, col, row);
    stepframes(1);
    int chn = world->snd.chn;
    EXPECT_EQ(a.prg, rocket_ended);
    EXPECT_EQ(world->level.score, -3);
    EXPECT_EQ(h.prg, house_struck);
    EXPECT_EQ(h.wait, 60);

    trocketdata& b = hitat(h, col, row);
    stepframes(1);
    EXPECT_EQ(b.prg, rocket_ended);              // stopped all the same, with its sound and blast
    EXPECT_EQ(world->level.score, -3);
    EXPECT_NE(world->snd.chn, chn);
    EXPECT_EQ(world->tnt.d[1]->maxtime, 400);
}

TEST_F(city, struck_house_shakes_61_frames_then_sinks_its_height_and_goes) {
    int col, row;
    ASSERT_TRUE(findpixel(img_house[0], true, col, row));
    thousedata& h = onehouse(0, 300);
    world->houses.generate(0, 800, 370);   // a second house keeps the city standing
    world->houses.d[1]->x = 600;
    hitat(h, col, row);
    stepframes(1);
    ASSERT_EQ(h.prg, house_struck);
    stepframes(60);
    EXPECT_EQ(h.prg, house_struck);
    EXPECT_EQ(h.y, 370);
    stepframes(1);
    EXPECT_EQ(h.prg, house_sinking);
    int ht = h.img->height;
    stepframes(2 * ht);
    ASSERT_TRUE(world->houses.d[0]);
    EXPECT_EQ(world->houses.count, 2);
    EXPECT_FLOAT_EQ(h.y, 370 + static_cast<float>(ht));
    stepframes(1);
    EXPECT_FALSE(world->houses.d[0]);
    EXPECT_EQ(world->houses.count, 1);
}

TEST_F(city, house_struck_while_sinking_keeps_its_pace) {
    int col, row;
    ASSERT_TRUE(findpixel(img_house[0], true, col, row));
    thousedata& h = onehouse(0, 300);
    h.prg = house_sinking;
    h.y = 372;
    hitat(h, col, row);
    stepframes(1);
    EXPECT_EQ(h.prg, house_sinking);
    EXPECT_FLOAT_EQ(h.y, 372.5f);
    EXPECT_EQ(world->level.score, 0);
}

TEST_F(city, struck_house_is_drawn_shaking_under_thickening_smoke) {
    thousedata& h = onehouse(0, 300);
    h.prg = house_struck;
    h.wait = 45;
    h.xr = 1.5f;
    ClearDrawRecords();
    world->houses.draw();
    std::vector<const tdrawrecord*> imgs;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
    ASSERT_EQ(imgs.size(), 2u);
    EXPECT_FLOAT_EQ(imgs[0]->x, 301.5f);
    EXPECT_EQ(imgs[1]->img, img_explosion1);
    EXPECT_FLOAT_EQ(imgs[1]->x, 300 + static_cast<float>(h.img->width / 2));
    EXPECT_FLOAT_EQ(imgs[1]->y, 370);
    EXPECT_FLOAT_EQ(imgs[1]->state.color_alpha, 0.25f);
    EXPECT_EQ(imgs[1]->state.color_red, 220);
    EXPECT_FLOAT_EQ(DrawState().tform_rot, 0);
}
