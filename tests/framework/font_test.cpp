// The font cutter on small sheets made here, and measuring and drawing text with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/font.h"
#include "framework/image.h"
#include "platform/testing.h"
#include "tests/framework/headless.h"

namespace {

// A picture given as rows of characters: '.' transparent, any other character an opaque
// pixel whose red byte is that character's code (the descriptor) or a grey level (the sheet).
TImage* picture(const std::vector<std::string>& rows) {
    int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    TImage* img = CreateImage(w, h, 1, 0);
    TPixmap& p = LockImage(img);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char c = static_cast<unsigned char>(rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
            int px[4] = {c, 10 * x, 10 * y, c == '.' ? 0 : 255};
            setpixelbytes(p, x, y, px, 4, 0);
        }
    UnlockImage(img);
    return img;
}

// Writes "<name>.png" and "<name> d.png"; returns the sheet's path.
std::string sheet(const char* name, const std::vector<std::string>& glyphs,
                  const std::vector<std::string>& cells) {
    std::string base = ::testing::TempDir() + "varnhold_font_" + name;
    EXPECT_TRUE(SavePixmapPNG(picture(glyphs)->pixmaps[0], base + ".png"));
    EXPECT_TRUE(SavePixmapPNG(picture(cells)->pixmaps[0], base + " d.png"));
    return base + ".png";
}

std::vector<int> px(const TImage* img, int x, int y) {
    int b[4];
    getpixelbytes(b, img->pixmaps[0], x, y, 4, 0);
    return {b[0], b[1], b[2], b[3]};
}

struct fonts : ::testing::Test {
    pngfont f;
    void SetUp() override { headless(); }
};

// One row: A (3 wide, 2 empty rows on top) touching B (4 wide, 1 empty row), a transparent
// column, then a space whose cell is empty in the sheet.
const std::vector<std::string> rowglyphs = {
    "............",
    "...x#x......",
    "x#x#..x.....",
    "#.#x..#.....",
    "xx#x#x#.....",
    "#.#xxxx.....",
};
const std::vector<std::string> rowcells = {
    "AAABBBB.  ..",
    "AAABBBB.  ..",
    "AAABBBB.  ..",
    "AAABBBB.  ..",
    "AAABBBB.  ..",
    "AAABBBB.  ..",
};

}  // namespace

TEST_F(fonts, a_row_of_cells_is_cut_by_code_with_top_offsets) {
    ASSERT_EQ(f.load(sheet("row", rowglyphs, rowcells), -1), 1);
    ASSERT_NE(f.img['A'], nullptr);
    ASSERT_NE(f.img['B'], nullptr);
    ASSERT_NE(f.img[' '], nullptr);
    EXPECT_EQ(f.img['A']->width, 3);
    EXPECT_EQ(f.img['A']->height, 4);
    EXPECT_EQ(f.hs['A'], 2);
    EXPECT_EQ(f.img['B']->width, 4);
    EXPECT_EQ(f.img['B']->height, 5);
    EXPECT_EQ(f.hs['B'], 1);
    EXPECT_EQ(f.img[' ']->width, 2);   // an empty cell keeps its whole size
    EXPECT_EQ(f.img[' ']->height, 6);
    EXPECT_EQ(f.hs[' '], 0);
    EXPECT_EQ(f.maxw, 4);
    EXPECT_EQ(f.maxh, 6);
    EXPECT_EQ(f.w, -1);
    // The glyph holds the sheet's pixels from its top offset on.
    EXPECT_EQ(px(f.img['A'], 0, 0), (std::vector<int>{'x', 0, 20, 255}));
    EXPECT_EQ(px(f.img['A'], 1, 1)[3], 0);
    EXPECT_EQ(px(f.img['B'], 1, 0), (std::vector<int>{'#', 40, 10, 255}));
    EXPECT_EQ(f.img['C'], nullptr);
    EXPECT_EQ(f.img['B']->name.substr(f.img['B']->name.size() - 3), "#66");
}

TEST_F(fonts, text_is_measured_by_its_glyphs_and_the_spacing) {
    ASSERT_EQ(f.load(sheet("measure", rowglyphs, rowcells), -1), 1);
    EXPECT_EQ(f.width(""), 1);          // minus the spacing
    EXPECT_EQ(f.width("A"), 3);
    EXPECT_EQ(f.width("AB"), 6);
    EXPECT_EQ(f.width("A B"), 7);       // the empty space still takes its cell
    EXPECT_EQ(f.width("AzB\xFF"), 6);   // no glyph: no room
    EXPECT_EQ(f.height(""), 0);
    EXPECT_EQ(f.height("A"), 6);
    EXPECT_EQ(f.height("zz"), 0);
}

TEST_F(fonts, drawing_places_glyphs_side_by_side_and_notes_the_text) {
    ASSERT_EQ(f.load(sheet("draw", rowglyphs, rowcells), -1), 1);
    ClearDrawRecords();
    f.draw("AzB", 10, 20);
    const auto& r = DrawRecords();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].op, tdrawrecord::note);
    EXPECT_EQ(r[0].text, "AzB");
    EXPECT_FLOAT_EQ(r[0].x, 10);
    EXPECT_FLOAT_EQ(r[0].y, 20);
    EXPECT_EQ(r[1].img, f.img['A']);
    EXPECT_FLOAT_EQ(r[1].x, 10);
    EXPECT_FLOAT_EQ(r[1].y, 22);
    EXPECT_EQ(r[2].img, f.img['B']);
    EXPECT_FLOAT_EQ(r[2].x, 12);   // 10 + 3 - 1
    EXPECT_FLOAT_EQ(r[2].y, 21);
    ClearDrawRecords();
    f.scaledraw("AB", 10, 20, 2, 3);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].text, "AB");
    EXPECT_FLOAT_EQ(r[1].y, 26);   // 20 + 2 x 3
    EXPECT_FLOAT_EQ(r[2].x, 14);   // 10 + (3 - 1) x 2
    EXPECT_FLOAT_EQ(r[2].y, 23);
}

