// tools/assetgen.h — the asset generator: every picture, sound and text file the game reads
// from data/ (and its language file), drawn and synthesised here at build time.
//
// Everything is deterministic: fixed seeds, no clock, no system fonts beyond the DejaVu files
// named below, fixed Ogg serial numbers. Two runs write identical bytes.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// A small deterministic generator (xorshift32), shared by pictures and sounds.
struct tgenrnd {
    uint32_t s;
    explicit tgenrnd(uint32_t seed) : s(seed ? seed : 0x9e3779b9u) {}
    uint32_t next() { s ^= s << 13; s ^= s >> 17; s ^= s << 5; return s; }
    float uni() { return (next() >> 8) * (1.0f / 16777216.0f); }        // 0 .. 1
    float sym() { return uni() * 2 - 1; }                                // -1 .. 1
    int upto(int n) { return n > 0 ? int(next() % uint32_t(n)) : 0; }  // 0 .. n-1
};

struct tpicture {
    std::string name;   // file name under data/, without folder
    QImage img;         // ARGB32 (straight alpha), saved as RGBA PNG
};

struct tsound {
    std::string name;            // file name under data/
    std::vector<float> s;        // mono, 44.1 kHz, -1 .. 1
    bool loop = false;           // the game loops it: the end must join the start
    double length = 0;           // intended length in seconds
};

constexpr int rate = 44100;

// pictures.cpp, sprites.cpp: all pictures of data/ except the font.
std::vector<tpicture> makepictures();
void scenepictures(std::vector<tpicture>& out);    // sky, bodies, city, street, houses, effects
void spritepictures(std::vector<tpicture>& out);   // vehicles, intruders, turret, crosshair
QImage makeicon(int size = 256, bool maskable = false);  // the application icon

// font.cpp: the outlined bitmap font and its descriptor.
void fontpictures(std::vector<tpicture>& out);
QString fontfile(const char* file);                // a DejaVu font file, registered once

// sounds.cpp: the 29 sounds, in the game's load order.
std::vector<tsound> makesounds();
void finishsound(tsound& t, float peak);           // fades, loop join, level

// ogg.cpp: Ogg Vorbis encoding (fixed serial) and decoding (for checks).
bool writeogg(const std::string& path, const std::vector<float>& s, int serial);
bool readogg(const std::string& path, std::vector<float>& s, int& channels, long& samplerate);

// language.cpp: varnhold.lng in Latin-1.
std::string makelanguage();

// contact.cpp: every picture on grey and on black, labelled.
QImage contactsheet(const std::vector<tpicture>& pics);

// Helpers for painting: a transparent premultiplied canvas and the conversion for saving.
QImage canvas(int w, int h);
QImage finish(const QImage& img);
