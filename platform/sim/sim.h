#pragma once
// The sim back-end: a deterministic desktop inside the test process, with a GL
// "driver" that records every call instead of drawing. Link quon_platform_sim
// (instead of a real back-end and libGL) and drive it from a test.
//
// Provides:
//  [X] Windows: native state (shown, minimized, maximized, hidden), client rect, title
//  [X] Native events replayed at the next PeekMessageW: window manager moves, state
//      changes and close requests, native windows destroyed from outside, foreground
//      and focus changes, lost pointer grab, routed mouse input
//  [X] Messages posted straight into the queue with their extra info
//  [X] Cursor position, asynchronous button and key state, key text for TranslateMessage
//  [X] Foreground window: ours, a foreign one, none
//  [X] DPI and monitor per window, monitor work areas, frame insets, default window rect
//  [X] Pixel formats with their WGL attributes, wglGetProcAddress answers per name,
//      the sRGB framebuffer switch, the internal format a texture reads back
//  [X] Touch batches, pointer types and pen pressure, IME strings, dropped paths
//  [X] "dwmapi.dll" with DwmSetWindowAttribute, present or absent
//  [X] Failure of any named call (optionally only its nth call from now)
//  [X] The log of platform calls, the recorded GL calls, SwapBuffers counts
//  [ ] No pixels: nothing is rasterised; GL queries other than those above answer 0

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/call_log.h"

// ---- the whole sim ----

// Back to a fresh desktop: forgets every window, class, object and queued message
// (no message is sent), the driver description, failures and records. Recording
// stays as it was.
void sim_reset();

// ---- messages and native events ----

// Posts a message now, as a back-end would (keyboard, mouse and pointer messages to the input
// queue, others to the posted queue); GetMessageExtraInfo answers extra_info for it.
void sim_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info = 0);
// Posts a key message with a realistic lParam: scan code, repeat count 1, the
// previous-state bit for repeats and the transition bit for releases; WM_SYSKEY*
// while VK_MENU is held (per GetKeyState).
void sim_key(HWND window, WPARAM virtual_key, bool down, bool repeat = false);
// A mouse event at a screen point, routed at the next PeekMessageW as the system
// routes it (capture, WM_NCHITTEST, WM_SETCURSOR, client or non-client message).
void sim_mouse(HWND window, UINT message, WPARAM wParam, POINT screen, LPARAM extra_info = 0);
// The text TranslateMessage posts for a key; by default a US layout from the key state.
void sim_set_key_text(WPARAM virtual_key, const std::u16string& text);

// The window manager moves/resizes a window's client area (screen coordinates), changes
// its state (with the client area it has in that state, when given) or asks to close
// it; each takes effect at the next PeekMessageW.
void sim_move_window(HWND window, const RECT& client);
void sim_set_window_state(HWND window, backend_show_state state, const RECT* client = nullptr);
void sim_request_close(HWND window);
// Another program or the server destroys a window's native window; the core sends
// WM_DESTROY and WM_NCDESTROY at the next PeekMessageW.
void sim_destroy_externally(HWND window);

// A window manager that carries out minimize, maximize, restore and
// activation itself: from now on these are only asked of it (recorded below)
// and change nothing until the test reports them (sim_set_window_state,
// sim_set_foreground), or never, as one that refuses.
void sim_set_window_manager_carries_changes(bool carries);
struct sim_request {
  HWND window = nullptr;
  bool activation = false;                              // else a change of state
  backend_show_state state = backend_show_state::hidden;
  bool activate = false;                                // the change is to activate it too
};
// The requests asked of that window manager so far, oldest first.
std::vector<sim_request> sim_window_manager_requests();

// ---- desktop and input state ----

// A handle standing for another program's window; never one of ours.
HWND sim_foreign_window();
// The foreground window from now on: ours, foreign or null. The activation messages
// follow at the next PeekMessageW.
void sim_set_foreground(HWND window);
HWND sim_foreground();
// SetFocus(window) at the next PeekMessageW, as a click inside our window would do.
void sim_set_focus(HWND window);
void sim_set_cursor_pos(POINT point);
// The asynchronous state of a key or mouse button (VK_LBUTTON, ...).
void sim_set_key_down(int virtual_key, bool down);
// The pointer grab ends outside our control (WM_CAPTURECHANGED at the next PeekMessageW).
void sim_break_capture();
bool sim_pointer_grabbed(HWND window);
// The IDC_* number last set as the pointer shape (0 = hidden).
int sim_cursor_shape();

void sim_set_window_dpi(HWND window, UINT dpi);
// Which monitor (a non-zero id) a window is on; 0 = none.
void sim_set_window_monitor(HWND window, std::uintptr_t monitor);
void sim_set_monitor_work_area(std::uintptr_t monitor, const RECT& work_area);
// Frame around the client area of windows with a caption or sizing border
// (default 8, 31, 8, 8); other styles have none.
void sim_set_frame_insets(const RECT& insets);
// Rectangle used for CW_USEDEFAULT (default 26, 26, 1306, 746).
void sim_set_default_window_rect(const RECT& rect);

