#pragma once
// X keysyms as Windows virtual keys.

typedef unsigned long KeySym;

// The virtual key of a keysym (unshifted: the caller passes the keysym of
// group 0, level 0), 0 when it has none.
int virtual_key_of_keysym(KeySym keysym);

// The Unicode code point a keysym types, 0 when it types none. Used when no
// input method is open.
unsigned keysym_code_point(KeySym keysym);
