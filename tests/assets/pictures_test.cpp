// The generated pictures in data/: present, decodable, of the sizes the game's hit boxes and
// handles rely on, with the alpha channels that decide hits, roofs and visibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/assets.h"
#include "framework/font.h"
#include "framework/pictures.h"
#include "game/world.h"
#include "platform/platform.h"
#include "tests/support/world.h"

namespace {

TImage* load(const std::string& name) {
    testsupport::startplatform();
    TImage* img = LoadImage("data/" + name, 0);
    EXPECT_NE(img, nullptr) << "can't load data/" << name;
    return img;
}

struct rgba {
    int r, g, b, a;
};

rgba at(TImage* img, int x, int y) {
    const uint8_t* p = PixelBytes(LockImage(img, 0, true, false), x, y);
    return {p[0], p[1], p[2], p[3]};
}

// The number of files of a series counted the way start-up counts them: from 0 up to the
// first missing number.
int series(const std::string& stem) {
    int n = 0;
    while (FileType("data/" + stem + std::to_string(n) + ".png") == 1) n++;
    return n;
}

}  // namespace

TEST(assetpictures, every_picture_start_up_loads_exists_and_decodes) {
    for (int id = 0; id < pic_count; id++)
        for (int i = 0; i < picturedefs[id].count; i++) {
            std::string file = picturepath(id, i).substr(5);   // under data/
            TImage* img = load(file);
            ASSERT_NE(img, nullptr) << file;
            EXPECT_GT(img->width, 0) << file;
        }
    // Series without gaps, each overlay beside its body picture.
    EXPECT_GE(series("house"), 8);
    EXPECT_GE(series("car"), 4);
    EXPECT_LE(series("car"), 6);
    EXPECT_GE(series("plane"), 3);
    EXPECT_LE(series("plane"), 4);
    EXPECT_GE(series("meteor"), 3);
    EXPECT_GE(series("chopper"), 2);
    for (int i = 0; i < series("car"); i++) {
        TImage* body = load("car" + std::to_string(i) + ".png");
        TImage* over = load("car" + std::to_string(i) + "t.png");
        ASSERT_TRUE(body && over);
        EXPECT_EQ(body->width, over->width);
        EXPECT_EQ(body->height, over->height);
    }
    for (int i = 0; i < series("plane"); i++) {
        TImage* body = load("plane" + std::to_string(i) + ".png");
        TImage* over = load("plane" + std::to_string(i) + "t.png");
        ASSERT_TRUE(body && over);
        EXPECT_EQ(body->width, over->width);
        EXPECT_EQ(body->height, over->height);
    }
}

TEST(assetpictures, sizes_that_decide_gameplay_are_fixed) {
    struct {
        const char* name;
        int w, h;
    } fixed[] = {{"sky", 8, 1209},        {"stars", 1024, 1024}, {"rainbow", 800, 370},
                 {"city", 804, 370},      {"street", 800, 30},   {"turretbase", 44, 20},
                 {"turret", 6, 38},       {"rocket", 5, 10},     {"aim", 21, 21},
                 {"explosion1", 64, 64},  {"explosion2", 64, 64}, {"ring", 64, 64}};
    for (auto& f : fixed) {
        TImage* img = load(std::string(f.name) + ".png");
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->width, f.w) << f.name;
        EXPECT_EQ(img->height, f.h) << f.name;
    }
    // The title hangs from y = 8 and must stay clear of y = 48.
    EXPECT_LT(load("title.png")->height, 40);
    // Cars fit their lane: the near lane's top is 15 units above the field's bottom.
    for (int i = 0; i < series("car"); i++) {
        TImage* c = load("car" + std::to_string(i) + ".png");
        EXPECT_LE(c->height, 14);
        EXPECT_GE(c->width, 28);
        EXPECT_LE(c->width, 42);
    }
    EXPECT_LE(load("police.png")->height, 14);
    for (int i = 0; i < series("house"); i++) {
        TImage* h = load("house" + std::to_string(i) + ".png");
        EXPECT_GE(h->width, 40);
        EXPECT_LE(h->width, 80);
        EXPECT_GE(h->height, 35);
        EXPECT_LE(h->height, 110);
    }
    for (int i = 0; i < series("meteor"); i++) {
        TImage* m = load("meteor" + std::to_string(i) + ".png");
        EXPECT_GE(std::min(m->width, m->height), 20);
        EXPECT_LE(std::max(m->width, m->height), 40);
    }
}

