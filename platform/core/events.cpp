// The entry points of platform/core/core.h: native events into Win32 messages.
#include "platform/core/core.h"
#include "platform/core/core_state.h"

namespace {

LONG width_of(const RECT& r) { return r.right - r.left; }
LONG height_of(const RECT& r) { return r.bottom - r.top; }

bool is_button_down(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN ||
         message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK;
}

bool is_input_message(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_NCMOUSEMOVE && message <= 0x00AD) ||
         (message >= WM_POINTERUPDATE && message <= WM_POINTERUP);
}

}  // namespace

HWND platform_window_from_native(native_handle window) {
  if (!window) return nullptr;
  for (const auto& entry : core().windows)
    if (entry.second->native == window) return entry.first;
  return nullptr;
}

native_handle platform_native_window(HWND window) {
  core_window* w = core_find(window);
  return w ? w->native : 0;
}

void platform_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info) {
  core_post(window, message, wParam, lParam, extra_info, is_input_message(message));
}

void platform_post_mouse(HWND window, UINT message, WPARAM wParam, POINT screen, LPARAM extra_info) {
  core_state& s = core();
  s.message_pos = screen;
  LPARAM screen_lparam = MAKELPARAM(screen.x, screen.y);
  if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
    HWND target = s.focus ? s.focus : window;
    if (core_find(target)) core_post(target, message, wParam, screen_lparam, extra_info, true);
    return;
  }
  HWND target = s.capture ? s.capture : window;
  core_window* w = core_find(target);
  if (!w) return;
  LRESULT hit = HTCLIENT;
  if (!s.capture) {
    hit = core_send(target, WM_NCHITTEST, 0, screen_lparam);
    if (!core_find(target)) return;
    // A press on a window that is not active asks it whether to activate, and
    // whether the press itself still counts.
    HWND top = core_top_level(target);
    if (is_button_down(message) && top && s.active != top && hit != HTNOWHERE && hit != HTTRANSPARENT &&
        hit != HTERROR) {
      const LRESULT answer =
          core_send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, message));
      if ((answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) && core_find(top))
        core_set_active(top, false, WA_CLICKACTIVE);
      if (!core_find(target) || answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return;
    }
    core_send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, message));
    if (!(w = core_find(target))) return;
  }
  if (hit == HTCLIENT) {
    core_post(target, message, wParam, MAKELPARAM(screen.x - w->client_rect.left, screen.y - w->client_rect.top),
              extra_info, true);
  } else if (hit != HTNOWHERE && hit != HTTRANSPARENT && hit != HTERROR && message >= WM_MOUSEMOVE &&
             message <= WM_MBUTTONDBLCLK) {
    core_post(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), screen_lparam, extra_info,
              true);
  }
}

void platform_window_configured(HWND window, const RECT& client) {
  core_window* w = core_find(window);
  if (!w) return;
  RECT in = core_frame_insets(*w);
  core_pos_change change;
  change.window_rect = {client.left - in.left, client.top - in.top, client.right + in.right, client.bottom + in.bottom};
  if (w->minimized) {
    // Moved or resized while minimized (by another program): restored, it is there.
    w->normal_rect = change.window_rect;
    return;
  }
  change.flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (change.window_rect.left == w->window_rect.left && change.window_rect.top == w->window_rect.top)
    change.flags |= SWP_NOMOVE;
  if (width_of(change.window_rect) == width_of(w->window_rect) &&
      height_of(change.window_rect) == height_of(w->window_rect))
    change.flags |= SWP_NOSIZE;
  if ((change.flags & SWP_NOMOVE) && (change.flags & SWP_NOSIZE)) return;
  change.from_backend = true;
  core_set_window_pos(window, change, false);
  if (!(w = core_find(window))) return;
  if (!w->maximized) w->normal_rect = w->window_rect;
  // The window procedure has the last word on its place and size (the default
  // handling keeps it within its tracking size): what it kept of the change is
  // what the native window gets.
  if (!w->minimized && !core_same_rect(w->client_rect, client)) backend().set_client_rect(w->native, w->client_rect);
}

