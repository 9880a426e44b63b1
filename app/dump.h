// app/dump.h — writes the world as JSON by visiting the `fields(v)` member template of every
// object: ints, floats with 9 significant digits (they read back exactly), Latin-1 strings,
// pictures by their file name under data/ (generated ones by their global name), slot arrays
// with null for an empty slot, vectors and fixed arrays.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/platform.h"
#include "platform/strings.h"

template <class T>
concept hasfields = requires(T& t, struct tdump& v) { t.fields(v); };

struct tdump {
    std::string out;
    bool first = true;   // no comma before the next member

    // One member of the object being written.
    template <class T>
    void operator()(const char* name, T& value) {
        key(name);
        put(value);
    }
    template <class T>
    void operator()(const char* name, const T& value) {
        key(name);
        put(const_cast<T&>(value));
    }

    void key(const char* name) {
        if (!first) out += ',';
        first = false;
        string(name);
        out += ':';
    }

    void string(const std::string& s) {
        out += '"';
        for (unsigned char c : s) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += char(c);
            } else if (c < 32 || c >= 127) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);   // Latin-1: the code is the code point
                out += buf;
            } else {
                out += char(c);
            }
        }
        out += '"';
    }

    void put(bool v) { out += v ? "true" : "false"; }
    void put(char v) { out += std::to_string(int(v)); }
    void put(signed char v) { out += std::to_string(int(v)); }
    void put(unsigned char v) { out += std::to_string(int(v)); }
    void put(short v) { out += std::to_string(v); }
    void put(unsigned short v) { out += std::to_string(v); }
    void put(int v) { out += std::to_string(v); }
    void put(unsigned v) { out += std::to_string(v); }
    void put(long v) { out += std::to_string(v); }
    void put(unsigned long v) { out += std::to_string(v); }
    void put(long long v) { out += std::to_string(v); }
    void put(unsigned long long v) { out += std::to_string(v); }
    void put(float v) { real(double(v), 9); }
    void put(double v) { real(v, 17); }
    void put(std::string& s) { string(s); }
    void put(const char* s) { s ? string(s) : void(out += "null"); }
    void put(TImage* img) { img ? string(img->name) : void(out += "null"); }
    void put(const TImage* img) { img ? string(img->name) : void(out += "null"); }

    template <class T>
    void put(std::unique_ptr<T>& p) {
        if (p) put(*p);
        else out += "null";
    }
    template <class T>
    void put(std::vector<T>& v) {
        out += '[';
        for (size_t i = 0; i < v.size(); i++) {
            if (i) out += ',';
            put(v[i]);
        }
        out += ']';
    }
    template <class T, size_t N>
    void put(std::array<T, N>& a) {
        out += '[';
        for (size_t i = 0; i < N; i++) {
            if (i) out += ',';
            put(a[i]);
        }
        out += ']';
    }
    template <class T, size_t N>
    void put(T (&a)[N]) {
        out += '[';
        for (size_t i = 0; i < N; i++) {
            if (i) out += ',';
            put(a[i]);
        }
        out += ']';
    }
    // Records with a field list become objects.
    template <class T>
        requires hasfields<T>
    void put(T& obj) {
        object(obj);
    }
    // Another record pointed at: written whole (records point only at records of other
    // lists, never back); a pointer to anything without a field list is true or null.
    template <class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, TImage>)
    void put(T*& p) {
        if (!p) out += "null";
        else if constexpr (hasfields<std::remove_cv_t<T>>) put(*const_cast<std::remove_cv_t<T>*>(p));
        else out += "true";
    }

    template <class T>
    void object(T& obj) {
        bool f = first;
        out += '{';
        first = true;
        obj.fields(*this);
        out += '}';
        first = f;
    }

    void real(double v, int digits) {
        if (!std::isfinite(v)) {
            out += "null";   // JSON has no NaN or infinity
            return;
        }
        AppendReal(out, v, digits);
    }

    // The top level: `{`, then named members with (name, value) calls, then end().
    void begin() {
        out += '{';
        first = true;
    }
    void end() { out += "}\n"; }
};
