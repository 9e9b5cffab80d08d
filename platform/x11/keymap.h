#pragma once
// X keysyms as Windows virtual keys.

#include <string>

typedef unsigned long KeySym;

// The virtual key of a keysym (unshifted: the caller passes the keysym of
// group 0, level 0), 0 when it has none.
int virtual_key_of_keysym(KeySym keysym);

// The Unicode code point a keysym types, 0 when it types none. Used when no
// input method is open.
unsigned keysym_code_point(KeySym keysym);

// The thread's key state TranslateMessage reads.
struct key_modifiers {
  bool shift = false;
  bool caps_lock = false;  // toggled on
  bool control = false;
  bool alt = false;
};

// What TranslateMessage gives for a key message without text of its own (one the
// program posted), as Windows does from the virtual key and the key state.
// layout_keysym: the key's keysym at the shift level in the X keyboard mapping, 0
// when the mapping has no key of that virtual key (a US layout stands in then).
// Keys whose text Windows fixes (Enter, Backspace, Tab, Escape, space, the keypad)
// and control characters do not depend on it.
std::u16string posted_key_text(int virtual_key, KeySym layout_keysym, key_modifiers modifiers);
