#include "window_canvas/window_runtime.h"

#include <algorithm>

#include "window_canvas/ui_fonts.h"
#include "window_canvas/window_registry.h"

void window_runtime::stamp_event(int64_t code) {
  window_registry& registry = window_registry::instance();
  event_sequence = registry.event_sequence++;
  if (code != 0) event_code = code;
}

void window_runtime::close() {
  press_counts.fill(0);
  close_requested = 0;
  open = 0;
  visible = 0;
  focused = 0;
  minimized = 0;
  stamp_event(0);
  if (gl_context != nullptr) {
    // Display lists belong to the context: delete them while it is current.
    wglMakeCurrent(device_context, gl_context);
    for (font_slot& slot : fonts) {
      if (slot.list_base != 0) {
        glDeleteLists(slot.list_base, 96);
        slot.list_base = 0;
      }
    }
    for (font_slot& slot : fonts) delete_ui_font(slot.font);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(gl_context);
    gl_context = nullptr;
  }
  if (device_context != nullptr && window_handle != nullptr) {
    ReleaseDC(window_handle, device_context);
    device_context = nullptr;
  }
  if (window_handle != nullptr) {
    DestroyWindow(window_handle);
    window_handle = nullptr;
  }
  client_width = 0;
  client_height = 0;
}

void window_runtime::update_display_scale() {
  if (window_handle == nullptr) return;
  const UINT dpi = GetDpiForWindow(window_handle);
  if (dpi != 0) dpi_percent = static_cast<int32_t>((dpi * 100u + 48u) / 96u);
  HMONITOR monitor = MonitorFromWindow(window_handle, MONITOR_DEFAULTTONEAREST);
  if (monitor == nullptr) {
    monitor_index = 0;
    return;
  }
  std::vector<HMONITOR>& monitors = window_registry::instance().monitors;
  auto found = std::find(monitors.begin(), monitors.end(), monitor);
  if (found == monitors.end()) {
    monitors.push_back(monitor);
    monitor_index = static_cast<int32_t>(monitors.size());
  } else {
    monitor_index = static_cast<int32_t>(found - monitors.begin()) + 1;
  }
}
