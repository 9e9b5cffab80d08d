#include "window_canvas/window_chrome.h"

#include "window_canvas/canvas_colors.h"
#include "window_canvas/message_words.h"
#include "window_canvas/pixel_view.h"

namespace {

constexpr int64_t border_width = 8;
constexpr int64_t caption_bottom = 53;        // last row of the caption band
constexpr int64_t caption_right_margin = 152;  // the band ends this far before the right edge
constexpr int64_t button_top = 8;
constexpr int64_t button_bottom = 37;
constexpr int64_t button_width = 46;
constexpr int64_t minimum_width = 320;
constexpr int64_t minimum_height = 240;

bool is_left_kind(int hit) { return hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT; }
bool is_right_kind(int hit) { return hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT; }
bool is_top_kind(int hit) { return hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT; }
bool is_bottom_kind(int hit) { return hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT; }
bool is_border(int hit) { return is_left_kind(hit) || is_right_kind(hit) || is_top_kind(hit) || is_bottom_kind(hit); }
bool is_button(int hit) { return hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE; }

}  // namespace

int chrome_hit_test(const window_runtime& window, POINT point) {
  const int64_t x = point.x;
  const int64_t y = point.y;
  const int64_t w = window.client_width;
  const int64_t h = window.client_height;
  // Strips, corners and buttons lie inside the client rectangle only, so the
  // system-drawn frame and title bar around it never act as borders.
  if (x >= 0 && x < w && y >= 0 && y < h) {
    const bool left = x < border_width;
    const bool right = x >= w - border_width;
    const bool top = y < border_width;
    const bool bottom = y >= h - border_width;
    if (left && top) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (left && bottom) return HTBOTTOMLEFT;
    if (right && bottom) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (window.caption_buttons && y >= button_top && y <= button_bottom) {
      if (x >= w - button_width) return HTCLOSE;
      if (x >= w - 2 * button_width) return HTMAXBUTTON;
      if (x >= w - 3 * button_width) return HTMINBUTTON;
    }
  }
  if (y < 0 || y > caption_bottom) return HTCLIENT;
  return x >= 0 && x < w - caption_right_margin ? HTCAPTION : HTCLIENT;
}

void set_chrome_cursor(int hit) {
  LPCSTR shape = IDC_ARROW;
  if (hit == HTLEFT || hit == HTRIGHT) shape = IDC_SIZEWE;
  if (hit == HTTOP || hit == HTBOTTOM) shape = IDC_SIZENS;
  if (hit == HTTOPLEFT || hit == HTBOTTOMRIGHT) shape = IDC_SIZENWSE;
  if (hit == HTTOPRIGHT || hit == HTBOTTOMLEFT) shape = IDC_SIZENESW;
  SetCursor(LoadCursorA(nullptr, shape));
}

LRESULT chrome_hit_test_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam) {
  if (!window.custom_chrome) return DefWindowProcW(handle, WM_NCHITTEST, wParam, lParam);
  POINT point = message_point(lParam);
  ScreenToClient(handle, &point);
  return chrome_hit_test(window, point) == HTCAPTION ? HTCAPTION : HTCLIENT;
}

LRESULT chrome_set_cursor_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam) {
  if (!window.custom_chrome || (lParam & 0xFFFF) != HTCLIENT) return DefWindowProcW(handle, WM_SETCURSOR, wParam, lParam);
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(handle, &cursor);
  const int hit = chrome_hit_test(window, cursor);
  if (is_button(hit)) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
  }
  if (is_border(hit)) {
    set_chrome_cursor(hit);
    return TRUE;
  }
  return DefWindowProcW(handle, WM_SETCURSOR, wParam, lParam);
}

LRESULT chrome_button_down_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam) {
  if (!window.custom_chrome) return DefWindowProcW(handle, WM_LBUTTONDOWN, wParam, lParam);
  const int hit = chrome_hit_test(window, message_point(lParam));
  if (is_button(hit)) {
    // A button acts at the release.
    SetCapture(handle);
    return 0;
  }
  if (is_border(hit)) {
    window.drag_active = 1;
    window.drag_hit = hit;
    GetCursorPos(&window.drag_start_cursor);
    GetWindowRect(handle, &window.drag_start_rect);
    SetCapture(handle);
    set_chrome_cursor(hit);
    return 0;
  }
  return DefWindowProcW(handle, WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT chrome_mouse_move_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam) {
  if (!window.drag_active) return DefWindowProcW(handle, WM_MOUSEMOVE, wParam, lParam);
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return 0;
  const int64_t dx = int64_t{cursor.x} - window.drag_start_cursor.x;
  const int64_t dy = int64_t{cursor.y} - window.drag_start_cursor.y;
  int64_t left = window.drag_start_rect.left;
  int64_t top = window.drag_start_rect.top;
  int64_t right = window.drag_start_rect.right;
  int64_t bottom = window.drag_start_rect.bottom;
  const int hit = window.drag_hit;
  if (is_left_kind(hit)) left += dx;
  if (is_right_kind(hit)) right += dx;
  if (is_top_kind(hit)) top += dy;
  if (is_bottom_kind(hit)) bottom += dy;
  // The dragged edge gives way; the opposite edge stays where it started.
  if (right - left < minimum_width) {
    if (is_left_kind(hit)) {
      left = right - minimum_width;
    } else {
      right = left + minimum_width;
    }
  }
  if (bottom - top < minimum_height) {
    if (is_top_kind(hit)) {
      top = bottom - minimum_height;
    } else {
      bottom = top + minimum_height;
    }
  }
  SetWindowPos(handle, nullptr, clamp_to_int(left), clamp_to_int(top), clamp_to_int(right - left),
               clamp_to_int(bottom - top), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  window.repaint_after_resize();
  return 0;
}

LRESULT chrome_button_up_message(window_runtime& window, HWND handle, WPARAM wParam, LPARAM lParam) {
  if (!window.custom_chrome) return DefWindowProcW(handle, WM_LBUTTONUP, wParam, lParam);
  const int hit = chrome_hit_test(window, message_point(lParam));
  if (hit == HTMINBUTTON) {
    ReleaseCapture();
    ShowWindow(handle, SW_MINIMIZE);
    return 0;
  }
  if (hit == HTMAXBUTTON) {
    ReleaseCapture();
    ShowWindow(handle, IsZoomed(handle) ? SW_RESTORE : SW_MAXIMIZE);
    return 0;
  }
  if (hit == HTCLOSE) {
    ReleaseCapture();
    SendMessageA(handle, WM_CLOSE, 0, 0);
    return 0;
  }
  if (window.drag_active) {
    window.drag_active = 0;
    window.drag_hit = 0;
    ReleaseCapture();
    return 0;
  }
  if (GetCapture() == handle) {
    ReleaseCapture();
    return 0;
  }
  return DefWindowProcW(handle, WM_LBUTTONUP, wParam, lParam);
}

void window_runtime::repaint_after_resize() {
  if (device_context == nullptr || gl_context == nullptr || client_width <= 0 || client_height <= 0) return;
  wglMakeCurrent(device_context, gl_context);
  reset_pixel_view(client_width, client_height);
  glDisable(GL_DEPTH_TEST);
  const float red = srgb_verified ? srgb_to_linear(10) : 10.0f / 255.0f;
  const float green = srgb_verified ? srgb_to_linear(11) : 11.0f / 255.0f;
  const float blue = srgb_verified ? srgb_to_linear(13) : 13.0f / 255.0f;
  glClearColor(red, green, blue, 1.0f);
  for (int frame = 0; frame < 2; ++frame) {
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(device_context);
  }
}
