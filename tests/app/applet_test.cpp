// The application object: view scale, the frame step, input handling, menu commands, the
// screenshot and the close path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/applet.h"
#include "app/replay.h"
#include "app/settings.h"
#include "app/world.h"
#include "combat/particle.h"
#include "combat/rocket.h"
#include "framework/assets.h"
#include "framework/input.h"
#include "framework/keys.h"
#include "framework/menutags.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/testing.h"
#include "sky/cloud.h"
#include "sky/day.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace fs = std::filesystem;

namespace {

struct applet : worldtest {
    void canvas(int w, int h) {
        SetGadgetShape(world->can.g, 0, 0, w, h);
        rescale();
    }
    // The black rectangles of the last drawn frame, in drawing order.
    std::vector<tdrawrecord> blackrects() {
        std::vector<tdrawrecord> r;
        for (auto& d : DrawRecords())
            if (d.op == tdrawrecord::rect && d.state.color_red == 0 && d.state.color_green == 0 && d.state.color_blue == 0)
                r.push_back(d);
        return r;
    }
};

}  // namespace

TEST_F(applet, the_start_gives_an_800_by_400_canvas_at_scale_one) {
    EXPECT_EQ(world->can.w, 800);
    EXPECT_EQ(world->can.h, 400);
    EXPECT_FLOAT_EQ(world->viewscalex, 1);
    EXPECT_FLOAT_EQ(world->viewwidth, 800);
    EXPECT_FLOAT_EQ(world->areaheight, 400);
    EXPECT_EQ(world->volume.on, 5);
    EXPECT_EQ(world->ev.hide, 1);
    EXPECT_EQ(world->win.name, "Varnhold 1.1.0.6181");
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(world->drawmatrix[i], i % 5 == 0 ? 1.0f : 0.0f);
}

TEST_F(applet, a_wide_canvas_is_limited_by_its_height) {
    canvas(1600, 400);
    EXPECT_FLOAT_EQ(world->viewscalex, 1);
    EXPECT_FLOAT_EQ(world->viewscaley, 1);
    EXPECT_FLOAT_EQ(world->viewwidth, 800);
    EXPECT_FLOAT_EQ(world->viewheight, 400);
    EXPECT_FLOAT_EQ(world->areawidth, 1600);
    drawframe();
    auto r = blackrects();
    ASSERT_GE(r.size(), 2u);
    EXPECT_FLOAT_EQ(r[0].x, 800);   // an 800-unit bar on the right
    EXPECT_FLOAT_EQ(r[0].x2, 800);
    EXPECT_FLOAT_EQ(r[0].y2, 400);
}

TEST_F(applet, a_square_canvas_halves_the_scale_and_leaves_a_bar_below) {
    canvas(400, 400);
    EXPECT_FLOAT_EQ(world->viewscalex, 0.5f);
    EXPECT_FLOAT_EQ(world->viewheight, 200);
    EXPECT_FLOAT_EQ(world->areawidth, 800);
    EXPECT_FLOAT_EQ(world->areaheight, 800);
    EXPECT_FLOAT_EQ(DrawState().line_width, 0.25f);
    EXPECT_FLOAT_EQ(Modelview()[0], 0.5f);
    EXPECT_FLOAT_EQ(Modelview()[5], 0.5f);
    drawframe();
    auto r = blackrects();
    ASSERT_GE(r.size(), 2u);
    EXPECT_FLOAT_EQ(r[1].x, 0);
    EXPECT_FLOAT_EQ(r[1].y, 399);   // from y = 399 down
    EXPECT_FLOAT_EQ(r[1].x2, 800);
    EXPECT_FLOAT_EQ(r[1].y2, 401);
}

TEST_F(applet, a_canvas_without_area_keeps_the_last_scale) {
    canvas(400, 400);
    canvas(0, 0);
    EXPECT_FLOAT_EQ(world->viewscalex, 0.5f);
    EXPECT_FLOAT_EQ(world->areawidth, 800);
    EXPECT_FLOAT_EQ(world->areaheight, 800);
    canvas(1600, 0);
    EXPECT_FLOAT_EQ(world->viewscalex, 0.5f);
}

