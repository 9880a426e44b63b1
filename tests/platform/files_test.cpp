// Byte streams: files, embedded texts, line reading and failed writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/platform.h"

namespace {
std::string tmpfile(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("vh_platform_") + name)).string();
}
}  // namespace

TEST(files, readline_stops_at_lf_nul_or_end_and_drops_crs) {
    static const char text[] = "first\r\nsec\rond\nthird\0fourth\n\n\xE9t\xE9";
    RegisterIncbin("test/lines.txt", std::string(text, sizeof text - 1));
    TStream* s = ReadStream("incbin::test\\lines.txt");   // backslashes name the same file
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ReadLine(s), "first");
    EXPECT_EQ(ReadLine(s), "second");
    EXPECT_EQ(ReadLine(s), "third");
    EXPECT_EQ(ReadLine(s), "fourth");
    EXPECT_EQ(ReadLine(s), "");
    EXPECT_FALSE(Eof(s));
    EXPECT_EQ(ReadLine(s), "\xE9t\xE9");   // bytes come back as characters 0..255
    EXPECT_TRUE(Eof(s));
    EXPECT_EQ(ReadLine(s), "");
    EXPECT_EQ(ReadByte(s), 0);            // past the end
    CloseStream(s);
}

TEST(files, bytes_and_strings_round_trip_through_a_file) {
    std::string p = tmpfile("bytes.bin");
    TStream* w = WriteStream(p);
    ASSERT_NE(w, nullptr);
    WriteByte(w, 200);
    WriteByte(w, 257);                    // only the low 8 bits are kept
    WriteString(w, "Name\xFF");
    EXPECT_FALSE(StreamFailed(w));
    EXPECT_TRUE(CloseStream(w));
    EXPECT_EQ(FileType(p), 1);
    TStream* r = ReadStream(p);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(StreamSize(r), 7);
    EXPECT_EQ(ReadByte(r), 200);
    EXPECT_EQ(ReadByte(r), 1);
    EXPECT_EQ(ReadString(r, 100), "Name\xFF");   // a count beyond the end reads what is there
    EXPECT_TRUE(Eof(r));
    CloseStream(r);
    std::remove(p.c_str());
}

TEST(files, missing_files_and_folders) {
    EXPECT_EQ(ReadStream(tmpfile("does-not-exist")), nullptr);
    EXPECT_EQ(ReadStream("incbin::nothing"), nullptr);
    EXPECT_EQ(WriteStream("/nonexistent-folder/x.cfg"), nullptr);
    EXPECT_EQ(FileType(std::filesystem::temp_directory_path().string()), 2);
    EXPECT_EQ(FileType(tmpfile("does-not-exist")), 0);
    EXPECT_EQ(ReadStream(std::filesystem::temp_directory_path().string()), nullptr);
}

TEST(files, a_full_disk_is_reported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TStream* w = WriteStream("/dev/full");
    ASSERT_NE(w, nullptr);
    WriteString(w, std::string(100000, 'x'));
    EXPECT_TRUE(StreamFailed(w));
    EXPECT_FALSE(CloseStream(w));
}

TEST(files, appdir_is_the_folder_of_the_executable) {
    std::string d = AppDir();
    EXPECT_EQ(FileType(d), 2);
    EXPECT_EQ(FileType(d + "/varnhold_tests"), 1);
}
