// The pictures of data/: series counted up to the first gap, overlays that must exist, the
// cached skyline mask, handles and the sizes taken from the pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "framework/assets.h"
#include "platform/testing.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace fs = std::filesystem;

namespace {

// A copy of data/ (links to the build's files) in a scratch folder, without `drop`.
void linkdata(const testsupport::tempdir& dir, const std::string& drop) {
    fs::create_directory(dir.path / "data");
    for (auto& e : fs::directory_iterator("data")) {
        std::string name = e.path().filename().string();
        if (name == drop) continue;
        fs::create_symlink(fs::absolute(e.path()), dir.path / "data" / name);
    }
}

}  // namespace

TEST(imageseries, counts_the_files_up_to_the_first_gap) {
    testsupport::startplatform();
    testsupport::tempdir dir;
    for (int i : {0, 1, 2, 3, 4, 7}) testsupport::writetext(dir / ("house" + std::to_string(i) + ".png"), "");
    EXPECT_EQ(countseries(dir / "house%1.png"), 5);
    EXPECT_EQ(countseries(dir / "car%1.png"), 0);
    fs::create_directory(dir / "dir0.png");   // a folder is no picture
    EXPECT_EQ(countseries(dir / "dir%1.png"), 0);
}

struct startassets : worldtest {};

TEST_F(startassets, pictures_get_their_handles_and_derived_sizes) {
    EXPECT_FLOAT_EQ(cloudw2, img_cloud->width / 2.0f);
    EXPECT_FLOAT_EQ(img_cloud->handle_y, float(img_cloud->height));
    EXPECT_FLOAT_EQ(explosionw2, 32);
    EXPECT_FLOAT_EQ(img_title->handle_x, img_title->width / 2.0f);
    EXPECT_FLOAT_EQ(img_title->handle_y, 0);
    EXPECT_FLOAT_EQ(img_turretbase->handle_y, float(img_turretbase->height));
    EXPECT_FLOAT_EQ(img_stars->handle_x, float(img_stars->width / 2));
    EXPECT_FLOAT_EQ(starscale, float(std::sqrt(1280000.0) / img_stars->width));
    EXPECT_FLOAT_EQ(jumperw2, img_jumper->width / 2.0f);
    ASSERT_FALSE(img_house.empty());
    EXPECT_FLOAT_EQ(img_house[0]->handle_y, float(img_house[0]->height));
    EXPECT_EQ(img_cart.size(), img_car.size());
    EXPECT_EQ(img_planet.size(), img_plane.size());
    EXPECT_EQ(int(img_house.size()), countseries("data/house%1.png"));
    EXPECT_EQ(img_city->name, "city.png");
    EXPECT_EQ(img_citylens->width, img_city->width);
}

TEST_F(startassets, generated_trails_carry_their_two_colours_in_the_middle_column) {
    const TPixmap& p = img_trailenemy->pixmaps[0];
    EXPECT_EQ(ReadPixel(p, 1, 1), 0xffffcd14u);   // (255, 205, 20)
    EXPECT_EQ(ReadPixel(p, 1, 2), 0xffcd1e00u);   // (205, 30, 0)
    for (int y = 0; y < 4; y++) {
        EXPECT_EQ(ReadPixel(p, 0, y) >> 24, 0u);
        EXPECT_EQ(ReadPixel(p, 2, y) >> 24, 0u);
    }
    EXPECT_EQ(ReadPixel(p, 1, 0) >> 24, 0u);
    EXPECT_EQ(ReadPixel(img_trailplayer->pixmaps[0], 1, 2), 0xffcd0032u);
    EXPECT_EQ(ReadPixel(img_beam->pixmaps[0], 1, 0) >> 24, 255u);
    EXPECT_EQ(ReadPixel(img_beam->pixmaps[0], 1, 2) >> 24, 0u);
    EXPECT_EQ(ReadPixel(img_line->pixmaps[0], 1, 2) >> 24, 255u);
    EXPECT_EQ(ReadPixel(img_drop->pixmaps[0], 1, 1), 0xff009bffu);
    EXPECT_EQ(ReadPixel(img_drop->pixmaps[0], 0, 1) >> 24, 0u);
    EXPECT_EQ(img_drop->name, "img_drop");
}

