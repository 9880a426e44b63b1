// The settings file: its bytes, its record order, and what a damaged file leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/settings.h"
#include "app/smooth.h"
#include "app/world.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "sky/rain.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

using testsupport::readbytes;
using testsupport::writebytes;
using bytes = std::vector<unsigned char>;

namespace {

// Where each of the 46 records of a settings file starts and ends (offsets into `b`); a file
// that ends inside a record gives fewer.
std::vector<std::pair<size_t, size_t>> records(const bytes& b) {
    std::vector<std::pair<size_t, size_t>> r;
    size_t p = 0;
    auto varint = [&](uint32_t& v) {
        v = 0;
        for (int shift = 0; p < b.size(); shift += 7) {
            unsigned char c = b[p++];
            if (shift < 32) v |= uint32_t(c & 127) << shift;
            if (!(c & 128)) return true;
        }
        return false;
    };
    auto take = [&](char kind) {
        size_t start = p;
        uint32_t v;
        if (kind == 'b') {
            if (p >= b.size()) return false;
            p++;
        } else if (!varint(v)) {
            return false;
        } else if (kind == 's') {
            if (v > b.size() - p) return false;
            p += v;
        }
        r.push_back({start, p});
        return true;
    };
    std::string layout = "vvvvbbbbbbsvvv";
    for (int i = 0; i < 10; i++) layout += "svv";
    layout += "bb";   // "Reduce flashing" and the choice of "Smooth motion", newer than the rest
    for (char k : layout)
        if (!take(k)) break;
    return r;
}

bytes slice(const bytes& b, std::pair<size_t, size_t> at) {
    return bytes(b.begin() + long(at.first), b.begin() + long(at.second));
}

struct settingsfile : worldtest {
    testsupport::tempdir dir;
    std::string saved;

    void SetUp() override {
        worldtest::SetUp();
        saved = cfgpath;
        cfgpath = dir / "varnhold.cfg";
    }
    void TearDown() override {
        worldtest::TearDown();
        cfgpath = saved;
    }

    bytes save() {
        EXPECT_EQ(savesettings(), "");
        return readbytes(cfgpath);
    }
    // The same file read into a fresh world.
    void reload() {
        std::string keep = cfgpath;
        ASSERT_EQ(newworld(seed()), "");
        cfgpath = keep;
        loadsettings();
    }
};

}  // namespace

TEST_F(settingsfile, a_score_of_300_is_stored_as_ac_02) {
    world->level.score = 300;
    bytes b = save();
    auto r = records(b);
    ASSERT_EQ(r.size(), 46u);
    EXPECT_EQ(slice(b, r[12]), (bytes{0xac, 0x02}));
}

TEST_F(settingsfile, no_highlighted_row_is_stored_as_five_bytes_and_reads_back_as_minus_one) {
    world->level.highlighthiscore = -1;
    bytes b = save();
    auto r = records(b);
    ASSERT_EQ(r.size(), 46u);
    EXPECT_EQ(slice(b, r[13]), (bytes{0xff, 0xff, 0xff, 0xff, 0x0f}));
    world->level.highlighthiscore = 4;
    reload();
    EXPECT_EQ(world->level.highlighthiscore, -1);
}

TEST_F(settingsfile, defaults_make_a_file_of_exactly_the_46_records) {
    bytes b = save();
    auto r = records(b);
    ASSERT_EQ(r.size(), 46u);
    EXPECT_EQ(r.back().second, b.size());
    // options unticked, language 101 (the first), volume 5
    for (int i = 4; i < 8; i++) EXPECT_EQ(b[r[i].first], 0) << "option byte " << i;
    EXPECT_EQ(b[r[8].first], world->langcount > 0 ? 101 : 0);
    EXPECT_EQ(b[r[9].first], 5);
    // the window was sized for a canvas of 800 x 400
    EXPECT_EQ(world->can.w, 800);
    EXPECT_EQ(world->can.h, 400);
}

