// Sounds decode to mono samples; headless channels keep their state and run on the stepped clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/testing.h"
#include "tests/support/ogg.h"

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

// A sound decodes whole or not at all: a file cut short (inside a page or at a page's end),
// a byte damaged in the middle, or anything before or after the stream is refused, so that
// start-up stops with "Can't load" instead of playing half a sound.
TEST_F(sound, damaged_or_cut_files_do_not_load) {
    const std::string whole = encodeogg(1, 44100, 12.0);   // several pages of sound
    RegisterIncbin("test/whole.ogg", whole);
    ASSERT_NE(LoadSound("incbin::test/whole.ogg"), nullptr);
    size_t lastpage = whole.rfind("OggS");
    ASSERT_GT(lastpage, whole.size() / 2);
    int pages = 0;
    for (size_t at = whole.find("OggS"); at != std::string::npos; at = whole.find("OggS", at + 1)) pages++;
    ASSERT_GE(pages, 6);
    auto flipped = [&](size_t at) {
        std::string s = whole;
        s[at] = static_cast<char>(s[at] ^ 0x55);
        return s;
    };
    struct tcase {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut in half", whole.substr(0, whole.size() / 2)},
        {"last byte missing", whole.substr(0, whole.size() - 1)},
        {"cut before the last page", whole.substr(0, lastpage)},
        {"byte damaged in the middle", flipped(whole.size() / 2)},
        {"byte damaged in the last page", flipped(whole.size() - 3)},
        {"bytes after the end", whole + "trailing"},
        {"bytes before the start", "junk" + whole},
        {"two streams in a row", whole + whole},
    };
    for (const tcase& c : cases) {
        RegisterIncbin("test/damaged.ogg", c.bytes);
        EXPECT_EQ(LoadSound("incbin::test/damaged.ogg"), nullptr) << c.what;
    }
}
