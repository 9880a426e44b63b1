// String helpers and the settings file's byte records.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/text.h"
#include "platform/testing.h"
#include "tests/framework/headless.h"

namespace {

std::string tmpfile(const char* name) { return ::testing::TempDir() + "varnhold_text_" + name; }

std::vector<int> bytesof(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<int> r;
    for (std::istreambuf_iterator<char> i(f), end; i != end; ++i) r.push_back(static_cast<unsigned char>(*i));
    return r;
}

void writefile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

// Writes with `w`, returns the file's bytes.
template <class W>
std::vector<int> written(const char* name, W w) {
    headless();
    std::string path = tmpfile(name);
    TStream* s = WriteStream(path);
    EXPECT_NE(s, nullptr);
    w(s);
    CloseStream(s);
    return bytesof(path);
}

}  // namespace

TEST(text, replace_scans_from_the_end) {
    EXPECT_EQ(replace("aaa", "aa", "b"), "ab");
    EXPECT_EQ(replace("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(replace("data\\x\\y.png", "\\", "/"), "data/x/y.png");
    EXPECT_EQ(replace("abc", "", "x"), "abc");
    EXPECT_EQ(replace("abc", "abcd", "x"), "abc");
    EXPECT_EQ(replace("xax", "x", "xx"), "xxaxx");   // replacements are not searched again
    EXPECT_EQ(replace("Place %1", "%1", "10"), "Place 10");
}

TEST(text, trims_and_single_character_helpers) {
    EXPECT_EQ(trimleft("   a b  ", ' '), "a b  ");
    EXPECT_EQ(trimright("   a b  ", ' '), "   a b");
    EXPECT_EQ(trimright("[[name]]]", ']'), "[[name");
    EXPECT_EQ(trimleft("[[[", '['), "");
    EXPECT_EQ(replacechar("a\\b\\c", '\\', '/'), "a/b/c");
    EXPECT_EQ(addchar("", '/'), "");
    EXPECT_EQ(addchar("data", '/'), "data/");
    EXPECT_EQ(addchar("data/", '/'), "data/");
}

TEST(text, stripext_cuts_only_in_the_last_path_component) {
    EXPECT_EQ(stripext("data/ambient outlined.png"), "data/ambient outlined");
    EXPECT_EQ(stripext("/opt/my.games/varnhold"), "/opt/my.games/varnhold");
    EXPECT_EQ(stripext("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(stripext("archive.tar.gz", 1), "archive");
    EXPECT_EQ(stripext("/opt/my.games/a.b.c", 1), "/opt/my.games/a");
    EXPECT_EQ(stripext("noext"), "noext");
    EXPECT_EQ(stripext("data\\my.fonts\\plain"), "data\\my.fonts\\plain");
}

TEST(text, varints_take_seven_bits_a_byte_lowest_first) {
    EXPECT_EQ(written("v1", [](TStream* s) { writevar(s, 300); }), (std::vector<int>{0xAC, 0x02}));
    EXPECT_EQ(written("v2", [](TStream* s) { writevar(s, -1); }),
              (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
    EXPECT_EQ(written("v3", [](TStream* s) {
                  writevar(s, 0);
                  writevar(s, 127);
                  writevar(s, 128);
              }),
              (std::vector<int>{0x00, 0x7F, 0x80, 0x01}));
    EXPECT_EQ(written("v4", [](TStream* s) { writestr(s, "Ann\xE9"); }),
              (std::vector<int>{4, 'A', 'n', 'n', 0xE9}));
}

TEST(text, records_read_back_what_was_written) {
    std::string path = tmpfile("round");
    written("round", [](TStream* s) {
        for (int v : {0, 1, 127, 128, 300, 16383, 16384, -1, -2, 2147483647, -2147483647 - 1})
            writevar(s, v);
        writestr(s, "");
        writestr(s, std::string(200, 'x'));
        writestr(s, "Name");
    });
    TStream* s = ReadStream(path);
    ASSERT_NE(s, nullptr);
    for (int v : {0, 1, 127, 128, 300, 16383, 16384, -1, -2, 2147483647, -2147483647 - 1})
        EXPECT_EQ(readvar(s), v);
    EXPECT_EQ(readstr(s), "");
    EXPECT_EQ(readstr(s), std::string(200, 'x'));
    EXPECT_EQ(readstr(s), "Name");
    EXPECT_TRUE(Eof(s));
    int n = 7;
    EXPECT_FALSE(readvar(s, n));
    EXPECT_EQ(n, 7);
    CloseStream(s);
}

TEST(text, a_string_running_past_the_end_reads_as_the_end_of_the_file) {
    headless();
    std::string path = tmpfile("cut");
    // A length of 2^31 - 1 followed by three bytes, then nothing.
    writefile(path, std::string("\xFF\xFF\xFF\xFF\x07" "abc", 8));
    TStream* s = ReadStream(path);
    ASSERT_NE(s, nullptr);
    std::string t = "keep";
    EXPECT_FALSE(readstr(s, t));
    EXPECT_EQ(t, "keep");
    EXPECT_TRUE(Eof(s));   // the rest is not taken for further records
    EXPECT_EQ(readstr(s), "");
    CloseStream(s);
    // A length one past the bytes left is refused as well; an exact one is read.
    writefile(path, std::string("\x04" "abc", 4));
    s = ReadStream(path);
    EXPECT_EQ(readstr(s), "");
    CloseStream(s);
    writefile(path, std::string("\x03" "abc", 4));
    s = ReadStream(path);
    EXPECT_EQ(readstr(s), "abc");
    CloseStream(s);
}

TEST(text, readline_skips_empty_and_comment_lines) {
    headless();
    std::string path = tmpfile("lines");
    writefile(path, std::string("\r\n; comment\n   ;indented comment\n\n  [English]\r\nfirst\0second\nlast", 64));
    TStream* s = ReadStream(path);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(readline(s, ';'), "  [English]");
    EXPECT_EQ(readline(s, ';'), "first");
    EXPECT_EQ(readline(s, ';'), "second");
    EXPECT_EQ(readline(s, ';'), "last");
    EXPECT_EQ(readline(s, ';'), "");
    CloseStream(s);
}
