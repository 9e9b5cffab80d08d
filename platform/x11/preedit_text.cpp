#include "platform/x11/preedit_text.h"

#include <algorithm>

std::u32string decode_utf8(std::string_view text) {
  std::u32string out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t cp = 0, minimum = 0;
    if (lead < 0x80) { length = 1; cp = lead; }
    else if (lead >= 0xC2 && lead <= 0xDF) { length = 2; cp = lead & 0x1F; minimum = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; cp = lead & 0x0F; minimum = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; cp = lead & 0x07; minimum = 0x10000; }
    bool ok = length > 0 && i + length <= text.size();
    for (int k = 1; ok && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (ok && length > 1) ok = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!ok) { ++i; continue; }
    out.push_back(cp);
    i += length;
  }
  return out;
}

std::string encode_utf8(std::u32string_view chars) {
  std::string out;
  for (char32_t cp : chars) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) continue;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::u16string encode_utf16(std::u32string_view chars) {
  std::u16string out;
  for (char32_t cp : chars) {
    if (cp < 0x10000) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      out.push_back(static_cast<char16_t>(cp));
    } else if (cp <= 0x10FFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

void preedit_text::replace(long first, long length, std::string_view inserted) {
  const long size = static_cast<long>(chars_.size());
  first = std::clamp(first, 0L, size);
  length = std::clamp(length, 0L, size - first);
  chars_.replace(static_cast<size_t>(first), static_cast<size_t>(length), decode_utf8(inserted));
}

std::u16string preedit_text::utf16() const { return encode_utf16(chars_); }
