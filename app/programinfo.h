// app/programinfo.h — the program-info text embedded in the game: version, build and the
// Help text, lines of key=value.
#pragma once

#include <string>

extern const char* const programinfoname;   // "_build/Varnhold.ver"

// Registers the embedded text so that "incbin::_build/Varnhold.ver" reads it.
void registerprograminfo();
// The value of the first line whose key, lower-cased, equals `key`; "" when there is none.
std::string infovalue(const std::string& key);
// The text of the Help box.
std::string programinfo();
