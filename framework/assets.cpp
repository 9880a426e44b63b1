// framework/assets.cpp — loads the pictures of data/ in their fixed order, sets their handles and
// derived sizes, builds the five small generated pictures and the cached skyline mask.
#include "framework/assets.h"

#include <cmath>
#include <string>

#include "framework/image.h"
#include "framework/pictures.h"

TImage* img_trailenemy = nullptr;
TImage* img_trailplayer = nullptr;
TImage* img_beam = nullptr;
TImage* img_line = nullptr;
TImage* img_drop = nullptr;
TImage* img_citylens = nullptr;

float cloudw2 = 0;
float turretbasew2 = 0;
float explosionw2 = 0;
float jumperw2 = 0, jumperh2 = 0;
float starscale = 0;

std::string citylenspath = "data/_city lens.png";

namespace {

// The path of the first picture that could not be loaded; loading stops there.
std::string failed;

uint32_t argb(int r, int g, int b, int a) {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

TImage* generated(const char* name, int w, int h) {
    TImage* img = CreateImage(w, h, 1, IMG_FILTERED | IMG_DYNAMIC);
    img->name = name;
    return img;
}

// 3 x 4 trail picture: the middle column carries c1 in row 1 and c2 in row 2; every other
// pixel keeps its row's colour with alpha 0, so filtering at the edges does not darken it.
TImage* trailimage(const char* name, int r1, int g1, int b1, int r2, int g2, int b2) {
    TImage* img = generated(name, 3, 4);
    TPixmap& p = LockImage(img, 0, true, true);
    for (int x = 0; x < 3; x++) {
        WritePixel(p, x, 0, argb(r1, g1, b1, 0));
        WritePixel(p, x, 1, argb(r1, g1, b1, x == 1 ? 255 : 0));
        WritePixel(p, x, 2, argb(r2, g2, b2, x == 1 ? 255 : 0));
        WritePixel(p, x, 3, argb(r2, g2, b2, 0));
    }
    UnlockImage(img, 0);
    return img;
}

// 3 x 3 picture of one colour, opaque where `on` says so (bit y * 3 + x).
TImage* dotimage(const char* name, int r, int g, int b, int on) {
    TImage* img = generated(name, 3, 3);
    TPixmap& p = LockImage(img, 0, true, true);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++) WritePixel(p, x, y, argb(r, g, b, (on >> (y * 3 + x)) & 1 ? 255 : 0));
    UnlockImage(img, 0);
    return img;
}

TImage* load(const std::string& path) {
    if (!failed.empty()) return nullptr;
    TImage* img = FileType(path) == 1 ? LoadImage(path, -1) : nullptr;
    if (!img) {
        failed = path;
        return nullptr;
    }
    if (img->name.empty()) img->name = path.substr(5);   // under data/
    return img;
}

// Handles: "w / 2" is a float division, "w div 2" an integer one.
TImage* half(TImage* img) {
    if (img) SetImageHandle(img, img->width / 2.0f, img->height / 2.0f);
    return img;
}
TImage* halfdiv(TImage* img) {
    if (img) SetImageHandle(img, float(img->width / 2), float(img->height / 2));
    return img;
}
TImage* topcentre(TImage* img) {
    if (img) SetImageHandle(img, img->width / 2.0f, 0);
    return img;
}
TImage* bottomcentre(TImage* img) {
    if (img) SetImageHandle(img, img->width / 2.0f, float(img->height));
    return img;
}

std::string seriesname(const std::string& pattern, int i) {
    std::string s = pattern;
    size_t at = s.find("%1");
    if (at != std::string::npos) s.replace(at, 2, std::to_string(i));
    return s;
}

std::vector<TImage*> loadseries(const std::string& pattern, TImage* (*handle)(TImage*)) {
    std::vector<TImage*> v;
    int n = countseries(pattern);
    for (int i = 0; i < n && failed.empty(); i++) v.push_back(handle(load(seriesname(pattern, i))));
    return v;
}

// The overlays of a series: one per base picture, every one of them must exist.
std::vector<TImage*> loadoverlays(const std::string& pattern, size_t n, TImage* (*handle)(TImage*)) {
    std::vector<TImage*> v;
    for (size_t i = 0; i < n && failed.empty(); i++) v.push_back(handle(load(seriesname(pattern, int(i)))));
    return v;
}

}  // namespace

int countseries(const std::string& pattern) {
    int n = 0;
    while (FileType(seriesname(pattern, n)) == 1) n++;
    return n;
}

