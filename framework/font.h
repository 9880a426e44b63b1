// framework/font.h — the bitmap font, cut at load from a glyph sheet and a descriptor picture
// of the same size whose blocks mark each cell (red = the character code).
#pragma once

#include <string>
#include <vector>

struct TImage;

struct pngfont {
    static constexpr const char* name2 = " d";   // sheet name + this = descriptor name
    std::vector<TImage*> img = std::vector<TImage*>(256);   // glyph by code, null = none
    std::vector<int> hs = std::vector<int>(256);             // empty rows cut from the cell top
    int w = 0;                 // spacing after every glyph (the game uses -1)
    int maxw = 0;              // widest cell
    int maxh = 0;              // tallest cell

    int load(const std::string& path, int spacing);   // 1 loaded, 0 a picture is missing
    // Cuts the glyphs of `sheet` along the cells of `descriptor` (load's work once both
    // pictures are read). The glyphs of an earlier cut are left to the caller.
    int cut(const TImage* sheet, const TImage* descriptor, int spacing);
    int outline(const int* colour, int n, int offset);
    int width(const std::string& s) const;
    int height(const std::string& s) const;
    int draw(const std::string& s, float x, float y) const;
    int scaledraw(const std::string& s, float x, float y, float sx, float sy) const;

    template <class V> void fields(V& v) {
        v("img", img); v("hs", hs); v("w", w); v("maxw", maxw); v("maxh", maxh);
    }
};
