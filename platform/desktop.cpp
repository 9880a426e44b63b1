// The desktop back end: a Qt main window with its native menu bar, an OpenGL 3.3 core canvas
// drawn through the batcher, Qt timers with exact tick accounting, message boxes.
//
// Events from Qt reach the game's hook at once, one at a time. An event that arrives while the
// game is still handling another (a modal message box runs its own loop) waits in a queue and
// follows when that handling is done; timer ticks that fall due meanwhile are dropped, so a game
// paused behind a box does not race through the minutes it was open. The canvas draws inside
// paintGL, where its framebuffer is bound; a paint that comes while the game is busy keeps the
// last picture and asks for another paint afterwards.
// Qt's "emit" keyword would clash with the platform's own emit.
#define QT_NO_KEYWORDS
#include <QApplication>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLWidget>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

#include "platform/internal.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Event delivery

struct tqueued {
    int id;
    void* source;
    int data, mods, x, y;
};
int busy = 0;                            // > 0 while the game handles an event from here
std::deque<tqueued> queue;
bool repaintafter = false;
QApplication* app = nullptr;

void post(int id, void* source, int data = 0, int mods = 0, int x = 0, int y = 0);

void drain() {
    while (!queue.empty()) {
        tqueued q = queue.front();
        queue.pop_front();
        busy++;
        plat::emit(q.id, q.source, q.data, q.mods, q.x, q.y);
        busy--;
    }
}

void post(int id, void* source, int data, int mods, int x, int y) {
    if (busy > 0) {
        queue.push_back(tqueued{id, source, data, mods, x, y});
        return;
    }
    busy++;
    plat::emit(id, source, data, mods, x, y);
    busy--;
    drain();
}

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

int modifiers(Qt::KeyboardModifiers m) {
    int r = 0;
    if (m & Qt::ShiftModifier) r |= MODIFIER_SHIFT;
    if (m & Qt::ControlModifier) r |= MODIFIER_CONTROL;
    if (m & Qt::AltModifier) r |= MODIFIER_OPTION;
    if (m & Qt::MetaModifier) r |= MODIFIER_SYSTEM;
    return r;
}

// Qt key to the Windows virtual-key number; 0 for keys without one.
int vkey(const QKeyEvent* e) {
    int k = e->key();
    bool pad = (e->modifiers() & Qt::KeypadModifier) != 0;
    if (pad && k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;                 // same numbers
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: case Qt::Key_AltGr: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_Asterisk: return pad ? 106 : 56;
    case Qt::Key_Plus: return pad ? 107 : 187;
    case Qt::Key_Minus: return pad ? 109 : 189;
    case Qt::Key_Period: return pad ? 110 : 190;
    case Qt::Key_Slash: return pad ? 111 : 191;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: case Qt::Key_Less: return 188;
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Greater: return 190;
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    // shifted digits of a US keyboard come back as their digit keys
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
    }
}

// Virtual-key number back to a Qt key, for menu accelerators.
int qtkey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= 112 && vk <= 135) return Qt::Key_F1 + (vk - 112);
    switch (vk) {
    case 8: return Qt::Key_Backspace;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    case 46: return Qt::Key_Delete;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// The canvas and its renderer

const char* vertexshader = R"(#version 330 core
layout(location = 0) in vec2 pos;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec4 col;
layout(location = 3) in int unit;
uniform vec2 size;
out vec2 vuv;
out vec4 vcol;
flat out int vunit;
void main() {
    gl_Position = vec4(pos.x / size.x * 2.0 - 1.0, 1.0 - pos.y / size.y * 2.0, 0.0, 1.0);
    vuv = uv;
    vcol = col;
    vunit = unit;
}
)";

