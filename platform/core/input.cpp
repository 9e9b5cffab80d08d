// Activation, focus, capture, cursor and key state, touch and pointer input,
// DPI and monitors.
#include <algorithm>
#include <vector>

#include "platform/core/core_state.h"

namespace {

bool is_known_cursor(int id) {
  switch (id) {
    case 32512: case 32513: case 32514: case 32515: case 32642: case 32643: case 32644: case 32645: case 32646:
    case 32649:
      return true;
    default:
      return false;
  }
}

}  // namespace

HWND core_top_level(HWND window) {
  core_window* w = core_find(window);
  while (w && (w->style & WS_CHILD) && core_find(w->parent)) w = core_find(w->parent);
  return w ? w->handle : nullptr;
}

void core_set_active(HWND window, bool from_backend, WORD how) {
  core_state& s = core();
  if (window && !core_find(window)) window = nullptr;
  HWND old = s.active;
  // Asked of a window system that gives the activation itself: it comes with
  // the foreground it reports.
  if (!from_backend && window && old != window) {
    core_window* asked = core_find(window);
    if (asked && asked->native && backend().request_activation(asked->native)) {
      // A window out of sight stays active no longer meanwhile.
      core_window* o = core_find(old);
      if (o && (!o->visible || o->minimized)) core_set_active(nullptr, true);
      return;
    }
  }
  if (old == window) {
    // The window system says it is active: an active window that is shown
    // holds the keyboard focus, so that keys reach it.
    core_window* w = core_find(window);
    if (from_backend && w && !s.focus && w->visible && !w->minimized) core_set_focus(window);
    return;
  }
  if (core_window* o = core_find(old)) {
    WPARAM minimized = o->minimized ? 1 : 0;
    core_send(old, WM_NCACTIVATE, FALSE, 0);
    core_send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimized), reinterpret_cast<LPARAM>(window));
  }
  s.active = window;
  if (window) {
    s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), window), s.z_order.end());
    s.z_order.insert(s.z_order.begin(), window);
  }
  if (!old || !window) {
    std::vector<HWND> top_level;
    for (const auto& entry : s.windows)
      if (!(entry.second->style & WS_CHILD)) top_level.push_back(entry.first);
    for (HWND each : top_level) core_send(each, WM_ACTIVATEAPP, window ? TRUE : FALSE, 0);
  }
  if (core_window* n = core_find(window); n && s.active == window) {
    WPARAM minimized = n->minimized ? 1 : 0;
    core_send(window, WM_NCACTIVATE, TRUE, 0);
    core_send(window, WM_ACTIVATE, MAKEWPARAM(how, minimized), reinterpret_cast<LPARAM>(old));
  } else if (!window && s.focus) {
    core_set_focus(nullptr);
  }
  if (!from_backend) {
    core_window* n = core_find(s.active);
    backend().activate_window(n ? n->native : 0);
  }
}

HWND core_set_focus(HWND window) {
  core_state& s = core();
  if (window && !core_find(window)) return nullptr;
  HWND old = s.focus;
  if (old == window) return old;
  s.focus = window;
  if (core_find(old)) core_send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window && s.focus == window && core_find(window)) core_send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

extern "C" {

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (PLATFORM_FAILS("LoadCursorA", platform_arg(instance), platform_arg(name))) return nullptr;
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  if (!is_known_cursor(id)) return nullptr;
  core_state& s = core();
  for (const auto& entry : s.cursors)
    if (entry.second == id) return entry.first;
  HCURSOR cursor = core_new_handle<HCURSOR>();
  s.cursors[cursor] = id;
  return cursor;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  PLATFORM_FAILS("SetCursor", platform_arg(cursor));
  core_state& s = core();
  HCURSOR previous = s.cursor;
  auto found = s.cursors.find(cursor);
  if (cursor && found == s.cursors.end()) return previous;
  s.cursor = cursor;
  if (previous != cursor) backend().set_cursor(cursor ? found->second : 0);
  return previous;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (PLATFORM_FAILS("GetCursorPos")) return FALSE;
  if (!point || !backend().cursor_pos(*point)) return FALSE;
  core().message_pos = *point;
  return TRUE;
}

