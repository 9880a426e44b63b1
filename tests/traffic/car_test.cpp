// Cars and police: the order of the draws, police numbers and siren, braking for hazards
// ahead, wrecks and their cost, horns, debris, drawing.
#include "framework/samples.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/traffic/calm.h"

struct cartraffic : calmworld {
    // Sounds of sample `smp` started since the pool stood at channel `from`.
    static int played(int from, int smp) {
        int n = 0;
        for (int c = from; c != world->snd.chn;) {
            c = (c + 1) & world->snd.maxchn1;
            n += world->snd.c[c].s == &world->snd.s[smp] ? 1 : 0;
        }
        return n;
    }
};

TEST_F(cartraffic, car_generate_takes_its_draws_in_order) {
    int kinds = 0;
    for (int k = 0; k < 60; k++) {
        emptystreet();
        trnd r = world->rnd;
        int c0 = r.upd(255), c1 = r.upd(255), c2 = r.upd(255);
        int type = r.upd(static_cast<int>(img_car.size()));
        float speed = r.updf(1.0f) + 0.5f;
        bool right = r.upd(2) != 0;
        float y = (right ? 385.0f : 367.0f) + (r.updf(6.0f) - 3);
        bool cop = r.upd(tcardata::policechance) == 0;
        int smp = cop ? (r.upd(2) ? 25 : -1) : (r.upd(5) ? -1 : 9 + r.upd(3));
        float rate = smp < 0 ? 0 : 0.9f + r.updf(0.1f);
        world->cars.generate();
        tcardata& c = *world->cars.d[0];
        EXPECT_EQ(c.col[1], cop ? 255 : c1 + 255 - std::max({c0, c1, c2}));
        EXPECT_EQ(c.imgt, img_cart[type]);
        EXPECT_EQ(c.maxspeed, (right ? -speed : speed) * (cop ? 1.2f : 1));
        EXPECT_EQ(c.y, cop ? c.y : y);
        if (smp >= 0) {
            EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[smp]);
            EXPECT_FLOAT_EQ(world->snd.c[world->snd.chn].c->rate, rate);
        }
        EXPECT_EQ(world->rnd.seed, r.seed);
        kinds |= (cop ? 1 : 0) | (smp >= 9 && smp <= 11 ? 2 : 0);
    }
    EXPECT_EQ(kinds, 3);
}

TEST_F(cartraffic, a_third_police_car_never_comes_and_a_second_never_sounds_its_siren) {
    int sirens = 0, seconds = 0;
    for (int round = 0; round < 20; round++) {
        emptystreet();
        for (int k = 0; k < 100; k++) {
            int before = world->cars.countpolice, chn = world->snd.chn;
            world->cars.generate();
            seconds += before == 1 && world->cars.countpolice == 2;
            if (before > 0) sirens += played(chn, 25);
        }
        int police = 0;
        for (auto& c : world->cars.d) police += c && c->art ? 1 : 0;
        EXPECT_EQ(police, world->cars.countpolice);
        EXPECT_LE(police, 2);
    }
    EXPECT_GT(seconds, 10);
    EXPECT_EQ(sirens, 0);
}

// With one police car about, a second one takes no draw for a siren, nor for passing noise.
TEST_F(cartraffic, a_second_police_car_takes_its_draws_without_a_siren_draw) {
    int seconds = 0;
    for (int k = 0; k < 400 && seconds < 3; k++) {
        emptystreet();
        world->cars.countpolice = 1;
        trnd r = world->rnd;
        for (int i = 0; i < 3; i++) r.upd(255);
        r.upd(static_cast<int>(img_car.size()));
        r.updf(1.0f), r.upd(2), r.updf(6.0f);
        if (r.upd(tcardata::policechance) != 0) {
            world->cars.generate();   // an ordinary car: on to the next draws
            continue;
        }
        int chn = world->snd.chn;
        world->cars.generate();
        ASSERT_EQ(world->cars.d[0]->art, kind_police);
        EXPECT_EQ(world->cars.d[0]->siren, 0);
        EXPECT_EQ(world->snd.chn, chn);
        EXPECT_EQ(world->rnd.seed, r.seed);
        seconds++;
    }
    EXPECT_EQ(seconds, 3);
}