TEST_F(settingsfile, every_record_comes_back_after_a_save) {
    world->win.x = 33, world->win.y = 44, world->win.w = 640, world->win.h = 380;
    world->menu.set(menu_autobutton, 1);
    world->menu.set(menu_onebutton, 0);
    world->menu.set(menu_twobuttons, 1);
    world->menu.set(menu_pausebetween, 1);
    world->volume.upd(57);
    world->level.name = "Zo\xe9";   // Latin-1 survives byte for byte
    world->level.level = 12;
    world->level.score = -25;
    world->level.highlighthiscore = 3;
    for (int i = 0; i < 10; i++) {
        world->level.hiscore[i].name = "row" + std::to_string(i);
        world->level.hiscore[i].level = i + 1;
        world->level.hiscore[i].score = 1000 * (10 - i) + 7;
    }
    bytes first = save();
    reload();
    EXPECT_EQ(world->win.x, 33);
    EXPECT_EQ(world->win.y, 44);
    EXPECT_EQ(world->win.w, 640);
    EXPECT_EQ(world->win.h, 380);
    EXPECT_EQ(world->menu.get(menu_autobutton), 1);
    EXPECT_EQ(world->menu.get(menu_onebutton), 0);
    EXPECT_EQ(world->menu.get(menu_twobuttons), 1);
    EXPECT_EQ(world->menu.get(menu_pausebetween), 1);
    EXPECT_EQ(world->volume.on, 7);
    EXPECT_FLOAT_EQ(world->volume.vol, 0.7f);
    EXPECT_EQ(world->level.name, "Zo\xe9");
    EXPECT_EQ(world->level.level, 12);
    EXPECT_EQ(world->level.score, -25);
    EXPECT_EQ(world->level.highlighthiscore, 3);
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(world->level.hiscore[i].name, "row" + std::to_string(i));
        EXPECT_EQ(world->level.hiscore[i].level, i + 1);
        EXPECT_EQ(world->level.hiscore[i].score, 1000 * (10 - i) + 7);
    }
    // and saving again gives the same bytes
    EXPECT_EQ(save(), first);
}

TEST_F(settingsfile, hide_text_is_not_kept_but_pause_between_levels_is) {
    world->menu.set(menu_hidetext, 1);
    world->menu.set(menu_pausebetween, 1);
    save();
    reload();
    EXPECT_EQ(world->menu.get(menu_hidetext), 0);
    EXPECT_EQ(world->menu.get(menu_pausebetween), 1);
}

// "Reduce flashing", then the choice of "Smooth motion", are a byte each after everything a
// file of the version before them holds: such a file loads with the option as it was (off; the
// display's choice), and that version, which stops reading before the byte, finds exactly the
// records it wrote itself.
TEST_F(settingsfile, the_later_options_are_kept_in_last_bytes_that_older_versions_can_do_without) {
    world->volume.upd(53);
    bytes off = save();
    EXPECT_EQ(off.back(), 0);   // not chosen: the display decides
    world->menu.set(menu_reduceflashing, 1);
    choose(menu_smoothmotion);   // on, chosen, where a 60 Hz display leaves it off
    bytes on = save();
    ASSERT_EQ(on.size(), off.size());
    EXPECT_EQ(on[on.size() - 2], 1);
    EXPECT_EQ(on.back(), smoothchosen | 1);
    EXPECT_EQ(bytes(on.begin(), on.end() - 2), bytes(off.begin(), off.end() - 2));
    reload();
    followsmooth();
    EXPECT_EQ(world->menu.get(menu_reduceflashing), 1);
    EXPECT_EQ(world->menu.get(menu_smoothmotion), 1);
    writebytes(cfgpath, bytes(on.begin(), on.end() - 1));
    reload();
    followsmooth();
    EXPECT_EQ(world->menu.get(menu_reduceflashing), 1);
    EXPECT_EQ(world->menu.get(menu_smoothmotion), 0);
    EXPECT_EQ(smoothchoice, 0);
    writebytes(cfgpath, bytes(on.begin(), on.end() - 2));
    reload();
    EXPECT_EQ(world->menu.get(menu_reduceflashing), 0);
    EXPECT_EQ(world->volume.on, 3);
}

