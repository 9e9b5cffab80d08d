#pragma once
// The one interface between the shared core (platform/core) and a back-end
// (platform/sim, platform/x11). The core implements the Win32 calls and their
// message orders; a back-end supplies what differs per desktop: native windows,
// native events, input state, monitors, pixel formats, GL contexts and fonts.
//
// The back-end is chosen at link time: each back-end library defines
// platform_backend_get(); the core calls it on first use and never owns it.
// Everything runs on the one thread that creates the windows.
//
// Native events reach the core only from inside pump_events(), which the core
// calls at the start of every PeekMessageW. A back-end translates them into
// Win32 messages through the functions of platform/core/core.h (posting input
// messages, reporting moves, focus, touch batches, drops, IME strings).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

// A back-end's own handle of a native object (window, GL context, font); 0 is none.
using native_handle = std::uintptr_t;

// What CreateWindowExW asks of the back-end.
struct backend_window_desc {
  HWND window = nullptr;       // the core's handle, already valid for SendMessageW
  DWORD style = 0;             // after the core's style corrections
  DWORD ex_style = 0;
  RECT client{};               // screen coordinates of the client area
  std::u16string title;
  HWND owner = nullptr;        // parent or owner window, or null
  native_handle owner_native = 0;
  SIZE min_client{};  // the client sizes the window accepts (see set_size_limits);
  SIZE max_client{};  // all 0: no limits
};

// The states ShowWindow and the window manager move a top-level window between.
enum class backend_show_state { hidden, normal, minimized, maximized };

// One pixel format, numbered from 1 by its position in pixel_formats().
struct backend_pixel_format {
  PIXELFORMATDESCRIPTOR descriptor{};  // what DescribePixelFormat reports (nSize 40, nVersion 1)
  // WGL_*_ARB attribute -> value, as wglGetPixelFormatAttribivARB reports them. The core
  // matches wglChoosePixelFormatARB against these; an attribute absent here reads as 0.
  std::vector<std::pair<int, int>> attributes;
};

// What CreateFontA asks of the back-end.
struct backend_font_request {
  int height = 0;  // negative: character height in pixels; positive: cell height; 0: default
  int weight = 0;  // FW_* (0 = default)
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  DWORD char_set = 0;
  DWORD quality = 0;
  std::string face;  // as given, up to 31 bytes
};

class platform_backend {
 public:
  virtual ~platform_backend() = default;

  // ---- native windows ----
  // Creates the native window (not shown). 0 makes CreateWindowExW fail before any
  // message is sent.
  virtual native_handle create_window(const backend_window_desc& desc) = 0;
  // Destroys it; called by DestroyWindow after WM_NCDESTROY has been sent. Also called
  // for a window the back-end reported with platform_window_destroyed(): its native
  // window is gone, only what the back-end kept for it is left to free.
  virtual void destroy_window(native_handle window) = 0;
  // Shows, hides, minimizes or maximizes it. The core has already sent the Win32
  // messages of the change; the back-end must not report it back as a new change.
  virtual void set_show_state(native_handle window, backend_show_state state) = 0;
  // Asks the window system to minimize, maximize or restore a shown window
  // itself (a window manager does it, and may refuse). True: asked, and the
  // change reaches the core later through platform_window_state_changed, once
  // the window system shows it; the core changes nothing meanwhile. False: the
  // core makes the change and calls set_show_state. activate: the change is to
  // activate the window too.
  virtual bool request_show_state(native_handle, backend_show_state, bool /*activate*/) { return false; }
  // Likewise for the activation of a window: true when the window system was
  // asked and reports the new foreground (platform_foreground_changed) once it
  // has it; false: the core activates it and calls activate_window.
  virtual bool request_activation(native_handle) { return false; }
  // Moves and resizes it so that its client area covers client (screen coordinates).
  virtual void set_client_rect(native_handle window, const RECT& client) = 0;
  virtual void set_title(native_handle window, const std::u16string& title) = 0;
  // The smallest and largest client size the window accepts, from its tracking
  // sizes: a window manager resizing it should keep within them. The core still
  // limits every size change it is told of (and answers it with set_client_rect).
  virtual void set_size_limits(native_handle window, SIZE min_client, SIZE max_client) = 0;
  // Thickness of the frame around the client area for a style (left, top, right,
  // bottom, each >= 0). AdjustWindowRectEx, WM_NCCALCSIZE and GetWindowRect use it.
  virtual RECT frame_insets(DWORD style, DWORD ex_style) = 0;
  // Window rectangle used for CW_USEDEFAULT: its position when x is CW_USEDEFAULT,
  // its size when the width is CW_USEDEFAULT.
  virtual RECT default_window_rect() = 0;
  // The work area (screen coordinates) of the monitor a window is on (window 0: the
  // primary monitor); a maximized window fills it.
  virtual RECT work_area(native_handle window) = 0;
  // Lets the window manager move the window interactively from a press at point
  // (screen coordinates); the default handling of a press on HTCAPTION.
  virtual void begin_move(native_handle window, POINT point) = 0;

