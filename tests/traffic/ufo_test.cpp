// UFOs: the combo score, the laser's order of targets and what each shot costs, the launch draws.
#include "framework/samples.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/traffic/skytraffic.h"

struct ufo : skytraffic {};

TEST_F(ufo, player_missile_pays_10_and_its_blast_20_for_the_next_ufo_but_enemy_blasts_nothing) {
    int engine = hover(300, 100).chn;
    missile(300, 105, 300, 0, 1, 1);
    stepframes(1);
    EXPECT_EQ(records(world->ufos), 0);
    EXPECT_EQ(world->level.score, 10);
    EXPECT_EQ(world->snd.c[engine].released, 1);   // the engine fades out
    EXPECT_EQ(records(world->particles), 16);
    ASSERT_EQ(records(world->tnt), 1);
    ttntdata& e = *world->tnt.d[0];
    EXPECT_EQ(e.owner, side_player);
    EXPECT_EQ(e.combo, 1);

    hover(e.x, e.y + 2);
    stepframes(1);
    EXPECT_EQ(records(world->ufos), 0);
    EXPECT_EQ(world->level.score, 30);
    ASSERT_EQ(records(world->texts), 1);
    EXPECT_EQ(world->texts.d[0]->txt, world->txtcombo + "2");
    EXPECT_FLOAT_EQ(world->texts.d[0]->size, 1.0f);

    ttntdata& enemyblast = explosion(600, 150, 0.5f, 100, 0, 3);
    hover(602, 152);
    stepframes(1);
    EXPECT_EQ(records(world->ufos), 0);
    EXPECT_EQ(world->level.score, 30);
    EXPECT_EQ(enemyblast.combo, 3);
    EXPECT_EQ(records(world->texts), 1);
}

TEST_F(ufo, laser_takes_a_missile_first_then_fires_at_the_hero_without_effect_every_201_frames) {
    tufodata& u = hover(400, 100);
    u.cooldown = 0;
    tplanedata& hero = flyer(1, 430, 100);
    tcardata& car = world->cars.add();
    car.img = img_car[0], car.x = 380, car.y = 150;
    trocketdata& m = missile(330, 160, 330, 0, 0.01f, 1);
    stepframes(1);
    EXPECT_EQ(m.prg, rocket_ended);
    const float mx = m.x, my = m.y;   // the missile record fades and goes
    EXPECT_FLOAT_EQ(u.targetx, mx);
    EXPECT_FLOAT_EQ(u.targety, my);
    // a player's blast, which can still chain, its big sound at a high pitch
    ASSERT_EQ(records(world->tnt), 1);
    EXPECT_EQ(world->tnt.d[0]->owner, side_player);
    EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[smp_xplo1]);
    EXPECT_GE(world->snd.c[world->snd.chn].c->rate, 1.3f);
    EXPECT_EQ(world->snd.c[(world->snd.chn - 1) & world->snd.maxchn1].s, &world->snd.s[smp_laser]);

    stepframes(30);
    EXPECT_EQ(u.laser, 10);   // the beam fades over 40 frames
    stepframes(170);
    EXPECT_FLOAT_EQ(u.targetx, mx);   // still cooling down
    stepframes(1);
    EXPECT_FLOAT_EQ(u.targetx, hero.x);   // the hero comes before the car
    EXPECT_EQ(u.laser, 40);
    EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[smp_laser]);
    EXPECT_EQ(records(world->planes) + records(world->cars), 2);
    EXPECT_EQ(world->level.score, 0);
}