TEST_F(settingsfile, a_file_cut_short_keeps_the_records_before_the_cut_and_defaults_after) {
    world->level.score = 4242;
    world->level.hiscore[0].name = "Ann";
    world->volume.upd(58);
    bytes b = save();
    auto r = records(b);
    ASSERT_EQ(r.size(), 46u);
    // cut in the middle of the first high-score row's name
    bytes cut(b.begin(), b.begin() + long(r[14].first + 2));
    writebytes(cfgpath, cut);
    reload();
    EXPECT_EQ(world->volume.on, 8);
    EXPECT_EQ(world->level.score, 4242);
    EXPECT_EQ(world->level.hiscore[0].name, tlevel().hiscore[0].name);
    // and cut inside the window record: nothing after it is taken
    writebytes(cfgpath, bytes(b.begin(), b.begin() + 3));
    reload();
    EXPECT_EQ(world->volume.on, 5);
    EXPECT_EQ(world->level.score, tlevel().score);
}

TEST_F(settingsfile, an_absurd_name_length_is_the_end_of_the_file) {
    bytes b = save();
    auto r = records(b);
    // the name's length says 2^31 - 1 bytes follow
    bytes bad(b.begin(), b.begin() + long(r[10].first));
    for (unsigned char c : {0xff, 0xff, 0xff, 0xff, 0x07}) bad.push_back(c);
    bad.push_back('x');
    writebytes(cfgpath, bad);
    world->level.name = "before";
    reload();
    EXPECT_EQ(world->level.name, tlevel().name);
    EXPECT_EQ(world->level.level, tlevel().level);
}

TEST_F(settingsfile, a_volume_byte_above_ten_is_taken_as_ten) {
    bytes b = save();
    auto r = records(b);
    b[r[9].first] = 200;
    writebytes(cfgpath, b);
    reload();
    EXPECT_EQ(world->volume.on, 10);
    EXPECT_FLOAT_EQ(world->volume.vol, 1.0f);
    EXPECT_EQ(world->menu.get(menu_volume + 10), 1);
}

TEST_F(settingsfile, a_language_tag_beyond_the_languages_falls_back_to_the_first) {
    bytes b = save();
    auto r = records(b);
    for (int stored : {100 + world->langcount + 1, 4, 255}) {
        b[r[8].first] = (unsigned char)stored;
        writebytes(cfgpath, b);
        reload();
        EXPECT_EQ(world->menu.get(menu_twobuttons), 0) << "a damaged tag must not tick another entry";
        EXPECT_EQ(world->langtag, 0) << stored << ": none chosen, so the first language is applied";
    }
}

TEST_F(settingsfile, an_option_byte_never_disables_its_entry) {
    bytes b = save();
    auto r = records(b);
    b[r[4].first] = 3;   // ticked + disabled
    writebytes(cfgpath, b);
    reload();
    EXPECT_EQ(world->menu.get(menu_autobutton), 1);
}

TEST_F(settingsfile, a_failed_write_leaves_the_old_file_whole) {
    world->level.score = 77;
    bytes before = save();
    std::filesystem::create_directory(cfgpath + ".tmp");   // the temporary file cannot be made
    world->level.score = 88;
    EXPECT_EQ(savesettings(), "Can't save " + cfgpath + ": Is a directory");
    EXPECT_EQ(readbytes(cfgpath), before);
    std::filesystem::remove(cfgpath + ".tmp");
    EXPECT_EQ(savesettings(), "");
    EXPECT_FALSE(std::filesystem::exists(cfgpath + ".tmp"));
    EXPECT_NE(readbytes(cfgpath), before);
}

