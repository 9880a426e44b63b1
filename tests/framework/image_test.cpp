// Pixel work, generated pictures, the turned and stretched drawing, the integer array helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/image.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/framework/headless.h"

namespace {

struct imagehelpers : ::testing::Test {
    void SetUp() override {
        headless();
        world->viewscalex = world->viewscaley = 1;
    }
    // A w x h picture with every pixel set to rgba.
    static TImage* flat(int w, int h, int r, int g, int b, int a) {
        TImage* img = CreateImage(w, h, 1, 0);
        int c[4] = {r, g, b, a};
        fillimage(img, c, 4, 0);
        return img;
    }
    static std::vector<int> px(const TImage* img, int x, int y) {
        int b[4];
        getpixelbytes(b, img->pixmaps[0], x, y, 4, 0);
        return {b[0], b[1], b[2], b[3]};
    }
};

}  // namespace

TEST_F(imagehelpers, pixel_bytes_address_part_of_a_pixel) {
    TImage* img = flat(2, 2, 1, 2, 3, 4);
    int a[1] = {300};   // only the low 8 bits are kept
    setpixelbytes(LockImage(img), 1, 0, a, 1, 3);
    UnlockImage(img);
    EXPECT_EQ(px(img, 1, 0), (std::vector<int>{1, 2, 3, 44}));
    int two[2];
    getpixelbytes(two, img->pixmaps[0], 1, 0, 2, 2);
    EXPECT_EQ(two[0], 3);
    EXPECT_EQ(two[1], 44);
    int alpha[1] = {9};
    fillimage(img, alpha, 1, 3);
    EXPECT_EQ(px(img, 0, 1), (std::vector<int>{1, 2, 3, 9}));
}

TEST_F(imagehelpers, blending_a_transparent_pixel_darkens_colours_by_rounding) {
    TImage* dst = flat(1, 1, 200, 100, 0, 255);
    TImage* src = flat(1, 1, 255, 255, 255, 0);
    blendimage(dst, src, 0, 0, 0, 0);
    EXPECT_EQ(px(dst, 0, 0), (std::vector<int>{199, 99, 0, 255}));
}

