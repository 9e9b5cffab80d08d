#include "platform/x11/keymap.h"

#include <iterator>

#include "platform/win32.h"
// Xlib after the Win32 declarations: its macros (None, Bool) clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "platform/x11/preedit_text.h"

namespace {

struct keysym_mapping {
  KeySym keysym;
  int virtual_key;
};

constexpr keysym_mapping named_keys[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09}, {XK_ISO_Left_Tab, 0x09}, {XK_Clear, 0x0C},
    {XK_Return, 0x0D}, {XK_KP_Enter, 0x0D}, {XK_Pause, 0x13}, {XK_Caps_Lock, 0x14},
    {XK_Escape, 0x1B}, {XK_space, 0x20}, {XK_Prior, 0x21}, {XK_Next, 0x22}, {XK_End, 0x23},
    {XK_Home, 0x24}, {XK_Left, 0x25}, {XK_Up, 0x26}, {XK_Right, 0x27}, {XK_Down, 0x28},
    {XK_Select, 0x29}, {XK_Print, 0x2C}, {XK_Insert, 0x2D}, {XK_Delete, 0x2E}, {XK_Help, 0x2F},
    {XK_Super_L, 0x5B}, {XK_Super_R, 0x5C}, {XK_Menu, 0x5D},
    {XK_KP_Multiply, 0x6A}, {XK_KP_Add, 0x6B}, {XK_KP_Separator, 0x6C}, {XK_KP_Subtract, 0x6D},
    {XK_KP_Decimal, 0x6E}, {XK_KP_Divide, 0x6F},
    {XK_KP_Home, 0x24}, {XK_KP_End, 0x23}, {XK_KP_Prior, 0x21}, {XK_KP_Next, 0x22},
    {XK_KP_Left, 0x25}, {XK_KP_Up, 0x26}, {XK_KP_Right, 0x27}, {XK_KP_Down, 0x28},
    {XK_KP_Insert, 0x2D}, {XK_KP_Delete, 0x2E}, {XK_KP_Space, 0x20}, {XK_KP_Tab, 0x09},
    {XK_Num_Lock, 0x90}, {XK_Scroll_Lock, 0x91},
    // Windows reports the generic modifier keys in key messages.
    {XK_Shift_L, 0x10}, {XK_Shift_R, 0x10}, {XK_Control_L, 0x11}, {XK_Control_R, 0x11},
    {XK_Alt_L, 0x12}, {XK_Alt_R, 0x12}, {XK_Meta_L, 0x12}, {XK_Meta_R, 0x12},
    {XK_ISO_Level3_Shift, 0x12},
    {XK_semicolon, 0xBA}, {XK_colon, 0xBA}, {XK_equal, 0xBB}, {XK_plus, 0xBB}, {XK_comma, 0xBC},
    {XK_less, 0xBC}, {XK_minus, 0xBD}, {XK_underscore, 0xBD}, {XK_period, 0xBE}, {XK_greater, 0xBE},
    {XK_slash, 0xBF}, {XK_question, 0xBF}, {XK_grave, 0xC0}, {XK_asciitilde, 0xC0},
    {XK_bracketleft, 0xDB}, {XK_braceleft, 0xDB}, {XK_backslash, 0xDC}, {XK_bar, 0xDC},
    {XK_bracketright, 0xDD}, {XK_braceright, 0xDD}, {XK_apostrophe, 0xDE}, {XK_quotedbl, 0xDE},
};

struct key_character {
  int virtual_key;
  char plain;
  char shifted;
};

