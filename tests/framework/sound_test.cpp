// The sound manager on the headless back end: the channel rotation, what play sends to a
// channel, release fades, pan slides and the master volume.
#include <gtest/gtest.h>

#include "framework/sound.h"
#include "tests/framework/headless.h"

namespace {

struct soundmanager : ::testing::Test {
    tsnd s;
    void SetUp() override {
        headless();
        s = createsnd(64);
        s.add("data/punch.ogg", 0);
        s.add("data/xplo2.ogg", 0);
        s.add("data/rain.ogg", 1);
        ASSERT_NE(s.s[0].s, nullptr);
        ASSERT_NE(s.s[1].s, nullptr);
        ASSERT_NE(s.s[2].s, nullptr);
    }
    TChannel& back(int i) { return *s.c[static_cast<size_t>(i)].c; }
};

}  // namespace

TEST_F(soundmanager, a_new_pool_is_set_to_the_master_volume) {
    EXPECT_EQ(s.c.size(), 64u);
    EXPECT_EQ(s.maxchn1, 63);
    EXPECT_EQ(s.chn, 0);
    EXPECT_FLOAT_EQ(s.vol, 0.5f);
    for (int i = 0; i < 64; i++) {
        ASSERT_NE(s.c[static_cast<size_t>(i)].c, nullptr);
        EXPECT_FLOAT_EQ(back(i).volume, 0.5f);
        EXPECT_EQ(s.c[static_cast<size_t>(i)].s, nullptr);
    }
    EXPECT_NE(s.c[0].c, s.c[1].c);
}

TEST_F(soundmanager, channels_are_taken_in_rotation_and_the_65th_sound_cuts_off_the_first) {
    s.play(s.s[0], 1, -1);
    EXPECT_EQ(s.chn, 1);   // channel 0 comes last in the first round
    EXPECT_EQ(s.c[1].s, &s.s[0]);
    for (int i = 0; i < 62; i++) s.play(s.s[1], 1, -1);
    EXPECT_EQ(s.chn, 63);
    s.play(s.s[1], 1, -1);
    EXPECT_EQ(s.chn, 0);
    EXPECT_EQ(s.c[1].s, &s.s[0]);
    EXPECT_EQ(back(1).sound, s.s[0].s);
    s.play(s.s[2], 1, -1);   // the 65th
    EXPECT_EQ(s.chn, 1);
    EXPECT_EQ(s.c[1].s, &s.s[2]);
    EXPECT_EQ(back(1).sound, s.s[2].s);
    // An explicit channel leaves the rotation alone.
    s.play(s.s[0], 1, 40);
    EXPECT_EQ(s.chn, 1);
    EXPECT_EQ(s.c[40].s, &s.s[0]);
}

TEST_F(soundmanager, play_sends_volume_pan_rate_and_depth_then_starts) {
    tsmp& m = s.s[1];
    m.vol = 0.6f;
    m.pan = -0.25f;
    m.depth = 0.3f;
    s.c[1].released = 1;
    s.play(m, 0.8f, -1);
    tchn& c = s.c[1];
    EXPECT_EQ(c.released, 0);
    EXPECT_FLOAT_EQ(c.vol, 0.3f);   // master 0.5 x 0.6
    EXPECT_FLOAT_EQ(c.pan, -0.25f);
    EXPECT_FLOAT_EQ(c.depth, 0.3f);
    EXPECT_FLOAT_EQ(back(1).volume, 0.3f);
    EXPECT_FLOAT_EQ(back(1).pan, -0.25f);
    EXPECT_FLOAT_EQ(back(1).rate, 0.8f);
    EXPECT_FLOAT_EQ(back(1).depth, 0.3f);
    EXPECT_FALSE(back(1).paused);
    EXPECT_TRUE(ChannelPlaying(c.c));
}

TEST_F(soundmanager, a_released_channel_fades_by_its_sample_and_is_then_paused) {
    tsmp& rain = s.s[2];
    rain.volfade = 0.05f;
    s.setvol(1);
    s.play(rain, 1, -1);
    tchn& c = s.c[1];
    c.released = 1;
    for (int i = 0; i < 10; i++) s.upd();
    EXPECT_NEAR(c.vol, 0.5f, 1e-5f);
    EXPECT_NEAR(back(1).volume, 0.5f, 1e-5f);
    for (int i = 0; i < 12; i++) s.upd();
    EXPECT_LE(c.vol, 0.0f);
    EXPECT_GT(c.vol, -0.05f);
    EXPECT_TRUE(back(1).paused);   // paused, not stopped
    EXPECT_EQ(back(1).sound, rain.s);
    EXPECT_FALSE(ChannelPlaying(c.c));
    float left = c.vol;
    s.upd();
    EXPECT_EQ(c.vol, left);        // no longer touched
    // setvol brings the still running sound back to its level.
    ResumeChannel(c.c);
    s.setvol(0.5f);
    EXPECT_FLOAT_EQ(c.vol, 0.5f);
    EXPECT_FLOAT_EQ(back(1).volume, 0.5f);
    EXPECT_EQ(c.released, 1);      // and it fades on from there
    s.upd();
    EXPECT_FLOAT_EQ(c.vol, 0.45f);
}

TEST_F(soundmanager, pan_slides_within_the_stereo_field_while_playing) {
    tsmp& rain = s.s[2];
    rain.pan = 0.9f;
    rain.panfade = 0.04f;
    s.play(rain, 1, -1);
    s.upd();
    EXPECT_FLOAT_EQ(s.c[1].pan, 0.94f);
    for (int i = 0; i < 5; i++) s.upd();
    EXPECT_FLOAT_EQ(s.c[1].pan, 1.0f);
    EXPECT_FLOAT_EQ(back(1).pan, 1.0f);
    // Without a slide the pan changes only when the owner writes it; the manager sends it.
    s.play(s.s[1], 1, -1);
    s.c[2].pan = -3;
    s.upd();
    EXPECT_FLOAT_EQ(s.c[2].pan, -1.0f);
    EXPECT_FLOAT_EQ(back(2).pan, -1.0f);
}

TEST_F(soundmanager, setvol_sets_every_channel_by_its_last_sample) {
    s.s[0].vol = 0.5f;
    s.play(s.s[0], 1, -1);
    s.setvol(0);
    for (int i = 0; i < 64; i++) EXPECT_EQ(back(i).volume, 0.0f);
    s.setvol(0.8f);
    EXPECT_FLOAT_EQ(s.c[1].vol, 0.4f);
    EXPECT_FLOAT_EQ(back(1).volume, 0.4f);
    EXPECT_FLOAT_EQ(back(5).volume, 0.8f);   // never used: the master volume itself
    EXPECT_FLOAT_EQ(s.vol, 0.8f);
}

TEST_F(soundmanager, samples_added_later_keep_the_channels_pointing_at_theirs) {
    s.play(s.s[1], 1, -1);
    for (int i = 0; i < 40; i++) s.add("data/punch.ogg", 0);
    EXPECT_EQ(s.c[1].s, &s.s[1]);
    s.load(1, "data/missing.ogg", 0);
    EXPECT_EQ(s.s[1].s, nullptr);   // replaced, failed loads leave no sound
    s.add("data/missing.ogg", 0);
    EXPECT_EQ(s.s.back().s, nullptr);
    EXPECT_FLOAT_EQ(s.s.back().volfade, 0.02f);
}
