// tools/font.cpp — the game's bitmap font: white glyphs with a one-pixel dark outline, one
// row of cells for the codes 32..126 and 160..255, and its descriptor picture of the same
// size whose cells are filled with red = the character code (alpha 255). Neighbouring cells
// always have different codes, so the game's cutter tells them apart without gaps.
#include "assetgen.h"
#include "paint.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <map>

using namespace paint;

QString fontfile(const char* file) {
    static std::map<std::string, QString> families;
    auto it = families.find(file);
    if (it != families.end()) return it->second;
    QString path = QString("/usr/share/fonts/truetype/dejavu/") + file;
    int id = QFontDatabase::addApplicationFont(path);
    QStringList names = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (names.isEmpty()) {
        std::fprintf(stderr, "assetgen: can't load the font %s (package fonts-dejavu-core)\n",
                     path.toLocal8Bit().constData());
        std::exit(1);
    }
    families[file] = names.first();
    return names.first();
}

namespace {

constexpr int cellh = 16;

struct tglyph {
    int code;
    QImage alpha;   // coverage of the glyph, already placed in its cell without the outline
    int w;          // cell width
};

std::vector<int> codes() {
    std::vector<int> c;
    for (int i = 32; i <= 126; i++) c.push_back(i);
    for (int i = 160; i <= 255; i++) c.push_back(i);
    return c;
}

// The glyphs at a pixel size, with the baseline placed so that all of them fit inside the
// cell with a pixel to spare for the outline. Returns false when they do not fit.
bool glyphs(int px, std::vector<tglyph>& out) {
    QFont f(fontfile("DejaVuSans-Bold.ttf"));
    f.setPixelSize(px);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    QFontMetricsF fm(f);
    out.clear();
    int top = 1000, bottom = -1000;
    struct traw { int code; QImage img; int left, right, adv; };
    std::vector<traw> raws;
    const int pad = 16, size = 64, base = 40;
    for (int code : codes()) {
        // The soft hyphen has no ink of its own; show it as a hyphen.
        QChar ch(code == 173 ? '-' : char16_t(code));
        QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QPointF(pad, base), QString(ch));
        p.end();
        int l = size, r = -1;
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                if (qAlpha(img.pixel(x, y)) > 0) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        int adv = int(std::lround(fm.horizontalAdvance(ch)));
        raws.push_back({code, img, r < 0 ? pad : l, r < 0 ? pad - 1 : r, adv});
    }
    // The outline takes a pixel above and below the ink.
    if (bottom - top + 1 + 2 > cellh) return false;
    int shift = 1 - top;   // image row y lands on cell row y + shift
    for (auto& g : raws) {
        int x0 = std::min(pad, g.left), x1 = std::max(pad + g.adv - 1, g.right);
        int w = x1 - x0 + 1 + 2;
        QImage a(w, cellh, QImage::Format_ARGB32_Premultiplied);
        a.fill(Qt::transparent);
        for (int y = 0; y < cellh; y++)
            for (int x = 0; x < w; x++) {
                int sx = x - 1 + x0, sy = y - shift;
                if (sx >= 0 && sy >= 0 && sx < size && sy < size) a.setPixel(x, y, g.img.pixel(sx, sy));
            }
        out.push_back({g.code, a, w});
    }
    return true;
}

} // namespace

void fontpictures(std::vector<tpicture>& out) {
    std::vector<tglyph> gs;
    int px = 13;
    while (px > 8 && !glyphs(px, gs)) px--;
    int total = 0;
    for (auto& g : gs) total += g.w;
    QImage sheet(total, cellh, QImage::Format_ARGB32);
    QImage desc(total, cellh, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    int at = 0;
    const QColor rim(14, 18, 30);
    for (auto& g : gs) {
        for (int y = 0; y < cellh; y++)
            for (int x = 0; x < g.w; x++) {
                desc.setPixelColor(at + x, y, QColor(g.code, 0, 0, 255));
                // White ink over a dark rim grown one pixel in all eight directions.
                // Coverage is firmed up a little so that thin strokes stay white at 1x.
                float a = std::min(1.0f, qAlpha(g.alpha.pixel(x, y)) / 255.0f * 1.4f), o = 0;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int sx = x + dx, sy = y + dy;
                        if (sx >= 0 && sy >= 0 && sx < g.w && sy < cellh)
                            o = std::max(o, qAlpha(g.alpha.pixel(sx, sy)) / 255.0f);
                    }
                // Soft ink edges make a thin outline look fuzzy: firm it up a little.
                o = std::min(1.0f, o * 1.6f);
                float oa = a + o * (1 - a);
                if (oa <= 0.0f) continue;
                float k = a / oa;
                QColor c(int(mix(rim.red(), 255, k) + 0.5f), int(mix(rim.green(), 255, k) + 0.5f),
                         int(mix(rim.blue(), 255, k) + 0.5f), int(oa * 255 + 0.5f));
                if (c.alpha() > 0) sheet.setPixelColor(at + x, y, c);
            }
        at += g.w;
    }
    out.push_back({"ambient outlined.png", sheet});
    out.push_back({"ambient outlined d.png", desc});
}
