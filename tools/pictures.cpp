// tools/pictures.cpp — the scenery: sky, stars, sun, moon, planets, rainbow, cloud, title,
// skyline, street, flag, the city's houses and the soft effect pictures.
#include "assetgen.h"
#include "paint.h"

#include "framework/pictures.h"

#include <QFont>
#include <QFontMetricsF>

using namespace paint;

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QImage finish(const QImage& img) { return img.convertToFormat(QImage::Format_ARGB32); }

namespace {

void add(std::vector<tpicture>& out, const std::string& name, const QImage& img) {
    out.push_back({name, finish(img)});
}

// Stretched to 800 x 2418 and slid up as the sun sets: rows 0 .. ~185 are the noon sky over
// the playfield, the last ~185 rows midnight; the window of rows in view passes through the
// sunset colours in between.
QImage sky() {
    struct tstop { float row; int r, g, b; };
    const tstop stops[] = {
        {0, 38, 92, 186},    {120, 74, 138, 214},  {185, 132, 182, 232}, {260, 150, 190, 228},
        {360, 196, 196, 200}, {440, 246, 186, 118}, {520, 242, 132, 62},  {600, 214, 78, 56},
        {690, 140, 56, 98},  {790, 78, 42, 104},   {890, 36, 32, 84},    {1000, 14, 16, 44},
        {1100, 6, 8, 24},    {1208, 3, 4, 12},
    };
    QImage img(8, 1209, QImage::Format_ARGB32);
    for (int y = 0; y < 1209; y++) {
        int k = 0;
        while (k + 2 < int(std::size(stops)) && stops[k + 1].row < y) k++;
        const tstop& a = stops[k];
        const tstop& b = stops[k + 1];
        float t = smooth((y - a.row) / (b.row - a.row));
        QColor c(int(mix(a.r, b.r, t) + 0.5f), int(mix(a.g, b.g, t) + 0.5f), int(mix(a.b, b.b, t) + 0.5f));
        for (int x = 0; x < 8; x++) img.setPixelColor(x, y, c);
    }
    return img;
}

// Turned about its centre over the night sky: stars of one and two pixels and a faint
// milky band across the middle.
QImage stars() {
    const int n = 1024;
    QImage img = canvas(n, n);
    // The band: a soft glow along a diagonal, broken up by noise.
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float d = ((x - 512) * 0.8f - (y - 512) * 0.6f) / 150.0f;
            float g = std::exp(-d * d) * (0.35f + 0.65f * fbm(float(x), float(y), 90, 7));
            float dust = fbm(float(x), float(y), 40, 11);
            int a = int(g * 46 * smooth((dust - 0.25f) * 2));
            if (a > 0) put(img, x, y, QColor(200, 210, 255, a));
        }
    tgenrnd r(2024);
    auto star = [&](int x, int y, float b, int tint) {
        QColor c = tint == 0 ? QColor(255, 255, 255) : tint == 1 ? QColor(200, 220, 255) : QColor(255, 236, 200);
        if (b > 0.82f) {
            // A bright star: two by two pixels with a bright core.
            c.setAlpha(255);
            blend(img, x, y, c);
            c.setAlpha(int(150 * b));
            blend(img, x + 1, y, c);
            blend(img, x, y + 1, c);
            c.setAlpha(int(80 * b));
            blend(img, x + 1, y + 1, c);
        } else {
            c.setAlpha(int(60 + 195 * b));
            blend(img, x, y, c);
        }
    };
    for (int i = 0; i < 2600; i++) {
        float b = r.uni();
        b = b * b * b;
        star(r.upto(n), r.upto(n), b, r.upto(3));
    }
    // Many more faint ones along the band.
    for (int i = 0; i < 2200; i++) {
        float along = r.sym() * 760, across = (r.uni() + r.uni() + r.uni() - 1.5f) * 110;
        int x = int(512 + along * 0.6f + across * 0.8f), y = int(512 + along * 0.8f - across * 0.6f);
        star(x, y, r.uni() * 0.45f, r.upto(3));
    }
    return img;
}

QImage sun() {
    const int n = 72;
    QImage img = canvas(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float d = std::hypot(x + 0.5f - 36, y + 0.5f - 36);
            QColor c;
            if (d < 13) {
                c = mixc(QColor(255, 255, 248), QColor(255, 246, 190), smooth(d / 13));
            } else if (d < 15) {
                float t = (d - 13) / 2;
                c = mixc(QColor(255, 246, 190), QColor(255, 214, 110, 230), t);
            } else {
                float t = (d - 15) / 21;
                float a = std::pow(clamp01(1 - t), 2.2f);
                c = QColor(255, int(200 - 40 * t), int(100 - 40 * t), int(230 * a));
            }
            put(img, x, y, c);
        }
    return img;
}

