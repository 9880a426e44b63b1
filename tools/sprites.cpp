// tools/sprites.cpp — everything that moves: turrets, missiles, the crosshair, cars and the
// police car, planes and the flying hero, meteors, the satellite, the UFO, helicopters and
// the parachute jumper; and the application icon.
//
// Cars and planes come in pairs: the body in white and greys (the game tints it) and an
// overlay in real colours (glass, wheels, lights, markings) drawn over it untinted.
// Cars, planes, the hero and the UFO face left; helicopters and the jumper face right.
#include "assetgen.h"
#include "paint.h"

#include "framework/pictures.h"

using namespace paint;

namespace {

void add(std::vector<tpicture>& out, const std::string& name, const QImage& img) {
    out.push_back({name, finish(img)});
}

// Tinted pictures carry no colour of their own: the game's tint is the colour.
QImage grey(QImage img) {
    for (int y = 0; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++) {
            QColor c = img.pixelColor(x, y);
            int l = int(0.3f * c.red() + 0.59f * c.green() + 0.11f * c.blue() + 0.5f);
            img.setPixelColor(x, y, QColor(l, l, l, c.alpha()));
        }
    return img;
}

QLinearGradient vgrad(float y0, float y1, std::initializer_list<std::pair<float, QColor>> stops) {
    QLinearGradient g(0, y0, 0, y1);
    for (auto& s : stops) g.setColorAt(s.first, s.second);
    return g;
}

QLinearGradient hgrad(float x0, float x1, std::initializer_list<std::pair<float, QColor>> stops) {
    QLinearGradient g(x0, 0, x1, 0);
    for (auto& s : stops) g.setColorAt(s.first, s.second);
    return g;
}

// ---------------------------------------------------------------------------------------
// Turret, missile, crosshair

QImage turretbase() {
    QImage img = canvas(44, 20);
    QPainter p(&img);
    hints(p);
    // The dome: a half ellipse with a bright upper left.
    QPainterPath dome;
    dome.moveTo(7, 14);
    dome.arcTo(QRectF(7, 2, 30, 24), 180, -180);
    dome.closeSubpath();
    QRadialGradient g(17, 5, 22);
    g.setColorAt(0, QColor(196, 208, 196));
    g.setColorAt(0.45, QColor(112, 130, 112));
    g.setColorAt(1, QColor(52, 64, 54));
    p.setPen(QPen(QColor(30, 38, 32), 1));
    p.setBrush(g);
    p.drawPath(dome);
    // Armour seams and the barrel's port.
    p.setPen(QPen(QColor(40, 50, 42, 200), 1));
    p.drawArc(QRectF(11, 5, 22, 18), 30 * 16, 120 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 28, 26));
    p.drawEllipse(QPointF(22, 3.6), 3.4, 1.6);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawArc(QRectF(8.5, 3.5, 27, 22), 100 * 16, 60 * 16);
    // Rivets.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 226, 214));
    for (float x : {12.0f, 17.0f, 22.0f, 27.0f, 32.0f}) p.drawEllipse(QPointF(x, 12.2), 0.6, 0.6);
    // The concrete plinth, bevelled.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(1, 13, 42, 7), vgrad(13, 20, {{0, QColor(176, 172, 160)}, {1, QColor(96, 94, 88)}}));
    p.fillRect(QRect(1, 13, 42, 1), QColor(222, 218, 206));
    p.fillRect(QRect(1, 13, 1, 7), QColor(200, 196, 186));
    p.fillRect(QRect(42, 13, 1, 7), QColor(70, 68, 64));
    p.fillRect(QRect(2, 16, 40, 1), QColor(110, 106, 98));
    for (int x = 8; x < 42; x += 10) p.fillRect(QRect(x, 17, 1, 3), QColor(110, 106, 98));
    return img;
}

QImage turret() {
    QImage img = canvas(6, 38);
    QPainter p(&img);
    p.fillRect(QRect(1, 3, 4, 35), hgrad(1, 5, {{0, QColor(70, 80, 72)}, {0.35, QColor(200, 210, 200)}, {1, QColor(50, 58, 52)}}));
    // The muzzle brake.
    p.fillRect(QRect(0, 0, 6, 4), hgrad(0, 6, {{0, QColor(60, 66, 62)}, {0.35, QColor(210, 216, 210)}, {1, QColor(40, 44, 42)}}));
    p.fillRect(QRect(0, 1, 6, 1), QColor(30, 34, 32));
    p.fillRect(QRect(1, 10, 4, 1), QColor(60, 70, 62));
    return img;
}

QImage rocket() {
    QImage img = canvas(5, 10);
    QPainter p(&img);
    hints(p);
    QPainterPath body;
    body.moveTo(2.5, 0);
    body.cubicTo(3.9, 1.5, 3.9, 3, 3.9, 3.5);
    body.lineTo(3.9, 8);
    body.lineTo(1.1, 8);
    body.lineTo(1.1, 3.5);
    body.cubicTo(1.1, 3, 1.1, 1.5, 2.5, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(hgrad(1, 4, {{0, QColor(150, 150, 160)}, {0.4, QColor(255, 255, 255)}, {1, QColor(120, 120, 130)}}));
    p.drawPath(body);
    p.setClipRect(QRectF(0, 0, 5, 3));
    p.setBrush(QColor(230, 50, 40));
    p.drawPath(body);
    p.setClipping(false);
    p.setBrush(QColor(90, 96, 110));
    p.drawPolygon(QPolygonF({QPointF(1.2, 6), QPointF(0, 10), QPointF(1.6, 9)}));
    p.drawPolygon(QPolygonF({QPointF(3.8, 6), QPointF(5, 10), QPointF(3.4, 9)}));
    p.fillRect(QRectF(1.6, 8, 1.8, 1.6), QColor(255, 190, 80));
    return img;
}

QImage aim() {
    QImage img = canvas(21, 21);
    QPainter p(&img);
    hints(p);
    const QPointF c(10.5, 10.5);
    auto shape = [&](QPen pen) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6.5, 6.5);
        p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 6));
        p.drawLine(QPointF(10.5, 15), QPointF(10.5, 19.5));
        p.drawLine(QPointF(1.5, 10.5), QPointF(6, 10.5));
        p.drawLine(QPointF(15, 10.5), QPointF(19.5, 10.5));
    };
    shape(QPen(QColor(10, 16, 24, 190), 3.0, Qt::SolidLine, Qt::RoundCap));
    shape(QPen(QColor(236, 255, 236), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 16, 24, 190));
    p.drawEllipse(c, 1.8, 1.8);
    p.setBrush(QColor(255, 80, 60));
    p.drawEllipse(c, 0.9, 0.9);
    return img;
}

