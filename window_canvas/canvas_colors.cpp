#include "window_canvas/canvas_colors.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "window_canvas/window_registry.h"

namespace {

std::array<float, 256> build_decoding_table() {
  std::array<float, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const double encoded = c / 255.0;
    const double linear = encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
    table[c] = static_cast<float>(linear);
  }
  table[0] = 0.0f;
  table[255] = 1.0f;
  return table;
}

bool current_window_is_srgb() {
  const window_runtime* window = window_registry::instance().current_window();
  return window != nullptr && window->srgb_verified;
}

GLubyte channel_byte(int64_t value) { return static_cast<GLubyte>(std::clamp<int64_t>(value, 0, 255)); }

}  // namespace

float srgb_to_linear(int64_t value) {
  static const std::array<float, 256> table = build_decoding_table();
  return table[static_cast<std::size_t>(std::clamp<int64_t>(value, 0, 255))];
}

void set_draw_color(int64_t red, int64_t green, int64_t blue, int64_t alpha) {
  const int64_t a = std::clamp<int64_t>(alpha, 0, 255);
  if (current_window_is_srgb()) {
    glColor4f(srgb_to_linear(red), srgb_to_linear(green), srgb_to_linear(blue), static_cast<float>(a) / 255.0f);
  } else {
    glColor4ub(channel_byte(red), channel_byte(green), channel_byte(blue), static_cast<GLubyte>(a));
  }
}

float color_channel(int64_t value) {
  if (current_window_is_srgb()) return srgb_to_linear(value);
  const float v = static_cast<float>(value);
  if (v > 1.0f) return std::min(v / 255.0f, 1.0f);
  if (v < 0.0f) return 0.0f;
  return v;
}
