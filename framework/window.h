// framework/window.h — the game's window, its canvas, its menu bar and the volume menu, each
// wrapped with what must survive a restart and with its settings record.
#pragma once

#include <string>
#include <vector>

struct TGadget;
struct TStream;

struct twin {
    TGadget* g = nullptr;      // the window
    TGadget* kid = nullptr;    // gets the keyboard focus when the window is shown
    std::string name;          // title
    int x = 0, y = 0;          // position, desktop pixels
    int w = 0, h = 0;          // size
    int cw = 0, ch = 0;        // client size, read back from the window system
    int dx = 0, dy = 0;        // movement of the last move event
    int hidden = 0;            // 1 until shown

    int load(TStream* s, int withname);
    int save(TStream* s, int withname);
    int reset();               // applies x, y, w, h to the window
    int show();
    int center();              // centres on the desktop work area
    int maxsize();             // no larger than the work area
    int inside();              // moves fully into the work area
    int outside();             // keeps a grip reachable: 16 px across, 10/20 px up/down
    int upd();                 // kind of the current event when it is this window's, else 0

    template <class V> void fields(V& v) {
        v("g", g); v("kid", kid); v("name", name); v("x", x); v("y", y); v("w", w); v("h", h);
        v("cw", cw); v("ch", ch); v("dx", dx); v("dy", dy); v("hidden", hidden);
    }
};

struct tcan {
    TGadget* g = nullptr;      // the canvas
    int w = 0, h = 0;          // drawing size, pixels
    int cw = 0, ch = 0;        // half the size
    int lms = 0;

    int reset();               // re-reads the size, viewport over the whole canvas
    int resize(int nw, int nh, twin& win);   // sizes the window for an nw x nh canvas

    template <class V> void fields(V& v) {
        v("g", g); v("w", w); v("h", h); v("cw", cw); v("ch", ch); v("lms", lms);
    }
};

struct tmenu {
    std::vector<TGadget*> g;   // every entry made here, in creation order
    TGadget* grp = nullptr;    // window whose menu bar is refreshed after changes
    int sub = 0;               // index in g of the bar entry that add() attaches to
    std::vector<int> flag;     // per entry: tag * 2, + 1 when tickable (toggled and saved)

    int load(TStream* s);
    int save(TStream* s);
    int create(const std::string& text, TGadget* window, int tag, int style, int hotkey = 0,
               int modifier = 0);   // style: 1 tickable, 2 ticked, 4 disabled
    int add(const std::string& text, int tag, int style, int hotkey = 0, int modifier = 0);
    int endadd();
    int get(int tag);          // first entry: 1 ticked + 2 disabled; 0 for an unknown tag
    int set(int tag, int v);   // every entry with the tag: bit 0 ticked, bit 1 disabled
    int find(int tag) const;   // index of the first entry with the tag, or -1
    int upd();                 // tag of the chosen entry on a menu action, else 0

    template <class V> void fields(V& v) { v("g", g); v("grp", grp); v("sub", sub); v("flag", flag); }

private:
    void refresh();
};

// The volume levels 0 .. lmax as a radio group of menu entries.
struct tvolume {
    float vol = 0;             // on / lmax
    int tag = 0;               // menu tag of level 0
    int lmax = 10;             // highest level
    int on = 0;                // current level
    tmenu* m = nullptr;        // the menu holding the entries

    int load(TStream* s);
    int save(TStream* s);
    int init(tmenu& menu, const std::string& text, int tag, int lmax);   // the menu "text"
    int set(int delta);        // refused whole when it would leave 0 .. lmax
    int upd(int t);            // 1 when t is one of the level tags

    template <class V> void fields(V& v) {
        v("vol", vol); v("tag", tag); v("lmax", lmax); v("on", on); v("m", m);
    }

private:
    void tick();               // exactly the entry of `on` ticked
};

twin createwin(const std::string& title, int x, int y, int w, int h, int style, TGadget* parent);
tcan createcan(int x, int y, int w, int h, TGadget* parent, int style);
tmenu newmenu(const std::string& text, TGadget* parent, int tag, int disabled, int hotkey = 0, int modifier = 0);