TEST_F(ufo, laser_costs_points_for_each_kind_it_shoots) {
    enum { plane, car, satellite, meteor, lastmeteorhit, jumper, chopper };
    const struct { int kind, score, left; } rows[] = {{plane, -2, 0}, {car, -1, 0},
        {satellite, -2, 0}, {meteor, -2, 1}, {lastmeteorhit, -2, 0}, {jumper, -1, 0}, {chopper, -3, 0}};
    const float tx = 450, ty = 60;
    ASSERT_LT(cityalpha(tx, ty), 255);
    for (auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << r.kind);
        clearsky();
        world->level.score = 0;
        tufodata& u = hover(400, 100);
        u.cooldown = 0;
        float dy = 0;
        if (r.kind == plane) flyer(0, tx, ty);
        if (r.kind == car) {
            tcardata& c = world->cars.add();
            c.img = img_car[0], c.x = tx, c.y = ty;
            dy = static_cast<float>(img_car[0]->height / 2);   // the beam ends mid-body
        }
        if (r.kind == satellite || r.kind == meteor) skyobject(r.kind == meteor, tx, ty);
        if (r.kind == lastmeteorhit) skyobject(1, tx, ty).hits = 1;
        if (r.kind == jumper) world->jumpers.prg = jumper_inair, world->jumpers.x = tx, world->jumpers.y = ty;
        if (r.kind == chopper) {
            tchopperdata& c = world->choppers.add();
            c.img = img_chopper[0], c.x = tx, c.y = ty;
        }
        stepframes(1);
        EXPECT_EQ(u.laser, 40);
        EXPECT_FLOAT_EQ(u.targety, ty + dy);
        EXPECT_EQ(world->level.score, r.score);
        ASSERT_EQ(records(world->tnt2), 1);
        EXPECT_FLOAT_EQ(world->tnt2.d[0]->x, tx);
        EXPECT_EQ(records(world->planes) + records(world->cars) + records(world->satellites) + records(world->choppers),
                  r.left);
        if (r.left) {
            EXPECT_EQ(world->satellites.d[0]->hits, 2);
        }
    }
}

TEST_F(ufo, launches_draw_in_order_ufo_then_satellite) {
    trnd copy = world->rnd;
    float speedx = copy.updf(0.8f) + 0.4f;
    bool left = copy.upd(2) != 0;
    float y = static_cast<float>(copy.upd(130) + world->ufos.ih2);
    int fly = copy.upd(120) + 60;
    float fy = copy.updf(2.0f) - 1.0f;
    float rate = copy.updf(0.2f) + 0.8f;
    world->ufos.generate();
    const tufodata& u = *world->ufos.d[0];
    EXPECT_FLOAT_EQ(u.maxspeedx, left ? -speedx : speedx);
    EXPECT_FLOAT_EQ(u.x, left ? -world->ufos.iw2 : 800 + world->ufos.iw2);
    EXPECT_FLOAT_EQ(u.y, y);
    EXPECT_EQ(u.fly, fly);
    EXPECT_FLOAT_EQ(u.fy, fy);
    EXPECT_FLOAT_EQ(world->snd.c[u.chn].c->rate, rate);

    // the spin, its sign, x, the rising speed, the aim and the drift towards it
    float spin = copy.updf(1.0f) + 0.5f;
    float sign = static_cast<float>(2 * copy.upd(2) - 1);
    float x = static_cast<float>(copy.upd(800));
    float speedy = copy.updf(0.5f) + 0.25f;
    float tx = static_cast<float>(copy.upd(800));
    float drift = copy.updf(tx - x) * 0.00125f;
    world->satellites.launchsatellite();
    const tsatellitedata& s = *world->satellites.d[0];
    EXPECT_FLOAT_EQ(s.speedr, spin * sign);
    EXPECT_FLOAT_EQ(s.x, x);
    EXPECT_FLOAT_EQ(s.speedy, -speedy);
    EXPECT_FLOAT_EQ(s.speedx, drift);
    EXPECT_EQ(world->rnd.seed, copy.seed);
    EXPECT_EQ(world->rnd.n3, copy.n3);
}

TEST_F(ufo, beam_fades_in_crimson_and_a_ufo_heading_right_is_drawn_mirrored) {
    tufodata& u = hover(300, 100);
    u.speedx = -0.5f, u.laser = 10, u.targetx = 350, u.targety = 200;
    ClearDrawRecords();
    world->ufos.draw();
    std::vector<const tdrawrecord*> imgs;
    for (auto& d : DrawRecords())
        if (d.op == tdrawrecord::image) imgs.push_back(&d);
    ASSERT_EQ(imgs.size(), 2u);
    const tdrawstate& beam = imgs[0]->state;
    EXPECT_EQ(imgs[0]->img, img_beam);
    EXPECT_FLOAT_EQ(beam.color_alpha, 0.25f);
    EXPECT_EQ(beam.color_red * 65536 + beam.color_green * 256 + beam.color_blue, 0xff0060);
    EXPECT_EQ(imgs[1]->img, img_ufo);
    EXPECT_FLOAT_EQ(imgs[1]->state.tform_scale_x, -1);
    EXPECT_FLOAT_EQ(imgs[1]->state.color_alpha, 1);
    EXPECT_FLOAT_EQ(DrawState().tform_scale_x, 1);
}