TEST_F(applet, a_frame_is_drawn_in_layers_and_presented_once) {
    enter();
    mousemove(300, 200);
    drawframe();
    const auto& d = DrawRecords();
    auto at = [&](const TImage* img) {
        for (size_t i = 0; i < d.size(); i++)
            if (d[i].op == tdrawrecord::image && d[i].img == img) return int(i);
        return -1;
    };
    int title = at(img_title), city = at(img_city), flag = at(img_flag), street = at(img_street), aim = at(img_aim);
    ASSERT_GE(title, 0);
    EXPECT_LT(title, city);
    EXPECT_LT(city, flag);
    EXPECT_LT(flag, street);
    EXPECT_LT(street, aim);
    EXPECT_FLOAT_EQ(d[size_t(aim)].x, 300);
    EXPECT_FLOAT_EQ(d[size_t(aim)].y, 200);
    EXPECT_FLOAT_EQ(d[size_t(street)].y, 370);
    EXPECT_EQ(d.back().op, tdrawrecord::flip);
    int flips = 0;
    for (auto& r : d) flips += r.op == tdrawrecord::flip;
    EXPECT_EQ(flips, 1);
}

TEST_F(applet, the_flag_hangs_from_the_pole_and_follows_the_skyline) {
    mousemove(800, 100);
    drawframe();
    for (auto& r : DrawRecords()) {
        if (r.op != tdrawrecord::image || r.img != img_flag) continue;
        EXPECT_FLOAT_EQ(r.modelview[12], 702);   // (704 - 2) x scale 1
        EXPECT_FLOAT_EQ(r.modelview[13], 165);
        EXPECT_FLOAT_EQ(r.modelview[5], 1);
        return;
    }
    ADD_FAILURE() << "no flag drawn";
}

TEST_F(applet, the_mouse_shifts_the_skyline_by_up_to_two_units) {
    mousemove(0, 100);
    EXPECT_FLOAT_EQ(world->cityshift, 0);
    mousemove(400, 100);
    EXPECT_FLOAT_EQ(world->cityshift, -1);
    mousemove(800, 100);
    EXPECT_FLOAT_EQ(world->cityshift, -2);
    canvas(1600, 400);
    mousemove(1200, 100);
    EXPECT_FLOAT_EQ(world->cityshift, -2);
}

TEST_F(applet, holding_f5_replaces_the_timer_and_releasing_it_restores_it) {
    stepframes(10);
    TTimer* normal = world->timer;
    EXPECT_EQ(TimerTicks(normal), 10);
    keydown(key_f5);
    EXPECT_NE(world->timer, normal);
    EXPECT_EQ(TimerTicks(world->timer), 0);
    stepframes(8);
    EXPECT_EQ(TimerTicks(world->timer), 8);
    TTimer* fast = world->timer;
    keydown(key_f5);   // the key's own repeat keeps the fast timer and its count
    EXPECT_EQ(world->timer, fast);
    EXPECT_EQ(TimerTicks(world->timer), 8);
    keyup(key_f5);
    EXPECT_NE(world->timer, fast);
    EXPECT_EQ(TimerTicks(world->timer), 0);
}

TEST_F(applet, the_wheel_sets_the_volume_step_by_step) {
    emit(EVENT_MOUSEWHEEL, 2);
    EXPECT_EQ(world->volume.on, 7);
    EXPECT_EQ(world->menu.get(menu_volume + 7), 1);
    emit(EVENT_MOUSEWHEEL, 9);   // beyond 10: refused whole
    EXPECT_EQ(world->volume.on, 7);
    choose(menu_volume + 3);
    EXPECT_EQ(world->volume.on, 3);
    EXPECT_EQ(world->menu.get(menu_volume + 7), 0);
}

TEST_F(applet, while_paused_the_sky_moves_but_the_fight_stands_still) {
    choose(menu_start);   // start a game
    stepframes(300);
    ASSERT_EQ(world->level.pause, pause_off);
    world->level.setpause(1);
    ASSERT_EQ(world->level.pause, pause_on);
    float sky = world->day.skycos;
    int wait = world->level.wait, prg = world->level.prg;
    int count = world->rockets.count;
    stepframes(120);
    EXPECT_NE(world->day.skycos, sky);
    EXPECT_EQ(world->level.wait, wait);
    EXPECT_EQ(world->level.prg, prg);
    EXPECT_EQ(world->rockets.count, count);
    // firing is refused while paused
    click(400, 200, 1);
    EXPECT_EQ(world->rockets.count, count);
}

TEST_F(applet, menu_commands_by_tag) {
    choose(menu_start);
    EXPECT_NE(world->level.prg, level_title);
    choose(menu_hiscore);
    EXPECT_EQ(world->level.prg, level_title);
    choose(menu_onebutton);   // one button mouse unticks the two button mouse
    EXPECT_EQ(world->menu.get(menu_onebutton), 1);
    choose(menu_twobuttons);
    EXPECT_EQ(world->menu.get(menu_twobuttons), 1);
    EXPECT_EQ(world->menu.get(menu_onebutton), 0);
    choose(menu_onebutton);
    EXPECT_EQ(world->menu.get(menu_twobuttons), 0);
    canvas(500, 300);
    choose(menu_resetwindow);   // reset window size: the canvas is 800 x 400 again
    EXPECT_EQ(world->can.w, 800);
    EXPECT_EQ(world->can.h, 400);
    EXPECT_FLOAT_EQ(world->viewscalex, 1);
}

