// Ogg Vorbis decoding with libvorbisfile (the browser build decodes with stb: platform/web/).
#include <vorbis/vorbisfile.h>

#include <cstring>

#include "platform/internal.h"

using namespace plat;

namespace {
struct tmem {
    const std::string* bytes;
    size_t pos;
};
size_t memread(void* ptr, size_t size, size_t n, void* src) {
    tmem* m = static_cast<tmem*>(src);
    size_t want = size * n, left = m->bytes->size() - m->pos;
    if (want > left) want = left - left % (size ? size : 1);
    std::memcpy(ptr, m->bytes->data() + m->pos, want);
    m->pos += want;
    return size ? want / size : 0;
}
int memseek(void* src, ogg_int64_t off, int whence) {
    tmem* m = static_cast<tmem*>(src);
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<long long>(m->pos)
                                                                  : static_cast<long long>(m->bytes->size());
    long long p = base + off;
    if (p < 0 || p > static_cast<long long>(m->bytes->size())) return -1;
    m->pos = static_cast<size_t>(p);
    return 0;
}
long memtell(void* src) { return static_cast<long>(static_cast<tmem*>(src)->pos); }

// The container of a sound, page by page: one logical stream from its first page to its
// end-of-stream page, every page whole and with a matching checksum, nothing before or after.
// A file cut short lacks its last page (or ends inside one); damaged bytes break a checksum or
// the page sync.
bool wholestream(const std::string& bytes) {
    ogg_sync_state oy;
    ogg_sync_init(&oy);
    char* buf = ogg_sync_buffer(&oy, static_cast<long>(bytes.size()));
    if (!buf) {
        ogg_sync_clear(&oy);
        return false;
    }
    std::memcpy(buf, bytes.data(), bytes.size());
    ogg_sync_wrote(&oy, static_cast<long>(bytes.size()));
    bool ok = true, first = true, ended = false;
    long serial = 0;
    ogg_page og;
    for (;;) {
        int r = ogg_sync_pageout(&oy, &og);
        if (r == 0) break;
        if (r < 0 || ended) {             // skipped bytes, or a page after the end
            ok = false;
            break;
        }
        if (first != (ogg_page_bos(&og) != 0) || (!first && ogg_page_serialno(&og) != serial)) {
            ok = false;
            break;
        }
        if (first) serial = ogg_page_serialno(&og);
        first = false;
        ended = ogg_page_eos(&og) != 0;
    }
    ok = ok && ended && oy.fill == oy.returned;   // no half page left over
    ogg_sync_clear(&oy);
    return ok;
}

}  // namespace

// A sound decodes only whole: any error of the container or of the decoder (see wholestream),
// or fewer samples than the stream declares, and nothing of it is kept.
bool plat::decodeogg(const std::string& bytes, TSound& snd) {
    if (!wholestream(bytes)) return false;
    tmem m{&bytes, 0};
    ov_callbacks cb{memread, memseek, nullptr, memtell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&m, &vf, nullptr, 0, cb) != 0) return false;
    vorbis_info* vi = ov_info(&vf, -1);
    ogg_int64_t declared = ov_pcm_total(&vf, -1);
    // A rate no sound device plays is a damaged header (it may not even fit an int).
    if (!vi || vi->channels < 1 || vi->rate < 1 || vi->rate > 384000 || ov_streams(&vf) != 1 || declared <= 0) {
        ov_clear(&vf);
        return false;
    }
    snd.rate = static_cast<int>(vi->rate);
    snd.samples.clear();
    char buf[16384];
    int section = 0;
    bool ok = true;
    for (;;) {
        long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
        if (n == 0) break;
        if (n < 0 || section != 0) {      // a hole, a damaged packet, a second stream
            ok = false;
            break;
        }
        int chans = vi->channels;
        const int16_t* s = reinterpret_cast<const int16_t*>(buf);
        long frames = n / 2 / chans;
        for (long f = 0; f < frames; f++) {
            int sum = 0;
            for (int c = 0; c < chans; c++) sum += s[f * chans + c];
            snd.samples.push_back(static_cast<int16_t>(sum / chans));
        }
    }
    ov_clear(&vf);
    if (!ok || static_cast<ogg_int64_t>(snd.samples.size()) != declared) {
        snd.samples.clear();
        return false;
    }
    snd.samples.shrink_to_fit();
    snd.frames = static_cast<long>(snd.samples.size());
    return true;
}