TEST(assetpictures, houses_have_clear_sides_and_an_opaque_body) {
    for (int i = 0; i < series("house"); i++) {
        TImage* h = load("house" + std::to_string(i) + ".png");
        ASSERT_NE(h, nullptr);
        for (int y = 0; y < h->height; y++) {
            EXPECT_EQ(at(h, 0, y).a, 0) << "house" << i << " left column, row " << y;
            EXPECT_EQ(at(h, h->width - 1, y).a, 0) << "house" << i << " right column, row " << y;
        }
        // The ground floor is solid across (a missile striking it always hits).
        for (int x = 3; x < h->width - 3; x++)
            EXPECT_EQ(at(h, x, h->height - 1).a, 255) << "house" << i << " bottom row, column " << x;
        // Open sky above the roof line somewhere: a corner of the picture is clear.
        bool clear = at(h, 1, 0).a == 0 || at(h, h->width - 2, 0).a == 0;
        EXPECT_TRUE(clear) << "house" << i;
    }
}

TEST(assetpictures, skyline_is_solid_below_its_roofs_and_clear_above) {
    TImage* c = load("city.png");
    ASSERT_NE(c, nullptr);
    int highest = 370, lowest = 0;
    for (int x = 0; x < c->width; x++) {
        int roof = 0;
        while (roof < c->height && at(c, x, roof).a != 255) roof++;
        ASSERT_LT(roof, c->height) << "column " << x << " has no building";
        highest = std::min(highest, roof);
        lowest = std::max(lowest, roof);
        for (int y = roof; y < c->height; y++) ASSERT_EQ(at(c, x, y).a, 255) << x << "," << y;
        // High sky is empty: satellites cross it unhidden.
        for (int y = 0; y < 140; y++) ASSERT_EQ(at(c, x, y).a, 0) << x << "," << y;
    }
    EXPECT_GE(highest, 150);
    EXPECT_LE(lowest, 300);
    // The flagpole: its top at (704, 165), the flag hanging free below it, and the pole
    // itself not counted as a roof by the jumper.
    EXPECT_GT(at(c, 704, 165).a, 0);
    EXPECT_EQ(at(c, 704, 164).a, 0);
    int roof = 0;
    while (at(c, 704, roof).a != 255) roof++;
    EXPECT_GE(roof, 165 + 30);
    for (int y = 166; y < roof; y++) EXPECT_GT(at(c, 704, y).a, 0) << "pole row " << y;
}

TEST(assetpictures, sky_runs_from_noon_blue_to_midnight_black) {
    TImage* s = load("sky.png");
    ASSERT_NE(s, nullptr);
    rgba top = at(s, 0, 0), horizon = at(s, 0, 185), bottom = at(s, 0, 1208);
    EXPECT_GT(top.b, top.r + 80);
    EXPECT_GT(horizon.r + horizon.g + horizon.b, top.r + top.g + top.b);
    EXPECT_LT(bottom.r + bottom.g + bottom.b, 40);
    // Somewhere in between the sunset: red above blue.
    bool sunset = false;
    for (int y = 200; y < 1000; y++) {
        rgba p = at(s, 0, y);
        sunset = sunset || (p.r > 180 && p.r > p.b + 100);
        // Every column of a row is the same colour: the picture is stretched sideways.
        for (int x = 1; x < 8; x++) ASSERT_EQ(at(s, x, y).r, p.r);
    }
    EXPECT_TRUE(sunset);
    for (int y = 0; y < s->height; y++) ASSERT_EQ(at(s, 0, y).a, 255);
}

