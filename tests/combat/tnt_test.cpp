// Explosions: the combo chain, the truncated distance, lifetime, wind, drawing.
#include "framework/samples.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

struct explosions : fight {};

TEST_F(explosions, combo_chain_pays_2_then_4_6_8_with_growing_labels) {
    world->houses.removeall();
    world->houses.generate(0, 800, 370);   // one house far below keeps the city standing
    world->houses.d[0]->x = 700;
    world->texts = ttxt();
    enemy(400, 100, 400, 370, 0.01f);
    missile(387, 101, 600, 101, 2, 1);
    stepframes(2);
    ASSERT_EQ(world->level.score, 2);
    ASSERT_TRUE(world->tnt.d[1]);
    ttntdata& c = *world->tnt.d[1];
    ASSERT_EQ(c.combo, 1);

    // the small blast of the first hit must have gone before the chain is seen alone
    stepframes(100);
    ASSERT_FALSE(world->tnt.d[0]);
    ASSERT_GT(c.mainsize, 50);

    const float off[3][2] = {{-40, 0}, {40, 0}, {0, -40}};
    const int pay[3] = {4, 6, 8};
    const float labelsize[3] = {1.0f, 1.25f, 1.5f};
    for (int k = 0; k < 3; k++) {
        int score = world->level.score;
        int t = firstempty(world->texts);
        trocketdata& r = enemy(c.x + off[k][0], c.y + off[k][1] - 0.01f, c.x + off[k][0], 370, 0.01f);
        stepframes(1);
        EXPECT_EQ(r.prg, rocket_ended);
        EXPECT_EQ(c.combo, 2 + k);
        EXPECT_EQ(world->level.score - score, pay[k]);
        ASSERT_TRUE(world->texts.d[t]);
        EXPECT_EQ(world->texts.d[t]->txt, world->txtcombo + std::to_string(2 + k));
        EXPECT_FLOAT_EQ(world->texts.d[t]->size, labelsize[k]);
    }
}

TEST_F(explosions, explosion_without_combo_destroys_enemy_missiles_paying_nothing) {
    explosion(300, 200, 0.5f, 100, 0, 0);
    trocketdata& r = enemy(300, 190, 300, 370, 1);
    trocketdata& p = missile(300, 210, 300, 100, 1, 1);
    stepframes(1);
    EXPECT_EQ(r.prg, rocket_ended);
    EXPECT_EQ(p.prg, rocket_flying);              // the player's own missiles fly through
    EXPECT_EQ(world->level.score, 0);
    EXPECT_EQ(records(world->texts), 0);
}

TEST_F(explosions, distance_truncates_offsets_to_whole_units) {
    ttntdata& e = explosion(300, 200, 0.01f, 100, 0, 0);   // radius 0.32
    trocketdata& r = enemy(300.9f, 200.9f, 300.9f, 370, 1);
    r.y = 198.9f;
    EXPECT_EQ(world->tnt.collisionrocket(r), 0);
    r.y = 200.9f;
    EXPECT_EQ(world->tnt.collisionrocket(r), 1);
    r.x = 301.0f;
    EXPECT_EQ(world->tnt.collisionrocket(r), 0);
    EXPECT_LT(e.mainsize, 1);
}

TEST_F(explosions, explosion_of_100_frames_is_removed_by_its_100th_update) {
    ttntdata& e = explosion(300, 200, 0.5f, 100, 0, 0);
    for (int f = 0; f < 99; f++) world->tnt.upd();
    ASSERT_TRUE(world->tnt.d[0]);
    EXPECT_EQ(e.time, 1);
    EXPECT_FLOAT_EQ(e.timediv, 0.01f);
    world->tnt.upd();
    EXPECT_FALSE(world->tnt.d[0]);
}

TEST_F(explosions, explosion_with_a_lifetime_below_one_frame_still_ends) {
    explosion(300, 200, 0.5f, 0, 0, 0);
    world->tnt.upd();
    EXPECT_FALSE(world->tnt.d[0]);
}

