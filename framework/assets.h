// framework/assets.h — the pictures loaded (or made) at start-up, with the values derived from
// their sizes. Loaded once per process and kept; a fresh world reuses them.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// Generated 3 x 4 and 3 x 3 pictures, built pixel by pixel.
extern TImage* img_trailenemy;
extern TImage* img_trailplayer;
extern TImage* img_beam;
extern TImage* img_line;
extern TImage* img_drop;

// From data/.
extern TImage* img_cloud;
extern TImage* img_title;
extern TImage* img_aim;
extern TImage* img_rocket;
extern std::vector<TImage*> img_house;     // house0.png .. houseN-1.png, counted without gaps
extern TImage* img_turretbase;
extern TImage* img_turret;
extern TImage* img_explosion1;
extern TImage* img_explosion2;
extern TImage* img_police;
extern std::vector<TImage*> img_car;
extern std::vector<TImage*> img_cart;      // overlays, same length as img_car
extern TImage* img_superman;
extern std::vector<TImage*> img_plane;
extern std::vector<TImage*> img_planet;    // overlays, same length as img_plane
extern std::vector<TImage*> img_meteor;
extern TImage* img_satellite;
extern TImage* img_ufo;
extern std::vector<TImage*> img_chopper;
extern TImage* img_jumper;
extern TImage* img_ring;
extern TImage* img_flag;
extern TImage* img_city;
extern TImage* img_citylens;               // the skyline mask, made once and cached in data/
extern TImage* img_street;
extern TImage* img_sky;
extern TImage* img_stars;
extern TImage* img_moon;
extern TImage* img_sun;
extern TImage* img_planets;
extern TImage* img_rainbow;

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