// ---------------------------------------------------------------------------------------
// Cars, seen from the side, front to the left.

struct tcarshape {
    int w, h;
    float yb;          // bonnet line
    float yr;          // roof
    float xw0, xw1;    // windscreen foot and top
    float xr1, xr2;    // roof end, foot of the rear slope
    float ytail;       // top of the tail
    float ybot;        // bottom of the body
    float wf, wr, rw;  // wheel centres and radius
    bool van;
};

QPainterPath carbody(const tcarshape& s) {
    QPainterPath b;
    float r = s.w - 1;
    b.moveTo(1, s.ybot);
    b.lineTo(1, s.yb + 1.6f);
    b.quadTo(1, s.yb + 0.2f, 3, s.yb);
    b.lineTo(s.xw0, s.yb - 0.3f);
    b.quadTo(s.xw1 - 0.5f, s.yr + 0.2f, s.xw1 + 1, s.yr);
    b.lineTo(s.xr1, s.yr);
    b.quadTo(s.xr2 - 0.5f, s.yr + 0.4f, s.xr2, s.ytail);
    b.lineTo(r - 1, s.ytail);
    b.quadTo(r, s.ytail, r, s.ytail + 1.2f);
    b.lineTo(r, s.ybot);
    b.closeSubpath();
    return b;
}

void wheel(QPainter& p, float x, float y, float r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 24));
    p.drawEllipse(QPointF(x, y), r, r);
    p.setBrush(QRadialGradient(QPointF(x - 0.4f, y - 0.4f), r * 0.6f, QPointF(x - 0.4f, y - 0.4f)));
    QRadialGradient hub(QPointF(x - 0.3f, y - 0.3f), r * 0.6f);
    hub.setColorAt(0, QColor(235, 235, 240));
    hub.setColorAt(1, QColor(120, 124, 132));
    p.setBrush(hub);
    p.drawEllipse(QPointF(x, y), r * 0.5f, r * 0.5f);
}

