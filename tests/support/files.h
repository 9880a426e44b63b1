// tests/support/files.h — scratch folders and whole-file reads and writes for tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

// A fresh empty folder under the system's temporary folder, removed with the object.
struct tempdir {
    std::filesystem::path path;
    tempdir() {
        std::string t = (std::filesystem::temp_directory_path() / "varnhold-test-XXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~tempdir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    tempdir(const tempdir&) = delete;
    tempdir& operator=(const tempdir&) = delete;
};

// An environment variable as it was before the test, again when the object goes.
struct keepenv {
    std::string name, value;
    bool had;
    explicit keepenv(const char* n) : name(n), had(std::getenv(n) != nullptr) {
        if (had) value = std::getenv(n);
    }
    ~keepenv() {
        if (had) setenv(name.c_str(), value.c_str(), 1);
        else unsetenv(name.c_str());
    }
};

inline std::vector<unsigned char> readbytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void writebytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writetext(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

}  // namespace testsupport
