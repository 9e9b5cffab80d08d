#include <algorithm>
#include <vector>

#include "window_canvas/canvas.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/window_registry.h"

void CloseAllWindows() {
  window_registry& registry = window_registry::instance();
  std::vector<int32_t> ids;
  for (const auto& [id, record] : registry.windows) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  for (const int32_t id : ids) {
    std::vector<int32_t> children;
    for (const auto& [child_id, record] : registry.windows) {
      if (record->parent_id == id && record->window_handle != nullptr) children.push_back(child_id);
    }
    std::sort(children.begin(), children.end());
    for (const int32_t child : children) registry.find(child)->close();
    registry.find(id)->close();

    if (registry.current_id == id) registry.current_id = registry.primary_id;
    window_runtime* next = registry.find(registry.current_id);
    if (next == nullptr || !next->open) {
      registry.current_id = registry.primary_id;
      next = registry.find(registry.primary_id);
      if (next != nullptr && !next->open) next = nullptr;
    }
    if (next != nullptr && next->device_context != nullptr && next->gl_context != nullptr) {
      wglMakeCurrent(next->device_context, next->gl_context);
    } else {
      registry.current_id = 0;
      wglMakeCurrent(nullptr, nullptr);
    }
    // Delivers what the destruction left queued.
    pump_messages();
  }
  registry.primary_id = 0;
  registry.current_id = 0;
}
