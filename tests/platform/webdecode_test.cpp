// The browser build's decoders (stb_image, stb_vorbis) give the desktop's pixels and samples
// for every picture and sound of data/, and refuse the same damaged files.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/web/decode.h"
#include "tests/support/ogg.h"

namespace {

std::vector<std::string> datafiles(const std::string& ext) {
    std::vector<std::string> out;
    if (DIR* d = opendir("data")) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > ext.size() && n.compare(n.size() - ext.size(), ext.size(), ext) == 0)
                out.push_back("data/" + n);
        }
        closedir(d);
    }
    return out;
}

std::string bytesof(const std::string& file) {
    std::string bytes;
    EXPECT_TRUE(plat::readfile(file, bytes)) << file;
    return bytes;
}

// The same bytes with damage of several kinds.
std::vector<std::pair<const char*, std::string>> damaged(const std::string& whole) {
    std::string flipped = whole;
    flipped[whole.size() / 2] = static_cast<char>(flipped[whole.size() / 2] ^ 0x55);
    return {{"cut in half", whole.substr(0, whole.size() / 2)},
            {"last byte missing", whole.substr(0, whole.size() - 1)},
            {"byte damaged in the middle", flipped},
            {"bytes before the start", "junk" + whole},
            {"empty", ""}};
}

}  // namespace

TEST(webdecode, pictures_decode_to_the_desktops_pixels) {
    std::vector<std::string> files = datafiles(".png");
    ASSERT_GT(files.size(), 30u);
    for (const std::string& f : files) {
        std::string bytes = bytesof(f);
        TPixmap desk, web;
        ASSERT_TRUE(plat::decodepng(bytes, desk)) << f;
        ASSERT_TRUE(plat::stbdecodepng(bytes, web)) << f;
        EXPECT_EQ(web.width, desk.width) << f;
        EXPECT_EQ(web.height, desk.height) << f;
        EXPECT_EQ(web.pitch, desk.pitch) << f;
        EXPECT_TRUE(web.pixels == desk.pixels) << f;
    }
}

TEST(webdecode, sounds_decode_to_the_desktops_samples) {
    std::vector<std::string> files = datafiles(".ogg");
    ASSERT_GT(files.size(), 20u);
    for (const std::string& f : files) {
        std::string bytes = bytesof(f);
        TSound desk, web;
        ASSERT_TRUE(plat::decodeogg(bytes, desk)) << f;
        ASSERT_TRUE(plat::stbdecodeogg(bytes, web)) << f;
        EXPECT_EQ(web.rate, desk.rate) << f;
        ASSERT_EQ(web.frames, desk.frames) << f;
        int worst = 0;
        for (size_t i = 0; i < desk.samples.size(); i++)
            worst = std::max(worst, std::abs(web.samples[i] - desk.samples[i]));
        EXPECT_LE(worst, 2) << f;  // both decode in floating point; rounding may differ a little
        // the page's start reads these from the headers and decodes later
        TSound peeked;
        ASSERT_TRUE(plat::stbpeekogg(bytes, peeked)) << f;
        EXPECT_EQ(peeked.rate, desk.rate) << f;
        EXPECT_EQ(peeked.frames, desk.frames) << f;
    }
}

TEST(webdecode, damaged_files_are_refused_as_on_the_desktop) {
    std::string png = bytesof("data/turret.png"), ogg = encodeogg(2, 22050, 6.0);
    for (const auto& [what, bytes] : damaged(png)) {
        TPixmap desk, web;
        EXPECT_EQ(plat::stbdecodepng(bytes, web), plat::decodepng(bytes, desk)) << "png " << what;
    }
    auto oggcases = damaged(ogg);
    oggcases.push_back({"two streams in a row", ogg + ogg});
    oggcases.push_back({"bytes after the end", ogg + "trailing"});
    for (const auto& [what, bytes] : oggcases) {
        TSound web;
        EXPECT_FALSE(plat::stbdecodeogg(bytes, web)) << "ogg " << what;
        EXPECT_FALSE(plat::stbpeekogg(bytes, web)) << "ogg headers " << what;
    }
}
