#pragma once
// The message pump, the guard of the drawing and input API and the runtime's
// one thrower.

#include <string>

#include "window_canvas/window_runtime.h"

// Dispatches up to 32 pending messages of the calling thread; the rest stay queued.
void pump_messages();
// Pumps, then returns the open current window with its OpenGL context made
// current; throws "window/canvas runtime window is not open for <api_name>".
window_runtime* require_open_window(const char* api_name);
// Throws kiro_runtime_exception (module "window.canvas", code
// "kiro_window_input_canvas") carrying message unless condition holds.
void require_window_canvas(bool condition, const std::string& message);
// True when the desktop's foreground window is an open window of this runtime.
bool any_window_focused();
