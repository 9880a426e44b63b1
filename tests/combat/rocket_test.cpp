// Missiles: waiting, flight, end tests in their order, the title-screen defence, drawing.
#include "framework/samples.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/combat/fight.h"

struct rocket : fight {};

TEST_F(rocket, missile_generated_with_wait_1_first_moves_on_its_third_update) {
    int i = firstempty(world->rockets);
    world->rockets.generate(400, 0, 400, 370, 1, 0, 1, img_trailenemy);
    trocketdata& r = *world->rockets.d[i];
    EXPECT_EQ(r.wait, 1);
    r.upd();
    r.upd();
    EXPECT_EQ(r.prg, rocket_flying);
    EXPECT_EQ(r.y, 0);
    r.upd();
    EXPECT_FLOAT_EQ(r.y, 1);
}

TEST_F(rocket, enemy_missile_generated_with_wait_0_waits_a_drawn_0_to_199_frames) {
    trnd copy = world->rnd;
    int expected = copy.upd(200);
    int i = firstempty(world->rockets);
    world->rockets.generate(100, 0, 300, 370, 1.4f, 0, 0, img_trailenemy);
    EXPECT_EQ(world->rockets.d[i]->wait, expected);
    EXPECT_EQ(world->rockets.count, 1);
}

TEST_F(rocket, missile_with_2_5_steps_moves_three_times_and_ends_beyond_its_aim) {
    trocketdata& r = missile(400, 100, 400, 105, 2, 1);
    ASSERT_FLOAT_EQ(r.steps, 2.5f);
    r.upd();
    r.upd();
    EXPECT_EQ(r.prg, rocket_flying);
    r.upd();
    EXPECT_EQ(r.prg, rocket_ended);
    EXPECT_FLOAT_EQ(r.y, 106);
    // the aim point was reached: a plain explosion, no combo
    ttntdata& e = *world->tnt.d[0];
    EXPECT_EQ(e.combo, 0);
    EXPECT_EQ(e.maxtime, 400);
    EXPECT_EQ(e.owner, side_player);
}

TEST_F(rocket, missile_whose_start_is_its_aim_explodes_at_once_without_dividing_by_zero) {
    trocketdata& r = missile(300, 200, 300, 200, 2, 1);
    EXPECT_EQ(r.steps, 0);
    EXPECT_EQ(r.speedx, 0);
    r.upd();
    EXPECT_EQ(r.prg, rocket_ended);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(world->tnt.count(), 1);
}

TEST_F(rocket, player_missile_passing_an_enemy_scores_2_and_leaves_a_combo_explosion) {
    trocketdata& e = enemy(400, 100, 400, 370, 0.01f);
    trocketdata& p = missile(387, 101, 600, 101, 2, 1);
    stepframes(1);
    EXPECT_EQ(p.prg, rocket_flying);   // 389 is not yet inside the strict 20 x 20 box
    stepframes(1);
    EXPECT_EQ(e.prg, rocket_ended);
    EXPECT_EQ(p.prg, rocket_ended);
    EXPECT_EQ(world->level.score, 2);
    ASSERT_EQ(world->tnt.count(), 2);
    EXPECT_EQ(world->tnt.d[0]->combo, 0);   // at the enemy, the small blast
    EXPECT_FLOAT_EQ(world->tnt.d[0]->x, e.x);
    EXPECT_EQ(world->tnt.d[0]->maxtime, 100);
    EXPECT_EQ(world->tnt.d[1]->combo, 1);   // at the player missile
    EXPECT_FLOAT_EQ(world->tnt.d[1]->x, 391);
    EXPECT_EQ(world->tnt.d[1]->owner, side_player);
}

TEST_F(rocket, missiles_of_one_side_never_collide) {
    trocketdata& a = missile(400, 100, 600, 100, 1, 1);
    trocketdata& b = missile(401, 100, 600, 100, 1, 1);
    trocketdata& c = enemy(200, 100, 200, 370, 0.01f);
    trocketdata& d = enemy(201, 100, 201, 370, 0.01f);
    stepframes(3);
    for (const trocketdata* r : {&a, &b, &c, &d}) EXPECT_EQ(r->prg, rocket_flying);
    EXPECT_EQ(world->tnt.count(), 0);
}

TEST_F(rocket, missile_touching_an_explosion_and_a_house_in_one_frame_ends_as_a_house_hit) {
    int col, row;
    ASSERT_TRUE(findpixel(img_house[0], true, col, row));
    thousedata& h = onehouse(0, 300);
    float px = h.x + static_cast<float>(col) + 0.5f;
    float py = h.y - static_cast<float>(img_house[0]->height) + static_cast<float>(row) + 0.5f;
    explosion(px, py, 0.5f, 1000, 0, 0);
    trocketdata& r = enemy(px, py - 0.25f, px, 370, 0.25f);
    stepframes(1);
    EXPECT_EQ(r.prg, rocket_ended);
    EXPECT_EQ(h.prg, house_struck);
    EXPECT_EQ(world->level.score, -3);
    ASSERT_EQ(world->tnt.count(), 2);
    EXPECT_EQ(world->tnt.d[1]->maxtime, 400);   // the house hit's big blast, not the small one
    EXPECT_FLOAT_EQ(world->tnt.d[1]->size, 0.1f);
}

