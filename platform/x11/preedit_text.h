#pragma once
// The composition string an input method draws through XIM preedit callbacks.
#include <string>
#include <string_view>

class preedit_text {
public:
  // Replaces `length` characters from `first` by `inserted` (UTF-8; invalid
  // sequences are dropped). Ranges beyond the text are clamped.
  void replace(long first, long length, std::string_view inserted);
  void clear() { chars_.clear(); }
  bool empty() const { return chars_.empty(); }
  const std::u32string& chars() const { return chars_; }
  // The text as UTF-16 units, surrogate pairs beyond the BMP.
  std::u16string utf16() const;

private:
  std::u32string chars_;
};

// Decodes strict UTF-8, dropping ill-formed sequences one byte at a time.
std::u32string decode_utf8(std::string_view text);
// Encodes code points as UTF-8; surrogates and values beyond U+10FFFF are dropped.
std::string encode_utf8(std::u32string_view chars);
// Encodes code points as UTF-16; surrogates and values beyond U+10FFFF are dropped.
std::u16string encode_utf16(std::u32string_view chars);
