// framework/assets.h — the pictures loaded (or made) at start-up, with the values derived from
// their sizes. Loaded once per process and kept; a fresh world reuses them.
#pragma once

#include <string>
#include <vector>

#include "framework/pictures.h"
#include "platform/platform.h"

// Generated 3 x 4 and 3 x 3 pictures, built pixel by pixel.
extern TImage* img_trailenemy;
extern TImage* img_trailplayer;
extern TImage* img_beam;
extern TImage* img_line;
extern TImage* img_drop;

// From data/: img_<id> of every line of framework/pictures.h, and the skyline mask.
extern TImage* img_citylens;               // made once and cached in data/

extern float cloudw2;                      // half width of the cloud picture
extern float turretbasew2;
extern float explosionw2;                  // 32 for the 64-pixel explosion picture
extern float jumperw2, jumperh2;
extern float starscale;                    // scales the star field to the diagonal of 800 x 800

// Loads (once per process) every picture in table order; returns "" or the path of the first
// picture that could not be loaded. Later calls return the first call's result.
std::string loadimages();
// The same, always reading the files again (loadimages keeps the first result).
std::string readimages();
// The number of files "pattern" names with "%1" replaced by 0, 1, 2, ... up to the first gap.
int countseries(const std::string& pattern);
// The skyline mask: a copy of `city` with opaque black edge columns and its alpha softened by
// eight in-place blur passes; saved as "data/_city lens.png" so that later starts load it.
TImage* makecitylens(TImage* city);
// Where the mask is cached; "" for none (an installed game does not write into its data).
extern std::string citylenspath;
