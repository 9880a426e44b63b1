// The readers of varnhold.cfg, varnhold.lng, the program info and the stream records.
#include <cstring>
#include <string>

#include "app/language.h"
#include "app/programinfo.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/text.h"
#include "framework/window.h"
#include "fuzz/targets.h"
#include "game/level.h"
#include "game/world.h"
#include "platform/platform.h"

namespace {

// The state the settings reader changes, as the world had it before the first input, so that
// every input starts from the same place.
struct tsettingsstate {
    twin win;
    tvolume volume;
    tlevel level;
};

// Switches a path of the game to a scratch file for one run.
struct tpathswap {
    std::string& path;
    std::string kept;
    tpathswap(std::string& p, const std::string& scratch) : path(p), kept(p) { path = scratch; }
    ~tpathswap() { path = kept; }
};

std::string text(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

}  // namespace

// Any bytes as varnhold.cfg: the game keeps running on what it reads, with a volume step of
// 0 .. 10, a language that is in the menu (or none), options that stay enabled, and a window
// inside reach of the work area.
const char* fuzzsettings(const uint8_t* data, size_t size) {
    if (!fuzzworld()) return "no world";
    static tsettingsstate start;
    if (start.win.g != world->win.g)
        start = {world->win, world->volume, world->level};   // a new world (tests build many)
    world->win = start.win;
    world->win.reset();
    world->can.reset();
    world->volume = start.volume;
    for (int tag = 50; tag <= 60; tag++) world->menu.set(tag, tag == 50 + world->volume.on);
    for (int tag : {11, 12, 4, 8}) world->menu.set(tag, 0);
    for (int tag = 101; tag <= 100 + world->langcount; tag++) world->menu.set(tag, 0);
    world->langtag = 0;
    world->level = start.level;

    tpathswap cfg(cfgpath, fuzzfile("varnhold.cfg"));
    writefile(cfgpath, data, size);
    loadsettings();
    if (world->volume.on < 0 || world->volume.on > 10 || world->volume.vol < 0 || world->volume.vol > 1)
        return "volume out of range";
    if (world->langtag != 0 && (world->langtag < 101 || world->langtag > 100 + world->langcount))
        return "language that is not in the menu";
    for (int tag : {11, 12, 4, 8})
        if (world->menu.get(tag) & 2) return "an option came back disabled";
    if (world->win.w > world->workarea[2] - world->workarea[0] ||
        world->win.h > world->workarea[3] - world->workarea[1])
        return "window larger than the work area";
    if (int64_t(world->win.x) + world->win.w < world->workarea[0] + 16 - 1 || world->win.x > world->workarea[2] - 16)
        return "window out of reach";
    // What was read is written back and reads back the same.
    std::string name = world->level.name;
    int score = world->level.score, top = world->level.hiscore[0].score;
    if (!savesettings().empty()) return "the settings could not be written back";
    world->level = start.level;
    loadsettings();
    if (world->level.name != name || world->level.score != score || world->level.hiscore[0].score != top)
        return "settings changed on the way back";
    return nullptr;
}

std::vector<std::string> settingsseeds() {
    std::vector<std::string> seeds;
    if (!fuzzworld()) return seeds;
    tpathswap cfg(cfgpath, fuzzfile("seed.cfg"));
    savesettings();
    seeds.push_back(readfile(cfgpath));
    tlevel keep = world->level;
    world->level.name = "Zo\xeb";
    world->level.score = 300;
    world->level.highlighthiscore = 2;
    for (int i = 0; i < 10; i++) world->level.hiscore[i] = {"Row" + std::to_string(i), 10 - i, 1000 - 90 * i};
    savesettings();
    seeds.push_back(readfile(cfgpath));
    world->level = keep;
    return seeds;
}

// Any bytes as varnhold.lng: every section found applies, the placement word gets its blank,
// and the widths are measured from the new words.
const char* fuzzlanguage(const uint8_t* data, size_t size) {
    if (!fuzzworld()) return "no world";
    tpathswap lng(lngpath, fuzzfile("varnhold.lng"));
    writefile(lngpath, data, size);
    TStream* s = ReadStream(lngpath);
    if (!s) return "the file could not be opened";
    std::vector<std::string> names = languagenames(s);
    CloseStream(s);
    if (int(names.size()) > maxlanguages) return "more languages than the settings can keep";
    int keeptag = world->langtag;
    for (size_t i = 0; i < names.size() && i < 4; i++) {
        s = ReadStream(lngpath);
        std::string t[languagelines];
        bool found = languagesection(s, names[i], t);
        CloseStream(s);
        if (!found) return "a listed section was not found again";
        applylanguage(t, keeptag);
        if (world->txtplace.empty() || world->txtplace.back() != ' ') return "the placement word lost its blank";
        if (world->wgameover != world->font.width(world->txtgameover) ||
            world->wstart != world->font.width(world->txtstart) / 2)
            return "widths not measured";
    }
    return nullptr;
}

std::vector<std::string> languageseeds() {
    std::vector<std::string> seeds;
    std::string built = readfile("varnhold.lng");
    if (!built.empty()) seeds.push_back(built);
    std::string small = "; two short sections\r\n[English]\r\n";
    for (int i = 0; i < 26; i++) small += "line " + std::to_string(i) + "\r\n";
    small += "  [[Deutsch]]  \n";
    for (int i = 0; i < 20; i++) small += (i % 5 ? "Zeile " : " ; Kommentar\nZeile ") + std::to_string(i) + "\n";
    seeds.push_back(small);
    return seeds;
}

// Any bytes as the program info: the version and the Help text are read without a fault and
// the Help text starts with its heading.
const char* fuzzprograminfo(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string keep;
    TStream* s = ReadStream(std::string("incbin::") + programinfoname);
    if (s) {
        keep = ReadString(s, int(StreamSize(s)));
        CloseStream(s);
    }
    RegisterIncbin(programinfoname, text(data, size));
    std::string title = infovalue("version") + "." + infovalue("build");
    std::string help = programinfo();
    RegisterIncbin(programinfoname, keep);
    if (help.compare(0, 19, "   Program Info   \n") != 0) return "the Help text lost its heading";
    if (title.find('\n') != std::string::npos) return "a value runs over a line end";
    return nullptr;
}

std::vector<std::string> programinfoseeds() {
    PlatformInit(tbackend::headless);
    registerprograminfo();
    TStream* s = ReadStream(std::string("incbin::") + programinfoname);
    std::string info = s ? ReadString(s, int(StreamSize(s))) : "";
    CloseStream(s);
    return {info, "Version = 2\nbuild=7\n;Info=comment\n\nInfo=\xaf\xaf\n=no key\nno value\n"};
}

// Any bytes through the stream records the settings are made of, from a real file and from
// memory: nothing is read past the end, a string is never longer than what was left, and the
// end is reached.
const char* fuzzrecords(const uint8_t* data, size_t size) {
    PlatformInit(tbackend::headless);
    std::string path = fuzzfile("records.bin");
    writefile(path, data, size);
    RegisterIncbin("fuzz/records.bin", text(data, size));
    for (const std::string& p : {path, std::string("incbin::fuzz/records.bin")}) {
        TStream* s = ReadStream(p);
        if (!s) return "the input could not be opened";
        if (StreamSize(s) != long(size)) return "wrong stream size";
        int steps = 0;
        while (!Eof(s)) {
            long before = StreamPos(s);
            int b = 0, n = 0;
            std::string str;
            switch ((data[before] + steps++) % 4) {
            case 0:
                readbyte(s, b);
                if (b < 0 || b > 255) return "a byte out of range";
                break;
            case 1:
                readvar(s, n);
                break;
            case 2:
                if (readstr(s, str) && long(str.size()) > long(size) - before) return "a string longer than the file";
                break;
            default:
                str = readline(s, ';');
                break;
            }
            if (StreamPos(s) > long(size)) return "read past the end";
            if (StreamPos(s) <= before && !Eof(s)) return "a record read nothing";
        }
        CloseStream(s);
    }
    return nullptr;
}

std::vector<std::string> recordsseeds() {
    std::vector<std::string> seeds = settingsseeds();
    seeds.push_back(std::string("\x05" "Hello" "\xff\xff\xff\xff\x0f" "\xac\x02" "line\r\n;comment\n\0x", 27));
    return seeds;
}