TEST_F(rocket, enemy_missile_reaching_the_street_leaves_a_harmful_explosion_paying_nothing) {
    onehouse(0, 200);
    trocketdata& a = enemy(600, 360, 600, 370, 4);
    stepframes(3);
    EXPECT_EQ(a.prg, rocket_ended);
    ASSERT_EQ(world->tnt.count(), 1);
    EXPECT_EQ(world->tnt.d[0]->owner, side_enemy);
    trocketdata& b = enemy(601, 371, 601, 390, 1);
    stepframes(1);
    EXPECT_EQ(b.prg, rocket_ended);
    EXPECT_EQ(world->level.score, 0);
}

TEST_F(rocket, ended_missile_fades_for_50_frames_and_is_then_removed_and_uncounted) {
    onehouse(0, 200);
    int i = firstempty(world->rockets);
    enemy(500, 365, 500, 370, 10);
    EXPECT_EQ(world->rockets.count, 1);
    stepframes(1);
    ASSERT_EQ(world->rockets.d[i]->prg, rocket_ended);
    stepframes(50);
    ASSERT_TRUE(world->rockets.d[i]);
    stepframes(1);
    EXPECT_FALSE(world->rockets.d[i]);
    EXPECT_EQ(world->rockets.count, 0);
}

TEST_F(rocket, player_missile_sound_is_tracked_and_released_when_it_ends) {
    trocketdata& p = missile(400, 370, 400, 300, 2, 1);
    tchn& c = world->snd.c[p.chn];
    EXPECT_EQ(c.s, &world->snd.s[smp_launch]);
    EXPECT_FLOAT_EQ(c.c->rate, 0.5f);          // min(0.5, 80 / 35 steps)
    EXPECT_FLOAT_EQ(world->snd.s[smp_launch].pan, (400 * 0.00125f - 0.5f) * 0.3f);
    p.x = 700;
    p.upd();
    EXPECT_FLOAT_EQ(c.pan, ((700 + p.speedx) * 0.00125f - 0.5f) * 0.3f);
    EXPECT_EQ(c.released, 0);
    p.destroy();
    EXPECT_EQ(c.released, 1);
}

TEST_F(rocket, turret_explosion_is_loud_and_later_big_explosions_play_at_half_volume) {
    EXPECT_FLOAT_EQ(world->snd.s[smp_xplo1].vol, 0.75f);
    world->houses.removeall();
    int col, row;
    ASSERT_TRUE(findpixel(img_turretbase, true, col, row));
    tgundata& g = *world->guns.d[1];
    float px = g.x - turretbasew2 + static_cast<float>(col) + 0.5f;
    float py = g.y - static_cast<float>(img_turretbase->height) + static_cast<float>(row) + 0.5f;
    enemy(px, py - 0.5f, px, 370, 0.5f);
    stepframes(1);
    EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[smp_xplo1]);
    EXPECT_FLOAT_EQ(world->snd.c[world->snd.chn].vol, world->snd.vol * 1.0f);
    EXPECT_FLOAT_EQ(world->snd.s[smp_xplo1].vol, 0.5f);
    ttntdata& e = *world->tnt.d[0];
    EXPECT_FLOAT_EQ(e.size, 0.01f);
    EXPECT_EQ(e.maxtime, 800);
    EXPECT_EQ(e.owner, side_player);
}

struct titlescreen : fight {
    void SetUp() override {
        fight::SetUp();
        world->level.prg = level_title;
        world->houses.removeall();
    }
};

TEST_F(titlescreen, enemy_missile_is_answered_once_after_60_eligible_frames) {
    trocketdata& r = enemy(420, 100, 380, 370, 0.01f);
    for (int f = 0; f < 60; f++) r.upd();
    EXPECT_EQ(r.ai_check, 0);
    EXPECT_EQ(r.ai_wait, 0);

    // The look-ahead point lies halfway down the remaining flight; the middle turret is
    // nearest to it. Its three draws: the flight time divisor, then x, then y.
    trnd copy = world->rnd;
    float nx = r.x + r.speedx, ny = r.y + r.speedy;
    float dx = 400 - nx, dy = 370 - ny;
    float t = std::sqrt(dx * dx + dy * dy) / static_cast<float>(3 + copy.upd(4));
    float ax = nx + r.speedx * t + static_cast<float>(copy.upd(51)) - 25;
    float ay = std::min(ny + r.speedy * t + static_cast<float>(copy.upd(51)) - 25, 355.0f);
    int i = firstempty(world->rockets);
    r.upd();
    EXPECT_EQ(r.ai_check, 1);
    EXPECT_FLOAT_EQ(world->guns.ai_x, ax);
    EXPECT_FLOAT_EQ(world->guns.ai_y, ay);
    ASSERT_TRUE(world->rockets.d[i]);
    trocketdata& p = *world->rockets.d[i];
    EXPECT_EQ(p.owner, side_player);
    EXPECT_EQ(p.startx, 400);
    EXPECT_EQ(p.wait, 1);
    EXPECT_EQ(world->guns.d[0]->cooldown, 240);
    EXPECT_EQ(world->guns.d[0]->ammo, 6);   // the title screen does not use up ammunition

    world->guns.d[0]->cooldown = 0;
    int n = records(world->rockets);
    for (int f = 0; f < 30; f++) r.upd();
    EXPECT_EQ(records(world->rockets), n);   // never answered twice
}

