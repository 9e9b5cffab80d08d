#pragma once
// wtsapi32 for the Linux build: session change notifications (none are ever sent).

#include "platform/win32/types.h"

#define NOTIFY_FOR_THIS_SESSION 0
#define NOTIFY_FOR_ALL_SESSIONS 1
#define WTS_CONSOLE_CONNECT 0x1
#define WTS_CONSOLE_DISCONNECT 0x2
#define WTS_SESSION_LOCK 0x7
#define WTS_SESSION_UNLOCK 0x8

extern "C" {
BOOL WINAPI WTSRegisterSessionNotification(HWND window, DWORD flags);
BOOL WINAPI WTSUnRegisterSessionNotification(HWND window);
}
