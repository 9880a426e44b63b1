// framework/input.h — the input state fed by every canvas event, and one-line text entry.
//
// The game never polls the mouse or the keyboard: `ev` takes each canvas event once, before
// anything else reads it, and the rest of the game reads its fields right after. Fields marked
// "this event" are cleared at the start of every update.
#pragma once

#include <string>
#include <vector>

struct TEvent;

struct tev {
    int x = 0, y = 0;          // cursor (tevs: playfield units)
    int mx = 0, my = 0;        // this event: cursor movement (tevs: canvas pixels)
    int mz = 0;                // this event: wheel movement
    int down = 0;              // buttons held: 1 left, 2 right, 4 middle
    int up = 0;                // this event: button released
    int first = 0;             // this event: button pressed while none was held
    int last = 0;              // this event: button whose release left none held
    int dbl = 0;               // this event: button mask when this press completes a double click
    int dbls = 180;            // double-click time, ms
    int _dblt = 0;             // clock value until which the next press is a double click
    int _dblb = 0;             // button mask after the previous press
    int drag = 0;              // button mask of the drag in progress, 0 while not dragging
    int dx = 0, dy = 0;        // drag origin (tevs: canvas pixels)
    int dragxy = 4;            // movement per axis, with a button held, that starts a drag
    int hide = 0;              // 1: hide the system pointer over the canvas
    int enter = 0;             // 1 while the pointer is over the canvas
    int key = 0;               // this event: key code pressed
    int keyup = 0;             // this event: key code released
    int ascii = 0;             // last typed character, held until the next key release
    int mods = 0;              // modifiers of the last key-down or key-up
    std::vector<unsigned char> keys = std::vector<unsigned char>(256);   // 1 while held
    int delay = 250;           // key repeat: ms before the first repeat
    int rate = 30;             // key repeat: ms between repeats
    int _lkey = 0;             // key that would repeat; 0 after any key release
    int _lkeyt = 0;            // clock value after which the next repeat is due

    int area(int ax, int ay, int w, int h) const;   // all four edges inclusive
    int upd();                 // takes the platform's current event, event coordinates
    int repeatkey();           // emits a synthetic key-down when the held key is due

    template <class V> void fields(V& v) {
        v("x", x); v("y", y); v("mx", mx); v("my", my); v("mz", mz); v("down", down);
        v("up", up); v("first", first); v("last", last); v("dbl", dbl); v("dbls", dbls);
        v("_dblt", _dblt); v("_dblb", _dblb); v("drag", drag); v("dx", dx); v("dy", dy);
        v("dragxy", dragxy); v("hide", hide); v("enter", enter); v("key", key);
        v("keyup", keyup); v("ascii", ascii); v("mods", mods); v("keys", keys);
        v("delay", delay); v("rate", rate); v("_lkey", _lkey); v("_lkeyt", _lkeyt);
    }

protected:
    // One event; `scaled` converts the cursor with (sx, sy) canvas pixels per unit.
    void take(const TEvent* e, bool scaled, float sx, float sy);
};

// The game's input state: the cursor in playfield units, movement and drags in canvas pixels.
struct tevs : tev {
    int _cux = 0, _cuy = 0;    // cursor in canvas pixels, from the last movement

    int upds(float sx, float sy);

    template <class V> void fields(V& v) {
        tev::fields(v);
        v("_cux", _cux); v("_cuy", _cuy);
    }
};

// One line of text being edited (the player's name).
struct tinput {
    int pos = 0;               // cursor, 0 = before the first character
    int lmax = 0;              // longest text allowed

    int set(int n);
    // 1 when Return was pressed, -1 for Escape, 0 otherwise. A character is inserted only by
    // the character event itself, so a held key never types twice. The pad's d-pad edits too:
    // left and right move, up and down turn the character under the cursor.
    int upd(std::string& text, const tev& e);
    void turn(std::string& text, int step);   // through the font's characters, step +1 or -1

    template <class V> void fields(V& v) { v("pos", pos); v("lmax", lmax); }
};
