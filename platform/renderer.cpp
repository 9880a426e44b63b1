#include "platform/renderer.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atlas.h"
#include "platform/batch.h"
#include "platform/platform.h"

namespace {

const char* vertexshader = R"(
layout(location = 0) in vec2 pos;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec4 col;
layout(location = 3) in vec2 edge;
uniform vec2 size;
out vec2 vuv;
out vec4 vcol;
out vec2 vedge;
void main() {
    gl_Position = vec4(pos.x / size.x * 2.0 - 1.0, 1.0 - pos.y / size.y * 2.0, 0.0, 1.0);
    vuv = uv;
    vcol = col;
    vedge = edge;
}
)";

// Texture x colour; a smooth line's rim fades over its outer pixel (EDGE), everything else has
// full coverage. Built three ways: PLAIN as it stands; FLAT for calls with no textured quad,
// which a software rasteriser fills several times faster than one that samples (the sky's
// gradient, large rectangles); MASK for the mask blend, where texels below half opacity leave
// the canvas as it was. PLAIN and FLAT come with and without EDGE: a call without a smooth
// line (the sky, the pictures) spares every pixel the rim's arithmetic. A last one, COPY, only
// samples: it scales the offscreen scene to the window.
const char* fragmentshader = R"(
in vec2 vuv;
in vec4 vcol;
in vec2 vedge;
uniform sampler2D tex;
out vec4 frag;
void main() {
#ifdef COPY
    frag = texture(tex, vuv);
#else
#ifdef FLAT
    vec4 c = vcol;
#else
    vec4 c = vcol * texture(tex, vuv);
#endif
#ifdef EDGE
    c.a *= clamp(vedge.x - abs(vedge.y), 0.0, 1.0);
#endif
#ifdef MASK
    if (c.a < 0.5) discard;
#endif
    frag = c;
#endif
}
)";

// The OpenGL functions the renderer calls, each by its own name, resolved through the back
// end's loader (tdevice::proc).
#define VH_GLFUNCS(X) \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture) \
    X(PFNGLATTACHSHADERPROC, glAttachShader) \
    X(PFNGLBINDBUFFERPROC, glBindBuffer) \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer) \
    X(PFNGLBINDSAMPLERPROC, glBindSampler) \
    X(PFNGLBINDTEXTUREPROC, glBindTexture) \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray) \
    X(PFNGLBLENDFUNCPROC, glBlendFunc) \
    X(PFNGLBUFFERDATAPROC, glBufferData) \
    X(PFNGLCLEARPROC, glClear) \
    X(PFNGLCLEARCOLORPROC, glClearColor) \
    X(PFNGLCOLORMASKPROC, glColorMask) \
    X(PFNGLCOMPILESHADERPROC, glCompileShader) \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram) \
    X(PFNGLCREATESHADERPROC, glCreateShader) \
    X(PFNGLDELETESHADERPROC, glDeleteShader) \
    X(PFNGLDELETETEXTURESPROC, glDeleteTextures) \
    X(PFNGLDISABLEPROC, glDisable) \
    X(PFNGLDRAWELEMENTSPROC, glDrawElements) \
    X(PFNGLENABLEPROC, glEnable) \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray) \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D) \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers) \
    X(PFNGLGENBUFFERSPROC, glGenBuffers) \
    X(PFNGLGENSAMPLERSPROC, glGenSamplers) \
    X(PFNGLGENTEXTURESPROC, glGenTextures) \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays) \
    X(PFNGLGENERATEMIPMAPPROC, glGenerateMipmap) \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog) \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv) \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog) \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv) \
    X(PFNGLGETSTRINGPROC, glGetString) \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation) \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram) \
    X(PFNGLPIXELSTOREIPROC, glPixelStorei) \
    X(PFNGLREADBUFFERPROC, glReadBuffer) \
    X(PFNGLREADPIXELSPROC, glReadPixels) \
    X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri) \
    X(PFNGLSCISSORPROC, glScissor) \
    X(PFNGLSHADERSOURCEPROC, glShaderSource) \
    X(PFNGLTEXIMAGE2DPROC, glTexImage2D) \
    X(PFNGLTEXPARAMETERIPROC, glTexParameteri) \
    X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D) \
    X(PFNGLUNIFORM1IPROC, glUniform1i) \
    X(PFNGLUNIFORM2FPROC, glUniform2f) \
    X(PFNGLUSEPROGRAMPROC, glUseProgram) \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer) \
    X(PFNGLVIEWPORTPROC, glViewport)

