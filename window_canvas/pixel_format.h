#pragma once
// Choosing and checking the strict sRGB pixel format through WGL_ARB_pixel_format.

#include "platform/win32.h"

// A format of device_context that wglChoosePixelFormatARB picked (reached through a
// hidden probe window's context) and that is strict sRGB, or 0. The caller's
// current context is restored afterwards.
int choose_strict_srgb_pixel_format(HDC device_context);
// Whether the format is double-buffered RGBA8 with depth 24, stencil 8 and
// sRGB-capable. Needs some OpenGL context to be current.
bool pixel_format_is_strict_srgb(HDC device_context, int format);
// The legacy descriptor: double-buffered RGBA with 8 alpha, 24 depth, 8 stencil bits.
PIXELFORMATDESCRIPTOR legacy_pixel_format_descriptor(BYTE color_bits);