void carpair(const tcarshape& s, QImage& body, QImage& over, int seed) {
    body = canvas(s.w, s.h);
    over = canvas(s.w, s.h);
    QPainterPath b = carbody(s);
    {
        QPainter p(&body);
        hints(p);
        p.setPen(QPen(QColor(110, 110, 116), 0.8));
        p.setBrush(vgrad(s.yr, s.ybot, {{0, QColor(255, 255, 255)}, {0.45, QColor(240, 240, 244)},
                                         {0.55, QColor(212, 212, 218)}, {1, QColor(150, 150, 158)}}));
        p.drawPath(b);
        // The shoulder highlight along the belt line.
        p.setPen(QPen(QColor(255, 255, 255, 230), 1));
        p.drawLine(QPointF(3, s.yb + 0.6f), QPointF(s.w - 2.5f, s.yb + 0.6f));
        // Wheel arches, dark.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 76));
        for (float x : {s.wf, s.wr}) p.drawEllipse(QPointF(x, s.h - s.rw - 0.2f), s.rw + 0.9f, s.rw + 0.9f);
    }
    QPainter p(&over);
    hints(p);
    // Glass: dark with a sky reflection at the top.
    QPainterPath glass;
    float gy0 = s.yr + 0.9f, gy1 = s.yb - 0.4f;
    if (s.van) {
        glass.addPolygon(QPolygonF({QPointF(s.xw0 + 0.8f, gy1), QPointF(s.xw1 + 0.9f, gy0), QPointF(s.xw1 + 6, gy0), QPointF(s.xw1 + 6, gy1)}));
    } else {
        float pillar = (s.xw1 + s.xr1) / 2 + 1;
        glass.addPolygon(QPolygonF({QPointF(s.xw0 + 1.2f, gy1), QPointF(s.xw1 + 1.1f, gy0), QPointF(pillar - 0.6f, gy0), QPointF(pillar - 0.6f, gy1)}));
        glass.addPolygon(QPolygonF({QPointF(pillar + 0.6f, gy1), QPointF(pillar + 0.6f, gy0), QPointF(s.xr1 - 0.3f, gy0), QPointF(s.xr2 - 1.4f, gy1)}));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(vgrad(gy0, gy1, {{0, QColor(150, 196, 230)}, {0.45, QColor(60, 90, 130)}, {1, QColor(24, 34, 54)}}));
    p.drawPath(glass);
    p.setPen(QPen(QColor(20, 24, 30, 200), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(glass);
    // Door line and handle.
    p.setPen(QPen(QColor(40, 40, 50, 110), 0.8));
    float door = s.van ? s.xw1 + 7 : (s.xw1 + s.xr1) / 2 + 1;
    p.drawLine(QPointF(door, s.yb), QPointF(door, s.ybot - 0.5f));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70, 170));
    p.drawRect(QRectF(door + 1.5f, s.yb + 1.2f, 1.6f, 0.8f));
    // Bumpers, lights, wheels.
    p.setBrush(QColor(54, 56, 62));
    p.drawRect(QRectF(0.6f, s.ybot - 1.6f, 2.6f, 1.6f));
    p.drawRect(QRectF(s.w - 3.2f, s.ybot - 1.6f, 2.6f, 1.6f));
    p.setBrush(QColor(255, 250, 214));
    p.drawRect(QRectF(0.8f, s.yb + 0.8f, 1.6f, 1.4f));
    p.setBrush(QColor(232, 30, 28));
    p.drawRect(QRectF(s.w - 2.3f, s.ytail + 1.2f, 1.4f, 1.8f));
    for (float x : {s.wf, s.wr}) wheel(p, x, s.h - s.rw - 0.2f, s.rw);
    (void)seed;
}

const tcarshape cars[] = {
    // w   h   yb   yr   xw0  xw1   xr1   xr2   ytail ybot  wf    wr    rw   van
    {30, 12, 5.0f, 1.0f, 9, 12.5f, 23.5f, 28.2f, 4.5f, 9.5f, 6.5f, 23.5f, 2.5f, false},   // hatchback
    {36, 12, 5.2f, 1.0f, 11, 15.0f, 24.0f, 28.5f, 4.8f, 9.6f, 7.5f, 28.5f, 2.5f, false},  // saloon
    {38, 13, 5.6f, 1.0f, 11, 15.0f, 34.5f, 36.6f, 3.0f, 10.4f, 7.5f, 30.0f, 2.6f, false}, // estate
    {34, 11, 5.0f, 1.6f, 12, 17.0f, 22.0f, 29.0f, 4.4f, 8.6f, 7.0f, 27.0f, 2.3f, false},  // coupé
    {38, 14, 6.0f, 1.0f, 4.5f, 8.0f, 36.5f, 37.0f, 1.4f, 11.2f, 7.5f, 30.5f, 2.6f, true}, // van
};

// Full colour: white with a blue band, a light bar on the roof.
QImage police() {
    tcarshape s{36, 14, 7.2f, 3.0f, 11, 15.0f, 24.0f, 28.5f, 6.8f, 11.6f, 7.5f, 28.5f, 2.5f, false};
    QImage body, over;
    carpair(s, body, over, 0);
    QImage img = canvas(36, 14);
    QPainter p(&img);
    hints(p);
    p.drawImage(0, 0, body);
    p.setClipPath(carbody(s));
    p.fillRect(QRectF(0, s.yb + 2, 36, 2.2f), QColor(30, 70, 200));
    p.fillRect(QRectF(0, s.yb + 4.2f, 36, 0.8f), QColor(250, 210, 40));
    p.setClipping(false);
    p.drawImage(0, 0, over);
    // The light bar: blue and red domes on a dark base.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRect(QRectF(16, 2.2f, 7, 1));
    p.setBrush(QColor(60, 120, 255));
    p.drawRoundedRect(QRectF(16, 0.3f, 3.3f, 2.2f), 1, 1);
    p.setBrush(QColor(255, 50, 50));
    p.drawRoundedRect(QRectF(19.7f, 0.3f, 3.3f, 2.2f), 1, 1);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawRect(QRectF(16.6f, 0.6f, 1.2f, 0.6f));
    p.drawRect(QRectF(20.3f, 0.6f, 1.2f, 0.6f));
    return img;
}

// ---------------------------------------------------------------------------------------
// Planes, front to the left.

struct tplanepair {
    QImage body, over;
};

tplanepair airliner() {
    const int w = 64, h = 20;
    tplanepair r{canvas(w, h), canvas(w, h)};
    QPainterPath fus;
    fus.moveTo(3, 12.5);
    fus.cubicTo(3, 8.6, 6, 7.6, 10, 7.6);
    fus.lineTo(50, 7.6);
    fus.cubicTo(55, 7.6, 59, 6.5, 62, 5.5);
    fus.lineTo(62, 8.5);
    fus.cubicTo(58, 12, 54, 14.2, 48, 14.6);
    fus.lineTo(10, 14.6);
    fus.cubicTo(5, 14.6, 3, 14, 3, 12.5);
    QPainterPath fin;
    fin.addPolygon(QPolygonF({QPointF(50, 8), QPointF(56, 0.8), QPointF(61, 0.8), QPointF(62.5, 7)}));
    QPainterPath wing;
    wing.addPolygon(QPolygonF({QPointF(22, 13), QPointF(30, 13), QPointF(42, 17.5), QPointF(38, 17.5)}));
    {
        QPainter p(&r.body);
        hints(p);
        p.setPen(QPen(QColor(120, 124, 134), 0.8));
        p.setBrush(vgrad(7, 15, {{0, QColor(255, 255, 255)}, {0.5, QColor(236, 238, 242)}, {1, QColor(160, 164, 174)}}));
        p.drawPath(fin);
        p.drawPath(fus);
        p.setBrush(QColor(190, 194, 202));
        p.drawPath(wing);
        p.setPen(QPen(QColor(255, 255, 255, 220), 1));
        p.drawLine(QPointF(9, 8.3), QPointF(50, 8.3));
    }
    QPainter p(&r.over);
    hints(p);
    // A blue cheat line, the tail logo, windows, cockpit, engine.
    p.setClipPath(fus);
    p.fillRect(QRectF(0, 11.6, w, 1.3), QColor(30, 80, 180));
    p.fillRect(QRectF(0, 12.9, w, 0.6), QColor(240, 170, 30));
    p.setClipping(false);
    p.setClipPath(fin);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 180));
    p.drawPolygon(QPolygonF({QPointF(51, 8), QPointF(57, 0.5), QPointF(62, 0.5), QPointF(62, 4), QPointF(56, 8)}));
    p.setBrush(QColor(240, 170, 30));
    p.drawEllipse(QPointF(58, 4), 1.4, 1.4);
    p.setClipping(false);
    p.setBrush(QColor(36, 48, 70));
    for (float x = 12; x < 48; x += 2.2f) p.drawRect(QRectF(x, 9.4, 1.1, 1.2));
    p.drawPolygon(QPolygonF({QPointF(4.4, 10), QPointF(6, 8.8), QPointF(8.5, 8.8), QPointF(8.5, 10)}));
    p.setBrush(QColor(160, 200, 240));
    p.drawRect(QRectF(6.1, 9, 1, 0.5));
    // Engine under the wing.
    QPainterPath eng;
    eng.addRoundedRect(QRectF(25, 14.6, 10, 3.6), 1.6, 1.6);
    p.setPen(QPen(QColor(60, 64, 72), 0.7));
    p.setBrush(vgrad(14.6, 18.2, {{0, QColor(200, 204, 212)}, {1, QColor(110, 114, 124)}}));
    p.drawPath(eng);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 46));
    p.drawRect(QRectF(25, 15.2, 0.9, 2.4));
    p.setBrush(QColor(255, 60, 50));
    p.drawEllipse(QPointF(48, 15.2), 0.7, 0.7);
    return r;
}

