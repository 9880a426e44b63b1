// framework/image.h — pixel work on the game's images (frame 0, 4 bytes R, G, B, A per pixel),
// generated pictures, the two matrix tricks that turn or stretch a picture along a segment,
// and the small whole-array integer operations the compositing and blurring use.
//
// Pixel bytes: n bytes of one pixel starting at byte `offset` of the pixel, so (4, 0) is the
// whole pixel and (1, 3) its alpha. Colours are int arrays, one int per byte.
#pragma once

#include "platform/platform.h"

void getpixelbytes(int* dst, const TPixmap& p, int x, int y, int n, int offset);
void setpixelbytes(TPixmap& p, int x, int y, const int* src, int n, int offset);

void fillimage(TImage* img, const int* bytes, int n, int offset);
// The overlapping rectangle: pixel (sx + i, sy + j) of src to (dx + i, dy + j) of dst.
void copyimage(TImage* dst, const TImage* src, int dx, int dy, int sx, int sy, int n, int offset);
// Composites src over dst on the same rectangle, in the integer arithmetic the font outline
// and the skyline were made with.
void blendimage(TImage* dst, const TImage* src, int dx, int dy, int sx, int sy);
// Box blur of radius r. The pixel itself is counted twice, so a flat area brightens by 10/9;
// with src null it works in place, reading pixels above and left already blurred.
void blurimage(TImage* img, int r, int n, int offset, const TImage* src = nullptr);
void flipimage(TImage* img, const TImage* src = nullptr);   // upside down
// The displayed playfield's top-left w x h pixels (a screenshot).
void grabscreen(TImage* img, int w, int h);

// One-frame filtered, dynamic pictures.
TImage* gradientimage(const int* c1, const int* c2, int w, int h);
TImage* lineimage(const int* col, int w, int h, int n, int offset);

// Drawn at the origin with m as the modelview matrix, a picture lands at (x, y) with its up
// axis pointing at (tx, ty) (mirrored). Between equal points there is no direction: the matrix
// collapses to the point, so nothing shows, and the result is 1 (else 0).
int facematrix(float* m, float x, float y, float tx, float ty);
// img stretched from (x, y) to (tx, ty), `width` times its own width across. Leaves the drawing
// scale and drawmatrix set. Nothing is drawn between equal points.
void drawbeam(TImage* img, float x, float y, float tx, float ty, float width);

struct tglmatrix {
    float d[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    template <class V> void fields(V& v) { v("d", d); }
};

// On the n elements of a from index start.
void shrall(int* a, int bits, int n, int start);   // logical shift right
void shlall(int* a, int bits, int n, int start);
void addall(int* a, int v, int n, int start);
void mulall(int* a, int v, int n, int start);
void divall(int* a, int v, int n, int start);      // truncating toward zero
void minall(int* a, int v, int n, int start);      // each at most v
void addarr(int* a, const int* b, int n, int astart, int bstart);
int maxof(const int* a, int n, int start);         // n >= 1
float dist(const float* a, const float* b, int n);
