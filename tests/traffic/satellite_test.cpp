// Satellites and meteors: hiding behind the skyline, the meteor's three hits, planes and the
// hero's punch, bad pictures.
#include "framework/samples.h"
#include "game/world.h"
#include "tests/traffic/skytraffic.h"

struct satellite : skytraffic {};

TEST_F(satellite, new_satellite_stays_hidden_silent_and_untouchable_until_it_clears_the_skyline) {
    const float x0 = 440.5f;
    ASSERT_EQ(cityalpha(x0, 369), 255);
    onehouse(0, 0);
    world->satellites.launchsatellite();
    tsatellitedata& s = *world->satellites.d[0];
    s.x = x0, s.speedx = 0, s.speedy = -1;
    // a player's missile rising with it, inside its box all the way
    trocketdata& m = missile(x0, s.y, x0, 0, 1, 1);
    int hidden = 0;
    for (float y = s.y - 1; y >= 370 || cityalpha(x0, y) == 255; y -= 1) hidden++;
    ASSERT_GT(hidden, 21 + 10);   // below the picture and behind at least ten opaque rows
    for (int k = 0; k < hidden; k++) {
        stepframes(1);
        ASSERT_EQ(s.seen, 0) << "frame " << k;
        ASSERT_EQ(s.seen1st, 0);
        ASSERT_EQ(m.prg, rocket_flying);
    }
    stepframes(1);
    EXPECT_EQ(records(world->satellites), 0);
    EXPECT_EQ(m.prg, rocket_ended);
    EXPECT_EQ(world->level.score, -4);   // -2 for the missile, -2 for the satellite
    bool released = false;   // its beeping had started, and fades with it
    for (auto& c : world->snd.c) released = released || (c.s == &world->snd.s[smp_satellite] && c.released == 1);
    EXPECT_TRUE(released);
}

TEST_F(satellite, three_missiles_break_a_meteor_and_only_the_players_count) {
    const struct { int owner, pay[3]; } rows[] = {{1, {-2, -2, 10}}, {0, {0, 0, 0}}};
    ASSERT_LT(cityalpha(400, 60), 255);
    for (auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "owner " << r.owner);
        clearsky();
        tsatellitedata& s = skyobject(1, 400, 60);
        for (int k = 0; k < 3; k++) {
            world->tnt.removeall();   // an enemy missile would end in the last blast first
            world->level.score = 0;
            missile(400, 62, 400, 0, 1, r.owner);
            stepframes(1);
            EXPECT_EQ(world->level.score, r.pay[k]) << "hit " << k + 1;
            if (k < 2) {
                EXPECT_EQ(s.hits, 2 - k);
            }
        }
        EXPECT_EQ(records(world->satellites), 0);
        ASSERT_EQ(records(world->tnt), 2);
        const ttntdata& big = *world->tnt.d[1];   // the meteor breaks in a large blast of the same side
        EXPECT_FLOAT_EQ(big.x, 400);
        EXPECT_EQ(big.maxtime, 400);
        EXPECT_EQ(big.owner, r.owner);
    }
}

TEST_F(satellite, meteor_wrecks_a_plane_and_the_hero_punches_each_object_only_once) {
    tsatellitedata& meteor = skyobject(1, 400, 60);
    meteor.speedy = 0.25f;
    flyer(0, 400, 62);
    stepframes(1);
    EXPECT_EQ(records(world->planes), 0);
    EXPECT_EQ(world->level.score, -2);
    EXPECT_EQ(meteor.hits, 2);
    ASSERT_EQ(records(world->tnt2), 1);
    EXPECT_FLOAT_EQ(world->tnt2.d[0]->y, 62);

    // a meteor flies back up and the hero turns round; a satellite drops back down
    const struct { int art; float speedy, punched, herospeedx; } rows[] = {
        {1, 0.25f, -0.5f, -0.4f}, {0, -0.5f, 1.0f, 0.4f}};
    for (auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "art " << r.art);
        clearsky();
        world->level.score = 0;
        tsatellitedata& s = skyobject(r.art, 400, 60);
        s.speedy = r.speedy;
        tplanedata& hero = flyer(1, 400, 60.5f);
        hero.speedx = 0.4f;
        stepframes(1);
        EXPECT_FLOAT_EQ(s.speedy, r.punched);
        EXPECT_FLOAT_EQ(hero.speedx, r.herospeedx);
        EXPECT_EQ(world->snd.c[world->snd.chn].s, &world->snd.s[smp_punch]);
        stepframes(1);   // still touching: no second punch
        EXPECT_FLOAT_EQ(s.speedy, r.punched);
        EXPECT_FLOAT_EQ(hero.speedx, r.herospeedx);
        EXPECT_EQ(records(world->satellites) + records(world->planes), 2);
        EXPECT_EQ(world->level.score, 0);
    }
}

// The skyline's buffer holds only its top-left w x h pixels while this lives.
struct cutskyline {
    TPixmap& p = img_city->pixmaps[0];
    const int w0 = p.width, h0 = p.height;
    cutskyline(int w, int h) { p.width = w, p.height = h; }
    ~cutskyline() { p.width = w0, p.height = h0; }
};

TEST_F(satellite, skyline_buffer_lacking_the_pixel_under_a_satellite_reads_as_clear_sky) {
    ASSERT_EQ(cityalpha(440, 300), 255);
    const struct { int w, h, seen; } rows[] = {
        {img_city->width, img_city->height, 0}, {img_city->width, 100, 1}, {400, img_city->height, 1}};
    for (auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.w << " x " << r.h);
        clearsky();
        cutskyline cut(r.w, r.h);
        tsatellitedata& s = skyobject(0, 440, 300);
        stepframes(1);
        EXPECT_EQ(s.seen, r.seen);
    }
}

TEST_F(satellite, meteor_launch_without_meteor_pictures_releases_nothing_after_its_two_draws) {
    std::vector<TImage*> saved;
    saved.swap(img_meteor);
    trnd copy = world->rnd;
    copy.updf(0.5f), copy.upd(0);
    world->satellites.launchmeteor();
    img_meteor.swap(saved);
    EXPECT_EQ(records(world->satellites), 0);
    EXPECT_EQ(world->rnd.seed, copy.seed);
    EXPECT_EQ(world->rnd.n3, copy.n3);
}