  // ---- events ----
  // Translates pending native events into Win32 messages (platform/core/core.h).
  // Called at the start of every PeekMessageW; never blocks.
  virtual void pump_events() = 0;

  // ---- pointer, keyboard, focus ----
  virtual bool cursor_pos(POINT& point) = 0;
  // Whether a key or mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, ...) is down now.
  virtual bool async_key_down(int virtual_key) = 0;
  // The UTF-16 units TranslateMessage posts for a WM_KEYDOWN or WM_SYSKEYDOWN (as
  // WM_CHAR or WM_SYSCHAR with the key's lParam). Empty: nothing, e.g. when the
  // back-end posts the text itself from an input method. The core's GetKeyState
  // holds the modifier state of the messages retrieved so far.
  virtual std::u16string key_text(UINT message, WPARAM virtual_key, LPARAM lParam) = 0;
  // The desktop's foreground window: one of ours (a core HWND), a handle standing
  // for another program's window (never one of ours), or null.
  virtual HWND foreground_window() = 0;
  // Asks the desktop to make one of our windows the foreground window. The core has
  // already activated it and sent the activation messages. 0: none of our windows
  // is active any more (hidden, minimized or destroyed); the desktop picks another.
  virtual void activate_window(native_handle window) = 0;
  // Grabs the pointer for a window, or releases the grab (0).
  virtual void set_capture(native_handle window) = 0;
  // Sets the pointer shape over our windows: an IDC_* number (32512 arrow, 32642..32645
  // sizing, ...), or 0 to hide it.
  virtual void set_cursor(int cursor_id) = 0;

  // ---- monitors and DPI ----
  virtual UINT window_dpi(native_handle window) = 0;  // 0 = unknown
  // A stable non-zero id of the window's monitor (becomes the HMONITOR), 0 for none;
  // flags are MONITOR_DEFAULTTO*.
  virtual std::uintptr_t window_monitor(native_handle window, DWORD flags) = 0;

  // ---- pixel formats ----
  // The formats a window's device context offers; ChoosePixelFormat, DescribePixelFormat
  // and the WGL pixel-format extension are computed by the core from this list. The
  // back-end keeps the list (it is read on every such call, and may be long); it stays
  // valid until the next call into the back-end.
  virtual const std::vector<backend_pixel_format>& pixel_formats(native_handle window) = 0;
  // Applies format (1-based) to the window. Returns the window's native handle, which
  // may be a new one (an X visual is fixed at creation), or 0 on failure.
  virtual native_handle set_pixel_format(native_handle window, int format) = 0;

  // ---- OpenGL contexts ----
  virtual native_handle create_context(native_handle window, int format) = 0;  // 0 = failure
  virtual void delete_context(native_handle context) = 0;
  // Binds context to window on this thread; (0, 0) releases the current one.
  virtual bool make_current(native_handle window, native_handle context) = 0;
  virtual bool swap_buffers(native_handle window) = 0;
  // An entry point of the current context, or any of 0, 1, 2, 3, -1 for "missing". The
  // WGL pixel-format extension is the core's: return platform_wgl_extension(name) for it.
  virtual PROC get_proc_address(const char* name) = 0;

  // ---- fonts ----
  virtual native_handle create_font(const backend_font_request& request) = 0;  // 0 = failure
  virtual void delete_font(native_handle font) = 0;
  // Builds count display lists from list_base in the current context, one per glyph
  // from first, each a bitmap that advances the raster position. font 0 is the
  // system font (the device context's default).
  virtual bool use_font_bitmaps(native_handle font, DWORD first, DWORD count, DWORD list_base) = 0;

  // ---- touch and file drop ----
  virtual void register_touch(native_handle window) = 0;
  virtual void accept_files(native_handle window, bool accept) = 0;
  // DragFinish of a drop the back-end posted with platform_post_drop and this token.
  virtual void drop_finished(std::uintptr_t token) = 0;
};

// Defined by the linked back-end library (C linkage, so that the library can ask the
// linker to keep it: see quon_platform_backend() in platform/CMakeLists.txt).
extern "C" platform_backend& platform_backend_get();
