#include "framework/window.h"

#include <algorithm>
#include <cstdint>

#include "framework/text.h"
#include "framework/world.h"
#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Window

twin createwin(const std::string& title, int x, int y, int w, int h, int style, TGadget* parent) {
    twin r;
    r.name = title;
    r.x = x;
    r.y = y;
    r.w = w;
    r.h = h;
    r.maxsize();
    r.outside();
    r.hidden = style & WINDOW_HIDDEN ? 1 : 0;
    // The window opens where it was asked; the corrected fields apply at the next reset.
    r.g = CreateWindow(title, x, y, w, h, parent, style);
    r.cw = ClientWidth(r.g);
    r.ch = ClientHeight(r.g);
    return r;
}

int twin::load(TStream* s, int withname) {
    // A file that ends inside the record, or a size of no pixels (a damaged record), leaves
    // the whole position as it was.
    int nx, ny, nw, nh;
    if (readvar(s, nx) && readvar(s, ny) && readvar(s, nw) && readvar(s, nh) && nw > 0 && nh > 0) {
        x = nx;
        y = ny;
        w = nw;
        h = nh;
    }
    maxsize();
    outside();
    if (withname && readstr(s, name) && g) SetGadgetText(g, name);
    return 0;
}

int twin::save(TStream* s, int withname) {
    writevar(s, x);
    writevar(s, y);
    writevar(s, w);
    writevar(s, h);
    if (withname) writestr(s, name);
    return 0;
}

int twin::reset() {
    SetGadgetShape(g, x, y, w, h);
    cw = ClientWidth(g);
    ch = ClientHeight(g);
    return 0;
}

int twin::show() {
    hidden = 0;
    ShowGadget(g);
    if (kid) ActivateGadget(kid);
    return 0;
}

// Positions and sizes come from the settings file and may be anything: the sums are taken
// in 64 bits, and every position set here lies between a work-area edge and a size.
namespace {
int64_t wide(int v) { return v; }
}  // namespace

int twin::center() {
    x = int(frameworld->workarea[0] + (wide(frameworld->workarea[2]) - frameworld->workarea[0] - w) / 2);
    y = int(frameworld->workarea[1] + (wide(frameworld->workarea[3]) - frameworld->workarea[1] - h) / 2);
    return 0;
}

int twin::maxsize() {
    w = std::min(w, frameworld->workarea[2] - frameworld->workarea[0]);
    h = std::min(h, frameworld->workarea[3] - frameworld->workarea[1]);
    return 0;
}

int twin::inside() {
    // Left and top first; right and bottom win when the window is larger than the area.
    if (x < frameworld->workarea[0]) x = frameworld->workarea[0];
    if (wide(x) + w > frameworld->workarea[2]) x = int(wide(frameworld->workarea[2]) - w);
    if (y < frameworld->workarea[1]) y = frameworld->workarea[1];
    if (wide(y) + h > frameworld->workarea[3]) y = int(wide(frameworld->workarea[3]) - h);
    return 0;
}

int twin::outside() {
    if (wide(x) + w < wide(frameworld->workarea[0]) + 16) x = int(wide(frameworld->workarea[0]) + 16 - w);
    if (x > frameworld->workarea[2] - 16) x = frameworld->workarea[2] - 16;
    if (y < frameworld->workarea[1] - 10) y = frameworld->workarea[1] - 10;
    if (y > frameworld->workarea[3] - 20) y = frameworld->workarea[3] - 20;
    return 0;
}

int twin::upd() {
    const TEvent* e = CurrentEvent();
    if (!e || !g || e->source != static_cast<void*>(g)) return 0;
    if (e->id == EVENT_WINDOWMOVE) {
        dx = e->x - x;
        dy = e->y - y;
        x = e->x;
        y = e->y;
        cw = ClientWidth(g);
        ch = ClientHeight(g);
    } else if (e->id == EVENT_WINDOWSIZE) {
        w = e->x;   // the event carries the new size in x and y
        h = e->y;
        cw = ClientWidth(g);
        ch = ClientHeight(g);
    }
    return e->id;
}

// ---------------------------------------------------------------------------------------------
// Canvas

tcan createcan(int x, int y, int w, int h, TGadget* parent, int style) {
    tcan r;
    r.g = CreateCanvas(x, y, w, h, parent, style);
    // An edge that touches the parent's edge follows it when the window is resized.
    int right = parent && x + w == ClientWidth(parent) ? 1 : 0;
    int bottom = parent && y + h == ClientHeight(parent) ? 1 : 0;
    SetGadgetLayout(r.g, 1, right, 1, bottom);
    SetGraphics(r.g);
    SetBlend(BLEND_ALPHA);   // once, for the whole run
    r.w = GraphicsWidth();
    r.h = GraphicsHeight();
    r.cw = w / 2;
    r.ch = h / 2;
    SetViewport(0, 0, r.w, r.h);
    return r;
}

int tcan::reset() {
    SetGraphics(g);
    w = GraphicsWidth();
    h = GraphicsHeight();
    cw = w / 2;
    ch = h / 2;
    SetViewport(0, 0, w, h);
    return 0;
}

