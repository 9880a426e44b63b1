// platform/platform.h — the operations the game calls to draw, play sound, read input,
// talk to its window and read files. Everything above platform/ includes only this header
// (and platform/strings.h, platform/trig.h; tests and benchmarks also platform/testing.h); the
// Qt, OpenGL, OpenAL, libpng, Vorbis and SDL details stay below it.
//
// Three back ends serve the same operations:
//   desktop  — a Qt window with its native menu bar and an OpenGL 3.3 canvas, OpenAL sound
//              (platform/openal/, as the page's);
//   headless — no window, no GPU, no sound device: images and sounds still decode, channels
//              keep their state, drawing goes to a recorder that tests read, and the caller
//              steps the timer;
//   web      — the browser page's canvas through WebGL 2, OpenAL (Emscripten's), the page's
//              input and animation frames (platform/web/).
//
// Strings hold Latin-1 text, one byte per character (codes 0..255); the desktop back end
// converts at the window system's edge.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Start and stop

// `windowed` is the program's window back end, whichever is built in: the desktop's, or the
// page's in the browser edition. The game asks for that or for headless; tests may name one.
enum class tbackend { windowed, desktop, web, headless };
// False (with a line on standard error) when the back end is not built into this program.
bool PlatformInit(tbackend backend, int argc = 0, char** argv = nullptr);
void PlatformShutdown();

// Every thread holds a world of its own: the world's state is thread-local. GCC is told that
// a thread-local of another file needs no making (-fno-extern-tls-init: reaching one is then a
// plain load), so a file whose thread-locals other files reach registers a function that
// touches one of them: ThreadState() runs it at once (the program's start, on the main thread)
// and EnterThread() in every other thread before its world is made. Returns true.
bool ThreadState(void (*touch)());
void EnterThread();
// On the headless back end, lets go of this thread's window objects (gadgets) and sound
// channels: a thread that makes world after world, the score server's verifier, keeps only the
// one it makes next. A window system or a sound device may hold them, so with a window nothing
// is let go (its world lives as long as the program). The world's pointers to them must be
// made again after it (a new world's start-up does).
void ReleaseWorld();

// ---------------------------------------------------------------------------------------------
// Drawing state: one global record, current for every drawing operation until changed.

// 1 mask: no blending, texels with alpha below 0.5 discarded; 2 solid: no blending, no alpha test;
// 3 alpha: src alpha, 1 - src alpha; 4 light: src alpha, one (additive); 5 shade: dst colour, zero
// (multiplicative). Any other value: no blending and no alpha test.
enum { BLEND_MASK = 1, BLEND_SOLID = 2, BLEND_ALPHA = 3, BLEND_LIGHT = 4, BLEND_SHADE = 5 };


void SetColor(int r, int g, int b);       // each component clamped to 0..255
void SetAlpha(float a);                   // clamped to 0..1
void SetBlend(int mode);
void SetRotation(float degrees);
void SetScale(float sx, float sy);
void SetTransform(float degrees, float sx, float sy);
void SetViewport(int x, int y, int w, int h);   // canvas pixels, top-left origin; clips all drawing
void SetLineWidth(float width);           // pixels

// The modelview matrix the game manipulates directly (scale to the view, the waving flag,
// stretched and turned pictures). Column-major 4 x 4, applied on the CPU to every vertex after
// the drawing state's own matrix: canvas pixel = M * (local point through the state, 0, 1).
// Scale multiplies on the right (like glScalef); Pop of an empty stack does nothing.
void ModelviewIdentity();
void ModelviewScale(float sx, float sy);
void ModelviewPush();
void ModelviewPop();
void ModelviewLoad(const float m[16]);
void EnableLineSmooth();                  // lines get soft edges

// ---------------------------------------------------------------------------------------------
// Images and pixels

enum { IMG_MASKED = 1, IMG_FILTERED = 2, IMG_MIPMAPPED = 4, IMG_DYNAMIC = 8 };