// What a US layout types on the keys with text beyond letters and digits.
constexpr key_character us_layout_keys[] = {
    {VK_OEM_1, ';', ':'}, {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
    {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'}, {VK_OEM_3, '`', '~'}, {VK_OEM_4, '[', '{'},
    {VK_OEM_5, '\\', '|'}, {VK_OEM_6, ']', '}'}, {VK_OEM_7, '\'', '"'},
};

// Keys whose text Windows gives whatever the layout and Shift.
constexpr key_character fixed_keys[] = {
    {VK_BACK, 0x08, 0x08}, {VK_TAB, 0x09, 0x09}, {VK_RETURN, 0x0D, 0x0D}, {VK_ESCAPE, 0x1B, 0x1B},
    {VK_SPACE, ' ', ' '}, {VK_MULTIPLY, '*', '*'}, {VK_ADD, '+', '+'}, {VK_SUBTRACT, '-', '-'},
    {VK_DECIMAL, '.', '.'}, {VK_DIVIDE, '/', '/'},
};

// With Ctrl (and no Shift) beyond the letters: Windows' control characters.
constexpr key_character control_keys[] = {
    {VK_BACK, 0x7F, 0}, {VK_RETURN, 0x0A, 0}, {VK_ESCAPE, 0x1B, 0}, {VK_SPACE, ' ', 0},
    {VK_CANCEL, 0x03, 0}, {VK_OEM_4, 0x1B, 0}, {VK_OEM_5, 0x1C, 0}, {VK_OEM_6, 0x1D, 0},
};

const key_character* find_key(const key_character* first, const key_character* last, int virtual_key) {
  for (; first != last; ++first)
    if (first->virtual_key == virtual_key) return first;
  return nullptr;
}

KeySym us_layout_keysym(int virtual_key, bool shift) {
  if (virtual_key >= 'A' && virtual_key <= 'Z')
    return static_cast<KeySym>(shift ? virtual_key : virtual_key - 'A' + XK_a);
  if (virtual_key >= '0' && virtual_key <= '9') {
    static constexpr char shifted_digits[] = ")!@#$%^&*(";
    return static_cast<KeySym>(shift ? shifted_digits[virtual_key - '0'] : virtual_key);
  }
  // Latin-1 keysyms are their characters.
  if (const key_character* key = find_key(std::begin(us_layout_keys), std::end(us_layout_keys), virtual_key))
    return static_cast<KeySym>(shift ? key->shifted : key->plain);
  return 0;
}

std::u16string one_unit(char c) { return std::u16string(1, static_cast<char16_t>(static_cast<unsigned char>(c))); }

}  // namespace

int virtual_key_of_keysym(KeySym keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>(keysym - XK_a) + 'A';
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>(keysym - XK_A) + 'A';
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym - XK_0) + '0';
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<int>(keysym - XK_KP_0) + 0x60;
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<int>(keysym - XK_F1) + 0x70;
  for (const keysym_mapping& m : named_keys)
    if (m.keysym == keysym) return m.virtual_key;
  return 0;
}

unsigned keysym_code_point(KeySym keysym) {
  // Latin-1 keysyms are their code points; 0x01000000 + u names U+u directly.
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    return static_cast<unsigned>(keysym);
  if (keysym >= 0x01000100 && keysym <= 0x0110FFFF) return static_cast<unsigned>(keysym - 0x01000000);
  switch (keysym) {
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Tab: return 0x09;
    case XK_BackSpace: return 0x08;
    case XK_Escape: return 0x1B;
    case XK_KP_Space: return 0x20;
    default: break;
  }
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<unsigned>(keysym - XK_KP_0) + '0';
  return 0;
}

std::u16string posted_key_text(int virtual_key, KeySym layout_keysym, key_modifiers modifiers) {
  if (modifiers.control) {
    // Ctrl with Alt is AltGr, which a US layout types nothing with.
    if (modifiers.alt) return {};
    if (virtual_key >= 'A' && virtual_key <= 'Z') return std::u16string(1, static_cast<char16_t>(virtual_key - 'A' + 1));
    const key_character* key = find_key(std::begin(control_keys), std::end(control_keys), virtual_key);
    return key && !modifiers.shift ? one_unit(key->plain) : std::u16string();
  }
  if (const key_character* key = find_key(std::begin(fixed_keys), std::end(fixed_keys), virtual_key))
    return one_unit(key->plain);
  if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD0 + 9) return one_unit(static_cast<char>('0' + virtual_key - VK_NUMPAD0));
  KeySym keysym = layout_keysym ? layout_keysym : us_layout_keysym(virtual_key, modifiers.shift);
  if (modifiers.caps_lock) {
    // Caps Lock inverts the case of keys that have one (Shift with it types lower case).
    KeySym lower = 0, upper = 0;
    XConvertCase(keysym, &lower, &upper);
    keysym = keysym == lower ? upper : lower;
  }
  const char32_t code_point = keysym_code_point(keysym);
  return code_point ? encode_utf16(std::u32string_view(&code_point, 1)) : std::u16string();
}
