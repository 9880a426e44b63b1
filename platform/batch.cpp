#include "platform/batch.h"

#include "platform/atlas.h"

void tbatch::quad(const tbatchstate& st, unsigned t, const float xy[8], const float uv[8],
                  uint8_t r, uint8_t g, uint8_t b, uint8_t a, const float* edge) {
    float wu = 0, wv = 0;
    bool plain = t == 0;
    if (plain) {
        // untextured: the white block of the pending call's page, or of some page
        t = atlas::white(tex, wu, wv) ? tex : atlas::anypage();
        atlas::white(t, wu, wv);
    }
    if (!verts.empty() && (!(st == state) || t != tex)) flush();
    state = st;
    tex = t;
    for (int k = 0; k < 4; k++) {
        tvertex& v = verts.emplace_back();
        v.x = xy[k * 2];
        v.y = xy[k * 2 + 1];
        if (!plain) {
            v.u = uv[k * 2];
            v.v = uv[k * 2 + 1];
        } else {
            v.u = wu;
            v.v = wv;
        }
        v.r = r;
        v.g = g;
        v.b = b;
        v.a = a;
        v.reach = edge ? edge[k * 2] : 1;
        v.across = edge ? edge[k * 2 + 1] : 0;
    }
}

void tbatch::flush() {
    if (!verts.empty()) {
        if (submit) submit(*this);
        calls++;
    }
    verts.clear();
}

void tbatch::present() {
    flush();
    lastcalls = calls;
    calls = 0;
}

void tbatch::reset() {
    verts.clear();
    calls = lastcalls = 0;
}
