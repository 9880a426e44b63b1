// Tick accounting of the frame timer, hooks and events, and the headless event loop.
#include <gtest/gtest.h>

#include <vector>

#include "platform/internal.h"

TEST(timer, ticks_fall_due_exactly_at_60_hz) {
    const int64_t s = 1000000000;
    EXPECT_EQ(ticksdue(0, 60), 0);
    EXPECT_EQ(ticksdue(16666666, 60), 0);
    EXPECT_EQ(ticksdue(16666667, 60), 1);
    EXPECT_EQ(ticksdue(s, 60), 60);
    EXPECT_EQ(ticksdue(s - 1, 60), 59);
    EXPECT_EQ(ticksdue(3600 * s, 60), 216000);   // an hour later, not one tick lost or gained
    EXPECT_EQ(tickat(1, 60), 16666667);
    EXPECT_EQ(tickat(60, 60), s);
    for (int64_t n = 0; n < 2000; n++) {
        EXPECT_EQ(ticksdue(tickat(n, 60), 60), n);
        EXPECT_EQ(ticksdue(tickat(n, 60) - 1, 60), n > 0 ? n - 1 : 0);
    }
}

TEST(timer, ticks_fall_due_exactly_at_480_hz) {
    const int64_t s = 1000000000;
    EXPECT_EQ(ticksdue(2083333, 480), 0);
    EXPECT_EQ(ticksdue(2083334, 480), 1);
    EXPECT_EQ(ticksdue(s, 480), 480);
    EXPECT_EQ(tickat(3, 480), 6250000);
    for (int64_t n = 0; n < 5000; n++) EXPECT_EQ(ticksdue(tickat(n, 480), 480), n);
}

TEST(timer, a_late_wake_up_owes_every_tick_in_between) {
    // Woken 100 ms late after tick 6 at 60 Hz: ticks 7 .. 12 are all due at once.
    int64_t delivered = 6;
    int64_t now = tickat(6, 60) + 100000000;
    EXPECT_EQ(ticksdue(now, 60) - delivered, 6);
    // At 480 Hz the same delay owes 48.
    EXPECT_EQ(ticksdue(tickat(6, 480) + 100000000, 480) - 6, 48);
    // Odd rates still count from the start, without drift.
    EXPECT_EQ(ticksdue(1000000000, 59.5), 59);
    EXPECT_EQ(ticksdue(tickat(119, 59.5), 59.5), 119);
}

namespace {
struct loop : ::testing::Test {
    std::vector<TEvent> seen;
    void SetUp() override {
        PlatformInit(tbackend::headless);
        RemoveHooks(HOOK_EMITEVENT);
        AddHook(HOOK_EMITEVENT, [this](int, void* d, void*) {
            if (d) seen.push_back(*static_cast<TEvent*>(d));
            return d;
        }, nullptr);
    }
    void TearDown() override { RemoveHooks(HOOK_EMITEVENT); }
};
}  // namespace

TEST_F(loop, headless_wait_alternates_ticks_and_one_merged_paint) {
    TGadget* win = CreateWindow("t", 0, 0, 800, 400, nullptr, WINDOW_HIDDEN);
    TGadget* can = CreateCanvas(0, 0, 800, 400, win, 0);
    SetGraphics(can);
    SetMilliSecs(1000);
    TTimer* t = CreateTimer(60);
    WaitSystem();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].id, EVENT_TIMERTICK);
    EXPECT_EQ(seen[0].source, t);
    EXPECT_EQ(seen[0].data, 1);
    EXPECT_EQ(MilliSecs(), 1016);         // the clock moved to the tick
    RedrawGadget(can);
    RedrawGadget(can);                    // two requests, one paint
    WaitSystem();
    WaitSystem();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].id, EVENT_GADGETPAINT);
    EXPECT_EQ(seen[1].source, can);
    EXPECT_EQ(seen[2].id, EVENT_TIMERTICK);
    EXPECT_EQ(TimerTicks(t), 2);
    StopTimer(t);
    TTimer* fast = CreateTimer(480);      // replacing the timer restarts the count
    WaitSystem();
    EXPECT_EQ(seen.back().source, fast);
    EXPECT_EQ(seen.back().data, 1);
    StopTimer(fast);
    size_t n = seen.size();
    WaitSystem();                         // nothing running, nothing pending
    EXPECT_EQ(seen.size(), n);
    EXPECT_EQ(GraphicsWidth(), 800);
}