// One frame's pixels: R, G, B, A bytes per pixel, rows `pitch` bytes apart, top row first.
enum { PF_RGBA8888 = 1 };
struct TPixmap {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0, pitch = 0;
    int format = 0;
};

struct TImage {
    int width = 0, height = 0;            // of one frame
    int flags = 0;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0, handle_y = 0;
    std::vector<TPixmap> pixmaps;         // one per frame
    std::vector<unsigned> frames;         // place of each frame in the atlas; 0 until drawn
    std::vector<int> seqs;                // per frame: 1 while the texture matches its pixmap
    std::string name;                     // file name under data/, or the global's name when generated
};

// Images live until the program ends (the game loads them once and keeps them).
// flags -1: the default flags of AutoImageFlags (0 at start). A path may use a backslash for "/".
TImage* LoadImage(const std::string& path, int flags = -1);   // null when unreadable or damaged; one frame
TImage* CreateImage(int width, int height, int frames = 1, int flags = -1);   // transparent black; IMG_DYNAMIC always added
// Frees an image that has never been drawn (the font frees a glyph that a later cell replaces;
// the fuzz targets free what they made). A texture built from it would stay behind.
void FreeImage(TImage* image);
void SetImageHandle(TImage* image, float hx, float hy);
void AutoImageFlags(int flags);
// With write access the frame's texture is rebuilt from the pixels before it is next drawn.
TPixmap& LockImage(TImage* image, int frame = 0, bool read = true, bool write = true);
void UnlockImage(TImage* image, int frame = 0);
// Outside the pixmap: WritePixel does nothing, PixelBytes points at a scratch pixel.
void WritePixel(TPixmap& p, int x, int y, uint32_t argb);
uint8_t* PixelBytes(TPixmap& p, int x, int y);                 // R, G, B, A
const uint8_t* PixelBytes(const TPixmap& p, int x, int y);
bool SavePixmapPNG(const TPixmap& p, const std::string& path, int level = 9);   // false when not written (SaveFile)
std::string EncodePNG(const TPixmap& p, int level = 9);   // the PNG file's bytes; "" for an empty pixmap
// What the game takes from a picture file, alike in every build (libpng on the desktop, stb_image
// in the browser): a digest of its width, height and RGBA pixels, 8 bits a channel, rows top
// down; never of the bytes an encoder wrote. 0 when the file cannot be read or decoded. Bytes
// that LoadImage has decoded before are not decoded again.
uint64_t PictureDigest(const std::string& path);

// ---------------------------------------------------------------------------------------------
// Drawing

void DrawImage(TImage* image, float x, float y, int frame = 0);
void DrawRect(float x, float y, float w, float h);
void DrawLine(float x, float y, float x2, float y2, int lastpixel = 1);
void Cls();                               // black, inside the viewport
void Flip(int sync = -1);                 // presents, then runs the HOOK_FLIP hooks
// The rectangle (x, y, w, h) of the last presented picture in canvas pixels, top-left origin,
// read into `out` (resized to w x h, RGBA rows top-down, alpha 255). Opaque black in the
// headless back end.
void GrabFrontBuffer(int x, int y, int w, int h, TPixmap& out);
// A marker for tests: text drawn by the bitmap font at (x, y). The desktop back end ignores it.
void DrawNote(const std::string& text, float x, float y, float scale);

// Desktop: once a second, one line on standard error with the frames presented in that second,
// the CPU time of the whole process (all threads) per presented frame, the draw calls of the
// last frame, the canvas's size and the size it was drawn at ("canvas 1920x1040 drawn at 800x433").
void ShowStats(bool on);

