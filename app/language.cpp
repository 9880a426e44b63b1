// app/language.cpp — the language file: a header line "[Name]", 26 text lines and up to 4 later ones per section;
// empty lines and lines whose first non-blank is ";" are skipped everywhere.
#include "app/language.h"

#include <string_view>

#include "app/world.h"
#include "framework/font.h"
#include "framework/menutags.h"
#include "framework/screenwords.h"
#include "framework/text.h"
#include "framework/window.h"
#include "game/world.h"
#include "platform/platform.h"
#include "sky/rain.h"

namespace {

// The lines of the section applied last ("" where English stands).
thread_local std::string applied[languagelines];

// A word of the screen as read from its line: with the blank the file leaves out.
std::string screenword(const std::string& line, std::string_view english) {
    return english.ends_with(' ') ? line + " " : line;
}

}  // namespace

bool sectionheader(const std::string& line, std::string& name) {
    size_t a = line.find_first_not_of(' ');
    if (a == std::string::npos || line[a] != '[') return false;
    std::string s = line.substr(a, line.find_last_not_of(' ') - a + 1);
    while (!s.empty() && s.back() == ']') s.pop_back();
    size_t c = s.find_first_not_of('[');
    name = c == std::string::npos ? "" : s.substr(c);
    return true;
}

std::vector<std::string> languagenames(TStream* s) {
    std::vector<std::string> names;
    std::string name;
    for (std::string line = readline(s, ';'); !line.empty(); line = readline(s, ';')) {
        if (!sectionheader(line, name)) continue;
        if (int(names.size()) >= maxlanguages) break;
        names.push_back(name);
    }
    return names;
}

bool languagesection(TStream* s, const std::string& name, std::string (&t)[languagelines]) {
    std::string found;
    for (;;) {
        std::string line = readline(s, ';');
        if (line.empty()) return false;   // the end of the file: no such section
        if (sectionheader(line, found) && found == name) break;
    }
    // 26 text lines follow, used as they stand; a file that ends early leaves the rest empty.
    for (int i = 0; i < firstlanguagelines; i++) t[i] = readline(s, ';');
    for (int i = firstlanguagelines; i < languagelines; i++) {
        std::string line = readline(s, ';');
        if (line.empty() || sectionheader(line, found)) break;
        t[i] = line;
    }
    return true;
}

void listlanguages() {
    TStream* s = ReadStream(lngpath);
    if (!s) return;
    for (const std::string& name : languagenames(s)) {
        world->langcount++;
        world->menu.add(name, menu_language + world->langcount, 1, 0, 0);
    }
    CloseStream(s);
}

void recomputewidths() {
    world->wstart = world->font.width(world->txtstart) / 2;
    world->wgetready = world->font.width(world->txtgetready);
    world->wrearming = world->font.width(world->txtrearming);
    world->wgameover = world->font.width(world->txtgameover);
    world->wentername = world->font.width(world->txtentername);
}

void loadlanguage(int tag) {
    int entry = world->menu.find(tag);
    if (entry < 0) return;
    TStream* s = ReadStream(lngpath);
    if (!s) return;
    std::string t[languagelines];
    bool found = languagesection(s, GadgetText(world->menu.g[entry]), t);
    CloseStream(s);
    if (found) applylanguage(t, tag);
}

void applylanguage(const std::string (&t)[languagelines], int tag) {
    // The entries of framework/menutags.h with a line. A later line a file made before it lacks
    // leaves the entry English.
    for (const tmenuentry& e : menuentries) {
        if (e.line == 0) continue;
        const std::string& line = t[e.line - 1];
        std::string text = line.empty() && e.line > firstlanguagelines ? e.english : line;
        for (size_t k = 0; k < world->menu.g.size(); k++)
            if (world->menu.flag[k] >> 1 == renamedtag(e)) SetMenuText(world->menu.g[k], text);
    }
    world->menu.endadd();
#define VARNHOLD_SCREENWORD_READ(name, line, english) world->name = screenword(t[line - 1], english);
    VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_READ)
#undef VARNHOLD_SCREENWORD_READ
    recomputewidths();
    for (int i = 0; i < languagelines; i++) applied[i] = t[i];
    for (int i = menu_language + 1; i <= menu_language + world->langcount; i++) world->menu.set(i, 0);
    world->menu.set(tag, 1);
    world->langtag = tag;
}

std::string languageline(int line) {
    if (line < 1 || line > languagelines) return "";
    if (!applied[line - 1].empty()) return applied[line - 1];
    for (const tmenuentry& e : menuentries)
        if (e.line == line) return e.english;
    for (const tscreenword& w : screenwords)
        if (w.line == line) return w.english;
    for (const tscreenword& w : linewords)
        if (w.line == line) return w.english;
    return "";
}