TEST_F(titlescreen, missile_below_220_is_not_answered) {
    trocketdata& r = enemy(420, 230, 380, 370, 0.01f);
    for (int f = 0; f < 100; f++) r.upd();
    EXPECT_EQ(r.ai_wait, 60);
    EXPECT_EQ(r.ai_check, 0);
}

TEST_F(titlescreen, nearest_ready_turret_answers_and_without_one_the_missile_waits) {
    trocketdata& r = enemy(650, 100, 760, 370, 0.01f);
    r.ai_wait = 0;
    world->guns.d[1]->cooldown = 5;   // the right turret is nearest but not ready
    int i = firstempty(world->rockets);
    r.upd();
    ASSERT_TRUE(world->rockets.d[i]);
    EXPECT_EQ(world->rockets.d[i]->startx, 400);

    trocketdata& q = enemy(150, 100, 50, 370, 0.01f);
    q.ai_wait = 0;
    for (auto& g : world->guns.d) g->cooldown = 10;
    q.upd();
    EXPECT_EQ(q.ai_check, 0);         // tried again next frame
    for (auto& g : world->guns.d) g->cooldown = 0;
    q.upd();
    EXPECT_EQ(q.ai_check, 1);
}

TEST_F(rocket, flying_missile_draws_its_trail_its_turned_head_and_two_aim_marks) {
    trocketdata& r = missile(400, 370, 200, 170, 2, 1);
    r.upd();
    ClearDrawRecords();
    world->rockets.draw();
    const auto& rec = DrawRecords();
    std::vector<const tdrawrecord*> imgs, lines;
    for (auto& d : rec) {
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
        if (d.op == tdrawrecord::line) lines.push_back(&d);
    }
    ASSERT_EQ(imgs.size(), 2u);
    EXPECT_EQ(imgs[0]->img, img_trailplayer);
    EXPECT_FLOAT_EQ(imgs[0]->state.tform_scale_x, 7);
    EXPECT_EQ(imgs[1]->img, img_rocket);
    EXPECT_FLOAT_EQ(imgs[1]->state.tform_scale_x, 1);
    // flying up and left: the head's up axis (local -y) points along the flight
    const float* m = imgs[1]->modelview;
    float upx = -m[4], upy = -m[5];
    EXPECT_LT(upx, 0);
    EXPECT_LT(upy, 0);
    EXPECT_NEAR(upx, upy, 1e-4);
    EXPECT_NEAR(m[12], r.x * world->viewscalex, 1e-3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->state.color_red, 192);
    EXPECT_FLOAT_EQ(lines[0]->state.color_alpha, 0.33f);
    EXPECT_FLOAT_EQ(lines[0]->y, 170);
    EXPECT_FLOAT_EQ(lines[1]->x, 200);
}

TEST_F(rocket, waiting_missile_draws_nothing_and_ended_one_only_its_fading_trail) {
    trocketdata& r = missile(400, 370, 200, 170, 2, 1);
    r.prg = rocket_waiting;
    ClearDrawRecords();
    world->rockets.draw();
    for (auto& d : DrawRecords()) EXPECT_NE(d.op, tdrawrecord::image);
    r.prg = rocket_ended;
    r.x = 390;
    r.alpha = 0.5f;
    ClearDrawRecords();
    world->rockets.draw();
    int n = 0;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::image) {
            n++;
            EXPECT_EQ(d.img, img_trailplayer);
            EXPECT_FLOAT_EQ(d.state.color_alpha, 0.5f);
        }
    EXPECT_EQ(n, 1);
}

TEST_F(rocket, missile_before_its_first_move_draws_its_head_along_the_flight_and_no_trail) {
    missile(400, 370, 400, 170, 2, 1);   // straight up, not moved yet
    ClearDrawRecords();
    world->rockets.draw();
    std::vector<const tdrawrecord*> imgs;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
    ASSERT_EQ(imgs.size(), 1u);
    EXPECT_EQ(imgs[0]->img, img_rocket);
    const float* m = imgs[0]->modelview;
    for (int k = 0; k < 16; k++) EXPECT_TRUE(std::isfinite(m[k]));
    EXPECT_NEAR(m[4], 0, 1e-6);                 // local up is straight up
    EXPECT_NEAR(m[5], world->viewscaley, 1e-6);
    EXPECT_NEAR(m[13], 370 * world->viewscaley, 1e-3);
}