// A silent police car keeps channel 0 in chn, and channel 0 is a real channel: here it carries
// the first police car's siren, which the silent one must neither pan nor fade, whether it
// drives off or is wrecked.
TEST_F(cartraffic, a_silent_police_car_leaves_the_siren_on_channel_0_alone) {
    for (bool wreck : {false, true}) {
        emptystreet();
        tcardata& loud = car(600, 375, 1, 1);
        world->snd.chn = world->snd.maxchn1;   // the next sound takes channel 0
        world->snd.play(world->snd.s[smp_sirene], 1, -1);
        loud.chn = world->snd.chn, loud.siren = 1;
        ASSERT_EQ(loud.chn, 0);
        tcardata& silent = car(100, 375, 1, 1);
        stepframes(1);
        EXPECT_FLOAT_EQ(world->snd.c[0].pan, (loud.x * 0.00125f - 0.5f) * 0.5f);
        world->rain.flash = wreck ? 1 : 0;
        world->rain.flashobj.x = silent.x - silent.speed;
        if (!wreck) silent.x = -silent.imgw2 + silent.speed / 2;
        stepframes(1);
        EXPECT_EQ(world->cars.count(), 1);
        EXPECT_EQ(world->snd.c[0].released, 0) << (wreck ? "wrecked" : "drove off");
        EXPECT_FLOAT_EQ(world->snd.c[0].pan, (loud.x * 0.00125f - 0.5f) * 0.5f);
        world->rain.flash = 0;
    }
}

TEST_F(cartraffic, siren_follows_its_police_car_and_fades_when_it_leaves_or_is_wrecked) {
    for (bool wreck : {false, true}) {
        for (int t = 0; t < 1000 && (!world->cars.d[0] || !world->cars.d[0]->siren); t++) {
            emptystreet();
            world->cars.generate();
        }
        tcardata& c = *world->cars.d[0];
        ASSERT_TRUE(c.siren);
        c.x = 300;
        stepframes(1);
        EXPECT_FLOAT_EQ(world->snd.c[c.chn].pan, (c.x * 0.00125f - 0.5f) * 0.5f);
        EXPECT_EQ(world->snd.c[c.chn].released, 0);
        world->rain.flash = wreck ? 1 : 0;
        world->rain.flashobj.x = c.x - c.speed;
        if (!wreck) c.x = c.speed < 0 ? 800 + c.imgw2 : -c.imgw2;
        int chn = c.chn;
        stepframes(1);
        EXPECT_EQ(world->snd.c[chn].released, 1);
        EXPECT_EQ(world->cars.countpolice + world->cars.count(), 0);
        world->rain.flash = 0;
    }
}

TEST_F(cartraffic, police_car_stops_beside_an_enemy_explosion_and_sprays_it_shorter) {
    ttntdata& e = explosion(400, 360, 1, 400, 0, 0);
    tcardata& p = car(560, 375, 1, 1);
    tcardata& q = car(700, 375, -1, 1);   // out of reach, driving away
    stepframes(1);
    EXPECT_GT(q.speed, 0);                // turned towards it
    for (int f = 0; f < 100 && !p.policedisti; f++) stepframes(1);
    ASSERT_EQ(p.policedisti, 1);
    int time = e.time;
    stepframes(100);
    EXPECT_EQ(e.time, time - 200);        // one frame more per frame
    EXPECT_LT(p.speed, 0.01f);
    EXPECT_LT(std::fabs(p.x - e.x), e.mainsize + 100);
}

// The explosions reach down to both lanes; the player's one also holds both cars.
TEST_F(cartraffic, only_cars_approaching_an_enemy_explosion_brake_and_player_blasts_stop_none) {
    const struct { float x, y, speed; int owner; bool brakes; } cases[] = {
        {480, 367, 1, 0, true},  {320, 367, 1, 0, false},   // driving left: ahead, behind
        {320, 385, -1, 0, true}, {480, 385, -1, 0, false},  // driving right
        {400, 367, 1, 1, false}, {400, 385, -1, 1, false},
    };
    for (auto& k : cases) {
        emptystreet();
        world->tnt.removeall();
        explosion(400, 300, k.owner ? 5 : 2.8f, 400, k.owner, 0);
        tcardata& c = car(k.x, k.y, k.speed);
        stepframes(3);
        ASSERT_TRUE(world->cars.d[0]) << k.x << " " << k.y;
        EXPECT_EQ(std::fabs(c.speed) < 1, k.brakes) << k.x << " " << k.y;
    }
    EXPECT_EQ(world->level.score, 0);
}

