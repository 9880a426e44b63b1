// Drawing state, the matrix, the modelview emulation and the batcher, on the headless back end.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/internal.h"

namespace {

struct drawing : ::testing::Test {
    void SetUp() override {
        PlatformInit(tbackend::headless);
        SetColor(255, 255, 255);
        SetAlpha(1);
        SetBlend(BLEND_ALPHA);
        SetTransform(0, 1, 1);
        SetViewport(0, 0, 800, 400);
        SetOrigin(0, 0);
        SetHandle(0, 0);
        SetLineWidth(1);
        plat::linesmooth = false;         // a world built by an earlier test turns smoothing on
        ModelviewIdentity();
        Flip();                           // closes whatever an earlier test left pending
        ClearDrawRecords();
    }
    // The corners of the last quad sent to the batcher: top-left, top-right, bottom-right, bottom-left.
    std::vector<float> lastquad() {
        auto& v = plat::batch.verts;
        std::vector<float> r;
        for (size_t i = v.size() - 4; i < v.size(); i++) {
            r.push_back(v[i].x);
            r.push_back(v[i].y);
        }
        return r;
    }
};

TEST_F(drawing, colour_components_and_alpha_are_clamped) {
    SetColor(-20, 300, 128);
    EXPECT_EQ(DrawState().color_red, 0);
    EXPECT_EQ(DrawState().color_green, 255);
    EXPECT_EQ(DrawState().color_blue, 128);
    SetAlpha(1.7f);
    EXPECT_EQ(DrawState().color_alpha, 1.0f);
    SetAlpha(-0.2f);
    EXPECT_EQ(DrawState().color_alpha, 0.0f);
    SetAlpha(0.5f);
    DrawRect(0, 0, 1, 1);
    // the opacity byte is a x 255 truncated: 127.5 -> 127
    EXPECT_EQ(plat::batch.verts.back().a, 127);
    EXPECT_EQ(plat::batch.verts.back().g, 255);
}

TEST_F(drawing, rotation_and_scale_give_the_matrix) {
    SetTransform(30, 2, 3);
    const tdrawstate& s = DrawState();
    double sn = std::sin(30 * M_PI / 180), cs = std::cos(30 * M_PI / 180);
    EXPECT_NEAR(s.tform_ix, cs * 2, 1e-6);
    EXPECT_NEAR(s.tform_iy, -sn * 3, 1e-6);
    EXPECT_NEAR(s.tform_jx, sn * 2, 1e-6);
    EXPECT_NEAR(s.tform_jy, cs * 3, 1e-6);
    SetRotation(90);
    EXPECT_NEAR(DrawState().tform_ix, 0, 1e-6);
    EXPECT_NEAR(DrawState().tform_jx, 2, 1e-6);
    SetScale(1, 1);
    EXPECT_NEAR(DrawState().tform_iy, -1, 1e-6);
}

TEST_F(drawing, image_corners_sit_around_its_handle) {
    TImage* img = CreateImage(10, 4);
    SetImageHandle(img, 5, 4);            // middle of the bottom edge
    DrawImage(img, 100, 50);
    EXPECT_EQ(lastquad(), (std::vector<float>{95, 46, 105, 46, 105, 50, 95, 50}));

    SetScale(2, 0.5f);
    DrawImage(img, 100, 50);
    EXPECT_EQ(lastquad(), (std::vector<float>{90, 48, 110, 48, 110, 50, 90, 50}));

    // turned a quarter: local (u, v) lands at (-v, u)
    SetTransform(90, 1, 1);
    SetImageHandle(img, 0, 0);
    DrawImage(img, 0, 0);
    auto q = lastquad();
    EXPECT_NEAR(q[2], 0, 1e-5);           // top-right corner (10, 0) -> (0, 10)
    EXPECT_NEAR(q[3], 10, 1e-5);
    EXPECT_NEAR(q[4], -4, 1e-5);          // bottom-right (10, 4) -> (-4, 10)
    EXPECT_NEAR(q[5], 10, 1e-5);
}

TEST_F(drawing, rects_use_the_primitive_handle_and_origin) {
    SetOrigin(3, 4);
    DrawRect(10, 20, 30, 5);
    EXPECT_EQ(lastquad(), (std::vector<float>{13, 24, 43, 24, 43, 29, 13, 29}));
    SetHandle(15, 0);
    DrawRect(10, 20, 30, 5);
    EXPECT_EQ(lastquad(), (std::vector<float>{-2, 24, 28, 24, 28, 29, -2, 29}));
}

TEST_F(drawing, modelview_applies_after_the_drawing_state) {
    ModelviewScale(2, 2);                 // the view scale of a 1600 x 800 canvas
    DrawRect(10, 10, 5, 5);
    EXPECT_EQ(lastquad(), (std::vector<float>{20, 20, 30, 20, 30, 30, 20, 30}));

    // a loaded matrix: the flag's shear with a translation, then popped back to the view scale
    ModelviewPush();
    float m[16] = {0.5f, 0.25f, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 704, 165, 0, 1};
    ModelviewLoad(m);
    DrawRect(0, 0, 4, 8);
    EXPECT_EQ(lastquad(), (std::vector<float>{704, 165, 706, 166, 706, 174, 704, 173}));
    ModelviewPop();
    DrawRect(1, 1, 1, 1);
    EXPECT_EQ(lastquad()[0], 2);
    ModelviewPop();                       // nothing left to pop: harmless
    ModelviewIdentity();
    EXPECT_EQ(Modelview()[0], 1);
    EXPECT_EQ(Modelview()[12], 0);
}

TEST_F(drawing, records_what_was_drawn_with_its_state) {
    TImage* img = CreateImage(2, 2);
    SetColor(10, 20, 30);
    DrawImage(img, 5, 6);
    DrawNote("SCORE 100", 10, 12, 2);
    DrawLine(0, 0, 10, 0);
    ASSERT_EQ(DrawRecords().size(), 3u);
    EXPECT_EQ(DrawRecords()[0].op, tdrawrecord::image);
    EXPECT_EQ(DrawRecords()[0].img, img);
    EXPECT_EQ(DrawRecords()[0].state.color_green, 20);
    EXPECT_EQ(DrawRecords()[1].text, "SCORE 100");
    EXPECT_EQ(DrawRecords()[1].x2, 2);
    EXPECT_EQ(DrawRecords()[2].op, tdrawrecord::line);
    Flip();
    EXPECT_EQ(DrawRecords().back().op, tdrawrecord::flip);
    EXPECT_EQ(DrawRecords().size(), 4u);
    DrawRect(0, 0, 1, 1);                 // the next frame starts a new list
    EXPECT_EQ(DrawRecords().size(), 1u);
}

TEST_F(drawing, line_covers_its_last_pixel_only_when_asked) {
    DrawLine(10, 10, 20, 10, 1);
    auto q = lastquad();
    EXPECT_FLOAT_EQ(q[0], 9.5f);
    EXPECT_FLOAT_EQ(q[2], 20.5f);
    EXPECT_FLOAT_EQ(q[1], 10.5f);         // one pixel wide around the line
    EXPECT_FLOAT_EQ(q[5], 9.5f);
    DrawLine(10, 10, 20, 10, 0);
    EXPECT_FLOAT_EQ(lastquad()[2], 19.5f);
    SetLineWidth(4);
    DrawLine(10, 10, 10, 30, 1);
    q = lastquad();
    EXPECT_FLOAT_EQ(std::fabs(q[0] - q[6]), 4);
}

TEST_F(drawing, smooth_lines_carry_their_edge_to_the_renderer) {
    EnableLineSmooth();
    SetLineWidth(3);
    DrawLine(10, 10, 20, 10, 1);
    plat::linesmooth = false;
    auto q = lastquad();
    EXPECT_FLOAT_EQ(q[1], 12.0f);         // 1.5 + half a pixel of soft edge
    EXPECT_FLOAT_EQ(q[5], 8.0f);
    auto& v = plat::batch.verts;
    EXPECT_FLOAT_EQ(v.back().reach, 2.0f);    // half width + half a pixel: coverage 0 there
    EXPECT_FLOAT_EQ(v.back().across, -2.0f);  // distance across at the far edge
    // an ordinary line has full coverage everywhere
    DrawLine(10, 10, 20, 10, 1);
    EXPECT_FLOAT_EQ(v.back().reach, 1.0f);
    EXPECT_FLOAT_EQ(v.back().across, 0.0f);
}

TEST_F(drawing, one_texture_is_one_draw_call) {
    TImage* img = CreateImage(3, 3);
    for (int i = 0; i < 2000; i++) DrawImage(img, i % 800, i % 400);
    Flip();
    EXPECT_EQ(DrawCallsLastFrame(), 1);
}

TEST_F(drawing, blend_and_viewport_changes_split_the_call) {
    TImage* img = CreateImage(3, 3);
    DrawImage(img, 0, 0);
    SetBlend(BLEND_LIGHT);
    DrawImage(img, 0, 0);
    SetViewport(0, 0, 800, 371);
    DrawImage(img, 0, 0);
    DrawImage(img, 0, 0);
    SetViewport(0, 0, 800, 371);          // the same rectangle again: no split
    DrawRect(0, 0, 1, 1);                 // untextured quads join the call
    Flip();
    EXPECT_EQ(DrawCallsLastFrame(), 3);
}

TEST_F(drawing, pictures_of_one_page_share_a_call_and_a_picture_of_its_own_splits_it) {
    // pictures with a pattern: one colour a row needs no texture at all
    auto patterned = [](int w, int flags) {
        TImage* img = CreateImage(w, 3, 1, flags);
        WritePixel(LockImage(img), 0, 0, 0xffffffff);
        UnlockImage(img);
        return img;
    };
    std::vector<TImage*> imgs;
    for (int i = 0; i < 40; i++) imgs.push_back(patterned(2 + i, IMG_FILTERED));
    // any mix of filtered pictures, rectangles and lines stays in one call
    for (int i = 0; i < 40; i++) {
        DrawImage(imgs[i], 0, 0);
        DrawRect(0, 0, 1, 1);
        DrawLine(0, 0, 5, 5);
    }
    EXPECT_EQ(DrawCallsThisFrame(), 0);
    // unfiltered pictures live on a page of their own, mipmapped ones in their own texture
    DrawImage(patterned(2, 0), 0, 0);
    DrawImage(patterned(2, IMG_FILTERED | IMG_MIPMAPPED), 0, 0);
    DrawRect(0, 0, 1, 1);
    DrawImage(imgs[0], 0, 0);
    Flip();
    EXPECT_EQ(DrawCallsLastFrame(), 4);
}

// A picture of one colour a row is sent as bands without texture: as few as show its rows
// (a straight ramp is one band between its half-row ends), only those the viewport lets
// through. A large untextured call keeps textured quads out, so that it is drawn without
// sampling; small rectangles still join the pictures' call.
TEST_F(drawing, one_colour_a_row_goes_as_bands_and_large_plain_calls_stay_plain) {
    auto rowspicture = [](int h, int flags, const std::function<uint32_t(int)>& row) {
        TImage* img = CreateImage(4, h, 1, flags);
        TPixmap& p = LockImage(img);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < 4; x++) WritePixel(p, x, y, row(y));
        UnlockImage(img);
        return img;
    };
    struct tcase {
        TImage* img;
        size_t quads;
    } cases[] = {
        {rowspicture(9, IMG_FILTERED, [](int) { return 0xff336699u; }), 1},
        {rowspicture(9, IMG_FILTERED, [](int y) { return 0xff000000u | (20 * y) << 8; }), 3},
        {rowspicture(9, 0, [](int y) { return y < 4 ? 0xff0000ffu : 0xffff0000u; }), 2},
        // a new colour every row, 1000 rows: the 400 the viewport shows, and their neighbours
        {rowspicture(1000, IMG_FILTERED, [](int y) { return y % 2 ? 0xffff0000u : 0xff0000ffu; }), 401},
    };
    for (const tcase& c : cases) {
        Flip();
        DrawImage(c.img, 0, 0);
        EXPECT_EQ(plat::batch.verts.size() / 4, c.quads);
        EXPECT_FALSE(plat::batch.textured);
    }
    TImage* pic = CreateImage(2, 2, 1, IMG_FILTERED);
    WritePixel(LockImage(pic), 0, 0, 0xffffffffu);
    UnlockImage(pic);
    for (float side : {20.0f, 200.0f}) {
        Flip();
        DrawRect(0, 0, side, side);
        DrawImage(pic, 0, 0);
        DrawRect(0, 0, side, side);
        Flip();
        EXPECT_EQ(DrawCallsLastFrame(), side > 128 ? 2 : 1) << side;
    }
}

