#include "platform/x11/font_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

struct font_face::freetype_handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~freetype_handles() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

namespace {

struct font_file {
  std::string path, family;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
};

// Windows weights (100..900) to fontconfig's scale.
int fontconfig_weight(int weight) {
  if (weight <= 0) weight = 400;
  return FcWeightFromOpenType(std::clamp(weight, 1, 1000));
}

bool match_font_file(const char* face_name, int weight, bool italic, font_file* found) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  if (face_name && *face_name)
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face_name));
  // Appended after the asked-for family: what fontconfig falls back to when
  // the face is not installed.
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddInteger(pattern, FC_WEIGHT, fontconfig_weight(weight));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* family = nullptr;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    found->path = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
      found->family = reinterpret_cast<const char*>(family);
    FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &found->weight);
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

bool glyph_bitmap::pixel(int x, int row_from_bottom) const {
  if (x < 0 || x >= width || row_from_bottom < 0 || row_from_bottom >= height) return false;
  const int stride = (width + 7) / 8;
  return (rows[static_cast<size_t>(row_from_bottom) * stride + x / 8] >> (7 - x % 8)) & 1;
}

font_face::~font_face() = default;

std::unique_ptr<font_face> font_face::open(const char* face_name, int height, int weight, bool italic) {
  font_file file;
  if (!match_font_file(face_name, weight, italic, &file)) return nullptr;
  std::unique_ptr<font_face> font(new font_face());
  font->ft_ = std::make_unique<freetype_handles>();
  if (FT_Init_FreeType(&font->ft_->library) != 0) return nullptr;
  if (FT_New_Face(font->ft_->library, file.path.c_str(), file.index, &font->ft_->face) != 0) return nullptr;
  FT_Face face = font->ft_->face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;

  // Negative heights name the em size; positive ones the whole cell, which
  // spans the face's ascender to descender.
  int pixels = 16;
  if (height < 0) {
    pixels = height == -2147483647 - 1 ? 2147483647 : -height;
  } else if (height > 0) {
    const double cell = static_cast<double>(face->ascender) - face->descender;
    pixels = cell > 0 ? static_cast<int>(std::lround(height * face->units_per_EM / cell)) : height;
  }
  pixels = std::clamp(pixels, 1, 2048);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) return nullptr;

  font->family_ = file.family;
  font->pixel_size_ = pixels;
  font->ascent_ = static_cast<int>((face->size->metrics.ascender + 63) / 64);
  font->descent_ = static_cast<int>((-face->size->metrics.descender + 63) / 64);
  font->bold_ = weight >= 600;
  // A bold request that matched only a regular face is emboldened, as Windows
  // synthesises bold.
  font->embolden_ = font->bold_ && file.weight < FC_WEIGHT_DEMIBOLD;
  return font;
}

bool font_face::render(unsigned code_point, glyph_bitmap* glyph) const {
  if (!glyph) return false;
  FT_Face face = ft_->face;
  const FT_UInt index = FT_Get_Char_Index(face, code_point);
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return false;
  if (embolden_ && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    const FT_Pos strength = std::max<FT_Pos>(64, FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24);
    FT_Outline_Embolden(&face->glyph->outline, strength);
    face->glyph->advance.x += strength;
  }
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.rows > 0) return false;

  glyph->width = static_cast<int>(bitmap.width);
  glyph->height = static_cast<int>(bitmap.rows);
  glyph->x_origin = static_cast<float>(-slot->bitmap_left);
  glyph->y_origin = static_cast<float>(glyph->height - slot->bitmap_top);
  glyph->advance = std::round(static_cast<float>(slot->advance.x) / 64.0f);
  const int stride = (glyph->width + 7) / 8;
  glyph->rows.assign(static_cast<size_t>(stride) * glyph->height, 0);
  // FreeType rows run top to bottom, glBitmap's bottom to top.
  for (int row = 0; row < glyph->height; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    if (bitmap.pitch < 0) source = bitmap.buffer + static_cast<ptrdiff_t>(glyph->height - 1 - row) * -bitmap.pitch;
    std::copy(source, source + stride, glyph->rows.begin() + static_cast<ptrdiff_t>(glyph->height - 1 - row) * stride);
  }
  return true;
}
