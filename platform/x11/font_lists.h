#pragma once
// wglUseFontBitmaps for the x11 back-end: glyphs as glBitmap display lists.
#include "platform/x11/font_faces.h"

// Compiles characters first .. first + count - 1 (bytes, read as Latin-1) of
// the face into the display lists base .. base + count - 1 of the current
// context, each drawing its bitmap at the raster position and advancing it.
// False when a glyph cannot be rendered (the lists made so far stay).
bool compile_glyph_lists(const font_face& face, unsigned first, unsigned count, unsigned base);