TEST_F(imagehelpers, blending_composites_over_the_overlapping_rectangle_only) {
    TImage* dst = flat(3, 3, 0, 0, 0, 0);
    TImage* src = flat(3, 3, 255, 128, 10, 255);
    blendimage(dst, src, 1, 1, 0, 0);
    EXPECT_EQ(px(dst, 0, 0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(px(dst, 1, 0), (std::vector<int>{0, 0, 0, 0}));
    // opaque over empty: (c * 256 >> 8) << 8 / 256
    EXPECT_EQ(px(dst, 1, 1), (std::vector<int>{255, 128, 10, 255}));
    EXPECT_EQ(px(dst, 2, 2), (std::vector<int>{255, 128, 10, 255}));
    // half over opaque white: s = 100 * 129 >> 8 = 50, d = 255 * 128 * 255 >> 16 = 127,
    // alpha 255 + 0 = 255, colour (177 << 8) / 256 = 177
    TImage* w = flat(1, 1, 255, 255, 255, 255);
    TImage* h = flat(1, 1, 100, 100, 100, 128);
    blendimage(w, h, 0, 0, 0, 0);
    EXPECT_EQ(px(w, 0, 0), (std::vector<int>{177, 177, 177, 255}));
    // half over empty: alpha 0 + (256 * 128 >> 8) = 128
    TImage* e = flat(1, 1, 0, 0, 0, 0);
    blendimage(e, h, 0, 0, 0, 0);
    EXPECT_EQ(px(e, 0, 0), (std::vector<int>{99, 99, 99, 128}));
}

TEST_F(imagehelpers, blur_counts_the_centre_twice_and_works_in_place) {
    // Into a separate picture: a flat 90 becomes 100 inside, corners (4 + 1) / 4.
    TImage* src = flat(4, 4, 0, 0, 0, 90);
    TImage* dst = flat(4, 4, 0, 0, 0, 0);
    blurimage(dst, 1, 1, 3, src);
    EXPECT_EQ(px(dst, 1, 1)[3], 100);
    EXPECT_EQ(px(dst, 0, 0)[3], 112);   // 5 x 90 / 4
    EXPECT_EQ(px(dst, 1, 0)[3], 105);   // 7 x 90 / 6
    EXPECT_EQ(px(dst, 1, 1)[0], 0);      // other bytes untouched
    // Limited to 255.
    TImage* bright = flat(3, 3, 0, 0, 0, 250);
    blurimage(bright, 1, 1, 3, nullptr);
    EXPECT_EQ(px(bright, 1, 1)[3], 255);
    // In place the later pixels read values already raised.
    TImage* in = flat(3, 1, 0, 0, 0, 90);
    blurimage(in, 1, 1, 3);
    // (0,0): 90 + 90 + 90 = 270 / 2 = 135; (1,0): 90 + 135 + 90 + 90 = 405 / 3 = 135;
    // (2,0): 90 + 135 + 90 = 315 / 2 = 157
    EXPECT_EQ(px(in, 0, 0)[3], 135);
    EXPECT_EQ(px(in, 1, 0)[3], 135);
    EXPECT_EQ(px(in, 2, 0)[3], 157);
}

TEST_F(imagehelpers, copy_and_flip_move_whole_rows) {
    TImage* src = CreateImage(2, 3, 1, 0);
    TPixmap& p = LockImage(src);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 2; x++) {
            int c[4] = {x, y, 7, 255};
            setpixelbytes(p, x, y, c, 4, 0);
        }
    UnlockImage(src);
    TImage* dst = flat(3, 3, 9, 9, 9, 9);
    copyimage(dst, src, 2, 1, 0, 0, 4, 0);   // only one column fits
    EXPECT_EQ(px(dst, 2, 1), (std::vector<int>{0, 0, 7, 255}));
    EXPECT_EQ(px(dst, 2, 2), (std::vector<int>{0, 1, 7, 255}));
    EXPECT_EQ(px(dst, 1, 1), (std::vector<int>{9, 9, 9, 9}));
    EXPECT_EQ(px(dst, 2, 0), (std::vector<int>{9, 9, 9, 9}));
    copyimage(dst, src, 0, 0, 1, 0, 1, 1);   // green bytes only
    EXPECT_EQ(px(dst, 0, 2), (std::vector<int>{9, 2, 9, 9}));
    flipimage(src);
    EXPECT_EQ(px(src, 1, 0), (std::vector<int>{1, 2, 7, 255}));
    EXPECT_EQ(px(src, 1, 1), (std::vector<int>{1, 1, 7, 255}));
    EXPECT_EQ(px(src, 0, 2), (std::vector<int>{0, 0, 7, 255}));
}

TEST_F(imagehelpers, trail_gradient_has_its_two_colours_in_the_middle_column) {
    int c1[4] = {255, 205, 20, 255}, c2[4] = {205, 30, 0, 255};
    TImage* t = gradientimage(c1, c2, 3, 4);
    ASSERT_EQ(t->width, 3);
    ASSERT_EQ(t->height, 4);
    EXPECT_TRUE(t->flags & IMG_FILTERED);
    EXPECT_EQ(px(t, 1, 1), (std::vector<int>{255, 205, 20, 255}));
    EXPECT_EQ(px(t, 1, 2), (std::vector<int>{205, 30, 0, 255}));
    EXPECT_EQ(px(t, 0, 1), (std::vector<int>{255, 205, 20, 0}));
    EXPECT_EQ(px(t, 2, 2), (std::vector<int>{205, 30, 0, 0}));
    EXPECT_EQ(px(t, 1, 0), (std::vector<int>{255, 205, 20, 0}));
    EXPECT_EQ(px(t, 1, 3), (std::vector<int>{205, 30, 0, 0}));
    // Longer: (c2 - c1) * (y - 1) / (h - 3) + c1, truncated toward zero.
    int a[4] = {0, 100, 10, 0}, b[4] = {10, 0, 0, 255};
    TImage* g = gradientimage(a, b, 3, 6);
    EXPECT_EQ(px(g, 1, 2), (std::vector<int>{3, 67, 7, 85}));
    EXPECT_EQ(px(g, 1, 4), (std::vector<int>{10, 0, 0, 255}));
    // Three rows high: both borders take the first colour.
    TImage* s = gradientimage(a, b, 3, 3);
    EXPECT_EQ(px(s, 1, 2), (std::vector<int>{0, 100, 10, 0}));
}

TEST_F(imagehelpers, line_picture_colours_its_middle_column_inside_the_border) {
    int white[4] = {255, 255, 255, 255};
    TImage* l = lineimage(white, 3, 5, 4, 0);
    for (int y = 0; y < 5; y++) {
        EXPECT_EQ(px(l, 1, y)[3], y == 0 || y == 4 ? 0 : 255) << y;
        EXPECT_EQ(px(l, 0, y), (std::vector<int>{255, 255, 255, 0}));
    }
}

TEST_F(imagehelpers, facematrix_points_the_picture_up_axis_at_the_target) {
    world->viewscalex = world->viewscaley = 2;
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(facematrix(m, 10, 20, 13, 24), 0);
    // direction (0.6, 0.8) scaled by 2
    EXPECT_FLOAT_EQ(m[0], 1.6f);
    EXPECT_FLOAT_EQ(m[1], -1.2f);
    EXPECT_FLOAT_EQ(m[4], -1.2f);
    EXPECT_FLOAT_EQ(m[5], -1.6f);
    EXPECT_FLOAT_EQ(m[12], 20);
    EXPECT_FLOAT_EQ(m[13], 40);
    EXPECT_EQ(m[10], 1);
    EXPECT_EQ(m[15], 1);
    // Local (0, -5) lands 5 units toward the target: (10, 20) + 5 x (0.6, 0.8) = (13, 24).
    EXPECT_FLOAT_EQ(m[4] * -5 + m[12], 26);
    EXPECT_FLOAT_EQ(m[5] * -5 + m[13], 48);
    // Equal points: no direction, the picture collapses onto the point.
    EXPECT_EQ(facematrix(m, 5, 5, 5, 5), 1);
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[5], 0);
    EXPECT_FLOAT_EQ(m[12], 10);
    EXPECT_FALSE(std::isnan(m[1]) || std::isnan(m[4]));
}

