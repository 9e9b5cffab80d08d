#pragma once
// The core's own state: classes, windows, queues, device contexts, GDI objects
// and GL contexts. Internal to platform/core and the back-ends' tests.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/call_log.h"

struct core_class {
  WNDCLASSW wc{};
  std::u16string name;
  ATOM atom = 0;
};

struct core_window {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  UINT class_style = 0;
  HCURSOR class_cursor = nullptr;
  HBRUSH class_brush = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;
  RECT window_rect{};  // screen coordinates
  RECT client_rect{};  // screen coordinates
  RECT normal_rect{};  // window rectangle to restore to
  std::u16string title;
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool restore_to_maximized = false;
  bool need_size = false;  // overlapped windows get their first WM_SIZE/WM_MOVE when shown
  bool need_paint = false;
  bool need_erase = false;
  bool destroying = false;
  native_handle native = 0;
  HDC own_dc = nullptr;
  int pixel_format = 0;
  HIMC ime_context = nullptr;
  std::u16string ime_composition;
  std::u16string ime_result;
};

struct core_dc {
  HWND window = nullptr;  // null: the screen
  HGDIOBJ font = nullptr;
  HGDIOBJ brush = nullptr;
  bool owned = false;  // CS_OWNDC: lives as long as its window
};

enum class gdi_kind { font, brush };

struct core_gdi_object {
  gdi_kind kind = gdi_kind::font;
  native_handle native = 0;
  bool stock = false;
  bool deleted = false;  // DeleteObject while selected: freed once deselected
};

struct core_gl_context {
  native_handle native = 0;
  int format = 0;
};

struct queued_message {
  MSG msg{};
  LPARAM extra_info = 0;
};

struct core_drop {
  HWND window = nullptr;
  std::vector<std::u16string> paths;
  POINT point{};
  std::uintptr_t token = 0;
};

struct core_pointer {
  POINTER_INPUT_TYPE type = PT_POINTER;
  bool pen = false;
  POINTER_PEN_INFO pen_info{};
};

struct core_state {
  std::map<std::u16string, core_class> classes;
  ATOM next_atom = 0xC000;
  std::map<HWND, std::unique_ptr<core_window>> windows;
  std::vector<HWND> z_order;  // top-level windows, topmost first
  std::uintptr_t next_handle = 0x10010;

  std::deque<queued_message> posted;
  std::deque<queued_message> input;
  bool quit_posted = false;
  int quit_code = 0;
  LPARAM extra_info = 0;
  DWORD message_time = 0;
  POINT message_pos{};  // cursor position last seen, stamped on queued messages

  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  BYTE key_state[256]{};

  std::map<HDC, core_dc> dcs;
  std::map<HGDIOBJ, core_gdi_object> objects;
  HGDIOBJ system_font = nullptr;
  HGDIOBJ white_brush = nullptr;
  std::map<HGLRC, core_gl_context> contexts;
  HDC current_dc = nullptr;
  HGLRC current_context = nullptr;

  std::map<HCURSOR, int> cursors;  // loaded cursor -> IDC number
  HCURSOR cursor = nullptr;
  bool dpi_awareness_set = false;

  std::map<HTOUCHINPUT, std::vector<TOUCHINPUT>> touches;
  std::map<UINT32, core_pointer> pointers;
  std::map<HDROP, core_drop> drops;
  std::map<std::string, std::vector<std::pair<std::string, FARPROC>>> libraries;  // lower-case name
  std::map<HMODULE, std::string> loaded;
};

core_state& core();
// Forgets every window, object and queued message without sending anything.
void core_reset();
platform_backend& backend();

template <class Handle>
Handle core_new_handle() {
  core_state& s = core();
  s.next_handle += 4;
  return reinterpret_cast<Handle>(s.next_handle);
}

core_window* core_find(HWND window);
// core_find, setting ERROR_INVALID_WINDOW_HANDLE when there is no such window.
core_window* core_find_or_fail(HWND window);
core_dc* core_find_dc(HDC dc);
// The device context that painting messages carry: the window's own, made on first use.
HDC core_paint_dc(HWND window);
// The window whose pixel format a device context uses, or null.
core_window* core_window_of_dc(HDC dc);
// Sends a message to a window's procedure; 0 when the window does not exist.
LRESULT core_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void core_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info, bool input);
// Removes every queued message of a window.
void core_purge_queue(HWND window);

// Makes window (ours or null) the active window, sending the deactivation and
// activation messages; tells the back-end unless the change came from it. how is
// what WM_ACTIVATE reports: WA_ACTIVE, or WA_CLICKACTIVE for a mouse click.
void core_set_active(HWND window, bool from_backend, WORD how = WA_ACTIVE);
HWND core_set_focus(HWND window);
// The window itself, or the top-level window it is a child of.
HWND core_top_level(HWND window);
// DestroyWindow without its logging and last error. native_gone: the back-end reported
// the native window destroyed; it is not changed any more, only freed at the end.
BOOL core_destroy_window(HWND window, bool native_gone);
// Shows, hides, minimizes, maximizes or restores; from_backend skips telling it.
// target, when given, is the window rectangle a maximize or restore goes to.
BOOL core_show_window(HWND window, int command, bool from_backend, const RECT* target = nullptr);
// The SetWindowPos machinery: WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED
// (whose default handling sends WM_MOVE and WM_SIZE); with activate_between the
// window is activated before the last, as a shown window is.
struct core_pos_change {
  RECT window_rect{};
  UINT flags = 0;
  bool state_changed = false;  // minimized, maximized or restored
  bool from_backend = false;
};
void core_set_window_pos(HWND window, core_pos_change change, bool activate_between);
inline bool core_same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
// The default MINMAXINFO of a window (or of none: the primary monitor).
MINMAXINFO core_min_max_info(const core_window* w);
// The client sizes that a MINMAXINFO's tracking sizes leave a window.
void core_client_track_sizes(const core_window& w, const MINMAXINFO& mmi, SIZE& min_client, SIZE& max_client);
RECT core_frame_insets(const core_window& w);
LRESULT core_default_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Argument formatting for the call log, only evaluated while it is active.
#define PLATFORM_FAILS(name, ...) (platform_calls().active() && platform_calls().enter(name, {__VA_ARGS__}))
#define SWP_NOCLIENTSIZE 0x0800
#define SWP_NOCLIENTMOVE 0x1000
#define SWP_STATECHANGED 0x8000
