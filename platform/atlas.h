// platform/atlas.h — where the pictures live on the graphics card, for every back end.
//
// Pictures are packed into a few large pages (textures), so that a whole frame draws from one
// texture in a handful of calls: one page for the filtered pictures (the game's), one for the
// unfiltered ones, more when a page is full. Every picture keeps a border of its own edge
// texels around it, so that a filtered picture drawn scaled never picks up colour from its
// neighbour; every page keeps a white block for the untextured quads (rectangles and lines).
// Mipmapped pictures and pictures too large for a page get a texture of their own.
//
// The headless back end places pictures the same way (without pixels), so it counts the same
// draw calls as the desktop; the desktop renderer uploads the pixels into the places.
#pragma once

#include <cstdint>
#include <vector>

struct TImage;

// A rectangle of a picture's texels, x0 <= x < x1, y0 <= y < y1.
struct tpatch {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A band of a picture whose rows are each one colour, from picture row v0 to v1 (0 at the top
// edge), coloured as row ra at v0 and row rb at v1 and in between as the colours blend.
struct tband {
    float v0 = 0, v1 = 0;
    int ra = 0, rb = 0;
};

struct tplace {
    unsigned tex = 0;                     // texture id (index + 1 into atlas::textures)
    int x = 0, y = 0, w = 0, h = 0;       // texels of the picture within the texture
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
    // What the pixels last uploaded let the drawing skip (back ends with a GPU; see atlas::survey).
    bool trimmed = false;                 // only `patches` need drawing where a transparent
    std::vector<tpatch> patches;          // texel leaves the canvas as it was
    // Every back end: when every row of the picture is one colour (a vertical gradient such as
    // the sky), each row's R, G, B, A (mask colour transparent), top row first, and the fewest
    // bands that show every row as the texture would to within one level; else both empty.
    std::vector<uint8_t> rows;
    std::vector<tband> bands;
};

struct tshelf {
    int y = 0, h = 0, x = 0;              // top, height and the next free column
};

struct tatlastexture {
    int w = 0, h = 0;
    bool filtered = false, mipmapped = false;
    bool page = false;                    // shared by many pictures (else one picture's own)
    std::vector<tshelf> shelves;          // pages only
    unsigned name = 0;                    // desktop: the OpenGL texture, 0 until made
};

namespace atlas {
constexpr int pagesize = 2048;            // texels across and down
constexpr int border = 2;                 // texels of repeated edge around each picture
constexpr int whitesize = 8;              // the white block at a page's top-left corner

extern std::vector<tatlastexture> textures;
extern std::vector<tplace> places;

// A new place for a picture of w x h texels drawn with the image flags `flags`; returns its
// index + 1 in `places`.
unsigned place(int w, int h, int flags);
const tplace& at(unsigned id);
// The white texel of a page, for untextured quads; false when `tex` is no page.
bool white(unsigned tex, float& u, float& v);
// Some page to draw untextured quads from (made when there is none yet).
unsigned anypage();

// Looks at the frame's pixels as they go to the texture (the mask colour transparent) and
// notes in its place which patches of it a filtered sample can take any opacity from. A pixel
// of a quad outside those patches samples only texels of opacity 0 (a filtered sample reaches one texel beyond its own), so under the alpha, light
// and mask blends it leaves the canvas exactly as it was and need not be drawn at all: the
// rasteriser never visits the empty sky above a skyline or between the stars.
// Mipmapped pictures sample from wider footprints and are never trimmed.
void survey(tplace& p, const TImage* img, int frame);
// Fills `rows` and `bands` of the place from the frame's pixels (see tplace). A filtered
// picture's colour blends from one row's centre to the next; an unfiltered one keeps each
// row's colour over the row.
void rowcolours(tplace& p, const TImage* img, int frame);
}  // namespace atlas
