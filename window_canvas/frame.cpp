#include <algorithm>

#include "window_canvas/canvas.h"
#include "window_canvas/canvas_colors.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/message_words.h"
#include "window_canvas/pixel_view.h"

namespace {

void reset_stencil_state() {
  glColorMask(1, 1, 1, 1);
  glStencilMask(0xFF);
  glStencilFunc(GL_ALWAYS, 0, 0xFF);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
}

}  // namespace

void BeginFrame(int64_t red, int64_t green, int64_t blue) {
  const window_runtime* window = require_open_window("BeginFrame");
  reset_pixel_view(std::max(window->client_width, 1), std::max(window->client_height, 1));
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_STENCIL_TEST);
  reset_stencil_state();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearStencil(0);
  const float r = color_channel(red);
  const float g = color_channel(green);
  const float b = color_channel(blue);
  glClearColor(r, g, b, 1.0f);
  // Depth testing is off, so the depth buffer is left alone.
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void EndFrame() {
  const window_runtime* window = require_open_window("EndFrame");
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_STENCIL_TEST);
  reset_stencil_state();
  glFlush();
  SwapBuffers(window->device_context);
}

void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
  const window_runtime* window = require_open_window("SetScissor");
  glEnable(GL_SCISSOR_TEST);
  // OpenGL counts rows from the bottom.
  const int64_t bottom = int64_t{window->client_height} - (int64_t{y} + height);
  glScissor(x, clamp_to_int(bottom), width, height);
}

void ClearScissor() {
  require_open_window("ClearScissor");
  glDisable(GL_SCISSOR_TEST);
}