tplanepair propplane() {
    const int w = 40, h = 14;
    tplanepair r{canvas(w, h), canvas(w, h)};
    QPainterPath fus;
    fus.moveTo(3, 7);
    fus.cubicTo(3, 5, 5, 4.5, 8, 4.5);
    fus.lineTo(14, 3.6);
    fus.lineTo(22, 3.6);
    fus.lineTo(30, 6);
    fus.lineTo(38, 5.2);
    fus.lineTo(38, 7);
    fus.lineTo(30, 9);
    fus.cubicTo(24, 9.6, 12, 9.8, 7, 9.6);
    fus.cubicTo(4, 9.4, 3, 8.5, 3, 7);
    QPainterPath fin;
    fin.addPolygon(QPolygonF({QPointF(31, 6.5), QPointF(35, 0.8), QPointF(38, 0.8), QPointF(38.5, 6)}));
    QPainterPath wing;
    wing.addRoundedRect(QRectF(10.5, 2.6, 14, 1.8), 0.9, 0.9);
    {
        QPainter p(&r.body);
        hints(p);
        p.setPen(QPen(QColor(120, 124, 134), 0.8));
        p.setBrush(vgrad(3, 10, {{0, QColor(255, 255, 255)}, {0.55, QColor(232, 234, 238)}, {1, QColor(158, 162, 172)}}));
        p.drawPath(fin);
        p.drawPath(fus);
        p.drawPath(wing);
        p.setPen(QPen(QColor(120, 124, 134), 0.7));
        p.drawLine(QPointF(14, 4.4), QPointF(17, 8.5));   // wing strut
    }
    QPainter p(&r.over);
    hints(p);
    p.setPen(Qt::NoPen);
    p.setClipPath(fus);
    p.fillRect(QRectF(0, 7.2, w, 1), QColor(200, 40, 40));
    p.setClipping(false);
    p.setClipPath(fin);
    p.fillRect(QRectF(30, 0, 10, 3), QColor(200, 40, 40));
    p.setClipping(false);
    p.setBrush(vgrad(4.4, 6.8, {{0, QColor(160, 200, 236)}, {1, QColor(30, 44, 70)}}));
    p.drawPolygon(QPolygonF({QPointF(9, 6.6), QPointF(11.5, 4.5), QPointF(17.5, 4.4), QPointF(17.5, 6.6)}));
    // Propeller disc, the spinner, the wheels.
    p.setBrush(QColor(40, 40, 46, 90));
    p.drawEllipse(QPointF(2, 7), 0.9, 5.6);
    p.setBrush(QColor(60, 60, 66));
    p.drawEllipse(QPointF(2.6, 7), 1.3, 1.3);
    p.setPen(QPen(QColor(60, 62, 70), 0.7));
    p.drawLine(QPointF(12, 9.5), QPointF(12, 11.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 28));
    p.drawEllipse(QPointF(12, 12), 1.5, 1.5);
    p.drawEllipse(QPointF(33, 9.3), 0.8, 0.8);
    return r;
}

tplanepair jet() {
    const int w = 48, h = 16;
    tplanepair r{canvas(w, h), canvas(w, h)};
    QPainterPath fus;
    fus.moveTo(1, 9.5);
    fus.cubicTo(6, 7.6, 10, 6.6, 16, 6.4);
    fus.lineTo(38, 6.6);
    fus.lineTo(46, 7.4);
    fus.lineTo(46, 10.6);
    fus.lineTo(38, 11.6);
    fus.cubicTo(24, 12, 10, 11.8, 6, 11);
    fus.cubicTo(3, 10.6, 1, 10.2, 1, 9.5);
    QPainterPath fin;
    fin.addPolygon(QPolygonF({QPointF(36, 7), QPointF(42, 0.8), QPointF(45.5, 0.8), QPointF(46, 7.5)}));
    QPainterPath wing;
    wing.addPolygon(QPolygonF({QPointF(18, 10.5), QPointF(26, 10.5), QPointF(36, 14.5), QPointF(31, 14.5)}));
    {
        QPainter p(&r.body);
        hints(p);
        p.setPen(QPen(QColor(120, 124, 134), 0.8));
        p.setBrush(vgrad(6, 12, {{0, QColor(255, 255, 255)}, {0.5, QColor(230, 232, 238)}, {1, QColor(150, 154, 166)}}));
        p.drawPath(fin);
        p.drawPath(fus);
        p.setBrush(QColor(186, 190, 200));
        p.drawPath(wing);
        p.setPen(QPen(QColor(255, 255, 255, 220), 1));
        p.drawLine(QPointF(12, 7.1), QPointF(38, 7.2));
    }
    QPainter p(&r.over);
    hints(p);
    p.setPen(Qt::NoPen);
    // Canopy, engine pod on the tail, a red stripe, windows.
    p.setBrush(vgrad(5, 8, {{0, QColor(180, 220, 250)}, {1, QColor(30, 50, 90)}}));
    p.drawPolygon(QPolygonF({QPointF(6, 8.3), QPointF(9.5, 6.3), QPointF(14, 6.2), QPointF(14, 8.3)}));
    p.setBrush(QColor(40, 52, 76));
    for (float x = 17; x < 32; x += 3) p.drawEllipse(QPointF(x, 8.2), 0.7, 0.6);
    QPainterPath pod;
    pod.addRoundedRect(QRectF(31, 4.3, 9, 3.2), 1.5, 1.5);
    p.setPen(QPen(QColor(60, 64, 72), 0.7));
    p.setBrush(vgrad(4.3, 7.5, {{0, QColor(210, 214, 222)}, {1, QColor(104, 110, 122)}}));
    p.drawPath(pod);
    p.setPen(Qt::NoPen);
    p.setClipPath(fus);
    p.fillRect(QRectF(0, 9.8, w, 0.9), QColor(210, 40, 50));
    p.setClipping(false);
    p.setClipPath(fin);
    p.fillRect(QRectF(36, 0, 12, 2.4), QColor(210, 40, 50));
    p.setClipping(false);
    return r;
}