// These run in a child process: they load the pictures again from a scratch folder.
TEST(startassetsdeath, a_missing_overlay_stops_loading_with_its_path) {
    testsupport::startplatform();
    if (FileType("data") != 2) GTEST_SKIP() << "no data/ yet";
    testsupport::tempdir dir;
    linkdata(dir, "car2t.png");
    ASSERT_TRUE(fs::exists("data/car2.png")) << "needs at least three car pictures";
    std::string here = fs::current_path().string();
    EXPECT_EXIT(
        {
            if (chdir(dir.path.c_str()) != 0) std::_Exit(3);
            std::string r = readimages();
            std::fprintf(stderr, "[%s]", r.c_str());
            std::_Exit(r == "data/car2t.png" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "\\[data/car2t.png\\]");
}

TEST(startassetsdeath, the_skyline_mask_is_made_again_when_deleted) {
    testsupport::startplatform();
    if (FileType("data") != 2) GTEST_SKIP() << "no data/ yet";
    testsupport::tempdir dir;
    linkdata(dir, "_city lens.png");
    std::string made = dir / "data/_city lens.png";
    EXPECT_EXIT(
        {
            if (chdir(dir.path.c_str()) != 0) std::_Exit(3);
            std::string r = readimages();
            std::_Exit(r.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    ASSERT_TRUE(fs::is_regular_file(made));
    TImage* mask = LoadImage(made, 0);
    TImage* city = LoadImage("data/city.png", 0);
    ASSERT_TRUE(mask && city);
    ASSERT_EQ(mask->width, city->width);
    ASSERT_EQ(mask->height, city->height);
    const TPixmap& m = mask->pixmaps[0];
    const TPixmap& c = city->pixmaps[0];
    for (int y = 0; y < m.height; y++)
        for (int x : {0, m.width - 1}) {
            ASSERT_EQ(ReadPixel(m, x, y) & 0xffffffu, 0u) << "edge column " << x << " row " << y << " is black";
            ASSERT_GT(ReadPixel(m, x, y) >> 24, 0u);
        }
    // the bottom row lies inside the buildings: it stays opaque at the edges
    EXPECT_EQ(ReadPixel(m, 0, m.height - 1) >> 24, 255u);
    // inside, the colours are the skyline's and the alpha is softened, not copied
    int x = m.width / 2, y = m.height / 2;
    EXPECT_EQ(ReadPixel(m, x, y) & 0xffffffu, ReadPixel(c, x, y) & 0xffffffu);
    int differ = 0;
    for (int yy = 0; yy < m.height; yy++)
        for (int xx = 1; xx < m.width - 1; xx++) differ += (ReadPixel(m, xx, yy) >> 24) != (ReadPixel(c, xx, yy) >> 24);
    EXPECT_GT(differ, 0);
}

TEST(blurpass, a_made_mask_keeps_the_colours_raises_a_flat_alpha_and_blackens_the_edges) {
    testsupport::startplatform();
    // a 5 x 5 picture of alpha 90: the first pixel inside sees itself twice among 9
    TImage* city = CreateImage(5, 5, 1, 0);
    TPixmap& p = LockImage(city, 0, true, true);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 5; x++) WritePixel(p, x, y, 0x5a808080u);
    UnlockImage(city, 0);
    testsupport::tempdir dir;
    std::string here = fs::current_path().string();
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    fs::create_directory("data");
    TImage* lens = makecitylens(city);
    EXPECT_TRUE(fs::exists("data/_city lens.png"));
    ASSERT_EQ(chdir(here.c_str()), 0);
    // after eight passes the inside has grown from 90 and the edge columns are black
    EXPECT_GT(ReadPixel(lens->pixmaps[0], 2, 2) >> 24, 90u);
    EXPECT_EQ(ReadPixel(lens->pixmaps[0], 0, 2) & 0xffffffu, 0u);
    EXPECT_EQ(ReadPixel(lens->pixmaps[0], 2, 2) & 0xffffffu, 0x808080u);
}