TEST_F(drawing, pictures_get_places_of_their_own_with_a_border_between_them) {
    std::vector<TImage*> imgs;
    for (int i = 0; i < 30; i++) {
        imgs.push_back(CreateImage(1 + (i * 37) % 200, 1 + (i * 53) % 90, 1, IMG_FILTERED));
        DrawImage(imgs.back(), 0, 0);
    }
    TImage* huge = CreateImage(atlas::pagesize, 4, 1, IMG_FILTERED);
    DrawImage(huge, 0, 0);
    std::vector<tplace> seen;
    for (TImage* img : imgs) {
        const tplace& p = atlas::at(img->frames[0]);
        EXPECT_EQ(p.w, img->width);
        EXPECT_EQ(p.h, img->height);
        EXPECT_GE(p.x, atlas::border);
        EXPECT_GE(p.y, atlas::border);
        EXPECT_LE(p.x + p.w + atlas::border, atlas::pagesize);
        EXPECT_LE(p.y + p.h + atlas::border, atlas::pagesize);
        // the white block and every other picture, each with its border, stay apart
        EXPECT_TRUE(p.x >= atlas::whitesize + atlas::border || p.y >= atlas::whitesize + atlas::border);
        for (const tplace& q : seen) {
            if (q.tex != p.tex) continue;
            bool apart = p.x + p.w + 2 * atlas::border <= q.x || q.x + q.w + 2 * atlas::border <= p.x ||
                         p.y + p.h + 2 * atlas::border <= q.y || q.y + q.h + 2 * atlas::border <= p.y;
            EXPECT_TRUE(apart);
        }
        seen.push_back(p);
    }
    // too large for a page: a texture of its own, drawn whole
    const tplace& h = atlas::at(huge->frames[0]);
    EXPECT_EQ(h.x, 0);
    EXPECT_FLOAT_EQ(h.u1, 1.0f);
    EXPECT_FALSE(atlas::textures[h.tex - 1].page);
}

