#pragma once
// Fonts for CreateFontA: the face name matched through fontconfig (falling back
// to the best installed sans-serif face), opened with FreeType at a pixel size,
// and glyphs rendered as 1-bit bitmaps laid out for glBitmap.
#include <memory>
#include <string>
#include <vector>

// One glyph ready for glBitmap: rows bottom to top, each padded to whole bytes,
// most significant bit leftmost.
struct glyph_bitmap {
  int width = 0;
  int height = 0;
  float x_origin = 0;  // glBitmap xorig: the pen sits this far right of the bitmap's left edge
  float y_origin = 0;  // glBitmap yorig: the baseline sits this far above the bitmap's bottom row
  float advance = 0;   // pixels the raster position moves right
  std::vector<unsigned char> rows;

  bool pixel(int x, int row_from_bottom) const;
};

class font_face {
public:
  // height < 0: character (em) height in pixels; > 0: cell height (ascent +
  // descent); 0: a default size. weight as Windows counts it (400 normal, 700
  // bold; 0 = normal). Null when no face can be opened.
  static std::unique_ptr<font_face> open(const char* face_name, int height, int weight, bool italic);
  ~font_face();
  font_face(const font_face&) = delete;
  font_face& operator=(const font_face&) = delete;

  const std::string& family() const { return family_; }
  int pixel_size() const { return pixel_size_; }
  int ascent() const { return ascent_; }    // pixels above the baseline
  int descent() const { return descent_; }  // pixels below the baseline, positive
  bool bold() const { return bold_; }

  // Renders one character (a Unicode code point); false when FreeType fails.
  bool render(unsigned code_point, glyph_bitmap* glyph) const;

private:
  font_face() = default;
  struct freetype_handles;
  std::unique_ptr<freetype_handles> ft_;
  std::string family_;
  int pixel_size_ = 0, ascent_ = 0, descent_ = 0;
  bool bold_ = false;
  bool embolden_ = false;
};