tplanepair cargo() {
    const int w = 56, h = 22;
    tplanepair r{canvas(w, h), canvas(w, h)};
    QPainterPath fus;
    fus.moveTo(3, 12);
    fus.cubicTo(3, 8, 6, 7, 11, 7);
    fus.lineTo(40, 7);
    fus.lineTo(53, 5);
    fus.lineTo(53, 8.5);
    fus.lineTo(42, 15.5);
    fus.lineTo(11, 16.6);
    fus.cubicTo(5, 16.6, 3, 15, 3, 12);
    QPainterPath fin;
    fin.addPolygon(QPolygonF({QPointF(44, 7), QPointF(48, 0.8), QPointF(53, 0.8), QPointF(54, 6.5)}));
    QPainterPath wing;
    wing.addRoundedRect(QRectF(16, 4.8, 20, 2.4), 1.2, 1.2);
    {
        QPainter p(&r.body);
        hints(p);
        p.setPen(QPen(QColor(120, 124, 134), 0.8));
        p.setBrush(vgrad(5, 17, {{0, QColor(255, 255, 255)}, {0.5, QColor(228, 230, 236)}, {1, QColor(150, 154, 164)}}));
        p.drawPath(fin);
        p.drawPath(fus);
        p.drawPath(wing);
        p.setPen(QPen(QColor(255, 255, 255, 220), 1));
        p.drawLine(QPointF(10, 7.7), QPointF(40, 7.7));
    }
    QPainter p(&r.over);
    hints(p);
    p.setPen(Qt::NoPen);
    p.setBrush(vgrad(7.6, 10.6, {{0, QColor(170, 210, 244)}, {1, QColor(30, 46, 76)}}));
    p.drawPolygon(QPolygonF({QPointF(5, 10.6), QPointF(7.5, 8.2), QPointF(11, 8.2), QPointF(11, 10.6)}));
    // The engine nacelle under the wing with its propeller disc.
    QPainterPath nac;
    nac.addRoundedRect(QRectF(19, 6.5, 9, 3.6), 1.6, 1.6);
    p.setPen(QPen(QColor(60, 64, 72), 0.7));
    p.setBrush(vgrad(6.5, 10, {{0, QColor(214, 218, 226)}, {1, QColor(100, 106, 118)}}));
    p.drawPath(nac);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 46, 90));
    p.drawEllipse(QPointF(18.5, 8.3), 0.9, 6.5);
    p.setBrush(QColor(50, 50, 56));
    p.drawEllipse(QPointF(19, 8.3), 1.1, 1.1);
    p.setClipPath(fus);
    p.fillRect(QRectF(0, 12, w, 1.2), QColor(30, 130, 90));
    p.setClipping(false);
    p.setClipPath(fin);
    p.fillRect(QRectF(40, 0, 16, 3), QColor(30, 130, 90));
    p.setClipping(false);
    p.setBrush(QColor(24, 24, 28));
    p.drawEllipse(QPointF(14, 18.6), 1.8, 1.8);
    p.drawEllipse(QPointF(33, 18.6), 1.8, 1.8);
    p.setPen(QPen(QColor(60, 62, 70), 0.8));
    p.drawLine(QPointF(14, 16.5), QPointF(14, 17.5));
    p.drawLine(QPointF(33, 15.8), QPointF(33, 17.5));
    return r;
}

// An original flying hero: teal suit, orange cape, arms stretched forward (to the left).
QImage hero() {
    QImage img = canvas(36, 16);
    QPainter p(&img);
    hints(p);
    // Cape billowing back over the body.
    QPainterPath cape;
    cape.moveTo(11, 5);
    cape.cubicTo(18, 2.5, 24, 1, 35, 2.5);
    cape.cubicTo(32, 3.8, 33, 5, 30, 5.6);
    cape.cubicTo(31.5, 6.6, 28, 7.2, 24, 7);
    cape.lineTo(13, 7.2);
    cape.closeSubpath();
    p.setPen(QPen(QColor(120, 40, 10), 0.8));
    p.setBrush(vgrad(1, 7, {{0, QColor(255, 170, 70)}, {1, QColor(220, 80, 20)}}));
    p.drawPath(cape);
    // Legs and boots.
    p.setPen(QPen(QColor(10, 50, 60), 0.8));
    p.setBrush(vgrad(6, 11, {{0, QColor(80, 210, 210)}, {1, QColor(20, 110, 120)}}));
    p.drawRoundedRect(QRectF(21, 6.2, 11, 3.6), 1.6, 1.6);
    p.setBrush(QColor(60, 40, 30));
    p.drawRoundedRect(QRectF(30.5, 6, 4.5, 3.8), 1.2, 1.2);
    // Torso.
    p.setBrush(vgrad(5, 12, {{0, QColor(90, 220, 220)}, {1, QColor(20, 110, 120)}}));
    p.drawRoundedRect(QRectF(11, 5.6, 12, 5.2), 2.4, 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(QRectF(20.5, 6, 1.4, 4.6));     // belt
    p.drawEllipse(QPointF(15.5, 8.2), 1.2, 1.2);   // chest emblem
    // Arm stretched forward with a fist.
    p.setPen(QPen(QColor(10, 50, 60), 0.8));
    p.setBrush(vgrad(6, 9, {{0, QColor(80, 210, 210)}, {1, QColor(20, 110, 120)}}));
    p.drawRoundedRect(QRectF(3, 6.1, 10, 2.6), 1.2, 1.2);
    p.setBrush(QColor(236, 190, 150));
    p.drawEllipse(QPointF(2.4, 7.4), 1.8, 1.6);
    // Head, looking ahead, with dark hair.
    p.setPen(QPen(QColor(100, 60, 40), 0.7));
    p.setBrush(QColor(240, 196, 156));
    p.drawEllipse(QPointF(10.2, 4.6), 2.8, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 34, 26));
    QPainterPath hair;
    hair.moveTo(8, 3.4);
    hair.cubicTo(9, 1.4, 12.5, 1.5, 13.3, 4.2);
    hair.cubicTo(12, 3.6, 10, 3.4, 8, 3.4);
    p.drawPath(hair);
    p.setBrush(QColor(30, 30, 40));
    p.drawEllipse(QPointF(8.6, 4.5), 0.5, 0.5);
    // Rim light so he reads against the night sky.
    p.setPen(QPen(QColor(255, 255, 255, 110), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(12, 5.7), QPointF(22, 5.9));
    return img;
}

// ---------------------------------------------------------------------------------------
// Intruders

// A burning rock: charcoal crust, glowing cracks, a white-hot front and an orange halo.
QImage meteor(int size, uint32_t seed) {
    QImage img = canvas(size, size);
    float c = size / 2.0f, rad = size * 0.34f;
    tgenrnd r(seed);
    float bumps[9];
    for (float& b : bumps) b = 0.8f + 0.32f * r.uni();
    auto radius = [&](float a) {
        float t = (a + pi) / (2 * pi) * 9;
        int i = int(t) % 9;
        float f = smooth(t - std::floor(t));
        return rad * mix(bumps[i], bumps[(i + 1) % 9], f);
    };
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            float d = std::hypot(dx, dy), a = std::atan2(dy, dx), rr = radius(a);
            // The halo: yellow close to the rock, orange further out.
            float g = clamp01(1 - (d - rr) / (c - rr));
            QColor px = mixc(QColor(255, 110, 30), QColor(255, 220, 120), g * g);
            px.setAlpha(int(210 * std::pow(g, 2.4f)));
            if (d < rr + 1) {
                float k = clamp01(rr + 0.5f - d);
                float nx = dx / rr, ny = dy / rr;
                float lit = spherelight(nx, ny, -0.6f, -0.6f, 0.55f);
                float n = fbm(x * 1.0f, y * 1.0f, size / 5.0f, seed, 3);
                QColor rock = mixc(QColor(30, 24, 24), QColor(118, 100, 90), lit * (0.6f + 0.6f * n));
                // Cracks glow where the noise crosses its middle; the rim burns brightest.
                float crack = smooth(1 - std::fabs(n - 0.5f) * 14);
                float rim = smooth((d - rr * 0.68f) / (rr * 0.32f));
                QColor hot = mixc(QColor(255, 120, 30), QColor(255, 236, 160), rim);
                rock = mixc(rock, hot, std::max(crack * 0.9f, rim * 0.75f));
                rock.setAlpha(255);
                px = mixc(px, rock, k);
            }
            if (px.alpha() > 0) put(img, x, y, px);
        }
    return img;
}

