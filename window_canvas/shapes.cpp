#include <array>
#include <cmath>

#include "window_canvas/canvas.h"
#include "window_canvas/canvas_colors.h"
#include "window_canvas/message_pump.h"

namespace {

struct corner_point {
  float x;
  float y;
};

// Four quarter arcs of nine unit-circle points, top-right, bottom-right,
// bottom-left, top-left; each quarter holds both of its end points.
std::array<corner_point, 36> build_corner_table() {
  std::array<corner_point, 36> table{};
  const double degree = 3.14159265358979323846 / 180.0;
  for (int quarter = 0; quarter < 4; ++quarter) {
    for (int k = 0; k < 9; ++k) {
      const double angle = (90.0 * quarter + 11.25 * k) * degree;
      table[quarter * 9 + k] = corner_point{static_cast<float>(std::sin(angle)), static_cast<float>(-std::cos(angle))};
    }
  }
  return table;
}

float as_float(int64_t value) { return static_cast<float>(value); }

}  // namespace

void DrawRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t red, int64_t green, int64_t blue) {
  require_open_window("DrawRectRgba");
  const float left = as_float(x);
  const float top = as_float(y);
  const float right = left + as_float(width < 0 ? 0 : width);
  const float bottom = top + as_float(height);
  set_draw_color(red, green, blue, 255);
  glBegin(GL_QUADS);
  glVertex2f(left, top);
  glVertex2f(right, top);
  glVertex2f(right, bottom);
  glVertex2f(left, bottom);
  glEnd();
}

void DrawLineRgba(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t width, int64_t red, int64_t green,
                  int64_t blue, int64_t alpha) {
  require_open_window("DrawLineRgba");
  const float half = as_float(width < 1 ? 1 : width) * 0.5f;
  const float ax = as_float(x0);
  const float ay = as_float(y0);
  const float bx = as_float(x1);
  const float by = as_float(y1);
  const float dx = bx - ax;
  const float dy = by - ay;
  set_draw_color(red, green, blue, alpha);
  glBegin(GL_QUADS);
  const float squared = dx * dx + dy * dy;
  if (squared <= 0.0f) {
    glVertex2f(ax - half, ay - half);
    glVertex2f(ax + half, ay - half);
    glVertex2f(ax + half, ay + half);
    glVertex2f(ax - half, ay + half);
  } else {
    const float length = std::sqrt(squared);
    const float ox = -dy / length * half;
    const float oy = dx / length * half;
    glVertex2f(ax + ox, ay + oy);
    glVertex2f(bx + ox, by + oy);
    glVertex2f(bx - ox, by - oy);
    glVertex2f(ax - ox, ay - oy);
  }
  glEnd();
}

void DrawRectGradientVRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t top_red, int64_t top_green,
                           int64_t top_blue, int64_t top_alpha, int64_t bottom_red, int64_t bottom_green,
                           int64_t bottom_blue, int64_t bottom_alpha) {
  require_open_window("DrawRectGradientVRgba");
  const float left = as_float(x);
  const float top = as_float(y);
  const float right = left + as_float(width);
  const float bottom = top + as_float(height);
  // Smooth shading interpolates between the two edges' colours.
  glBegin(GL_QUADS);
  set_draw_color(top_red, top_green, top_blue, top_alpha);
  glVertex2f(left, top);
  glVertex2f(right, top);
  set_draw_color(bottom_red, bottom_green, bottom_blue, bottom_alpha);
  glVertex2f(right, bottom);
  glVertex2f(left, bottom);
  glEnd();
}

void DrawRoundedRectRgba(int64_t x, int64_t y, int64_t width, int64_t height, int64_t radius, int64_t red,
                         int64_t green, int64_t blue, int64_t alpha) {
  require_open_window("DrawRoundedRectRgba");
  static const std::array<corner_point, 36> corners = build_corner_table();
  const float left = as_float(x);
  const float top = as_float(y);
  const float w = as_float(width);
  const float h = as_float(height);
  const float r = as_float(radius);
  const corner_point centres[4] = {
      {left + w - r, top + r}, {left + w - r, top + h - r}, {left + r, top + h - r}, {left + r, top + r}};
  set_draw_color(red, green, blue, alpha);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(left + w / 2.0f, top + h / 2.0f);
  for (int quarter = 0; quarter < 4; ++quarter) {
    for (int k = 0; k < 9; ++k) {
      const corner_point& point = corners[quarter * 9 + k];
      glVertex2f(centres[quarter].x + point.x * r, centres[quarter].y + point.y * r);
    }
  }
  // Back to the first perimeter vertex to close the fan.
  glVertex2f(centres[0].x + corners[0].x * r, centres[0].y + corners[0].y * r);
  glEnd();
}
