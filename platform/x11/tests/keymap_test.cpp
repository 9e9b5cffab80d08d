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
