// The window placement rules, the menu's tick and enable states with their record, and the
// volume radio group.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/text.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/testing.h"
#include "tests/framework/headless.h"

namespace {

struct window : ::testing::Test {
    int saved[4];
    tfeed feed;
    void SetUp() override {
        headless();
        std::copy(world->workarea, world->workarea + 4, saved);
        // A desktop of 1920 x 1040 with a 40-pixel panel on top.
        world->workarea[0] = 0;
        world->workarea[1] = 40;
        world->workarea[2] = 1920;
        world->workarea[3] = 1080;
    }
    void TearDown() override { std::copy(saved, saved + 4, world->workarea); }

    static TGadget* mainwindow() {
        return CreateWindow("test", 0, 0, 300, 200, nullptr, WINDOW_TITLEBAR | WINDOW_MENU | WINDOW_HIDDEN);
    }
    static std::string path(const char* name) { return ::testing::TempDir() + "varnhold_win_" + name; }
    static std::vector<int> bytesof(const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        std::vector<int> r;
        for (std::istreambuf_iterator<char> i(f), end; i != end; ++i) r.push_back(static_cast<unsigned char>(*i));
        return r;
    }
    static void writefile(const std::string& p, const std::vector<int>& bytes) {
        std::ofstream f(p, std::ios::binary);
        for (int b : bytes) f.put(static_cast<char>(b));
    }
};

}  // namespace

TEST_F(window, outside_keeps_only_a_grip_of_the_window_on_the_desktop) {
    twin w;
    w.w = 800;
    w.h = 500;
    w.x = -900;
    w.y = 1200;
    w.outside();
    EXPECT_EQ(w.x, 16 - 800);   // 16 pixels still reachable on the left
    EXPECT_EQ(w.y, 1060);       // bottom - 20
    w.x = 1950;
    w.y = 0;
    w.outside();
    EXPECT_EQ(w.x, 1904);
    EXPECT_EQ(w.y, 30);         // top - 10
    w.x = 100;
    w.y = 100;
    w.outside();                // already reachable: unchanged
    EXPECT_EQ(w.x, 100);
    EXPECT_EQ(w.y, 100);
}

TEST_F(window, inside_moves_the_window_fully_onto_the_desktop) {
    twin w;
    w.w = 800;
    w.h = 500;
    w.x = -900;
    w.y = 1200;
    w.inside();
    EXPECT_EQ(w.x, 0);
    EXPECT_EQ(w.y, 580);
    w.x = 1500;
    w.y = 10;
    w.inside();
    EXPECT_EQ(w.x, 1120);
    EXPECT_EQ(w.y, 40);
    // Larger than the desktop: the right and bottom edges win.
    w.w = 2000;
    w.h = 1100;
    w.x = 0;
    w.y = 40;
    w.inside();
    EXPECT_EQ(w.x, -80);
    EXPECT_EQ(w.y, -20);
}

TEST_F(window, center_and_maxsize_use_the_work_area) {
    twin w;
    w.w = 801;
    w.h = 451;
    w.center();
    EXPECT_EQ(w.x, 559);        // (1920 - 801) / 2
    EXPECT_EQ(w.y, 40 + 294);   // 40 + (1040 - 451) / 2
    w.w = 3000;
    w.h = 900;
    w.maxsize();
    EXPECT_EQ(w.w, 1920);
    EXPECT_EQ(w.h, 900);
    w.h = 2000;
    w.maxsize();
    EXPECT_EQ(w.h, 1040);
}

TEST_F(window, record_holds_position_and_size_as_varints) {
    twin w;
    w.x = -20;
    w.y = 300;
    w.w = 816;
    w.h = 439;
    w.name = "Varnhold";
    std::string p = path("rec");
    TStream* s = WriteStream(p);
    w.save(s, 0);
    w.save(s, 1);
    CloseStream(s);
    std::vector<int> b = bytesof(p);
    std::vector<int> want = {0xEC, 0xFF, 0xFF, 0xFF, 0x0F, 0xAC, 0x02, 0xB0, 0x06, 0xB7, 0x03};
    ASSERT_GE(b.size(), want.size());
    EXPECT_EQ(std::vector<int>(b.begin(), b.begin() + 11), want);
    twin r;
    r.g = mainwindow();
    s = ReadStream(p);
    r.load(s, 0);
    EXPECT_EQ(r.x, -20);
    EXPECT_EQ(r.y, 300);
    EXPECT_EQ(r.w, 816);
    EXPECT_EQ(r.h, 439);
    r.load(s, 1);
    EXPECT_EQ(r.name, "Varnhold");
    EXPECT_EQ(GadgetText(r.g), "Varnhold");
    CloseStream(s);
}

