#include "platform/batch.h"

void tbatch::quad(const tbatchstate& st, unsigned tex, const float xy[8], const float uv[8],
                  uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (!verts.empty() && !(st == state)) flush();
    state = st;
    int unit = tex == smoothline ? -2 : -1;
    if (tex != 0 && tex != smoothline) {
        for (int i = 0; i < nunits; i++)
            if (units[i] == tex) {
                unit = i;
                break;
            }
        if (unit < 0) {
            if (nunits == maxunits) flush();
            unit = nunits;
            units[nunits++] = tex;
        }
    }
    for (int k = 0; k < 4; k++)
        verts.push_back(tvertex{xy[k * 2], xy[k * 2 + 1], uv[k * 2], uv[k * 2 + 1], r, g, b, a, unit});
}

bool tbatch::uses(unsigned tex) const {
    for (int i = 0; i < nunits; i++)
        if (units[i] == tex) return true;
    return false;
}

void tbatch::flush() {
    if (!verts.empty()) {
        if (submit) submit(*this);
        calls++;
    }
    verts.clear();
    nunits = 0;
}

void tbatch::present() {
    flush();
    lastcalls = calls;
    calls = 0;
}

void tbatch::reset() {
    verts.clear();
    nunits = 0;
    calls = lastcalls = 0;
}