// The render scale: a frame is drawn at no more than `pixels` per canvas pixel (0: at the
// device's pixels, the default). Below the device's pixels the frame is drawn into an offscreen
// picture that Flip scales to the canvas once; the drawing operations, mouse positions and
// GrabFrontBuffer stay in canvas pixels. `interface` (0: the device's) is what the interface
// wants (see DrawInterface): when the frame has fewer pixels than that, what is drawn after
// DrawInterface is drawn over the scaled scene at more: at the device's on the desktop (its
// window has them anyway), at `interface` in a browser (its canvas's buffer).
void SetRenderScale(float pixels, float interface = 0);
// The rest of the frame, up to its Flip, is the interface (text, panels, the cursor): over a
// scene drawn at fewer pixels than the interface wants, it is drawn at more (see SetRenderScale),
// so that its letters stay readable while a slow frame's scene gives up pixels.
void DrawInterface();
// 1 when a software rasteriser draws the canvas (Mesa's llvmpipe or softpipe, SwiftShader),
// where every pixel costs the CPU; 0 on a GPU and in the headless back end.
int SoftwareRenderer();
// Frames shown on the screen so far (0 headless).
int FramesPresented();
// The display's refresh rate, the frames it shows a second: the screen's on the desktop
// (VARNHOLD_DISPLAY_HZ=N in the environment presents at N instead, for a benchmark or a screen
// that misreports), the animation frames' in a browser (measured as they come: 60 until a
// second has been seen), 60 headless unless SimulateDisplay says otherwise.
float DisplayRate();
// On: the canvas is painted at every frame the display shows (one GadgetPaint each), whether
// or not RedrawGadget asked; a RedrawGadget meanwhile waits for the next of those frames. Off
// (the start): painted when asked, as soon as the loop comes to it.
void PaintEveryFrame(bool on);

// ---------------------------------------------------------------------------------------------
// Sound

struct TSound;                            // a decoded sample (mono 16-bit) plus its loop flag
struct TChannel {
    const TSound* sound = nullptr;
    float volume = 1, pan = 0, rate = 1, depth = 1;
    bool paused = true;
    bool playing = false;                 // false once a non-looping sound has finished
    double position = 0;                  // seconds played (when it runs on a clock)
    unsigned voice = 0;                   // the sound device's voice for it; 0: it runs on a clock
};

// Without a sound device (or with ALSOFT_DRIVERS=null) the desktop back end is silent: channels
// keep their state and run on the clock, nothing is reported.
void SetAudioDriver(const std::string& name);
TSound* LoadSound(const std::string& path, int flags = 0);     // flags 1: loop; null when unreadable
TChannel* AllocChannel();
void CueSound(const TSound* sound, TChannel* channel);
void ResumeChannel(TChannel* channel);
void PauseChannel(TChannel* channel);
void SetChannelVolume(TChannel* channel, float volume);
void SetChannelPan(TChannel* channel, float pan);
void SetChannelRate(TChannel* channel, float rate);
void SetChannelDepth(TChannel* channel, float depth);
int ChannelPlaying(TChannel* channel);   // 1 while resumed and not finished (paused: 0)
// What every build's decoder (libvorbisfile, stb_vorbis) takes alike from a sound file: a
// digest of its rate and its exact number of samples, which the Ogg stream fixes (the samples
// themselves may differ in their last bits). 0 when the file cannot be read or decoded. Bytes
// that LoadSound has decoded before are not decoded again.
uint64_t SoundDigest(const std::string& path);

// ---------------------------------------------------------------------------------------------
// Window, menus, events, timers

