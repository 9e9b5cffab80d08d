#include "window_canvas/window_classes.h"

#include <atomic>

#include "window_canvas/window_procedure.h"

namespace {
std::atomic<bool> classes_registered{false};
}  // namespace

void register_window_classes() {
  if (classes_registered.exchange(true)) return;
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  WNDCLASSW canvas{};
  canvas.style = CS_OWNDC;
  canvas.lpfnWndProc = window_procedure;
  canvas.hInstance = GetModuleHandleA(nullptr);
  canvas.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  canvas.hbrBackground = CreateSolidBrush(RGB(10, 11, 13));
  canvas.lpszClassName = canvas_window_class.text;
  RegisterClassW(&canvas);
  WNDCLASSW translucent = canvas;
  translucent.style = 0;
  translucent.hbrBackground = nullptr;
  translucent.lpszClassName = translucent_window_class.text;
  RegisterClassW(&translucent);
}
