// platform/renderer.h — the OpenGL side of the batcher, shared by the back ends with a GPU (the
// desktop's OpenGL 3.3, a browser's WebGL 2): one short shader (texture x colour; a variant
// without the texture for calls of untextured quads, one with the alpha test for the mask
// blend), the atlas textures, and the reads of the presented picture. Everything here runs with
// the canvas's context current, through the functions the back end resolves (tdevice).
//
// On a software rasteriser every fragment-shader instruction is paid at every pixel and every
// new combination of texture and blend state builds a new shader variant; so the fragment
// shader samples one texture without derivatives, `discard` lives only in the mask variant,
// a call that needs no texture does not sample, a call of pictures drawn texel for pixel takes
// the nearest texel, and the state (program, texture, sampler, blend, scissor) is touched only
// when it changes.
#pragma once

#include <cstdint>
#include <string>

struct tbatch;
struct tbatchstate;
struct tplace;
struct TImage;

namespace gl {
// What the back end's context offers the renderer: its functions by name, the dialect of its
// shading language (the lines that begin every shader: "#version 330 core\n" for OpenGL 3.3,
// "#version 300 es\nprecision mediump float;\n" for WebGL 2) and the window's framebuffer.
struct tdevice {
    void* (*proc)(const char* name) = nullptr;
    const char* dialect = "#version 330 core\n";
    unsigned (*framebuffer)() = nullptr;
    // The renderer's name where GL_RENDERER does not tell it (a browser's); null: GL_RENDERER.
    const char* (*renderer)() = nullptr;
};
// Builds the programs and buffers with the current context; false (with the reason on stderr)
// when the context cannot run them.
bool init(const tdevice& dev);
bool ready();
// The canvas being drawn: its size in canvas pixels and its device pixels per canvas pixel.
void target(int w, int h, double ratio);
// The render scale: at most `pixels` drawn per canvas pixel (0: the device's pixels). Below the
// device's pixels a frame is drawn into an offscreen scene, which show() scales to the
// window's buffers once; drawing, scissors and reads stay in canvas pixels.
void limit(float pixels);
double drawnratio();                      // pixels drawn per canvas pixel now
void drawnsize(int& w, int& h);           // the frame's drawn size in pixels
void show();                              // before a swap: the scene to the window (if apart)
// The frame's scene is drawn apart (offscreen), to be scaled to the window.
bool apart();
// The rest of the frame over the scene at the window's own pixels: the scene, when drawn apart,
// is shown now (what is drawn of it must have been submitted). The pixels drawn per canvas
// pixel from here, 0 when they are the scene's.
double interface();
// The renderer is a software rasteriser (Mesa's llvmpipe or softpipe, SwiftShader).
bool software();
bool softwarename(const std::string& renderer);
// The window's buffers may have changed (resized, swapped, made current): a software
// rasteriser on X picks up a new window size only when the viewport is set again.
void newbuffers();
void submit(tbatch& b);
void clear(const tbatchstate& st);
void blank();                             // the whole canvas black
void upload(const tplace& p, const TImage* img, int frame);
// Device pixels (x, y, w, h, top-left origin) of the front buffer into `out`, rows top-down,
// 4 bytes a pixel.
void readfront(int x, int y, int w, int h, uint8_t* out);
}  // namespace gl
