#include "platform/atlas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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

// Texels a quad of its own is worth to the rasteriser: a patch must save more than that.
constexpr int patchcost = 256;

// The patches of a picture cut into strips of `strip` rows: in each strip the runs of columns
// that hold a needed texel (gaps narrower than `gap` joined), each cut down to its needed
// rows; a run that continues the patch above it with the same columns extends that patch.
std::vector<tpatch> patchesof(const std::vector<uint8_t>& need, int w, int h, int strip, int gap) {
    std::vector<tpatch> out;
    std::vector<uint8_t> col(static_cast<size_t>(w));
    std::vector<size_t> above, here;      // patches reaching the strip's top, and its own
    for (int y0 = 0; y0 < h; y0 += strip) {
        int y1 = std::min(y0 + strip, h);
        std::fill(col.begin(), col.end(), 0);
        for (int y = y0; y < y1; y++)
            for (int x = 0; x < w; x++) col[x] |= need[static_cast<size_t>(y) * w + x];
        here.clear();
        int x = 0;
        while (x < w) {
            if (!col[x]) {
                x++;
                continue;
            }
            int xa = x, xb = x + 1;
            for (int k = xb; k < w && k - xb < gap; k++)
                if (col[k]) xb = k + 1;
            x = xb;
            int ya = y1, yb = y0;
            for (int y = y0; y < y1; y++)
                for (int k = xa; k < xb; k++)
                    if (need[static_cast<size_t>(y) * w + k]) {
                        ya = std::min(ya, y);
                        yb = y + 1;
                        break;
                    }
            bool joined = false;
            if (ya == y0)
                for (size_t i : above)
                    if (out[i].x0 == xa && out[i].x1 == xb && out[i].y1 == y0) {
                        out[i].y1 = yb;
                        if (yb == y1) here.push_back(i);
                        joined = true;
                        break;
                    }
            if (!joined) {
                out.push_back(tpatch{xa, ya, xb, yb});
                if (yb == y1) here.push_back(out.size() - 1);
            }
        }
        above.swap(here);
    }
    return out;
}

}  // namespace

void survey(tplace& p, const TImage* img, int frame) {
    p.trimmed = false;
    p.patches.clear();
    const TPixmap& px = img->pixmaps[static_cast<size_t>(frame)];
    const int w = p.w, h = p.h;
    if (w <= 0 || h <= 0 || px.pitch < w * 4 || px.pixels.size() < static_cast<size_t>(px.pitch) * h) return;
    // texels with any opacity once the mask colour is transparent
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h);
    bool opaque = true;                   // nothing to trim
    bool masked = img->flags & IMG_MASKED;
    for (int y = 0; y < h; y++) {
        const uint8_t* row = &px.pixels[static_cast<size_t>(y) * px.pitch];
        for (int x = 0; x < w; x++) {
            const uint8_t* t = row + x * 4;
            uint8_t a = masked && t[0] == img->mask_r && t[1] == img->mask_g && t[2] == img->mask_b ? 0 : t[3];
            seen[static_cast<size_t>(y) * w + x] = a != 0;
            opaque &= a == 255;
        }
    }
    if (opaque || textures[p.tex - 1].mipmapped) return;
    // A texel is needed when it or a neighbour (edges repeat) has opacity: a filtered sample
    // near it may take some.
    std::vector<uint8_t> across(seen.size()), need(seen.size());
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            size_t i = static_cast<size_t>(y) * w + x;
            across[i] = seen[i] | (x > 0 ? seen[i - 1] : 0) | (x + 1 < w ? seen[i + 1] : 0);
        }
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            size_t i = static_cast<size_t>(y) * w + x;
            need[i] = across[i] | (y > 0 ? across[i - w] : 0) | (y + 1 < h ? across[i + w] : 0);
        }
    // the cut that costs the rasteriser least, if it beats the whole picture
    long best = static_cast<long>(w) * h + patchcost;
    for (int strip : {4, 8, 16, 32, 64}) {
        std::vector<tpatch> cut = patchesof(need, w, h, strip, strip);
        long cost = 0;
        for (const tpatch& c : cut) cost += static_cast<long>(c.x1 - c.x0) * (c.y1 - c.y0) + patchcost;
        if (cost < best) {
            best = cost;
            p.patches = std::move(cut);
            p.trimmed = true;
        }
    }
}

void rowcolours(tplace& p, const TImage* img, int frame) {
    p.rows.clear();
    p.bands.clear();
    const TPixmap& px = img->pixmaps[static_cast<size_t>(frame)];
    const int w = p.w, h = p.h;
    if (w <= 0 || h <= 0 || px.pitch < w * 4 || px.pixels.size() < static_cast<size_t>(px.pitch) * h) return;
    bool masked = img->flags & IMG_MASKED;
    std::vector<uint8_t> rows(static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; y++) {
        const uint8_t* row = &px.pixels[static_cast<size_t>(y) * px.pitch];
        for (int x = 1; x < w; x++)
            if (std::memcmp(row, row + x * 4, 4) != 0) return;
        std::memcpy(&rows[static_cast<size_t>(y) * 4], row, 4);
        if (masked && row[0] == img->mask_r && row[1] == img->mask_g && row[2] == img->mask_b) rows[y * 4 + 3] = 0;
    }
    auto same = [&](int a, int b) { return std::memcmp(&rows[a * 4u], &rows[b * 4u], 4) == 0; };
    if (!(img->flags & IMG_FILTERED)) {
        for (int a = 0, b; a < h; a = b) {
            for (b = a + 1; b < h && same(a, b);) b++;
            p.bands.push_back(tband{static_cast<float>(a), static_cast<float>(b), a, a});
        }
    } else {
        // Blending straight from row a to row b stands for the rows between when each of them
        // lies within one level of that line.
        auto straight = [&](int a, int b) {
            for (int k = a + 1; k < b; k++)
                for (int c = 0; c < 4; c++) {
                    float ca = rows[a * 4u + c], cb = rows[b * 4u + c];
                    float line = ca + (cb - ca) * static_cast<float>(k - a) / static_cast<float>(b - a);
                    if (std::fabs(line - rows[k * 4u + c]) > 1.0f) return false;
                }
            return true;
        };
        p.bands.push_back(tband{0, 0.5f, 0, 0});
        for (int a = 0, b; a < h - 1; a = b) {
            for (b = a + 1; b + 1 < h && straight(a, b + 1);) b++;
            p.bands.push_back(tband{a + 0.5f, b + 0.5f, a, b});
        }
        p.bands.push_back(tband{h - 0.5f, static_cast<float>(h), h - 1, h - 1});
        // Neighbouring bands of one colour throughout are one band: a picture of a single
        // colour is a single quad.
        std::vector<tband> merged;
        for (const tband& b : p.bands) {
            tband* m = merged.empty() ? nullptr : &merged.back();
            if (m && same(m->ra, m->rb) && same(m->rb, b.ra) && same(b.ra, b.rb))
                m->v1 = b.v1;
            else if (b.v1 > b.v0)
                merged.push_back(b);
        }
        p.bands = std::move(merged);
    }
    p.rows = std::move(rows);
}

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
