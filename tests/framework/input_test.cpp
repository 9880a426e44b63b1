// The input state and the name entry, fed event by event.
#include <gtest/gtest.h>

#include <vector>

#include "framework/input.h"
#include "framework/keys.h"
#include "game/world.h"
#include "tests/framework/headless.h"

namespace {

struct input : ::testing::Test {
    tevs e;
    tfeed feed;
    void SetUp() override {
        headless();
        world->ms = 1000;
    }
    // One event through the game's update, at the game's scale of 1 pixel per unit.
    void send(int id, int data = 0, int x = 0, int y = 0, int mods = 0, float s = 1) {
        feed(id, data, x, y, mods);
        e.upds(s, s);
    }
};

}  // namespace

TEST_F(input, buttons_report_first_and_last_only_for_the_outer_press_and_release) {
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.first, 1);
    EXPECT_EQ(e.down, 1);
    send(EVENT_MOUSEDOWN, 2);
    EXPECT_EQ(e.first, 0);
    EXPECT_EQ(e.down, 3);
    send(EVENT_MOUSEUP, 1);
    EXPECT_EQ(e.up, 1);
    EXPECT_EQ(e.last, 0);
    EXPECT_EQ(e.down, 2);
    send(EVENT_MOUSEUP, 2);
    EXPECT_EQ(e.up, 2);
    EXPECT_EQ(e.last, 2);
    EXPECT_EQ(e.down, 0);
    send(EVENT_MOUSEMOVE, 0, 5, 5);
    EXPECT_EQ(e.up, 0);   // per-event fields last one event
    EXPECT_EQ(e.last, 0);
    send(EVENT_MOUSEDOWN, 3);
    EXPECT_EQ(e.first, 4);   // the middle button
}

TEST_F(input, double_click_needs_the_same_mask_within_the_time_by_the_frame_clock) {
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 0);
    send(EVENT_MOUSEUP, 1);
    world->ms += 180;   // still inside: the limit is inclusive
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 1);
    send(EVENT_MOUSEUP, 1);
    world->ms += 100;   // a third quick press pairs with the second
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 1);
    send(EVENT_MOUSEUP, 1);
    world->ms += 181;
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 0);
    send(EVENT_MOUSEUP, 1);
    // Another button in between breaks the pair.
    world->ms += 400;
    send(EVENT_MOUSEDOWN, 1);
    send(EVENT_MOUSEUP, 1);
    send(EVENT_MOUSEDOWN, 2);
    EXPECT_EQ(e.dbl, 0);
    send(EVENT_MOUSEUP, 2);
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 0);
    // Two presses of the same frame count as well: the clock is the frame's, not the event's.
    send(EVENT_MOUSEUP, 1);
    send(EVENT_MOUSEDOWN, 1);
    EXPECT_EQ(e.dbl, 1);
}

TEST_F(input, cursor_is_truncated_to_playfield_units_and_moves_in_canvas_pixels) {
    send(EVENT_MOUSEMOVE, 0, 799, 399, 0, 2.5f);
    EXPECT_EQ(e.x, 319);   // 319.6
    EXPECT_EQ(e.y, 159);   // 159.6
    EXPECT_EQ(e._cux, 799);
    EXPECT_EQ(e.mx, 799);
    send(EVENT_MOUSEMOVE, 0, 801, 390, 0, 2.5f);
    EXPECT_EQ(e.mx, 2);
    EXPECT_EQ(e.my, -9);
    EXPECT_EQ(e.x, 320);
    // Button events do not move the cursor.
    send(EVENT_MOUSEDOWN, 1, 5, 5, 0, 2.5f);
    EXPECT_EQ(e.x, 320);
    EXPECT_EQ(e.mx, 0);
}

TEST_F(input, drag_begins_four_canvas_pixels_away_whatever_the_scale) {
    float s = 2.5f;
    send(EVENT_MOUSEMOVE, 0, 100, 100, 0, s);
    EXPECT_EQ(e.dx, 100);
    send(EVENT_MOUSEDOWN, 1, 0, 0, 0, s);
    EXPECT_EQ(e.drag, 0);   // only a movement starts a drag
    send(EVENT_MOUSEMOVE, 0, 103, 97, 0, s);
    EXPECT_EQ(e.drag, 0);
    send(EVENT_MOUSEMOVE, 0, 100, 104, 0, s);
    EXPECT_EQ(e.drag, 1);
    send(EVENT_MOUSEDOWN, 2, 0, 0, 0, s);
    send(EVENT_MOUSEMOVE, 0, 120, 120, 0, s);
    EXPECT_EQ(e.drag, 1);   // the mask when it began
    send(EVENT_MOUSEUP, 1, 0, 0, 0, s);
    send(EVENT_MOUSEUP, 2, 0, 0, 0, s);
    EXPECT_EQ(e.drag, 1);   // lasts until a movement with no button held
    send(EVENT_MOUSEMOVE, 0, 121, 120, 0, s);
    EXPECT_EQ(e.drag, 0);
    EXPECT_EQ(e.dx, 121);
}