TEST_F(applet, help_and_leaving_the_window_pause_a_running_level) {
    choose(menu_start);
    ASSERT_EQ(world->level.pause, pause_off);
    choose(menu_help);
    EXPECT_EQ(world->level.pause, pause_on);
    choose(menu_pause);
    EXPECT_EQ(world->level.pause, pause_off);
    EmitEvent(CreateEvent(EVENT_APPSUSPEND, nullptr));
    EXPECT_EQ(world->level.pause, pause_on);
    EmitEvent(CreateEvent(EVENT_APPRESUME, nullptr));
    EXPECT_EQ(world->refocus, 1);
    drawframe();
    EXPECT_EQ(world->refocus, 0);
}

TEST_F(applet, f2_writes_the_next_free_screenshot) {
    testsupport::tempdir dir;
    std::string keep = shotdir;
    shotdir = dir / "";
    testsupport::writetext(dir / "screenshot0.png", "x");
    testsupport::writetext(dir / "screenshot1.png", "x");
    drawframe();
    key(key_f2);
    EXPECT_FALSE(fs::exists(dir / "screenshot2.png"));   // taken from the next frame drawn
    drawframe();
    shotdir = keep;
    ASSERT_TRUE(fs::exists(dir / "screenshot2.png"));
    TImage* shot = LoadImage(dir / "screenshot2.png", 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 800);
    EXPECT_EQ(shot->height, 400);
}

// On a software rasteriser (the automatic render scale: one pixel per playfield unit here) a
// fight shown at 30 frames a second gives up pixels, then draws its particles smaller; F2's
// frame has it all, and so has the title once the level is left. A title that falls behind
// gives up pixels too, but only down to where its words read easily, and keeps its particles.
TEST_F(applet, a_fight_that_falls_behind_is_drawn_at_fewer_pixels_the_title_at_readable_ones) {
    struct tsoftware {
        tsoftware() { PretendSoftwareRenderer(true); }
        ~tsoftware() { PretendSoftwareRenderer(false); }
    } software;
    testsupport::tempdir dir;
    std::string keep = shotdir;
    shotdir = dir / "";
    rescale();
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 1);
    world->level.prg = level_fight;
    auto seconds = [&](int n, int every) {
        for (int i = 0; i < n * 60; i++) {
            stepframes(1);
            if (frame % every == 0) drawframe();
        }
    };
    seconds(2, 1);
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 1) << "a fight at full speed";
    EXPECT_FLOAT_EQ(InterfaceScaleAsked(), 1) << "drawn with the scene";
    seconds(3, 2);
    EXPECT_LT(RenderScaleAsked(), 0.75f) << "a fight at half speed";
    EXPECT_EQ(world->particlesize, 1);
    seconds(2, 2);
    float low = RenderScaleAsked();
    EXPECT_FLOAT_EQ(low, 0.5f) << "still at half speed";
    EXPECT_LT(world->particlesize, 1);
    // the level's lines are the interface, drawn after the scene at pixels enough to read
    EXPECT_FLOAT_EQ(InterfaceScaleAsked(), 0.75f);
    const std::vector<tdrawrecord>& rec = DrawRecords();
    auto mark = std::find_if(rec.begin(), rec.end(), [](const tdrawrecord& r) { return r.op == tdrawrecord::interface; });
    auto score = std::find_if(rec.begin(), rec.end(),
                              [](const tdrawrecord& r) { return r.op == tdrawrecord::note && r.text.starts_with("Score:"); });
    EXPECT_NE(mark, rec.begin());
    EXPECT_NE(score, rec.end());
    EXPECT_LT(mark, score);
    key(key_f2);
    drawframe();
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 1) << "F2's frame";
    EXPECT_EQ(world->particlesize, 1);
    drawframe();
    EXPECT_FLOAT_EQ(RenderScaleAsked(), low) << "the frame after it";
    EXPECT_LT(world->particlesize, 1);
    world->level.prg = level_title;
    seconds(2, 1);
    shotdir = keep;
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 1) << "the title";
    EXPECT_EQ(world->particlesize, 1);
    EXPECT_TRUE(fs::exists(dir / "screenshot0.png"));
    seconds(4, 3);
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 0.75f) << "the title at a third of its speed";
    EXPECT_FLOAT_EQ(InterfaceScaleAsked(), 0.75f) << "drawn with the scene";
    EXPECT_EQ(world->particlesize, 1);
    world->level.prg = level_fight;
    drawframe();
    EXPECT_FLOAT_EQ(RenderScaleAsked(), 1) << "a level starts with all of it, from its first frame";
}