TImage* makecitylens(TImage* city) {
    TImage* lens = CreateImage(city->width, city->height, 1, IMG_FILTERED | IMG_DYNAMIC);
    lens->name = "_city lens.png";
    copyimage(lens, city, 0, 0, 0, 0, 4, 0);
    TPixmap& p = LockImage(lens, 0, true, true);
    for (int y = 0; y < p.height; y++) {
        WritePixel(p, 0, y, 0xff000000u);
        WritePixel(p, p.width - 1, y, 0xff000000u);
    }
    UnlockImage(lens, 0);
    // soft edges: eight passes of the 3 x 3 box blur over the alpha bytes, in place
    for (int pass = 0; pass < 8; pass++) blurimage(lens, 1, 1, 3);
    if (!citylenspath.empty()) SavePixmapPNG(lens->pixmaps[0], citylenspath, 9);   // when this fails the mask is still used
    return lens;
}

std::string loadimages() {
    static bool done = false;
    static std::string result;
    if (!done) result = readimages();
    done = true;
    return result;
}

std::string readimages() {
    failed.clear();

    img_trailenemy = trailimage("img_trailenemy", 255, 205, 20, 205, 30, 0);
    img_trailplayer = trailimage("img_trailplayer", 20, 205, 255, 205, 0, 50);
    img_beam = dotimage("img_beam", 255, 255, 255, 0b000010010);
    img_line = dotimage("img_line", 255, 255, 255, 0b010010010);
    img_drop = dotimage("img_drop", 0, 155, 255, 0b000010000);

    img_cloud = load(picturepath(pic_cloud));
    if (img_cloud) SetImageHandle(img_cloud, img_cloud->width / 2.0f, float(img_cloud->height));
    cloudw2 = img_cloud ? img_cloud->width / 2.0f : 0;
    img_title = topcentre(load(picturepath(pic_title)));
    img_aim = half(load(picturepath(pic_aim)));
    img_rocket = half(load(picturepath(pic_rocket)));
    img_house = loadseries(picturepath(pic_house, -1), [](TImage* i) {
        if (i) SetImageHandle(i, 0, float(i->height));
        return i;
    });
    img_turretbase = bottomcentre(load(picturepath(pic_turretbase)));
    turretbasew2 = img_turretbase ? img_turretbase->width / 2.0f : 0;
    img_turret = bottomcentre(load(picturepath(pic_turret)));
    img_explosion1 = half(load(picturepath(pic_explosion1)));
    img_explosion2 = half(load(picturepath(pic_explosion2)));
    explosionw2 = img_explosion2 ? img_explosion2->width / 2.0f : 0;
    img_police = topcentre(load(picturepath(pic_police)));
    img_car = loadseries(picturepath(pic_car, -1), topcentre);
    img_cart = loadoverlays(picturepath(pic_cart, -1), img_car.size(), topcentre);
    img_superman = half(load(picturepath(pic_superman)));
    img_plane = loadseries(picturepath(pic_plane, -1), half);
    img_planet = loadoverlays(picturepath(pic_planet, -1), img_plane.size(), half);
    img_meteor = loadseries(picturepath(pic_meteor, -1), half);
    img_satellite = half(load(picturepath(pic_satellite)));
    img_ufo = half(load(picturepath(pic_ufo)));
    img_chopper = loadseries(picturepath(pic_chopper, -1), half);
    img_jumper = half(load(picturepath(pic_jumper)));
    jumperw2 = img_jumper ? img_jumper->width / 2.0f : 0;
    jumperh2 = img_jumper ? img_jumper->height / 2.0f : 0;
    img_ring = half(load(picturepath(pic_ring)));
    img_flag = load(picturepath(pic_flag));
    img_city = load(picturepath(pic_city));
    if (failed.empty()) {
        img_citylens = FileType(citylenspath) == 1 ? LoadImage(citylenspath, -1) : nullptr;
        if (img_citylens) img_citylens->name = "_city lens.png";
        else img_citylens = makecitylens(img_city);
    }
    img_street = load(picturepath(pic_street));
    img_sky = load(picturepath(pic_sky));
    img_stars = halfdiv(load(picturepath(pic_stars)));
    starscale = img_stars ? float(std::sqrt(1280000.0) / img_stars->width) : 0;
    img_moon = halfdiv(load(picturepath(pic_moon)));
    img_sun = halfdiv(load(picturepath(pic_sun)));
    img_planets = halfdiv(load(picturepath(pic_planets)));
    img_rainbow = load(picturepath(pic_rainbow));

    return failed;
}
