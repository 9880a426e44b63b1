// app/replayfile.cpp — reading and writing the replay's text. Lines hold blank-separated
// words; a text in double quotes is one word (\" \\ and \xHH inside); empty lines and lines
// starting with "#" are skipped. The header lines come first, each once and in order, then
// "events", then event and checkpoint lines in frame order, then the end line.
#include "app/replayfile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "app/daily.h"
#include "platform/platform.h"

const char* const replaytracechars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace {

// About nineteen days of play at 60 frames a second: anything longer is a damaged number.
constexpr long long maxframes = 100000000;

// An event kind by its word, and its arguments, each a letter of the table below.
struct tkind {
    const char* word;
    int id;
    const char* args;
};
const tkind kinds[] = {
    {"move", EVENT_MOUSEMOVE, "xy"}, {"down", EVENT_MOUSEDOWN, "b"}, {"up", EVENT_MOUSEUP, "b"},
    {"wheel", EVENT_MOUSEWHEEL, "w"}, {"key", EVENT_KEYDOWN, "km"}, {"keyup", EVENT_KEYUP, "km"},
    {"char", EVENT_KEYCHAR, "c"}, {"enter", EVENT_MOUSEENTER, ""}, {"leave", EVENT_MOUSELEAVE, ""},
    {"menu", EVENT_MENUACTION, "t"}, {"suspend", EVENT_APPSUSPEND, ""},
    {"resume", EVENT_APPRESUME, ""}, {"canvas", replaycanvas, "WH"},
    {"event", 0, "idmxy"},            // any other event of the canvas, whole
};

// What an argument letter means, where it goes and the values that make sense.
struct targ {
    char letter;
    const char* what;
    long long lo, hi;
};
const targ argtable[] = {
    {'x', "x position", -65536, 65536}, {'y', "y position", -65536, 65536},
    {'W', "canvas width", 0, 16384},    {'H', "canvas height", 0, 16384},
    {'b', "mouse button", 1, 31},       {'w', "wheel movement", -1000, 1000},
    {'k', "key code", 0, 255},          {'m', "modifier mask", 0, 15},
    {'c', "character code", 0, 255},    {'t', "menu tag", 1, 1000},
    {'i', "event kind", 1, 65535},      {'d', "event data", INT32_MIN, INT32_MAX},
};

const targ& arg(char letter) {
    for (const targ& a : argtable)
        if (a.letter == letter) return a;
    return argtable[0];
}

int& slot(treplayevent& e, char letter) {
    switch (letter) {
    case 'x': case 'W': return e.x;
    case 'y': case 'H': return e.y;
    case 'm': return e.mods;
    case 'i': return e.id;
    default: return e.data;
    }
}

struct ttoken {
    std::string text;
    bool quoted = false;
};

std::string quote(const std::string& s) {
    std::string r = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            r += '\\';
            r += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r + "\"";
}

// A word of the file as a message quotes it: a long one cut short.
std::string shown(const std::string& word) { return word.size() > 24 ? word.substr(0, 20) + "..." : word; }

int hexdigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Where the reader is: the format line, each line of the header in its order, the body, and
// after the end line.
enum tstep : int {
    step_format = -1,
    step_program = 0, step_seed, step_clock, step_window, step_options, step_language, step_volume,
    step_name, step_level, step_score, step_highlight,
    step_rows = 11,                   // 11 .. 20: the ten high-score rows
    step_checkevery = 21,
    step_events = 22,
    step_body = 23,
    step_end = 24,
};

struct tparser {
    treplayread result;
    std::vector<ttoken> words;

    bool fail(const std::string& message) {
        if (result.error.empty()) result.error = message;
        return false;
    }

    // The words of one line; false on a broken quoted text.
    bool split(const std::string& line) {
        words.clear();
        size_t i = 0, n = line.size();
        while (i < n) {
            if (line[i] == ' ' || line[i] == '\t') {
                i++;
                continue;
            }
            ttoken t;
            if (line[i] != '"') {
                while (i < n && line[i] != ' ' && line[i] != '\t') t.text += line[i++];
                words.push_back(t);
                continue;
            }
            t.quoted = true;
            for (i++;; i++) {
                if (i >= n) return fail("a quoted text is not closed");
                char c = line[i];
                if (c == '"') break;
                if (c != '\\') {
                    t.text += c;
                    continue;
                }
                if (i + 1 >= n) return fail("a quoted text ends in a lone \\");
                char e = line[++i];
                if (e == '"' || e == '\\') {
                    t.text += e;
                } else if (e == 'x' && i + 2 < n && hexdigit(line[i + 1]) >= 0 && hexdigit(line[i + 2]) >= 0) {
                    t.text += static_cast<char>(hexdigit(line[i + 1]) * 16 + hexdigit(line[i + 2]));
                    i += 2;
                } else {
                    return fail(std::string("unknown escape \\") + e + " in a quoted text");
                }
            }
            i++;
            if (i < n && line[i] != ' ' && line[i] != '\t') return fail("a quoted text runs into the next word");
            words.push_back(t);
        }
        return true;
    }

    bool count(size_t n, const char* form) {
        if (words.size() == n) return true;
        return fail(std::string("expected \"") + form + "\"");
    }

    bool number(size_t i, const char* what, long long lo, long long hi, int& out) {
        const std::string& s = words[i].text;
        bool ok = !words[i].quoted && !s.empty() && s.size() <= 12;
        long long v = 0;
        for (size_t k = (ok && s[0] == '-') ? 1 : 0; ok && k < s.size(); k++) {
            if (s[k] < '0' || s[k] > '9') ok = false;
            else v = v * 10 + (s[k] - '0');
        }
        if (ok && s[0] == '-') {
            ok = s.size() > 1;
            v = -v;
        }
        if (!ok || v < lo || v > hi)
            return fail(std::string("the ") + what + " must be a whole number from " + std::to_string(lo) +
                        " to " + std::to_string(hi) + ", not \"" + shown(s) + "\"");
        out = static_cast<int>(v);
        return true;
    }

    bool text(size_t i, const char* what, std::string& out) {
        if (!words[i].quoted) return fail(std::string("the ") + what + " must be a quoted text");
        if (words[i].text.size() > 255) return fail(std::string("the ") + what + " is longer than 255 characters");
        out = words[i].text;
        return true;
    }

    bool digest(size_t i, uint64_t& out) {
        const std::string& s = words[i].text;
        out = 0;
        bool ok = s.size() == 16;
        for (size_t k = 0; ok && k < s.size(); k++) {
            int d = hexdigit(s[k]);
            if (d < 0 || (s[k] >= 'A' && s[k] <= 'F')) ok = false;
            else out = out * 16 + static_cast<uint64_t>(d);
        }
        return ok || fail("a digest is 16 digits 0-9, a-f, not \"" + shown(s) + "\"");
    }

    // A checkpoint or the end line: FRAME DIGEST [TRACE], the trace one character for each of
    // `frames` frames (left out when there are none).
    bool check(treplaycheck& c, long long lo, long long frames_before) {
        if (words.size() != 3 && words.size() != 4) return fail("expected \"" + words[0].text + " FRAME DIGEST TRACE\"");
        if (!number(1, "frame", lo, maxframes, c.frame) || !digest(2, c.digest)) return false;
        c.trace = words.size() == 4 ? words[3].text : "";
        size_t want = static_cast<size_t>(c.frame - frames_before);
        if (c.trace.size() != want)
            return fail("the trace of frames " + std::to_string(frames_before + 1) + " to " + std::to_string(c.frame) +
                        " must have " + std::to_string(want) + " characters, not " + std::to_string(c.trace.size()));
        for (char ch : c.trace)
            if (ch == 0 || !std::strchr(replaytracechars, ch)) return fail("the trace holds a character that is not a trace symbol");
        return true;
    }

    // The header lines in order: each step reads one line.
    bool header(int step, treplay& r, const std::string& program) {
        treplaysettings& s = r.settings;
        const std::string& w = words.empty() ? std::string() : words[0].text;
        static const char* const keys[] = {"program", "seed", "clock", "window", "options", "language",
                                           "volume", "name", "level", "score", "highlight"};
        const char* key = step < step_rows ? keys[step]
                          : step < step_checkevery ? "row"
                          : step == step_checkevery ? "checkevery" : "events";
        if (words.empty() || words[0].quoted || w != key) return fail(std::string("expected the \"") + key + "\" line here");
        switch (step) {
        case step_program:
            if (!count(2, "program VERSION")) return false;
            r.program = words[1].text;
            if (!program.empty() && r.program != program)
                return fail("recorded by Varnhold " + r.program + "; this is Varnhold " + program +
                            ", and a replay plays back only in the version that recorded it");
            return true;
        case step_seed: return count(2, "seed N") && number(1, "seed", INT32_MIN, INT32_MAX, r.seed);
        case step_clock: return count(2, "clock MS") && number(1, "clock", INT32_MIN, INT32_MAX, r.clock);
        case step_window:
            if (!count(5, "window X Y WIDTH HEIGHT")) return false;
            for (int i = 0; i < 4; i++)
                if (!number(1 + i, i < 2 ? "window position" : "window size", i < 2 ? -65536 : 0, 65536, s.window[i]))
                    return false;
            return true;
        case step_options:
            if (!count(5, "options A B C D")) return false;
            for (int i = 0; i < 4; i++)
                if (!number(1 + i, "option state", 0, 3, s.options[i])) return false;
            return true;
        case step_language:
            return count(3, "language TAG \"NAME\"") && number(1, "language tag", 0, 255, s.language) &&
                   text(2, "language name", s.languagename);
        case step_volume: return count(2, "volume 0..10") && number(1, "volume", 0, 10, s.volume);
        case step_name: return count(2, "name \"NAME\"") && text(1, "name", s.name);
        case step_level: return count(2, "level N") && number(1, "level", INT32_MIN, INT32_MAX, s.level);
        case step_score: return count(2, "score N") && number(1, "score", INT32_MIN, INT32_MAX, s.score);
        case step_highlight: return count(2, "highlight ROW") && number(1, "highlighted row", -1, 9, s.highlight);
        case step_checkevery:
            return count(2, "checkevery FRAMES") && number(1, "checkpoint interval", 1, 100000, r.checkevery);
        case step_events: return count(1, "events");
        default: {
            treplayrow& row = s.rows[step - step_rows];
            int i;
            if (!count(5, "row I \"NAME\" LEVEL SCORE") || !number(1, "row number", 0, 9, i)) return false;
            if (i != step - step_rows)
                return fail("expected high-score row " + std::to_string(step - step_rows) + " here");
            return text(2, "row name", row.name) && number(3, "row level", INT32_MIN, INT32_MAX, row.level) &&
                   number(4, "row score", INT32_MIN, INT32_MAX, row.score);
        }
        }
    }

    // TICK CLOCK KIND ARGS...
    bool event(treplay& r, int floor, int lastclock) {
        treplayevent e;
        if (words.size() < 3) return fail("expected \"FRAME CLOCK KIND ...\", \"check\" or \"end\"");
        if (!number(0, "frame", 0, maxframes, e.tick) || !number(1, "clock", 0, INT32_MAX, e.clock)) return false;
        if (e.tick < floor)
            return fail("events out of order: frame " + std::to_string(e.tick) + " comes after frame " + std::to_string(floor));
        if (e.clock < lastclock)
            return fail("events out of order: the clock goes back from " + std::to_string(lastclock) + " to " +
                        std::to_string(e.clock));
        const tkind* k = nullptr;
        for (const tkind& c : kinds)
            if (!words[2].quoted && words[2].text == c.word) k = &c;
        if (!k) return fail("unknown event \"" + shown(words[2].text) + "\"");
        e.id = k->id;
        size_t n = std::string(k->args).size();
        if (words.size() != 3 + n) {
            std::string form = k->word;
            for (const char* a = k->args; *a; a++) form += std::string(" ") + arg(*a).what;
            return fail("expected \"FRAME CLOCK " + form + "\"");
        }
        for (size_t i = 0; i < n; i++) {
            const targ& a = arg(k->args[i]);
            if (!number(3 + i, a.what, a.lo, a.hi, slot(e, a.letter))) return false;
        }
        r.events.push_back(e);
        return true;
    }

    void run(const std::string& text, const std::string& program) {
        treplay& r = result.replay;
        if (!text.empty() && text.back() != '\n') {
            result.line = 1;
            for (char c : text) result.line += c == '\n';
            fail("the last line has no line end: the file is cut short");
            return;
        }
        tstep step = step_format;
        int floor = 0, lastclock = 0, lastcheck = 0, lineno = 0, format = 0;
        bool data = false;     // the data line was read
        bool daily = false;    // the place of the daily line was passed
        size_t at = 0;
        while (at < text.size()) {
            size_t nl = text.find('\n', at);
            std::string line = text.substr(at, nl - at);
            at = nl + 1;
            lineno++;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            result.line = lineno;
            if (!split(line)) return;
            if (words.empty() || (!words[0].quoted && words[0].text[0] == '#')) continue;
            const std::string& w = words[0].text;
            bool ok = true;
            if (step == step_format) {
                int v = 0;
                if (words.size() != 2 || w != "varnhold-replay") ok = fail("not a Varnhold replay: it does not start with \"varnhold-replay 1\"");
                else if (!number(1, "format version", 0, INT32_MAX, v)) ok = false;
                else if (v < 1 || v > replayformat)
                    ok = fail("replay format " + std::to_string(v) + "; this program reads formats 1 to " + std::to_string(replayformat));
                format = v;
                r.format = v;
                step = step_program;
            } else if (step == step_seed && format >= 2 && !data) {
                // after the program line: the digest of the data files, 16 hex digits
                ok = w == "data" && words.size() == 2 && words[1].text.size() == 16 && !words[1].quoted &&
                     words[1].text.find_first_not_of("0123456789abcdef") == std::string::npos;
                if (ok) r.data = std::stoull(words[1].text, nullptr, 16);
                else fail("a \"data\" line with the digest of the data files (16 hex digits) must follow the program line");
                data = true;
            } else if (step == step_clock && format >= 4 && !daily && w == "daily" && !words[0].quoted) {
                // after the seed line: a daily challenge's game, of that day's seed
                daily = true;
                ok = count(2, "daily YYYY-MM-DD");
                const std::string& date = ok ? words[1].text : w;
                if (ok && (words[1].quoted || !dailydatevalid(date)))
                    ok = fail("the daily line needs a date from 2000-01-01 to 2099-12-31, not \"" + shown(date) + "\"");
                else if (ok && r.seed != dailyseed(date))
                    ok = fail("seed " + std::to_string(r.seed) + " is not the daily seed of " + date);
                if (ok) r.daily = date;
            } else if (step <= step_events) {
                ok = header(step, r, program);
                step = tstep(step + 1);
            } else if (step == step_end) {
                ok = fail("text after the end line");
            } else if (w == "check") {
                treplaycheck c;
                ok = check(c, lastcheck + 1, lastcheck);
                int due = static_cast<int>(r.checks.size() + 1) * r.checkevery;
                if (ok && c.frame != due)
                    ok = fail("a checkpoint for frame " + std::to_string(c.frame) + " where frame " + std::to_string(due) + " was due");
                if (ok && c.frame < floor)
                    ok = fail("events out of order: a checkpoint for frame " + std::to_string(c.frame) + " after frame " +
                              std::to_string(floor));
                if (ok) {
                    r.checks.push_back(c);
                    lastcheck = c.frame;
                    floor = c.frame + 1;
                }
            } else if (w == "end") {
                ok = check(r.end, floor, lastcheck);
                step = step_end;
            } else {
                ok = event(r, floor, lastclock);
                if (ok) {
                    floor = r.events.back().tick;
                    lastclock = r.events.back().clock;
                }
            }
            if (!ok) return;
        }
        if (step == step_end) {
            result.line = 0;
            return;
        }
        result.line = lineno > 0 ? lineno : 1;
        fail(step < step_body ? "the file ends inside its header: it is cut short"
                       : "the file ends before its \"end\" line: it is cut short");
    }
};

}  // namespace