TEST_F(cartraffic, fire_burns_a_car_for_free_while_enemy_blast_or_lightning_costs_a_point) {
    enum { fire, blast, bolt };
    const struct { int hazard, art; bool wrecked; int cost; } cases[] = {
        {fire, 0, true, 0}, {fire, 1, true, 0}, {blast, 0, true, 1}, {blast, 1, false, 0},
        {bolt, 1, true, 1},
    };
    for (auto& k : cases) {
        emptystreet();
        world->tnt.removeall();
        world->fires.removeall();
        int score = world->level.score, blasts = world->tnt2.count(), debris = world->particles.count();
        car(400, 367, 0.5f, k.art);
        if (k.hazard == fire) world->fires.generate(380, 370, 40, 800);
        if (k.hazard == blast) explosion(400, 360, 0.5f, 100, 0, 0);
        world->rain.flash = k.hazard == bolt ? 1 : 0;
        world->rain.flashobj.x = 390;
        stepframes(1);
        EXPECT_EQ(world->cars.count() + world->cars.countpolice, k.wrecked ? 0 : 1 + k.art) << k.hazard << k.art;
        EXPECT_EQ(world->level.score, score - k.cost) << k.hazard << k.art;
        EXPECT_EQ(world->tnt2.count() - blasts + world->particles.count() - debris, k.wrecked ? 17 : 0);
    }
    world->rain.flash = 0;
    world->fires.removeall();
    car(380.5f, 367, 0.5f);               // onto the fire's left end: not yet in it
    world->fires.generate(380, 370, 40, 800);
    stepframes(1);
    EXPECT_EQ(world->cars.count(), 1);
}

// In each lane a car is in the reach of an explosion ahead with a car behind it, stuck at the
// hazard too, which honks.
TEST_F(cartraffic, one_horn_starts_in_24_frames_and_a_car_honks_once_per_stop) {
    explosion(600, 360, 0.5f, 100, 0, 0);
    explosion(200, 370, 0.6f, 100, 0, 0);
    tcardata* honkers[] = {&car(710, 367, 1), &car(90, 385, -1)};
    car(680, 367, 1);
    car(120, 385, -1);
    std::vector<int> horns;
    for (int f = 1; f <= 30; f++) {
        int chn = world->snd.chn;
        stepframes(1);
        for (int k = 0; k < played(chn, 16) + played(chn, 17); k++) horns.push_back(f);
        for (tcardata* c : honkers) ASSERT_NE(c->prg, car_cruising);
    }
    EXPECT_EQ(horns, (std::vector<int>{1, 25}));
}

TEST_F(cartraffic, passing_car_kicks_lying_debris_along_at_half_its_speed) {
    const int grey[3] = {99, 99, 99};
    world->particles.generate(400, 375, 0, 0, 1000, 0.01f, 1.4f, 0.05f, grey, grey, img_explosion1);
    tparticledata& p = *world->particles.d[world->particles.count() - 1];
    p.prg = particle_still;
    car(401, 367, 1.5f);
    world->cars.upd();
    EXPECT_EQ(p.prg, particle_moving);
    EXPECT_EQ(p.speedx, -0.75f);
}

TEST_F(cartraffic, without_car_or_plane_pictures_nothing_is_made_and_nothing_drawn) {
    std::vector<TImage*> keepcar, keepplane;
    std::swap(keepcar, img_car);
    std::swap(keepplane, img_plane);
    trnd r = world->rnd;
    world->cars.generate();
    world->planes.generate();
    std::swap(keepcar, img_car);
    std::swap(keepplane, img_plane);
    EXPECT_EQ(world->cars.count() + world->planes.count(), 0);
    EXPECT_EQ(world->rnd.seed, r.seed);
}

TEST_F(cartraffic, cars_draw_far_lane_first_tinted_with_plain_overlay_mirrored_driving_right) {
    car(300, 385, -1);
    tcardata& far = car(500, 367, 1);
    tcardata& p = car(600, 375, 1, 1);
    p.policedisti = 1, p.distix = 650, p.distiy = 300;
    world->cars.sort();
    ASSERT_EQ(world->cars.d[0].get(), &far);
    ClearDrawRecords();
    world->cars.draw();
    const auto& d = DrawRecords();
    const struct { const TImage* img; float x, scalex; int red, green; float alpha; } want[] = {
        {img_car[0], 500, 1, 200, 0, 1}, {img_cart[0], 500, 1, 255, 255, 1},
        {img_beam, 0, 0, 0, 196, 0.8f},  {img_police, 600, 1, 200, 0, 1},
        {img_car[0], 300, -1, 200, 0, 1}, {img_cart[0], 300, -1, 255, 255, 1},
    };
    ASSERT_EQ(d.size(), 6u);   // the police car has no overlay
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(d[i].img, want[i].img) << i;
        EXPECT_EQ(d[i].state.color_red, want[i].red) << i;
        EXPECT_EQ(d[i].state.color_green, want[i].green) << i;
        EXPECT_FLOAT_EQ(d[i].state.color_alpha, want[i].alpha) << i;
        if (want[i].img == img_beam) continue;
        EXPECT_EQ(d[i].x, want[i].x) << i;
        EXPECT_EQ(d[i].state.tform_scale_x, want[i].scalex) << i;
    }
    EXPECT_EQ(DrawState().tform_scale_x, 1);
}