// Samplers in an array may only be indexed by constants here, hence the switch; the gradients
// are taken outside it so that mipmapped pictures pick the right level.
const char* fragmentshader = R"(#version 330 core
in vec2 vuv;
in vec4 vcol;
flat in int vunit;
uniform sampler2D tex[16];
uniform float alphatest;
out vec4 frag;
void main() {
    vec2 gx = dFdx(vuv), gy = dFdy(vuv);
    vec4 t = vec4(1.0);
    switch (vunit) {
    case 0: t = textureGrad(tex[0], vuv, gx, gy); break;
    case 1: t = textureGrad(tex[1], vuv, gx, gy); break;
    case 2: t = textureGrad(tex[2], vuv, gx, gy); break;
    case 3: t = textureGrad(tex[3], vuv, gx, gy); break;
    case 4: t = textureGrad(tex[4], vuv, gx, gy); break;
    case 5: t = textureGrad(tex[5], vuv, gx, gy); break;
    case 6: t = textureGrad(tex[6], vuv, gx, gy); break;
    case 7: t = textureGrad(tex[7], vuv, gx, gy); break;
    case 8: t = textureGrad(tex[8], vuv, gx, gy); break;
    case 9: t = textureGrad(tex[9], vuv, gx, gy); break;
    case 10: t = textureGrad(tex[10], vuv, gx, gy); break;
    case 11: t = textureGrad(tex[11], vuv, gx, gy); break;
    case 12: t = textureGrad(tex[12], vuv, gx, gy); break;
    case 13: t = textureGrad(tex[13], vuv, gx, gy); break;
    case 14: t = textureGrad(tex[14], vuv, gx, gy); break;
    case 15: t = textureGrad(tex[15], vuv, gx, gy); break;
    }
    vec4 c = vcol * t;
    if (vunit == -2) c.a *= clamp(vuv.x + 0.5 - abs(vuv.y), 0.0, 1.0);   // smooth line edge
    if (c.a < alphatest) discard;
    frag = c;
}
)";

class tcanvas : public QOpenGLWidget, protected QOpenGLExtraFunctions {
public:
    TGadget* g;
    bool inpaint = false;                 // paintGL is running: context current, framebuffer bound
    bool presenting = false;              // a repaint asked for by Flip outside paintGL
    bool ready = false;                   // the renderer is built
    int wheel = 0;                        // eighths of a degree not yet a whole notch

