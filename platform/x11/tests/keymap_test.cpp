#include "platform/x11/keymap.h"

#include <gtest/gtest.h>
#include <X11/keysym.h>

TEST(keymap, keysyms_map_to_virtual_keys) {
  const struct { KeySym keysym; int virtual_key; } cases[] = {
      {XK_a, 'A'}, {XK_Z, 'Z'}, {XK_0, '0'}, {XK_9, '9'}, {XK_F1, 0x70}, {XK_F9, 0x78},
      {XK_F10, 0x79}, {XK_F12, 0x7B}, {XK_Left, 0x25}, {XK_Up, 0x26}, {XK_Right, 0x27},
      {XK_Down, 0x28}, {XK_space, 0x20}, {XK_Return, 0x0D}, {XK_KP_Enter, 0x0D}, {XK_Tab, 0x09},
      {XK_Home, 0x24}, {XK_End, 0x23}, {XK_Prior, 0x21}, {XK_Next, 0x22}, {XK_Escape, 0x1B},
      {XK_Shift_L, 0x10}, {XK_Shift_R, 0x10}, {XK_Control_L, 0x11}, {XK_Control_R, 0x11},
      {XK_Alt_L, 0x12}, {XK_Alt_R, 0x12}, {XK_KP_5, 0x65}, {XK_eacute, 0}, {0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(virtual_key_of_keysym(c.keysym), c.virtual_key) << "keysym 0x" << std::hex << c.keysym;
}

TEST(keymap, keysyms_type_their_code_points) {
  const struct { KeySym keysym; unsigned code_point; } cases[] = {
      {XK_a, 'a'}, {XK_A, 'A'}, {XK_space, ' '}, {XK_eacute, 0xE9}, {0x0101F600, 0x1F600},
      {0x010020AC, 0x20AC}, {XK_Return, 0x0D}, {XK_KP_3, '3'}, {XK_Shift_L, 0}, {XK_F1, 0},
      {XK_Left, 0}, {0x01110000, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(keysym_code_point(c.keysym), c.code_point) << "keysym 0x" << std::hex << c.keysym;
}

TEST(keymap, posted_keys_type_what_windows_gives_them) {
  const key_modifiers none, shift{true, false, false, false}, caps{false, true, false, false},
      shift_caps{true, true, false, false}, control{false, false, true, false}, control_shift{true, false, true, false},
      alt{false, false, false, true}, control_alt{false, false, true, true};
  const struct {
    int virtual_key;
    KeySym layout_keysym;
    key_modifiers modifiers;
    std::u16string text;
  } cases[] = {
      // Without a key in the X mapping: the US layout.
      {'A', 0, none, u"a"}, {'A', 0, shift, u"A"}, {'A', 0, caps, u"A"}, {'A', 0, shift_caps, u"a"},
      {'1', 0, none, u"1"}, {'1', 0, shift, u"!"}, {'1', 0, caps, u"1"}, {0xBA, 0, none, u";"},
      {0xDE, 0, shift, u"\""}, {0xDC, 0, none, u"\\"}, {'A', 0, alt, u"a"},
      // The X mapping's keysym wins over the US layout.
      {'Q', XK_a, none, u"a"}, {'Q', XK_a, caps, u"A"}, {'2', XK_eacute, none, u"\u00e9"},
      {'E', 0x010020AC, none, u"\u20ac"}, {'E', 0x0101F600, none, u"\xd83d\xde00"},
      // Fixed whatever the layout and Shift.
      {0x0D, XK_KP_Enter, none, u"\r"}, {0x08, 0, shift, u"\b"}, {0x1B, 0, none, u"\x1b"}, {0x20, XK_space, none, u" "},
      {0x09, XK_ISO_Left_Tab, shift, u"\t"}, {0x60 + 7, XK_KP_Home, none, u"7"}, {0x6A, 0, shift, u"*"},
      // Control characters.
      {'A', XK_a, control, u"\x01"}, {'Z', XK_z, control_shift, u"\x1a"}, {0x0D, 0, control, u"\n"},
      {0x08, 0, control, u"\x7f"}, {0xDB, 0, control, u"\x1b"}, {0xDD, 0, control, u"\x1d"},
      {'1', XK_1, control, u""}, {0xDB, 0, control_shift, u""}, {'A', XK_a, control_alt, u""},
      // Keys without text.
      {0x70, XK_F1, none, u""}, {0x25, XK_Left, none, u""}, {0x2E, XK_Delete, none, u""}, {0x10, XK_Shift_L, shift, u""},
      {0xE7, 0, none, u""}, {0, 0, none, u""},
  };
  for (const auto& c : cases) {
    const std::u16string text = posted_key_text(c.virtual_key, c.layout_keysym, c.modifiers);
    EXPECT_EQ(std::u32string(text.begin(), text.end()), std::u32string(c.text.begin(), c.text.end()))
        << "virtual key 0x" << std::hex << c.virtual_key << ", keysym 0x" << c.layout_keysym << ", shift "
        << c.modifiers.shift << ", caps " << c.modifiers.caps_lock << ", control " << c.modifiers.control
        << ", alt " << c.modifiers.alt;
  }
}