QImage satellite() {
    QImage img = canvas(28, 18);
    QPainter p(&img);
    hints(p);
    // Panels with their cell grid.
    for (float x0 : {1.0f, 18.0f}) {
        QRectF r(x0, 7, 9, 5);
        p.setPen(QPen(QColor(180, 190, 210), 0.8));
        p.setBrush(vgrad(7, 12, {{0, QColor(70, 110, 200)}, {1, QColor(20, 40, 110)}}));
        p.drawRect(r);
        p.setPen(QPen(QColor(150, 180, 240, 150), 0.5));
        for (float x = x0 + 3; x < x0 + 9; x += 3) p.drawLine(QPointF(x, 7), QPointF(x, 12));
        p.drawLine(QPointF(x0, 9.5), QPointF(x0 + 9, 9.5));
    }
    p.setPen(QPen(QColor(200, 200, 210), 0.8));
    p.drawLine(QPointF(10, 9.5), QPointF(18, 9.5));
    // The body in gold foil.
    p.setPen(QPen(QColor(110, 80, 20), 0.8));
    p.setBrush(hgrad(11, 17, {{0, QColor(255, 230, 130)}, {0.5, QColor(220, 170, 50)}, {1, QColor(150, 100, 20)}}));
    p.drawRect(QRectF(11, 5, 6, 9));
    p.setPen(QPen(QColor(255, 245, 200, 160), 0.5));
    p.drawLine(QPointF(12, 7), QPointF(15.5, 8));
    p.drawLine(QPointF(12, 11), QPointF(16, 10));
    // Dish and aerial.
    p.setPen(QPen(QColor(220, 220, 230), 0.8));
    p.drawLine(QPointF(14, 5), QPointF(14, 2.5));
    p.setBrush(QColor(230, 232, 240));
    p.drawChord(QRectF(11, 0.5, 6, 4), 180 * 16, 180 * 16);
    p.drawLine(QPointF(14, 14), QPointF(14, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 80, 60));
    p.drawEllipse(QPointF(14, 16.6), 0.8, 0.8);
    return img;
}

QImage ufo() {
    QImage img = canvas(40, 18);
    QPainter p(&img);
    hints(p);
    // The glass dome with a faint figure inside.
    QPainterPath dome;
    dome.moveTo(11, 8.5);
    dome.cubicTo(11, 1, 29, 1, 29, 8.5);
    dome.closeSubpath();
    p.setPen(QPen(QColor(120, 200, 220), 0.8));
    p.setBrush(vgrad(2, 9, {{0, QColor(200, 250, 255, 230)}, {1, QColor(40, 120, 150, 230)}}));
    p.drawPath(dome);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 220, 120, 200));
    p.drawEllipse(QPointF(20, 6), 2.2, 2);
    p.setBrush(QColor(255, 255, 255, 180));
    p.drawEllipse(QPointF(16, 4.4), 1.4, 0.8);
    // The saucer, polished metal.
    QPainterPath disc;
    disc.addEllipse(QRectF(1, 7, 38, 8.6));
    p.setPen(QPen(QColor(50, 56, 70), 0.8));
    p.setBrush(vgrad(7, 15.6, {{0, QColor(240, 244, 250)}, {0.45, QColor(160, 168, 184)}, {0.55, QColor(110, 118, 136)}, {1, QColor(60, 66, 80)}}));
    p.drawPath(disc);
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.7));
    p.drawArc(QRectF(3, 7.8, 34, 6), 30 * 16, 120 * 16);
    // Rim lights.
    const QColor lights[3] = {QColor(255, 230, 80), QColor(255, 80, 70), QColor(90, 255, 140)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; i++) {
        float x = 6 + i * 4.6f;
        p.setBrush(lights[i % 3]);
        p.drawEllipse(QPointF(x, 11.8), 1.1, 1.1);
    }
    // The drive glowing underneath.
    QRadialGradient g(20, 16, 5);
    g.setColorAt(0, QColor(200, 255, 230, 230));
    g.setColorAt(1, QColor(80, 255, 180, 0));
    p.setBrush(g);
    p.drawEllipse(QPointF(20, 16), 6, 2.2);
    return img;
}