    explicit tcanvas(TGadget* gadget, QWidget* parent) : QOpenGLWidget(parent), g(gadget) {
        setUpdateBehavior(QOpenGLWidget::PartialUpdate);   // the game never clears: keep the picture
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    int devw() const { return static_cast<int>(std::lround(width() * devicePixelRatioF())); }
    int devh() const { return static_cast<int>(std::lround(height() * devicePixelRatioF())); }

    // Context current and our framebuffer bound, inside paintGL or not; false when there is none.
    bool current() {
        if (width() <= 0 || height() <= 0) return false;
        if (!inpaint) {
            if (!context()) return false;
            makeCurrent();
        }
        if (!ready) return false;
        return true;
    }

    void initializeGL() override {
        initializeOpenGLFunctions();
        prog = glCreateProgram();
        GLuint vs = compile(GL_VERTEX_SHADER, vertexshader);
        GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentshader);
        glAttachShader(prog, vs);
        glAttachShader(prog, fs);
        glLinkProgram(prog);
        GLint ok = 0;
        glGetProgramiv(prog, GL_LINK_STATUS, &ok);
        glDeleteShader(vs);
        glDeleteShader(fs);
        if (!ok || context()->format().version() < qMakePair(3, 3)) {
            char log[1024] = {};
            glGetProgramInfoLog(prog, sizeof log - 1, nullptr, log);
            if (log[0]) std::fprintf(stderr, "%s\n", log);
            // Without its renderer the game would only show a black window: say why and stop.
            Notify("This game needs OpenGL 3.3, which this display does not offer.", 1);
            EndProcess(1);
        }
        glUseProgram(prog);
        for (int i = 0; i < tbatch::maxunits; i++) {
            std::string name = "tex[" + std::to_string(i) + "]";
            glUniform1i(glGetUniformLocation(prog, name.c_str()), i);
        }
        usize = glGetUniformLocation(prog, "size");
        ualphatest = glGetUniformLocation(prog, "alphatest");
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glGenBuffers(1, &ibo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
        const GLsizei stride = sizeof(tvertex);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(tvertex, x)));
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(tvertex, u)));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(tvertex, r)));
        glEnableVertexAttribArray(3);
        glVertexAttribIPointer(3, 1, GL_INT, stride, reinterpret_cast<void*>(offsetof(tvertex, unit)));
        ready = true;
        blank();
    }

    void resizeGL(int, int) override {
        if (ready) blank();               // a new framebuffer: black until the game draws
    }

    void paintGL() override {
        if (presenting) return;           // Flip's own repaint: the picture is already there
        if (busy > 0) {                  // the game is busy (a message box): keep the picture
            repaintafter = true;
            return;
        }
        inpaint = true;
        g->paintpending = false;
        post(EVENT_GADGETPAINT, g);
        plat::batch.flush();              // a paint handler that forgot to Flip still shows
        inpaint = false;
    }

    void blank() {
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void scissor(const tbatchstate& st) {
        glViewport(0, 0, devw(), devh());
        glEnable(GL_SCISSOR_TEST);
        glScissor(st.sx, devh() - st.sy - std::max(st.sh, 0), std::max(st.sw, 0), std::max(st.sh, 0));
    }

    void clear(const tbatchstate& st) {
        if (!current()) return;
        scissor(st);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void submit(tbatch& b) {
        if (!current() || b.verts.empty()) return;
        glUseProgram(prog);
        glBindVertexArray(vao);
        scissor(b.state);
        // The canvas stays opaque: only colour is written, alpha stays 1 for the compositor.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
        float test = -1;
        switch (b.state.blend) {
        case BLEND_MASK: glDisable(GL_BLEND); test = 0.5f; break;
        case BLEND_ALPHA: glEnable(GL_BLEND); glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
        case BLEND_LIGHT: glEnable(GL_BLEND); glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
        case BLEND_SHADE: glEnable(GL_BLEND); glBlendFunc(GL_DST_COLOR, GL_ZERO); break;
        default: glDisable(GL_BLEND); break;
        }
        glUniform1f(ualphatest, test);
        glUniform2f(usize, static_cast<float>(devw()), static_cast<float>(devh()));
        for (int i = 0; i < b.nunits; i++) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, b.units[i]);
        }
        size_t quads = b.verts.size() / 4;
        if (quads > indexquads) {
            std::vector<GLuint> idx;
            size_t n = std::max(quads, indexquads * 2 + 1024);
            idx.reserve(n * 6);
            for (GLuint q = 0; q < n; q++)
                for (GLuint k : {0u, 1u, 2u, 0u, 2u, 3u}) idx.push_back(q * 4 + k);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(idx.size() * sizeof(GLuint)), idx.data(),
                         GL_STATIC_DRAW);
            indexquads = n;
        }
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.verts.size() * sizeof(tvertex)), nullptr,
                     GL_STREAM_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(b.verts.size() * sizeof(tvertex)), b.verts.data());
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT, nullptr);
        glActiveTexture(GL_TEXTURE0);
    }

    unsigned upload(TImage* img, int frame) {
        if (!current()) return 0;
        const TPixmap& p = img->pixmaps[frame];
        GLuint name = img->frames[frame];
        if (!name) glGenTextures(1, &name);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, name);
        const uint8_t* px = p.pixels.data();
        std::vector<uint8_t> masked;
        if (img->flags & IMG_MASKED) {
            masked.assign(p.pixels.begin(), p.pixels.end());
            for (int y = 0; y < p.height; y++)
                for (int x = 0; x < p.width; x++) {
                    uint8_t* q = &masked[static_cast<size_t>(y) * p.pitch + x * 4];
                    if (q[0] == img->mask_r && q[1] == img->mask_g && q[2] == img->mask_b) q[3] = 0;
                }
            px = masked.data();
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, p.pitch / 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, p.width, p.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     p.pixels.empty() ? nullptr : px);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        bool filtered = img->flags & IMG_FILTERED, mip = img->flags & IMG_MIPMAPPED;
        if (mip) glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        mip ? (filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                            : (filtered ? GL_LINEAR : GL_NEAREST));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        return name;
    }

    void grab(int x, int y, int w, int h, TPixmap& out) {
        if (!current()) return;
        int fw = devw(), fh = devh();
        int x0 = std::max(x, 0), y0 = std::max(y, 0), x1 = std::min(x + w, fw), y1 = std::min(y + h, fh);
        if (x1 <= x0 || y1 <= y0) return;
        int cw = x1 - x0, ch = y1 - y0;
        std::vector<uint8_t> buf(static_cast<size_t>(cw) * ch * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, defaultFramebufferObject());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, fh - y1, cw, ch, GL_RGBA, GL_UNSIGNED_BYTE, buf.data());
        // OpenGL rows run bottom to top
        for (int r = 0; r < ch; r++) {
            uint8_t* dst = &out.pixels[static_cast<size_t>(y0 - y + r) * out.pitch + static_cast<size_t>(x0 - x) * 4];
            std::memcpy(dst, &buf[static_cast<size_t>(ch - 1 - r) * cw * 4], static_cast<size_t>(cw) * 4);
            for (int i = 0; i < cw; i++) dst[i * 4 + 3] = 255;
        }
    }

    void present() {
        if (inpaint || !isVisible() || width() <= 0 || height() <= 0) return;
        // Drawn outside a paint (the loading screen): show it now. A window shown a moment ago
        // is not mapped yet; let the window system map and expose it first.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        presenting = true;
        repaint();
        presenting = false;
    }

