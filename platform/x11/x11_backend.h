#pragma once
// The x11 back-end of the Linux platform layer: real windows through Xlib,
// OpenGL through GLX, fonts through fontconfig and FreeType.
//
// [X] Windows: X windows of the requested client size; UTF-8 titles
//     (_NET_WM_NAME); owners as transient-for; show, hide, minimize, maximize
//     and restore; moves and resizes, the tracking sizes as size hints. A
//     window manager is whoever redirects the root (EWMH or not); each request
//     goes by what its _NET_SUPPORTED lists: iconify by WM_CHANGE_STATE,
//     maximize by _NET_WM_STATE or a configure request to the work area less
//     its frame; without one the layer does it by hand. Each window's state and
//     geometry are read from the server after the events that touch it (map
//     state, WM_STATE, _NET_WM_STATE, its place on the root, its frame's moves)
//     and only the difference reaches the core, whoever made the change: a
//     minimize, maximize, restore or activation asked of a window manager is
//     reported once the server shows it, with its area, and not at all when
//     it is refused. A window manager that starts or ends takes over or hands
//     back the states the other made. WM_DELETE_WINDOW as a close request; a
//     window another client or the server destroys gets WM_DESTROY and
//     WM_NCDESTROY.
// [X] Pixel formats: the screen's GLX framebuffer configurations, numbered from
//     1; SetPixelFormat recreates the (unmapped) X window on the
//     configuration's visual. GLX contexts, buffer swaps, glXGetProcAddress.
// [X] Fonts: fontconfig match (best sans-serif fallback), FreeType 1-bit glyphs
//     compiled into glBitmap display lists.
// [X] Keyboard: Windows virtual keys with repeat bits (detectable auto-repeat),
//     WM_SYSKEY* while Alt is held, text through XIM (keysyms without an input
//     method), on-the-spot preedit as IME composition where the method offers it.
//     TranslateMessage of a key message without such text (one the program
//     posted) types what Windows gives it: Enter, Backspace, Tab, Escape, space
//     and the keypad fixed, Ctrl's control characters, other keys their keysym
//     at the Shift level (Caps Lock inverting case) of the X key of the lParam's
//     scan code, else the first X key of that virtual key, else a US layout.
//     Group 0 only (no AltGr level). A posted key with the very virtual key and
//     lParam of a press still queued takes that press's text.
// [X] Mouse: buttons, motion, wheel (+-120 a notch), pointer grab as capture,
//     cursor shapes, HTCAPTION moves through _NET_WM_MOVERESIZE while the button
//     is held, cancelled when the release comes first (without a window manager,
//     or under one that lacks it, the window follows the pointer itself until
//     the release, with no request per motion that waits for the server).
// [X] Focus and foreground: the X input focus, read after focus events and
//     after every reported change of state; an activation is asked of the
//     window manager with the last user event's time, and a click's that it
//     leaves unanswered gives the window the focus itself; the
//     pointer and keyboard state read once after each batch of events, so that
//     queries between events make no round trip. Keys released while out of
//     reach (another client's grab, another window's focus) are released when
//     the keyboard comes back.
// [X] XDND drop target for text/uri-list; XdndFinished at DragFinish.
// [X] Touch and pen through XInput 2.2 where the server has such devices.
// [X] Monitors through XRandR, DPI from Xft.dpi (96 when unset), each read
//     again only after the server says it changed.
// [X] X protocol errors never end the process; the failing call fails.
// [ ] Not provided: the frame of the window manager in GetWindowRect (frames
//     count as zero thickness), session notifications, the desktop window
//     manager library, a lost connection to the server (Xlib ends the process).
#include "platform/core/backend.h"

typedef struct _XDisplay Display;

// The back-end's connection, null when no X server could be reached. Tests use
// it to drive and observe the windows.
Display* x11_backend_display();
// The X window of one of our windows, 0 for none.
unsigned long x11_backend_window(HWND window);
