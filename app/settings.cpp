// app/settings.cpp — varnhold.cfg: no header, no version, every record always present, in
// this order: window x, y, w, h (varints); the states of the options 11, 12, 4 and 8, the
// language tag and the volume step (bytes); then the level's records (name, level, score,
// highlighted row, ten high-score rows).
#include "app/settings.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "app/applet.h"
#include "app/globals.h"
#include "app/replay.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/text.h"
#include "framework/window.h"
#include "game/level.h"
#include "platform/platform.h"
#include "sky/rain.h"

namespace {

// The option entries stored, in file order. "Hide &text (H)" is not among them: the text is
// always shown after a start.
const int storedoptions[4] = {11, 12, 4, 8};

}  // namespace

void loadingscreen(bool settings) {
    if (settings) {
        if (TStream* s = ReadStream(cfgpath)) {
            win.load(s, 0);
            win.reset();
            can.reset();
            CloseStream(s);
        }
    }
    rescale();
    win.show();
    Cls();
    SetScale(2, 2);
    font.scaledraw("Loading...", float(400 - font.width("Loading...")), 200, 2, 2);
    SetScale(1, 1);
    Flip(-1);
}

void loadsettings() {
    TStream* s = ReadStream(cfgpath);
    if (!s) return;
    // A file cut short leaves the defaults for every record it no longer holds.
    win.load(s, 0);
    win.reset();
    can.reset();
    int b;
    for (int tag : storedoptions) {
        if (!readbyte(s, b)) break;
        menu.set(tag, b & 1);   // only the tick: an option must never come back disabled
    }
    if (readbyte(s, b)) {
        // A language that is no longer in the language file (or a damaged byte, which could
        // name another menu entry) falls back to the first language.
        langtag = (b > 100 && b <= 100 + langcount) ? b : 0;
        if (langtag) menu.set(langtag, 1);
    }
    volume.load(s);
    level.load(s);
    // Newer than the rest, so at the end: a file without it leaves the option off, and a game
    // that does not know it stops reading before it.
    if (readbyte(s, b)) menu.set(reduceflashing, b & 1);
    CloseStream(s);
}

int savesettings() {
    // A playback leaves the player's settings alone; a recording is kept as current as they are.
    if (replaying()) return 0;
    savereplay();
    std::string tmp = cfgpath + ".tmp";
    TStream* s = WriteStream(tmp);
    if (!s) return 0;
    win.save(s, 0);
    for (int tag : storedoptions) WriteByte(s, menu.get(tag));
    WriteByte(s, langtag & 255);
    volume.save(s);
    level.save(s);
    WriteByte(s, menu.get(reduceflashing));
    // Closing flushes and syncs the file to the disk: a write, a sync or the close itself
    // that fails leaves the old file in place. Only a complete file replaces it, and the
    // rename is atomic.
    bool failed = StreamFailed(s);
    failed = !CloseStream(s) || failed;
    if (failed || std::rename(tmp.c_str(), cfgpath.c_str()) != 0) {
        std::remove(tmp.c_str());
        return 0;
    }
    // The rename itself lives in the folder: sync it too, so a crash right after the save
    // finds the new file.
    std::string dir = cfgpath.substr(0, cfgpath.find_last_of('/') + 1);
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return 1;
}