protected:
    int pos(double v) const { return static_cast<int>(std::floor(v * devicePixelRatioF())); }

    void keyPressEvent(QKeyEvent* e) override {
        int vk = vkey(e), m = modifiers(e->modifiers());
        if (vk) post(EVENT_KEYDOWN, g, vk, m);
        for (QChar c : e->text())
            if (c.unicode() > 0 && c.unicode() <= 255) post(EVENT_KEYCHAR, g, c.unicode(), m);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat()) return;    // a held key: only further presses, one release at the end
        int vk = vkey(e);
        if (vk) post(EVENT_KEYUP, g, vk, modifiers(e->modifiers()));
    }
    static int button(Qt::MouseButton b) {
        switch (b) {
        case Qt::LeftButton: return 1;
        case Qt::RightButton: return 2;
        case Qt::MiddleButton: return 3;
        default: return 0;
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (int b = button(e->button()))
            post(EVENT_MOUSEDOWN, g, b, modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (int b = button(e->button()))
            post(EVENT_MOUSEUP, g, b, modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        post(EVENT_MOUSEMOVE, g, 0, modifiers(e->modifiers()), pos(e->position().x()), pos(e->position().y()));
    }
    void wheelEvent(QWheelEvent* e) override {
        wheel += e->angleDelta().y();
        int notches = wheel / 120;
        wheel -= notches * 120;
        if (notches)
            post(EVENT_MOUSEWHEEL, g, notches, modifiers(e->modifiers()), pos(e->position().x()),
                 pos(e->position().y()));
        e->accept();
    }
    void enterEvent(QEnterEvent* e) override {
        post(EVENT_MOUSEENTER, g, 0, 0, pos(e->position().x()), pos(e->position().y()));
    }
    void leaveEvent(QEvent*) override { post(EVENT_MOUSELEAVE, g); }
    bool focusNextPrevChild(bool) override { return false;   /* Tab is a key like any other */ }

private:
    GLuint prog = 0, vao = 0, vbo = 0, ibo = 0;
    GLint usize = -1, ualphatest = -1;
    size_t indexquads = 0;

    GLuint compile(GLenum kind, const char* src) {
        GLuint s = glCreateShader(kind);
        glShaderSource(s, 1, &src, nullptr);
        glCompileShader(s);
        GLint ok = 0;
        glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024] = {};
            glGetShaderInfoLog(s, sizeof log - 1, nullptr, log);
            std::fprintf(stderr, "%s\n", log);
        }
        return s;
    }
};

