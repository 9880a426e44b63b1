#include "platform/batch.h"

#include <cmath>

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
    if (!verts.empty() && (!(st == state) || t != tex || (!plain && !textured && plainarea >= tbatch::large))) flush();
    state = st;
    tex = t;
    if (plain && !textured)   // half the cross product of the diagonals
        plainarea += 0.5f * std::fabs((xy[4] - xy[0]) * (xy[7] - xy[3]) - (xy[6] - xy[2]) * (xy[5] - xy[1]));
    textured |= !plain;
    opaque &= a == 255 && !edge;
    smooth |= edge != nullptr;
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

void tbatch::shaded(const tbatchstate& st, const float xy[8], const uint8_t rgba[16]) {
    quad(st, 0, xy, nullptr, 0, 0, 0, 255);
    tvertex* v = &verts[verts.size() - 4];
    for (int k = 0; k < 4; k++) {
        v[k].r = rgba[k * 4];
        v[k].g = rgba[k * 4 + 1];
        v[k].b = rgba[k * 4 + 2];
        v[k].a = rgba[k * 4 + 3];
        opaque &= v[k].a == 255;
    }
}

void tbatch::flush() {
    if (!verts.empty()) {
        if (submit) submit(*this);
        calls++;
    }
    verts.clear();
    textured = false;
    plainarea = 0;
    opaque = true;
    smooth = false;
}

void tbatch::present() {
    flush();
    lastcalls = calls;
    calls = 0;
}

void tbatch::reset() {
    verts.clear();
    textured = false;
    plainarea = 0;
    opaque = true;
    smooth = false;
    calls = lastcalls = 0;
}
