// Windows, canvases and menus: the model every back end keeps, shown by the back end.
#include <cstdio>
#include <memory>

#include "platform/backend.h"
#include "platform/internal.h"

using namespace plat;

namespace {
thread_local std::vector<std::unique_ptr<TGadget>> gadgets;   // live until ReleaseWorld()

TGadget* newgadget(tgadgetkind kind, const std::string& text, int x, int y, int w, int h, TGadget* parent,
                   int style) {
    auto g = std::make_unique<TGadget>();
    g->kind = kind;
    g->text = text;
    g->x = x;
    g->y = y;
    g->w = w;
    g->h = h;
    g->style = style;
    g->parent = parent;
    if (parent) parent->kids.push_back(g.get());
    gadgets.push_back(std::move(g));
    return gadgets.back().get();
}

void refreshmenu(TGadget* item) {
    if (item && item->kind == tgadgetkind::menu) ops.window->updatemenu(item);
}
}  // namespace

void plat::releasegadgets() {
    batch.flush();
    canvas = nullptr;
    gadgets.clear();
}

TGadget* CreateWindow(const std::string& title, int x, int y, int w, int h, TGadget* parent, int style) {
    if (style & WINDOW_CENTER) {
        int l, t, r, b;
        DesktopWorkArea(l, t, r, b);
        x = l + (r - l - w) / 2;
        y = t + (b - t - h) / 2;
    }
    TGadget* g = newgadget(tgadgetkind::window, title, x, y, w, h, parent, style);
    g->menuroot = newgadget(tgadgetkind::menuroot, "", 0, 0, 0, 0, g, 0);
    g->visible = !(style & WINDOW_HIDDEN);
    ops.window->createwindow(g);
    return g;
}

TGadget* CreateCanvas(int x, int y, int w, int h, TGadget* parent, int style) {
    TGadget* g = newgadget(tgadgetkind::canvas, "", x, y, w, h, parent, style);
    g->visible = true;
    ops.window->createcanvas(g);
    return g;
}

void SetGraphics(TGadget* c) {
    if (!c || c->kind != tgadgetkind::canvas) return;
    batch.flush();
    canvas = c;
    ops.window->setgraphics(c);
    SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
}

int GraphicsWidth() {
    if (!canvas) return 0;
    return ops.window->graphicswidth();
}
int GraphicsHeight() {
    if (!canvas) return 0;
    return ops.window->graphicsheight();
}

TGadget* CreateMenu(const std::string& text, int tag, TGadget* parent, int hotkey, int modifier) {
    if (parent && parent->kind == tgadgetkind::window) parent = parent->menuroot;
    TGadget* g = newgadget(tgadgetkind::menu, text, 0, 0, 0, 0, parent, 0);
    g->tag = tag;
    g->hotkey = hotkey;
    g->modifier = modifier;
    g->visible = true;
    ops.window->createmenu(g);
    return g;
}

TGadget* WindowMenu(TGadget* window) { return window ? window->menuroot : nullptr; }

void UpdateWindowMenu(TGadget* window) {
    if (window && window->kind == tgadgetkind::window) ops.window->updatemenubar(window);
}

void CheckMenu(TGadget* item) {
    if (!item) return;
    item->checked = true;
    item->checkable = true;
    refreshmenu(item);
}
void UncheckMenu(TGadget* item) {
    if (!item) return;
    item->checked = false;
    item->checkable = true;
    refreshmenu(item);
}
void EnableMenu(TGadget* item) {
    if (!item) return;
    item->enabled = true;
    refreshmenu(item);
}
void DisableMenu(TGadget* item) {
    if (!item) return;
    item->enabled = false;
    refreshmenu(item);
}
int MenuChecked(TGadget* item) { return item && item->checked ? 1 : 0; }
int MenuEnabled(TGadget* item) { return item && item->enabled ? 1 : 0; }
int MenuTag(TGadget* item) { return item ? item->tag : 0; }
void SetMenuText(TGadget* item, const std::string& text) { SetGadgetText(item, text); }

void SetGadgetText(TGadget* g, const std::string& text) {
    if (!g) return;
    g->text = text;
    if (g->kind == tgadgetkind::menu)
        ops.window->updatemenu(g);
    else
        ops.window->settext(g);
}

std::string GadgetText(TGadget* g) { return g ? g->text : ""; }

void SetGadgetShape(TGadget* g, int x, int y, int w, int h) {
    if (!g) return;
    int dw = (w < 0 ? 0 : w) - g->w, dh = (h < 0 ? 0 : h) - g->h;
    g->x = x;
    g->y = y;
    g->w = w < 0 ? 0 : w;
    g->h = h < 0 ? 0 : h;
    ops.window->setshape(g, dw, dh);
}

void SetGadgetLayout(TGadget* g, int left, int right, int top, int bottom) {
    if (!g) return;
    g->layout[0] = left;
    g->layout[1] = right;
    g->layout[2] = top;
    g->layout[3] = bottom;
}

int GadgetY(TGadget* g) {
    if (!g) return 0;
    ops.window->readshape(g);
    return g->y;
}
int GadgetWidth(TGadget* g) {
    if (!g) return 0;
    ops.window->readshape(g);
    return g->w;
}
int GadgetHeight(TGadget* g) {
    if (!g) return 0;
    ops.window->readshape(g);
    return g->h;
}

// The window's client area is the part below its menu bar; a canvas is all client.
int ClientWidth(TGadget* g) {
    if (!g) return 0;
    return ops.window->clientwidth(g);
}
int ClientHeight(TGadget* g) {
    if (!g) return 0;
    return ops.window->clientheight(g);
}

void ShowGadget(TGadget* g) {
    if (!g) return;
    g->visible = true;
    ops.window->show(g);
}

void ActivateGadget(TGadget* g) {
    if (g) ops.window->activate(g);
}

void RedrawGadget(TGadget* g) {
    if (!g || g->kind != tgadgetkind::canvas) return;
    g->paintpending = true;
    ops.window->redraw(g);
}

// Latin-1 to UTF-8, for the terminal.
void plat::tostderr(const std::string& s) {
    std::string r;
    for (unsigned char c : s) {
        if (c < 128) {
            r += static_cast<char>(c);
        } else {
            r += static_cast<char>(0xC0 | (c >> 6));
            r += static_cast<char>(0x80 | (c & 63));
        }
    }
    std::fprintf(stderr, "%s\n", r.c_str());
    std::fflush(stderr);
}

void Notify(const std::string& text, int serious) {
    if (serious) tostderr(text);
    ops.window->notify(text, serious);
}

void ShowMouse() { ops.window->showmouse(true); }
void HideMouse() { ops.window->showmouse(false); }
void TextEntry(bool on) { ops.window->textentry(on); }

void DesktopWorkArea(int& left, int& top, int& right, int& bottom) { ops.window->workarea(left, top, right, bottom); }