tcanvas* canvasof(TGadget* g) {
    return g && g->kind == tgadgetkind::canvas ? static_cast<tcanvas*>(g->native) : nullptr;
}
tcanvas* currentcanvas() { return canvasof(plat::canvas); }

// ---------------------------------------------------------------------------------------------
// The window: its client area lays out the canvases by their edge rules.

class tclient : public QWidget {
public:
    TGadget* g;
    tclient(TGadget* gadget, QWidget* parent) : QWidget(parent), g(gadget) {}
    void resizeEvent(QResizeEvent*) override;
};

class twindow : public QMainWindow {
public:
    TGadget* g;
    tclient* client;
    int barheight = 0;                    // the menu bar's height, also while it is still empty
    explicit twindow(TGadget* gadget) : g(gadget) {
        client = new tclient(gadget, this);
        setCentralWidget(client);
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();                      // the game decides: it ends the process itself
        post(EVENT_WINDOWCLOSE, g);
    }
    void moveEvent(QMoveEvent*) override {
        g->x = x();
        g->y = y();
        post(EVENT_WINDOWMOVE, g, 0, 0, g->x, g->y);
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        g->w = width();
        g->h = height();
        post(EVENT_WINDOWSIZE, g, 0, 0, g->w, g->h);
    }
};

twindow* windowof(TGadget* g) {
    return g && g->kind == tgadgetkind::window ? static_cast<twindow*>(g->native) : nullptr;
}

// Distances of a child's edges from its parent's, kept from when its shape was last set.
struct tmargins {
    int right = 0, bottom = 0;
};
std::vector<std::pair<TGadget*, tmargins>> margins;

tmargins& marginsof(TGadget* g) {
    for (auto& m : margins)
        if (m.first == g) return m.second;
    margins.push_back({g, tmargins{}});
    return margins.back().second;
}

void notemargins(TGadget* g) {
    if (!g->parent) return;
    tmargins& m = marginsof(g);
    m.right = dsk::clientwidth(g->parent) - (g->x + g->w);
    m.bottom = dsk::clientheight(g->parent) - (g->y + g->h);
}

// Places the canvases of a window whose client area is now cw x ch.
void layoutkids(TGadget* g, int cw, int ch) {
    for (TGadget* k : g->kids) {
        if (k->kind != tgadgetkind::canvas || !k->native) continue;
        tmargins& m = marginsof(k);
        int x = k->x, y = k->y, w = k->w, h = k->h;
        if (k->layout[1] == 1) {
            if (k->layout[0] == 1)
                w = std::max(0, cw - m.right - x);
            else
                x = cw - m.right - w;
        }
        if (k->layout[3] == 1) {
            if (k->layout[2] == 1)
                h = std::max(0, ch - m.bottom - y);
            else
                y = ch - m.bottom - h;
        }
        k->x = x;
        k->y = y;
        k->w = w;
        k->h = h;
        static_cast<QWidget*>(canvasof(k))->setGeometry(x, y, w, h);
    }
}

void tclient::resizeEvent(QResizeEvent*) { layoutkids(g, width(), height()); }

// ---------------------------------------------------------------------------------------------
// Menus: every gadget keeps one QAction; an entry that gets children becomes a QMenu.

struct tmenuitem {
    QAction* action = nullptr;
    QMenu* menu = nullptr;
};