TEST_F(imagehelpers, drawbeam_stretches_the_picture_along_the_segment) {
    TImage* img = flat(3, 4, 255, 255, 255, 255);
    ClearDrawRecords();
    drawbeam(img, 100, 100, 100, 100, 2);
    EXPECT_TRUE(DrawRecords().empty());   // a zero-length beam draws nothing
    drawbeam(img, 100, 100, 100, 140, 2);
    ASSERT_EQ(DrawRecords().size(), 1u);
    const tdrawrecord& r = DrawRecords()[0];
    EXPECT_EQ(r.img, img);
    EXPECT_FLOAT_EQ(r.x, -3);   // -width x picture width / 2
    EXPECT_FLOAT_EQ(r.y, 0);
    EXPECT_FLOAT_EQ(r.state.tform_scale_x, 2);
    EXPECT_FLOAT_EQ(r.state.tform_scale_y, 10);   // 40 / 4
    // straight down: local v runs along +y, local u along -x
    EXPECT_FLOAT_EQ(r.modelview[0], 1);
    EXPECT_FLOAT_EQ(r.modelview[5], 1);
    EXPECT_FLOAT_EQ(r.modelview[12], 100);
    EXPECT_FLOAT_EQ(r.modelview[13], 100);
    EXPECT_FLOAT_EQ(world->drawmatrix[5], 1);
    SetScale(1, 1);
}

TEST_F(imagehelpers, screenshot_grabs_the_playfield_rectangle) {
    world->viewwidth = 800 * 1.5f;
    world->viewheight = 400 * 1.5f;
    TImage* shot = flat(4, 3, 255, 255, 255, 0);
    grabscreen(shot, 4, 3);
    // The headless front buffer is black.
    EXPECT_EQ(px(shot, 0, 0), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(px(shot, 3, 2), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(DrawState().viewport_w, 1200);
    EXPECT_EQ(DrawState().viewport_h, 600);
}

TEST_F(imagehelpers, array_helpers_work_on_a_slice) {
    int a[5] = {-8, 16, 3, 7, 100};
    shrall(a, 1, 2, 0);
    EXPECT_EQ(a[0], 0x7FFFFFFC);   // logical: the sign bit does not spread
    EXPECT_EQ(a[1], 8);
    shlall(a, 2, 1, 2);
    EXPECT_EQ(a[2], 12);
    addall(a, 1, 2, 2);
    EXPECT_EQ(a[2], 13);
    EXPECT_EQ(a[3], 8);
    int d[3] = {-7, 7, 9};
    divall(d, 2, 2, 0);
    EXPECT_EQ(d[0], -3);
    EXPECT_EQ(d[1], 3);
    EXPECT_EQ(d[2], 9);
    mulall(d, -2, 3, 0);
    EXPECT_EQ(d[2], -18);
    minall(a, 10, 5, 0);
    EXPECT_EQ(a[4], 10);
    EXPECT_EQ(a[1], 8);
    int b[2] = {1, 2};
    addarr(a, b, 2, 3, 0);
    EXPECT_EQ(a[3], 9);
    EXPECT_EQ(a[4], 12);
    EXPECT_EQ(maxof(a, 3, 1), 10);   // 8, 10, 9
    EXPECT_EQ(maxof(d, 1, 0), 6);
    float p[3] = {0, 0, 5}, q[3] = {3, 4, 100};
    EXPECT_FLOAT_EQ(dist(p, q, 2), 5);
}
