#pragma once
// The Windows interfaces of the window runtime and the game: the system's own
// headers on Windows, our declarations and the system's <GL/gl.h> elsewhere.
// Platform conditionals stay in this file and in platform/.
//
// On Linux the calls are the shared core's (platform/core) over one back-end
// (platform/x11 for the game, platform/sim for tests). One thread owns every window.
//  [X] Window classes; windows with the system's synchronous message orders for
//      creation, showing, hiding, minimizing, maximizing, restoring, SetWindowPos and
//      destruction; activation, focus and capture messages
//  [X] The thread's queue: posted before input messages, WM_PAINT when both are empty,
//      filters, PM_NOREMOVE; TranslateMessage (WM_CHAR/WM_SYSCHAR); DefWindowProcW
//  [X] Device contexts (CS_OWNDC), pixel formats and the WGL pixel-format extension,
//      GL contexts, bitmap fonts, brushes; touch, pointer, IME and drop queries
//  [X] Module calls: the process module; libraries only where a back-end offers them
//  [ ] No timers, GetMessage, hooks, menus, dialogs, clipboard, window longs,
//      regions (a window is painted whole), z-order, WS_MINIMIZE/WS_MAXIMIZE at
//      creation, GDI drawing, cross-thread messages; SendMessageA passes its
//      arguments unconverted

#ifdef _WIN32
#include "platform/kernel.h"
#include <imm.h>
#include <shellapi.h>
#include <wtsapi32.h>
#include <GL/gl.h>
// Pointer messages are missing from headers that target Windows releases before 8.
#ifndef WM_POINTERUPDATE
#define WM_POINTERUPDATE 0x0245
#endif
#ifndef WM_POINTERDOWN
#define WM_POINTERDOWN 0x0246
#endif
#ifndef WM_POINTERUP
#define WM_POINTERUP 0x0247
#endif
#else
#include "platform/kernel.h"
#include "platform/win32/types.h"
#include "platform/win32/libloader.h"
#include "platform/win32/user32.h"
#include "platform/win32/gdi32.h"
#include "platform/win32/wgl.h"
#include "platform/win32/imm32.h"
#include "platform/win32/shell32.h"
#include "platform/win32/wtsapi32.h"
#include <GL/gl.h>
#endif

#include "platform/win32/gl_extras.h"

// The object id of the UI Automation root (uiautomationcoreapi.h), passed with WM_GETOBJECT.
#ifndef UiaRootObjectId
#define UiaRootObjectId (-25)
#endif