TEST_F(window, loading_corrects_the_stored_place_and_keeps_it_when_the_file_is_cut) {
    std::string p = path("far");
    TStream* s = WriteStream(p);
    writevar(s, 5000);
    writevar(s, -400);
    writevar(s, 4000);
    writevar(s, 300);
    CloseStream(s);
    twin w;
    s = ReadStream(p);
    w.load(s, 0);
    CloseStream(s);
    EXPECT_EQ(w.w, 1920);   // maxsize
    EXPECT_EQ(w.x, 1904);   // outside
    EXPECT_EQ(w.y, 30);
    // A record cut in the middle leaves the window where it was.
    writefile(p, {0x10, 0x20});
    twin c;
    c.x = 50;
    c.y = 60;
    c.w = 700;
    c.h = 400;
    s = ReadStream(p);
    c.load(s, 0);
    CloseStream(s);
    EXPECT_EQ(c.x, 50);
    EXPECT_EQ(c.y, 60);
    EXPECT_EQ(c.w, 700);
    EXPECT_EQ(c.h, 400);
}

// Records from a damaged file: positions at the ends of the int range stay within reach
// (without overflowing on the way), and a size of no pixels leaves the stored place unread.
TEST_F(window, extreme_or_empty_stored_places_stay_within_reach) {
    struct tcase {
        int x, y, w, h;               // as stored
        int wantx, wanty, wantw, wanth;
    } cases[] = {
        {INT32_MAX, INT32_MAX, 500, 300, 1904, 1060, 500, 300},
        {INT32_MIN, INT32_MIN, 500, 300, -484, 30, 500, 300},
        {INT32_MIN, 100, INT32_MAX, 300, 16 - 1920, 100, 1920, 300},
        {100, 100, 0, 300, 50, 60, 700, 400},             // no width: left as it was
        {100, 100, 500, -1, 50, 60, 700, 400},            // no height
        {100, 100, INT32_MIN, 300, 50, 60, 700, 400},
    };
    std::string p = path("extreme");
    for (const tcase& c : cases) {
        TStream* s = WriteStream(p);
        for (int v : {c.x, c.y, c.w, c.h}) writevar(s, v);
        CloseStream(s);
        twin w;
        w.x = 50, w.y = 60, w.w = 700, w.h = 400;
        s = ReadStream(p);
        w.load(s, 0);
        CloseStream(s);
        EXPECT_EQ(w.x, c.wantx) << c.x << ", " << c.y << ", " << c.w << " x " << c.h;
        EXPECT_EQ(w.y, c.wanty) << c.x << ", " << c.y << ", " << c.w << " x " << c.h;
        EXPECT_EQ(w.w, c.wantw) << c.x << ", " << c.y << ", " << c.w << " x " << c.h;
        EXPECT_EQ(w.h, c.wanth) << c.x << ", " << c.y << ", " << c.w << " x " << c.h;
    }
}

