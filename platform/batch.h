// platform/batch.h — the quad batcher both back ends draw through.
//
// Quads arrive in canvas pixels, already through the drawing state's matrix and the modelview.
// Consecutive quads share one draw call while the pipeline state (blend mode and scissor
// rectangle) stays the same and their textures fit the call's texture units; a quad that needs a
// new state, or a texture when all units are taken, flushes the call. Cls, Flip and re-uploading
// a texture that the pending call uses flush as well. The desktop back end submits a call to
// OpenGL; the headless one only counts it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct tvertex {
    float x, y;                           // canvas pixels, top-left origin
    float u, v;                           // 0..1 over the frame
    uint8_t r, g, b, a;                   // draw colour and opacity
    int32_t unit;                         // texture unit of the call; -1: untextured; -2: smooth line
};

struct tbatchstate {
    int blend = 3;
    int sx = 0, sy = 0, sw = 0, sh = 0;   // scissor, canvas pixels, top-left origin
    bool operator==(const tbatchstate&) const = default;
};

struct tbatch {
    static constexpr int maxunits = 16;   // guaranteed by every OpenGL 3.3 implementation

    std::vector<tvertex> verts;           // four per quad: top-left, top-right, bottom-right, bottom-left
    unsigned units[maxunits] = {};        // texture of each unit in the pending call
    int nunits = 0;
    tbatchstate state;
    int calls = 0;                        // calls submitted in the frame being drawn
    int lastcalls = 0;                    // calls of the last presented frame
    std::function<void(tbatch&)> submit;  // back end; may be empty (counting only)

    static constexpr unsigned smoothline = ~0u;   // "texture" of an untextured line with soft edges:
                                                  // u is its half width, v the distance across it

    // xy: the four corners (x, y pairs); uv likewise; tex 0: untextured.
    void quad(const tbatchstate& st, unsigned tex, const float xy[8], const float uv[8],
              uint8_t r, uint8_t g, uint8_t b, uint8_t a);
    bool uses(unsigned tex) const;
    void flush();
    void present();                       // flush and close the frame's count
    void reset();                         // drop the pending call unsubmitted, counts to 0
};