// A sphere lit from the left, drawn pixel by pixel with a supersampled edge.
template <class F>
void sphere(QImage& img, float cx, float cy, float rad, F colour) {
    for (int y = int(cy - rad - 1); y <= int(cy + rad + 1); y++)
        for (int x = int(cx - rad - 1); x <= int(cx + rad + 1); x++) {
            int inside = 0;
            for (int sy = 0; sy < 4; sy++)
                for (int sx = 0; sx < 4; sx++)
                    if (std::hypot(x + (sx + 0.5f) / 4 - cx, y + (sy + 0.5f) / 4 - cy) < rad) inside++;
            if (!inside) continue;
            float nx = (x + 0.5f - cx) / rad, ny = (y + 0.5f - cy) / rad;
            float k = std::min(1.0f, std::hypot(nx, ny));
            if (k > 0.999f) { nx /= k * 1.001f; ny /= k * 1.001f; }
            QColor c = colour(nx, ny);
            c.setAlpha(int(c.alpha() * inside / 16.0f));
            blend(img, x, y, c);
        }
}

// The moon's lit side is its left: it is drawn turned so that its left faces the sun.
QImage moon() {
    const int n = 44;
    QImage img = canvas(n, n);
    // A faint halo.
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float d = std::hypot(x + 0.5f - 22, y + 0.5f - 22);
            if (d > 18 && d < 22) put(img, x, y, QColor(220, 228, 255, int(40 * std::pow(1 - (d - 18) / 4, 2))));
        }
    struct tcrater { float x, y, r; };
    const tcrater craters[] = {{-0.35f, -0.3f, 0.22f}, {0.1f, 0.35f, 0.18f}, {-0.5f, 0.3f, 0.12f},
                               {0.3f, -0.4f, 0.14f},   {-0.1f, -0.05f, 0.1f}, {0.45f, 0.1f, 0.16f}};
    sphere(img, 22, 22, 18.5f, [&](float nx, float ny) {
        float lit = spherelight(nx, ny, -1, -0.1f, 0.45f);
        float albedo = 0.86f + 0.14f * fbm((nx + 1) * 40, (ny + 1) * 40, 9, 31);
        for (auto& c : craters) {
            float d = std::hypot(nx - c.x, ny - c.y) / c.r;
            if (d < 1) albedo -= 0.16f * (1 - d * d);
            else if (d < 1.25f) albedo += 0.05f;   // the bright rim of a crater
        }
        float l = smooth(lit * 1.6f);
        QColor litc(int(236 * albedo), int(234 * albedo), int(222 * albedo));
        QColor dark(52, 58, 78);
        QColor c = mixc(dark, litc, l);
        c.setAlpha(int(255 * (0.42f + 0.58f * smooth(lit * 3))));
        return c;
    });
    return img;
}

QImage planets() {
    const int n = 56;
    QImage img = canvas(n, n);
    // A ringed giant: the far half of its ring, the planet, then the near half.
    auto ring = [&](bool front) {
        QPainter p(&img);
        hints(p);
        p.translate(19, 20);
        p.rotate(-18);
        p.setClipRect(front ? QRectF(-30, 0, 60, 30) : QRectF(-30, -30, 60, 30));
        p.setPen(QPen(QColor(226, 206, 160, 210), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 16, 4.2);
        p.setPen(QPen(QColor(190, 168, 130, 150), 1.0));
        p.drawEllipse(QPointF(0, 0), 13, 3.3);
    };
    ring(false);
    sphere(img, 19, 20, 9.5f, [](float nx, float ny) {
        float lit = spherelight(nx, ny, -1, -0.2f, 0.5f);
        float band = 0.5f + 0.5f * std::sin(ny * 11 + 0.8f);
        QColor base = mixc(QColor(226, 178, 110), QColor(244, 218, 168), band);
        return mixc(QColor(40, 30, 34, 140), base, smooth(lit * 1.5f));
    });
    ring(true);
    sphere(img, 42, 40, 6.5f, [](float nx, float ny) {
        float lit = spherelight(nx, ny, -1, -0.2f, 0.5f);
        float spot = fbm((nx + 1) * 30, (ny + 1) * 30, 8, 5);
        QColor base = mixc(QColor(196, 84, 52), QColor(232, 140, 96), spot);
        return mixc(QColor(40, 24, 30, 140), base, smooth(lit * 1.5f));
    });
    sphere(img, 43, 13, 4.5f, [](float nx, float ny) {
        float lit = spherelight(nx, ny, -1, -0.2f, 0.5f);
        QColor base = mixc(QColor(90, 150, 230), QColor(170, 220, 255), smooth(-ny));
        return mixc(QColor(24, 30, 52, 140), base, smooth(lit * 1.5f));
    });
    return img;
}

QImage rainbow() {
    QImage img = canvas(800, 370);
    const QColor bands[7] = {QColor(232, 40, 40),  QColor(250, 140, 30), QColor(250, 230, 60),
                             QColor(70, 200, 80),  QColor(50, 130, 240), QColor(80, 60, 200),
                             QColor(150, 70, 210)};
    const float cx = 400, cy = 520, outer = 430, width = 38;
    for (int y = 0; y < 370; y++)
        for (int x = 0; x < 800; x++) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            float t = (outer - d) / width;   // 0 outer (red) .. 1 inner (violet)
            if (t < -0.3f || t > 1.6f) continue;
            float edge = smooth((t + 0.3f) / 0.35f) * smooth((1.25f - t) / 0.35f);
            float ft = std::clamp(t, 0.0f, 1.0f) * 6;
            int i = std::min(5, int(ft));
            QColor c = mixc(bands[i], bands[i + 1], smooth(ft - i));
            // A faint bright glow just inside the arc.
            float glow = t > 1 ? 0.25f * smooth((1.6f - t) / 0.6f) : 0;
            if (t > 1) c = mixc(c, QColor(255, 255, 255), 0.6f);
            float ends = smooth((330 - y) / 140.0f) * 0.6f + 0.4f;
            int a = int(255 * std::max(edge, glow) * ends);
            if (a > 0) { c.setAlpha(a); put(img, x, y, c); }
        }
    return img;
}

