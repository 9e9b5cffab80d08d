#pragma once
// The procedure of the runtime's window classes: keeps each window's record up
// to date and records its input.

#include "platform/win32.h"

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
