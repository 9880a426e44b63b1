// app/language.cpp — the language file.
#include "app/language.h"

#include "app/globals.h"

std::string sectionname(const std::string& line) {
    size_t a = line.find_first_not_of(' ');
    if (a == std::string::npos || line[a] != '[') return "";
    size_t b = line.find_last_not_of(' ');
    std::string s = line.substr(a, b - a + 1);
    while (!s.empty() && s.back() == ']') s.pop_back();
    size_t c = s.find_first_not_of('[');
    return c == std::string::npos ? "" : s.substr(c);
}

void listlanguages() {}
void loadlanguage(int) {}
void recomputewidths() {}