TEST_F(input, keys_are_held_by_code_and_out_of_range_codes_are_ignored) {
    send(EVENT_KEYDOWN, 65, 0, 0, 2);
    EXPECT_EQ(e.key, 65);
    EXPECT_EQ(e.keys[65], 1);
    EXPECT_EQ(e.mods, 2);
    send(EVENT_KEYCHAR, 'a');
    EXPECT_EQ(e.ascii, 'a');
    EXPECT_EQ(e.key, 0);
    send(EVENT_MOUSEMOVE, 0, 1, 1);
    EXPECT_EQ(e.ascii, 'a');   // held until the key is released
    send(EVENT_KEYDOWN, 300);
    EXPECT_EQ(e.key, 300);
    send(EVENT_KEYUP, 300);
    send(EVENT_KEYDOWN, -5);
    send(EVENT_KEYUP, 65, 0, 0, 0);
    EXPECT_EQ(e.keyup, 65);
    EXPECT_EQ(e.keys[65], 0);
    EXPECT_EQ(e.ascii, 0);
    EXPECT_EQ(e.keys.size(), 256u);
    for (int k = 0; k < 256; k++) EXPECT_EQ(e.keys[k], 0) << k;
}

TEST_F(input, unknown_events_only_clear_the_per_event_fields) {
    send(EVENT_MOUSEMOVE, 0, 50, 60);
    send(EVENT_MOUSEDOWN, 1);
    send(EVENT_KEYDOWN, 40, 0, 0, 1);
    send(EVENT_KEYCHAR, 'x');
    send(EVENT_MOUSEWHEEL, -2);
    EXPECT_EQ(e.mz, -2);
    tevs before = e;
    send(0x7777, 9, 1, 1, 4);
    EXPECT_EQ(e.mz, 0);
    EXPECT_EQ(e.key, 0);
    EXPECT_EQ(e.first, 0);
    EXPECT_EQ(e.x, before.x);
    EXPECT_EQ(e.down, before.down);
    EXPECT_EQ(e.ascii, before.ascii);
    EXPECT_EQ(e.mods, before.mods);
    EXPECT_EQ(e.keys, before.keys);
    EXPECT_EQ(e._lkey, before._lkey);
    // No current event at all behaves the same way.
    SetCurrentEvent(nullptr);
    e.upds(1, 1);
    EXPECT_EQ(e.x, 50);
    EXPECT_EQ(e.down, 1);
}

TEST_F(input, area_includes_its_right_and_bottom_edges) {
    send(EVENT_MOUSEMOVE, 0, 30, 40);
    EXPECT_EQ(e.area(10, 20, 20, 20), 1);
    EXPECT_EQ(e.area(30, 40, 0, 0), 1);
    EXPECT_EQ(e.area(31, 20, 20, 20), 0);
    EXPECT_EQ(e.area(10, 20, 19, 20), 0);
    EXPECT_EQ(e.area(10, 20, 20, 19), 0);
}

TEST_F(input, entering_and_leaving_the_canvas_is_tracked) {
    send(EVENT_MOUSEENTER);
    EXPECT_EQ(e.enter, 1);
    send(EVENT_MOUSELEAVE);
    EXPECT_EQ(e.enter, 0);
}

TEST_F(input, a_held_key_repeats_after_the_delay_and_then_at_the_rate) {
    static std::vector<int> seen;
    seen.clear();
    AddHook(HOOK_EMITEVENT, [](int, void* data, void*) -> void* {
        auto* ev = static_cast<TEvent*>(data);
        if (ev && ev->id == EVENT_KEYDOWN) seen.push_back(ev->data);
        return data;
    }, nullptr);
    send(EVENT_KEYDOWN, 37, 0, 0, 0);
    EXPECT_EQ(e._lkeyt, 1250);
    world->ms = 1250;
    e.repeatkey();
    EXPECT_TRUE(seen.empty());
    world->ms = 1251;
    e.repeatkey();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], 37);
    EXPECT_EQ(e._lkeyt, 1281);
    // The platform's own repeats of the same key do not restart the delay.
    send(EVENT_KEYDOWN, 37);
    EXPECT_EQ(e._lkeyt, 1281);
    send(EVENT_KEYUP, 37);
    world->ms = 5000;
    e.repeatkey();
    EXPECT_EQ(seen.size(), 1u);
    RemoveHooks(HOOK_EMITEVENT);
}

