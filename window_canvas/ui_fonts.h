#pragma once
// The runtime's "Segoe UI" bitmap fonts, drawn through OpenGL display lists.

#include <cstdint>

#include "platform/win32.h"

// A "Segoe UI" font of the given pixel height and weight (400 or 700), or null.
HFONT create_ui_font(int pixel_height, int weight);
// The base of 96 new display lists with the font's bitmaps of characters 32 to
// 127 (an OpenGL context must be current), or 0.
uint32_t build_font_lists(HDC device_context, HFONT font);
// Deletes the font when there is one and clears the handle.
void delete_ui_font(HFONT& font);
