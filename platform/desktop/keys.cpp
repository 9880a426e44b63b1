// The keyboard of the desktop: Qt's keys and modifiers to the game's codes (the Windows
// virtual-key numbers) and back, for the menus' accelerators.
#include "platform/desktop/desktop.h"

#include <QKeyEvent>

#include "platform/platform.h"

int dsk::modifiers(Qt::KeyboardModifiers m) {
    int r = 0;
    if (m & Qt::ShiftModifier) r |= MODIFIER_SHIFT;
    if (m & Qt::ControlModifier) r |= MODIFIER_CONTROL;
    if (m & Qt::AltModifier) r |= MODIFIER_OPTION;
    if (m & Qt::MetaModifier) r |= MODIFIER_SYSTEM;
    return r;
}

// Qt key to the Windows virtual-key number; 0 for keys without one.
int dsk::vkey(const QKeyEvent* e) {
    int k = e->key();
    bool pad = (e->modifiers() & Qt::KeypadModifier) != 0;
    if (pad && k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;                 // same numbers
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: case Qt::Key_AltGr: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_Asterisk: return pad ? 106 : 56;
    case Qt::Key_Plus: return pad ? 107 : 187;
    case Qt::Key_Minus: return pad ? 109 : 189;
    case Qt::Key_Period: return pad ? 110 : 190;
    case Qt::Key_Slash: return pad ? 111 : 191;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: case Qt::Key_Less: return 188;
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Greater: return 190;
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    // shifted digits of a US keyboard come back as their digit keys
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
    }
}

// Virtual-key number back to a Qt key, for menu accelerators.
int dsk::qtkey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= 112 && vk <= 135) return Qt::Key_F1 + (vk - 112);
    switch (vk) {
    case 8: return Qt::Key_Backspace;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    case 46: return Qt::Key_Delete;
    default: return 0;
    }
}