TEST_F(input, name_entry_edits_at_the_cursor) {
    tinput in;
    in.set(20);
    std::string t;
    auto type = [&](int c) {
        send(EVENT_KEYDOWN, c >= 'a' && c <= 'z' ? c - 32 : c);
        in.upd(t, e);
        send(EVENT_KEYCHAR, c);
        int r = in.upd(t, e);
        send(EVENT_KEYUP, c >= 'a' && c <= 'z' ? c - 32 : c);
        in.upd(t, e);
        return r;
    };
    auto key = [&](int k) {
        send(EVENT_KEYDOWN, k);
        int r = in.upd(t, e);
        send(EVENT_KEYUP, k);
        in.upd(t, e);
        return r;
    };
    for (char c : std::string("anna")) type(c);
    EXPECT_EQ(t, "anna");
    EXPECT_EQ(in.pos, 4);
    key(key_delete);   // Delete at the end: nothing
    EXPECT_EQ(t, "anna");
    key(key_home);
    key(key_backspace);    // Backspace at the start: nothing
    EXPECT_EQ(t, "anna");
    key(key_delete);
    EXPECT_EQ(t, "nna");
    key(key_right);
    type('x');
    EXPECT_EQ(t, "nxna");
    key(key_end);
    key(key_backspace);
    EXPECT_EQ(t, "nxn");
    key(key_left);
    key(key_left);
    key(key_left);
    key(key_left);
    EXPECT_EQ(in.pos, 0);
    EXPECT_EQ(key(key_enter), 1);
    EXPECT_EQ(key(key_escape), -1);
}

TEST_F(input, name_entry_types_a_held_character_once_and_only_latin1_text) {
    tinput in;
    in.set(3);
    std::string t;
    send(EVENT_KEYDOWN, 66);
    in.upd(t, e);
    send(EVENT_KEYCHAR, 'b');
    in.upd(t, e);
    // Mouse movement and a second key while b is still held type nothing more.
    send(EVENT_MOUSEMOVE, 0, 4, 4);
    in.upd(t, e);
    send(EVENT_KEYDOWN, 16);
    in.upd(t, e);
    EXPECT_EQ(t, "b");
    // Control codes and codes above 255 are never typed; Latin-1 letters are.
    send(EVENT_KEYCHAR, 9);
    in.upd(t, e);
    send(EVENT_KEYCHAR, 0x263A);
    in.upd(t, e);
    EXPECT_EQ(t, "b");
    send(EVENT_KEYCHAR, 0xE9);
    in.upd(t, e);
    EXPECT_EQ(t, "b\xE9");
    // Full at lmax.
    send(EVENT_KEYCHAR, 'c');
    in.upd(t, e);
    send(EVENT_KEYCHAR, 'd');
    in.upd(t, e);
    EXPECT_EQ(t, "b\xE9" "c");
    EXPECT_EQ(in.pos, 3);
    // Return pressed while a typed character is still held inserts nothing more.
    in.set(10);
    send(EVENT_KEYCHAR, 'z');
    EXPECT_EQ(in.upd(t, e), 0);
    EXPECT_EQ(t, "b\xE9" "cz");
    send(EVENT_KEYDOWN, 13);
    EXPECT_EQ(e.ascii, 'z');
    EXPECT_EQ(in.upd(t, e), 1);
    send(EVENT_KEYDOWN, 27);
    EXPECT_EQ(in.upd(t, e), -1);
    EXPECT_EQ(t, "b\xE9" "cz");
}

TEST_F(input, delete_and_backspace_as_the_desktop_sends_them_type_no_character) {
    // Each key comes as its key-down followed by its character: Delete as 127, Backspace as 8.
    tinput in;
    in.set(20);
    std::string t = "Your Name";
    for (int i = 0; i < 9; i++) {
        send(EVENT_KEYDOWN, 46);
        in.upd(t, e);
        send(EVENT_KEYCHAR, 127);
        in.upd(t, e);
        send(EVENT_KEYUP, 46);
        in.upd(t, e);
    }
    EXPECT_EQ(t, "");
    EXPECT_EQ(in.pos, 0);
    for (int c : {'A', 'd', 'a'}) {
        send(EVENT_KEYDOWN, c == 'A' ? 65 : c - 32);
        in.upd(t, e);
        send(EVENT_KEYCHAR, c);
        in.upd(t, e);
        send(EVENT_KEYUP, c == 'A' ? 65 : c - 32);
        in.upd(t, e);
    }
    send(EVENT_KEYDOWN, 8);
    in.upd(t, e);
    send(EVENT_KEYCHAR, 8);
    in.upd(t, e);
    EXPECT_EQ(t, "Ad");
    // The other C1 control codes stay out as well; the first printable code above them types.
    send(EVENT_KEYCHAR, 0x85);
    in.upd(t, e);
    send(EVENT_KEYCHAR, 0x9F);
    in.upd(t, e);
    EXPECT_EQ(t, "Ad");
    send(EVENT_KEYCHAR, 0xA0);
    in.upd(t, e);
    EXPECT_EQ(t, "Ad\xA0");
}

TEST_F(input, name_entry_cursor_follows_a_shorter_text_and_its_limit) {
    tinput in;
    in.set(20);
    in.pos = 15;
    in.set(8);
    EXPECT_EQ(in.pos, 8);
    std::string t = "ab";
    send(EVENT_KEYCHAR, 'c');
    in.upd(t, e);   // the cursor left over from a longer name stays inside this one
    EXPECT_EQ(t, "abc");
    EXPECT_EQ(in.pos, 3);
}
