// app/renderscale.h — how finely a frame is drawn. Every picture and the font are made at the
// playfield's own size (800 x 400 units); on a software rasteriser every drawn pixel costs the
// CPU, so there a frame is drawn at one pixel to a playfield unit, what the default window
// costs, and scaled to the canvas once (a little less on a large canvas, to pay for that
// scaling). On a GPU it is drawn at the device's pixels.
//
// The player overrides the choice with --render-scale, or VARNHOLD_RENDER_SCALE in the
// environment (the command line wins): "auto", "device" (the device's pixels whatever draws),
// or a number of pixels per playfield unit from 0.5 to 8 (also on a GPU). Neither is kept in
// the settings file, whose layout older versions read.
#pragma once

#include <string>

// The player's choice: below 0 auto, 0 the device's pixels, above 0 pixels per playfield unit.
extern thread_local float renderoption;

// The option's value for `text`; false (out unchanged) when it is none of the above.
bool parserenderscale(const std::string& text, float& out);

// Pixels drawn per canvas pixel (SetRenderScale's argument; 0: the device's) for a playfield
// drawn at `unit` canvas pixels per playfield unit on a canvas of `canvaspixels` (width x height).
// `keep` is the share of the automatic choice's pixels per unit that the detail keeps (see
// tdetail), never taking it below `least` pixels per unit (nor below the choice itself when that
// is less); they touch nothing else.
float renderlimit(float option, bool software, float unit, float canvaspixels, float keep = 1, float least = 0.5f);

// The fewest pixels per playfield unit at which the font reads easily (letters 6 pixels tall).
constexpr float readableunit = 0.75f;

// The interface's pixels per canvas pixel (SetRenderScale's second argument) over a scene drawn
// at `scene` (renderlimit's result with the detail's share), where the whole choice is `whole`:
// enough for the font to read easily, never more than the whole choice nor less than the scene.
// Below that the interface is drawn apart, and a browser then scales the scene to a canvas
// buffer of the interface's size, at about 40 ns of CPU a buffer pixel on SwiftShader: a
// tenth of a crowded fight's frames at the least detail, a fifth at the whole choice's pixels.
float interfacelimit(float scene, float whole, float unit);

// The automatic choice follows the frames presented. A crowded fight can cost a software
// rasteriser several times what the title does (SwiftShader in a browser fills a pixel at a
// third of llvmpipe's speed, and the page's compositing takes its share of the CPU first), so
// there a second that shows fewer than nine tenths of the frames the display can show gives up
// pixels in proportion (a played level never below half a pixel a playfield unit); seconds at
// full speed win them back a step at a time. A step up that is lost again makes the next wait
// for one twice as long, so the detail does not swing with each wave. Once a level's pixels are
// at their least, a slow second draws the particles (two thirds of a crowded fight's fill) at
// 0.7 of their size, half their pixels, and one more at half their size; they are the first
// thing a step up gives back, a step at a time. The title (see titledetail) follows the frames
// too, but keeps pixels enough for its words to read and its particles whole; it costs a
// browser on SwiftShader more than the display's rate at a page of 1000 x 600.
struct tdetail {
    static constexpr float step = 1.12f;     // a step up: an eighth more pixels per unit
    static constexpr float smaller = 0.7f;   // the particles' sizes while they are drawn smaller
    static constexpr float smallest = 0.5f;
    float least = 0.5f;                    // the least share, and the least pixels per unit
    bool shrink = true;                    // at the least, the particles are drawn smaller
    float keep = 1;                        // share of the automatic pixels per unit, least..1
    float particles = 1;                   // the share of their size particles are drawn at
    int best = 0;                          // most frames shown in a second so far: the display's rate
    int calm = 0;                          // seconds in a row at full speed
    int patience = 3;                      // calm seconds before a step up
    bool rose = false;                     // the last change was a step up

    // One second, in which `ticks` frames were stepped and `shown` presented; true when `keep`
    // or `particles` changed.
    bool second(int ticks, int shown);
};

// The title's detail: no blurrier than the font reads easily, particles whole.
inline tdetail titledetail(int best) { return {.least = readableunit, .shrink = false, .best = best}; }
