// app/datadigest.cpp — the digest of the data files (app/datadigest.h).
#include "app/datadigest.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

void add(uint64_t& h, const char* p, size_t n) {
    for (size_t i = 0; i < n; i++) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 1099511628211ull;
    }
}

}  // namespace

uint64_t datadigest(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code err;
    fs::path data = fs::path(dir) / "data";
    if (!fs::is_directory(data, err)) return 0;
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(data, err))
        if (e.is_regular_file(err) && e.path().filename().string()[0] != '_') names.push_back("data/" + e.path().filename().string());
    std::sort(names.begin(), names.end());
    names.push_back("varnhold.lng");
    uint64_t h = 14695981039346656037ull;
    std::vector<char> buf(1 << 16);
    for (const std::string& name : names) {
        std::ifstream f(fs::path(dir) / name, std::ios::binary);
        if (!f) continue;
        f.seekg(0, std::ios::end);
        std::string head = name + '\0' + std::to_string(static_cast<long long>(f.tellg())) + '\0';
        f.seekg(0);
        add(h, head.data(), head.size());
        while (f.read(buf.data(), static_cast<std::streamsize>(buf.size())) || f.gcount() > 0)
            add(h, buf.data(), static_cast<size_t>(f.gcount()));
    }
    return h;
}
