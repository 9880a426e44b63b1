// framework/pictures.h — the pictures of data/, once: the game loads them by these names
// (framework/assets.cpp, the font in app/world.cpp), the asset generator checks that it makes exactly
// these files (tools/assetgen.cpp) and takes the length of each series from here, CMake reads
// the X(...) lines to know the generator's outputs (tools/CMakeLists.txt), and the asset tests
// walk the list.
//
// The line also makes the picture's global, img_<id> (a series: a vector), which
// framework/assets.cpp loads and gives its handle.
//
// A new picture: a line here, its painting in tools/ (pictures.cpp or sprites.cpp), its load
// and handle in framework/assets.cpp.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

// X(id, file, count): data/<file>.png. A file with %1 is a series numbered 0 .. count - 1;
// the game counts a series on disk, up to the first gap, so count is what the generator makes.
// One picture a line: CMake reads them.
#define VARNHOLD_PICTURES(X)                    \
    X(sky, "sky", 1)                            \
    X(stars, "stars", 1)                        \
    X(sun, "sun", 1)                            \
    X(moon, "moon", 1)                          \
    X(planets, "planets", 1)                    \
    X(rainbow, "rainbow", 1)                    \
    X(cloud, "cloud", 1)                        \
    X(title, "title", 1)                        \
    X(city, "city", 1)                          \
    X(street, "street", 1)                      \
    X(flag, "flag", 1)                          \
    X(house, "house%1", 9)                      \
    X(explosion1, "explosion1", 1)              \
    X(explosion2, "explosion2", 1)              \
    X(ring, "ring", 1)                          \
    X(turretbase, "turretbase", 1)              \
    X(turret, "turret", 1)                      \
    X(rocket, "rocket", 1)                      \
    X(aim, "aim", 1)                            \
    X(car, "car%1", 5)                          \
    X(cart, "car%1t", 5)                        \
    X(police, "police", 1)                      \
    X(plane, "plane%1", 4)                      \
    X(planet, "plane%1t", 4)                    \
    X(superman, "superman", 1)                  \
    X(meteor, "meteor%1", 4)                    \
    X(satellite, "satellite", 1)                \
    X(ufo, "ufo", 1)                            \
    X(chopper, "chopper%1", 3)                  \
    X(jumper, "jumper", 1)                      \
    X(font, "ambient outlined", 1)              \
    X(fontd, "ambient outlined d", 1)

// pic_sky = 0, pic_stars = 1, ...
enum : int {
#define VARNHOLD_PICTURE_ID(id, ...) pic_##id,
    VARNHOLD_PICTURES(VARNHOLD_PICTURE_ID)
#undef VARNHOLD_PICTURE_ID
    pic_count
};

struct tpicturedef {
    const char* file;   // under data/, without ".png"; %1 stands for the number in a series
    int count;          // 1, or the generator's number of pictures in the series
};

inline constexpr tpicturedef picturedefs[pic_count] = {
#define VARNHOLD_PICTURE_DEF(id, file, count) {file, count},
    VARNHOLD_PICTURES(VARNHOLD_PICTURE_DEF)
#undef VARNHOLD_PICTURE_DEF
};

// A file name with "%1" is a series.
constexpr bool isseries(const char* file) {
    for (; *file; file++)
        if (file[0] == '%' && file[1] == '1') return true;
    return false;
}

// img_sky, img_house, ...: the loaded pictures, one global per line (img_font and img_fontd
// stay empty: the font is cut from its picture by the font loader). A series is a vector.
struct TImage;
#define VARNHOLD_PICTURE_GLOBAL(id, file, count) \
    inline std::conditional_t<isseries(file), std::vector<TImage*>, TImage*> img_##id{};
VARNHOLD_PICTURES(VARNHOLD_PICTURE_GLOBAL)
#undef VARNHOLD_PICTURE_GLOBAL

// "data/<file>.png" of picture `id`, number i of a series ("%1" kept when i < 0: a pattern).
inline std::string picturepath(int id, int i = 0) {
    std::string s = std::string("data/") + picturedefs[id].file + ".png";
    size_t at = s.find("%1");
    if (at != std::string::npos && i >= 0) s.replace(at, 2, std::to_string(i));
    return s;
}
