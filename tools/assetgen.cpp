// tools/assetgen.cpp — the generator's entry.
//
//   vh_assetgen --out DIR                writes DIR/data/* and DIR/varnhold.lng
//   vh_assetgen --icons DIR              the application icon at the icon theme's sizes:
//                                        DIR/hicolor/<n>x<n>/apps/varnhold.png, and the
//                                        browser edition's: DIR/web/icon-192.png, icon-512.png
//                                        and icon-maskable.png (512, edge to edge)
//   vh_assetgen --contact-sheet FILE     all pictures on grey and on black, labelled
//
// The options combine; the build runs it with --out and --icons.
#include "assetgen.h"

#include "framework/pictures.h"

#include <QGuiApplication>
#include <QImageWriter>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <set>

namespace fs = std::filesystem;

namespace {

bool savepng(const QImage& img, const std::string& path) {
    QImageWriter w(QString::fromStdString(path), "png");
    w.setQuality(0);   // for PNG: the strongest (lossless) compression
    return w.write(img);
}

int fail(const std::string& what) {
    std::fprintf(stderr, "assetgen: can't write %s\n", what.c_str());
    return 1;
}

// The pictures made are exactly those of framework/pictures.h, each once: the game, CMake and
// the tests go by that list.
bool aslisted(const std::vector<tpicture>& pics) {
    std::multiset<std::string> made, listed;
    for (auto& p : pics) made.insert(p.name);
    for (int id = 0; id < pic_count; id++)
        for (int i = 0; i < picturedefs[id].count; i++) listed.insert(picturepath(id, i).substr(5));
    if (made == listed) return true;
    for (auto& n : made)
        if (listed.count(n) != made.count(n)) std::fprintf(stderr, "assetgen: %s is made %d times but listed %d times in framework/pictures.h\n", n.c_str(), int(made.count(n)), int(listed.count(n)));
    for (auto& n : listed)
        if (!made.count(n)) std::fprintf(stderr, "assetgen: %s is listed in framework/pictures.h but not made\n", n.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::string out, icons, contact;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if ((a == "--out" || a == "--icons" || a == "--contact-sheet") && i + 1 < argc) {
            (a == "--out" ? out : a == "--icons" ? icons : contact) = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--out DIR] [--icons DIR] [--contact-sheet FILE]\n", argv[0]);
            return 2;
        }
    }
    if (out.empty() && icons.empty() && contact.empty()) {
        std::fprintf(stderr, "usage: %s [--out DIR] [--icons DIR] [--contact-sheet FILE]\n", argv[0]);
        return 2;
    }
    // Pictures are painted without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    std::vector<tpicture> pics = makepictures();
    if (!aslisted(pics)) return 1;

    if (!out.empty()) {
        fs::path data = fs::path(out) / "data";
        std::error_code ec;
        fs::create_directories(data, ec);
        if (ec) return fail(data.string());
        for (auto& p : pics)
            if (!savepng(p.img, (data / p.name).string())) return fail((data / p.name).string());
        // The game caches a mask made from the skyline; a new skyline makes it stale.
        fs::remove(data / "_city lens.png", ec);

        std::vector<tsound> sounds = makesounds();
        for (size_t i = 0; i < sounds.size(); i++) {
            std::string path = (data / sounds[i].name).string();
            // The codec's ripple moves the peak: measure what a player will hear and settle
            // the level at -3 dBFS.
            for (int pass = 0; pass < 3; pass++) {
                if (!writeogg(path, sounds[i].s, 0x56480000 + int(i))) return fail(path);
                std::vector<float> back;
                int channels = 0;
                long samplerate = 0;
                if (!readogg(path, back, channels, samplerate)) return fail(path);
                float peak = 0;
                for (float v : back) peak = std::max(peak, std::fabs(v));
                if (peak <= 0 || std::fabs(peak - 0.708f) < 0.03f) break;
                for (float& v : sounds[i].s) v *= 0.708f / peak;
            }
        }

        std::string lng = makelanguage();
        fs::path lpath = fs::path(out) / "varnhold.lng";
        std::ofstream f(lpath, std::ios::binary);
        f.write(lng.data(), std::streamsize(lng.size()));
        f.close();
        if (!f) return fail(lpath.string());
    }
    if (!icons.empty()) {
        // Painted once at 256 x 256; the smaller sizes are averaged down from it, which keeps
        // the skyline and the blast readable at 16 x 16.
        QImage big = makeicon();
        for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) {
            std::string size = std::to_string(n) + "x" + std::to_string(n);
            fs::path dir = fs::path(icons) / "hicolor" / size / "apps";
            std::error_code ec;
            fs::create_directories(dir, ec);
            QImage img = n == big.width() ? big : big.scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (ec || !savepng(img, (dir / "varnhold.png").string())) return fail((dir / "varnhold.png").string());
        }
        // the home screen's icons, painted at their own sizes
        fs::path web = fs::path(icons) / "web";
        std::error_code ec;
        fs::create_directories(web, ec);
        for (auto [name, size, maskable] : {std::tuple{"icon-192.png", 192, false}, std::tuple{"icon-512.png", 512, false},
                                            std::tuple{"icon-maskable.png", 512, true}})
            if (ec || !savepng(makeicon(size, maskable), (web / name).string())) return fail((web / name).string());
    }
    if (!contact.empty() && !savepng(contactsheet(pics), contact)) return fail(contact);
    return 0;
}
