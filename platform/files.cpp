// Files: byte streams on files and on embedded ("incbin::") texts, and the program's folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "platform/internal.h"

namespace {
// Embedded files. Those the main thread registers are every thread's; another thread's own
// (a world playing there: its replay's settings) are seen by it alone and hide the main
// thread's of the same name.
// (made at their first use: other files may register theirs in their static start)
struct tshared {
    std::map<std::string, std::string> files;
    std::mutex lock;
    std::thread::id mainthread = std::this_thread::get_id();   // static start-up runs there
};
tshared& shared() {
    static tshared s;
    return s;
}
const bool sharedmade = (shared(), true);   // on the main thread, before main()
thread_local std::map<std::string, std::string> own;
const std::string incbin = "incbin::";

bool findincbin(const std::string& name, std::string* bytes) {
    std::string key = plat::path(name);
    if (auto it = own.find(key); it != own.end()) {
        if (bytes) *bytes = it->second;
        return true;
    }
    std::lock_guard<std::mutex> lock(shared().lock);
    auto it = shared().files.find(key);
    if (it == shared().files.end()) return false;
    if (bytes) *bytes = it->second;
    return true;
}
}  // namespace

struct TStream {
    FILE* f = nullptr;
    std::string mem;                      // embedded file, or what a memory stream was given
    size_t pos = 0;
    bool inmemory = false;
    bool writing = false;
    bool failed = false;
};

std::string plat::path(const std::string& p) {
    std::string r = p;
    for (char& c : r)
        if (c == '\\') c = '/';
    return r;
}

bool plat::readfile(const std::string& p, std::string& bytes) {
    if (p.rfind(incbin, 0) == 0) {
        return findincbin(p.substr(incbin.size()), &bytes);
    }
    if (FileType(p) != 1) return false;
    FILE* f = std::fopen(path(p).c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

int FileType(const std::string& p) {
    if (p.rfind(incbin, 0) == 0) return findincbin(p.substr(incbin.size()), nullptr) ? 1 : 0;
    struct stat st;
    if (::stat(plat::path(p).c_str(), &st) != 0) return 0;
    if (S_ISDIR(st.st_mode)) return 2;
    return S_ISREG(st.st_mode) ? 1 : 0;
}

void RegisterIncbin(const std::string& name, std::string bytes) {
    if (std::this_thread::get_id() != shared().mainthread) {
        own[plat::path(name)] = std::move(bytes);
        return;
    }
    std::lock_guard<std::mutex> lock(shared().lock);
    shared().files[plat::path(name)] = std::move(bytes);
}

TStream* ReadStream(const std::string& p) {
    if (p.rfind(incbin, 0) == 0) {
        std::string bytes;
        if (!findincbin(p.substr(incbin.size()), &bytes)) return nullptr;
        TStream* s = new TStream;
        s->mem = std::move(bytes);
        s->inmemory = true;
        return s;
    }
    if (FileType(p) != 1) return nullptr;
    FILE* f = std::fopen(plat::path(p).c_str(), "rb");
    if (!f) return nullptr;
    TStream* s = new TStream;
    s->f = f;
    return s;
}

TStream* WriteStream(const std::string& p) {
    if (p.rfind(incbin, 0) == 0) return nullptr;
    FILE* f = std::fopen(plat::path(p).c_str(), "wb");
    if (!f) return nullptr;
    TStream* s = new TStream;
    s->f = f;
    s->writing = true;
    return s;
}

bool CloseStream(TStream* s) {
    if (!s) return false;
    bool ok = !s->failed;
    if (s->f) {
        if (s->writing && std::fflush(s->f) != 0) ok = false;
        if (s->writing && std::ferror(s->f)) ok = false;
        if (s->writing && fsync(fileno(s->f)) != 0) ok = false;
        if (std::fclose(s->f) != 0) ok = false;
    }
    delete s;
    return ok;
}

bool StreamFailed(TStream* s) {
    if (!s) return true;
    if (s->writing && s->f && (std::fflush(s->f) != 0 || std::ferror(s->f))) s->failed = true;
    return s->failed;
}

int ReadByte(TStream* s) {
    if (!s) return 0;
    if (s->inmemory) return s->pos < s->mem.size() ? static_cast<unsigned char>(s->mem[s->pos++]) : 0;
    if (!s->f || s->writing) return 0;
    int c = std::fgetc(s->f);
    return c == EOF ? 0 : c;
}

TStream* MemoryStream() {
    TStream* s = new TStream;
    s->inmemory = true;
    s->writing = true;
    return s;
}

std::string StreamBytes(TStream* s) { return s && s->inmemory ? s->mem : ""; }

void WriteByte(TStream* s, int value) {
    if (s && s->inmemory && s->writing) s->mem += static_cast<char>(value & 255);
    if (!s || !s->writing || !s->f) return;
    if (std::fputc(value & 255, s->f) == EOF) s->failed = true;
}

bool Eof(TStream* s) {
    if (!s) return true;
    if (s->inmemory) return s->pos >= s->mem.size();
    if (!s->f) return true;
    if (s->writing) return false;
    int c = std::fgetc(s->f);
    if (c == EOF) return true;
    std::ungetc(c, s->f);
    return false;
}

long StreamSize(TStream* s) {
    if (!s) return 0;
    if (s->inmemory) return static_cast<long>(s->mem.size());
    if (!s->f) return 0;
    long here = std::ftell(s->f);
    std::fseek(s->f, 0, SEEK_END);
    long n = std::ftell(s->f);
    std::fseek(s->f, here, SEEK_SET);
    return n;
}

long StreamPos(TStream* s) {
    if (!s) return 0;
    if (s->inmemory) return static_cast<long>(s->pos);
    return s->f ? std::ftell(s->f) : 0;
}

std::string ReadLine(TStream* s) {
    std::string line;
    while (!Eof(s)) {
        int c = ReadByte(s);
        if (c == 10 || c == 0) break;
        if (c != 13) line += static_cast<char>(c);
    }
    return line;
}

std::string ReadString(TStream* s, int count) {
    std::string r;
    for (int i = 0; i < count && !Eof(s); i++) r += static_cast<char>(ReadByte(s));
    return r;
}

void WriteString(TStream* s, const std::string& text) {
    if (s && s->inmemory && s->writing) s->mem += text;
    if (!s || !s->writing || !s->f) return;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), s->f) != text.size()) s->failed = true;
}

std::string AppDir() {
#ifdef __EMSCRIPTEN__
    return ".";   // a WebAssembly module has no file of its own: its folder is where it runs
#endif
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<size_t>(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
}