TEST_F(drawing, a_writing_lock_rebuilds_the_texture_before_the_next_draw) {
    TImage* img = CreateImage(2, 2);
    int before = TextureUploads();
    DrawImage(img, 0, 0);
    DrawImage(img, 0, 0);
    EXPECT_EQ(TextureUploads(), before + 1);
    LockImage(img, 0, true, false);       // reading only: still current
    DrawImage(img, 0, 0);
    EXPECT_EQ(TextureUploads(), before + 1);
    WritePixel(LockImage(img, 0, true, true), 0, 0, 0xff00ff00);
    UnlockImage(img, 0);
    EXPECT_EQ(img->seqs[0], 0);
    DrawImage(img, 0, 0);
    EXPECT_EQ(TextureUploads(), before + 2);
    EXPECT_EQ(img->seqs[0], 1);
    // the quads drawn before the lock were sent with the old pixels: the call was split
    Flip();
    EXPECT_EQ(DrawCallsLastFrame(), 2);
}

// The patches of a picture must hold every texel a filtered sample can take opacity from
// (each texel with opacity and its neighbours), each once; what they leave out is what the
// rasteriser is spared.
TEST_F(drawing, a_pictures_patches_hold_every_texel_that_can_show_and_little_else) {
    struct tcase {
        const char* what;
        int w, h;
        std::function<uint32_t(int, int)> argb;
        bool masked, trimmed;
        float most;                       // of the whole area, at most
    } cases[] = {
        {"empty", 40, 30, [](int, int) { return 0u; }, false, true, 0},
        {"opaque", 40, 30, [](int, int) { return 0xff102030u; }, false, false, 1},
        {"mask colour only", 40, 30, [](int, int) { return 0xff000000u; }, true, true, 0},
        {"skyline", 300, 120, [](int x, int y) { return y > 80 + (x * 7 % 23) ? 0xff405060u : 0u; }, false, true, 0.45f},
        {"stars", 256, 256, [](int x, int y) { return (x * 31 + y * 17) % 211 == 0 ? 0x08ffffffu : 0u; }, false, true, 0.6f},
        {"edge texels", 64, 64, [](int x, int y) { return x == 63 || y == 0 ? 0x80ffffffu : 0u; }, false, true, 0.2f},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        TImage* img = CreateImage(c.w, c.h, 1, IMG_FILTERED | (c.masked ? IMG_MASKED : 0));
        TPixmap& p = LockImage(img);
        for (int y = 0; y < c.h; y++)
            for (int x = 0; x < c.w; x++) WritePixel(p, x, y, c.argb(x, y));
        tplace& pl = atlas::places[atlas::place(c.w, c.h, img->flags) - 1];
        atlas::survey(pl, img, 0);
        EXPECT_EQ(pl.trimmed, c.trimmed);
        if (!pl.trimmed) continue;
        std::vector<int> covered(static_cast<size_t>(c.w) * c.h);
        long area = 0;
        for (const tpatch& q : pl.patches) {
            ASSERT_TRUE(q.x0 >= 0 && q.y0 >= 0 && q.x1 <= c.w && q.y1 <= c.h && q.x0 < q.x1 && q.y0 < q.y1);
            for (int y = q.y0; y < q.y1; y++)
                for (int x = q.x0; x < q.x1; x++) covered[static_cast<size_t>(y) * c.w + x]++;
            area += static_cast<long>(q.x1 - q.x0) * (q.y1 - q.y0);
        }
        EXPECT_LE(area, static_cast<long>(c.most * static_cast<float>(c.w * c.h)));
        int missing = 0, twice = 0;
        for (int y = 0; y < c.h; y++)
            for (int x = 0; x < c.w; x++) {
                twice += covered[static_cast<size_t>(y) * c.w + x] > 1;
                if (!(c.argb(x, y) >> 24) || c.masked) continue;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < c.w && ny < c.h) missing += !covered[static_cast<size_t>(ny) * c.w + nx];
                    }
            }
        EXPECT_EQ(missing, 0);
        EXPECT_EQ(twice, 0);
    }
}

