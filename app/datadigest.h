// app/datadigest.h — the digest of the data files a game runs with: its pictures, sounds and
// language file. A replay carries it, so that a score server can tell a game played with other
// pictures or sounds (a transparent wall, a silent alarm) from one played with its own.
#pragma once

#include <cstdint>
#include <string>

// 64-bit FNV-1a over every file of `dir`/data (but the files the game makes itself, whose
// names start with "_") and `dir`/varnhold.lng, in the byte order of their names: each file's
// name, a 0 byte, its size in decimal, a 0 byte and its bytes. 0 when there is no data folder.
uint64_t datadigest(const std::string& dir = ".");
