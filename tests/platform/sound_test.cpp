// Sounds decode to mono samples; headless channels keep their state and run on the stepped clock.
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"

namespace {

// Encodes `seconds` of a tone (left and right in opposite phase when stereo) as Ogg Vorbis.
std::string encodeogg(int channels, int rate, double seconds) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) return "";
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    std::string out;
    ogg_packet h1, h2, h3;
    vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_stream_packetin(&os, &h3);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) {
        out.append(reinterpret_cast<char*>(og.header), og.header_len);
        out.append(reinterpret_cast<char*>(og.body), og.body_len);
    }
    long total = static_cast<long>(seconds * rate);
    for (long done = 0; done <= total;) {
        long n = std::min(1024L, total - done);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; i++) {
                float v = static_cast<float>(0.5 * std::sin((done + i) * 440.0 * 6.283185307 / rate));
                for (int c = 0; c < channels; c++) buf[c][i] = c == 0 ? v : -v;
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);
            done++;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    out.append(reinterpret_cast<char*>(og.header), og.header_len);
                    out.append(reinterpret_cast<char*>(og.body), og.body_len);
                }
            }
        }
    }
    while (ogg_stream_flush(&os, &og)) {
        out.append(reinterpret_cast<char*>(og.header), og.header_len);
        out.append(reinterpret_cast<char*>(og.body), og.body_len);
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

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
