// platform/batch.h — the quad batcher every back end draws through.
//
// Quads arrive in canvas pixels, already through the drawing state's matrix and the modelview.
// Consecutive quads share one draw call while the pipeline state (blend mode and scissor
// rectangle) and their texture stay the same; the game's pictures share one atlas page, and
// untextured quads (rectangles, lines) take the white block of whatever page the call uses, so
// a frame needs a new call only where the state changes. A call of untextured quads only is
// drawn without sampling, which a software rasteriser does several times faster; once such a
// call covers a large area (the sky) the next textured quad starts a call of its own rather
// than making the whole call sample. Cls, Flip and re-uploading a picture of the pending
// call's texture flush as well. The desktop back end submits a call to OpenGL;
// the headless one only counts it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct tvertex {
    float x, y;                           // canvas pixels, top-left origin
    float u, v;                           // texture coordinates, 0..1 over the whole texture
    uint8_t r, g, b, a;                   // draw colour and opacity
    float reach, across;                  // coverage = clamp(reach - |across|, 0, 1): a smooth
                                          // line's soft rim; 1 and 0 everywhere else
};

struct tbatchstate {
    int blend = 3;
    int sx = 0, sy = 0, sw = 0, sh = 0;   // scissor, canvas pixels, top-left origin
    // A large filtered picture drawn texel for pixel (upright, unscaled, at whole pixels):
    // every pixel centre meets a texel centre, where filtering gives the texel itself, so the
    // renderer may take the nearest texel, which a software rasteriser does much faster.
    bool nearest = false;
    bool operator==(const tbatchstate&) const = default;
};

struct tbatch {
    // A call of its own for this many canvas pixels (a 128-pixel square) of a cheaper kind
    // saves the rasteriser more than the call costs.
    static constexpr float large = 128 * 128;

    std::vector<tvertex> verts;           // four per quad: top-left, top-right, bottom-right, bottom-left
    unsigned tex = 0;                     // texture of the pending call (atlas id)
    bool textured = false;                // some quad of the pending call samples its texture
    float plainarea = 0;                  // canvas pixels² of the pending call (untextured so far)
    bool opaque = true;                   // its every corner has full opacity and coverage
    bool smooth = false;                  // some quad of it is a smooth line (edge given)
    tbatchstate state;
    int calls = 0;                        // calls submitted in the frame being drawn
    int lastcalls = 0;                    // calls of the last presented frame
    std::function<void(tbatch&)> submit;  // back end; may be empty (counting only)

    // xy: the four corners (x, y pairs); uv likewise; tex 0: untextured, uv ignored.
    // edge: reach and across at each corner for a smooth line, else null.
    void quad(const tbatchstate& st, unsigned tex, const float xy[8], const float uv[8],
              uint8_t r, uint8_t g, uint8_t b, uint8_t a, const float* edge = nullptr);
    // An untextured quad coloured at each corner (R, G, B, A four times, in corner order);
    // the colours blend across it.
    void shaded(const tbatchstate& st, const float xy[8], const uint8_t rgba[16]);
    void flush();
    void present();                       // flush and close the frame's count
    void reset();                         // drop the pending call unsubmitted, counts to 0
};
