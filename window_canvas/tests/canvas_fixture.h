#pragma once
// Shared set-up of the window canvas tests: a window opened on the simulated
// desktop. Every test case runs in a process of its own, so the registry starts
// empty in each.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "window_canvas/canvas.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/window_procedure.h"
#include "window_canvas/window_registry.h"

class canvas_test : public ::testing::Test {
 protected:
  // Opens the application window and returns its record.
  window_runtime& open_window(int32_t width = 1000, int32_t height = 700) {
    OpenWindow("test", width, height, 0);
    window_registry& registry = window_registry::instance();
    window_runtime* window = registry.find(registry.primary_id);
    if (window == nullptr) ADD_FAILURE() << "OpenWindow created no window";
    static window_runtime missing;
    return window != nullptr ? *window : missing;
  }

  // A message handed straight to the window procedure, as a synchronous send.
  static LRESULT deliver(const window_runtime& window, UINT message, WPARAM wParam, LPARAM lParam) {
    return window_procedure(window.window_handle, message, wParam, lParam);
  }

  // lParam of a mouse message or WM_SIZE: two 16-bit words.
  static LPARAM words(int low, int high) {
    return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16) |
                               static_cast<uint16_t>(low));
  }

  static window_registry& registry() { return window_registry::instance(); }

  // The names of the logged platform calls, without the default handling of messages.
  static std::vector<std::string> call_names() {
    std::vector<std::string> names;
    for (const platform_call& call : sim_calls()) {
      if (call.name != "DefWindowProcW") names.push_back(call.name);
    }
    return names;
  }
};