TEST_F(explosions, explosions_grow_fade_late_and_drift_with_a_quarter_of_the_wind) {
    ttntdata& e = explosion(300, 200, 0.1f, 400, 0, 0);
    float rot = world->tnt.rot;
    world->rain.wind = 0.8f;
    world->tnt.upd();
    EXPECT_FLOAT_EQ(e.x, 300.2f);
    EXPECT_FLOAT_EQ(e.size, 0.1f + 399.0f / 20000);
    EXPECT_FLOAT_EQ(e.mainsize, e.size * explosionw2);
    world->rain.wind = -1;
    world->tnt.upd();
    EXPECT_FLOAT_EQ(e.x, 299.95f);
    EXPECT_FLOAT_EQ(e.alpha, 0.8f);
    world->rain.wind = 0;
    while (e.time > 15) world->tnt.upd();
    EXPECT_NEAR(e.alpha, std::sin(15.0 / 50 * M_PI / 2), 1e-6);
    EXPECT_FLOAT_EQ(world->tnt.rot, rot + 2.0f * static_cast<float>(400 - 15));
}

TEST_F(explosions, harmless_list_never_destroys_anything) {
    world->tnt2.generate(300, 200, 2, 100, -1, 1, 0, 0);
    trocketdata& r = enemy(300, 199, 300, 370, 1);
    stepframes(2);
    EXPECT_EQ(r.prg, rocket_flying);
}

TEST_F(explosions, explosion_sound_pans_with_x_and_varies_its_rate) {
    trnd copy = world->rnd;
    float rate = 1.0f - 0.2f + copy.updf(0.4f);
    world->tnt.generate(700, 200, 0.5f, 100, 1, 1.0f, 0, 0);
    tchn& c = world->snd.c[world->snd.chn];
    EXPECT_EQ(c.s, &world->snd.s[smp_xplo2]);
    EXPECT_FLOAT_EQ(c.pan, (700 * 0.00125f - 0.5f) * 0.3f);
    EXPECT_FLOAT_EQ(c.c->rate, rate);
    int chn = world->snd.chn;
    world->tnt.generate(700, 200, 0.5f, 100, -1, 1.0f, 0, 0);
    EXPECT_EQ(world->snd.chn, chn);   // silent
}

TEST_F(explosions, player_explosions_draw_cyan_and_enemy_ones_orange) {
    ttntdata& p = explosion(300, 200, 0.5f, 100, 1, 0);
    ttntdata& e = explosion(500, 200, 0.5f, 100, 0, 0);
    p.timediv = 0.5f;
    e.timediv = 0.5f;
    ClearDrawRecords();
    world->tnt.draw();
    std::vector<const tdrawrecord*> imgs;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
    ASSERT_EQ(imgs.size(), 4u);
    EXPECT_EQ(imgs[0]->img, img_explosion1);
    EXPECT_EQ(imgs[0]->state.color_green, 255);
    EXPECT_EQ(imgs[1]->img, img_explosion2);
    EXPECT_EQ(imgs[1]->state.color_red, 0);
    EXPECT_EQ(imgs[1]->state.color_green, 159);   // Int(191 x 0.5 + 64)
    EXPECT_EQ(imgs[1]->state.color_blue, 255);
    EXPECT_EQ(imgs[3]->state.color_red, 255);
    EXPECT_EQ(imgs[3]->state.color_green, 191);   // Int(127 x 0.5 + 128)
    EXPECT_EQ(imgs[3]->state.color_blue, 0);
    EXPECT_FLOAT_EQ(imgs[3]->state.tform_scale_x, 0.5f);
    EXPECT_FLOAT_EQ(imgs[3]->state.color_alpha, 0.8f);
    EXPECT_FLOAT_EQ(imgs[3]->state.tform_rot, world->tnt.rot);
    EXPECT_FLOAT_EQ(DrawState().color_alpha, 1);
}
