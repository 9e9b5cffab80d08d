#include "platform/x11/preedit_text.h"

#include <gtest/gtest.h>

TEST(preedit_text, draws_replace_ranges) {
  preedit_text text;
  text.replace(0, 0, "ka");
  EXPECT_EQ(text.chars(), U"ka");
  text.replace(0, 2, "\xE3\x81\x8B");  // the input method turns "ka" into one kana
  EXPECT_EQ(text.chars(), U"\u304B");
  text.replace(1, 0, "\xF0\x9F\x98\x80");
  EXPECT_EQ(text.utf16(), u"\u304B\xD83D\xDE00");
  text.replace(5, 9, "!");  // past the end: appended
  EXPECT_EQ(text.chars(), U"\u304B\U0001F600!");
  text.replace(-3, 1, "");  // a negative start clamps to the beginning
  EXPECT_EQ(text.chars(), U"\U0001F600!");
  text.clear();
  EXPECT_TRUE(text.empty());
}

TEST(preedit_text, decoding_drops_ill_formed_utf8) {
  const struct { const char* bytes; std::u32string chars; } cases[] = {
      {"caf\xC3\xA9", U"caf\u00E9"},
      {"\xC3" "A", U"A"},
      {"\xE0\x80\x80", U""},
      {"\xED\xA0\x80x", U"x"},  // an encoded surrogate
      {"\xF4\x90\x80\x80", U""},
      {"\xF0\x9F\x98", U""},
      {"\xFFz", U"z"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode_utf8(c.bytes), c.chars) << c.bytes;
}