TEST_F(drawing, nothing_is_sent_where_the_blend_leaves_the_canvas_as_it_was) {
    TImage* img = CreateImage(3, 3);
    struct tcase {
        int blend;
        float alpha;
        bool sent;
    } cases[] = {{BLEND_ALPHA, 0, false}, {BLEND_LIGHT, 0, false},
                 // the mask drops what is below half opacity: 0.5 is the byte 127
                 {BLEND_MASK, 0.5f, false}, {BLEND_MASK, 0.51f, true},
                 {BLEND_SHADE, 0, true},  {BLEND_SOLID, 0, true},
                 // the opacity byte is truncated: 0.0039 is 0, 0.004 is 1
                 {BLEND_ALPHA, 0.0039f, false}, {BLEND_ALPHA, 0.004f, true}};
    for (auto c : cases) {
        SCOPED_TRACE(c.blend);
        SCOPED_TRACE(c.alpha);
        Flip();
        SetBlend(c.blend);
        SetAlpha(c.alpha);
        DrawImage(img, 0, 0);
        DrawRect(0, 0, 4, 4);
        DrawLine(0, 0, 4, 4);
        EXPECT_EQ(plat::batch.verts.size(), c.sent ? 12u : 0u);
        // still recorded: only the pixels are spared
        EXPECT_EQ(DrawRecords().size(), 3u);
    }
}

TEST_F(drawing, flip_runs_the_flip_hooks_in_priority_order) {
    std::vector<int> order;
    AddHook(HOOK_FLIP, [&](int, void* d, void*) { order.push_back(1); return d; }, nullptr, 0);
    AddHook(HOOK_FLIP, [&](int, void* d, void*) { order.push_back(2); return d; }, nullptr, 5);
    AddHook(HOOK_FLIP, [&](int, void* d, void*) { order.push_back(3); return d; }, nullptr, 0);
    Flip();
    RemoveHooks(HOOK_FLIP);
    Flip();
    EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));
}

TEST_F(drawing, headless_front_buffer_is_opaque_black) {
    TPixmap p;
    GrabFrontBuffer(0, 0, 3, 2, p);
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(ReadPixel(p, 2, 1), 0xff000000u);
}

}  // namespace
