// The thread's message queue, message dispatch and the default window procedure.
#include <algorithm>

#include "platform/core/core_state.h"

namespace {

bool matches(const MSG& msg, HWND window, UINT first, UINT last) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd) return false;
  } else if (window && msg.hwnd != window) {
    return false;
  }
  return (first == 0 && last == 0) || (msg.message >= first && msg.message <= last);
}

// GetKeyState follows the key messages as the thread retrieves them.
void track_key_state(const MSG& msg) {
  bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if ((!down && !up) || msg.wParam > 255) return;
  BYTE* state = core().key_state;
  auto set = [&](WPARAM vk) {
    if (down) {
      if (!(state[vk] & 0x80)) state[vk] ^= 0x01;
      state[vk] |= 0x80;
    } else {
      state[vk] &= static_cast<BYTE>(~0x80);
    }
  };
  set(msg.wParam);
  bool extended = (msg.lParam >> 24) & 1;
  if (msg.wParam == VK_SHIFT) set(((msg.lParam >> 16) & 0xFF) == 0x36 ? VK_RSHIFT : VK_LSHIFT);
  if (msg.wParam == VK_CONTROL) set(extended ? VK_RCONTROL : VK_LCONTROL);
  if (msg.wParam == VK_MENU) set(extended ? VK_RMENU : VK_LMENU);
}

bool take(std::deque<queued_message>& queue, LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!matches(it->msg, window, first, last)) continue;
    *msg = it->msg;
    core().extra_info = it->extra_info;
    if (remove & PM_REMOVE) {
      queue.erase(it);
      track_key_state(*msg);
    }
    return true;
  }
  return false;
}

LONG width_of(const RECT& r) { return r.right - r.left; }
LONG height_of(const RECT& r) { return r.bottom - r.top; }

}  // namespace