// Front to the right: cockpit glass at the right, tail boom to the left.
QImage chopper(QColor a, QColor b, QColor stripe) {
    QImage img = canvas(44, 20);
    QPainter p(&img);
    hints(p);
    // Main rotor: a blurred disc seen edge on, and its mast.
    p.setPen(Qt::NoPen);
    p.setBrush(hgrad(2, 42, {{0, QColor(40, 40, 46, 40)}, {0.5, QColor(40, 40, 46, 170)}, {1, QColor(40, 40, 46, 40)}}));
    p.drawRoundedRect(QRectF(2, 1.2, 40, 1.6), 0.8, 0.8);
    p.setBrush(QColor(60, 62, 70));
    p.drawRect(QRectF(26.4, 2.5, 1.4, 3.5));
    // Tail boom, fin, tail rotor.
    QPainterPath boom;
    boom.moveTo(18, 8);
    boom.lineTo(4, 8.4);
    boom.lineTo(4, 10.4);
    boom.lineTo(18, 12);
    boom.closeSubpath();
    p.setPen(QPen(a.darker(170), 0.8));
    p.setBrush(vgrad(8, 12, {{0, a.lighter(120)}, {1, a.darker(130)}}));
    p.drawPath(boom);
    p.drawPolygon(QPolygonF({QPointF(2, 3.5), QPointF(5, 3.5), QPointF(6.5, 9), QPointF(3, 10)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 46, 110));
    p.drawEllipse(QPointF(4, 5), 3, 3);
    // The cabin.
    QPainterPath body;
    body.moveTo(16, 7.5);
    body.cubicTo(20, 5.5, 28, 5.3, 33, 6);
    body.cubicTo(39, 6.8, 42, 10, 42, 12);
    body.cubicTo(42, 15, 38, 16, 33, 16);
    body.lineTo(20, 16);
    body.cubicTo(16, 16, 15, 13, 16, 7.5);
    p.setPen(QPen(a.darker(180), 0.8));
    p.setBrush(vgrad(5.3, 16, {{0, a.lighter(130)}, {0.5, a}, {1, a.darker(140)}}));
    p.drawPath(body);
    p.setClipPath(body);
    p.fillRect(QRectF(0, 12, 44, 1.6), stripe);
    p.fillRect(QRectF(0, 13.6, 44, 3), b);
    p.setClipping(false);
    // Cockpit glass and a cabin window.
    p.setPen(QPen(QColor(20, 30, 40), 0.6));
    p.setBrush(vgrad(6, 12, {{0, QColor(180, 225, 250)}, {1, QColor(30, 60, 100)}}));
    QPainterPath glass;
    glass.moveTo(32, 6.4);
    glass.cubicTo(37, 7, 40.5, 9, 41.2, 11.5);
    glass.lineTo(33, 11.5);
    glass.closeSubpath();
    p.drawPath(glass);
    p.drawRoundedRect(QRectF(24, 7.6, 6, 3.6), 0.8, 0.8);
    // Skids.
    p.setPen(QPen(QColor(40, 40, 46), 1));
    p.drawLine(QPointF(22, 16), QPointF(21, 18.4));
    p.drawLine(QPointF(34, 16), QPointF(35, 18.4));
    p.drawLine(QPointF(18, 18.6), QPointF(39, 18.6));
    p.drawLine(QPointF(39, 18.6), QPointF(40.5, 17.6));
    // Beacon.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 60, 50));
    p.drawEllipse(QPointF(22, 5.8), 0.8, 0.8);
    return img;
}

// Facing right: a striped canopy above a small figure.
QImage jumper() {
    QImage img = canvas(22, 30);
    QPainter p(&img);
    hints(p);
    // Rigging lines first, under the canopy edge.
    p.setPen(QPen(QColor(230, 230, 230, 200), 0.6));
    for (float x : {1.8f, 6.5f, 15.5f, 20.2f}) p.drawLine(QPointF(x, 10.2), QPointF(11, 19.5));
    // Canopy: alternating panels, dark underside.
    QPainterPath canopy;
    canopy.moveTo(1, 11);
    canopy.cubicTo(1, 2, 21, 2, 21, 11);
    canopy.cubicTo(17, 8.6, 14, 9.4, 11, 9.2);
    canopy.cubicTo(8, 9.4, 5, 8.6, 1, 11);
    p.setPen(QPen(QColor(90, 20, 20), 0.8));
    p.setBrush(QColor(240, 240, 236));
    p.drawPath(canopy);
    p.setClipPath(canopy);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; i += 2) {
        QPainterPath panel;
        float x0 = 1 + i * 4, x1 = x0 + 4;
        panel.addPolygon(QPolygonF({QPointF(11, -2), QPointF(x0 - 1, 12), QPointF(x1 + 1, 12)}));
        p.setBrush(i == 2 ? QColor(236, 60, 40) : QColor(250, 150, 30));
        p.drawPath(panel);
    }
    p.fillRect(QRectF(0, 2, 22, 2), QColor(255, 255, 255, 60));
    p.setClipping(false);
    // The figure: helmet, body, legs.
    p.setPen(QPen(QColor(20, 30, 50), 0.7));
    p.setBrush(QColor(40, 80, 160));
    p.drawRoundedRect(QRectF(9.4, 20.5, 3.4, 5.5), 1.2, 1.2);
    p.setBrush(QColor(30, 50, 90));
    p.drawRoundedRect(QRectF(9.6, 25.5, 1.6, 4.2), 0.6, 0.6);
    p.drawRoundedRect(QRectF(11.4, 25.2, 1.6, 4.2), 0.6, 0.6);
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(11.4, 19.2), 1.7, 1.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 50));
    p.drawRect(QRectF(12, 18.7, 1.2, 0.8));   // goggles: he looks to the right
    p.setPen(QPen(QColor(40, 80, 160), 1));
    p.drawLine(QPointF(10, 21.5), QPointF(8, 19));
    p.drawLine(QPointF(12.5, 21.5), QPointF(14, 19));
    return img;
}

} // namespace

