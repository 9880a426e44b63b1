// framework/text.h — string helpers of the file readers, and the byte records of the settings
// file: varint = unsigned 32 bits, 7 bits per byte, lowest group first, bit 7 = more follow;
// string = varint length, then one byte per character.
#pragma once

#include <string>

struct TStream;

std::string trimleft(const std::string& s, char c);
std::string trimright(const std::string& s, char c);
std::string replacechar(const std::string& s, char c, char d);
// Matches are found from the end backward: replace("aaa", "aa", "b") is "ab".
std::string replace(const std::string& s, const std::string& find, const std::string& repl);
std::string addchar(const std::string& s, char c);   // "" stays ""
// Cut at the last "." of the last path component (the first with `all`); a slash or a
// backslash separates folders.
std::string stripext(const std::string& path, int all = 0);
// The next line that is not empty and does not start, after blanks, with c; "" at the end.
std::string readline(TStream* s, char c);

int readvar(TStream* s);
void writevar(TStream* s, int n);
std::string varbytes(int n);   // the bytes writevar writes
std::string readstr(TStream* s);
void writestr(TStream* s, const std::string& text);
// As above, false when the stream ends before the record does (the value is then untouched).
// A string whose length runs past the end of the stream is not read: the rest of the stream
// is skipped, so the reader sees the end there.
bool readvar(TStream* s, int& n);
bool readstr(TStream* s, std::string& text);
bool readbyte(TStream* s, int& b);
