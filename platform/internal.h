// platform/internal.h — what the platform's own sources share: the gadget, timer and sound
// records and the global state. What a back end does for them is in platform/backend.h.
// Nothing outside platform/ and tests/platform/ includes this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/atlas.h"
#include "platform/batch.h"
#include "platform/testing.h"

enum class tgadgetkind { window, canvas, menuroot, menu };

struct TGadget {
    tgadgetkind kind = tgadgetkind::window;
    std::string text;
    int x = 0, y = 0, w = 0, h = 0;
    int style = 0;
    int layout[4] = {0, 0, 0, 0};         // left, right, top, bottom: 1 keeps that edge's distance
    TGadget* parent = nullptr;
    std::vector<TGadget*> kids;
    TGadget* menuroot = nullptr;          // window: its menu bar
    int tag = 0, hotkey = 0, modifier = 0;
    bool checked = false, enabled = true;
    bool checkable = false;               // the tick state has been set at least once
    bool visible = false;
    bool paintpending = false;            // canvas: RedrawGadget asked for a repaint
    void* native = nullptr;               // the window system's object behind it
};

struct TTimer {
    float hz = 60;
    int ticks = 0;
    bool running = true;
    void* native = nullptr;               // the back end's own record of it
};

struct TSound {
    std::vector<int16_t> samples;         // mono; let go once a sound device holds them
    long frames = 0;                      // samples decoded
    int rate = 44100;
    bool loop = false;
    std::string path;
    unsigned buffer = 0;                  // the sound device's copy, when there is a device
    std::string waiting;   // the file's bytes while its decoding waits (plat::soundslater)
};

// Ticks of a timer at `hz` that are due `elapsed_ns` after its start (tick n at n / hz s).
int64_t ticksdue(int64_t elapsed_ns, double hz);
// Nanoseconds after the start at which tick n is due.
int64_t tickat(int64_t n, double hz);
int64_t monotonicns();

namespace plat {
extern thread_local tdrawstate state;
extern thread_local tbatch batch;
extern thread_local TGadget* canvas;                   // the current graphics (SetGraphics)
extern thread_local bool linesmooth;
extern thread_local bool trimming;                     // pictures drawn as their patches (atlas::survey); off
                                          // only to compare with the whole quads
extern thread_local bool texelforpixel;                // large pictures drawn texel for pixel take the nearest
                                          // texel (tbatchstate::nearest); off likewise
extern thread_local double drawnratio;                 // pixels drawn per canvas pixel (the device's, or fewer
                                          // under a render scale): set by the back end
std::string path(const std::string& p);   // backslashes to slashes
void tostderr(const std::string& text);   // one line, Latin-1 turned into UTF-8
bool readfile(const std::string& path, std::string& bytes);   // also "incbin::" files
void emit(int id, void* source, int data = 0, int mods = 0, int x = 0, int y = 0);
// The frame's place in the atlas, uploaded (or uploaded again) as needed; may flush the batch.
// Null while the back end has no graphics to upload into.
const tplace* texture(TImage* img, int frame);
void audioshutdown();
// ReleaseWorld's parts: this thread's gadgets and channels.
void releasegadgets();
void releasechannels();
// The decoders behind LoadImage and LoadSound, on the file's bytes; false when the file is
// damaged in any way (nothing is kept then).
bool decodepng(const std::string& bytes, TPixmap& out);
bool decodeogg(const std::string& bytes, TSound& snd);
// A back end whose start must not wait for the sounds (the browser's) sets this: it reads a
// sound file's rate and number of samples from its headers, and whether it is whole, as
// decodeogg would find them (false: damaged). LoadSound then keeps the bytes and decodes them
// when the sound is first played, or before that when the back end calls decodewaiting.
extern bool (*soundslater)(const std::string& bytes, TSound& snd);
// Decodes one sound that waits (the oldest): false when none waited.
bool decodewaiting();
// A sound device opened after the channels were made (the browser's) gives them their voices,
// with their level, pan and rate.
void givevoices();
// The content digests (platform/contentdigest.cpp): a fast 64-bit hash of bytes; a decoded
// picture's (its width, height and RGBA rows) and a sound's (its rate and number of samples);
// and the note LoadImage and LoadSound leave of the files they decoded.
uint64_t hashbytes(const void* data, size_t n, uint64_t h = 14695981039346656037ull);
uint64_t pixmapdigest(const TPixmap& p);
uint64_t sounddigest(const TSound& s);
void notepicture(const std::string& bytes, const TPixmap& p);
void notesound(const std::string& bytes, const TSound& s);
}
