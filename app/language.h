// app/language.h — varnhold.lng: sections of 26 interface texts, one section per language.
#pragma once

#include <string>

// Adds one "&Language" entry per section header, tags 101, 102, ... in file order.
void listlanguages();
// Applies the section named like the menu entry with this tag.
void loadlanguage(int tag);
// The widths of the interface texts measured with the font.
void recomputewidths();
// The name of a section header line, or "" when the line is no header.
std::string sectionname(const std::string& line);