treplayread parsereplay(const std::string& text, const std::string& program) {
    tparser p;
    p.run(text, program);
    if (!p.result.error.empty()) p.result.replay = treplay();
    return p.result;
}

std::string writereplay(const treplay& r) {
    const treplaysettings& s = r.settings;
    std::string out = "# A recorded game of Varnhold: play it back with varnhold --replay FILE (docs/replay.md)\n";
    auto line = [&out](const std::string& t) { out += t + "\n"; };
    auto n = [](long long v) { return std::to_string(v); };
    line("varnhold-replay " + n(r.format == 2 ? 2 : replayformat));
    line("program " + r.program);
    char data[20];
    std::snprintf(data, sizeof data, "%016" PRIx64, r.data);
    line(std::string("data ") + data);
    line("seed " + n(r.seed));
    if (!r.daily.empty()) line("daily " + r.daily);
    line("clock " + n(r.clock));
    line("window " + n(s.window[0]) + " " + n(s.window[1]) + " " + n(s.window[2]) + " " + n(s.window[3]));
    line("options " + n(s.options[0]) + " " + n(s.options[1]) + " " + n(s.options[2]) + " " + n(s.options[3]));
    line("language " + n(s.language) + " " + quote(s.languagename));
    line("volume " + n(s.volume));
    line("name " + quote(s.name));
    line("level " + n(s.level));
    line("score " + n(s.score));
    line("highlight " + n(s.highlight));
    for (int i = 0; i < 10; i++)
        line("row " + n(i) + " " + quote(s.rows[i].name) + " " + n(s.rows[i].level) + " " + n(s.rows[i].score));
    line("checkevery " + n(r.checkevery));
    line("events");
    auto check = [&](const char* word, const treplaycheck& c) {
        char d[20];
        std::snprintf(d, sizeof d, "%016" PRIx64, c.digest);
        line(std::string(word) + " " + n(c.frame) + " " + d + (c.trace.empty() ? "" : " " + c.trace));
    };
    size_t k = 0;
    for (const treplayevent& e : r.events) {
        while (k < r.checks.size() && r.checks[k].frame < e.tick) check("check", r.checks[k++]);
        const tkind* kind = &kinds[std::size(kinds) - 1];
        for (const tkind& c : kinds)
            if (c.id == e.id && c.id != 0) kind = &c;
        std::string t = n(e.tick) + " " + n(e.clock) + " " + kind->word;
        treplayevent copy = e;
        for (const char* a = kind->args; *a; a++) t += " " + n(slot(copy, *a));
        line(t);
    }
    while (k < r.checks.size()) check("check", r.checks[k++]);
    check("end", r.end);
    return out;
}
