#include "platform/atlas.h"

#include "platform/platform.h"

namespace atlas {
std::vector<tatlastexture> textures;
std::vector<tplace> places;

namespace {

unsigned newpage(bool filtered) {
    tatlastexture t;
    t.w = t.h = pagesize;
    t.filtered = filtered;
    t.page = true;
    t.shelves.push_back(tshelf{0, whitesize, whitesize});
    textures.push_back(t);
    return static_cast<unsigned>(textures.size());
}

// The best shelf of a page for a w x h box (the lowest shelf that is high enough and wide
// enough), or a new shelf below the last; false when the page is full.
bool fit(tatlastexture& t, int w, int h, int& x, int& y) {
    tshelf* best = nullptr;
    for (tshelf& s : t.shelves)
        if (s.h >= h && t.w - s.x >= w && (!best || s.h < best->h)) best = &s;
    // A box much lower than the best shelf opens a shelf of its own while there is room.
    const tshelf& last = t.shelves.back();
    int below = last.y + last.h;
    if ((!best || best->h > h * 2 + 8) && t.h - below >= h && t.w >= w) {
        t.shelves.push_back(tshelf{below, h, 0});
        best = &t.shelves.back();
    }
    if (!best) return false;
    x = best->x;
    y = best->y;
    best->x += w;
    return true;
}

}  // namespace

unsigned place(int w, int h, int flags) {
    bool filtered = flags & IMG_FILTERED, mip = flags & IMG_MIPMAPPED;
    tplace p;
    int bw = w + 2 * border, bh = h + 2 * border;
    if (mip || bw > pagesize || bh > pagesize) {
        tatlastexture t;
        t.w = w > 0 ? w : 1;
        t.h = h > 0 ? h : 1;
        t.filtered = filtered;
        t.mipmapped = mip;
        textures.push_back(t);
        p.tex = static_cast<unsigned>(textures.size());
        p.w = w;
        p.h = h;
    } else {
        int x = 0, y = 0;
        for (unsigned i = 1; i <= textures.size() && !p.tex; i++) {
            tatlastexture& t = textures[i - 1];
            if (t.page && t.filtered == filtered && fit(t, bw, bh, x, y)) p.tex = i;
        }
        if (!p.tex) {
            p.tex = newpage(filtered);
            fit(textures[p.tex - 1], bw, bh, x, y);
        }
        p.x = x + border;
        p.y = y + border;
        p.w = w;
        p.h = h;
    }
    const tatlastexture& t = textures[p.tex - 1];
    p.u0 = static_cast<float>(p.x) / static_cast<float>(t.w);
    p.v0 = static_cast<float>(p.y) / static_cast<float>(t.h);
    p.u1 = static_cast<float>(p.x + p.w) / static_cast<float>(t.w);
    p.v1 = static_cast<float>(p.y + p.h) / static_cast<float>(t.h);
    places.push_back(p);
    return static_cast<unsigned>(places.size());
}

const tplace& at(unsigned id) { return places[id - 1]; }

bool white(unsigned tex, float& u, float& v) {
    if (tex == 0 || tex > textures.size() || !textures[tex - 1].page) return false;
    u = static_cast<float>(whitesize / 2) / static_cast<float>(pagesize);
    v = u;
    return true;
}

unsigned anypage() {
    for (unsigned i = 1; i <= textures.size(); i++)
        if (textures[i - 1].page) return i;
    return newpage(true);
}

}  // namespace atlas