int tcan::resize(int nw, int nh, twin& win) {
    win.w += nw - w;
    win.h += nh - h;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Menu

tmenu newmenu(const std::string& text, TGadget* parent, int tag, int disabled, int hotkey,
              int modifier) {
    tmenu r;
    r.g.push_back(CreateMenu(text, tag, parent, hotkey, modifier));
    r.flag.push_back(tag * 2);
    r.grp = parent;
    if (disabled) DisableMenu(r.g[0]);
    return r;
}

void tmenu::refresh() {
    if (grp) UpdateWindowMenu(grp);
}

namespace {

// A tickable entry shows its box from the start, ticked or not, so that it reads as an option
// and not as a command.
void style(TGadget* item, int style) {
    if (style & 2) CheckMenu(item);
    else if (style & 1) UncheckMenu(item);
    if (style & 4) DisableMenu(item);
}

}  // namespace

int tmenu::create(const std::string& text, TGadget* window, int tag, int st, int hotkey,
                  int modifier) {
    TGadget* bar = WindowMenu(window ? window : grp);
    sub = static_cast<int>(g.size());
    g.push_back(CreateMenu(text, tag, bar, hotkey, modifier));
    flag.push_back(tag * 2 + (st & 1));
    style(g.back(), st);
    return 0;
}

int tmenu::add(const std::string& text, int tag, int st, int hotkey, int modifier) {
    TGadget* parent = sub >= 0 && sub < static_cast<int>(g.size()) ? g[sub] : nullptr;
    g.push_back(CreateMenu(text, tag, parent, hotkey, modifier));
    flag.push_back(tag * 2 + (st & 1));
    style(g.back(), st);
    return 0;
}

int tmenu::endadd() {
    refresh();
    return 0;
}

int tmenu::find(int tag) const {
    for (int i = 0; i < static_cast<int>(flag.size()); i++)
        if (flag[i] >> 1 == tag) return i;
    return -1;
}

int tmenu::get(int tag) {
    int i = find(tag);
    if (i < 0) return 0;
    return (MenuChecked(g[i]) ? 1 : 0) + (MenuEnabled(g[i]) ? 0 : 2);
}

int tmenu::set(int tag, int v) {
    for (int i = 0; i < static_cast<int>(flag.size()); i++) {
        if (flag[i] >> 1 != tag) continue;
        if (v & 1) CheckMenu(g[i]); else UncheckMenu(g[i]);
        if (v & 2) DisableMenu(g[i]); else EnableMenu(g[i]);
        refresh();
    }
    return 0;
}

int tmenu::upd() {
    const TEvent* e = CurrentEvent();
    if (!e || e->id != EVENT_MENUACTION) return 0;
    int i = find(e->data);
    if (i < 0) return 0;
    if (flag[i] & 1) {
        if (MenuChecked(g[i])) UncheckMenu(g[i]); else CheckMenu(g[i]);
        refresh();
    }
    return e->data;
}

int tmenu::load(TStream* s) {
    // Entries whose tag has gone or is no longer tickable skip their state byte, so a record
    // written by a build with other menus still loads. The end of the stream ends the record.
    int v;
    while (readvar(s, v) && v != -1) {
        int i = find(static_cast<int>(static_cast<unsigned>(v) / 2));
        int b;
        if (!readbyte(s, b)) break;
        if (i < 0 || !(flag[i] & 1)) continue;
        if (b & 1) CheckMenu(g[i]); else UncheckMenu(g[i]);
        if (b & 2) EnableMenu(g[i]); else DisableMenu(g[i]);
    }
    refresh();
    return 0;
}

int tmenu::save(TStream* s) {
    for (int i = 0; i < static_cast<int>(flag.size()); i++) {
        if (!(flag[i] & 1)) continue;
        writevar(s, flag[i]);
        WriteByte(s, (MenuChecked(g[i]) ? 1 : 0) + (MenuEnabled(g[i]) ? 2 : 0));
    }
    writevar(s, -1);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Volume

void tvolume::tick() {
    if (!m) return;
    for (int i = 0; i <= lmax; i++) m->set(tag + i, i == on ? 1 : 0);
}

int tvolume::init(tmenu& menu, const std::string& text, int t, int l) {
    m = &menu;
    tag = t;
    lmax = l;
    m->create(text, nullptr, tag - 1, 0, 0, 0);
    for (int i = 0; i <= lmax; i++) m->add("&" + std::to_string(i), tag + i, 1, 0, 0);
    on = lmax / 2;
    tick();
    vol = static_cast<float>(on) / static_cast<float>(lmax);
    return 0;
}

int tvolume::load(TStream* s) {
    int b;
    if (!readbyte(s, b)) return 0;
    // A damaged byte must not give a volume above full or leave no level ticked.
    on = std::clamp(b, 0, lmax);
    vol = static_cast<float>(on) / static_cast<float>(lmax);
    tick();
    return 0;
}

int tvolume::save(TStream* s) {
    WriteByte(s, on);
    return 0;
}

int tvolume::set(int delta) {
    int n = on + delta;
    if (n < 0 || n > lmax) return 0;
    if (m) {
        m->set(tag + on, 0);
        m->set(tag + n, 1);
    }
    on = n;
    vol = static_cast<float>(n) / static_cast<float>(lmax);
    return 0;
}

int tvolume::upd(int t) {
    if (t < tag || t > tag + lmax) return 0;
    on = t - tag;
    vol = static_cast<float>(on) / static_cast<float>(lmax);
    tick();
    return 1;
}