// White with grey shading underneath: the game tints it grey in rain and draws it at 0.33.
QImage cloud() {
    const int w = 220, h = 90;
    QImage img = canvas(w, h);
    struct tblob { float x, y, r; };
    const tblob blobs[] = {{40, 62, 24}, {70, 48, 30}, {104, 38, 36}, {142, 44, 32}, {174, 56, 26},
                           {196, 68, 16}, {24, 72, 14}, {92, 64, 26}, {128, 62, 28}, {160, 68, 20},
                           {58, 72, 18}};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float px = x + 0.5f, py = y + 0.5f;
            float f = 0, shade = 0;
            for (auto& b : blobs) {
                float d = std::hypot(px - b.x, py - b.y) / b.r;
                float v = 1 - d;
                if (v > f) {
                    f = v;
                    shade = spherelight((px - b.x) / b.r, (py - b.y) / b.r, -0.3f, -1, 0.6f);
                }
            }
            f += (fbm(px, py, 14, 3) - 0.5f) * 0.18f;
            // A flat, soft underside.
            f = std::min(f, (86 - py) / 22);
            if (f <= 0) continue;
            float a = smooth(f / 0.32f);
            float l = 0.72f + 0.28f * smooth(shade * 1.3f);
            QColor c(int(255 * l), int(255 * l), int(255 * std::min(1.0f, l + 0.03f)), int(255 * a));
            put(img, x, y, c);
        }
    return img;
}