TEST_F(applet, a_screenshot_of_a_tall_canvas_is_the_playfield_only) {
    testsupport::tempdir dir;
    std::string keep = shotdir;
    shotdir = dir / "";
    canvas(800, 1000);
    std::string name = screenshot();
    shotdir = keep;
    TImage* shot = LoadImage(name, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 800);
    EXPECT_EQ(shot->height, 400);
}

TEST_F(applet, escape_saves_the_settings_and_ends_with_status_zero) {
    testsupport::tempdir dir;
    std::string cfg = dir / "varnhold.cfg";
    EXPECT_EXIT(
        {
            cfgpath = cfg;
            world->level.name = "Esc";
            key(key_escape);
            std::_Exit(9);   // not reached
        },
        testing::ExitedWithCode(0), "");
    auto b = testsupport::readbytes(cfg);
    ASSERT_FALSE(b.empty());
    std::string s(b.begin(), b.end());
    EXPECT_NE(s.find("Esc"), std::string::npos);
}

// Every file the close keeps that cannot be written is named with the reason, and the game
// ends with status 1; nothing half-written is left. A signal's status stays its own.
TEST_F(applet, files_that_cannot_be_saved_at_the_close_are_named_and_end_with_status_one) {
    testsupport::tempdir dir;
    std::string gone = dir / "gone/";
    for (int sig : {0, 15}) {
        EXPECT_EXIT(
            {
                cfgpath = gone + "varnhold.cfg";
                dumponclose = gone + "world.json";
                startrecording(gone + "game.vhr", seed());
                if (sig) closegame(128 + sig);
                key(key_escape);
                std::_Exit(9);   // not reached
            },
            testing::ExitedWithCode(sig ? 128 + sig : 1),
            "^Can't save " + gone + "varnhold.cfg: No such file or directory\n"
            "Can't save " + gone + "game.vhr: No such file or directory\n"
            "Can't save " + gone + "world.json: No such file or directory\n$");
    }
}

TEST_F(applet, a_screenshot_on_a_full_disk_is_said_and_leaves_no_file) {
    testsupport::tempdir dir;
    std::string keep = shotdir;
    shotdir = dir / "";
    fs::create_symlink("/dev/full", dir / "screenshot0.png.tmp");   // where the picture is written first
    testing::internal::CaptureStderr();
    std::string name = screenshot();
    std::string said = testing::internal::GetCapturedStderr();
    shotdir = keep;
    EXPECT_EQ(name, "");
    EXPECT_EQ(said, "Can't save " + dir / "screenshot0.png" + ": No space left on device (no screenshot was written)\n");
    EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST_F(applet, odd_events_and_key_codes_leave_the_game_running) {
    choose(menu_start);   // a running level, so the turrets and the level read every key
    stepframes(30);
    int ticks = TimerTicks(world->timer);
    int vol = world->volume.on, lang = world->langtag;
    for (int code : {-1, 256, 300, 65535, 1 << 20, -(1 << 30)}) {
        keydown(code);
        keychar(code);
        keyup(code);
        emit(EVENT_MOUSEDOWN, code);
        emit(EVENT_MOUSEUP, code);
    }
    emit(0x7fff1234, 5, 10, 10);                                   // a kind nobody knows
    EmitEvent(CreateEvent(0x7fff1234, world->win.g, 42));          // the same from the window
    EmitEvent(CreateEvent(EVENT_MENUACTION, world->win.g, 99999));   // a tag no entry has
    EmitEvent(CreateEvent(EVENT_MENUACTION, world->win.g, -7));
    EmitEvent(CreateEvent(EVENT_MENUACTION, world->win.g, 100 + world->langcount + 1));   // one past the languages
    EmitEvent(CreateEvent(EVENT_KEYDOWN, nullptr, 27));           // a key from no gadget
    EXPECT_NE(world->level.prg, level_title);
    EXPECT_EQ(world->volume.on, vol);
    EXPECT_EQ(world->langtag, lang);
    for (int k = 0; k < 256; k++) EXPECT_EQ(world->ev.keys[k], 0) << k;
    // the frame loop goes on: ticks count and a frame is drawn
    stepframes(5);
    EXPECT_EQ(TimerTicks(world->timer), ticks + 5);
    drawframe();
    EXPECT_FALSE(DrawRecords().empty());
}
