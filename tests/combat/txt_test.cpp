// Floating labels: placement on screen, direction, size limit, order, fading.
#include "framework/font.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

struct labels : fight {
    void SetUp() override {
        fight::SetUp();
        world->texts = ttxt();
    }
};

TEST_F(labels, label_is_kept_on_screen_at_both_edges) {
    world->texts.generate("Combo x2", 5, 200, 1);
    EXPECT_EQ(world->texts.d[0]->x, 0);
    world->texts.generate("Combo x3", 795, 200, 1);
    ASSERT_EQ(world->texts.d[1]->txt, "Combo x3");
    EXPECT_FLOAT_EQ(world->texts.d[1]->x + static_cast<float>(world->font.width("Combo x3")), 800);
}

TEST_F(labels, label_near_the_top_sinks_and_lower_ones_rise) {
    world->texts.generate("a", 400, 60, 2);
    ttxtdata& top = *world->texts.d[0];
    EXPECT_FLOAT_EQ(top.y, 60 - static_cast<float>(world->font.maxh) * 2 / 2);
    EXPECT_FLOAT_EQ(top.dir, 0.6f);
    world->texts.generate("b", 400, 200, 1);
    ttxtdata& low = world->texts.d[0]->txt == "b" ? *world->texts.d[0] : *world->texts.d[1];
    EXPECT_FLOAT_EQ(low.dir, -0.3f);
    float y = low.y;
    world->texts.upd();
    EXPECT_FLOAT_EQ(low.y, y - 0.3f);
}

TEST_F(labels, label_is_never_larger_than_3) {
    world->texts.generate("x", 400, 200, 5);
    EXPECT_EQ(world->texts.d[0]->size, 3);
}

TEST_F(labels, later_label_is_drawn_on_top_and_each_lives_101_updates) {
    world->texts.generate("first", 400, 200, 1);
    world->texts.upd();
    world->texts.generate("second", 400, 200, 1);
    EXPECT_EQ(world->texts.d[0]->txt, "first");
    EXPECT_EQ(world->texts.d[1]->txt, "second");
    ClearDrawRecords();
    world->texts.draw();
    std::vector<std::string> notes;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::note) notes.push_back(d.text);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1], "second");
    for (int f = 0; f < 99; f++) world->texts.upd();
    ASSERT_TRUE(world->texts.d[0]);   // 100 updates: still there
    world->texts.upd();
    EXPECT_FALSE(world->texts.d[0]);   // the first one's 101st update
    ASSERT_TRUE(world->texts.d[1]);
    world->texts.upd();
    EXPECT_FALSE(world->texts.d[1]);
}

TEST_F(labels, label_draws_opaque_for_its_first_half_then_fades) {
    world->texts.generate("x", 400, 200, 1.5f);
    for (int f = 0; f < 75; f++) world->texts.upd();
    ClearDrawRecords();
    world->texts.draw();
    const tdrawrecord* note = nullptr;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::note) note = &d;
    ASSERT_TRUE(note);
    EXPECT_NEAR(note->state.color_alpha, 0.5f, 1e-5);
    EXPECT_FLOAT_EQ(note->state.tform_scale_x, 1.5f);
    EXPECT_FLOAT_EQ(DrawState().tform_scale_x, 1);
}