// The temporary file leads to a device: the disk is full when the bytes are written, or the
// file cannot be synced when it is closed. Either way the old file stays as it was.
TEST_F(settingsfile, a_full_disk_or_a_failed_sync_keeps_the_old_file) {
    world->level.score = 77;
    bytes before = save();
    for (auto [device, reason] : {std::pair{"/dev/full", "No space left on device"}, {"/dev/null", "Invalid argument"}}) {
        std::filesystem::create_symlink(device, cfgpath + ".tmp");
        world->level.score = 88;
        EXPECT_EQ(savesettings(), "Can't save " + cfgpath + ": " + reason) << device;
        EXPECT_EQ(readbytes(cfgpath), before) << device;
        EXPECT_FALSE(std::filesystem::is_symlink(cfgpath + ".tmp")) << device << ": left behind";
    }
}

TEST_F(settingsfile, a_missing_file_leaves_every_default) {
    std::filesystem::remove(cfgpath);
    world->win.x = 5;
    loadsettings();
    EXPECT_EQ(world->win.x, 5);
    EXPECT_EQ(world->volume.on, 5);
    EXPECT_EQ(world->menu.get(menu_autobutton) | world->menu.get(menu_onebutton) | world->menu.get(menu_twobuttons) |
                  world->menu.get(menu_pausebetween),
              0);
}

namespace {
using testsupport::keepenv;
// The settings paths as they were before the test, again when it ends.
struct keeppaths {
    std::string cfg = cfgpath, lng = lngpath, shot = shotdir;
    ~keeppaths() { cfgpath = cfg, lngpath = lng, shotdir = shot; }
};
}  // namespace

