#pragma once
// imm32 for the Linux build: reading input-method composition strings.

#include "platform/win32/types.h"

QUON_DECLARE_HANDLE(HIMC);

#define GCS_COMPREADSTR 0x0001
#define GCS_COMPSTR 0x0008
#define GCS_COMPATTR 0x0010
#define GCS_CURSORPOS 0x0080
#define GCS_RESULTSTR 0x0800

extern "C" {
HIMC WINAPI ImmGetContext(HWND window);
BOOL WINAPI ImmReleaseContext(HWND window, HIMC context);
// Sizes and results in bytes; a negative value is an error.
LONG WINAPI ImmGetCompositionStringW(HIMC context, DWORD index, LPVOID buffer, DWORD bytes);
}
