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
float renderlimit(float option, bool software, float unit, float canvaspixels);