SHORT WINAPI GetAsyncKeyState(int virtual_key) {
  if (PLATFORM_FAILS("GetAsyncKeyState", platform_arg(virtual_key))) return 0;
  if (virtual_key < 0 || virtual_key > 255) return 0;
  return backend().async_key_down(virtual_key) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT WINAPI GetKeyState(int virtual_key) {
  if (virtual_key < 0 || virtual_key > 255) return 0;
  BYTE state = core().key_state[virtual_key];
  return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

HWND WINAPI GetForegroundWindow() {
  if (PLATFORM_FAILS("GetForegroundWindow")) return nullptr;
  return backend().foreground_window();
}

HWND WINAPI GetActiveWindow() { return core().active; }

HWND WINAPI GetFocus() { return core().focus; }

HWND WINAPI SetFocus(HWND window) {
  if (PLATFORM_FAILS("SetFocus", platform_arg(window))) return nullptr;
  if (window && !core_find(window)) return nullptr;
  HWND previous = core().focus;
  HWND top = core_top_level(window);
  if (window && core().active != top) {
    core_set_active(top, false);
    // Asked of the window system: the focus comes with the activation.
    if (core().active != top) return previous;
  }
  core_set_focus(window);
  return previous;
}

HWND WINAPI SetCapture(HWND window) {
  if (PLATFORM_FAILS("SetCapture", platform_arg(window))) return nullptr;
  core_state& s = core();
  HWND previous = s.capture;
  core_window* w = core_find(window);
  if (!w) return previous;
  s.capture = window;
  if (previous != window) backend().set_capture(w->native);
  // Also when the window had the capture already.
  if (core_find(previous)) core_send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  return previous;
}

BOOL WINAPI ReleaseCapture() {
  if (PLATFORM_FAILS("ReleaseCapture")) return FALSE;
  core_state& s = core();
  HWND previous = s.capture;
  if (!previous) return TRUE;
  s.capture = nullptr;
  backend().set_capture(0);
  core_send(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture() {
  if (PLATFORM_FAILS("GetCapture")) return nullptr;
  return core().capture;
}

BOOL WINAPI SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT value) {
  if (PLATFORM_FAILS("SetProcessDpiAwarenessContext", platform_arg(value))) return FALSE;
  std::intptr_t v = reinterpret_cast<std::intptr_t>(value);
  if (v > -1 || v < -5) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The awareness of a process is set once; later calls are refused.
  if (core().dpi_awareness_set) {
    SetLastError(5);  // ERROR_ACCESS_DENIED
    return FALSE;
  }
  core().dpi_awareness_set = true;
  return TRUE;
}

UINT WINAPI GetDpiForWindow(HWND window) {
  if (PLATFORM_FAILS("GetDpiForWindow", platform_arg(window))) return 0;
  core_window* w = core_find(window);
  return w ? backend().window_dpi(w->native) : 0;
}

HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
  if (PLATFORM_FAILS("MonitorFromWindow", platform_arg(window), platform_arg_unsigned(flags))) return nullptr;
  core_window* w = core_find(window);
  if (!w && flags == MONITOR_DEFAULTTONULL) return nullptr;
  return reinterpret_cast<HMONITOR>(backend().window_monitor(w ? w->native : 0, flags));
}

BOOL WINAPI RegisterTouchWindow(HWND window, ULONG flags) {
  if (PLATFORM_FAILS("RegisterTouchWindow", platform_arg(window), platform_arg_unsigned(flags))) return FALSE;
  core_window* w = core_find(window);
  if (!w) return FALSE;
  backend().register_touch(w->native);
  return TRUE;
}

BOOL WINAPI GetTouchInputInfo(HTOUCHINPUT input, UINT count, PTOUCHINPUT inputs, int size) {
  if (PLATFORM_FAILS("GetTouchInputInfo", platform_arg(input), platform_arg_unsigned(count), platform_arg(size)))
    return FALSE;
  auto found = core().touches.find(input);
  if (found == core().touches.end() || !inputs || size != static_cast<int>(sizeof(TOUCHINPUT))) return FALSE;
  std::size_t n = std::min<std::size_t>(count, found->second.size());
  std::copy_n(found->second.begin(), n, inputs);
  return TRUE;
}

BOOL WINAPI CloseTouchInputHandle(HTOUCHINPUT input) {
  if (PLATFORM_FAILS("CloseTouchInputHandle", platform_arg(input))) return FALSE;
  return core().touches.erase(input) ? TRUE : FALSE;
}

BOOL WINAPI GetPointerType(UINT32 pointer_id, POINTER_INPUT_TYPE* type) {
  if (PLATFORM_FAILS("GetPointerType", platform_arg_unsigned(pointer_id))) return FALSE;
  auto found = core().pointers.find(pointer_id);
  if (!type || found == core().pointers.end()) return FALSE;
  *type = found->second.type;
  return TRUE;
}

BOOL WINAPI GetPointerPenInfo(UINT32 pointer_id, POINTER_PEN_INFO* info) {
  if (PLATFORM_FAILS("GetPointerPenInfo", platform_arg_unsigned(pointer_id))) return FALSE;
  auto found = core().pointers.find(pointer_id);
  if (!info || found == core().pointers.end() || !found->second.pen) return FALSE;
  *info = found->second.pen_info;
  return TRUE;
}

}  // extern "C"