TEST(assetpictures, tinted_pictures_are_white_and_grey) {
    std::vector<std::string> names = {"explosion1.png", "explosion2.png", "ring.png", "cloud.png"};
    for (int i = 0; i < series("car"); i++) names.push_back("car" + std::to_string(i) + ".png");
    for (int i = 0; i < series("plane"); i++) names.push_back("plane" + std::to_string(i) + ".png");
    for (auto& n : names) {
        TImage* img = load(n);
        ASSERT_NE(img, nullptr);
        int coloured = 0, seen = 0;
        for (int y = 0; y < img->height; y++)
            for (int x = 0; x < img->width; x++) {
                rgba p = at(img, x, y);
                if (p.a < 64) continue;
                seen++;
                if (std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 12) coloured++;
            }
        EXPECT_GT(seen, 0) << n;
        EXPECT_EQ(coloured, 0) << n;
    }
    // The explosion glow fills its picture: bright in the middle, nothing in the corners.
    TImage* g = load("explosion2.png");
    EXPECT_GT(at(g, 32, 32).a, 240);
    EXPECT_EQ(at(g, 0, 0).a, 0);
    EXPECT_EQ(at(g, 63, 63).a, 0);
}

TEST(assetpictures, font_sheet_cuts_into_every_latin1_character) {
    TImage* sheet = load("ambient outlined.png");
    TImage* desc = load("ambient outlined d.png");
    ASSERT_TRUE(sheet && desc);
    EXPECT_EQ(sheet->width, desc->width);
    EXPECT_EQ(sheet->height, desc->height);
    EXPECT_GE(sheet->height, 14);
    EXPECT_LE(sheet->height, 16);
    EXPECT_GT(sheet->width, sheet->height);   // one row of cells
    pngfont f;
    ASSERT_EQ(f.load("data/ambient outlined.png", -1), 1);
    for (int c = 0; c < 256; c++) {
        bool printable = (c >= 32 && c <= 126) || c >= 160;
        EXPECT_EQ(f.img[c] != nullptr, printable) << "code " << c;
    }
    EXPECT_EQ(f.maxh, sheet->height);
    // Glyphs are white with a dark rim; a blank still takes room.
    TPixmap& a = LockImage(f.img['A'], 0, true, false);
    int white = 0, dark = 0;
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++) {
            const uint8_t* p = PixelBytes(a, x, y);
            if (p[3] > 200 && p[0] > 230 && p[1] > 230 && p[2] > 230) white++;
            if (p[3] > 200 && p[0] < 60 && p[1] < 60 && p[2] < 60) dark++;
        }
    EXPECT_GT(white, 10);
    EXPECT_GT(dark, 10);
    EXPECT_GE(f.width(" "), 3);
    EXPECT_GT(f.width("W"), f.width("i"));
    // Digits share one width, so the score does not jitter as it counts.
    for (char d = '1'; d <= '9'; d++) EXPECT_EQ(f.width(std::string(1, d)), f.width("0")) << d;
}

TEST(assetpictures, glyphs_share_one_baseline_and_accents_sit_above_capitals) {
    testsupport::startplatform();
    pngfont f;
    ASSERT_EQ(f.load("data/ambient outlined.png", -1), 1);
    // The lowest inked row of a cell: the same for letters and digits without descenders.
    auto bottom = [&](int c) {
        TPixmap& p = LockImage(f.img[c], 0, true, false);
        int last = -1;
        for (int y = 0; y < p.height; y++)
            for (int x = 0; x < p.width; x++)
                if (PixelBytes(p, x, y)[3] > 0) last = y;
        return f.hs[c] + last;
    };
    for (int c : {'B', 'x', '0', 'm', 'E', '7'}) EXPECT_EQ(bottom(c), bottom('A')) << char(c);
    EXPECT_GT(bottom('g'), bottom('a'));
    EXPECT_GT(bottom('p'), bottom('a'));
    EXPECT_LT(f.hs[0xC4], f.hs['A']);   // the dots of the capital A umlaut stand above it
    EXPECT_LT(f.hs['A'], f.hs['a']);
}