enum {
    EVENT_APPSUSPEND = 0x101, EVENT_APPRESUME = 0x102,
    EVENT_KEYDOWN = 0x201, EVENT_KEYUP = 0x202, EVENT_KEYCHAR = 0x203,
    EVENT_MOUSEDOWN = 0x401, EVENT_MOUSEUP = 0x402, EVENT_MOUSEMOVE = 0x403,
    EVENT_MOUSEWHEEL = 0x404, EVENT_MOUSEENTER = 0x405, EVENT_MOUSELEAVE = 0x406,
    EVENT_TIMERTICK = 0x801, EVENT_GADGETPAINT = 0x2002,
    EVENT_WINDOWMOVE = 0x4001, EVENT_WINDOWSIZE = 0x4002, EVENT_WINDOWCLOSE = 0x4003,
    EVENT_MENUACTION = 0x8001,
};
// Key codes are the Windows virtual-key numbers (8 Backspace, 13 Return, 16 Shift, 17 Ctrl,
// 18 Alt, 27 Escape, 32 Space, 35 End, 36 Home, 37-40 Left Up Right Down, 46 Delete, 48-57 digits,
// 65-90 letters, 112-123 F1-F12); a held key repeats as further KeyDown events (with KeyChar)
// and one KeyUp at the end. KeyChar data is a Latin-1 code. Mouse buttons: 1 left, 2 right,
// 3 middle, 4 a finger on a touch screen (MOUSE_TOUCH); positions in canvas pixels. MouseWheel
// data: notches, positive away from the user.
// WindowMove x, y: the new position; WindowSize x, y: the new size.
enum { MODIFIER_SHIFT = 1, MODIFIER_CONTROL = 2, MODIFIER_OPTION = 4, MODIFIER_SYSTEM = 8 };
// The pad's d-pad as keys (the Windows gamepad key numbers): name entry edits with them.
enum { KEY_PADUP = 203, KEY_PADDOWN = 204, KEY_PADLEFT = 205, KEY_PADRIGHT = 206 };
// A tap aims and presses "button" 4, whatever the mouse buttons mean to the game.
enum { MOUSE_TOUCH = 4 };

struct TGadget;                           // window, canvas or menu item
struct TTimer;

struct TEvent {
    int id = 0;
    void* source = nullptr;               // TGadget* or TTimer*
    int data = 0, mods = 0, x = 0, y = 0;
    void* extra = nullptr;
};

enum { WINDOW_TITLEBAR = 1, WINDOW_RESIZABLE = 2, WINDOW_MENU = 4, WINDOW_STATUS = 8,
       WINDOW_TOOL = 16, WINDOW_CLIENTCOORDS = 32, WINDOW_HIDDEN = 64, WINDOW_CENTER = 512 };

// In the headless back end gadgets keep their texts, shapes and menu states but show nothing;
// a canvas's shape gives GraphicsWidth and GraphicsHeight.
TGadget* CreateWindow(const std::string& title, int x, int y, int w, int h, TGadget* parent, int style);
TGadget* CreateCanvas(int x, int y, int w, int h, TGadget* parent, int style);
void SetGraphics(TGadget* canvas);        // makes the canvas's context current
int GraphicsWidth();
int GraphicsHeight();
TGadget* CreateMenu(const std::string& text, int tag, TGadget* parent, int hotkey = 0, int modifier = 0);
TGadget* WindowMenu(TGadget* window);
void UpdateWindowMenu(TGadget* window);
void CheckMenu(TGadget* item);
void UncheckMenu(TGadget* item);
void EnableMenu(TGadget* item);
void DisableMenu(TGadget* item);
int MenuChecked(TGadget* item);
int MenuEnabled(TGadget* item);
void SetMenuText(TGadget* item, const std::string& text);
void SetGadgetText(TGadget* gadget, const std::string& text);
std::string GadgetText(TGadget* gadget);
void SetGadgetShape(TGadget* gadget, int x, int y, int w, int h);
void SetGadgetLayout(TGadget* gadget, int left, int right, int top, int bottom);
int ClientWidth(TGadget* gadget);
int ClientHeight(TGadget* gadget);
void ShowGadget(TGadget* gadget);
void ActivateGadget(TGadget* gadget);
void RedrawGadget(TGadget* gadget);       // the repaint arrives later as one merged GadgetPaint
// A message box, also written to standard error when serious. The desktop's box is modal: Notify
// returns when the player closes it, and meanwhile the window's events wait and the frame
// timer's ticks are dropped. A browser page cannot block, so there the box is a dialog of the
// page and Notify returns at once, holding the events and ticks in the same way until the
// dialog is closed: the game sees the same order of events and frames. No caller needs the
// player's answer (every message of the game is followed by the end of the process, which the
// page carries out when the dialog closes), so nothing has to wait inside Notify, and the
// program is not rewritten to unwind through it (Emscripten's Asyncify would do so for every
// function that can reach it, costing code size and time in every frame).
void Notify(const std::string& text, int serious);
void ShowMouse();
void HideMouse();
// Whether the game waits for typed text (a name), asked every frame: a touch screen then brings
// up its own keyboard. Others type anyway.
void TextEntry(bool on);
void DesktopWorkArea(int& left, int& top, int& right, int& bottom);

