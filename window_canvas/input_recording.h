#pragma once
// Input recording for messages whose payload is fetched from the system:
// pointer messages, touch batches, IME strings and dropped files. The key,
// pointer and typed-text recording itself is part of window_runtime.

#include <cstdint>
#include <string>

#include "window_canvas/window_runtime.h"

// Appends a printable code point to a composition being built, when it fits whole.
void append_composition_utf8(std::string& text, uint32_t code_point);

// WM_POINTERDOWN/UPDATE/UP: the pointer's type and, for a pen, its pressure.
void record_pointer_message(window_runtime& window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_TOUCH: every touch point of the batch, then the batch handle is closed.
void record_touch_batch(window_runtime& window, WPARAM wParam, LPARAM lParam);
// WM_IME_COMPOSITION with GCS_RESULTSTR or GCS_COMPSTR in lParam.
void record_composition(window_runtime& window, HWND handle, LPARAM lParam);
// WM_DROPFILES: the number of files and, for exactly one, its UTF-8 path.
void record_file_drop(window_runtime& window, WPARAM wParam);