tmenuitem* itemof(TGadget* g) { return g ? static_cast<tmenuitem*>(g->native) : nullptr; }

void sync(TGadget* g) {
    tmenuitem* it = itemof(g);
    if (!it || !it->action) return;
    if (it->menu)
        it->menu->setTitle(latin1(g->text));
    else
        it->action->setText(latin1(g->text));
    it->action->setCheckable(g->checkable);
    it->action->setChecked(g->checked);
    it->action->setEnabled(g->enabled);
}

void chosen(TGadget* g) {
    // Qt has already toggled a checkable action: show the state the game keeps, and let the
    // game decide (its menu wrapper ticks and unticks).
    sync(g);
    post(EVENT_MENUACTION, g, g->tag);
}

// The widget that holds g's entry: the menu bar, or the parent's drop-down.
QWidget* holder(TGadget* g) {
    TGadget* p = g->parent;
    if (!p) return nullptr;
    if (p->kind == tgadgetkind::menuroot) {
        twindow* w = windowof(p->parent);
        return w ? w->menuBar() : nullptr;
    }
    tmenuitem* pi = itemof(p);
    if (!pi) return nullptr;
    if (!pi->menu) {
        // the parent gets its first child: it turns from a command into a drop-down
        QWidget* h = holder(p);
        if (!h) return nullptr;
        pi->menu = new QMenu(latin1(p->text), h);
        QAction* old = pi->action;
        if (auto* bar = qobject_cast<QMenuBar*>(h))
            bar->insertMenu(old, pi->menu);
        else if (auto* m = qobject_cast<QMenu*>(h))
            m->insertMenu(old, pi->menu);
        h->removeAction(old);
        old->deleteLater();
        pi->action = pi->menu->menuAction();
        pi->action->setEnabled(p->enabled);
    }
    return pi->menu;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

namespace dsk {

void init(int argc, char** argv) {
    static int qargc = 1;
    static char name[] = "varnhold";
    static char* qargv[] = {name, nullptr};
    if (argc > 0 && argv) qargv[0] = argv[0];
    (void)qargc;
    QSurfaceFormat f;
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(0);
    f.setStencilBufferSize(0);
    f.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(f);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    app = new QApplication(qargc, qargv);
    QApplication::setApplicationName("Varnhold");
    QObject::connect(app, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
        static bool active = false;
        bool now = s == Qt::ApplicationActive;
        if (now == active) return;
        active = now;
        post(now ? EVENT_APPRESUME : EVENT_APPSUSPEND, nullptr);
    });
}

void createwindow(TGadget* g) {
    twindow* w = new twindow(g);
    g->native = w;
    w->setWindowTitle(latin1(g->text));
    if (g->style & WINDOW_MENU) {
        // An empty menu bar is lower than one with entries; reserve the full height from the
        // start so the client area does not shrink when the menus arrive.
        QMenuBar probe;
        probe.addAction("&Game");
        w->barheight = probe.sizeHint().height();
        w->menuBar()->setMinimumHeight(w->barheight);
        w->menuBar()->setNativeMenuBar(true);
    } else {
        w->setMenuBar(nullptr);
    }
    if (g->style & WINDOW_TOOL) w->setWindowFlag(Qt::Tool);
    if (g->style & WINDOW_CLIENTCOORDS) g->h += w->barheight;
    setshape(g);
    if (g->visible) show(g);
}

// The canvas needs an OpenGL 3.3 context; without one the game could only show a black window.
void needopengl() {
    static bool checked = false;
    if (checked) return;
    checked = true;
    QOpenGLContext probe;
    if (!probe.create() || probe.format().version() < qMakePair(3, 3)) {
        Notify("This game needs OpenGL 3.3, which this display does not offer.", 1);
        EndProcess(1);
    }
}

void createcanvas(TGadget* g) {
    needopengl();
    twindow* w = windowof(g->parent);
    QWidget* parent = w ? static_cast<QWidget*>(w->client) : nullptr;
    tcanvas* c = new tcanvas(g, parent);
    g->native = c;
    c->setGeometry(g->x, g->y, g->w, g->h);
    notemargins(g);
    if (w) w->setFocusProxy(c);
    c->show();
}

void createmenu(TGadget* g) {
    auto* it = new tmenuitem;
    g->native = it;
    QWidget* h = holder(g);
    if (!h) return;
    if (g->text.empty() && g->tag == 0) {
        it->action = new QAction(h);
        it->action->setSeparator(true);
    } else {
        it->action = new QAction(latin1(g->text), h);
        if (int k = qtkey(g->hotkey)) {
            int mod = 0;
            if (g->modifier & MODIFIER_SHIFT) mod |= Qt::SHIFT;
            if (g->modifier & MODIFIER_CONTROL) mod |= Qt::CTRL;
            if (g->modifier & MODIFIER_OPTION) mod |= Qt::ALT;
            it->action->setShortcut(QKeySequence(k | mod));
        }
        QObject::connect(it->action, &QAction::triggered, [g](bool) { chosen(g); });
    }
    h->addAction(it->action);
    sync(g);
}

void updatemenu(TGadget* item) { sync(item); }

void updatemenubar(TGadget* window) {
    if (twindow* w = windowof(window)) w->menuBar()->update();
}

void setshape(TGadget* g) {
    if (twindow* w = windowof(g)) {
        w->move(g->x, g->y);
        if (g->style & WINDOW_RESIZABLE) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            w->resize(g->w, g->h);
        } else {
            w->setFixedSize(g->w, g->h);
        }
        // A hidden window gets its resize events only when shown: place the canvases now so
        // that their size can be read at once.
        if (!w->isVisible()) layoutkids(g, clientwidth(g), clientheight(g));
    } else if (tcanvas* c = canvasof(g)) {
        c->setGeometry(g->x, g->y, g->w, g->h);
        notemargins(g);
    }
}

