#pragma once
// Test seam of the core's message dispatch; nothing outside tests sets it.

#include "platform/win32/user32.h"

// Called with every message the core hands to a window procedure (sent or
// dispatched), before the procedure runs. Null by default.
extern void (*core_message_hook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