TEST_F(fonts, a_column_of_cells_is_read_top_to_bottom) {
    std::vector<std::string> glyphs = {
        "....", ".##.", "#..#", ".##.",
        "#...", "#...", "#...", "#...", "####", "....",
    };
    std::vector<std::string> cells = {
        "oooo", "oooo", "oooo", "oooo",
        "LLL.", "LLL.", "LLL.", "LLL.", "LLL.", "....",
    };
    ASSERT_EQ(f.load(sheet("column", glyphs, cells), 0), 1);
    ASSERT_NE(f.img['o'], nullptr);
    ASSERT_NE(f.img['L'], nullptr);
    EXPECT_EQ(f.img['o']->width, 4);
    EXPECT_EQ(f.img['o']->height, 3);
    EXPECT_EQ(f.hs['o'], 1);
    EXPECT_EQ(f.img['L']->width, 3);
    EXPECT_EQ(f.img['L']->height, 5);
    EXPECT_EQ(f.hs['L'], 0);
    EXPECT_EQ(f.width("oL"), 7);
}

TEST_F(fonts, a_later_cell_with_the_same_code_wins) {
    std::vector<std::string> glyphs = {"x.x.xxxx", "xxx.xxxx"};
    std::vector<std::string> cells = {"AAA.AAAA", "AAA.AAAA"};
    ASSERT_EQ(f.load(sheet("twice", glyphs, cells), -1), 1);
    ASSERT_NE(f.img['A'], nullptr);
    EXPECT_EQ(f.img['A']->width, 4);
}

TEST_F(fonts, odd_descriptors_load_what_they_can_without_reading_outside) {
    // A descriptor smaller than the sheet ends the cells at its edge.
    ASSERT_EQ(f.load(sheet("small", rowglyphs, {"AAA", "AAA", "AAA"}), -1), 1);
    ASSERT_NE(f.img['A'], nullptr);
    EXPECT_EQ(f.img['A']->width, 3);
    EXPECT_EQ(f.img['A']->height, 1);   // rows 2 .. 2 of the 3-row cell
    EXPECT_EQ(f.hs['A'], 2);
    // No opaque pixel at all: no glyphs.
    pngfont e;
    ASSERT_EQ(e.load(sheet("empty", rowglyphs, {"....", "...."}), -1), 1);
    for (TImage* g : e.img) EXPECT_EQ(g, nullptr);
    EXPECT_EQ(e.width("AB"), 1);
    // A sheet of one pixel.
    pngfont one;
    ASSERT_EQ(one.load(sheet("one", {"x"}, {"Q"}), -1), 1);
    ASSERT_NE(one.img['Q'], nullptr);
    EXPECT_EQ(one.img['Q']->width, 1);
    EXPECT_EQ(one.img['Q']->height, 1);
    pngfont onebig;
    ASSERT_EQ(onebig.load(sheet("onebig", {"x"}, {"QQ", "QQ"}), -1), 1);
    EXPECT_EQ(onebig.img['Q']->width, 1);
}

TEST_F(fonts, a_missing_picture_keeps_the_font_as_it_was) {
    ASSERT_EQ(f.load(sheet("keep", rowglyphs, rowcells), -1), 1);
    TImage* a = f.img['A'];
    EXPECT_EQ(f.load(::testing::TempDir() + "varnhold_font_nothing.png", 5), 0);
    EXPECT_EQ(f.img['A'], a);
    EXPECT_EQ(f.w, -1);
    pngfont none;
    EXPECT_EQ(none.load("data/no such font.png", -1), 0);
    EXPECT_EQ(none.width("abc"), 0);
}

TEST_F(fonts, outline_rings_every_glyph_with_the_colour) {
    ASSERT_EQ(f.load(sheet("outline", {"x.", ".."}, {"ab", "ab"}), 0), 1);
    ASSERT_NE(f.img['a'], nullptr);
    int black[4] = {0, 0, 0, 255};
    f.outline(black, 4, 0);
    TImage* g = f.img['a'];
    ASSERT_EQ(g->width, 3);
    ASSERT_EQ(g->height, 4);   // the 1 x 2 cell, its empty lower row kept, + 2
    EXPECT_EQ(px(g, 1, 1), (std::vector<int>{'x', 0, 0, 255}));   // the glyph over the ring
    EXPECT_EQ(px(g, 0, 0), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(px(g, 2, 2), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(px(g, 0, 3 - 1)[3], 255);
    EXPECT_EQ(f.w, -2);
    EXPECT_EQ(f.maxw, 3);
    EXPECT_EQ(f.maxh, 4);
    // An empty glyph stays empty, only larger.
    ASSERT_NE(f.img['b'], nullptr);
    EXPECT_EQ(f.img['b']->width, 3);
    EXPECT_EQ(px(f.img['b'], 1, 1)[3], 0);
}

TEST_F(fonts, the_game_font_has_a_glyph_for_every_printable_latin1_character) {
    ASSERT_EQ(f.load("data/ambient outlined.png", -1), 1);
    for (int c = 32; c < 256; c++)
        if (c < 127 || c >= 160) EXPECT_NE(f.img[c], nullptr) << c;
    EXPECT_EQ(f.width(""), 1);
    EXPECT_GE(f.maxh, 14);
    EXPECT_LE(f.maxh, 16);
    EXPECT_LE(f.height("Ag\xC4\xFF"), f.maxh);
    EXPECT_GT(f.width("Score"), f.width("Sc"));
}
