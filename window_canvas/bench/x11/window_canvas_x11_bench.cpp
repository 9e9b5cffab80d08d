// Costs of the window runtime in a real window (run on an X server, e.g. Xvfb):
// a guarded call with nothing to pump, an empty pump, and a frame of 2400
// one-pixel rows through the runtime beside the same OpenGL calls issued bare.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "window_canvas/canvas.h"
#include "window_canvas/canvas_colors.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/window_registry.h"
// After the Win32 declarations: Xlib's macros would clash with them.
#include <GL/glx.h>

namespace {

constexpr int width = 1000;
constexpr int height = 700;
constexpr int rows = 2400;

window_runtime* open_bench_window() {
  OpenWindow("Kelvaro / Quon + Vantrel", width, height, 0);
  return window_registry::instance().current_window();
}

void guarded_call_with_nothing_to_pump(benchmark::State& state) {
  open_bench_window();
  for (auto _ : state) ClearScissor();
}
BENCHMARK(guarded_call_with_nothing_to_pump);

void pump_with_an_empty_queue(benchmark::State& state) {
  open_bench_window();
  pump_messages();
  for (auto _ : state) pump_messages();
}
BENCHMARK(pump_with_an_empty_queue);

void runtime_frame_of_2400_rows(benchmark::State& state) {
  open_bench_window();
  for (auto _ : state) {
    BeginFrame(17, 27, 34);
    for (int row = 0; row < rows; ++row) DrawRectRgba(0, row % height, width, 1, 40 + row % 200, 90, 160);
    EndFrame();
  }
  glFinish();
}
BENCHMARK(runtime_frame_of_2400_rows)->Unit(benchmark::kMillisecond);

// The same OpenGL calls as BeginFrame, 2400 DrawRectRgba and EndFrame make on
// a verified sRGB framebuffer, on the same window and context, without the runtime.
void bare_glx_frame_of_2400_rows(benchmark::State& state) {
  window_runtime* window = open_bench_window();
  if (!window) {
    state.SkipWithError("no window");
    return;
  }
  ClearScissor();  // leaves the window's context current
  Display* display = x11_backend_display();
  const GLXDrawable drawable = x11_backend_window(window->window_handle);
  float linear[256];
  for (int c = 0; c < 256; ++c) linear[c] = srgb_to_linear(c);
  for (auto _ : state) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(1, 1, 1, 1);
    glStencilMask(0xFF);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearStencil(0);
    glClearColor(linear[17], linear[27], linear[34], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    for (int row = 0; row < rows; ++row) {
      const float y = static_cast<float>(row % height);
      glColor4f(linear[40 + row % 200], linear[90], linear[160], 1.0f);
      glBegin(GL_QUADS);
      glVertex2f(0, y);
      glVertex2f(width, y);
      glVertex2f(width, y + 1);
      glVertex2f(0, y + 1);
      glEnd();
    }
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(1, 1, 1, 1);
    glStencilMask(0xFF);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glFlush();
    glXSwapBuffers(display, drawable);
  }
  glFinish();
}
BENCHMARK(bare_glx_frame_of_2400_rows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!x11_backend_display()) {
    std::puts("window_canvas_x11_bench: no X server (DISPLAY); nothing measured");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CloseAllWindows();
  return 0;
}