void platform_window_state_changed(HWND window, backend_show_state state, const RECT* client,
                                   bool restores_maximized) {
  core_window* w = core_find(window);
  if (!w) return;
  if (state == backend_show_state::hidden) {
    core_show_window(window, SW_HIDE, true);
    return;
  }
  // A hidden window the window system shows again is shown as it was first
  // (WM_SHOWWINDOW: a change of state alone would show it without), then put in
  // the state reported.
  if (!w->visible) {
    core_show_window(window, SW_SHOWNA, true);
    if (!(w = core_find(window))) return;
  }
  RECT target{};
  if (client) {
    const RECT in = core_frame_insets(*w);
    target = {client->left - in.left, client->top - in.top, client->right + in.right, client->bottom + in.bottom};
  }
  switch (state) {
    case backend_show_state::minimized:
      if (!w->minimized) core_show_window(window, SW_SHOWMINNOACTIVE, true);
      // Maximized on its way to the icon (both in one change of the window
      // system's): restored, it is maximized again, and its area is the one
      // it had before.
      if (restores_maximized && (w = core_find(window)) && w->minimized) {
        w->restore_to_maximized = true;
        return;
      }
      break;
    case backend_show_state::maximized:
      if (!w->maximized || w->minimized) core_show_window(window, SW_MAXIMIZE, true, client ? &target : nullptr);
      break;
    case backend_show_state::normal:
      if (w->minimized || w->maximized) core_show_window(window, SW_SHOWNOACTIVATE, true, client ? &target : nullptr);
      break;
    case backend_show_state::hidden:
      break;
  }
  if (!(w = core_find(window))) return;
  // Whatever the change itself left elsewhere (a minimized window's restored
  // area included).
  if (client) platform_window_configured(window, *client);
  // The active window, shown, holds the keyboard focus.
  core_state& s = core();
  if ((w = core_find(window)) && s.active == window && !s.focus && w->visible && !w->minimized) core_set_focus(window);
}

bool platform_window_view_of(HWND window, platform_window_view& view) {
  const core_window* w = core_find(window);
  if (!w) return false;
  view.state = !w->visible ? backend_show_state::hidden
               : w->minimized ? backend_show_state::minimized
               : w->maximized ? backend_show_state::maximized
                              : backend_show_state::normal;
  view.client = w->client_rect;
  const RECT in = core_frame_insets(*w);
  view.restore_client = {w->normal_rect.left + in.left, w->normal_rect.top + in.top, w->normal_rect.right - in.right,
                         w->normal_rect.bottom - in.bottom};
  view.restores_maximized = w->minimized && w->restore_to_maximized;
  return true;
}

void platform_foreground_changed(HWND window) {
  // A window out of sight takes no activation, whatever holds the focus.
  core_window* w = core_find(window);
  core_set_active(w && w->visible && !w->minimized ? window : nullptr, true);
}

void platform_capture_lost() {
  core_state& s = core();
  HWND previous = s.capture;
  if (!previous) return;
  s.capture = nullptr;
  core_send(previous, WM_CAPTURECHANGED, 0, 0);
}

void platform_close_requested(HWND window) {
  if (core_find(window)) core_send(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void platform_window_destroyed(HWND window) { core_destroy_window(window, true); }

HTOUCHINPUT platform_post_touch(HWND window, const std::vector<TOUCHINPUT>& inputs, LPARAM extra_info) {
  if (!core_find(window)) return nullptr;
  HTOUCHINPUT handle = core_new_handle<HTOUCHINPUT>();
  core().touches[handle] = inputs;
  core_post(window, WM_TOUCH, MAKEWPARAM(inputs.size(), 0), reinterpret_cast<LPARAM>(handle), extra_info, false);
  return handle;
}

void platform_set_pointer(UINT32 pointer_id, POINTER_INPUT_TYPE type, const POINTER_PEN_INFO* pen) {
  core_pointer& p = core().pointers[pointer_id];
  p.type = type;
  p.pen = pen != nullptr;
  p.pen_info = pen ? *pen : POINTER_PEN_INFO{};
}

void platform_set_ime_strings(HWND window, const std::u16string& composition, const std::u16string& result) {
  core_window* w = core_find(window);
  if (!w) return;
  w->ime_composition = composition;
  w->ime_result = result;
}

HDROP platform_post_drop(HWND window, const std::vector<std::u16string>& paths, POINT point, std::uintptr_t token) {
  if (!core_find(window)) return nullptr;
  HDROP handle = core_new_handle<HDROP>();
  core().drops[handle] = core_drop{window, paths, point, token};
  core_post(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0, 0, false);
  return handle;
}