// Native state of a window, as the sim's window manager sees it.
backend_show_state sim_window_state(HWND window);
RECT sim_window_client(HWND window);
// The client sizes the window manager is asked to keep a window within (0, 0 = none).
SIZE sim_window_min_client(HWND window);
SIZE sim_window_max_client(HWND window);
std::u16string sim_window_title(HWND window);
bool sim_accepts_files(HWND window);
bool sim_touch_registered(HWND window);
// How often the default handling of a caption press asked to move the window.
int sim_move_requests(HWND window);

// ---- the GL driver ----

// One pixel format; the WGL attributes follow from the arguments.
backend_pixel_format sim_pixel_format(int color_bits, int alpha_bits, int depth_bits, int stencil_bits, bool srgb,
                                      bool double_buffer = true);
// The formats every window offers, numbered from 1. Default: 1 = 32-bit colour with
// alpha, 24 depth, 8 stencil, double-buffered, sRGB-capable; 2 = the same without
// sRGB; 3 = 24-bit colour without alpha.
void sim_set_pixel_formats(const std::vector<backend_pixel_format>& formats);
// What wglGetProcAddress answers for a name: a "missing" value (0, 1, 2, 3 or -1).
// By default the WGL pixel-format functions are there and every other name is 0.
void sim_set_proc_address(const std::string& name, std::intptr_t answer);
// Gives the name back its real entry point (the WGL pixel-format functions only).
void sim_set_proc_present(const std::string& name);
// Whether glEnable(GL_FRAMEBUFFER_SRGB) takes effect (default true).
void sim_set_srgb_framebuffer_works(bool works);
// What glGetTexLevelParameteriv(GL_TEXTURE_INTERNAL_FORMAT) answers: 0 = the format
// the texture was given (default), another value = that value; writes = false leaves
// the output untouched.
void sim_set_texture_internal_format(GLint format, bool writes = true);
// Whether LoadLibraryA("dwmapi.dll") finds a library with DwmSetWindowAttribute, whose
// calls are logged as "DwmSetWindowAttribute"(window, attribute, 4-byte value, size).
void sim_set_dwmapi_present(bool present);

// ---- touch, pen, IME, drop ----

// Posts WM_TOUCH with the records now; returns its handle.
HTOUCHINPUT sim_touch(HWND window, const std::vector<TOUCHINPUT>& inputs, LPARAM extra_info = 0);
// What GetPointerType answers for a pointer id.
void sim_set_pointer_type(UINT32 pointer_id, POINTER_INPUT_TYPE type);
// Makes a pointer a pen with this pressure (0..1024) and mask (PEN_MASK_*).
void sim_set_pen(UINT32 pointer_id, UINT32 pressure, PEN_MASK mask = PEN_MASK_PRESSURE);
void sim_set_ime(HWND window, const std::u16string& composition, const std::u16string& result);
// Posts WM_DROPFILES with the paths now; returns the drop handle.
HDROP sim_drop(HWND window, const std::vector<std::u16string>& paths, POINT point = {0, 0});
// How many drops were finished with DragFinish.
int sim_drops_finished();

// ---- failures ----

// Makes a named call fail with its documented failure result: every call from now
// (nth 0) or only its nth call from now. Works for the Win32 and WGL calls, the WGL
// extension functions and the GL functions (glGenLists, glGenTextures, ...).
void sim_fail(const std::string& name, int nth = 0);
void sim_clear_failures();

// ---- records ----

void sim_record(bool on);  // on by default
const std::vector<platform_call>& sim_calls();
std::vector<platform_call> sim_calls_named(const std::string& name);
void sim_clear_calls();

// One recorded GL call: its arguments as numbers (enums and integers exactly);
// glCallLists also gives the list names it calls, computed modulo 2^32 from the list
// base, and the bytes of its list; glTexImage2D gives its first four bytes.
struct sim_gl_call {
  std::string name;
  std::vector<double> args;
  std::vector<std::uint32_t> lists;
  std::string bytes;
  HGLRC context = nullptr;  // current when called; null: no context was current
};
const std::vector<sim_gl_call>& sim_gl_calls();
std::vector<sim_gl_call> sim_gl_calls_named(const std::string& name);
void sim_clear_gl_calls();
// The character a display list draws, when it was built by wglUseFontBitmapsA in the
// current context; -1 otherwise.
int sim_list_glyph(std::uint32_t list);
// Whether a capability is enabled in the current context.
bool sim_gl_enabled(GLenum capability);

int sim_swap_count(HWND window);
int sim_swap_total();