// A night city under attack: the game's world in one picture, painted on 256 x 256 units at
// `size` pixels. A maskable icon fills its whole square (the home screen cuts its own shape
// from it): no rounded frame, the sky from edge to edge.
QImage makeicon(int size, bool maskable) {
    const int n = 256;
    QImage img = canvas(size, size);
    QPainter p(&img);
    hints(p);
    p.scale(size / double(n), size / double(n));
    QPainterPath frame;
    if (maskable) frame.addRect(QRectF(0, 0, n, n));
    else frame.addRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
    p.setClipPath(frame);
    p.fillRect(QRect(0, 0, n, n), vgrad(maskable ? 0 : 8, maskable ? n : 248, {{0, QColor(14, 16, 48)}, {0.55, QColor(70, 40, 104)}, {0.85, QColor(214, 90, 60)}, {1, QColor(240, 150, 70)}}));
    tgenrnd r(256);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; i++) {
        p.setBrush(QColor(255, 255, 255, 80 + r.upto(170)));
        float s = 0.6f + r.uni() * 1.1f;
        p.drawEllipse(QPointF(10 + r.uni() * 236, 10 + r.uni() * 120), s, s);
    }
    // Enemy trails falling in, a defending missile rising to meet them.
    auto trail = [&](QPointF a, QPointF b, QColor c0, QColor c1, float wdt) {
        QLinearGradient g(a, b);
        g.setColorAt(0, c0);
        g.setColorAt(1, c1);
        p.setPen(QPen(QBrush(g), wdt, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
    };
    trail({40, 0}, {92, 120}, QColor(255, 205, 20, 0), QColor(255, 120, 20, 255), 5);
    trail({230, 10}, {170, 96}, QColor(255, 205, 20, 0), QColor(255, 120, 20, 255), 5);
    trail({136, 190}, {156, 108}, QColor(20, 205, 255, 0), QColor(120, 230, 255, 255), 5);
    // The blast where they meet.
    QRadialGradient boom(QPointF(160, 100), 46);
    boom.setColorAt(0, QColor(255, 255, 240, 255));
    boom.setColorAt(0.3, QColor(255, 220, 120, 230));
    boom.setColorAt(0.7, QColor(255, 120, 40, 110));
    boom.setColorAt(1, QColor(255, 80, 20, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(boom);
    p.drawEllipse(QPointF(160, 100), 46, 46);
    // Skyline with lit windows.
    const int blocks[][3] = {{8, 40, 178}, {46, 30, 150}, {74, 36, 168}, {108, 26, 140}, {132, 44, 184},
                             {174, 30, 160}, {202, 46, 172}};
    for (auto& b : blocks) {
        p.fillRect(QRect(b[0], b[2], b[1], 256 - b[2]), QColor(26, 30, 50));
        p.fillRect(QRect(b[0], b[2], b[1], 2), QColor(80, 90, 130));
        for (int y = b[2] + 8; y < 236; y += 10)
            for (int x = b[0] + 5; x < b[0] + b[1] - 6; x += 9)
                if (r.uni() < 0.4f) p.fillRect(QRect(x, y, 4, 5), QColor(255, 214, 120));
    }
    // The turret in front, its barrel raised towards the blast.
    p.setPen(QPen(QColor(20, 30, 24), 12, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(128, 224), QPointF(137, 188));
    p.setPen(QPen(QColor(170, 186, 170), 6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(128, 224), QPointF(137, 190));
    p.setBrush(QColor(120, 140, 120));
    p.setPen(QPen(QColor(20, 30, 24), 3));
    p.drawChord(QRectF(96, 200, 64, 56), 0, 180 * 16);
    p.fillRect(QRect(84, 226, 88, 30), QColor(150, 146, 136));
    p.setClipping(false);
    if (!maskable) {
        p.setPen(QPen(QColor(255, 255, 255, 60), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(9.5, 9.5, 237, 237), 39, 39);
    }
    return img;
}

void spritepictures(std::vector<tpicture>& out) {
    add(out, "turretbase.png", turretbase());
    add(out, "turret.png", turret());
    add(out, "rocket.png", rocket());
    add(out, "aim.png", aim());
    static_assert(std::size(cars) == size_t(picturedefs[pic_car].count));
    for (size_t i = 0; i < std::size(cars); i++) {
        QImage b, o;
        carpair(cars[i], b, o, int(i));
        add(out, "car" + std::to_string(i) + ".png", grey(b));
        add(out, "car" + std::to_string(i) + "t.png", o);
    }
    add(out, "police.png", police());
    tplanepair (*planes[])() = {airliner, propplane, jet, cargo};
    static_assert(std::size(planes) == size_t(picturedefs[pic_plane].count));
    for (size_t i = 0; i < std::size(planes); i++) {
        tplanepair pp = planes[i]();
        add(out, "plane" + std::to_string(i) + ".png", grey(pp.body));
        add(out, "plane" + std::to_string(i) + "t.png", pp.over);
    }
    add(out, "superman.png", hero());
    const int sizes[] = {24, 32, 40, 20};
    static_assert(std::size(sizes) == size_t(picturedefs[pic_meteor].count));
    for (int i = 0; i < int(std::size(sizes)); i++) add(out, "meteor" + std::to_string(i) + ".png", meteor(sizes[i], 900 + i));
    add(out, "satellite.png", satellite());
    add(out, "ufo.png", ufo());
    add(out, "chopper0.png", chopper(QColor(40, 90, 180), QColor(236, 238, 242), QColor(250, 200, 40)));
    add(out, "chopper1.png", chopper(QColor(96, 110, 70), QColor(70, 80, 52), QColor(30, 36, 26)));
    add(out, "chopper2.png", chopper(QColor(220, 50, 40), QColor(240, 240, 240), QColor(250, 250, 250)));
    add(out, "jumper.png", jumper());
}
