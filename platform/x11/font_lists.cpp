#include "platform/x11/font_lists.h"

#include <GL/gl.h>

bool compile_glyph_lists(const font_face& face, unsigned first, unsigned count, unsigned base) {
  // glBitmap copies its image when the list is compiled, under the current
  // unpack state: tight rows, nothing skipped.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  bool ok = true;
  for (unsigned i = 0; i < count && ok; ++i) {
    glyph_bitmap glyph;
    ok = face.render((first + i) & 0xFF, &glyph);
    if (!ok) break;
    glNewList(base + i, GL_COMPILE);
    glBitmap(glyph.width, glyph.height, glyph.x_origin, glyph.y_origin, glyph.advance, 0,
             glyph.rows.empty() ? nullptr : glyph.rows.data());
    glEndList();
  }
  glPopClientAttrib();
  return ok;
}
