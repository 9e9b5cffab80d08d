#pragma once
// WGL for the Linux build: OpenGL rendering contexts and bitmap fonts.

#include "platform/win32/types.h"

extern "C" {
HGLRC WINAPI wglCreateContext(HDC dc);
BOOL WINAPI wglDeleteContext(HGLRC context);
// (NULL, NULL) releases the thread's current context.
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context);
HDC WINAPI wglGetCurrentDC();
HGLRC WINAPI wglGetCurrentContext();
// Needs a current context; the small values 1, 2, 3 and -1 that some drivers return also mean "missing".
PROC WINAPI wglGetProcAddress(LPCSTR name);
// Builds count display lists from list_base for the glyphs first.. of the font selected into dc.
BOOL WINAPI wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD list_base);
}
