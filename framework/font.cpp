#include "framework/font.h"

#include <algorithm>

#include "framework/image.h"
#include "framework/text.h"
#include "platform/platform.h"

namespace {

// A pixel of a picture as (R, A); outside the picture it reads as transparent, so a
// descriptor smaller than its sheet simply ends its cells there.
struct picture {
    const TPixmap* p = nullptr;
    int w = 0, h = 0;
    explicit picture(const TImage* img) {
        if (img && !img->pixmaps.empty()) {
            p = &img->pixmaps[0];
            w = p->width;
            h = p->height;
        }
    }
    int red(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h ? PixelBytes(*p, x, y)[0] : 0; }
    int alpha(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h ? PixelBytes(*p, x, y)[3] : 0; }
};

}  // namespace

int pngfont::load(const std::string& path, int spacing) {
    std::string base = stripext(path);
    TImage* di = LoadImage(base + name2 + ".png", -1);
    TImage* gi = LoadImage(base + ".png", -1);
    if (!di || !gi) {
        FreeImage(di);
        FreeImage(gi);
        return 0;
    }
    return cut(gi, di, spacing);
}

int pngfont::cut(const TImage* gi, const TImage* di, int spacing) {
    std::fill(img.begin(), img.end(), nullptr);
    w = spacing;
    maxw = maxh = 0;
    picture d(di), g(gi);
    if (g.w <= 0 || g.h <= 0) return 1;
    bool wide = g.w >= g.h;   // one row of cells; otherwise one column
    int a = 0, b = 0;
    for (;;) {
        int code = d.red(a, b);
        int x = a;
        while (x < g.w && d.red(x, b) == code && d.alpha(x, b) != 0) x++;
        int cw = x - a;
        int y = b;
        while (y < g.h && d.red(a, y) == code && d.alpha(a, y) != 0) y++;
        int ch = y - b;
        // The top offset: rows with no opaque pixel of the sheet are cut off. An empty cell
        // keeps the code's previous offset.
        for (int ty = b; ty < b + ch; ty++) {
            bool any = false;
            for (int tx = a; tx < a + cw && !any; tx++) any = g.alpha(tx, ty) != 0;
            if (any) {
                hs[code] = ty - b;
                break;
            }
        }
        int gh = ch - hs[code];
        if (cw > 0 && gh > 0) {
            TImage* glyph = CreateImage(cw, gh, 1, -1);
            copyimage(glyph, gi, 0, 0, a, b + hs[code], 4, 0);
            glyph->name = gi->name + "#" + std::to_string(code);   // as the world dump shows it
            FreeImage(img[code]);   // a later cell with the same code wins
            img[code] = glyph;
        }
        maxw = std::max(maxw, cw);
        maxh = std::max(maxh, ch);

        int a0 = a;
        for (x = a + cw; x < g.w; x++) {
            if (d.alpha(x, b) != 0) {
                a = x;
                break;
            }
        }
        if (a == a0 && wide) return 1;
        int b0 = b;
        for (y = b + ch; y < g.h; y++) {
            if (d.alpha(a0, y) != 0) {
                b = y;
                break;
            }
        }
        if (b == b0 && !wide) return 1;
    }
}

int pngfont::outline(const int* colour, int n, int offset) {
    w -= 2;
    static const int around[8][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    const int zero[4] = {0, 0, 0, 0};
    for (TImage*& glyph : img) {
        if (!glyph || glyph->pixmaps.empty()) continue;
        TImage* o = CreateImage(glyph->width + 2, glyph->height + 2, 1, -1);
        fillimage(o, zero, 4, 0);
        const TPixmap& gp = glyph->pixmaps[0];
        TPixmap& op = LockImage(o, 0, true, true);
        for (int y = 0; y < gp.height; y++)
            for (int x = 0; x < gp.width; x++)
                if (PixelBytes(gp, x, y)[3] != 0)
                    for (auto& d : around) setpixelbytes(op, x + d[0], y + d[1], colour, n, offset);
        UnlockImage(o, 0);
        blendimage(o, glyph, 1, 1, 0, 0);
        o->name = glyph->name;
        glyph = o;
    }
    maxw += 2;
    maxh += 2;
    return 0;
}

int pngfont::width(const std::string& s) const {
    int total = 0;
    for (unsigned char c : s)
        if (img[c]) total += img[c]->width + w;
    return total - w;
}

int pngfont::height(const std::string& s) const {
    int m = 0;
    for (unsigned char c : s)
        if (img[c]) m = std::max(m, img[c]->height + hs[c]);
    return m;
}

int pngfont::draw(const std::string& s, float x, float y) const {
    DrawNote(s, x, y, 1);
    for (unsigned char c : s) {
        if (!img[c]) continue;
        DrawImage(img[c], x, y + static_cast<float>(hs[c]));
        x += static_cast<float>(img[c]->width + w);
    }
    return 0;
}

int pngfont::scaledraw(const std::string& s, float x, float y, float sx, float sy) const {
    DrawNote(s, x, y, sx);
    for (unsigned char c : s) {
        if (!img[c]) continue;
        DrawImage(img[c], x, y + static_cast<float>(hs[c]) * sy);
        x += static_cast<float>(img[c]->width + w) * sx;
    }
    return 0;
}
