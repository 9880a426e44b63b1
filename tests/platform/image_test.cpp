// Pictures: PNG round trips, pixels, flags and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/testing.h"

namespace {
std::string tmpfile(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("vh_platform_") + name)).string();
}
}  // namespace

TEST(image, png_round_trip_keeps_every_byte) {
    PlatformInit(tbackend::headless);
    TImage* img = CreateImage(5, 3, 1, 0);
    EXPECT_EQ(img->flags, IMG_DYNAMIC);   // the dynamic flag is always added
    TPixmap& p = LockImage(img);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++) WritePixel(p, x, y, 0x01000000u * (x * 50 + 5) + 0x10203u * (y * 7 + x));
    UnlockImage(img);
    std::string f = tmpfile("round.png");
    ASSERT_TRUE(SavePixmapPNG(p, f, 9));
    TImage* back = LoadImage(f, IMG_FILTERED);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 5);
    EXPECT_EQ(back->height, 3);
    EXPECT_EQ(back->flags, IMG_FILTERED);
    ASSERT_EQ(back->pixmaps.size(), 1u);
    EXPECT_EQ(back->pixmaps[0].pixels, p.pixels);
    EXPECT_EQ(ReadPixel(back->pixmaps[0], 4, 2), 0x01000000u * 205 + 0x10203u * 18);
    EXPECT_EQ(PixelBytes(back->pixmaps[0], 4, 2)[3], 205);   // alpha is the fourth byte
    std::remove(f.c_str());
}

TEST(image, loading_follows_the_default_flags_and_fails_softly) {
    PlatformInit(tbackend::headless);
    EXPECT_EQ(LoadImage(tmpfile("missing.png")), nullptr);
    std::string f = tmpfile("broken.png");
    std::ofstream(f) << "\x89PNG\r\n\x1a\n not really";
    EXPECT_EQ(LoadImage(f), nullptr);
    std::remove(f.c_str());

    TImage* src = CreateImage(2, 2);
    WritePixel(LockImage(src), 1, 1, 0xff102030);
    ASSERT_TRUE(SavePixmapPNG(src->pixmaps[0], tmpfile("flags.png")));
    AutoImageFlags(IMG_FILTERED | IMG_MASKED);
    AutoImageFlags(-1);                   // leaves them as they are
    TImage* a = LoadImage(tmpfile("flags.png"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->flags, IMG_FILTERED | IMG_MASKED);
    EXPECT_EQ(CreateImage(1, 1)->flags, IMG_FILTERED | IMG_MASKED | IMG_DYNAMIC);
    AutoImageFlags(0);
    std::remove(tmpfile("flags.png").c_str());
}

TEST(image, pixels_outside_the_picture_are_harmless) {
    PlatformInit(tbackend::headless);
    TImage* img = CreateImage(2, 2, 3);
    ASSERT_EQ(img->pixmaps.size(), 3u);
    TPixmap& p = LockImage(img, 2);
    WritePixel(p, 2, 0, 0xffffffff);
    WritePixel(p, -1, 0, 0xffffffff);
    EXPECT_EQ(ReadPixel(p, 0, 2), 0u);
    PixelBytes(p, 5, 5)[0] = 9;           // a scratch pixel, not the picture
    for (uint8_t b : p.pixels) EXPECT_EQ(b, 0);
    TPixmap& none = LockImage(img, 7);
    EXPECT_EQ(none.width, 0);
    EXPECT_FALSE(SavePixmapPNG(none, tmpfile("empty.png")));
    EXPECT_FALSE(SavePixmapPNG(p, "/nonexistent-folder/x.png"));
}
