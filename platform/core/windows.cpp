// Window classes and windows: creation, destruction, showing, positioning.
#include <algorithm>
#include <vector>

#include "platform/core/core_state.h"

namespace {

constexpr LONG iconic_x = -32000;
constexpr LONG iconic_y = -32000;
constexpr LONG iconic_width = 160;
constexpr LONG iconic_height = 28;

// Coordinates and sizes stay far inside the range where rectangle arithmetic
// could overflow.
constexpr int coordinate_limit = 1 << 28;
int limit_coordinate(int value) { return std::clamp(value, -coordinate_limit, coordinate_limit); }
int limit_size(int value) { return std::clamp(value, 0, coordinate_limit); }
LONG limit_long(long long value) {
  return static_cast<LONG>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

bool is_overlapped(DWORD style) { return (style & (WS_POPUP | WS_CHILD)) == 0; }
bool has_minmax(DWORD style) { return (style & WS_THICKFRAME) || is_overlapped(style); }

LONG width_of(const RECT& r) { return r.right - r.left; }
LONG height_of(const RECT& r) { return r.bottom - r.top; }

RECT client_from_window(const RECT& window, const RECT& insets) {
  RECT client{window.left + insets.left, window.top + insets.top, window.right - insets.right,
              window.bottom - insets.bottom};
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

backend_show_state show_state_of(const core_window& w) {
  if (!w.visible) return backend_show_state::hidden;
  if (w.minimized) return backend_show_state::minimized;
  if (w.maximized) return backend_show_state::maximized;
  return backend_show_state::normal;
}

bool can_be_active(const core_window* w) {
  return w && w->visible && !w->minimized && !w->destroying && !(w->style & WS_CHILD);
}

// The window that becomes active when window gives up activation: its owner when
// that can be active, else the topmost other of ours that can, else none.
HWND next_active(HWND window) {
  core_window* w = core_find(window);
  core_window* owner = w ? core_find(w->parent) : nullptr;
  if (can_be_active(owner)) return owner->handle;
  for (HWND other : core().z_order)
    if (other != window && can_be_active(core_find(other))) return other;
  return nullptr;
}

// Hides a window (without WM_SHOWWINDOW) and hands its activation or focus on.
void hide_and_deactivate(HWND window, bool from_backend) {
  core_window* w = core_find(window);
  if (w && w->visible) {
    core_pos_change change;
    change.window_rect = w->window_rect;
    change.flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    change.from_backend = from_backend;
    core_set_window_pos(window, change, false);
  }
  core_state& s = core();
  if (s.active == window) {
    // The window that takes over is ours to name, also when the window system
    // hid this one: it would not pick it.
    const HWND next = next_active(window);
    core_set_active(next, from_backend && !next);
  } else if (s.focus == window) {
    core_set_focus(nullptr);
  }
}

void send_first_size(HWND window) {
  core_window* w = core_find(window);
  if (!w || !w->need_size) return;
  w->need_size = false;
  WPARAM kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
  RECT c = w->client_rect;
  core_send(window, WM_SIZE, kind, MAKELPARAM(width_of(c), height_of(c)));
  core_send(window, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
}

}  // namespace

RECT core_frame_insets(const core_window& w) { return backend().frame_insets(w.style, w.ex_style); }

MINMAXINFO core_min_max_info(const core_window* w) {
  RECT work = backend().work_area(w ? w->native : 0);
  RECT in = w ? core_frame_insets(*w) : RECT{};
  MINMAXINFO mmi{};
  mmi.ptMaxPosition = {work.left - in.left, work.top - in.bottom};
  mmi.ptMaxSize = {width_of(work) + in.left + in.right, height_of(work) + 2 * in.bottom};
  mmi.ptMaxTrackSize = {width_of(work) + in.left + in.right, height_of(work) + in.top + in.bottom};
  if (w && (w->style & (WS_CAPTION | WS_THICKFRAME))) mmi.ptMinTrackSize = {136, 39};
  return mmi;
}

void core_client_track_sizes(const core_window& w, const MINMAXINFO& mmi, SIZE& min_client, SIZE& max_client) {
  RECT in = core_frame_insets(w);
  min_client = {std::max<LONG>(0, mmi.ptMinTrackSize.x - in.left - in.right),
                std::max<LONG>(0, mmi.ptMinTrackSize.y - in.top - in.bottom)};
  max_client = {std::max<LONG>(min_client.cx, mmi.ptMaxTrackSize.x - in.left - in.right),
                std::max<LONG>(min_client.cy, mmi.ptMaxTrackSize.y - in.top - in.bottom)};
}

void core_set_window_pos(HWND window, core_pos_change change, bool activate_between) {
  core_window* w = core_find(window);
  if (!w) return;
  WINDOWPOS wp{window, nullptr, change.window_rect.left, change.window_rect.top, width_of(change.window_rect),
               height_of(change.window_rect), change.flags};
  if (change.state_changed) wp.flags |= SWP_STATECHANGED | SWP_FRAMECHANGED;
  if (!(wp.flags & SWP_NOSENDCHANGING)) core_send(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
  if (!(w = core_find(window))) return;

  // What the (possibly changed) request leaves the same counts as not asked for.
  RECT old_window = w->window_rect;
  RECT old_client = w->client_rect;
  if (wp.x == old_window.left && wp.y == old_window.top) wp.flags |= SWP_NOMOVE;
  if (wp.cx == width_of(old_window) && wp.cy == height_of(old_window)) wp.flags |= SWP_NOSIZE;
  RECT new_window = old_window;
  if (!(wp.flags & SWP_NOMOVE)) {
    new_window.left = wp.x;
    new_window.top = wp.y;
  }
  new_window.right = new_window.left + ((wp.flags & SWP_NOSIZE) ? width_of(old_window) : wp.cx);
  new_window.bottom = new_window.top + ((wp.flags & SWP_NOSIZE) ? height_of(old_window) : wp.cy);
  bool shown = (wp.flags & SWP_SHOWWINDOW) && !w->visible;
  bool hidden = (wp.flags & SWP_HIDEWINDOW) && w->visible;
  // Showing a visible window or hiding a hidden one is no change.
  if (!shown) wp.flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
  if (!hidden) wp.flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
  bool changes = !(wp.flags & SWP_NOMOVE) || !(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED) || shown ||
                 hidden || (activate_between && w->visible && core().active != window);
  if (!changes) return;  // nothing to do: no WM_WINDOWPOSCHANGED
  const std::vector<HWND>& z_order = core().z_order;
  bool was_on_top = !z_order.empty() && z_order.front() == window;

  RECT new_client;
  if (!(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = new_window;
    params.rgrc[1] = old_window;
    params.rgrc[2] = old_client;
    params.lppos = &wp;
    core_send(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    if (!(w = core_find(window))) return;
    new_client = params.rgrc[0];
  } else {
    LONG dx = new_window.left - old_window.left;
    LONG dy = new_window.top - old_window.top;
    new_client = {old_client.left + dx, old_client.top + dy, old_client.right + dx, old_client.bottom + dy};
  }
  w->window_rect = new_window;
  w->client_rect = new_client;
  if (new_client.left == old_client.left && new_client.top == old_client.top) wp.flags |= SWP_NOCLIENTMOVE;
  if (width_of(new_client) == width_of(old_client) && height_of(new_client) == height_of(old_client))
    wp.flags |= SWP_NOCLIENTSIZE;

  if (shown) w->visible = true;
  if (hidden) w->visible = false;
  if (!change.from_backend) {
    if (shown || hidden || change.state_changed) backend().set_show_state(w->native, show_state_of(*w));
    if (!change.state_changed && !w->minimized && !core_same_rect(new_client, old_client))
      backend().set_client_rect(w->native, new_client);
  }
  if (activate_between && w->visible) core_set_active(window, change.from_backend);
  if (!(w = core_find(window))) return;

  // The frame is redrawn and newly exposed client area erased now; the client is
  // painted by WM_PAINT later.
  if (w->visible && !w->minimized && !(wp.flags & SWP_NOREDRAW)) {
    bool grew = width_of(new_client) > width_of(old_client) || height_of(new_client) > height_of(old_client);
    bool exposed = shown || grew;
    if (exposed || !(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED)) core_send(window, WM_NCPAINT, 1, 0);
    if (exposed && (w = core_find(window))) {
      w->need_paint = true;
      LRESULT erased = core_send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(core_paint_dc(window)), 0);
      if ((w = core_find(window))) w->need_erase = erased == 0;
    }
    if (!core_find(window)) return;
  }
  // Only activation reorders windows (to the top); a place kept counts as not asked for.
  if (was_on_top || z_order.empty() || z_order.front() != window) wp.flags |= SWP_NOZORDER;
  core_send(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

BOOL core_show_window(HWND window, int command, bool from_backend, const RECT* target) {
  core_window* w = core_find(window);
  if (!w) return FALSE;
  core_state& s = core();
  bool was_visible = w->visible;
  bool was_minimized = w->minimized;
  UINT show_flag = was_visible ? 0 : SWP_SHOWWINDOW;
  core_pos_change change;
  change.from_backend = from_backend;

  if (command == SW_HIDE) {
    if (!was_visible) return FALSE;
    core_send(window, WM_SHOWWINDOW, FALSE, 0);
    hide_and_deactivate(window, from_backend);
    return TRUE;
  }

  bool minimize = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE;
  bool maximize = command == SW_MAXIMIZE;
  bool restore = (command == SW_SHOWNORMAL || command == SW_RESTORE || command == SW_SHOWNOACTIVATE ||
                  command == SW_SHOWDEFAULT) &&
                 (w->minimized || w->maximized);
  // What the window system changes it reports without activating: that comes
  // as a change of the foreground of its own.
  bool activate = !minimize && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && !from_backend;
  if ((restore || maximize) && w->minimized) {
    // A minimized window may refuse to be opened again.
    LRESULT open = core_send(window, WM_QUERYOPEN, 0, 0);
    if (!(w = core_find(window))) return FALSE;
    if (!open) restore = maximize = false;
  }
  if (restore && command == SW_RESTORE && w->minimized && w->restore_to_maximized) {
    maximize = true;
    restore = false;
  }
  bool state_change = (minimize && !w->minimized) || (maximize && (!w->maximized || w->minimized)) || restore;
  // A window system that carries the change out itself reports it when it
  // shows it (or never, when it refuses).
  if (state_change && was_visible && !from_backend) {
    const backend_show_state wanted = minimize   ? backend_show_state::minimized
                                      : maximize ? backend_show_state::maximized
                                                 : backend_show_state::normal;
    if (backend().request_show_state(w->native, wanted, activate)) return TRUE;
    if (!(w = core_find(window))) return FALSE;
  }
  // A change of state shows the window without WM_SHOWWINDOW, and so does SW_MAXIMIZE.
  if (!was_visible && !state_change && !maximize) {
    core_send(window, WM_SHOWWINDOW, TRUE, 0);
    if (!(w = core_find(window))) return FALSE;
  }
  // A window being minimized gives up the focus first.
  core_window* focus = core_find(s.focus);
  if (minimize && !w->minimized && focus && (s.focus == window || focus->parent == window)) {
    core_set_focus(nullptr);
    if (!(w = core_find(window))) return FALSE;
  }

  if (minimize && !w->minimized) {
    w->restore_to_maximized = w->maximized;
    if (!w->maximized) w->normal_rect = w->window_rect;
    w->minimized = true;
    w->maximized = false;
    change.window_rect = {iconic_x, iconic_y, iconic_x + iconic_width, iconic_y + iconic_height};
    // SWP_SHOWWINDOW also for a visible window: WM_WINDOWPOSCHANGED drops it then.
    change.flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    change.state_changed = true;
  } else if (maximize && (!w->maximized || w->minimized)) {
    MINMAXINFO mmi = core_min_max_info(w);
    core_send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (!(w = core_find(window))) return FALSE;
    if (!w->minimized && !w->maximized) w->normal_rect = w->window_rect;
    w->minimized = false;
    w->maximized = true;
    change.window_rect = target ? *target
                                : RECT{mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxPosition.x + mmi.ptMaxSize.x,
                                       mmi.ptMaxPosition.y + mmi.ptMaxSize.y};
    change.flags = show_flag;
    change.state_changed = true;
  } else if (restore) {
    w->minimized = false;
    w->maximized = false;
    if (target) w->normal_rect = *target;
    change.window_rect = w->normal_rect;
    change.flags = show_flag;
    change.state_changed = true;
  } else if (!was_visible) {
    change.window_rect = w->window_rect;
    change.flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
  } else {
    if (activate && s.active != window && !w->minimized) core_set_active(window, from_backend);
    return TRUE;
  }
  // An activated window is asked to the top. Entering or leaving the iconic size
  // leaves no client area worth copying.
  if (!activate || w->minimized) change.flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  if (w->minimized != was_minimized) change.flags |= SWP_NOCOPYBITS;
  core_set_window_pos(window, change, activate && !w->minimized);
  send_first_size(window);
  if (minimize && command != SW_SHOWMINNOACTIVE && s.active == window) core_set_active(next_active(window), from_backend);
  if (minimize && s.focus == window) core_set_focus(nullptr);
  return was_visible ? TRUE : FALSE;
}

BOOL core_destroy_window(HWND window, bool native_gone) {
  core_window* w = core_find(window);
  if (!w || w->destroying) return FALSE;
  core_state& s = core();
  w->destroying = true;
  // A native window that is gone already is not asked to change while the messages
  // are sent; the back-end still frees what it kept for it at the end.
  const native_handle gone_native = native_gone ? w->native : 0;
  if (native_gone) w->native = 0;
  hide_and_deactivate(window, false);

  std::vector<HWND> owned;
  for (const auto& entry : s.windows)
    if (entry.second->parent == window) owned.push_back(entry.first);
  for (HWND child : owned) DestroyWindow(child);

  if (s.capture == window) {
    s.capture = nullptr;
    backend().set_capture(0);
    core_send(window, WM_CAPTURECHANGED, 0, 0);
  }
  core_send(window, WM_DESTROY, 0, 0);
  core_send(window, WM_NCDESTROY, 0, 0);

  if (!(w = core_find(window))) return TRUE;
  for (auto dc = s.dcs.begin(); dc != s.dcs.end();)
    dc = dc->second.window == window ? s.dcs.erase(dc) : std::next(dc);
  core_purge_queue(window);
  s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), window), s.z_order.end());
  if (s.focus == window) s.focus = nullptr;
  if (s.active == window) s.active = nullptr;
  native_handle native = native_gone ? gone_native : w->native;
  s.windows.erase(window);
  backend().destroy_window(native);
  return TRUE;
}

extern "C" {

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (PLATFORM_FAILS("RegisterClassW", platform_arg(wc ? wc->lpszClassName : nullptr),
                     platform_arg_unsigned(wc ? wc->style : 0)))
    return 0;
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) return 0;
  core_state& s = core();
  std::u16string name(wc->lpszClassName);
  if (s.classes.count(name)) return 0;
  core_class& c = s.classes[name];
  c.wc = *wc;
  c.name = name;
  c.wc.lpszClassName = c.name.c_str();
  c.atom = s.next_atom++;
  return c.atom;
}

HWND WINAPI CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  if (PLATFORM_FAILS("CreateWindowExW", platform_arg_unsigned(ex_style), platform_arg(class_name),
                     platform_arg(title), platform_arg_unsigned(style), platform_arg(x), platform_arg(y),
                     platform_arg(width), platform_arg(height), platform_arg(parent), platform_arg(menu),
                     platform_arg(instance), platform_arg(param)))
    return nullptr;
  core_state& s = core();
  const core_class* cls = nullptr;
  for (const auto& entry : s.classes) {
    bool by_atom = IS_INTRESOURCE(class_name) &&
                   entry.second.atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(class_name));
    if (by_atom || (class_name && !IS_INTRESOURCE(class_name) && entry.first == class_name)) cls = &entry.second;
  }
  if (!cls) return nullptr;
  if (parent && !core_find(parent)) return nullptr;
  if ((style & WS_CHILD) && !parent) return nullptr;

  bool visible = style & WS_VISIBLE;
  DWORD real_style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  bool need_size = false;
  if (is_overlapped(real_style)) {
    real_style |= WS_CAPTION | WS_CLIPSIBLINGS;
    need_size = true;
  } else if (!(real_style & WS_CHILD)) {
    real_style |= WS_CLIPSIBLINGS;
  }
  RECT defaults = backend().default_window_rect();
  if (x == CW_USEDEFAULT) {
    x = is_overlapped(real_style) ? defaults.left : 0;
    y = is_overlapped(real_style) ? defaults.top : 0;
  }
  if (width == CW_USEDEFAULT) {
    width = is_overlapped(real_style) ? width_of(defaults) : 0;
    height = is_overlapped(real_style) ? height_of(defaults) : 0;
  }
  x = limit_coordinate(x);
  y = limit_coordinate(y);
  width = limit_size(width);
  height = limit_size(height);

  auto owned = std::make_unique<core_window>();
  core_window* w = owned.get();
  HWND handle = core_new_handle<HWND>();
  w->handle = handle;
  w->proc = cls->wc.lpfnWndProc;
  w->class_style = cls->wc.style;
  w->class_cursor = cls->wc.hCursor;
  w->class_brush = cls->wc.hbrBackground;
  w->style = real_style;
  w->ex_style = ex_style;
  w->parent = parent;
  w->need_size = need_size;

  backend_window_desc desc;
  if (has_minmax(real_style)) {
    MINMAXINFO mmi = core_min_max_info(w);
    s.windows[handle] = std::move(owned);
    core_send(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (!(w = core_find(handle))) return nullptr;
    width = std::clamp<int>(width, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
    height = std::clamp<int>(height, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
    core_client_track_sizes(*w, mmi, desc.min_client, desc.max_client);
  } else {
    s.windows[handle] = std::move(owned);
  }
  w->window_rect = {x, y, x + width, y + height};
  w->normal_rect = w->window_rect;
  w->client_rect = client_from_window(w->window_rect, core_frame_insets(*w));

  desc.window = handle;
  desc.style = real_style;
  desc.ex_style = ex_style;
  desc.client = w->client_rect;
  desc.title = title ? std::u16string(title) : std::u16string();
  desc.owner = parent;
  core_window* owner = core_find(parent);
  desc.owner_native = owner ? owner->native : 0;
  w->native = backend().create_window(desc);
  if (!w->native) {
    s.windows.erase(handle);
    return nullptr;
  }
  if (!(real_style & WS_CHILD)) s.z_order.insert(s.z_order.begin(), handle);

  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title,
                   class_name, ex_style};
  if (!core_send(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    core_send(handle, WM_NCDESTROY, 0, 0);
    s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), handle), s.z_order.end());
    if ((w = core_find(handle))) {
      backend().destroy_window(w->native);
      s.windows.erase(handle);
    }
    return nullptr;
  }
  if (!(w = core_find(handle))) return nullptr;
  RECT calc = w->window_rect;
  core_send(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
  if (!(w = core_find(handle))) return nullptr;
  if (!core_same_rect(calc, w->client_rect)) {
    w->client_rect = calc;
    backend().set_client_rect(w->native, calc);
  }
  if (core_send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!(w = core_find(handle))) return nullptr;
  if (!w->need_size) {
    w->need_size = true;
    send_first_size(handle);
  }
  if (visible) core_show_window(handle, SW_SHOW, false);
  return core_find(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
  if (PLATFORM_FAILS("DestroyWindow", platform_arg(window))) return FALSE;
  if (!core_find_or_fail(window)) return FALSE;
  return core_destroy_window(window, false);
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  if (PLATFORM_FAILS("ShowWindow", platform_arg(window), platform_arg(command))) return FALSE;
  if (!core_find_or_fail(window)) return FALSE;
  return core_show_window(window, command, false);
}

BOOL WINAPI UpdateWindow(HWND window) {
  if (PLATFORM_FAILS("UpdateWindow", platform_arg(window))) return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w) return FALSE;
  if (w->visible && !w->minimized && w->need_paint) core_send(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
  if (PLATFORM_FAILS("SetWindowPos", platform_arg(window), platform_arg(insert_after), platform_arg(x),
                     platform_arg(y), platform_arg(cx), platform_arg(cy), platform_arg_unsigned(flags)))
    return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w) return FALSE;
  core_state& s = core();
  RECT old = w->window_rect;
  x = limit_coordinate(x);
  y = limit_coordinate(y);
  cx = limit_size(cx);
  cy = limit_size(cy);
  core_pos_change change;
  change.window_rect = {x, y, x + cx, y + cy};
  if (flags & SWP_NOMOVE) change.window_rect = {old.left, old.top, old.left + cx, old.top + cy};
  change.flags = flags & (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                          SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
  bool activate = !(flags & SWP_NOACTIVATE) && s.active != window && !(w->style & WS_CHILD);
  core_set_window_pos(window, change, activate);
  w = core_find(window);
  if (w && !w->visible && s.active == window) core_set_active(next_active(window), false);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  if (PLATFORM_FAILS("GetWindowRect", platform_arg(window))) return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w || !rect) return FALSE;
  *rect = w->window_rect;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (PLATFORM_FAILS("GetClientRect", platform_arg(window))) return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w || !rect) return FALSE;
  *rect = {0, 0, width_of(w->client_rect), height_of(w->client_rect)};
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return core_find(window) ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND window) {
  for (core_window* w = core_find(window); w; w = (w->style & WS_CHILD) ? core_find(w->parent) : nullptr)
    if (!w->visible) return FALSE;
  return core_find(window) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND window) {
  if (PLATFORM_FAILS("IsZoomed", platform_arg(window))) return FALSE;
  core_window* w = core_find(window);
  return w && w->maximized ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
  core_window* w = core_find(window);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style) {
  if (PLATFORM_FAILS("AdjustWindowRectEx", platform_arg(rect ? rect->left : 0), platform_arg(rect ? rect->top : 0),
                     platform_arg(rect ? rect->right : 0), platform_arg(rect ? rect->bottom : 0),
                     platform_arg_unsigned(style), platform_arg(menu), platform_arg_unsigned(ex_style)))
    return FALSE;
  if (!rect) return FALSE;
  RECT in = backend().frame_insets(style, ex_style);
  rect->left = limit_long(static_cast<long long>(rect->left) - in.left);
  rect->top = limit_long(static_cast<long long>(rect->top) - in.top - (menu ? 20 : 0));
  rect->right = limit_long(static_cast<long long>(rect->right) + in.right);
  rect->bottom = limit_long(static_cast<long long>(rect->bottom) + in.bottom);
  return TRUE;
}

BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
  if (PLATFORM_FAILS("SetWindowTextW", platform_arg(window), platform_arg(text))) return FALSE;
  if (!core_find(window)) return FALSE;
  return static_cast<BOOL>(core_send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
  if (PLATFORM_FAILS("ScreenToClient", platform_arg(window), platform_arg(point ? point->x : 0),
                     platform_arg(point ? point->y : 0)))
    return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w || !point) return FALSE;
  point->x = limit_long(static_cast<long long>(point->x) - w->client_rect.left);
  point->y = limit_long(static_cast<long long>(point->y) - w->client_rect.top);
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
  if (PLATFORM_FAILS("ClientToScreen", platform_arg(window))) return FALSE;
  core_window* w = core_find_or_fail(window);
  if (!w || !point) return FALSE;
  point->x = limit_long(static_cast<long long>(point->x) + w->client_rect.left);
  point->y = limit_long(static_cast<long long>(point->y) + w->client_rect.top);
  return TRUE;
}

}  // extern "C"
