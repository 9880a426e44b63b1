// The desktop back end in a real window: an X server of its own (Xvfb), the OpenGL canvas, what
// the front buffer holds after drawing, and real keyboard and mouse input sent with xdotool.
// Each case runs in a child process so the window system never touches the headless tests.
#include <AL/al.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "tests/support/ogg.h"

namespace {

bool have(const char* program) {
    std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

struct xserver {
    pid_t pid = -1;
    std::string display;
    xserver() {
        int fd[2];
        if (pipe(fd) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(fd[0]);
            std::string f = std::to_string(fd[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", f.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fd[1]);
        // The server writes the number when it is ready, then the line end; the pipe stays open
        // until it is gone, as it fails when it cannot write.
        readfd = fd[0];
        std::string number;
        char c;
        while (read(readfd, &c, 1) == 1 && c != '\n') number += c;
        if (!number.empty()) display = ":" + number;
    }
    ~xserver() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (readfd >= 0) close(readfd);
    }
    int readfd = -1;
};

int failures = 0;
#define WCHECK(cond)                                                                      \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: window check failed: %s\n", __FILE__, __LINE__, #cond); \
            failures++;                                                                   \
        }                                                                                 \
    } while (0)

// Runs `body` in a child process on the desktop back end with the given X display.
int inwindow(const std::string& display, const std::function<void()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        static char arg0[] = "varnhold_tests";
        static char* argv[] = {arg0, nullptr};
        PlatformInit(tbackend::desktop, 1, argv);
        failures = 0;
        body();
        std::fflush(stderr);
        _exit(failures ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct scene {
    TGadget* win;
    TGadget* can;
    TTimer* timer;
    TGadget* start;
    std::vector<TEvent> events;
    int paints = 0;
    std::function<void()> onpaint;

    scene() {
        win = CreateWindow("VHWT", 0, 0, 320, 240, nullptr,
                           WINDOW_TITLEBAR | WINDOW_RESIZABLE | WINDOW_MENU | WINDOW_HIDDEN | WINDOW_CLIENTCOORDS);
        can = CreateCanvas(0, 0, ClientWidth(win), ClientHeight(win), win, 0);
        SetGadgetLayout(can, 1, 1, 1, 1);
        SetGraphics(can);
        TGadget* game = CreateMenu("&Game", 13, WindowMenu(win));
        start = CreateMenu("&Start (Enter)", 1, game);
        UncheckMenu(start);               // tickable: Qt would toggle it by itself
        CreateMenu("&Pause (P)", 6, WindowMenu(win));
        UpdateWindowMenu(win);
        AddHook(HOOK_EMITEVENT, [this](int, void* d, void*) {
            if (!d) return d;
            TEvent* e = static_cast<TEvent*>(d);
            if (e->id == EVENT_GADGETPAINT) {
                paints++;
                if (onpaint) onpaint();
            } else if (e->id == EVENT_TIMERTICK) {
                RedrawGadget(can);
            } else {
                events.push_back(*e);
            }
            return d;
        }, nullptr);
        ShowGadget(win);
        ActivateGadget(can);
        timer = CreateTimer(60);
    }
    // Runs the event loop until `done` holds or the timer has ticked `ticks` times more.
    bool until(const std::function<bool()>& done, int ticks = 300) {
        int end = TimerTicks(timer) + ticks;
        while (!done() && TimerTicks(timer) < end) WaitSystem();
        return done();
    }
    bool seen(int id, int data) {
        for (auto& e : events)
            if (e.id == id && e.data == data) return true;
        return false;
    }
    const TEvent* find(int id, int data) {
        for (auto& e : events)
            if (e.id == id && e.data == data) return &e;
        return nullptr;
    }
    // One frame: the canvas cleared, white at full opacity under the alpha blend, `paint`, and
    // then the presented pixels of (x, y, w, h).
    std::vector<uint8_t> frame(const std::function<void()>& paint, int x = 0, int y = 0, int w = 320, int h = 200) {
        SetGraphics(can);
        SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
        Cls();
        SetColor(255, 255, 255);
        SetAlpha(1);
        SetBlend(BLEND_ALPHA);
        paint();
        SetTransform(0, 1, 1);
        Flip();
        TPixmap out;
        GrabFrontBuffer(x, y, w, h, out);
        return out.pixels;
    }
};

// A test's body in a window of its own, on an X server of its own, once the canvas has painted.
int inscene(const std::function<void(scene&)>& body) {
    xserver x;
    if (x.display.empty()) {
        ADD_FAILURE() << "no X server";
        return -1;
    }
    return inwindow(x.display, [&] {
        scene s;
        WCHECK(s.until([&] { return s.paints > 0; }));
        body(s);
    });
}

uint32_t grabpixel(int x, int y) {
    TPixmap p;
    GrabFrontBuffer(x, y, 1, 1, p);
    return ReadPixel(p, 0, 0) & 0xffffff;
}

// A filtered picture of w x h opaque pixels of every colour, the same for the same seed: any
// shift or blur of it shows.
TImage* noisepicture(int w, int h, uint32_t seed) {
    TImage* pic = CreateImage(w, h, 1, IMG_FILTERED);
    TPixmap& p = LockImage(pic);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) WritePixel(p, x, y, (seed = seed * 1103515245u + 12345u) | 0xff000000u);
    UnlockImage(pic);
    return pic;
}

struct realwindow : ::testing::Test {
    void SetUp() override {
        if (!have("Xvfb")) GTEST_SKIP() << "no Xvfb";
    }
};

}  // namespace

TEST_F(realwindow, canvas_draws_blends_clips_and_reads_back_top_down) {
    int rc = inscene([](scene& s) {
        WCHECK(GraphicsWidth() == 320);
        WCHECK(GraphicsHeight() == 240);
        bool drawn = false;
        s.onpaint = [&] {
            SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
            Cls();
            ModelviewIdentity();
            SetTransform(0, 1, 1);
            SetAlpha(1);
            SetBlend(BLEND_SOLID);
            SetColor(255, 0, 0);
            DrawRect(10, 20, 30, 10);     // red at x 10..39, y 20..29, counted from the top
            SetBlend(BLEND_LIGHT);
            SetColor(100, 100, 0);
            DrawRect(100, 100, 10, 10);
            DrawRect(100, 100, 10, 10);   // added twice: 200, 200, 0
            SetBlend(BLEND_SOLID);
            SetColor(200, 200, 200);
            DrawRect(150, 100, 10, 10);
            SetBlend(BLEND_SHADE);
            SetColor(128, 255, 0);
            DrawRect(150, 100, 10, 10);   // multiplied: about 100, 200, 0
            // a picture with a see-through left half drawn in mask mode
            static TImage* img = nullptr;
            if (!img) {
                img = CreateImage(4, 4, 1, 0);
                TPixmap& p = LockImage(img);
                for (int y = 0; y < 4; y++)
                    for (int x = 0; x < 4; x++) WritePixel(p, x, y, x < 2 ? 0x660000ffu : 0x9900ff00u);
            }
            SetBlend(BLEND_MASK);
            SetColor(255, 255, 255);
            ModelviewScale(4, 4);         // 16 x 16 canvas pixels
            DrawImage(img, 50, 10);       // at canvas 200, 40
            ModelviewIdentity();
            // clipped to the viewport
            SetBlend(BLEND_SOLID);
            SetViewport(0, 200, 320, 20);
            SetColor(0, 0, 255);
            DrawRect(0, 150, 320, 90);
            SetViewport(0, 0, 320, 240);
            // a smooth line 3 pixels wide along y = 150: full inside, half at the rim rows
            EnableLineSmooth();
            SetBlend(BLEND_ALPHA);
            SetColor(255, 255, 255);
            SetLineWidth(3);
            DrawLine(20, 150, 80, 150);
            Flip();
            drawn = true;
        };
        RedrawGadget(s.can);
        WCHECK(s.until([&] { return drawn; }));
        s.onpaint = nullptr;
        WCHECK(grabpixel(10, 20) == 0xff0000);
        WCHECK(grabpixel(39, 29) == 0xff0000);
        WCHECK(grabpixel(40, 29) == 0x000000);
        WCHECK(grabpixel(10, 30) == 0x000000);
        WCHECK(grabpixel(105, 105) == 0xc8c800);
        uint32_t shade = grabpixel(155, 105);
        WCHECK(((shade >> 16) & 255) >= 99 && ((shade >> 16) & 255) <= 101);
        WCHECK(((shade >> 8) & 255) == 200);
        WCHECK(grabpixel(202, 42) == 0x000000);   // alpha 0.4: discarded by the mask test
        WCHECK(grabpixel(212, 42) == 0x00ff00);   // alpha 0.6: drawn, without blending
        WCHECK(grabpixel(5, 190) == 0x000000);
        WCHECK(grabpixel(5, 205) == 0x0000ff);
        WCHECK(grabpixel(5, 225) == 0x000000);
        WCHECK(grabpixel(30, 149) == 0xffffff);
        WCHECK(grabpixel(30, 150) == 0xffffff);
        uint32_t rim = grabpixel(30, 151) & 255;
        WCHECK(rim >= 120 && rim <= 135);
        WCHECK(grabpixel(30, 147) == 0x000000);
        TPixmap all;
        GrabFrontBuffer(0, 0, 320, 240, all);
        WCHECK(ReadPixel(all, 12, 22) == 0xffff0000u);   // alpha comes back opaque
        // a canvas shrunk to nothing draws nothing and breaks nothing
        SetGadgetShape(s.can, 0, 0, 0, 0);
        DrawRect(0, 0, 10, 10);
        Flip();
        s.until([] { return false; }, 10);
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(realwindow, a_written_picture_is_drawn_with_its_new_pixels) {
    int rc = inscene([](scene& s) {
        TImage* img = CreateImage(8, 8, 1, 0);
        auto fill = [&](uint32_t argb) {
            TPixmap& p = LockImage(img, 0, true, true);
            for (int y = 0; y < 8; y++)
                for (int x = 0; x < 8; x++) WritePixel(p, x, y, argb);
            UnlockImage(img);
        };
        // drawn outside a paint, as the loading screen is
        SetGraphics(s.can);
        SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
        SetBlend(BLEND_ALPHA);
        SetColor(255, 255, 255);
        fill(0xffff0000);
        DrawImage(img, 0, 0);
        fill(0xff00ff00);
        DrawImage(img, 10, 0);            // same texture, rebuilt between the two draws
        Flip();
        WCHECK(grabpixel(4, 4) == 0xff0000);
        WCHECK(grabpixel(14, 4) == 0x00ff00);
    });
    EXPECT_EQ(rc, 0);
}

// Pictures share atlas pages; a filtered picture drawn magnified and shrunk must show only its
// own edge colours, never its neighbour's.
TEST_F(realwindow, a_filtered_picture_drawn_scaled_shows_nothing_of_its_neighbours) {
    int rc = inscene([](scene& s) {
        auto solid = [](uint32_t argb) {   // a darker first column: drawn from the texture
            TImage* img = CreateImage(6, 6, 1, IMG_FILTERED);
            TPixmap& p = LockImage(img);
            for (int y = 0; y < 6; y++)
                for (int x = 0; x < 6; x++) WritePixel(p, x, y, x ? argb : argb & 0xfff0f0f0u);
            return img;
        };
        // neighbours on the page, placed one after another
        TImage* red = solid(0xffff0000);
        TImage* green = solid(0xff00ff00);
        TImage* blue = solid(0xff0000ff);
        SetGraphics(s.can);
        SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
        SetBlend(BLEND_SOLID);
        SetColor(255, 255, 255);
        SetTransform(0, 1, 1);
        DrawImage(red, 0, 0);
        DrawImage(blue, 0, 0);
        struct tcase {
            float scale, x, y;
        } cases[] = {{12.5f, 10.3f, 10.7f}, {20, 100, 10}, {0.5f, 200.2f, 200.6f}, {1, 250.5f, 200.5f}};
        for (auto c : cases) {
            SetScale(c.scale, c.scale);
            DrawImage(green, c.x, c.y);
        }
        SetScale(1, 1);
        Flip();
        for (auto c : cases) {
            int x0 = static_cast<int>(std::ceil(c.x)), y0 = static_cast<int>(std::ceil(c.y));
            int n = static_cast<int>(6 * c.scale);
            TPixmap p;
            GrabFrontBuffer(x0, y0, std::max(n - 1, 1), std::max(n - 1, 1), p);
            bool pure = true;
            for (int y = 0; y < p.height; y++)
                for (int x = 0; x < p.width; x++) pure &= (ReadPixel(p, x, y) & 0xff00ffu) == 0;
            WCHECK(pure);
        }
    });
    EXPECT_EQ(rc, 0);
}

// A picture of one colour a row (the sky) is drawn as coloured bands, not from the texture:
// it must look as the texture would (within one level), filtered or not, scaled, tinted, half
// transparent, cut by the viewport. The same rows with a last column of another colour go
// through the texture; only the columns clear of it are compared.
TEST_F(realwindow, a_picture_of_one_colour_a_row_looks_as_its_texture_would) {
    int rc = inscene([](scene& s) {
        uint32_t seed = 11;
        auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
        std::vector<uint32_t> rows;      // a curve, a constant stretch, then jumps
        for (int y = 0; y < 24; y++)
            rows.push_back(y < 10 ? 0xff000000u | (10 + y * y * 2) << 16 | 40u << 8 | (200 - y * 15)
                         : y < 16 ? 0xff30a050u : 0xff000000u | (next() * 2654435761u >> 8));
        auto picture = [&](int flags, bool striped) {
            TImage* img = CreateImage(6, 24, 1, flags);
            TPixmap& p = LockImage(img);
            for (int y = 0; y < 24; y++)
                for (int x = 0; x < 6; x++) WritePixel(p, x, y, striped && x == 5 ? 0xff808080u : rows[y]);
            UnlockImage(img);
            return img;
        };
        struct tcase {
            int flags;
            float x, y, sx, sy, alpha;
            int vy, vh;                   // the viewport's rows
        } cases[] = {{IMG_FILTERED, 3, 2.3f, 9, 7.3f, 1, 0, 200},   {IMG_FILTERED, 70.4f, -30.2f, 4, 11.1f, 0.6f, 0, 200},
                     {IMG_FILTERED, 130, 5.6f, 5, 3.3f, 1, 40, 90}, {0, 190, 3.37f, 5, 4.29f, 1, 0, 200},
                     {0, 250.2f, 1.41f, 6, 7.13f, 0.7f, 20, 120}};
        // (unfiltered: no pixel centre sits on the edge between two rows, where the rasteriser
        // and the texture may each take either)
        int worst = 0;
        for (auto c : cases) {
            auto draw = [&](TImage* img) {
                return s.frame([&] {
                    SetColor(90, 20, 60);
                    DrawRect(0, 0, 320, 200);
                    SetViewport(0, c.vy, 320, c.vh);
                    SetColor(255, 230, 200);
                    SetAlpha(c.alpha);
                    SetTransform(0, c.sx, c.sy);
                    DrawImage(img, c.x, c.y);
                }, static_cast<int>(c.x) + 1, 0, static_cast<int>(3 * c.sx), 200);
            };
            TImage* bands = picture(c.flags, false);
            std::vector<uint8_t> a = draw(bands), b = draw(picture(c.flags, true));
            WCHECK(!atlas::at(bands->frames[0]).bands.empty() && a.size() == b.size());
            for (size_t i = 0; i < a.size() && a.size() == b.size(); i++) worst = std::max(worst, std::abs(a[i] - b[i]));
        }
        WCHECK(worst <= 1);
        if (worst > 1) std::fprintf(stderr, "a channel differs by %d\n", worst);
    });
    EXPECT_EQ(rc, 0);
}

// A large filtered picture drawn texel for pixel takes the nearest texel: the same pixels as
// filtering gives, and only then (not half a pixel off, scaled or turned).
TEST_F(realwindow, the_nearest_texel_is_taken_only_where_filtering_gives_the_same) {
    int rc = inscene([](scene& s) {
        TImage* pic = noisepicture(150, 120, 5);
        struct tcase {
            float x, y, turn, scale;
        } cases[] = {{3, 2, 0, 1}, {160.5f, 10, 0, 1}, {20, 70.25f, 0, 1}, {170, 75, 0, 1.01f}, {100, 40, 0.5f, 1}};
        for (auto c : cases) {
            auto draw = [&](bool near) {
                plat::texelforpixel = near;
                std::vector<uint8_t> shot = s.frame([&] {
                    SetTransform(c.turn, c.scale, c.scale);
                    DrawImage(pic, c.x, c.y);
                });
                plat::texelforpixel = true;
                return shot;
            };
            std::vector<uint8_t> a = draw(true), b = draw(false);
            WCHECK(!a.empty() && a == b);
        }
    });
    EXPECT_EQ(rc, 0);
}

// Under a render scale of half a pixel per canvas pixel the frame is drawn at 160 x 120 and
// shown scaled to the 320 x 240 canvas: upright, clipped where the viewport says, and a picture
// drawn texel for drawn pixel (the canvas scaled by 2, as a playfield) still takes the nearest
// texel, with the pixels filtering gives.
TEST_F(realwindow, a_scaled_scene_is_shown_upright_clipped_and_texel_for_pixel) {
    int rc = inscene([](scene& s) {
        SetRenderScale(0.5f);
        TImage* pic = noisepicture(100, 80, 9);
        ModelviewIdentity();
        ModelviewScale(2, 2);
        std::vector<uint8_t> shot = s.frame([] {
            SetViewport(0, 0, 100, 240);  // canvas pixels
            SetBlend(BLEND_SOLID);
            SetColor(255, 0, 0);
            DrawRect(10, 10, 50, 40);     // canvas 20..120 x 20..100, clipped at 100
        }, 0, 0, 320, 240);
        auto at = [&](int x, int y) {
            const uint8_t* q = &shot[(static_cast<size_t>(y) * 320 + x) * 4];
            return static_cast<uint32_t>(q[0] << 16 | q[1] << 8 | q[2]);
        };
        WCHECK(shot.size() == 320u * 240 * 4);
        if (shot.size() == 320u * 240 * 4) {
            WCHECK(at(60, 30) == 0xff0000 && at(97, 90) == 0xff0000);   // inside, top rows on top
            WCHECK(at(10, 60) == 0 && at(60, 110) == 0 && at(60, 10) == 0);
            WCHECK(at(104, 60) == 0);     // beyond the viewport
        }
        auto draw = [&](bool near) {
            plat::texelforpixel = near;
            std::vector<uint8_t> out = s.frame([&] { DrawImage(pic, 7, 5); }, 0, 0, 320, 240);
            plat::texelforpixel = true;
            return out;
        };
        std::vector<uint8_t> a = draw(true), b = draw(false);
        WCHECK(!a.empty() && a == b);
        ModelviewIdentity();
        SetRenderScale(0);
    });
    EXPECT_EQ(rc, 0);
}

// Under a quarter of a pixel per canvas pixel the scene is drawn at 80 x 60 and scaled; what is
// drawn after DrawInterface lands at the canvas's own pixels over it, exact where the same lines
// in the scene are smeared, and the next frame's scene is scaled again.
TEST_F(realwindow, the_interface_is_drawn_at_the_canvas_pixels_over_a_scaled_scene) {
    int rc = inscene([](scene& s) {
        SetRenderScale(0.25f, 0);
        auto lines = [](float x0) {       // one-pixel white lines, a pixel apart, over red
            SetColor(255, 255, 255);
            for (float x = x0; x < x0 + 40; x += 2) DrawRect(x, 100, 1, 40);
        };
        auto paint = [&](bool interface) {
            return s.frame([&] {
                SetBlend(BLEND_SOLID);
                SetColor(255, 0, 0);
                DrawRect(0, 0, 320, 240);
                lines(20);
                if (interface) DrawInterface();
                lines(100);
            }, 0, 0, 320, 240);
        };
        auto sharp = [](const std::vector<uint8_t>& shot, int x0) {
            for (int x = x0; x < x0 + 40; x++) {
                const uint8_t* q = &shot[(static_cast<size_t>(120) * 320 + x) * 4];
                uint32_t c = static_cast<uint32_t>(q[0] << 16 | q[1] << 8 | q[2]);
                if (c != ((x - x0) % 2 ? 0xff0000u : 0xffffffu)) return false;
            }
            return true;
        };
        std::vector<uint8_t> over = paint(true), after = paint(false);
        WCHECK(over.size() == 320u * 240 * 4 && after.size() == over.size());
        if (over.size() == 320u * 240 * 4 && after.size() == over.size()) {
            WCHECK(sharp(over, 100));     // the interface
            WCHECK(!sharp(over, 20));     // the scene under it
            WCHECK(!sharp(after, 100));   // a frame without one is all scene
        }
        SetRenderScale(0);
    });
    EXPECT_EQ(rc, 0);
}

// A picture with transparent regions is drawn only where it can show anything; the pixels
// must be exactly those of the whole quad, at any position, scale and turn, under each blend
// that lets transparent texels through.
TEST_F(realwindow, a_trimmed_picture_draws_the_same_pixels_as_the_whole_quad) {
    int rc = inscene([](scene& s) {
        // a skyline-like picture: empty top, a ragged filled bottom, scattered faint stars
        TImage* pic = CreateImage(97, 61, 1, IMG_FILTERED);
        TPixmap& p = LockImage(pic);
        uint32_t seed = 7;
        auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
        for (int y = 0; y < 61; y++)
            for (int x = 0; x < 97; x++) {
                uint32_t v = next();
                bool ground = y > 40 + (x * 7 % 13), star = v % 97 == 0;
                if (ground || star) WritePixel(p, x, y, ((star ? 1 + v % 255 : 255u) << 24) | (v * 2654435761u >> 8));
            }
        UnlockImage(pic);
        TImage* noise = CreateImage(8, 8, 1, 0);
        TPixmap& n = LockImage(noise);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) WritePixel(n, x, y, 0xff000000u | (next() * 40503u));
        UnlockImage(noise);
        struct tcase {
            int blend;
            float x, y, turn, scale, alpha;
        } cases[] = {{BLEND_ALPHA, 2, 3, 0, 1, 1},     {BLEND_ALPHA, 110.5f, 3.25f, 0, 1, 0.6f},
                     {BLEND_LIGHT, 215.3f, 2.7f, 0, 0.5f, 1}, {BLEND_MASK, 10, 80, 0, 1.7f, 1},
                     {BLEND_ALPHA, 230, 90, 30, 1.1f, 0.9f}, {BLEND_LIGHT, 140, 110, -75, 0.8f, 0.5f}};
        auto draw = [&](bool trim) {
            plat::trimming = trim;
            std::vector<uint8_t> shot = s.frame([&] {
                SetBlend(BLEND_SOLID);
                SetTransform(0, 40, 30);
                DrawImage(noise, 0, 0);
                for (auto c : cases) {
                    SetBlend(c.blend);
                    SetAlpha(c.alpha);
                    SetColor(255, 220, 180);
                    SetTransform(c.turn, c.scale, c.scale);
                    DrawImage(pic, c.x, c.y);
                }
            });
            plat::trimming = true;
            return shot;
        };
        std::vector<uint8_t> whole = draw(false), trimmed = draw(true);
        int differ = 0;
        for (size_t i = 0; i < whole.size(); i++) differ += whole[i] != trimmed[i];
        WCHECK(!whole.empty() && differ == 0);
        if (differ) std::fprintf(stderr, "%d bytes differ\n", differ);
        WCHECK(atlas::at(pic->frames[0]).trimmed);
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(realwindow, keys_and_mouse_arrive_as_the_games_codes) {
    if (!have("xdotool")) GTEST_SKIP() << "no xdotool";
    int rc = inscene([](scene& s) {
        int bar = GadgetHeight(s.win) - ClientHeight(s.win);
        std::string cmd = "xdotool search --name VHWT windowfocus --sync >/dev/null 2>&1;"
                          " xdotool key --delay 30 F2 a Return shift+e Left Escape"
                          " mousemove 50 " + std::to_string(bar + 60) + " click 3 click 1"
                          " click 4 >/dev/null 2>&1";
        WCHECK(std::system(cmd.c_str()) == 0);
        WCHECK(s.until([&] { return s.seen(EVENT_MOUSEWHEEL, 1); }));
        WCHECK(s.seen(EVENT_KEYDOWN, 113));
        WCHECK(s.seen(EVENT_KEYUP, 113));
        WCHECK(s.seen(EVENT_KEYDOWN, 65));
        WCHECK(s.seen(EVENT_KEYCHAR, 'a'));
        WCHECK(s.seen(EVENT_KEYDOWN, 13));
        WCHECK(s.seen(EVENT_KEYDOWN, 16));
        WCHECK(s.seen(EVENT_KEYDOWN, 69));
        WCHECK(s.seen(EVENT_KEYCHAR, 'E'));
        WCHECK(s.seen(EVENT_KEYDOWN, 37));
        WCHECK(s.seen(EVENT_KEYDOWN, 27));
        const TEvent* e = s.find(EVENT_KEYDOWN, 69);
        WCHECK(e && (e->mods & MODIFIER_SHIFT));
        const TEvent* right = s.find(EVENT_MOUSEDOWN, 2);
        WCHECK(right && right->x == 50 && right->y == 60 && right->source == s.can);
        WCHECK(s.seen(EVENT_MOUSEUP, 2));
        WCHECK(s.seen(EVENT_MOUSEDOWN, 1));
        WCHECK(s.seen(EVENT_MOUSEENTER, 0));
        bool moved = false;
        for (auto& ev : s.events) moved |= ev.id == EVENT_MOUSEMOVE && ev.x == 50 && ev.y == 60;
        WCHECK(moved);
        // menu mnemonics: a bar entry without children is a command itself; an entry in a
        // drop-down reports its tag and keeps the tick state the game gives it
        WCHECK(std::system("xdotool key --delay 150 alt+p alt+g s >/dev/null 2>&1") == 0);
        WCHECK(s.until([&] { return s.seen(EVENT_MENUACTION, 1); }));
        const TEvent* pause = s.find(EVENT_MENUACTION, 6);
        WCHECK(pause && MenuTag(static_cast<TGadget*>(pause->source)) == 6);
        WCHECK(MenuChecked(s.start) == 0);
    });
    EXPECT_EQ(rc, 0);
}

namespace {
// Runs `body` in a child process on the desktop back end without a display (sound only).
int indesktop(const char* aldrivers, const std::function<void()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("ALSOFT_DRIVERS", aldrivers, 1);
        static char arg0[] = "varnhold_tests";
        static char* argv[] = {arg0, nullptr};
        PlatformInit(tbackend::windowed, 1, argv);
        failures = 0;
        body();
        std::fflush(stderr);
        _exit(failures ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string shortogg() { return encodeogg(1, 8000, 0.2); }
}  // namespace

// The game asks for "the window": in this build that is the desktop; the browser's back end is
// not linked in, and asking for it by name leaves the desktop running.
TEST(desktopsound, the_window_asked_for_is_the_desktop_and_the_page_is_not_built_in) {
    int rc = indesktop("null", [] {
        WCHECK(PlatformBackend() == tbackend::desktop);
        WCHECK(!PlatformInit(tbackend::web));
        WCHECK(PlatformBackend() == tbackend::desktop);
        WCHECK(PlatformInit(tbackend::headless) && PlatformBackend() == tbackend::headless);
    });
    EXPECT_EQ(rc, 0);
}

TEST(desktopsound, sources_sit_on_the_unit_circle_and_finish) {
    std::string ogg = shortogg();
    ASSERT_FALSE(ogg.empty());
    int rc = indesktop("null", [&] {
        RegisterIncbin("t/short.ogg", ogg);
        SetAudioDriver("openal");
        TSound* s = LoadSound("incbin::t/short.ogg");
        WCHECK(s != nullptr);
        TChannel* c = AllocChannel();
        WCHECK(c->voice != 0);           // the null device still mixes
        CueSound(s, c);
        SetChannelPan(c, 1);
        float x = 0, y = 0, z = 0;
        alGetSource3f(c->voice, AL_POSITION, &x, &y, &z);
        WCHECK(std::fabs(x - 1) < 1e-6 && std::fabs(z) < 1e-6);
        SetChannelPan(c, -0.5f);
        alGetSource3f(c->voice, AL_POSITION, &x, &y, &z);
        WCHECK(std::fabs(x + 0.70710678f) < 1e-5 && y == 0 && std::fabs(z + 0.70710678f) < 1e-5);
        SetChannelRate(c, 4);
        float pitch = 0;
        alGetSourcef(c->voice, AL_PITCH, &pitch);
        WCHECK(pitch == 4);
        WCHECK(ChannelPlaying(c) == 0);   // cued, not started
        ResumeChannel(c);
        WCHECK(ChannelPlaying(c) == 1);
        PauseChannel(c);
        WCHECK(ChannelPlaying(c) == 0);
        ResumeChannel(c);
        for (int i = 0; i < 400 && ChannelPlaying(c); i++) usleep(5000);   // 0.05 s of sound at rate 4
        WCHECK(ChannelPlaying(c) == 0);
    });
    EXPECT_EQ(rc, 0);
}

TEST(desktopsound, no_sound_device_means_silence_and_nothing_else) {
    std::string ogg = shortogg();
    int rc = indesktop("no-such-driver", [&] {
        // nothing may reach the terminal: catch what would be written
        char name[] = "/tmp/vh_alstderrXXXXXX";
        int fd = mkstemp(name);
        int saved = dup(2);
        dup2(fd, 2);
        RegisterIncbin("t/short.ogg", ogg);
        SetAudioDriver("openal");
        TSound* s = LoadSound("incbin::t/short.ogg");
        TChannel* c = AllocChannel();
        CueSound(s, c);
        SetChannelVolume(c, 0.5f);
        SetChannelPan(c, 0.3f);
        ResumeChannel(c);
        int playing = ChannelPlaying(c);
        for (int i = 0; i < 400 && ChannelPlaying(c); i++) usleep(5000);   // runs on the clock
        std::fflush(stderr);
        dup2(saved, 2);
        off_t written = lseek(fd, 0, SEEK_END);
        close(fd);
        unlink(name);
        WCHECK(s != nullptr);
        WCHECK(c->voice == 0);
        WCHECK(playing == 1);
        WCHECK(ChannelPlaying(c) == 0);
        WCHECK(c->volume == 0.5f && c->pan == 0.3f);
        WCHECK(written == 0);
    });
    EXPECT_EQ(rc, 0);
}
