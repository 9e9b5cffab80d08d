#pragma once
// What the shared core offers its back-ends: the way native events enter the
// Win32 message queue, and lookups between the core's handles and native ones.
// Call these from platform_backend::pump_events() (or from a test driving the
// sim); messages "sent" here reach the window procedure before they return.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/backend.h"

// The core's window for a native window, or null.
HWND platform_window_from_native(native_handle window);
// A window's native handle, or 0.
native_handle platform_native_window(HWND window);

// Posts a message to the thread's queue with its GetMessageExtraInfo value. Keyboard,
// mouse and pointer messages go to the input queue, every other to the posted queue;
// PeekMessageW takes posted messages before input messages, each queue in order.
// MSG::pt is the cursor position last seen (the last mouse event or GetCursorPos).
void platform_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info = 0);

// A mouse message at a screen point, routed as the system does: to the capture window
// when there is one, else hit-tested (WM_NCHITTEST, then WM_SETCURSOR) and posted as
// the client message (client coordinates) or its WM_NC* counterpart (hit code, screen
// coordinates). message is a client message (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...);
// WM_MOUSEWHEEL is posted with screen coordinates to the focus window.
void platform_post_mouse(HWND window, UINT message, WPARAM wParam, POINT screen, LPARAM extra_info = 0);

// The window manager moved or resized a window (client area in screen coordinates):
// WM_WINDOWPOSCHANGING/WM_WINDOWPOSCHANGED and so WM_MOVE/WM_SIZE are sent.
void platform_window_configured(HWND window, const RECT& client);
// The window manager minimized, maximized, restored, hid or showed a window.
// client, when given, is the client area (screen coordinates) the window has in
// that state: a restore or maximize goes there in one change, a minimized
// window is restored there later. restores_maximized: a window minimized
// straight from a maximize the core has not seen; SW_RESTORE maximizes it
// again, and client (its maximized area) is not taken as its restored area.
void platform_window_state_changed(HWND window, backend_show_state state, const RECT* client = nullptr,
                                   bool restores_maximized = false);
// What the core holds of a window: its show state, its client area and the
// client area it is restored to (screen coordinates); restores_maximized: a
// minimized window that SW_RESTORE maximizes. False for no such window.
struct platform_window_view {
  backend_show_state state = backend_show_state::hidden;
  RECT client{};
  RECT restore_client{};
  bool restores_maximized = false;
};
bool platform_window_view_of(HWND window, platform_window_view& view);
// The desktop's foreground changed: window is ours, or null when another program's
// window or none is active. Sends the deactivation and activation messages.
void platform_foreground_changed(HWND window);
// The back-end lost its pointer grab: the capture window gets WM_CAPTURECHANGED.
void platform_capture_lost();
// The user asked the window manager to close a window: sends WM_SYSCOMMAND SC_CLOSE,
// whose default handling sends WM_CLOSE.
void platform_close_requested(HWND window);
// The window system destroyed a window's native window (another program or the
// server did, not DestroyWindow): WM_DESTROY and WM_NCDESTROY are sent as DestroyWindow
// sends them, with the native handle already 0, and the window is gone afterwards
// (IsWindow FALSE, calls on it fail with ERROR_INVALID_WINDOW_HANDLE). The back-end
// then gets destroy_window() for the native handle, to free only what it kept for it.
// Nothing happens for a window unknown or already being destroyed.
void platform_window_destroyed(HWND window);

// Posts WM_TOUCH with a new touch-input handle holding the records (hundredths of
// a screen pixel); GetTouchInputInfo reads them until CloseTouchInputHandle.
HTOUCHINPUT platform_post_touch(HWND window, const std::vector<TOUCHINPUT>& inputs, LPARAM extra_info = 0);
// Declares what GetPointerType/GetPointerPenInfo answer for a pointer id. pen may be
// null for pointers that are not pens.
void platform_set_pointer(UINT32 pointer_id, POINTER_INPUT_TYPE type, const POINTER_PEN_INFO* pen);
// Sets a window's input-method strings, read by ImmGetCompositionStringW with
// GCS_COMPSTR and GCS_RESULTSTR. Post WM_IME_* yourself.
void platform_set_ime_strings(HWND window, const std::u16string& composition, const std::u16string& result);
// Posts WM_DROPFILES with a new drop handle holding the paths (UTF-16, no terminator)
// and the drop point (client coordinates); token comes back in drop_finished().
HDROP platform_post_drop(HWND window, const std::vector<std::u16string>& paths, POINT point,
                         std::uintptr_t token);

// Offers a library to LoadLibraryA under name (compared without case), with its
// entry points for GetProcAddress; registering no entry points removes it.
void platform_register_library(const std::string& name, const std::vector<std::pair<std::string, FARPROC>>& procs);

// The WGL pixel-format extension functions of the core, for get_proc_address:
// "wglChoosePixelFormatARB" and "wglGetPixelFormatAttribivARB"; null for other names.
PROC platform_wgl_extension(const char* name);