TEST_F(loop, headless_run_delivers_paints_and_ticks_until_the_game_stops_its_timer) {
    TGadget* win = CreateWindow("t", 0, 0, 800, 400, nullptr, WINDOW_HIDDEN);
    TGadget* can = CreateCanvas(0, 0, 800, 400, win, 0);
    SetGraphics(can);
    SetMilliSecs(0);
    TTimer* t = CreateTimer(60);
    // the game's own shape: every tick asks for a paint; the third tick ends the game
    AddHook(HOOK_EMITEVENT, [&](int, void* d, void*) {
        auto* e = static_cast<TEvent*>(d);
        if (e && e->id == EVENT_TIMERTICK && e->source == t) {
            RedrawGadget(can);
            if (e->data == 3) StopTimer(t);
        }
        return d;
    }, nullptr, -1);
    RunLoop();
    std::vector<int> ids;
    for (const TEvent& e : seen) ids.push_back(e.id);
    const std::vector<int> want = {EVENT_TIMERTICK, EVENT_GADGETPAINT, EVENT_TIMERTICK, EVENT_GADGETPAINT,
                                   EVENT_TIMERTICK, EVENT_GADGETPAINT};
    EXPECT_EQ(ids, want);
    EXPECT_EQ(MilliSecs(), 50);           // the clock of the third tick
}

TEST_F(loop, hooks_pass_the_event_on_in_priority_order) {
    std::vector<int> order;
    static int seven = 7;
    RemoveHooks(HOOK_EMITEVENT);
    AddHook(HOOK_EMITEVENT, [&](int, void* d, void*) { order.push_back(0); return d; }, nullptr, 0);
    AddHook(HOOK_EMITEVENT, [&](int, void*, void* ctx) {
        order.push_back(*static_cast<int*>(ctx));
        return nullptr;                   // swallows it: later hooks see null
    }, &seven, 10);
    AddHook(HOOK_EMITEVENT, [&](int, void* d, void*) { order.push_back(d ? -1 : 99); return d; }, nullptr, -1);
    TEvent* e = CreateEvent(EVENT_KEYDOWN, nullptr, 13);
    EmitEvent(e);
    EXPECT_EQ(order, (std::vector<int>{7, 0, 99}));
    SetCurrentEvent(e);
    EXPECT_EQ(CurrentEvent()->data, 13);
    TEvent* f = CreateEvent(EVENT_KEYUP, nullptr, 65, MODIFIER_SHIFT, 3, 4);
    EXPECT_NE(e, f);
    EXPECT_EQ(f->mods, MODIFIER_SHIFT);
    EXPECT_EQ(f->y, 4);
}

TEST_F(loop, headless_menus_keep_their_state) {
    TGadget* win = CreateWindow("w", 20, 20, 700, 400, nullptr, WINDOW_TITLEBAR | WINDOW_MENU | WINDOW_HIDDEN);
    TGadget* bar = CreateMenu("&Options", 14, WindowMenu(win));
    TGadget* opt = CreateMenu("Hide &text (H)", 9, bar);
    EXPECT_EQ(MenuChecked(opt), 0);
    CheckMenu(opt);
    DisableMenu(opt);
    EXPECT_EQ(MenuChecked(opt), 1);
    EXPECT_EQ(MenuEnabled(opt), 0);
    EXPECT_EQ(MenuTag(opt), 9);
    SetMenuText(opt, "Text &verbergen (H)");
    EXPECT_EQ(GadgetText(opt), "Text &verbergen (H)");
    UpdateWindowMenu(win);
    SetGadgetShape(win, 5, 6, 640, 480);
    EXPECT_EQ(GadgetWidth(win), 640);
    EXPECT_EQ(GadgetY(win), 6);
}
