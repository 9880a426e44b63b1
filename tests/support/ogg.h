// tests/support/ogg.h — a tone encoded as Ogg Vorbis, for the sound tests and the media fuzz target.
#pragma once

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <string>

// Encodes `seconds` of a tone (left and right in opposite phase when stereo) as Ogg Vorbis.
inline std::string encodeogg(int channels, int rate, double seconds) {
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