// Cars drive with their front to the left: headlight left, red tail light right. Helicopters
// fly to the right: their cockpit glass is in the right half.
TEST(assetpictures, vehicles_face_the_way_they_move) {
    for (int i = 0; i < series("car"); i++) {
        TImage* o = load("car" + std::to_string(i) + "t.png");
        ASSERT_NE(o, nullptr);
        int head = -1, tail = -1;
        for (int y = 0; y < o->height; y++)
            for (int x = 0; x < o->width; x++) {
                rgba p = at(o, x, y);
                if (p.a < 128) continue;
                if (p.r > 230 && p.g > 220 && p.b > 150 && head < 0) head = x;
                if (p.r > 180 && p.g < 80 && p.b < 80) tail = std::max(tail, x);
            }
        EXPECT_GE(head, 0) << "car" << i;
        EXPECT_LT(head, o->width / 4) << "car" << i;
        EXPECT_GT(tail, o->width * 3 / 4) << "car" << i;
    }
    for (int i = 0; i < series("chopper"); i++) {
        TImage* c = load("chopper" + std::to_string(i) + ".png");
        ASSERT_NE(c, nullptr);
        int left = 0, right = 0;
        for (int y = 0; y < c->height; y++)
            for (int x = 0; x < c->width; x++) {
                rgba p = at(c, x, y);
                if (p.a > 200 && p.b > 150 && p.b > p.r + 60 && p.g > 120) (x < c->width / 2 ? left : right)++;
            }
        EXPECT_GT(right, left) << "chopper" << i;
    }
}

struct assetworld : worldtest {};

// A fresh world starts from the generated folder: every series is complete and the font has
// the cell height the HUD is laid out for.
TEST_F(assetworld, start_up_loads_the_generated_folder) {
    EXPECT_EQ(img_house.size(), size_t(series("house")));
    EXPECT_EQ(img_car.size(), size_t(series("car")));
    EXPECT_EQ(img_cart.size(), img_car.size());
    EXPECT_EQ(img_plane.size(), size_t(series("plane")));
    EXPECT_EQ(img_meteor.size(), size_t(series("meteor")));
    EXPECT_EQ(img_chopper.size(), size_t(series("chopper")));
    EXPECT_FLOAT_EQ(explosionw2, 32);
    EXPECT_FLOAT_EQ(turretbasew2, 22);
    EXPECT_GE(world->font.maxh, 14);
    EXPECT_LE(world->font.maxh, 16);
    // The loading text fits the playfield at double size.
    EXPECT_LT(world->font.width("Loading...") * 2, 400);
}

TEST(assetpictures, sky_bodies_are_square_and_lit_from_the_left) {
    for (const char* n : {"sun.png", "moon.png", "planets.png"}) {
        TImage* img = load(n);
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->width, img->height) << n;
        EXPECT_GE(img->width, 36) << n;
        EXPECT_LE(img->width, 80) << n;
    }
    // The moon's left side faces the sun.
    TImage* m = load("moon.png");
    long left = 0, right = 0;
    for (int y = 0; y < m->height; y++)
        for (int x = 0; x < m->width; x++) {
            rgba p = at(m, x, y);
            long lum = long(p.r + p.g + p.b) * p.a;
            (x < m->width / 2 ? left : right) += lum;
        }
    EXPECT_GT(left, right * 2);
    // The flag hangs from its left edge: that column is cloth from top to bottom.
    TImage* f = load("flag.png");
    for (int y = 0; y < f->height; y++) EXPECT_EQ(at(f, 0, y).a, 255) << "flag row " << y;
}
