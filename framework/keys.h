// framework/keys.h — the key codes the game reads (ev.key, ev.keyup, tinput): Windows
// virtual-key numbers, which the platform's back ends translate their keys to. Digits are
// '0' .. '9' and letters 'A' .. 'Z' (their ASCII codes); the pad's directions are KEY_PAD* of
// platform/platform.h.
#pragma once

enum : int {
    key_backspace = 8,
    key_enter = 13,
    key_escape = 27,
    key_end = 35,
    key_home = 36,
    key_left = 37,
    key_up = 38,
    key_right = 39,
    key_down = 40,
    key_delete = 46,
    key_f1 = 112,   // F1 .. F12: key_f1 + 0 .. 11
    key_f2 = 113,
    key_f5 = 116,
};
