// tools/ogg.cpp — mono Ogg Vorbis at 44.1 kHz. The serial number is fixed per file and the
// comment header carries no date, so the same samples always give the same bytes.
#include "assetgen.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>

bool writeogg(const std::string& path, const std::vector<float>& s, int serial) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    auto put = [&](const ogg_page& pg) {
        ok = ok && std::fwrite(pg.header, 1, pg.header_len, f) == size_t(pg.header_len);
        ok = ok && std::fwrite(pg.body, 1, pg.body_len, f) == size_t(pg.body_len);
    };

    vorbis_info vi;
    vorbis_info_init(&vi);
    // Quality 0.5 (about 80 kbit/s mono) keeps noise-like sounds clean without bloating data/.
    if (vorbis_encode_init_vbr(&vi, 1, rate, 0.5f) != 0) {
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", path.substr(path.find_last_of('/') + 1).c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_page pg;
    while (ogg_stream_flush(&os, &pg)) put(pg);

    const size_t chunk = 4096;
    size_t at = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min(chunk, s.size() - at);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, int(n));
            std::memcpy(buf[0], s.data() + at, n * sizeof(float));
            vorbis_analysis_wrote(&vd, int(n));
            at += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &pg)) {
                    put(pg);
                    if (ogg_page_eos(&pg)) eos = true;
                }
            }
        }
        if (n == 0) {
            while (ogg_stream_flush(&os, &pg)) {
                put(pg);
                if (ogg_page_eos(&pg)) eos = true;
            }
            eos = true;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool readogg(const std::string& path, std::vector<float>& s, int& channels, long& samplerate) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return false;
    vorbis_info* vi = ov_info(&vf, -1);
    channels = vi->channels;
    samplerate = vi->rate;
    s.clear();
    for (;;) {
        float** pcm;
        int bitstream;
        long n = ov_read_float(&vf, &pcm, 4096, &bitstream);
        if (n < 0) {
            ov_clear(&vf);
            return false;
        }
        if (n == 0) break;
        s.insert(s.end(), pcm[0], pcm[0] + n);
    }
    ov_clear(&vf);
    return true;
}