// Hooks: the "event emitted" hook gets every event; the "buffer flipped" hook runs after Flip.
// Higher priority runs first, equal priorities in the order added. Each hook gets the data the
// one before returned (so a hook passes an event on by returning it; null reaches later hooks
// as null). The flip hook is run with null data.
enum { HOOK_EMITEVENT = 1, HOOK_FLIP = 2 };
using thookfn = std::function<void*(int id, void* data, void* context)>;
void AddHook(int hook, thookfn fn, void* context, int priority = 0);
void RemoveHooks(int hook);
TEvent* CurrentEvent();
void SetCurrentEvent(TEvent* event);
// Events are owned by the platform and stay valid for the next 1023 CreateEvent calls.
TEvent* CreateEvent(int id, void* source, int data = 0, int mods = 0, int x = 0, int y = 0, void* extra = nullptr);
void EmitEvent(TEvent* event);

// Ticks are counted from the creation on the monotonic clock: tick n is due n / hz seconds
// after it, and a late wake-up delivers every tick that is due. Data of a TimerTick: the count.
// Posts TimerTick events whose source is the timer. A `stepped` timer posts none by itself:
// only StepTimer ticks it, in every back end (a replay runs the game's frames this way).
TTimer* CreateTimer(float hz, bool stepped = false);
void StopTimer(TTimer* timer);
int TimerTicks(TTimer* timer);
// One tick of the timer, emitted at once (headless: the caller steps time).
void StepTimer(TTimer* timer);
// How far the clock has moved from the timer's last tick towards its next, 0 at the tick, 1
// once the next is due (or later): where a frame drawn now stands between the last two steps
// of a world stepped by the timer. 1 for a stepped timer or none: it has no clock.
float TimerFraction(TTimer* timer);
// The event loop, until the process ends: everything the game does happens in its hooks, in the
// order the events come. The desktop waits for the window system's messages; a browser
// page, which cannot block, runs it from its animation frames; the headless back end
// returns once nothing is left to deliver (no paint pending, no timer running).
void RunLoop();
int MilliSecs();                          // monotonic clock
void SetMilliSecs(int ms);                // headless: the clock the caller steps
void EndProcess(int status);              // shuts sound down and ends the process at once
// Desktop only: on signal `sig`, `fn(sig)` runs on the main thread as soon as the window
// system's loop (or the loop of an open message box) wakes, never inside the handler.
void OnSignal(int sig, std::function<void(int)> fn);

// ---------------------------------------------------------------------------------------------
// Game controllers
//
// Pads come through SDL2's game-controller API (nothing else of SDL) and its mapping database,
// and reach the game as the canvas events they stand for, delivered before each timer tick:
// the left stick and the d-pad move the cursor (MouseMove in canvas pixels, a MouseEnter first
// when the pad takes over from the mouse); X, A, B are the keys A, S, D; Start is Return, Back
// is P, Y is Delete; the d-pad is also KEY_PADUP ... KEY_PADRIGHT; the shoulders turn the
// wheel (left -1, right +1). While the pad aims the pointer is hidden, until the mouse moves.
// Pads plugged in or out are picked up; a pad SDL has no mapping for is left alone.
// Without SDL's game controllers the game plays on with mouse and keyboard: StartPads and a pad
// without mapping say so in one line on standard error, nothing else.

