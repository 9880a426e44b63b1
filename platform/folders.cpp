// Files the game keeps, and the folders they live in: whole-file saves that leave either the
// old file or the new one (never half of one), and the program's, the working, the user's
// configuration and pictures folders.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/internal.h"

namespace {

std::string folderof(const std::string& p) {
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

// The folder opened and locked against other copies of the program saving there: a copy holds
// it for the few milliseconds of one save. One that does not let go within two seconds (stopped
// in a debugger) is not waited for. -1 and errno when the folder cannot be opened.
int lockfolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    for (int i = 0; i < 200 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fd;
}

bool writeall(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The save itself, with the folder locked: "" or the reason.
std::string replace(const std::string& p, const std::string& bytes, int dirfd) {
    std::string tmp = p + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return std::strerror(errno);
    // The new file keeps the old one's permissions (a settings file made private stays so).
    struct stat old, now;
    if (::stat(p.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    int err = 0;
    if (!writeall(fd, bytes)) err = errno;
    else if (::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(tmp.c_str(), p.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(tmp.c_str());
        return std::strerror(err);
    }
    // The rename lives in the folder: sync it too, so that a crash right after the save finds
    // the new file. Some file systems cannot sync a folder (EINVAL): the file is there anyway.
    if (dirfd >= 0 && ::fsync(dirfd) != 0 && errno != EINVAL) return std::strerror(errno);
    return "";
}

std::string save(const std::string& path, const std::string* bytes,
                 const std::function<std::string(const std::string&)>* update) {
    std::string p = plat::path(path);
    int dirfd = lockfolder(folderof(p));
    if (dirfd < 0) return std::strerror(errno);
    std::string made;
    if (update) {
        std::string now;
        if (!plat::readfile(p, now)) now.clear();
        made = (*update)(now);
        bytes = &made;
    }
    std::string why = replace(p, *bytes, dirfd);
    ::close(dirfd);   // and the lock with it
    return why;
}

std::string withslash(const std::string& dir) { return dir.empty() || dir.back() == '/' ? dir : dir + "/"; }

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; "" without a home.
std::string confighome() {
    std::string x = env("XDG_CONFIG_HOME");
    if (!x.empty() && x[0] == '/') return x;
    std::string home = env("HOME");
    return home.empty() ? "" : home + "/.config";
}

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; "" without a home.
std::string datahome() {
    std::string x = env("XDG_DATA_HOME");
    if (!x.empty() && x[0] == '/') return x;
    std::string home = env("HOME");
    return home.empty() ? "" : home + "/.local/share";
}

// Makes each missing folder of `path` (absolute) for the user alone; false when it is no folder.
bool makefolders(const std::string& path) {
    for (size_t at = 1; at <= path.size(); at++) {
        if (at < path.size() && path[at] != '/') continue;
        std::string part = path.substr(0, at);
        if (FileType(part) != 2) ::mkdir(part.c_str(), 0700);
    }
    return FileType(path) == 2;
}

}  // namespace

std::string SaveFile(const std::string& path, const std::string& bytes) { return save(path, &bytes, nullptr); }

std::string UpdateFile(const std::string& path, const std::function<std::string(const std::string&)>& update) {
    return save(path, nullptr, &update);
}

std::string CanSaveFile(const std::string& path) {
    std::string probe = plat::path(path) + ".XXXXXX";
    int fd = ::mkstemp(probe.data());
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return "";
}

bool ReadFile(const std::string& path, std::string& bytes) { return plat::readfile(path, bytes); }

std::string CurrentDir() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? buf : "";
}

bool ChangeDir(const std::string& path) { return ::chdir(plat::path(path).c_str()) == 0; }

std::string ConfigDir(const std::string& name) {
    std::string base = confighome();
    if (base.empty()) return "";
    std::string folder = base + "/" + name;
    if (FileType(base) != 2) ::mkdir(base.c_str(), 0700);
    if (FileType(folder) != 2) ::mkdir(folder.c_str(), 0700);
    return FileType(folder) == 2 ? folder + "/" : "";
}

std::string DataDir(const std::string& name, const std::string& sub) {
    std::string base = datahome();
    if (base.empty()) return "";
    std::string folder = base + "/" + name + (sub.empty() ? "" : "/" + sub);
    return makefolders(folder) ? folder + "/" : "";
}

std::vector<std::string> ListFiles(const std::string& dir) {
    std::vector<std::string> names;
    std::string d = plat::path(dir);
    DIR* h = ::opendir(d.c_str());
    if (!h) return names;
    while (dirent* e = ::readdir(h)) {
        std::string n = e->d_name;
        if (n != "." && n != ".." && FileType(withslash(d) + n) == 1) names.push_back(n);
    }
    ::closedir(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool DeleteFile(const std::string& path) {
    std::string p = plat::path(path);
    return ::unlink(p.c_str()) == 0 || FileType(p) == 0;
}

std::string PicturesDir() {
    std::string home = env("HOME"), named = env("XDG_PICTURES_DIR");
    if (named.empty() || named[0] != '/') {
        named.clear();
        // user-dirs.dirs: XDG_PICTURES_DIR="$HOME/Pictures"
        std::string text;
        const std::string key = "XDG_PICTURES_DIR=\"";
        if (plat::readfile(confighome() + "/user-dirs.dirs", text)) {
            for (size_t at = 0; at < text.size();) {
                size_t end = text.find('\n', at);
                if (end == std::string::npos) end = text.size();
                std::string line = text.substr(at, end - at);
                at = end + 1;
                if (line.compare(0, key.size(), key) != 0) continue;
                std::string v = line.substr(key.size());
                v = v.substr(0, v.find('"'));
                if (v.compare(0, 5, "$HOME") == 0) v = home + v.substr(5);
                if (!v.empty() && v[0] == '/') named = v;
                break;
            }
        }
    }
    if (!named.empty() && FileType(named) == 2) return withslash(named);
    return withslash(home);
}