struct tfuncs {
#define VH_MEMBER(type, name) type name = nullptr;
    VH_GLFUNCS(VH_MEMBER)
#undef VH_MEMBER
    // false when the context lacks one of them
    bool load(void* (*proc)(const char*)) {
#define VH_LOAD(type, name)                          \
    name = reinterpret_cast<type>(proc(#name)); \
    if (!name) return false;
        VH_GLFUNCS(VH_LOAD)
#undef VH_LOAD
        return true;
    }
};

struct tprogram {
    GLuint name = 0;
    GLint size = -1;
    float w = -1, h = -1;                 // the size last set
};

struct tgl : tfuncs {
    gl::tdevice dev;
    tprogram plain, flat, mask, copy;
    tprogram plainedge, flatedge;         // with a smooth line's rim
    GLuint vao = 0, vbo = 0, ibo = 0;
    GLuint nearest = 0;                   // sampler for calls of pictures drawn texel for pixel
    bool sampling = false;                // `nearest` bound
    size_t indexquads = 0;
    bool copyswap = false;                // a swap copies the back buffer and keeps it
    bool software = false;                // a software rasteriser draws
    // the canvas
    int w = 0, h = 0;
    double ratio = 1;                     // device pixels per canvas pixel
    int devw = 0, devh = 0;               // the window's buffers
    float limit = 0;                      // most pixels drawn per canvas pixel; 0: the device's
    // Where a frame is drawn: the window's buffers, or (below the device's pixels) the scene, an
    // offscreen picture of tw x th that show() scales to the window once a frame.
    double scale = 1;                     // pixels drawn per canvas pixel
    int tw = 0, th = 0;
    bool offscreen = false;
    bool above = false;                   // the interface: the rest of the frame on the window
    GLuint scene = 0, scenetex = 0;       // the scene's framebuffer and its colour texture
    int scenew = 0, sceneh = 0;           // the texture's size
    int drawing = -1;                     // framebuffer bound for drawing: 0 window, 1 scene
    bool viewport = false;                // set for the bound target's current buffers
    // state as last set, to touch only what changes
    const tprogram* prog = nullptr;
    GLuint bound = 0;
    int blend = -1;
    int sx = -1, sy = -1, sw = -1, sh = -1;
    bool scissoring = false;
    std::vector<uint8_t> scratch;

    // The dialect's lines, then the variant's defines, then the source.
    GLuint compile(GLenum kind, const char* variant, const char* src) {
        GLuint s = glCreateShader(kind);
        const char* parts[] = {dev.dialect, variant, src};
        glShaderSource(s, 3, parts, nullptr);
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

    bool link(tprogram& p, const char* variant) {
        p.name = glCreateProgram();
        GLuint v = compile(GL_VERTEX_SHADER, "", vertexshader);
        GLuint f = compile(GL_FRAGMENT_SHADER, variant, fragmentshader);
        glAttachShader(p.name, v);
        glAttachShader(p.name, f);
        glLinkProgram(p.name);
        glDeleteShader(v);
        glDeleteShader(f);
        GLint ok = 0;
        glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
        if (!ok) {
            char log[1024] = {};
            glGetProgramInfoLog(p.name, sizeof log - 1, nullptr, log);
            if (log[0]) std::fprintf(stderr, "%s\n", log);
            return false;
        }
        glUseProgram(p.name);
        glUniform1i(glGetUniformLocation(p.name, "tex"), 0);
        p.size = glGetUniformLocation(p.name, "size");
        return true;
    }

    bool init() {
        if (!load(dev.proc)) return false;
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        std::string r = renderer ? renderer : "";
        copyswap = r.find("llvmpipe") != std::string::npos || r.find("softpipe") != std::string::npos;
        // a browser names its renderer only when asked apart
        if (dev.renderer) r = dev.renderer();
        software = gl::softwarename(r);
        if (!link(plain, "") || !link(flat, "#define FLAT\n") || !link(mask, "#define MASK\n#define EDGE\n") ||
            !link(plainedge, "#define EDGE\n") || !link(flatedge, "#define FLAT\n#define EDGE\n") ||
            !link(copy, "#define COPY\n"))
            return false;
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
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(tvertex, reach)));
        glActiveTexture(GL_TEXTURE0);
        glGenSamplers(1, &nearest);
        glSamplerParameteri(nearest, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(nearest, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(nearest, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(nearest, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_DITHER);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        // The canvas stays opaque: only colour is written.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
        return true;
    }

    // The size of what is drawn for the canvas's size, ratio and the limit; the scene made or
    // made again when it is used and its size changes.
    void place() {
        double sc = !above && limit > 0 && limit < ratio ? limit : ratio;
        int nw = std::max(1, static_cast<int>(std::lround(w * sc))), nh = std::max(1, static_cast<int>(std::lround(h * sc)));
        offscreen = nw < devw || nh < devh;
        if (!offscreen) nw = devw, nh = devh, sc = ratio;
        if (nw != tw || nh != th || sc != scale) {
            sx = sy = sw = sh = -2;       // the scissor is set again for the new size
            viewport = false;
        }
        scale = sc;
        tw = nw;
        th = nh;
    }

    void makescene() {
        if (!scene) glGenFramebuffers(1, &scene);
        if (scenetex) {
            if (bound == scenetex) bound = 0;
            glDeleteTextures(1, &scenetex);
        }
        glGenTextures(1, &scenetex);
        bind(scenetex);
        // Asked for in the window's own byte order (blue first) where the dialect lets it: Mesa
        // then keeps the scene as BGRA, which llvmpipe scales to the window on its fast path
        // for plain copies, in about 60% of the time it takes for RGBA.
        if (std::strstr(dev.dialect, " es") == nullptr)
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, scene);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scenetex, 0);
        drawing = 1;
        viewport = false;
        scenew = tw;
        sceneh = th;
        // black and opaque, as a newly shown window
        unscissor();
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    }

    // The frame's target bound for drawing, with its viewport.
    void drawto() {
        place();
        if (offscreen && (scenew != tw || sceneh != th)) makescene();
        int want = offscreen ? 1 : 0;
        if (want != drawing) {
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, offscreen ? scene : dev.framebuffer());
            drawing = want;
            viewport = false;
        }
        if (!viewport) {
            glViewport(0, 0, tw, th);
            viewport = true;
        }
    }

    void unscissor() {
        if (scissoring) glDisable(GL_SCISSOR_TEST);
        scissoring = false;
        sx = sy = sw = sh = -2;
    }

    // The scene scaled to the window's buffers, filtered, once.
    void show() {
        if (above) {                      // shown already, with the interface over it
            above = false;
            place();                      // the next frame's scene
            return;
        }
        if (!offscreen || !scene) return;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dev.framebuffer());
        drawing = 0;
        glViewport(0, 0, devw, devh);     // also makes a software rasteriser take up a new window size
        viewport = false;
        unscissor();
        // One quad over the canvas sampling the scene, filtered, without blending: llvmpipe
        // draws it in well under half the time its framebuffer blit takes.
        setblend(0);
        bind(scenetex);
        if (sampling) glBindSampler(0, 0);
        sampling = false;
        use(copy);
        glBindVertexArray(vao);
        const float fw = static_cast<float>(w), fh = static_cast<float>(h);
        const float xy[8] = {0, 0, fw, 0, fw, fh, 0, fh};
        const float uv[8] = {0, 1, 1, 1, 1, 0, 0, 0};   // the scene's rows run bottom to top
        tvertex v[4] = {};
        for (int k = 0; k < 4; k++) {
            v[k].x = xy[k * 2];
            v[k].y = xy[k * 2 + 1];
            v[k].u = uv[k * 2];
            v[k].v = uv[k * 2 + 1];
        }
        indices(1);
        glBufferData(GL_ARRAY_BUFFER, sizeof v, v, GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    }

    void scissor(const tbatchstate& st) {
        // canvas pixels to drawn pixels, edges rounded so that neighbouring rectangles meet
        int x0 = static_cast<int>(std::lround(st.sx * scale));
        int y0 = static_cast<int>(std::lround(st.sy * scale));
        int x1 = static_cast<int>(std::lround((st.sx + std::max(st.sw, 0)) * scale));
        int y1 = static_cast<int>(std::lround((st.sy + std::max(st.sh, 0)) * scale));
        int gx = x0, gy = th - y1, gw = x1 - x0, gh = y1 - y0;
        if (gx == sx && gy == sy && gw == sw && gh == sh) return;
        if (!scissoring) glEnable(GL_SCISSOR_TEST);
        scissoring = true;
        glScissor(gx, gy, gw, gh);
        sx = gx;
        sy = gy;
        sw = gw;
        sh = gh;
    }

    void setblend(int mode) {
        // the mask blend and unknown modes draw without blending
        int b = mode == BLEND_ALPHA || mode == BLEND_LIGHT || mode == BLEND_SHADE ? mode : 0;
        if (b == blend) return;
        if (b == 0)
            glDisable(GL_BLEND);
        else if (blend <= 0)
            glEnable(GL_BLEND);
        if (b == BLEND_ALPHA) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (b == BLEND_LIGHT) glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        if (b == BLEND_SHADE) glBlendFunc(GL_DST_COLOR, GL_ZERO);
        blend = b;
    }

    void use(tprogram& p) {
        if (prog != &p) {
            glUseProgram(p.name);
            prog = &p;
        }
        float fw = static_cast<float>(w), fh = static_cast<float>(h);
        if (p.w != fw || p.h != fh) {
            glUniform2f(p.size, fw, fh);
            p.w = fw;
            p.h = fh;
        }
    }

    // The texture of an atlas id, made on first use.
    GLuint texture(unsigned id) {
        tatlastexture& t = atlas::textures[id - 1];
        if (t.name) return t.name;
        glGenTextures(1, &t.name);
        bind(t.name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.w, t.h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        GLint lin = t.filtered ? GL_LINEAR : GL_NEAREST;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, lin);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        t.mipmapped ? (t.filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST) : lin);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (t.page) {
            std::vector<uint8_t> white(static_cast<size_t>(atlas::whitesize) * atlas::whitesize * 4, 255);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, atlas::whitesize, atlas::whitesize, GL_RGBA, GL_UNSIGNED_BYTE,
                            white.data());
        }
        return t.name;
    }

    void bind(GLuint name) {
        if (bound == name) return;
        glBindTexture(GL_TEXTURE_2D, name);
        bound = name;
    }

    void submit(tbatch& b) {
        if (b.verts.empty() || w <= 0 || h <= 0) return;
        drawto();
        glBindVertexArray(vao);
        use(b.state.blend == BLEND_MASK ? mask
            : b.textured                 ? (b.smooth ? plainedge : plain)
                                         : (b.smooth ? flatedge : flat));
        scissor(b.state);
        // Opaque colour over the canvas under the alpha blend just replaces it.
        setblend(!b.textured && b.opaque && b.state.blend == BLEND_ALPHA ? 0 : b.state.blend);
        bind(texture(b.tex));
        bool near = b.state.nearest;
        if (near != sampling) {
            glBindSampler(0, near ? nearest : 0);
            sampling = near;
        }
        size_t quads = b.verts.size() / 4;
        indices(quads);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.verts.size() * sizeof(tvertex)), b.verts.data(),
                     GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT, nullptr);
    }

    // The index buffer long enough for `quads` quads.
    void indices(size_t quads) {
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
    }

    void clear(const tbatchstate& st) {
        if (w <= 0 || h <= 0) return;
        drawto();
        scissor(st);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // The frame's pixels (mask colour turned transparent) with a border of repeated edge
    // texels, into its place.
    void upload(const tplace& p, const TImage* img, int frame) {
        const tatlastexture& t = atlas::textures[p.tex - 1];
        bind(texture(p.tex));
        const TPixmap& px = img->pixmaps[frame];
        if (p.w <= 0 || p.h <= 0 || px.pixels.size() < static_cast<size_t>(px.pitch) * p.h) return;
        int b = t.page ? atlas::border : 0;
        int bw = p.w + 2 * b, bh = p.h + 2 * b;
        scratch.resize(static_cast<size_t>(bw) * bh * 4);
        for (int y = 0; y < bh; y++) {
            const uint8_t* src = &px.pixels[static_cast<size_t>(std::clamp(y - b, 0, p.h - 1)) * px.pitch];
            uint8_t* dst = &scratch[static_cast<size_t>(y) * bw * 4];
            for (int x = 0; x < b; x++) std::memcpy(dst + x * 4, src, 4);
            std::memcpy(dst + b * 4, src, static_cast<size_t>(p.w) * 4);
            for (int x = b + p.w; x < bw; x++) std::memcpy(dst + x * 4, src + (p.w - 1) * 4, 4);
        }
        if (img->flags & IMG_MASKED)
            for (size_t i = 0; i < scratch.size(); i += 4)
                if (scratch[i] == img->mask_r && scratch[i + 1] == img->mask_g && scratch[i + 2] == img->mask_b)
                    scratch[i + 3] = 0;
        glTexSubImage2D(GL_TEXTURE_2D, 0, p.x - b, p.y - b, bw, bh, GL_RGBA, GL_UNSIGNED_BYTE, scratch.data());
        if (t.mipmapped) glGenerateMipmap(GL_TEXTURE_2D);
        if (scratch.capacity() > (1u << 20)) std::vector<uint8_t>().swap(scratch);   // the star field's 4 MB

    }

    void readfront(int x, int y, int rw, int rh, uint8_t* out) {
        std::vector<uint8_t> buf(static_cast<size_t>(rw) * rh * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, dev.framebuffer());
        // Mesa's software rasterisers swap by copying the back buffer to the window, which keeps
        // it, and cannot read the window back; elsewhere the front buffer holds the picture.
        if (!copyswap) glReadBuffer(GL_FRONT);
        glReadPixels(x, devh - y - rh, rw, rh, GL_RGBA, GL_UNSIGNED_BYTE, buf.data());
        if (!copyswap) glReadBuffer(GL_BACK);
        // OpenGL rows run bottom to top
        for (int r = 0; r < rh; r++)
            std::memcpy(out + static_cast<size_t>(r) * rw * 4, &buf[static_cast<size_t>(rh - 1 - r) * rw * 4],
                        static_cast<size_t>(rw) * 4);
    }
};

