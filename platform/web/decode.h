// platform/web/decode.h — PNG and Ogg Vorbis decoding for the browser build, with the stb
// decoders (libpng and libvorbisfile are the desktop's). Same results and the same refusals as
// the desktop's decodepng and decodeogg: RGBA pixels; a sound mixed down to mono 16-bit,
// decoded whole or not at all (a damaged page, a second stream, fewer samples than declared).
#pragma once

#include <string>

struct TPixmap;
struct TSound;

namespace plat {
bool stbdecodepng(const std::string& bytes, TPixmap& out);
bool stbdecodeogg(const std::string& bytes, TSound& snd);
// The sound's rate and declared number of samples (frames) from its headers, when the file is
// one whole stream with sound headers: what stbdecodeogg gives a file it decodes.
bool stbpeekogg(const std::string& bytes, TSound& snd);
bool peekogg(const std::string& bytes, TSound& snd);   // the same, its time counted (codecs.cpp)
}  // namespace plat