QImage title() {
    const int w = 340, h = 38;
    QImage img = canvas(w, h);
    QFont f(fontfile("DejaVuSans-Bold.ttf"));
    f.setPixelSize(30);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    QFontMetricsF fm(f);
    QString text = "VARNHOLD";
    float tw = fm.horizontalAdvance(text) - 4;
    float x0 = (w - tw) / 2, base = 29;
    QPainterPath path;
    path.addText(x0, base, f, text);
    QPainter p(&img);
    hints(p);
    // Shadow, outline, metal fill, then a one-pixel highlight along the tops.
    p.setPen(QPen(QColor(0, 0, 0, 90), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(1.5, 2));
    p.setPen(QPen(QColor(18, 26, 48), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    QLinearGradient g(0, base - 22, 0, base + 1);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(0.45, QColor(214, 230, 250));
    g.setColorAt(0.5, QColor(150, 180, 220));
    g.setColorAt(1, QColor(236, 196, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
    p.setClipPath(path);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path.translated(0, 1));
    p.setClipping(false);
    // A thin missile trail sweeping under the name with a spark at its head.
    QPainterPath trail;
    trail.moveTo(x0 - 18, 35);
    trail.cubicTo(x0 + tw * 0.3, 37, x0 + tw * 0.7, 37, x0 + tw + 16, 31);
    QLinearGradient tg(x0 - 18, 0, x0 + tw + 16, 0);
    tg.setColorAt(0, QColor(255, 200, 60, 0));
    tg.setColorAt(1, QColor(255, 140, 40, 230));
    p.setPen(QPen(QBrush(tg), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trail);
    QRadialGradient spark(x0 + tw + 16, 31, 5);
    spark.setColorAt(0, QColor(255, 255, 230, 255));
    spark.setColorAt(0.4, QColor(255, 200, 90, 200));
    spark.setColorAt(1, QColor(255, 120, 30, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(spark);
    p.drawEllipse(QPointF(x0 + tw + 16, 31), 5, 5);
    return img;
}

// The far skyline. Everything inside a building is alpha 255 down to the bottom edge; the sky
// is fully transparent; masts and the flagpole are a little translucent so that they neither
// hide satellites nor make a roof for the jumper. The flag hangs from (704, 165).
QImage city() {
    const int w = 804, h = 370;
    QImage img = canvas(w, h);
    tgenrnd r(370);
    struct tblock { int x, w, top; int layer; };
    std::vector<tblock> blocks;
    // Back row: taller, hazier towers.
    for (int x = -10; x < w;) {
        int bw = 22 + r.upto(40), top = 160 + r.upto(95);
        if (x + bw > 650 && x < 760) top = std::max(top, 215);   // keep the flag tower clear
        blocks.push_back({x, bw, top, 0});
        x += bw - 4 + r.upto(10);
    }
    // Front row: lower blocks.
    for (int x = -6; x < w;) {
        int bw = 26 + r.upto(46), top = 225 + r.upto(76);
        blocks.push_back({x, bw, top, 1});
        x += bw + r.upto(6) - 2;
    }
    // The flag tower.
    blocks.push_back({686, 36, 203, 2});

    QPainter p(&img);
    auto wall = [&](int layer) { return layer == 0 ? QColor(58, 68, 92) : QColor(40, 48, 68); };
    for (int layer = 0; layer < 3; layer++)
        for (auto& b : blocks) {
            if (b.layer != layer) continue;
            QColor c = wall(layer == 2 ? 1 : layer);
            int x0 = std::max(0, b.x), x1 = std::min(w, b.x + b.w);
            for (int y = b.top; y < h; y++) {
                float t = float(y - b.top) / (h - b.top);
                p.fillRect(x0, y, x1 - x0, 1, mixc(c.lighter(118), c.darker(115), t));
            }
            // Rim light on the roof edge and the left side.
            p.fillRect(x0, b.top, x1 - x0, 1, c.lighter(165));
            if (b.x >= 0) p.fillRect(b.x, b.top, 1, h - b.top, c.lighter(130));
            // Windows: a regular grid, some lit warm, the rest dark glass.
            int ww = layer == 0 ? 2 : 2, wh = layer == 0 ? 2 : 3, sx = 5, sy = layer == 0 ? 5 : 6;
            int seed = r.upto(1000);
            // Some towers are busy late into the night, others nearly dark.
            float busy = 0.05f + 0.3f * r.uni();
            for (int y = b.top + 5; y + wh < h - 2; y += sy)
                for (int x = b.x + 4; x + ww < b.x + b.w - 3; x += sx) {
                    if (x < 0 || x + ww > w) continue;
                    float v = hash2(x, y, seed);
                    QColor wc;
                    if (v < busy) wc = mixc(QColor(255, 206, 110), QColor(255, 240, 180), hash2(y, x, seed));
                    else if (v < busy + 0.05f) wc = QColor(150, 180, 210);
                    else wc = mixc(c.darker(130), QColor(100, 118, 150), 0.3f);
                    p.fillRect(x, y, ww, wh, wc);
                }
        }
    // Roof furniture on some back towers: stepped crowns and water tanks (opaque, part of
    // the building), thin masts (translucent).
    p.setRenderHint(QPainter::Antialiasing, true);
    for (auto& b : blocks) {
        if (b.layer != 0 || b.x < 4 || b.x + b.w > w - 4) continue;
        int kind = r.upto(4);
        QColor c = wall(0);
        if (kind == 0 && b.top > 175 && b.w > 24) {
            int cw = b.w / 2, cx = b.x + (b.w - cw) / 2;
            p.fillRect(QRect(cx, b.top - 8, cw, 8), c.lighter(108));
            p.fillRect(QRect(cx, b.top - 8, cw, 1), c.lighter(165));
        } else if (kind == 1 && b.top > 165) {
            QColor m(150, 160, 180, 200);
            p.setPen(QPen(m, 1));
            p.drawLine(QPointF(b.x + b.w * 0.6f + 0.5f, b.top), QPointF(b.x + b.w * 0.6f + 0.5f, b.top - 14));
            // A red warning light on the mast.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 60, 40, 220));
            p.drawEllipse(QPointF(b.x + b.w * 0.6f + 0.5f, b.top - 14), 1.1, 1.1);
        } else if (kind == 2 && b.top > 170) {
            int tx = b.x + 4 + r.upto(std::max(1, b.w - 14));
            p.fillRect(QRect(tx, b.top - 7, 8, 5), QColor(70, 62, 64));
            p.fillRect(QRect(tx, b.top - 7, 8, 1), QColor(120, 108, 104));
            // It stands on a solid plinth: no gaps under a roof line.
            p.fillRect(QRect(tx - 1, b.top - 2, 10, 2), c.darker(110));
            p.fillRect(QRect(tx + 1, b.top - 2, 1, 2), QColor(70, 62, 64));
            p.fillRect(QRect(tx + 6, b.top - 2, 1, 2), QColor(70, 62, 64));
        }
    }
    // The flagpole: x = 704 from its golden knob at y = 165 down to the tower's roof.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(704, 167, 1, 203 - 167), QColor(200, 204, 214, 225));
    p.fillRect(QRect(705, 167, 1, 203 - 167), QColor(110, 116, 130, 150));
    p.fillRect(QRect(703, 165, 3, 2), QColor(250, 210, 90, 235));
    p.fillRect(QRect(704, 165, 1, 1), QColor(255, 240, 170, 245));
    return img;
}

QImage street() {
    const int w = 800, h = 30;
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float n = fbm(float(x), float(y), 3, 77, 2) - 0.5f;
            float grit = hash2(x, y, 5) - 0.5f;
            QColor c;
            if (y < 3) {
                // The kerb: light stone with a bright top edge and joints every 24 pixels.
                int v = y == 0 ? 188 : y == 1 ? 150 : 104;
                if (x % 24 == 0 && y > 0) v -= 30;
                c = QColor(v, v, v + 4);
            } else if (y >= 27) {
                int v = y == 27 ? 120 : y == 28 ? 100 : 84;
                if (x % 24 == 12) v -= 18;
                c = QColor(v, v, v + 3);
            } else {
                int v = int(62 + 10 * n + 8 * grit);
                c = QColor(v, v + 1, v + 5);
                // Lane edge lines and the dashed centre line.
                if (y == 4 || y == 26) c = QColor(196, 196, 186);
                if ((y == 14 || y == 15) && (x % 40) < 22) c = y == 14 ? QColor(242, 240, 226) : QColor(206, 204, 190);
                // Tyre tracks: slightly darker bands in both lanes.
                if ((y >= 8 && y <= 10) || (y >= 19 && y <= 21)) c = c.darker(110);
            }
            img.setPixelColor(x, y, c);
        }
    return img;
}

// Fixed along its left edge; the game stretches it with the wind.
QImage flag() {
    const int w = 30, h = 18;
    QImage img = canvas(w, h);
    QPainter p(&img);
    hints(p);
    p.fillRect(QRect(0, 0, w, h), QColor(28, 74, 160));
    p.fillRect(QRect(0, 6, w, 6), QColor(245, 245, 238));
    p.fillRect(QRect(0, 7, w, 4), QColor(232, 182, 40));
    // A white tower on the hoist side.
    QPainterPath tower;
    tower.addRect(4, 3, 6, 12);
    tower.addRect(3, 2, 2, 2);
    tower.addRect(6, 2, 2, 2);
    tower.addRect(9, 2, 2, 2);
    p.setPen(QPen(QColor(18, 40, 90), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawPath(tower.simplified());
    p.fillRect(QRectF(6, 10, 2, 4), QColor(28, 74, 160));
    // Folds of cloth: soft light and dark vertical bands.
    for (int x = 0; x < w; x++) {
        float s = std::sin(x * 0.55f + 0.4f) * 0.5f + 0.5f;
        QColor over = s > 0.5f ? QColor(255, 255, 255, int(40 * (s - 0.5f) * 2)) : QColor(0, 0, 20, int(55 * (0.5f - s) * 2));
        p.fillRect(QRect(x, 0, 1, h), over);
    }
    p.fillRect(QRect(0, 0, 1, h), QColor(0, 0, 0, 70));
    return img;
}

// ----------------------------------------------------------------------------------------
// Houses: bottom-left handle, standing on the street line. Bodies opaque, one or two
// transparent columns at each side and open sky around roofs.

struct thousepainter {
    QImage img;
    QPainter p;
    int w, h;
    thousepainter(int w_, int h_) : img(canvas(w_, h_)), p(&img), w(w_), h(h_) { hints(p); }

    // Ends painting; the outermost columns stay clear so that missiles pass beside a house.
    QImage done() {
        p.end();
        for (int y = 0; y < h; y++) {
            img.setPixelColor(0, y, Qt::transparent);
            img.setPixelColor(w - 1, y, Qt::transparent);
        }
        return img;
    }

    // A wall with a soft top-to-bottom gradient and a one-pixel lit left edge.
    void wall(QRectF r, QColor c) {
        p.setRenderHint(QPainter::Antialiasing, false);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, c.lighter(112));
        g.setColorAt(1, c.darker(112));
        p.fillRect(r, g);
        p.fillRect(QRectF(r.x(), r.y(), 1, r.height()), c.lighter(135));
        p.fillRect(QRectF(r.right() - 1, r.y(), 1, r.height()), c.darker(135));
        p.setRenderHint(QPainter::Antialiasing, true);
    }
    void bricks(QRectF r, QColor mortar) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int y = int(r.top()) + 2; y < r.bottom(); y += 3) {
            p.fillRect(QRectF(r.left() + 1, y, r.width() - 2, 1), mortar);
            int off = (y / 3) % 2 ? 3 : 0;
            for (int x = int(r.left()) + 1 + off; x < r.right() - 1; x += 6)
                p.fillRect(QRectF(x, y - 2, 1, 2), mortar);
        }
        p.setRenderHint(QPainter::Antialiasing, true);
    }
    // A window: frame, glass lit warm or reflecting the sky, a sill and a highlight.
    void window(float x, float y, float ww, float wh, bool lit, QColor frame = QColor(232, 226, 210)) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(x - 1, y - 1, ww + 2, wh + 2), frame);
        QLinearGradient g(x, y, x, y + wh);
        if (lit) {
            g.setColorAt(0, QColor(255, 236, 160));
            g.setColorAt(1, QColor(250, 176, 70));
        } else {
            g.setColorAt(0, QColor(130, 170, 210));
            g.setColorAt(1, QColor(40, 60, 96));
        }
        p.fillRect(QRectF(x, y, ww, wh), g);
        if (ww >= 4) p.fillRect(QRectF(x + ww / 2 - 0.5f, y, 1, wh), frame.darker(115));
        if (wh >= 6) p.fillRect(QRectF(x, y + wh / 2 - 0.5f, ww, 1), frame.darker(115));
        p.fillRect(QRectF(x, y, 1, std::min(2.0f, wh)), QColor(255, 255, 255, 150));
        p.fillRect(QRectF(x - 1, y + wh + 1, ww + 2, 1), frame.darker(150));
        p.setRenderHint(QPainter::Antialiasing, true);
    }
    void door(float x, float y, float ww, float wh, QColor c) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(x - 1, y - 1, ww + 2, wh + 1), QColor(220, 214, 200));
        QLinearGradient g(x, y, x + ww, y);
        g.setColorAt(0, c.lighter(125));
        g.setColorAt(1, c.darker(125));
        p.fillRect(QRectF(x, y, ww, wh), g);
        p.fillRect(QRectF(x + ww - 2, y + wh / 2, 1, 1), QColor(250, 220, 120));
        p.setRenderHint(QPainter::Antialiasing, true);
    }
    void poly(std::initializer_list<QPointF> pts, QColor c, QColor edge) {
        QPolygonF pg(pts);
        QRectF b = pg.boundingRect();
        QLinearGradient g(b.topLeft(), b.bottomLeft());
        g.setColorAt(0, c.lighter(115));
        g.setColorAt(1, c.darker(110));
        p.setPen(QPen(edge, 1));
        p.setBrush(g);
        p.drawPolygon(pg);
    }
};

QImage houseterrace() {   // brick terrace, two storeys, pitched roof, chimney
    thousepainter t(56, 52);
    t.poly({{1, 22}, {12, 9}, {44, 9}, {55, 22}}, QColor(92, 74, 78), QColor(50, 40, 44));
    t.wall(QRectF(45, 4, 5, 10), QColor(150, 84, 64));
    t.p.fillRect(QRectF(44, 3, 7, 2), QColor(96, 90, 88));
    t.wall(QRectF(2, 22, 52, 30), QColor(166, 82, 58));
    t.bricks(QRectF(2, 22, 52, 30), QColor(120, 60, 44, 160));
    t.p.fillRect(QRectF(2, 21, 52, 2), QColor(230, 224, 210));
    t.window(7, 26, 8, 8, true);
    t.window(24, 26, 8, 8, false);
    t.window(41, 26, 8, 8, true);
    t.window(7, 39, 8, 8, false);
    t.door(25, 38, 7, 14, QColor(40, 90, 70));
    t.window(41, 39, 8, 8, true);
    t.window(14, 13, 6, 5, false);
    t.window(36, 13, 6, 5, true);
    return t.done();
}

QImage houseshop() {   // a shop with a striped awning and a flat roof
    thousepainter t(48, 40);
    t.wall(QRectF(2, 6, 44, 34), QColor(214, 196, 150));
    t.p.fillRect(QRectF(1, 4, 46, 3), QColor(120, 110, 100));
    t.p.fillRect(QRectF(1, 4, 46, 1), QColor(200, 190, 176));
    t.window(6, 10, 7, 6, true);
    t.window(20, 10, 7, 6, false);
    t.window(34, 10, 7, 6, true);
    // The shop sign.
    t.p.fillRect(QRectF(4, 19, 40, 4), QColor(40, 60, 110));
    for (int i = 0; i < 6; i++) t.p.fillRect(QRectF(8 + i * 6, 20, 3, 2), QColor(240, 220, 140));
    // The awning: red and white stripes with a scalloped edge.
    for (int i = 0; i < 11; i++) {
        QColor c = i % 2 ? QColor(246, 244, 236) : QColor(206, 52, 48);
        t.p.setPen(Qt::NoPen);
        t.p.setBrush(c);
        t.p.drawPolygon(QPolygonF({QPointF(3 + i * 4, 23), QPointF(7 + i * 4, 23), QPointF(8 + i * 4, 28), QPointF(2 + i * 4, 28)}));
        t.p.drawEllipse(QPointF(5 + i * 4, 28), 2.2, 1.6);
    }
    t.window(5, 31, 16, 9, true, QColor(60, 60, 64));
    t.door(28, 30, 7, 10, QColor(70, 60, 50));
    t.window(38, 31, 6, 9, true, QColor(60, 60, 64));
    return t.done();
}

QImage houseflats() {   // a small block of flats
    thousepainter t(62, 96);
    t.wall(QRectF(2, 8, 58, 88), QColor(178, 170, 160));
    t.p.fillRect(QRectF(1, 6, 60, 3), QColor(110, 104, 100));
    t.p.fillRect(QRectF(1, 6, 60, 1), QColor(210, 204, 196));
    t.wall(QRectF(10, 1, 12, 6), QColor(150, 144, 138));   // lift housing
    t.p.setPen(QPen(QColor(160, 168, 180, 220), 1));
    t.p.drawLine(QPointF(48.5, 6), QPointF(48.5, 0.5));   // aerial
    tgenrnd r(62);
    for (int f = 0; f < 7; f++) {
        float y = 13 + f * 11.5f;
        t.p.fillRect(QRectF(2, y + 9, 58, 1), QColor(150, 142, 134));
        for (int k = 0; k < 4; k++) {
            if (f == 6 && (k == 1 || k == 2)) continue;
            t.window(7 + k * 13.5f, y, 8, 7, r.uni() < 0.45f);
        }
    }
    t.door(25, 84, 12, 12, QColor(60, 80, 110));
    t.p.fillRect(QRectF(22, 81, 18, 2), QColor(90, 90, 96));
    return t.done();
}

QImage housechurch() {   // a church with a spire
    thousepainter t(52, 110);
    // The nave with its pitched roof.
    t.poly({{14, 62}, {33, 46}, {51, 62}}, QColor(72, 84, 96), QColor(40, 46, 56));
    t.wall(QRectF(15, 62, 35, 48), QColor(196, 184, 160));
    t.bricks(QRectF(15, 62, 35, 48), QColor(160, 148, 126, 120));
    // The tower and spire.
    t.poly({{3, 32}, {10, 1}, {17, 32}}, QColor(70, 110, 100), QColor(40, 60, 56));
    t.p.setPen(QPen(QColor(250, 214, 100), 1));
    t.p.drawLine(QPointF(10, 0.5), QPointF(10, 4));
    t.wall(QRectF(2, 32, 16, 78), QColor(188, 176, 152));
    t.bricks(QRectF(2, 32, 16, 78), QColor(150, 138, 118, 120));
    // Clock face.
    t.p.setPen(QPen(QColor(60, 50, 40), 1));
    t.p.setBrush(QColor(250, 246, 230));
    t.p.drawEllipse(QPointF(10, 42), 4, 4);
    t.p.drawLine(QPointF(10, 42), QPointF(10, 39.5));
    t.p.drawLine(QPointF(10, 42), QPointF(12, 42));
    // Arched windows.
    auto arch = [&](float x, float y, float ww, float wh, bool lit) {
        QPainterPath a;
        a.moveTo(x, y + wh);
        a.lineTo(x, y + ww / 2);
        a.arcTo(QRectF(x, y, ww, ww), 180, -180);
        a.lineTo(x + ww, y + wh);
        a.closeSubpath();
        QLinearGradient g(x, y, x, y + wh);
        g.setColorAt(0, lit ? QColor(255, 220, 140) : QColor(120, 90, 160));
        g.setColorAt(1, lit ? QColor(230, 140, 60) : QColor(50, 60, 120));
        t.p.setPen(QPen(QColor(90, 80, 70), 1));
        t.p.setBrush(g);
        t.p.drawPath(a);
    };
    arch(7, 54, 6, 12, false);
    arch(20, 70, 6, 16, true);
    arch(30, 70, 6, 16, false);
    arch(40, 70, 6, 16, true);
    // Rose window on the gable.
    t.p.setPen(QPen(QColor(90, 80, 70), 1));
    t.p.setBrush(QColor(200, 120, 170));
    t.p.drawEllipse(QPointF(33, 57), 2.5, 2.5);
    t.door(6, 96, 8, 14, QColor(110, 60, 40));
    return t.done();
}

QImage housetownhouse() {   // a narrow tall town house with a stepped gable
    thousepainter t(40, 72);
    t.poly({{2, 18}, {2, 14}, {7, 14}, {7, 9}, {12, 9}, {12, 4}, {28, 4}, {28, 9}, {33, 9}, {33, 14}, {38, 14}, {38, 18}},
           QColor(150, 110, 170), QColor(90, 60, 100));
    t.wall(QRectF(2, 18, 36, 54), QColor(150, 110, 170));
    t.p.fillRect(QRectF(2, 17, 36, 2), QColor(236, 230, 220));
    t.window(16, 7, 8, 6, true);
    for (int f = 0; f < 3; f++) {
        t.window(7, 22 + f * 13, 8, 9, (f + 1) % 2 == 1);
        t.window(25, 22 + f * 13, 8, 9, f % 2 == 1);
    }
    t.door(16, 60, 8, 12, QColor(40, 50, 90));
    return t.done();
}

QImage houserow() {   // a wide row of low terraced cottages
    thousepainter t(80, 46);
    t.poly({{1, 16}, {8, 6}, {72, 6}, {79, 16}}, QColor(60, 70, 84), QColor(34, 40, 50));
    for (int i = 0; i < 3; i++) t.wall(QRectF(12 + i * 24, 1, 4, 7), QColor(140, 88, 70));
    const QColor fronts[3] = {QColor(226, 214, 178), QColor(170, 196, 200), QColor(214, 170, 150)};
    for (int i = 0; i < 3; i++) {
        float x = 2 + i * 25.3f;
        t.wall(QRectF(x, 16, 25.4f, 30), fronts[i]);
        t.window(x + 4, 21, 7, 7, i != 1);
        t.window(x + 14, 21, 7, 7, i == 1);
        t.door(x + 4, 34, 6, 12, i == 0 ? QColor(150, 40, 40) : i == 1 ? QColor(40, 80, 140) : QColor(50, 110, 60));
        t.window(x + 14, 35, 7, 7, i == 2);
    }
    return t.done();
}

QImage housecafe() {   // a corner café, two storeys, with a green awning
    thousepainter t(54, 58);
    t.wall(QRectF(2, 8, 50, 50), QColor(236, 222, 196));
    t.p.fillRect(QRectF(1, 5, 52, 4), QColor(150, 90, 60));
    t.p.fillRect(QRectF(1, 5, 52, 1), QColor(220, 170, 130));
    // A small roof terrace with a rail.
    t.p.setPen(QPen(QColor(90, 90, 96, 230), 1));
    t.p.drawLine(QPointF(30, 1.5), QPointF(50, 1.5));
    for (int x = 30; x <= 50; x += 5) t.p.drawLine(QPointF(x + 0.5, 1.5), QPointF(x + 0.5, 5));
    t.window(6, 13, 9, 9, true);
    t.window(22, 13, 9, 9, false);
    t.window(38, 13, 9, 9, true);
    t.p.fillRect(QRectF(2, 27, 50, 2), QColor(190, 176, 150));
    for (int i = 0; i < 12; i++) {
        QColor c = i % 2 ? QColor(240, 240, 230) : QColor(40, 130, 80);
        t.p.setPen(Qt::NoPen);
        t.p.setBrush(c);
        t.p.drawPolygon(QPolygonF({QPointF(3 + i * 4, 30), QPointF(7 + i * 4, 30), QPointF(8 + i * 4, 35), QPointF(2 + i * 4, 35)}));
    }
    t.window(5, 39, 18, 12, true, QColor(70, 50, 40));
    t.door(29, 40, 8, 18, QColor(90, 60, 40));
    t.window(41, 39, 8, 12, true, QColor(70, 50, 40));
    return t.done();
}

QImage houseoffice() {   // a modern office block: glass bands
    thousepainter t(58, 84);
    t.wall(QRectF(2, 6, 54, 78), QColor(120, 134, 150));
    t.p.fillRect(QRectF(1, 4, 56, 3), QColor(200, 206, 214));
    t.wall(QRectF(36, 0, 14, 5), QColor(100, 110, 124));   // plant room
    tgenrnd r(58);
    for (int f = 0; f < 8; f++) {
        float y = 10 + f * 9;
        QLinearGradient g(0, y, 0, y + 6);
        g.setColorAt(0, QColor(150, 200, 236));
        g.setColorAt(1, QColor(40, 80, 130));
        t.p.fillRect(QRectF(4, y, 50, 6), g);
        for (int k = 0; k < 6; k++) {
            if (r.uni() < 0.35f) t.p.fillRect(QRectF(5 + k * 8.2f, y + 1, 7, 4), QColor(255, 226, 150));
            t.p.fillRect(QRectF(4 + k * 8.2f + 8, y, 1, 6), QColor(190, 200, 210));
        }
        t.p.fillRect(QRectF(4, y, 50, 1), QColor(255, 255, 255, 120));
    }
    t.door(22, 74, 14, 10, QColor(60, 90, 120));
    return t.done();
}

QImage housecottage() {   // a low cottage with a red tiled roof and a chimney
    thousepainter t(44, 36);
    t.wall(QRectF(30, 1, 5, 10), QColor(150, 90, 70));
    t.p.fillRect(QRectF(29, 0, 7, 2), QColor(100, 94, 90));
    t.poly({{1, 17}, {12, 4}, {32, 4}, {43, 17}}, QColor(184, 70, 48), QColor(110, 40, 30));
    for (int y = 8; y < 17; y += 3) t.p.fillRect(QRectF(6 + (17 - y) * 0.2f, y, 32 - (17 - y) * 0.4f, 1), QColor(140, 50, 36, 170));
    t.wall(QRectF(3, 17, 38, 19), QColor(238, 232, 214));
    t.window(7, 21, 8, 7, true);
    t.door(19, 22, 7, 14, QColor(60, 100, 150));
    t.window(30, 21, 8, 7, false);
    return t.done();
}

// ----------------------------------------------------------------------------------------
// Soft effect pictures, white so that the game's colour shows.

QImage puff() {
    QImage img = canvas(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            float dx = x + 0.5f - 32, dy = y + 0.5f - 32;
            float d = std::hypot(dx, dy) / 31;
            float lump = fbm(x + 100.0f, y + 100.0f, 14, 41);
            float f = 1 - d + (lump - 0.5f) * 0.35f;
            if (f <= 0) continue;
            float a = std::pow(clamp01(f), 1.3f) * smooth((1 - d) / 0.15f);
            float l = 0.82f + 0.18f * (0.5f - dy / 64) + 0.1f * (lump - 0.5f);
            int v = int(255 * clamp01(l));
            put(img, x, y, QColor(v, v, v, int(255 * clamp01(a * 1.15f))));
        }
    return img;
}

QImage glow() {
    QImage img = canvas(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32) / 32;
            if (d >= 1) continue;
            float a = std::pow(1 - d * d, 2.2f);
            put(img, x, y, QColor(255, 255, 255, int(255 * a)));
        }
    return img;
}

