// app/programinfo.cpp — the embedded program info and the two readers of it.
#include "app/programinfo.h"

#include <cctype>

#include "app/buildstamp.h"
#include "framework/text.h"
#include "platform/platform.h"

const char* const programinfoname = "_build/Varnhold.ver";

namespace {

// Lines end with CR LF; "\xaf" is the macron that underlines a heading.
const std::string text =
    "Version=" VARNHOLD_VERSION "\r\n"
    "Build=6181\r\n"
    "Build time=" VARNHOLD_BUILDTIME "\r\n"
    "Creation time=Mo, 22:55:33, 29.02.2016\r\n"
    "Producer=Ostrel\r\n"
    "Info=\r\n"
    "Info=Keyboard layout\r\n"
    "Info=\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\xaf\r\n"
    "Info=Return/Enter - New game\r\n"
    "Info=Mousebuttons - Fire cannons\r\n"
    "Info=A S D, Left Down Right - Fire cannons\r\n"
    "Info=P - Pause\r\n"
    "Info=H - Hide text\r\n"
    "Info=F2 - Screenshot\r\n"
    "Info=F5 - Time acceleration\r\n"
    "Info=\r\n"
    "Info=Score\r\n"
    "Info=\xaf\xaf\xaf\xaf\xaf\r\n"
    "Info=+2 Points -Missile\r\n"
    "Info=-6 Points - Launcher\r\n"
    "Info=-3 Points - House\r\n"
    "Info=-1 Point - Car\r\n"
    "Info=-2 Points - Plane\r\n"
    "Info=+10 Points - Ufo\r\n"
    "Info=-3 Points - Chopper\r\n"
    "Info=-2 Points - Sputnik\r\n"
    "Info=-2 Points per hit(3), +12 when destroyed - Meteor\r\n"
    "Info=-1 Point - Jumper\r\n"
    "Info=-10 Points - Flying hero\r\n";

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Splits a key=value line: the key loses its trailing blanks, the value its leading ones.
bool split(const std::string& line, std::string& key, std::string& value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = line.substr(0, eq);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    size_t v = eq + 1;
    while (v < line.size() && line[v] == ' ') v++;
    value = line.substr(v);
    return true;
}

template <class F>
void eachline(F f) {
    TStream* s = ReadStream(std::string("incbin::") + programinfoname);
    if (!s) return;
    for (std::string line = readline(s, ';'); !line.empty(); line = readline(s, ';')) {
        std::string key, value;
        if (split(line, key, value) && f(key, value)) break;
    }
    CloseStream(s);
}

}  // namespace

void registerprograminfo() { RegisterIncbin(programinfoname, text); }

std::string infovalue(const std::string& key) {
    std::string found;
    eachline([&](const std::string& k, const std::string& v) {
        if (lower(k) != key) return false;
        found = v;
        return true;
    });
    return found;
}

std::string programinfo() {
    std::string s = "   Program Info   \n" + std::string(14, '\xaf') + "\n";
    eachline([&](const std::string& k, const std::string& v) {
        if (k.empty()) return false;
        if (lower(k) == "info") s += v + "\n";
        else s += "   " + k + ": " + v + "\n";
        return false;
    });
    return s;
}