TEST_F(window, window_takes_its_own_moves_and_sizes) {
    twin w = createwin("title", 20, 20, 700, 400, WINDOW_TITLEBAR | WINDOW_HIDDEN, nullptr);
    EXPECT_EQ(w.hidden, 1);
    EXPECT_EQ(w.name, "title");
    EXPECT_EQ(w.y, 30);   // kept reachable below the panel
    feed(EVENT_WINDOWMOVE, 0, 35, 50, 0, w.g);
    EXPECT_EQ(w.upd(), EVENT_WINDOWMOVE);
    EXPECT_EQ(w.dx, 15);
    EXPECT_EQ(w.dy, 20);
    EXPECT_EQ(w.x, 35);
    feed(EVENT_WINDOWSIZE, 0, 640, 480, 0, w.g);
    EXPECT_EQ(w.upd(), EVENT_WINDOWSIZE);
    EXPECT_EQ(w.w, 640);
    EXPECT_EQ(w.h, 480);
    feed(EVENT_WINDOWCLOSE, 0, 0, 0, 0, w.g);
    EXPECT_EQ(w.upd(), EVENT_WINDOWCLOSE);
    feed(EVENT_WINDOWMOVE, 0, 999, 999, 0, nullptr);   // another window's
    EXPECT_EQ(w.upd(), 0);
    EXPECT_EQ(w.x, 35);
}

TEST_F(window, menu_get_set_and_find_address_entries_by_tag) {
    TGadget* wg = mainwindow();
    tmenu m = newmenu("&Game", WindowMenu(wg), 13, 0);
    m.grp = wg;
    m.add("&Start", 1, 0);
    m.add("Option", 4, 1);
    m.add("Twice", 7, 1);
    m.create("&Options", wg, 14, 0);
    m.add("Twice again", 7, 3);   // tickable and ticked
    m.add("Off", 9, 5);          // tickable and disabled
    m.endadd();
    EXPECT_EQ(m.find(13), 0);
    EXPECT_EQ(m.find(7), 3);
    EXPECT_EQ(m.find(99), -1);
    EXPECT_EQ(m.sub, 4);
    EXPECT_EQ(m.flag, (std::vector<int>{26, 2, 9, 15, 28, 15, 19}));
    EXPECT_EQ(m.get(4), 0);
    EXPECT_EQ(m.get(7), 0);   // the first of the two
    EXPECT_EQ(m.get(9), 2);
    EXPECT_EQ(m.get(99), 0);
    m.set(7, 1);              // all of them
    EXPECT_EQ(m.get(7), 1);
    EXPECT_TRUE(MenuChecked(m.g[5]));
    m.set(7, 2);
    EXPECT_EQ(m.get(7), 2);
    EXPECT_FALSE(MenuEnabled(m.g[5]));
    m.set(9, 1);
    EXPECT_EQ(m.get(9), 1);
}

TEST_F(window, choosing_an_entry_toggles_only_tickable_ones_and_reports_its_tag) {
    TGadget* wg = mainwindow();
    tmenu m = newmenu("&Game", WindowMenu(wg), 13, 0);
    m.grp = wg;
    m.add("&Start", 1, 0);
    m.add("Option", 4, 1);
    feed(EVENT_MENUACTION, 4);
    EXPECT_EQ(m.upd(), 4);
    EXPECT_EQ(m.get(4), 1);
    EXPECT_EQ(m.upd(), 4);
    EXPECT_EQ(m.get(4), 0);
    feed(EVENT_MENUACTION, 1);
    EXPECT_EQ(m.upd(), 1);
    EXPECT_EQ(m.get(1), 0);
    feed(EVENT_MENUACTION, 55);
    EXPECT_EQ(m.upd(), 0);
    feed(EVENT_KEYDOWN, 4);
    EXPECT_EQ(m.upd(), 0);
}

