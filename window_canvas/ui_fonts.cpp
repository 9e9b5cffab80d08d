#include "window_canvas/ui_fonts.h"

HFONT create_ui_font(int pixel_height, int weight) {
  // A negative height asks for the character height rather than the cell height.
  return CreateFontA(-pixel_height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Segoe UI");
}

uint32_t build_font_lists(HDC device_context, HFONT font) {
  if (font == nullptr) return 0;
  const GLuint base = glGenLists(96);
  if (base == 0) return 0;
  HGDIOBJ previous = SelectObject(device_context, font);
  if (previous == nullptr || previous == HGDI_ERROR) {
    glDeleteLists(base, 96);
    return 0;
  }
  uint32_t result = base;
  if (wglUseFontBitmapsA(device_context, 32, 96, base) != 1) {
    glDeleteLists(base, 96);
    result = 0;
  }
  SelectObject(device_context, previous);
  return result;
}

void delete_ui_font(HFONT& font) {
  if (font == nullptr) return;
  DeleteObject(font);
  font = nullptr;
}
