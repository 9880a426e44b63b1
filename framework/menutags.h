// framework/menutags.h — the game's menus, once: every entry's tag, its place, its English text
// and its line in the language file (the words of the screen, the rest of that file, are in
// framework/screenwords.h). Built from this list: the tags below, the menus
// (buildmenus() in app/world.cpp), the English section of the language file (tools/language.cpp),
// the renaming when a language is chosen (app/language.cpp) and the options kept in the
// settings file (app/settings.h). A tag names an entry to tmenu (get, set, find) and comes back
// from tmenu::upd when the player chooses it.
//
// A new entry: its line here where it shows, what it does in menucommand() (app/applet.cpp), and,
// when it has a language-file line, its text in the other languages of tools/language.cpp.
#pragma once

#include "framework/screenwords.h"

// X(name, tag, kind, line, English text), in the order the menus show them: a `bar` line opens a
// menu of the bar and the lines after it fill that menu; S() is a separator. `line` is the
// entry's line in a language-file section (1, 2, ...), 0 for a text no language changes. The
// "&" goes before the entry's mnemonic, unique within its menu. Kinds:
//   bar        a menu of the bar (the first is the menu itself); chosen when opened
//   act        an entry that acts when chosen
//   tick       a tickable entry
//   kept       a tickable entry kept in the settings file (its option bytes, in this order)
//   volume     the volume menu of the bar: levels "&0" .. "&10" tagged tag + level, the
//              menu itself tag - 1
//   languages  the menu of the bar listing the language file's sections, tagged tag + 1,
//              tag + 2, ...; the menu itself has no tag
#define VARNHOLD_MENUS(X, S)                                                       \
    X(game, 13, bar, 1, "&Game")                                                   \
    X(start, 1, act, 2, "&Start (Enter)")                                          \
    X(daily, 20, act, 32, "&Daily challenge")           /* app/dailygame */        \
    S()                                                                            \
    X(hiscore, 3, act, 3, "Show &hiscore")                                         \
    S()                                                                            \
    X(sendscores, 16, tick, 28, "Send s&cores")         /* kept in scores.cfg */   \
    X(sharedscores, 17, act, 29, "Shared high sco&res") /* the server's page */    \
    X(watchbest, 18, act, 30, "&Watch the best game")   /* of the shared table */  \
    S()                                                                            \
    X(quit, 2, act, 4, "&Quit")                                                    \
    X(options, 14, bar, 5, "&Options")                                             \
    X(resetwindow, 5, act, 6, "Reset &windowsize")                                 \
    S()                                                                            \
    X(autobutton, 11, kept, 7, "Auto select mouse&button")                         \
    X(onebutton, 12, kept, 8, "&1 button mouse (Auto select turret)")              \
    X(twobuttons, 4, kept, 9, "&2 button mouse")                                   \
    S()                                                                            \
    X(pausebetween, 8, kept, 10, "&Pause between levels")                          \
    X(hidetext, 9, tick, 11, "Hide &text (H)")                                     \
    X(reduceflashing, 15, tick, 27, "Reduce &flashing") /* kept by app/settings */ \
    X(smoothmotion, 19, tick, 31, "Smooth &motion")     /* kept by app/settings */ \
    X(volume, 50, volume, 13, "&Volume")                                           \
    X(pause, 6, bar, 12, "&Pause (P)")                                             \
    X(help, 7, bar, 14, "&Help")                                                   \
    X(language, 100, languages, 0, "&Language")

// menu_game = 13, menu_start = 1, ...
enum : int {
#define VARNHOLD_MENU_TAG(name, tag, ...) menu_##name = tag,
#define VARNHOLD_MENU_NOTAG()
    VARNHOLD_MENUS(VARNHOLD_MENU_TAG, VARNHOLD_MENU_NOTAG)
#undef VARNHOLD_MENU_TAG
#undef VARNHOLD_MENU_NOTAG
};

enum tmenukind : int {
    menukind_bar,
    menukind_act,
    menukind_tick,
    menukind_kept,
    menukind_volume,
    menukind_languages,
    menukind_separator
};

struct tmenuentry {
    int tag;
    tmenukind kind;
    int line;   // in a language-file section, 0 for none
    const char* english;
};

inline constexpr tmenuentry menuentries[] = {
#define VARNHOLD_MENU_ENTRY(name, tag, kind, line, english) {tag, menukind_##kind, line, english},
#define VARNHOLD_MENU_SEPARATOR() {0, menukind_separator, 0, ""},
    VARNHOLD_MENUS(VARNHOLD_MENU_ENTRY, VARNHOLD_MENU_SEPARATOR)
#undef VARNHOLD_MENU_ENTRY
#undef VARNHOLD_MENU_SEPARATOR
};

// The tag the language file's line renames: the volume's menu is tagged one below its levels.
constexpr int renamedtag(const tmenuentry& e) { return e.kind == menukind_volume ? e.tag - 1 : e.tag; }

// The lines of a language-file section: the menu texts and the words of the screen.
inline constexpr int languagelines = [] {
    int n = 0;
    for (const tmenuentry& e : menuentries) n = e.line > n ? e.line : n;
    for (const tscreenword& w : screenwords) n = w.line > n ? w.line : n;
    for (const tscreenword& w : linewords) n = w.line > n ? w.line : n;
    return n;
}();
