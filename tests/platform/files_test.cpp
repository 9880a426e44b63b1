// Byte streams: files, embedded texts, line reading and failed writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/testing.h"
#include "tests/support/files.h"

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

// A save leaves the old file or the new one, never a part, and says why it failed.
TEST(files, a_save_replaces_the_file_whole_or_says_why_not) {
    namespace fs = std::filesystem;
    fs::path dir = tmpfile("saves");
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::string p = (dir / "kept.cfg").string(), tmp = p + ".tmp", bytes;
    ASSERT_EQ(SaveFile(p, "old"), "");
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write);
    struct tcase {
        const char* what;
        std::string path;
        std::function<void()> before;
        std::string reason;
    } cases[] = {
        {"full disk", p, [&] { fs::create_symlink("/dev/full", tmp); }, "No space left on device"},
        {"failed sync", p, [&] { fs::create_symlink("/dev/null", tmp); }, "Invalid argument"},
        {"no folder", (dir / "gone/kept.cfg").string(), [] {}, "No such file or directory"},
        {"a folder in the way", (dir / "sub").string(), [&] { fs::create_directories(dir / "sub/x"); }, "Is a directory"},
    };
    for (const tcase& c : cases) {
        c.before();
        EXPECT_EQ(SaveFile(c.path, "new"), c.reason) << c.what;
        EXPECT_EQ(CanSaveFile(c.path).empty(), c.reason != "No such file or directory") << c.what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(c.path + ".tmp"))) << c.what << ": temporary file left";
        ASSERT_TRUE(ReadFile(p, bytes));
        EXPECT_EQ(bytes, "old") << c.what;
    }
    // updated from what the file holds at that moment, the old file's permissions kept
    EXPECT_EQ(UpdateFile(p, [](const std::string& now) { return now + "+new"; }), "");
    ASSERT_TRUE(ReadFile(p, bytes));
    EXPECT_EQ(bytes, "old+new");
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(UpdateFile((dir / "fresh").string(), [](const std::string& now) { return "[" + now + "]"; }), "");
    ASSERT_TRUE(ReadFile((dir / "fresh").string(), bytes));
    EXPECT_EQ(bytes, "[]");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3)
        << "kept.cfg, fresh and sub: no temporary file nor probe left";
    fs::remove_all(dir);
}

TEST(files, the_users_folders_come_from_the_environment) {
    namespace fs = std::filesystem;
    testsupport::keepenv home("HOME"), config("XDG_CONFIG_HOME"), pictures("XDG_PICTURES_DIR");
    testsupport::tempdir dir;
    std::string h = dir.path.string();
    fs::create_directories(dir.path / "Bilder");
    setenv("HOME", h.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_PICTURES_DIR");
    EXPECT_EQ(ConfigDir("varnhold"), h + "/.config/varnhold/");
    EXPECT_TRUE(fs::is_directory(dir.path / ".config/varnhold"));
    // the pictures folder: named by user-dirs.dirs, by the variable, else the home folder
    for (auto [dirs, named, got] : {std::tuple{"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "", "/Bilder/"},
                                    {"XDG_PICTURES_DIR=\"relative\"\n", "", "/"},
                                    {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/Fotos", "/"},
                                    {"", "/Bilder", "/Bilder/"}}) {
        testsupport::writetext(dir / ".config/user-dirs.dirs", std::string("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n") + dirs);
        setenv("XDG_PICTURES_DIR", (*named ? h + named : std::string()).c_str(), 1);
        EXPECT_EQ(PicturesDir(), h + got) << dirs << named;
    }
    setenv("XDG_CONFIG_HOME", (h + "/conf").c_str(), 1);
    EXPECT_EQ(ConfigDir("varnhold"), h + "/conf/varnhold/");
}