// ---------------------------------------------------------------------------------------------
// The network and the player's other programs

// An HTTP request sent in the background: `done` runs later on the game's thread, from the
// loop (never inside HttpRequest), with the answer. status 0 and `error` in words when no
// answer came (no connection, a name that does not resolve, a timeout of 30 s, or a back end
// without a network); otherwise the HTTP status and the body, whatever the status.
struct thttprequest {
    std::string method = "GET";           // GET or POST
    std::string url;
    std::string body;                     // POST: the bytes sent
    std::string type = "application/octet-stream";   // POST: their Content-Type
};
struct thttpanswer {
    int status = 0;
    std::string body;
    std::string error;
};
using thttpdone = std::function<void(const thttpanswer&)>;
void HttpRequest(const thttprequest& request, thttpdone done);
// Opens the address in the player's web browser; false when there is none to ask.
bool OpenURL(const std::string& url);
// Starts this program again, with `args`, beside the running one (which does not wait for
// it); false when it could not be started.
bool StartSelf(const std::vector<std::string>& args);

// ---------------------------------------------------------------------------------------------
// Files

// Paths may be written with backslashes for "/".
struct TStream;
int FileType(const std::string& path);    // 0 none, 1 file, 2 directory
void RegisterIncbin(const std::string& name, std::string bytes);   // "incbin::" + name
TStream* ReadStream(const std::string& path);
bool CloseStream(TStream* stream);        // flushes and frees; false when a write went wrong
int ReadByte(TStream* stream);            // 0..255; 0 past the end
void WriteByte(TStream* stream, int value);
bool Eof(TStream* stream);
long StreamSize(TStream* stream);
long StreamPos(TStream* stream);
std::string ReadLine(TStream* stream);    // to LF, NUL or the end; CRs dropped
std::string ReadString(TStream* stream, int count);
void WriteString(TStream* stream, const std::string& text);
// A stream that keeps what is written to it in memory; StreamBytes gives the bytes back.
TStream* MemoryStream();
std::string StreamBytes(TStream* stream);
bool ReadFile(const std::string& path, std::string& bytes);   // the whole file; false when unreadable

// Whole files saved safely: the new bytes go into a temporary file beside the old one (its name
// plus ".tmp"), which is synced to the disk and renamed over it; then the folder is synced.
// Each returns "" when the file is saved, else why not in plain words ("No space left on
// device"); the old file is then as it was and no temporary file stays behind. Copies of the
// program saving into the same folder take turns.
std::string SaveFile(const std::string& path, const std::string& bytes);
// The same, the new bytes made by `update` from the file's bytes as they are at that moment (""
// when there is none): what another copy of the program saved meanwhile can be merged in.
std::string UpdateFile(const std::string& path, const std::function<std::string(const std::string&)>& update);
// "" when a file can be saved as `path` (its folder exists and takes a new file), else why not.
std::string CanSaveFile(const std::string& path);

// Folders; the user's folders end with "/" and are "" when there is none.
std::string AppDir();                     // the program's folder
std::string CurrentDir();                 // the working folder
bool ChangeDir(const std::string& path);  // false when the folder cannot be entered
// The user's folder for the settings of the program `name` ($XDG_CONFIG_HOME/name/, else
// ~/.config/name/), made when missing.
std::string ConfigDir(const std::string& name);
// The user's folder for the data of the program `name` ($XDG_DATA_HOME/name/, else
// ~/.local/share/name/), with `sub` below it when given, made when missing; "" when it cannot be.
std::string DataDir(const std::string& name, const std::string& sub = "");
// The names of the plain files in a folder, sorted; none when it cannot be read.
std::vector<std::string> ListFiles(const std::string& dir);
bool DeleteFile(const std::string& path);  // false when the file is still there
// The user's pictures: $XDG_PICTURES_DIR, else the folder that user-dirs.dirs in the
// configuration folder names, when it exists; else the home folder.
std::string PicturesDir();
