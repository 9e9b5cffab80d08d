#include "window_canvas/window_procedure.h"

#include "window_canvas/input_recording.h"
#include "window_canvas/message_words.h"
#include "window_canvas/window_chrome.h"
#include "window_canvas/window_registry.h"

namespace {

constexpr WPARAM unicode_no_char = 0xFFFF;


void record_mouse_event(window_runtime& window, int64_t code, WPARAM wParam, LPARAM lParam) {
  window.record_pointer_event(code, 1, pointer_kind_mouse, wParam, lParam, -1, false);
}

void record_size(window_runtime& window, WPARAM wParam, LPARAM lParam) {
  const int32_t width = static_cast<int32_t>(lParam & 0xFFFF);
  const int32_t height = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
  window.client_width = width == 0 ? 1 : width;
  window.client_height = height == 0 ? 1 : height;
  window.minimized = wParam == SIZE_MINIMIZED ? 1 : 0;
  window.update_display_scale();
  window.stamp_event(0);
  window.repaint_after_resize();
}

void set_composing(window_runtime& window, uint8_t composing) {
  window.composing = composing;
  window.composition.clear();
  ++window.composition_revision;
}

// Windows being created, the format chooser's probe and destroyed windows have no record.
LRESULT answer_without_record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
    case WM_POWERBROADCAST:
      return TRUE;
    case WM_ERASEBKGND:
      return 1;
    case WM_UNICHAR:
      return wParam == unicode_no_char ? TRUE : 0;
    case WM_GETOBJECT:
      return DefWindowProcW(window, WM_GETOBJECT, wParam, UiaRootObjectId);
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CLOSE:
    case WM_ENDSESSION:
    case WM_SHOWWINDOW:
    case WM_ACTIVATEAPP:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_MOUSEWHEEL:
    case WM_CAPTURECHANGED:
    case WM_DROPFILES:
    case WM_TOUCH:
    case WM_POINTERUPDATE:
    case WM_POINTERDOWN:
    case WM_POINTERUP:
    case WM_WTSSESSION_CHANGE:
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD:
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK window_procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  window_runtime* record = window_registry::instance().find_by_handle(handle);
  if (record == nullptr) return answer_without_record(handle, message, wParam, lParam);
  window_runtime& window = *record;
  switch (message) {
    case WM_DESTROY:
      WTSUnRegisterSessionNotification(handle);
      window.open = 0;
      window.visible = 0;
      window.focused = 0;
      window.window_handle = nullptr;
      window.stamp_event(0);
      return 0;
    case WM_MOVE:
      window.position_x = message_point(lParam).x;
      window.position_y = message_point(lParam).y;
      window.update_display_scale();
      window.stamp_event(0);
      return 0;
    case WM_SIZE:
      record_size(window, wParam, lParam);
      return 0;
    case WM_SETFOCUS:
      window.focused = 1;
      window.stamp_event(0);
      return 0;
    case WM_KILLFOCUS:
      window.focused = 0;
      window.press_counts.fill(0);
      if (window.composing) set_composing(window, 0);
      window.stamp_event(0);
      return 0;
    case WM_CLOSE:
      // A close request hides the window and marks it closed; it is destroyed
      // only when the application closes it.
      window.press_counts.fill(0);
      window.close_requested = 1;
      window.open = 0;
      window.visible = 0;
      window.stamp_event(0);
      ShowWindow(handle, SW_HIDE);
      return 0;
    case WM_QUERYENDSESSION:
    case WM_POWERBROADCAST:
      return TRUE;
    case WM_ERASEBKGND:
      return 1;  // OpenGL paints the whole client area
    case WM_ENDSESSION:
    case WM_ACTIVATEAPP:
    case WM_WTSSESSION_CHANGE:
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD:
      return 0;
    case WM_SHOWWINDOW:
      window.visible = wParam != 0 ? 1 : 0;
      window.stamp_event(0);
      return 0;
    case WM_CANCELMODE:
      record_mouse_event(window, event_pointer_cancelled, wParam, lParam);
      return DefWindowProcW(handle, message, wParam, lParam);
    case WM_SETCURSOR:
      return chrome_set_cursor_message(window, handle, wParam, lParam);
    case WM_GETOBJECT:
      // Accessibility queries are always answered for the UI Automation root.
      return DefWindowProcW(handle, WM_GETOBJECT, wParam, UiaRootObjectId);
    case WM_NCHITTEST:
      return chrome_hit_test_message(window, handle, wParam, lParam);
    // System keys are consumed like the others, so system shortcuts such as
    // Alt+F4 never act on these windows.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      window.record_key_event(wParam, lParam, true);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      window.record_key_event(wParam, lParam, false);
      return 0;
    case WM_CHAR:
    case WM_IME_CHAR:
      window.receive_utf16(static_cast<uint16_t>(wParam));
      return 0;
    case WM_UNICHAR:
      if (wParam == unicode_no_char) return TRUE;
      window.pending_high_surrogate = 0;
      if (wParam <= 0x10FFFF) window.append_text_input(static_cast<uint32_t>(wParam));
      return 0;
    case WM_IME_STARTCOMPOSITION:
      set_composing(window, 1);
      return 0;
    case WM_IME_ENDCOMPOSITION:
      set_composing(window, 0);
      return 0;
    case WM_IME_COMPOSITION:
      if ((lParam & (GCS_RESULTSTR | GCS_COMPSTR)) == 0) return DefWindowProcW(handle, message, wParam, lParam);
      record_composition(window, handle, lParam);
      return 0;
    case WM_MOUSEMOVE:
      record_mouse_event(window, event_pointer_move, wParam, lParam);
      return chrome_mouse_move_message(window, handle, wParam, lParam);
    case WM_LBUTTONDOWN:
      record_mouse_event(window, event_pointer_down, wParam, lParam);
      return chrome_button_down_message(window, handle, wParam, lParam);
    case WM_LBUTTONUP:
      record_mouse_event(window, event_pointer_up, wParam, lParam);
      return chrome_button_up_message(window, handle, wParam, lParam);
    case WM_RBUTTONDOWN:
      record_mouse_event(window, event_pointer_down, wParam, lParam);
      return DefWindowProcW(handle, message, wParam, lParam);
    case WM_RBUTTONUP:
      record_mouse_event(window, event_pointer_up, wParam, lParam);
      return DefWindowProcW(handle, message, wParam, lParam);
    case WM_MOUSEWHEEL:
      record_mouse_event(window, event_mouse_wheel, wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      window.drag_active = 0;
      window.drag_hit = 0;
      record_mouse_event(window, event_capture_lost, wParam, lParam);
      return 0;
    case WM_DROPFILES:
      record_file_drop(window, wParam);
      return 0;
    case WM_TOUCH:
      record_touch_batch(window, wParam, lParam);
      return 0;
    case WM_POINTERUPDATE:
    case WM_POINTERDOWN:
    case WM_POINTERUP:
      record_pointer_message(window, message, wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(handle, message, wParam, lParam);
  }
}
