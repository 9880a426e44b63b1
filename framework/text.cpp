#include "framework/text.h"

#include <cstdint>

#include "platform/platform.h"

std::string trimleft(const std::string& s, char c) {
    size_t i = 0;
    while (i < s.size() && s[i] == c) i++;
    return s.substr(i);
}

std::string trimright(const std::string& s, char c) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == c) n--;
    return s.substr(0, n);
}

std::string replacechar(const std::string& s, char c, char d) {
    std::string r = s;
    for (char& ch : r)
        if (ch == c) ch = d;
    return r;
}

std::string replace(const std::string& s, const std::string& find, const std::string& repl) {
    if (find.empty()) return s;
    size_t f = find.size();
    size_t end = s.size();   // the part of s still to be searched: [0, end)
    std::string tail;
    while (end >= f) {
        size_t p = s.rfind(find, end - f);
        if (p == std::string::npos) break;
        tail = repl + s.substr(p + f, end - p - f) + tail;
        end = p;
    }
    return s.substr(0, end) + tail;
}

std::string addchar(const std::string& s, char c) {
    if (s.empty() || s.back() == c) return s;
    return s + c;
}

std::string stripext(const std::string& path, int all) {
    // A backslash separates folders too: paths written the other desktop's way still work.
    size_t slash = path.find_last_of("/\\");
    size_t from = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = all ? path.find('.', from) : path.rfind('.');
    if (dot == std::string::npos || dot < from) return path;
    return path.substr(0, dot);
}

std::string readline(TStream* s, char c) {
    if (!s) return "";
    while (!Eof(s)) {
        std::string line = ReadLine(s);
        if (line.empty()) continue;
        size_t i = line.find_first_not_of(' ');
        if (i != std::string::npos && line[i] == c) continue;
        return line;
    }
    return "";
}

bool readbyte(TStream* s, int& b) {
    if (!s || Eof(s)) return false;
    b = ReadByte(s);
    return true;
}

bool readvar(TStream* s, int& n) {
    uint32_t v = 0;
    for (int shift = 0;; shift += 7) {
        int b;
        if (!readbyte(s, b)) return false;
        if (shift < 32) v += static_cast<uint32_t>(b & 127) << shift;
        if (!(b & 128)) break;
    }
    n = static_cast<int>(v);
    return true;
}

int readvar(TStream* s) {
    int n = 0;
    readvar(s, n);
    return n;
}

std::string varbytes(int n) {
    std::string r;
    uint32_t v = static_cast<uint32_t>(n);
    do {
        int b = static_cast<int>(v & 127);
        v >>= 7;
        r += static_cast<char>(v ? b | 128 : b);
    } while (v);
    return r;
}

void writevar(TStream* s, int n) { WriteString(s, varbytes(n)); }

bool readstr(TStream* s, std::string& text) {
    int n;
    if (!readvar(s, n)) return false;
    uint32_t len = static_cast<uint32_t>(n);
    long left = StreamSize(s) - StreamPos(s);
    if (left < 0) left = 0;
    if (len > static_cast<uint64_t>(left)) {
        // A length past the end (a cut or damaged file): nothing is allocated for it, and the
        // stream is read to its end so that every later record falls back to its default.
        while (!Eof(s)) ReadByte(s);
        return false;
    }
    text = ReadString(s, static_cast<int>(len));
    return true;
}

std::string readstr(TStream* s) {
    std::string t;
    readstr(s, t);
    return t;
}

void writestr(TStream* s, const std::string& text) {
    writevar(s, static_cast<int>(text.size()));
    WriteString(s, text);
}