TEST_F(window, menu_record_restores_ticks_and_skips_entries_it_no_longer_has) {
    TGadget* wg = mainwindow();
    tmenu m = newmenu("&Options", WindowMenu(wg), 14, 0);
    m.grp = wg;
    m.add("a", 4, 1);
    m.add("b", 8, 3);
    m.add("c", 2, 0);
    m.set(4, 3);   // ticked and disabled
    std::string p = path("menu");
    TStream* s = WriteStream(p);
    m.save(s);
    CloseStream(s);
    // a: 9, ticked + disabled = 1; b: 17, ticked + enabled = 3; then -1
    EXPECT_EQ(bytesof(p), (std::vector<int>{9, 1, 17, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));

    tmenu n = newmenu("&Options", WindowMenu(wg), 14, 0);
    n.grp = wg;
    n.add("a", 4, 1);
    n.add("b", 8, 1);
    n.add("c", 2, 0);
    // An old record: tag 30 no longer exists, tag 2 is no longer tickable; one byte each.
    writefile(p, {61, 1, 5, 3, 9, 1, 17, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 9, 0});
    s = ReadStream(p);
    n.load(s);
    EXPECT_EQ(n.get(4), 3);
    EXPECT_EQ(n.get(8), 1);
    EXPECT_EQ(n.get(2), 0);
    EXPECT_EQ(ReadByte(s), 9);   // stops right after the -1
    CloseStream(s);
    // A record cut short ends at the end of the file.
    writefile(p, {17, 2, 9});
    s = ReadStream(p);
    n.load(s);
    CloseStream(s);
    EXPECT_EQ(n.get(8), 0);
    EXPECT_TRUE(MenuEnabled(n.g[2]));
}

TEST_F(window, volume_is_a_radio_group_of_eleven_entries) {
    TGadget* wg = mainwindow();
    tmenu m = newmenu("&Game", WindowMenu(wg), 13, 0);
    m.grp = wg;
    tvolume v;
    v.init(m, "&Volume", 50, 10);
    EXPECT_EQ(v.on, 5);
    EXPECT_FLOAT_EQ(v.vol, 0.5f);
    EXPECT_EQ(m.find(49), 1);
    EXPECT_EQ(GadgetText(m.g[1]), "&Volume");
    EXPECT_EQ(GadgetText(m.g[12]), "&10");
    auto ticked = [&] {
        std::vector<int> r;
        for (int t = 50; t <= 60; t++)
            if (m.get(t) & 1) r.push_back(t);
        return r;
    };
    EXPECT_EQ(ticked(), std::vector<int>{55});
    v.set(3);
    EXPECT_EQ(v.on, 8);
    EXPECT_FLOAT_EQ(v.vol, 0.8f);
    EXPECT_EQ(ticked(), std::vector<int>{58});
    v.set(3);   // would leave the range: refused whole
    EXPECT_EQ(v.on, 8);
    v.set(2);
    v.set(1);   // at the top
    EXPECT_EQ(v.on, 10);
    EXPECT_FLOAT_EQ(v.vol, 1.0f);
    v.set(-10);
    v.set(-1);  // at the bottom
    EXPECT_EQ(v.on, 0);
    EXPECT_EQ(ticked(), std::vector<int>{50});
    // Choosing an entry: the menu toggles it first, upd restores exactly one tick.
    feed(EVENT_MENUACTION, 53);
    EXPECT_EQ(v.upd(m.upd()), 1);
    EXPECT_EQ(v.on, 3);
    EXPECT_EQ(ticked(), std::vector<int>{53});
    // Clicking the ticked entry keeps it ticked.
    EXPECT_EQ(v.upd(m.upd()), 1);
    EXPECT_EQ(v.on, 3);
    EXPECT_EQ(ticked(), std::vector<int>{53});
    EXPECT_EQ(v.upd(49), 0);
    EXPECT_EQ(v.upd(61), 0);
}

TEST_F(window, volume_record_is_one_byte_clamped_when_read) {
    TGadget* wg = mainwindow();
    tmenu m = newmenu("&Game", WindowMenu(wg), 13, 0);
    m.grp = wg;
    tvolume v;
    v.init(m, "&Volume", 50, 10);
    v.set(2);
    std::string p = path("vol");
    TStream* s = WriteStream(p);
    v.save(s);
    CloseStream(s);
    EXPECT_EQ(bytesof(p), std::vector<int>{7});
    v.set(-7);
    s = ReadStream(p);
    v.load(s);
    CloseStream(s);
    EXPECT_EQ(v.on, 7);
    EXPECT_EQ(m.get(57), 1);
    EXPECT_EQ(m.get(50), 0);
    writefile(p, {200});
    s = ReadStream(p);
    v.load(s);
    CloseStream(s);
    EXPECT_EQ(v.on, 10);
    EXPECT_FLOAT_EQ(v.vol, 1.0f);
    EXPECT_EQ(m.get(60), 1);
    EXPECT_EQ(m.get(57), 0);
}
