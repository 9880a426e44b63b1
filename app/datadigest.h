// app/datadigest.h — the digest of the data a game runs with: its pictures, sounds and language
// file. A replay carries it, so that a score server can tell a game played with other pictures
// (a transparent wall) or texts from one played with its own.
//
// It is the digest of what the game takes from the files, never of the bytes an encoder wrote:
// the asset generator writes the PNG and Ogg files with the machine's zlib and Vorbis encoder,
// so a build made elsewhere (a distribution's, a player's own, the web site's, the server's)
// holds other bytes for the same pictures. Replays of format 2 (version 1.1.0) name the
// bytes' digest; a server still accepts those where they match its own files' bytes.
#pragma once

#include <cstdint>
#include <string>

// 64-bit FNV-1a over every file of `dir`/data (but the files the game makes itself, whose
// names start with "_") and `dir`/varnhold.lng, in the byte order of their names: each file's
// name, a 0 byte, then what the game takes from it and a 0 byte:
// - a picture (.png): "picture ", then PictureDigest as 16 hex digits: its width, height and
//   RGBA pixels as the game decodes them;
// - a sound (.ogg): "sound ", then SoundDigest as 16 hex digits: its rate and its exact number of
//   samples (its samples differ in their last bits from one decoder to another, and decide
//   nothing in the world: a channel's level, pan and end are no part of the rules);
// - any other file, the language file among them: its size in decimal, a 0 byte and its bytes.
// A picture or sound that does not decode counts as digest 0. 0 when there is no data folder.
// The program info (embedded, with the build time in it) is left out: the replay's program
// line names the version.
// Once the game has loaded its pictures and sounds nothing is decoded again (PictureDigest):
// about 2 ms of CPU, less than the bytes' digest; with nothing loaded (a server's start) every
// picture and sound is decoded, about 0.11 s (bench/world_bench.cpp, BM_datadigest_*).
uint64_t datadigest(const std::string& dir = ".");

// The digest of the same files' bytes, which replays of format 2 name: 64-bit FNV-1a over each
// file's name, a 0 byte, its size in decimal, a 0 byte and its bytes.
uint64_t databytesdigest(const std::string& dir = ".");

// Both, for a score server that plays replays of either format.
struct tdatadigests {
    uint64_t content = 0;             // datadigest: what replays of format 3 name
    uint64_t bytes = 0;               // databytesdigest: what replays of format 2 name
};
tdatadigests datadigests(const std::string& dir = ".");
