// framework/menutags.h — the tags of the game's menu entries, once. A tag names an entry to
// tmenu (get, set, find) and comes back from tmenu::upd when the player chooses it; the
// options among them are saved by their tags (app/settings.h). The menus are built in
// app/world.cpp (buildmenus), the language file renames them (app/language.cpp).
#pragma once

enum : int {
    menu_start = 1,             // "&Start (Enter)"
    menu_quit = 2,              // "&Quit"
    menu_hiscore = 3,           // "Show &hiscore"
    menu_twobuttons = 4,        // "&2 button mouse"
    menu_resetwindow = 5,       // "Reset &windowsize"
    menu_pause = 6,             // "&Pause (P)", a menu of the bar that acts when opened
    menu_help = 7,              // "&Help", likewise
    menu_pausebetween = 8,      // "&Pause between levels"
    menu_hidetext = 9,          // "Hide &text (H)"
    menu_autobutton = 11,       // "Auto select mouse&button"
    menu_onebutton = 12,        // "&1 button mouse (Auto select turret)"
    menu_game = 13,             // "&Game", the first menu of the bar
    menu_options = 14,          // "&Options"
    menu_reduceflashing = 15,   // "Reduce &flashing"
    menu_sendscores = 16,       // "Send s&cores", tickable, kept in scores.cfg (app/scores.h)
    menu_sharedscores = 17,     // "Shared high sco&res": the score server's page in the browser
    menu_watchbest = 18,        // "&Watch the best game" of the shared table
    menu_volume = 50,           // "&0" .. "&10" of the "&Volume" menu: menu_volume + level;
                                // the menu itself is menu_volume - 1
    menu_language = 100,        // language n (1, 2, ...) of the "&Language" menu: menu_language + n
};