void settext(TGadget* g) {
    if (twindow* w = windowof(g)) w->setWindowTitle(latin1(g->text));
}

void readshape(TGadget* g) {
    if (twindow* w = windowof(g)) {
        if (!w->isVisible()) return;      // hidden: the shape last set stands
        g->x = w->x();
        g->y = w->y();
        g->w = w->width();
        g->h = w->height();
    } else if (tcanvas* c = canvasof(g)) {
        g->x = c->x();
        g->y = c->y();
        g->w = c->width();
        g->h = c->height();
    }
}

int clientwidth(TGadget* g) {
    if (windowof(g)) return g->w;
    return g->w;
}

int clientheight(TGadget* g) {
    if (twindow* w = windowof(g)) return std::max(0, g->h - w->barheight);
    return g->h;
}

void show(TGadget* g) {
    if (twindow* w = windowof(g)) {
        w->show();
        w->raise();
        w->activateWindow();
    } else if (tcanvas* c = canvasof(g)) {
        c->show();
    }
}

void activate(TGadget* g) {
    if (twindow* w = windowof(g)) {
        w->raise();
        w->activateWindow();
    } else if (tcanvas* c = canvasof(g)) {
        c->activateWindow();
        c->setFocus(Qt::OtherFocusReason);
    }
}

void redraw(TGadget* g) {
    if (tcanvas* c = canvasof(g)) c->update();
}

void setgraphics(TGadget* g) {
    if (tcanvas* c = canvasof(g))
        if (!c->inpaint && c->context()) c->makeCurrent();
}

int graphicswidth() {
    tcanvas* c = currentcanvas();
    return c ? c->devw() : 0;
}

int graphicsheight() {
    tcanvas* c = currentcanvas();
    return c ? c->devh() : 0;
}

