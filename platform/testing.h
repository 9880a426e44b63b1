// platform/testing.h — what tests, benchmarks and fuzz targets use beside the game's own
// operations (platform/platform.h): the drawing recorder and the state it records, counters of
// the renderer, decoded samples, the channels' clock, the loop's single step, virtual pads, and
// the few operations that only tests ask for (the gadgets' shape, reading a pixel, ...).
// The game itself never includes this.
#pragma once

#include "platform/platform.h"

tbackend PlatformBackend();

// ---------------------------------------------------------------------------------------------
// Operations beside the game's own (see platform/platform.h for their kin)

void SetOrigin(float x, float y);
void SetHandle(float x, float y);         // the primitives' handle (rects and lines)
uint32_t ReadPixel(const TPixmap& p, int x, int y);            // 0xAARRGGBB; 0 outside the pixmap
int MenuTag(TGadget* item);
int GadgetY(TGadget* gadget);
int GadgetWidth(TGadget* gadget);
int GadgetHeight(TGadget* gadget);
double SoundLength(const TSound* sound);                       // seconds
void StopChannel(TChannel* channel);
TStream* WriteStream(const std::string& path);
bool StreamFailed(TStream* stream);       // flushes; true when a write went wrong (disk full, ...)
// PictureDigest and SoundDigest decode every file again from here on (a benchmark's cold start).
void ForgetDecodedDigests();

// ---------------------------------------------------------------------------------------------
// Drawing: the state every operation draws with, what the recorder kept, what was sent

struct tdrawstate {
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1;
    int blend_mode = BLEND_MASK;
    float tform_rot = 0, tform_scale_x = 1, tform_scale_y = 1;
    float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0, origin_y = 0;
    float handle_x = 0, handle_y = 0;
    float line_width = 1;
};
const tdrawstate& DrawState();

const float* Modelview();

// Textures built from pixmaps so far (first builds and rebuilds after a writing lock).
int TextureUploads();

// What the headless back end records, one entry per drawing operation.
struct tdrawrecord {
    enum kind { image, rect, line, cls, flip, note, interface } op = image;
    const TImage* img = nullptr;
    int frame = 0;
    float x = 0, y = 0, x2 = 0, y2 = 0;   // position; rect: x2, y2 = w, h; line: end point
    std::string text;                     // note
    tdrawstate state;                     // the drawing state at the time
    float modelview[16] = {};
};
// Headless only: every drawing operation since the last clear. The first operation after a
// Flip starts a new list, so the list holds at most the frame being drawn or the one just
// presented (with its flip record last).
const std::vector<tdrawrecord>& DrawRecords();
void ClearDrawRecords();
void RecordDrawing(bool on);              // on by default; benchmarks switch it off
// Draw calls of the last presented frame. Every back end batches the same way: consecutive quads
// with the same blend mode and viewport share one call as long as their pictures share an
// atlas page (all filtered pictures do until a page is full; mipmapped pictures have a texture
// of their own); the headless back end counts what it would submit.
int DrawCallsLastFrame();
int DrawCallsThisFrame();
// Headless only: SoftwareRenderer() says 1 while on (the game then chooses its render scale as it
// does on a software rasteriser), and the render scale last asked for (SetRenderScale).
void PretendSoftwareRenderer(bool on);
float RenderScaleAsked();
float InterfaceScaleAsked();

// ---------------------------------------------------------------------------------------------
// Sound

bool SoundLoops(const TSound* sound);
// The decoded samples, mono (stereo is mixed down); none (count 0) where a sound device holds them.
const int16_t* SoundSamples(const TSound* sound, int& count);
int SoundRate(const TSound* sound);                            // samples per second
// Headless: advance every playing channel by `seconds` of playback (times its rate).
void AdvanceAudio(double seconds);

// ---------------------------------------------------------------------------------------------
// The loop, one wait at a time

// Desktop: blocks until window-system messages arrive and processes them. Headless: delivers a
// pending merged GadgetPaint if there is one, else steps the newest running timer once
// (advancing the clock to its tick), else returns.
void WaitSystem();

// Headless: a display that presents `hz` frames a second (DisplayRate() says so). Each
// StepDisplay moves the clock on to its next frame (frame n at n / hz s after the call here),
// delivers every tick of the newest running timer that falls due by then, and the canvas's
// paint: the pending one, or one for every frame while PaintEveryFrame is on.
void SimulateDisplay(float hz);
void StepDisplay();

// ---------------------------------------------------------------------------------------------
// Game controllers

// The desktop back end starts the pads itself; the headless one only when asked (tests).
bool StartPads();                         // false when SDL could not start its game controllers
void StopPads();
int PadPointerHidden();                   // 1 while the pad's aiming keeps the pointer hidden

// The pad's buttons and axes, as SDL's game controller numbers them.
enum { PAD_A, PAD_B, PAD_X, PAD_Y, PAD_BACK, PAD_GUIDE, PAD_START, PAD_LEFTSTICK, PAD_RIGHTSTICK,
       PAD_LEFTSHOULDER, PAD_RIGHTSHOULDER, PAD_DPUP, PAD_DPDOWN, PAD_DPLEFT, PAD_DPRIGHT };
enum { PAD_LEFTX, PAD_LEFTY, PAD_RIGHTX, PAD_RIGHTY };
// Virtual pads (SDL's virtual joysticks, no device needed), for tests: `mapped` false makes a
// joystick without a controller mapping. Its number, or -1. Values are read at the next poll.
int AttachVirtualPad(bool mapped = true);
void DetachVirtualPad(int pad);
void SetVirtualPadAxis(int pad, int axis, int value);    // -32768 .. 32767
void SetVirtualPadButton(int pad, int button, int down);

// ---------------------------------------------------------------------------------------------
// The network (headless): requests wait until the test answers them

const std::vector<thttprequest>& HttpPending();   // not answered yet, oldest first
// Answers the pending request `i` (its callback runs now) and forgets it.
void AnswerHttp(size_t i, const thttpanswer& answer);
// What OpenURL and StartSelf were asked for, in order: the address, or "self" and the arguments
// joined by blanks.
const std::vector<std::string>& Launched();
void ClearLaunched();