QImage ring() {
    QImage img = canvas(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32);
            float k = (d - 27.5f) / 1.8f;
            float a = std::exp(-k * k) + 0.06f * smooth((27 - d) / 27) * (d < 27);
            if (d > 31.5f) a *= smooth((32 - d) * 2);
            if (a > 0.004f) put(img, x, y, QColor(255, 255, 255, int(255 * clamp01(a))));
        }
    return img;
}

} // namespace

void scenepictures(std::vector<tpicture>& out) {
    add(out, "sky.png", sky());
    add(out, "stars.png", stars());
    add(out, "sun.png", sun());
    add(out, "moon.png", moon());
    add(out, "planets.png", planets());
    add(out, "rainbow.png", rainbow());
    add(out, "cloud.png", cloud());
    add(out, "title.png", title());
    add(out, "city.png", city());
    add(out, "street.png", street());
    add(out, "flag.png", flag());
    QImage (*houses[])() = {houseterrace, houseshop, houseflats, housechurch, housetownhouse,
                            houserow, housecafe, houseoffice, housecottage};
    static_assert(std::size(houses) == size_t(picturedefs[pic_house].count));
    for (size_t i = 0; i < std::size(houses); i++) add(out, "house" + std::to_string(i) + ".png", houses[i]());
    add(out, "explosion1.png", puff());
    add(out, "explosion2.png", glow());
    add(out, "ring.png", ring());
}

std::vector<tpicture> makepictures() {
    std::vector<tpicture> out;
    scenepictures(out);
    spritepictures(out);
    fontpictures(out);
    return out;
}
