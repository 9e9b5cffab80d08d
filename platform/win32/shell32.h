#pragma once
// shell32 for the Linux build: files dropped on a window.

#include "platform/win32/types.h"

QUON_DECLARE_HANDLE(HDROP);

extern "C" {
void WINAPI DragAcceptFiles(HWND window, BOOL accept);
// index 0xFFFFFFFF: the file count; buffer NULL: the length in UTF-16 units without the terminator.
UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT units);
void WINAPI DragFinish(HDROP drop);
}
