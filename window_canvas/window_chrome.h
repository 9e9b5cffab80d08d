#pragma once
// The runtime's own window chrome: an invisible caption band along the top of
// the client area, 8-pixel resize strips inside its edges (down to a 320 x 240
// window) and minimize, maximize and close areas at its top right. The
// system-drawn title bar and frame answer as client area.

#include "window_canvas/window_runtime.h"

// The HT* code of a point in client coordinates.
int chrome_hit_test(const window_runtime& window, POINT point);
// The sizing cursor of a border code, else the arrow.
void set_chrome_cursor(int hit);

// Window-procedure branches (after the pointer event of the mouse messages).
LRESULT chrome_hit_test_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam);
LRESULT chrome_set_cursor_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam);
LRESULT chrome_button_down_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam);
LRESULT chrome_mouse_move_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam);
LRESULT chrome_button_up_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam);