void notify(const std::string& text, int serious) {
    QWidget* parent = nullptr;
    QString title = QApplication::applicationName();
    if (QWidget* a = QApplication::activeWindow()) {
        parent = a;
        title = a->windowTitle();
    }
    QMessageBox box(serious ? QMessageBox::Critical : QMessageBox::Information, title, latin1(text), QMessageBox::Ok,
                    parent);
    busy++;                              // whatever arrives meanwhile waits for the box
    box.exec();
    busy--;
    if (busy == 0) drain();
    if (repaintafter && busy == 0) {
        repaintafter = false;
        if (tcanvas* c = currentcanvas()) c->update();
    }
}

void showmouse(bool on) {
    if (tcanvas* c = currentcanvas()) {
        if (on)
            c->unsetCursor();
        else
            c->setCursor(Qt::BlankCursor);
    }
}

void workarea(int& l, int& t, int& r, int& b) {
    QScreen* s = QGuiApplication::primaryScreen();
    QRect a = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    l = a.x();
    t = a.y();
    r = a.x() + a.width();
    b = a.y() + a.height();
}

void waitsystem() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (repaintafter && busy == 0) {
        repaintafter = false;
        if (tcanvas* c = currentcanvas()) c->update();
    }
}

// ---------------------------------------------------------------------------------------------
// Timers: every tick that is due is delivered, at most a quarter second's worth per wake-up so
// that input and repaints get their turn when the game falls behind.

void schedule(TTimer* t, int ms);

void ontimer(TTimer* t) {
    if (!t->running) return;
    int64_t now = monotonicns();
    if (busy > 0) {
        t->held = true;
        schedule(t, 5);
        return;
    }
    if (t->held) {
        t->held = false;
        t->start_ns = now - tickat(t->delivered, t->hz);
    }
    int64_t due = ticksdue(now - t->start_ns, t->hz);
    int64_t chunk = std::max<int64_t>(1, static_cast<int64_t>(t->hz / 4));
    for (int64_t n = 0; n < chunk && t->delivered < due && t->running; n++) {
        t->delivered++;
        t->ticks++;
        post(EVENT_TIMERTICK, t, t->ticks);
    }
    if (!t->running) return;
    if (t->delivered < due) {
        schedule(t, 0);
        return;
    }
    int64_t next = tickat(t->delivered + 1, t->hz) - (monotonicns() - t->start_ns);
    schedule(t, static_cast<int>(std::max<int64_t>(0, (next + 999999) / 1000000)));
}

void schedule(TTimer* t, int ms) {
    auto* q = static_cast<QTimer*>(t->native);
    if (q) q->start(ms);
}

void starttimer(TTimer* t) {
    auto* q = new QTimer;
    q->setSingleShot(true);
    q->setTimerType(Qt::PreciseTimer);
    QObject::connect(q, &QTimer::timeout, [t]() { ontimer(t); });
    t->native = q;
    t->start_ns = monotonicns();
    int64_t first = tickat(1, t->hz);
    q->start(static_cast<int>((first + 999999) / 1000000));
}

void stoptimer(TTimer* t) {
    queue.erase(std::remove_if(queue.begin(), queue.end(), [t](const tqueued& q) { return q.source == t; }),
                queue.end());
    if (auto* q = static_cast<QTimer*>(t->native)) {
        q->stop();
        q->deleteLater();                 // may be inside its own timeout
        t->native = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

unsigned upload(TImage* img, int frame) {
    tcanvas* c = currentcanvas();
    return c ? c->upload(img, frame) : 0;
}

void submit(tbatch& b) {
    if (tcanvas* c = currentcanvas()) c->submit(b);
}

void clear(const tbatchstate& st) {
    if (tcanvas* c = currentcanvas()) c->clear(st);
}

void present() {
    if (tcanvas* c = currentcanvas()) c->present();
}

void grab(int x, int y, int w, int h, TPixmap& out) {
    if (tcanvas* c = currentcanvas()) c->grab(x, y, w, h, out);
}

void shutdown() {}

}  // namespace dsk