LRESULT core_default_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  core_window* w = core_find(window);
  core_state& s = core();
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (w && cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        w->title = cs->lpszName;
        backend().set_title(w->native, w->title);
      }
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      if (!w || !lParam) return 0;
      RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      if (w->minimized) {
        *r = {r->left, r->top, r->left, r->top};
        return 0;
      }
      RECT in = core_frame_insets(*w);
      r->left += in.left;
      r->top += in.top;
      r->right = std::max(r->left, r->right - in.right);
      r->bottom = std::max(r->top, r->bottom - in.bottom);
      return 0;
    }
    case WM_NCHITTEST: {
      if (!w) return HTNOWHERE;
      POINT p{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      const RECT& c = w->client_rect;
      const RECT& r = w->window_rect;
      if (p.x >= c.left && p.x < c.right && p.y >= c.top && p.y < c.bottom) return HTCLIENT;
      if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return HTNOWHERE;
      if (w->style & WS_THICKFRAME) {
        // The sizing border above the caption is as thick as the one below the client area.
        bool left = p.x < c.left, right = p.x >= c.right, bottom = p.y >= c.bottom;
        bool top = p.y < r.top + (r.bottom - c.bottom);
        if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
      }
      if (p.y < c.top && (w->style & WS_CAPTION) == WS_CAPTION) return HTCAPTION;
      return HTBORDER;
    }
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION) core_send(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          core_send(window, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          core_show_window(window, SW_MINIMIZE, false);
          break;
        case SC_MAXIMIZE:
          core_show_window(window, SW_MAXIMIZE, false);
          break;
        case SC_RESTORE:
          core_show_window(window, SW_RESTORE, false);
          break;
        case SC_MOVE:
          if (w) backend().begin_move(w->native, {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
          break;
        default:
          break;
      }
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the window through the system command.
      if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SETCURSOR: {
      int hit = static_cast<SHORT>(LOWORD(lParam));
      if (hit == HTCLIENT) {
        // A class without a cursor leaves the shape to the window.
        if (w && w->class_cursor) SetCursor(w->class_cursor);
        return w && w->class_cursor ? TRUE : FALSE;
      }
      LPCSTR shape = IDC_ARROW;
      if (hit == HTLEFT || hit == HTRIGHT) shape = IDC_SIZEWE;
      if (hit == HTTOP || hit == HTBOTTOM) shape = IDC_SIZENS;
      if (hit == HTTOPLEFT || hit == HTBOTTOMRIGHT) shape = IDC_SIZENWSE;
      if (hit == HTTOPRIGHT || hit == HTBOTTOMLEFT) shape = IDC_SIZENESW;
      if (hit == HTERROR) return FALSE;
      SetCursor(LoadCursorA(nullptr, shape));
      return TRUE;
    }
    case WM_ERASEBKGND:
      return w && w->class_brush ? 1 : 0;
    case WM_PAINT:
      if (w) {
        w->need_paint = false;
        if (w->need_erase) {
          w->need_erase = false;
          core_send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(core_paint_dc(window)), 0);
        }
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && w && !w->minimized) core_set_focus(window);
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_CANCELMODE:
      if (s.capture == window) ReleaseCapture();
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!w || !wp || (wp->flags & SWP_NOSIZE)) return 0;
      if (!(w->style & WS_THICKFRAME) && (w->style & (WS_POPUP | WS_CHILD))) return 0;
      MINMAXINFO mmi = core_min_max_info(w);
      core_send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
      if (!(w = core_find(window)) || w->minimized) return 0;  // the iconic size is not tracked
      wp->cx = std::clamp<int>(wp->cx, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
      wp->cy = std::clamp<int>(wp->cy, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
      SIZE min_client{}, max_client{};
      core_client_track_sizes(*w, mmi, min_client, max_client);
      backend().set_size_limits(w->native, min_client, max_client);
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!w || !wp) return 0;
      RECT c = w->client_rect;
      if (!(wp->flags & SWP_NOCLIENTMOVE)) core_send(window, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
      if (!(w = core_find(window))) return 0;
      if (!(wp->flags & SWP_NOCLIENTSIZE) || (wp->flags & SWP_STATECHANGED)) {
        WPARAM kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
        c = w->client_rect;
        core_send(window, WM_SIZE, kind, MAKELPARAM(width_of(c), height_of(c)));
      }
      return 0;
    }
    case WM_SETTEXT:
      if (!w) return FALSE;
      w->title = lParam ? std::u16string(reinterpret_cast<LPCWSTR>(lParam)) : std::u16string();
      backend().set_title(w->native, w->title);
      return TRUE;
    case WM_GETTEXTLENGTH:
      return w ? static_cast<LRESULT>(w->title.size()) : 0;
    case WM_GETTEXT: {
      if (!w || !lParam || wParam == 0) return 0;
      std::size_t n = std::min<std::size_t>(w->title.size(), wParam - 1);
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      std::copy_n(w->title.begin(), n, out);
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_IME_COMPOSITION:
      if ((lParam & GCS_RESULTSTR) && w)
        for (char16_t unit : std::u16string(w->ime_result)) core_send(window, WM_IME_CHAR, unit, 1);
      return 0;
    case WM_IME_CHAR:
      PostMessageW(window, WM_CHAR, wParam, lParam);
      return 0;
    case WM_TOUCH:
      CloseTouchInputHandle(reinterpret_cast<HTOUCHINPUT>(lParam));
      return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_RBUTTONUP:
      // A right click asks for the context menu, at the screen point.
      if (w) {
        POINT p{static_cast<SHORT>(LOWORD(lParam)) + w->client_rect.left,
                static_cast<SHORT>(HIWORD(lParam)) + w->client_rect.top};
        core_send(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(p.x, p.y));
      }
      return 0;
    default:
      return 0;
  }
}

extern "C" {

BOOL WINAPI PeekMessageW(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
  if (PLATFORM_FAILS("PeekMessageW", platform_arg(window), platform_arg_unsigned(first), platform_arg_unsigned(last),
                     platform_arg_unsigned(remove)))
    return FALSE;
  if (!msg) return FALSE;
  backend().pump_events();
  core_state& s = core();
  if (take(s.posted, msg, window, first, last, remove)) return TRUE;
  if (take(s.input, msg, window, first, last, remove)) return TRUE;
  if (s.quit_posted && window != reinterpret_cast<HWND>(-1) && matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, first, last)) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quit_code), 0, s.message_time, {}};
    s.extra_info = 0;
    if (remove & PM_REMOVE) s.quit_posted = false;
    return TRUE;
  }
  for (const auto& entry : s.windows) {
    const core_window& w = *entry.second;
    if (!w.visible || w.minimized || !w.need_paint) continue;  // an iconic window has nothing to paint
    MSG paint{w.handle, WM_PAINT, 0, 0, s.message_time, {}};
    if (!matches(paint, window, first, last)) continue;
    *msg = paint;
    s.extra_info = 0;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (PLATFORM_FAILS("TranslateMessage", platform_arg(msg ? msg->hwnd : nullptr),
                     platform_arg_unsigned(msg ? msg->message : 0)))
    return FALSE;
  if (!msg) return FALSE;
  if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) return TRUE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  UINT char_message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  for (char16_t unit : backend().key_text(msg->message, msg->wParam, msg->lParam))
    core_post(msg->hwnd, char_message, unit, msg->lParam, 0, false);
  return TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (PLATFORM_FAILS("DispatchMessageW", platform_arg(msg ? msg->hwnd : nullptr),
                     platform_arg_unsigned(msg ? msg->message : 0), platform_arg_unsigned(msg ? msg->wParam : 0),
                     platform_arg(msg ? msg->lParam : 0)))
    return 0;
  if (!msg || !msg->hwnd) return 0;
  return core_send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PLATFORM_FAILS("SendMessageW", platform_arg(window), platform_arg_unsigned(message), platform_arg_unsigned(wParam),
                     platform_arg(lParam)))
    return 0;
  return core_send(window, message, wParam, lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PLATFORM_FAILS("SendMessageA", platform_arg(window), platform_arg_unsigned(message), platform_arg_unsigned(wParam),
                     platform_arg(lParam)))
    return 0;
  return core_send(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PLATFORM_FAILS("PostMessageW", platform_arg(window), platform_arg_unsigned(message), platform_arg_unsigned(wParam),
                     platform_arg(lParam)))
    return FALSE;
  if (window && !core_find(window)) return FALSE;
  core_post(window, message, wParam, lParam, 0, false);
  return TRUE;
}

void WINAPI PostQuitMessage(int exit_code) {
  PLATFORM_FAILS("PostQuitMessage", platform_arg(exit_code));
  core().quit_posted = true;
  core().quit_code = exit_code;
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PLATFORM_FAILS("DefWindowProcW", platform_arg(window), platform_arg_unsigned(message),
                     platform_arg_unsigned(wParam), platform_arg(lParam)))
    return 0;
  return core_default_proc(window, message, wParam, lParam);
}

LPARAM WINAPI GetMessageExtraInfo() {
  PLATFORM_FAILS("GetMessageExtraInfo");
  return core().extra_info;
}

}  // extern "C"
