#include "window_canvas/window_registry.h"

window_registry& window_registry::instance() {
  static window_registry registry;
  return registry;
}

window_runtime* window_registry::find(int32_t id) {
  auto found = windows.find(id);
  return found == windows.end() ? nullptr : found->second.get();
}

window_runtime* window_registry::current_window() {
  if (window_runtime* current = find(current_id); current != nullptr && current->open) return current;
  window_runtime* primary = find(primary_id);
  if (primary == nullptr || !primary->open) return nullptr;
  current_id = primary_id;
  return primary;
}

window_runtime* window_registry::find_by_handle(HWND window) {
  if (window == nullptr) return nullptr;
  for (auto& [id, record] : windows) {
    if (record->window_handle == window) return record.get();
  }
  return nullptr;
}
