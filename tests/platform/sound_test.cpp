// Sounds decode to mono samples; headless channels keep their state and run on the stepped clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"
#include "tests/platform/ogg.h"

namespace {

struct sound : ::testing::Test {
    void SetUp() override { PlatformInit(tbackend::headless); }
};

}  // namespace

TEST_F(sound, decodes_the_whole_sample_and_mixes_stereo_down) {
    RegisterIncbin("test/mono.ogg", encodeogg(1, 22050, 0.5));
    RegisterIncbin("test/stereo.ogg", encodeogg(2, 44100, 0.25));
    TSound* m = LoadSound("incbin::test/mono.ogg");
    ASSERT_NE(m, nullptr);
    int n = 0;
    const int16_t* s = SoundSamples(m, n);
    EXPECT_EQ(SoundRate(m), 22050);
    EXPECT_EQ(n, 11025);
    EXPECT_NEAR(SoundLength(m), 0.5, 1e-9);
    int peak = 0;
    for (int i = 0; i < n; i++) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    EXPECT_GT(peak, 10000);               // the tone is there
    EXPECT_FALSE(SoundLoops(m));

    TSound* st = LoadSound("incbin::test/stereo.ogg", 1);
    ASSERT_NE(st, nullptr);
    EXPECT_TRUE(SoundLoops(st));
    s = SoundSamples(st, n);
    EXPECT_EQ(n, 11025);
    peak = 0;
    for (int i = 0; i < n; i++) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    EXPECT_LT(peak, 2000);                // opposite channels cancel in the mix
}

TEST_F(sound, unreadable_sounds_give_null) {
    EXPECT_EQ(LoadSound("incbin::nothing.ogg"), nullptr);
    RegisterIncbin("test/bad.ogg", "OggS but not really");
    EXPECT_EQ(LoadSound("incbin::test/bad.ogg"), nullptr);
    EXPECT_EQ(LoadSound("/nonexistent-folder/x.ogg"), nullptr);
}

TEST_F(sound, headless_channels_keep_state_and_finish) {
    RegisterIncbin("test/short.ogg", encodeogg(1, 8000, 1.0));
    RegisterIncbin("test/loop.ogg", encodeogg(1, 8000, 1.0));
    TSound* once = LoadSound("incbin::test/short.ogg");
    TSound* loop = LoadSound("incbin::test/loop.ogg", 1);
    ASSERT_TRUE(once && loop);
    TChannel* a = AllocChannel();
    TChannel* b = AllocChannel();
    EXPECT_EQ(ChannelPlaying(a), 0);      // a new channel is idle
    CueSound(once, a);
    EXPECT_EQ(ChannelPlaying(a), 0);      // cued sounds wait, paused
    SetChannelVolume(a, 0.25f);
    SetChannelPan(a, -0.5f);
    SetChannelRate(a, 2.0f);
    SetChannelDepth(a, -1.0f);
    ResumeChannel(a);
    EXPECT_EQ(ChannelPlaying(a), 1);
    EXPECT_EQ(a->volume, 0.25f);
    EXPECT_EQ(a->pan, -0.5f);
    EXPECT_EQ(a->depth, -1.0f);
    CueSound(loop, b);
    ResumeChannel(b);
    AdvanceAudio(0.4);                    // at rate 2: 0.8 s of a 1 s sound
    EXPECT_EQ(ChannelPlaying(a), 1);
    EXPECT_NEAR(a->position, 0.8, 1e-9);
    PauseChannel(a);
    AdvanceAudio(10);                     // paused channels stand still
    EXPECT_EQ(ChannelPlaying(a), 0);
    EXPECT_NEAR(a->position, 0.8, 1e-9);
    ResumeChannel(a);
    AdvanceAudio(0.1);
    EXPECT_EQ(ChannelPlaying(a), 0);      // finished
    EXPECT_FALSE(a->playing);
    EXPECT_EQ(ChannelPlaying(b), 1);      // looping never ends
    EXPECT_NEAR(b->position, 0.5, 1e-9);  // 10.5 s played around a 1 s loop
    StopChannel(b);
    EXPECT_EQ(ChannelPlaying(b), 0);
    CueSound(once, a);                    // a finished channel can play again
    ResumeChannel(a);
    EXPECT_EQ(ChannelPlaying(a), 1);
}
