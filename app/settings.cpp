// app/settings.cpp — varnhold.cfg: no header, no version, every record always present, in
// this order: window x, y, w, h (varints); the states of the options 11, 12, 4 and 8, the
// language tag and the volume step (bytes); then the level's records (name, level, score,
// highlighted row, ten high-score rows); last the state of "Reduce flashing" and the choice of
// "Smooth motion" (a byte each, newer than the rest: files without them load, and older games
// stop reading before them).
#include "app/settings.h"

#include <cstdio>
#include <vector>

#include "app/applet.h"
#include "app/replay.h"
#include "app/smooth.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/menutags.h"
#include "framework/text.h"
#include "framework/window.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"
#include "sky/rain.h"

void loadingscreen(bool settings) {
    if (settings) {
        if (TStream* s = ReadStream(cfgpath)) {
            world->win.load(s, 0);
            world->win.reset();
            world->can.reset();
            CloseStream(s);
        }
    }
    rescale();
    world->win.show();
    Cls();
    SetScale(2, 2);
    world->font.scaledraw("Loading...", float(400 - world->font.width("Loading...")), 200, 2, 2);
    SetScale(1, 1);
    Flip(-1);
}

void loadsettings() {
    TStream* s = ReadStream(cfgpath);
    if (!s) return;
    // A file cut short leaves the defaults for every record it no longer holds.
    world->win.load(s, 0);
    world->win.reset();
    world->can.reset();
    int b;
    for (int tag : storedoptions) {
        if (!readbyte(s, b)) break;
        world->menu.set(tag, b & 1);   // only the tick: an option must never come back disabled
    }
    if (readbyte(s, b)) {
        // A language that is no longer in the language file (or a damaged byte, which could
        // name another menu entry) falls back to the first language.
        world->langtag = (b > 100 && b <= 100 + world->langcount) ? b : 0;
        if (world->langtag) world->menu.set(world->langtag, 1);
    }
    world->volume.load(s);
    world->level.load(s);
    // Newer than the rest, so at the end: a file without it leaves the option off, and a game
    // that does not know it stops reading before it.
    if (readbyte(s, b)) world->menu.set(menu_reduceflashing, b & 1);
    // "Smooth motion", newer still: the player's choice, or the display's while none was made.
    if (readbyte(s, b) && (b & smoothchosen)) {
        smoothchoice = b & 3;
        world->menu.set(menu_smoothmotion, b & 1);
    }
    CloseStream(s);
}

namespace {

// The save that failed, tried again by retrysettings: the files not kept, and when it was.
thread_local std::string owed;
thread_local int lasttry = 0;

// The high-score rows that the settings file's `bytes` hold whole, into `rows`; their count.
int filerows(const std::string& bytes, thiscore (&rows)[10]) {
    RegisterIncbin("settings/now", bytes);
    TStream* s = ReadStream("incbin::settings/now");
    int v;
    bool head = s != nullptr;
    for (int i = 0; i < 4 && head; i++) head = readvar(s, v);   // the window
    for (int i = 0; i < 6 && head; i++) head = readbyte(s, v);  // options, language, volume
    tlevel kept;
    int n = head ? kept.load(s) : 0;
    CloseStream(s);
    for (int i = 0; i < n; i++) rows[i] = kept.hiscore[i];
    return n;
}

// The file's new bytes, given what it holds now: this game's settings, its table merged.
std::string settingsbytes(const std::string& now) {
    thiscore kept[10];
    int n = filerows(now, kept);
    // The game's own table stays as it is: a recorded game must play back to the same world.
    tlevel merged = world->level;
    mergehiscores(merged.hiscore, merged.highlighthiscore, kept, n);
    TStream* s = MemoryStream();
    world->win.save(s, 0);
    for (int tag : storedoptions) WriteByte(s, world->menu.get(tag));
    WriteByte(s, world->langtag & 255);
    world->volume.save(s);
    merged.save(s);
    WriteByte(s, world->menu.get(menu_reduceflashing));
    WriteByte(s, smoothchoice);
    std::string bytes = StreamBytes(s);
    CloseStream(s);
    return bytes;
}

bool same(const thiscore& a, const thiscore& b) { return a.name == b.name && a.level == b.level && a.score == b.score; }

}  // namespace

void mergehiscores(thiscore (&rows)[10], int& highlight, const thiscore* kept, int count) {
    std::vector<thiscore> table(rows, rows + 10);
    std::vector<bool> matched(10, false);   // a row of the table that a row of the file stands for
    for (int k = 0; k < count; k++) {
        const thiscore& r = kept[k];
        size_t i = 0;
        while (i < table.size() && (matched[i] || !same(table[i], r))) i++;
        if (i < table.size()) {
            matched[i] = true;
            continue;
        }
        size_t at = 0;
        while (at < table.size() && !(r.score > table[at].score)) at++;
        if (at >= 10) continue;
        table.insert(table.begin() + long(at), r);
        matched.insert(matched.begin() + long(at), true);
        if (highlight >= int(at)) highlight++;
    }
    for (int i = 0; i < 10; i++) rows[i] = table[size_t(i)];
    if (highlight >= 10) highlight = -1;
}

std::string savesettings() {
    // A playback leaves the player's settings alone; a recording is kept as current as they are.
    if (replaying()) return "";
    std::string problems, files;
    std::string why = UpdateFile(cfgpath, settingsbytes);
    if (!why.empty()) {
        problems = "Can't save " + cfgpath + ": " + why;
        files = cfgpath;
    }
    std::string replay = savereplay();
    if (!replay.empty()) {
        problems += (problems.empty() ? "" : "\n") + replay;
        files += (files.empty() ? "" : " and ") + recordingpath();
    }
    owed = files;
    lasttry = MilliSecs();
    return problems;
}

void savenow() {
    std::string problems = savesettings();
    if (!problems.empty()) std::fprintf(stderr, "%s\n", problems.c_str());
}

void retrysettings() {
    if (owed.empty() || MilliSecs() - lasttry < 10000) return;
    std::string files = owed;
    if (savesettings().empty()) std::fprintf(stderr, "Saved %s now\n", files.c_str());
}
