#pragma once
// The process-wide owner of every window record. Ids start at 1, only grow and
// are never reused; a record stays registered after its window is closed.
// Single-threaded: used only by the thread that opens and pumps the windows.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "window_canvas/window_runtime.h"

struct window_registry {
  std::unordered_map<int32_t, std::unique_ptr<window_runtime>> windows;
  std::vector<HMONITOR> monitors;  // in order of first sighting; monitor_index is 1-based here
  int32_t next_id = 1;
  int32_t primary_id = 0;  // 0 = none
  int32_t current_id = 0;  // 0 = none
  uint64_t event_sequence = 1;  // next event number, shared by all windows

  // The one registry (a function-local static, destroyed at process exit
  // without destroying windows or releasing contexts).
  static window_registry& instance();

  // The record under id, closed ones included; null when there is none.
  window_runtime* find(int32_t id);
  // The open current window, else the open primary (which becomes current), else null.
  window_runtime* current_window();
  // The record whose window_handle is window; null for none (also for a null window).
  window_runtime* find_by_handle(HWND window);
};