tgl* g = nullptr;
float limitwanted = 0;                    // the render scale, also before the renderer starts

}  // namespace

namespace gl {

bool init(const tdevice& dev) {
    if (g) return true;
    auto* r = new tgl;
    r->dev = dev;
    r->limit = limitwanted;
    if (!r->init()) {
        delete r;
        return false;
    }
    g = r;
    return true;
}

bool ready() { return g != nullptr; }

void target(int w, int h, double ratio) {
    if (!g) return;
    g->w = w;
    g->h = h;
    g->ratio = ratio > 0 ? ratio : 1;
    int dw = static_cast<int>(std::lround(w * g->ratio)), dh = static_cast<int>(std::lround(h * g->ratio));
    if (dw != g->devw || dh != g->devh) {
        g->devw = dw;
        g->devh = dh;
        g->viewport = false;
    }
    if (w > 0 && h > 0) g->drawto();
}

void limit(float pixels) {
    limitwanted = pixels > 0 ? pixels : 0;
    if (!g) return;
    g->limit = limitwanted;
    g->place();
}

bool software() { return g && g->software; }

double drawnratio() { return g ? g->scale : 1; }

void drawnsize(int& w, int& h) {
    w = g ? g->tw : 0;
    h = g ? g->th : 0;
}

void show() {
    if (g) g->show();
}

bool apart() {
    if (!g) return false;
    g->place();
    return g->offscreen && g->scene;
}

double interface() {
    if (!apart()) return 0;
    g->show();
    g->above = true;
    g->place();
    return g->scale;
}

bool softwarename(const std::string& renderer) {
    for (const char* s : {"llvmpipe", "softpipe", "SwiftShader"})
        if (renderer.find(s) != std::string::npos) return true;
    return false;
}

void submit(tbatch& b) {
    if (g) g->submit(b);
}

void clear(const tbatchstate& st) {
    if (g) g->clear(st);
}

void blank() {
    if (!g) return;
    tbatchstate all;
    all.sw = g->w;
    all.sh = g->h;
    g->clear(all);
    g->show();                            // the window too, when the scene is drawn apart
}

void upload(const tplace& p, const TImage* img, int frame) {
    if (g) g->upload(p, img, frame);
}

void readfront(int x, int y, int w, int h, uint8_t* out) {
    if (g) g->readfront(x, y, w, h, out);
}

void newbuffers() {
    if (g) g->viewport = false;
}

}  // namespace gl
