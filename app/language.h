// app/language.h — varnhold.lng: sections of 30 interface texts, one section per language.
#pragma once

#include <string>
#include <vector>

#include "framework/menutags.h"

struct TStream;

// The most languages the menu lists: the settings keep the language's tag (100 + its place)
// in one byte.
constexpr int maxlanguages = 155;

// Adds one "&Language" entry per section header, tags 101, 102, ... in file order.
void listlanguages();
// Applies the section named like the menu entry with this tag.
void loadlanguage(int tag);
// The readers behind them. Section names in file order, at most maxlanguages of them:
std::vector<std::string> languagenames(TStream* s);
// The lines of a section (languagelines, framework/menutags.h): 26 menu texts and screen words,
// then the captions of the menu entries added later, which files made before them lack (those
// lines are then left empty).
constexpr int firstlanguagelines = 26;
// The text lines of the first section called `name`; false when there is none.
bool languagesection(TStream* s, const std::string& name, std::string (&t)[languagelines]);
// Puts a section's texts in place (menus, screen words, their widths) as language `tag`; an
// empty caption of a later entry leaves it English.
void applylanguage(const std::string (&t)[languagelines], int tag);
// The text of a language-file line in the language in use: the English text where the section
// has none (an older file) or no language was applied.
std::string languageline(int line);
// The widths of the interface texts measured with the font.
void recomputewidths();
// Whether a line is a section header, and the section's name.
bool sectionheader(const std::string& line, std::string& name);
