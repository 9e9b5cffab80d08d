#include "window_canvas/message_pump.h"

#include "runtime/exception.h"
#include "window_canvas/window_registry.h"

namespace {
constexpr int pump_limit = 32;
}  // namespace

void pump_messages() {
  MSG message;
  for (int i = 0; i < pump_limit; ++i) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

window_runtime* require_open_window(const char* api_name) {
  pump_messages();
  window_runtime* window = window_registry::instance().current_window();
  const std::string message = std::string("window/canvas runtime window is not open for ") + api_name;
  require_window_canvas(window != nullptr && window->open && window->window_handle != nullptr &&
                            window->device_context != nullptr && window->gl_context != nullptr,
                        message);
  wglMakeCurrent(window->device_context, window->gl_context);
  return window;
}

void require_window_canvas(bool condition, const std::string& message) {
  if (condition) return;
  throw kiro_runtime_exception(runtime_exception_payload{"window.canvas", message, 0, "kiro_window_input_canvas", ""});
}

bool any_window_focused() {
  HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return false;
  for (auto& [id, record] : window_registry::instance().windows) {
    if (record->open && record->window_handle == foreground) return true;
  }
  return false;
}