TEST(settingspaths, a_read_only_program_folder_keeps_the_settings_in_the_config_folder) {
    testsupport::startplatform();
    testsupport::tempdir home;
    keeppaths paths;
    keepenv config("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    initpaths("/nonexistent-varnhold/");   // cannot be written
    EXPECT_EQ(cfgpath, home / "conf/varnhold/varnhold.cfg");
    EXPECT_TRUE(std::filesystem::is_directory(home / "conf/varnhold"));
    EXPECT_EQ(lngpath, "/nonexistent-varnhold/varnhold.lng");
    EXPECT_NE(shotdir, "/nonexistent-varnhold/");
    initpaths(home / "");
    EXPECT_EQ(cfgpath, home / "varnhold.cfg");
}

TEST(settingspaths, an_installed_game_keeps_its_settings_out_of_its_writable_data_folder) {
    // root can write /usr/share/games/varnhold, but the folder belongs to the package
    testsupport::startplatform();
    testsupport::tempdir home;
    keeppaths paths;
    keepenv config("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    initpaths(home / "", true);
    EXPECT_EQ(cfgpath, home / "conf/varnhold/varnhold.cfg");
    EXPECT_EQ(lngpath, home / "varnhold.lng");
    EXPECT_NE(shotdir, home / "");
}

namespace {
// A table from "name:score" words, best first; the rows not named are "-" with scores below
// every named one. Level 1 throughout.
std::vector<thiscore> rows(const std::string& words) {
    std::vector<thiscore> t;
    std::istringstream in(words);
    for (std::string w; in >> w;) t.push_back({w.substr(0, w.find(':')), 1, std::stoi(w.substr(w.find(':') + 1))});
    return t;
}
std::string names(const thiscore (&t)[10]) {
    std::string s;
    for (const thiscore& r : t) s += (s.empty() ? "" : " ") + r.name + ":" + std::to_string(r.score);
    return s;
}
}  // namespace

TEST(hiscoremerge, rows_only_the_file_holds_join_the_table_in_its_order) {
    const std::string rest = " -:-1 -:-2 -:-3 -:-4 -:-5 -:-6 -:-7";
    struct tcase {
        const char* what;
        std::string mine;
        int highlight;
        std::string file;
        std::string merged;
        int after;
    } cases[] = {
        {"the same table", "a:30 b:20 c:10" + rest, 1, "a:30 b:20 c:10" + rest, "a:30 b:20 c:10" + rest, 1},
        {"another copy's row above the highlighted one", "a:30 b:20 c:10" + rest, 1, "a:30 x:25 c:10" + rest,
         "a:30 x:25 b:20 c:10 -:-1 -:-2 -:-3 -:-4 -:-5 -:-6", 2},
        {"a tie goes below this copy's row", "a:30 b:20 c:10" + rest, 2, "a:30 x:20 c:10" + rest,
         "a:30 b:20 x:20 c:10 -:-1 -:-2 -:-3 -:-4 -:-5 -:-6", 3},
        {"equal rows count: two in the file, one here", "a:30 b:20 c:10" + rest, -1, "a:30 a:30 b:20 c:10 -:-1",
         "a:30 a:30 b:20 c:10 -:-1 -:-2 -:-3 -:-4 -:-5 -:-6", -1},
        {"the highlighted row drops out", "a:30 b:20 c:10" + rest, 9, "x:90 y:80 z:70", "x:90 y:80 z:70 a:30 b:20 c:10 -:-1 -:-2 -:-3 -:-4", -1},
    };
    for (const tcase& c : cases) {
        thiscore t[10];
        std::vector<thiscore> mine = rows(c.mine), kept = rows(c.file);
        std::copy(mine.begin(), mine.end(), t);
        int highlight = c.highlight;
        mergehiscores(t, highlight, kept.data(), int(kept.size()));
        EXPECT_EQ(names(t), c.merged) << c.what;
        EXPECT_EQ(highlight, c.after) << c.what;
    }
}

// Two copies of the game in one folder, each making five high-score rows and saving after each
// at the same time as the other: the file ends with all ten, although neither copy's own
// table ever holds the other's rows.
TEST_F(settingsfile, two_copies_saving_at_once_keep_each_others_rows) {
    for (auto& r : world->level.hiscore) r = {"old", 1, -1000};
    ASSERT_EQ(savesettings(), "");
    pid_t copies[2];
    for (int c = 0; c < 2; c++) {
        copies[c] = fork();
        ASSERT_GE(copies[c], 0);
        if (copies[c] > 0) continue;
        for (int i = 0; i < 5; i++) {
            world->level.prg = level_gameover;   // the game is lost: the countdown runs out
            world->level.wait = 0;
            world->level.score = 1000 + 10 * i + c;
            stepframes(1);
            world->level.name = std::string(1, char('A' + c)) + std::to_string(i);
            key(key_enter);         // the row is made and saved at once
        }
        std::_Exit(world->level.hiscore[4].score == 1000 + c ? 0 : 3);
    }
    for (pid_t p : copies) {
        int status = 0;
        waitpid(p, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    reload();
    std::set<std::string> got;
    for (auto& r : world->level.hiscore) got.insert(r.name);
    EXPECT_EQ(got, (std::set<std::string>{"A0", "A1", "A2", "A3", "A4", "B0", "B1", "B2", "B3", "B4"}));
    EXPECT_EQ(world->level.hiscore[0].score, 1041);
}

// A save that fails right after a new row says so and is tried again until the row is kept.
TEST_F(settingsfile, a_row_that_cannot_be_saved_is_said_and_kept_once_space_returns) {
    std::string folder = dir / "gone";
    cfgpath = folder + "/varnhold.cfg";
    world->level.prg = level_gameover;
    world->level.wait = 0;
    world->level.score = 500;
    stepframes(1);
    testing::internal::CaptureStderr();
    key(key_enter);
    stepframes(60);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't save " + cfgpath + ": No such file or directory\n");
    std::filesystem::create_directory(folder);
    testing::internal::CaptureStderr();
    stepframes(600);   // ten seconds
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Saved " + cfgpath + " now\n");
    world->level.hiscore[0] = {};
    reload();
    EXPECT_EQ(world->level.hiscore[0].score, 500);
}
