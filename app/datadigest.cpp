// app/datadigest.cpp — the digest of the data files (app/datadigest.h).
#include "app/datadigest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/platform.h"

namespace {

void add(uint64_t& h, const char* p, size_t n) {
    for (size_t i = 0; i < n; i++) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 1099511628211ull;
    }
}

void add(uint64_t& h, const std::string& s) { add(h, s.data(), s.size()); }

// The files of the digest, by their names under `dir`, in byte order (the language file last).
std::vector<std::string> datafiles(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code err;
    fs::path data = fs::path(dir) / "data";
    if (!fs::is_directory(data, err)) return {};
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(data, err))
        if (e.is_regular_file(err) && e.path().filename().string()[0] != '_') names.push_back("data/" + e.path().filename().string());
    std::sort(names.begin(), names.end());
    names.push_back("varnhold.lng");
    return names;
}

// A file's size in decimal, a 0 byte and its bytes; false when it cannot be opened.
bool addbytes(uint64_t& h, const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    f.seekg(0, std::ios::end);
    add(h, std::to_string(static_cast<long long>(f.tellg())) + '\0');
    f.seekg(0);
    std::vector<char> buf(1 << 16);
    while (f.read(buf.data(), static_cast<std::streamsize>(buf.size())) || f.gcount() > 0)
        add(h, buf.data(), static_cast<size_t>(f.gcount()));
    return true;
}

bool endswith(const std::string& s, const char* end) {
    std::string e = end;
    return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

}  // namespace

uint64_t datadigest(const std::string& dir) {
    std::vector<std::string> names = datafiles(dir);
    if (names.empty()) return 0;
    uint64_t h = 14695981039346656037ull;
    for (const std::string& name : names) {
        std::string path = (std::filesystem::path(dir) / name).string();
        if (FileType(path) != 1) continue;
        bool picture = endswith(name, ".png"), sound = endswith(name, ".ogg");
        add(h, name + '\0');
        if (picture || sound) {
            char hex[40];
            std::snprintf(hex, sizeof hex, "%s %016llx", picture ? "picture" : "sound",
                          static_cast<unsigned long long>(picture ? PictureDigest(path) : SoundDigest(path)));
            add(h, std::string(hex) + '\0');
        } else {
            addbytes(h, path);
        }
    }
    return h;
}

uint64_t databytesdigest(const std::string& dir) {
    std::vector<std::string> names = datafiles(dir);
    if (names.empty()) return 0;
    uint64_t h = 14695981039346656037ull;
    for (const std::string& name : names) {
        uint64_t before = h;
        add(h, name + '\0');
        if (!addbytes(h, (std::filesystem::path(dir) / name).string())) h = before;
    }
    return h;
}

tdatadigests datadigests(const std::string& dir) { return {datadigest(dir), databytesdigest(dir)}; }
