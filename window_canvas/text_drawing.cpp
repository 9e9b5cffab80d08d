#include <cstddef>

#include "window_canvas/canvas.h"
#include "window_canvas/canvas_colors.h"
#include "window_canvas/message_pump.h"

namespace {

struct text_style {
  int normal_slot;  // the bold slot follows it
  int ascent;
};

text_style style_for_size(int32_t size) {
  if (size < 250) return {4, 12};   // 15 px
  if (size == 330) return {8, 23};  // 28 px
  return {6, 16};                   // 20 px
}

bool is_continuation(std::string_view text, std::size_t index) {
  return index < text.size() && (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80;
}

// How many bytes the "?" drawn for a non-printable byte stands for: a whole
// well-formed UTF-8 sequence, else the one byte.
std::size_t replaced_length(std::string_view text, std::size_t index) {
  const unsigned char lead = static_cast<unsigned char>(text[index]);
  const unsigned char next = index + 1 < text.size() ? static_cast<unsigned char>(text[index + 1]) : 0;
  if (lead >= 0xC2 && lead <= 0xDF) return is_continuation(text, index + 1) ? 2 : 1;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!is_continuation(text, index + 1) || !is_continuation(text, index + 2)) return 1;
    if ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next > 0x9F)) return 1;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!is_continuation(text, index + 1) || !is_continuation(text, index + 2) || !is_continuation(text, index + 3))
      return 1;
    if ((lead == 0xF0 && next < 0x90) || (lead == 0xF4 && next > 0x8F)) return 1;
    return 4;
  }
  return 1;
}

bool is_printable_ascii(char byte) { return byte >= 0x20 && byte <= 0x7E; }

}  // namespace

void DrawTextStyled(std::string_view text, int32_t x, int32_t y, int32_t size, int32_t red, int32_t green,
                    int32_t blue) {
  const window_runtime* window = require_open_window("DrawTextStyled");
  const text_style style = style_for_size(size);
  const font_slot& bold = window->fonts[style.normal_slot + 1];
  const uint32_t base =
      bold.list_base != 0 && bold.font != nullptr ? bold.list_base : window->fonts[style.normal_slot].list_base;
  require_open_window("DrawText");
  if (base == 0 || text.empty()) return;
  set_draw_color(red, green, blue, 255);
  glRasterPos2f(static_cast<float>(x), static_cast<float>(int64_t{y} + style.ascent));
  // The lists hold characters 32 to 127; the base wraps as an unsigned value.
  glListBase(base - 32u);
  std::size_t index = 0;
  while (index < text.size()) {
    std::size_t run = 0;
    while (index + run < text.size() && is_printable_ascii(text[index + run])) ++run;
    if (run > 0) {
      glCallLists(static_cast<GLsizei>(run), GL_UNSIGNED_BYTE, text.data() + index);
      index += run;
      continue;
    }
    glCallLists(1, GL_UNSIGNED_BYTE, "?");
    index += replaced_length(text, index);
  }
}
