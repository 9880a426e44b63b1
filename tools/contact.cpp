// tools/contact.cpp — the contact sheet: every picture at 1x on a mid grey and on black,
// with its file name and size, so the whole art can be reviewed at a glance.
#include "assetgen.h"
#include "paint.h"

#include <QFont>
#include <QTransform>

QImage contactsheet(const std::vector<tpicture>& pics) {
    const int sheetw = 2100, pad = 10, label = 14;
    QFont f(fontfile("DejaVuSans.ttf"));
    f.setPixelSize(10);

    // Lay out the cells: each shows the picture twice, on grey and on black, side by side.
    struct tcell { int x, y, w, h; const tpicture* pic; };
    std::vector<tcell> cells;
    int x = pad, y = pad, rowh = 0;
    for (auto& p : pics) {
        int pw = p.img.width(), ph = p.img.height();
        // The tall sky strip is shown turned (noon at the left), the star field at half size.
        if (p.name == "sky.png") pw = 1209, ph = 40;
        if (p.name == "stars.png") pw = 512, ph = 512;
        if (p.name.rfind("ambient", 0) == 0) pw = std::min(pw, sheetw - 2 * pad - 4) / 2 - 4;
        int cw = std::max(2 * pw + 12, 120), ch = ph + label + 8;
        if (p.name == "sky.png") cw = pw + 12, ch = 2 * (ph + 8) + label + 4;
        if (p.name.rfind("ambient", 0) == 0) ch = 2 * (ph + 4) + label + 8;
        if (x + cw > sheetw - pad) {
            x = pad;
            y += rowh + pad;
            rowh = 0;
        }
        cells.push_back({x, y, cw, ch, &p});
        x += cw + pad;
        rowh = std::max(rowh, ch);
    }
    int sheeth = y + rowh + pad;
    QImage sheet(sheetw, sheeth, QImage::Format_ARGB32);
    sheet.fill(QColor(32, 34, 38));
    QPainter p(&sheet);
    p.setFont(f);
    for (auto& c : cells) {
        const QImage& img = c.pic->img;
        int half = (c.w - 4) / 2;
        QRect grey(c.x, c.y + label, half, c.h - label), black(c.x + half + 4, c.y + label, half, c.h - label);
        p.fillRect(grey, QColor(128, 128, 128));
        p.fillRect(black, QColor(0, 0, 0));
        p.setPen(QColor(230, 230, 230));
        p.drawText(QPoint(c.x, c.y + 10),
                   QString::fromStdString(c.pic->name) + QString(" %1x%2").arg(img.width()).arg(img.height()) +
                       (c.pic->name == "sky.png" ? " (turned: noon left, midnight right)"
                        : c.pic->name == "stars.png" ? " (half size)" : ""));
        auto show = [&](QRect area) {
            if (c.pic->name == "sky.png") {
                QTransform turn;
                turn.rotate(-90);
                QImage strip = img.transformed(turn).scaled(1209, 40);
                p.drawImage(QPoint(area.x() + (area.width() - 1209) / 2, area.y() + 4), strip);
            } else if (c.pic->name == "stars.png") {
                p.drawImage(QRect(area.x() + (area.width() - 512) / 2, area.y() + 4, 512, 512), img);
            } else if (c.pic->name.rfind("ambient", 0) == 0) {
                // The long font strip in two halves.
                int hw = img.width() / 2 + 1;
                p.drawImage(QPoint(area.x() + 2, area.y() + 4), img.copy(0, 0, hw, img.height()));
                p.drawImage(QPoint(area.x() + 2, area.y() + 8 + img.height()), img.copy(hw, 0, img.width() - hw, img.height()));
            } else {
                p.drawImage(QPoint(area.x() + (area.width() - img.width()) / 2, area.y() + 4), img);
            }
        };
        if (c.pic->name.rfind("ambient", 0) == 0 || c.pic->name == "sky.png") {
            // One wide cell: grey above, black below.
            QRect a(c.x, c.y + label, c.w, (c.h - label) / 2), b(c.x, c.y + label + (c.h - label) / 2, c.w, (c.h - label) / 2);
            p.fillRect(a, QColor(128, 128, 128));
            p.fillRect(b, QColor(0, 0, 0));
            show(a);
            show(b);
        } else {
            show(grey);
            show(black);
        }
    }
    return sheet;
}
