#include "framework/input.h"

#include <cstdlib>

#include "framework/font.h"
#include "framework/keys.h"
#include "framework/world.h"
#include "platform/platform.h"

int tev::area(int ax, int ay, int w, int h) const {
    return x >= ax && y >= ay && x <= ax + w && y <= ay + h ? 1 : 0;
}

int tev::upd() {
    take(CurrentEvent(), false, 1, 1);
    return 0;
}

int tevs::upds(float sx, float sy) {
    take(CurrentEvent(), true, sx, sy);
    return 0;
}

namespace {

// Bit of mouse button 1, 2, 3 ...; 0 for a number no mask can hold.
int buttonbit(int data) { return data >= 1 && data <= 31 ? 1 << (data - 1) : 0; }

}  // namespace

void tev::take(const TEvent* e, bool scaled, float sx, float sy) {
    mx = my = mz = 0;
    up = first = last = dbl = 0;
    key = keyup = 0;
    if (!e) return;
    switch (e->id) {
    case EVENT_MOUSEMOVE: {
        int px, py;   // the position the drag works on: canvas pixels for tevs
        if (scaled) {
            tevs* s = static_cast<tevs*>(this);
            mx = e->x - s->_cux;
            my = e->y - s->_cuy;
            s->_cux = e->x;
            s->_cuy = e->y;
            // Truncated toward zero: 799 pixels at 2.5 per unit is unit 319. Before the first
            // scaling there is no scale yet: the pixels are taken as units.
            x = static_cast<int>(static_cast<float>(s->_cux) / (sx > 0 ? sx : 1));
            y = static_cast<int>(static_cast<float>(s->_cuy) / (sy > 0 ? sy : 1));
            px = s->_cux;
            py = s->_cuy;
        } else {
            mx = e->x - x;
            my = e->y - y;
            x = e->x;
            y = e->y;
            px = x;
            py = y;
        }
        if (down == 0) {
            dx = px;
            dy = py;
            drag = 0;
        } else if (drag == 0 && (std::abs(px - dx) >= dragxy || std::abs(py - dy) >= dragxy)) {
            drag = down;
        }
        break;
    }
    case EVENT_MOUSEWHEEL:
        mz = e->data;
        break;
    case EVENT_MOUSEDOWN: {
        int b = buttonbit(e->data);
        if (down == 0) first = b;
        down |= b;
        if (_dblt >= frameworld->ms && _dblb == down) dbl = down;
        // On every press, so the third press of a quick triple click pairs with the second.
        _dblt = frameworld->ms + dbls;
        _dblb = down;
        break;
    }
    case EVENT_MOUSEUP: {
        int b = buttonbit(e->data);
        down &= ~b;
        if (down == 0) last = b;
        up = b;
        break;
    }
    case EVENT_KEYCHAR:
        ascii = e->data;
        break;
    case EVENT_KEYDOWN:
        key = e->data;
        if (key >= 0 && key < 256) keys[key] = 1;
        mods = e->mods;
        // A repeated key-down of the same key does not restart the delay.
        if (_lkey != key) {
            _lkeyt = frameworld->ms + delay;
            _lkey = key;
        }
        break;
    case EVENT_KEYUP:
        ascii = 0;
        keyup = e->data;
        if (keyup >= 0 && keyup < 256) keys[keyup] = 0;
        _lkey = 0;
        mods = e->mods;
        break;
    case EVENT_MOUSEENTER:
        if (hide) HideMouse();
        enter = 1;
        break;
    case EVENT_MOUSELEAVE:
        if (hide) ShowMouse();
        enter = 0;
        break;
    default:
        break;
    }
}

int tev::repeatkey() {
    if (_lkey != 0 && _lkeyt < frameworld->ms) {
        EmitEvent(CreateEvent(EVENT_KEYDOWN, nullptr, _lkey, mods, 0, 0, nullptr));
        _lkeyt = frameworld->ms + rate;
    }
    return 0;
}

int tinput::set(int n) {
    lmax = n;
    if (pos > n) pos = n;
    return 0;
}

namespace {

// Codes above 255 have no place in the Latin-1 name, the settings file or the font, and neither
// have the control codes 127 to 159: the desktop sends the Delete key as a character 127 right
// after its key-down, which would otherwise land in the name unseen.
bool typable(int c) { return c >= 32 && c <= 255 && !(c >= 127 && c < 160); }

// The next character after c (before it, with step -1) that the font can draw, round from 255
// to 32; c itself when the font has no other.
int nextglyph(int c, int step) {
    int n = c;
    for (int i = 0; i < 256; i++) {
        n += step;
        if (n > 255) n = 32;
        if (n < 32) n = 255;
        if (typable(n) && frameworld->font.img[n]) return n;
    }
    return c;
}

}  // namespace

// The pad has no letters to type: the character under the cursor turns instead, and the cursor
// stays on it. Behind the last character a new A appears to be turned, while there is room.
void tinput::turn(std::string& text, int step) {
    int len = static_cast<int>(text.size());
    if (pos < len) {
        auto& c = text[static_cast<size_t>(pos)];
        c = static_cast<char>(nextglyph(static_cast<unsigned char>(c), step));
    } else if (len < lmax) {
        text.push_back(static_cast<char>(frameworld->font.img['A'] ? 'A' : nextglyph('A', 1)));
    }
}

int tinput::upd(std::string& text, const tev& e) {
    int len = static_cast<int>(text.size());
    if (pos > len) pos = len;
    if (pos < 0) pos = 0;
    switch (e.key) {
    case key_enter: return 1;
    case key_escape: return -1;
    case key_home: pos = 0; break;
    case key_end: pos = len; break;
    case key_left: case KEY_PADLEFT: if (pos > 0) pos--; break;
    case key_right: case KEY_PADRIGHT: if (pos < len) pos++; break;
    case KEY_PADUP: turn(text, 1); break;
    case KEY_PADDOWN: turn(text, -1); break;
    case key_delete: if (pos < len) text.erase(static_cast<size_t>(pos), 1); break;
    case key_backspace:
        if (pos > 0) {
            pos--;
            text.erase(static_cast<size_t>(pos), 1);
        }
        break;
    default: break;
    }
    // Only the character event itself types: `ascii` stays set until the key is released, and
    // further events meanwhile (mouse movement, a second key, repeats) must not type it again.
    const TEvent* cur = CurrentEvent();
    if (cur && cur->id == EVENT_KEYCHAR && typable(e.ascii) && static_cast<int>(text.size()) < lmax) {
        text.insert(text.begin() + pos, static_cast<char>(e.ascii));
        pos++;
    }
    return 0;
}
