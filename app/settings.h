// app/settings.h — varnhold.cfg (window, four options, language, volume, name, high scores)
// and the loading screen that places the window from it.
#pragma once

#include <array>
#include <string>

#include "framework/menutags.h"

// The menu tags of the options stored in the settings file and in a replay's settings records,
// in file order: the `kept` entries of framework/menutags.h. "Hide &text (H)" is not among them:
// the text is always shown after a start.
inline constexpr auto storedoptions = [] {
    constexpr size_t kept = [] {
        size_t n = 0;
        for (const tmenuentry& e : menuentries) n += e.kind == menukind_kept;
        return n;
    }();
    std::array<int, kept> tags{};
    size_t n = 0;
    for (const tmenuentry& e : menuentries)
        if (e.kind == menukind_kept) tags[n++] = e.tag;
    return tags;
}();
// A fifth would be a new record of the settings file and of a replay's settings records (app/replay.*).
static_assert(storedoptions.size() == 4, "the settings file and the replays keep four options");

// Places the window from the settings file (when `settings`), shows it and draws "Loading...".
void loadingscreen(bool settings = true);
void loadsettings();
// Saves the settings and the replay being recorded (a playback writes neither), each through
// SaveFile, so that a failure leaves the old file as it was. Returns "" when both are kept,
// else one line for each file that is not, naming it and the reason ("Can't save
// varnhold.cfg: No space left on device"); the save is then owed (see retrysettings). The
// high-score table written is this game's merged with the one the file holds at that moment
// (mergehiscores): two copies of the game in one folder lose none of each other's rows.
std::string savesettings();
// Saves at once (right after a new high-score row): what could not be saved is said on
// standard error.
void savenow();
// While a save is owed, tries it again every 10 seconds and says on standard error once the
// files are kept; called at every frame tick.
void retrysettings();

struct thiscore;
// Merges the `count` rows a settings file holds into this game's table `rows`: a row the file
// holds more often than the table (equal name, level and score) goes in where the game would
// put a new row of its score, below the rows that score as much; the ten best stay. The
// highlighted row `highlight` stays with its row, -1 when that drops out.
void mergehiscores(thiscore (&rows)[10], int& highlight, const thiscore* kept, int count);
