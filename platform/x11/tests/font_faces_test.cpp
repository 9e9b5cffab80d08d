#include "platform/x11/font_faces.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

int ink(const glyph_bitmap& glyph) {
  int pixels = 0;
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x) pixels += glyph.pixel(x, y);
  return pixels;
}

}  // namespace

TEST(font_faces, segoe_ui_falls_back_to_an_installed_sans) {
  for (int weight : {400, 700}) {
    auto font = font_face::open("Segoe UI", -20, weight, false);
    ASSERT_TRUE(font) << "weight " << weight;
    EXPECT_FALSE(font->family().empty());
    EXPECT_NE(font->family().find("Sans"), std::string::npos) << font->family();
    EXPECT_EQ(font->pixel_size(), 20);
    EXPECT_EQ(font->bold(), weight == 700);
  }
}

TEST(font_faces, glyphs_sit_on_the_baseline_with_their_advances) {
  auto font = font_face::open("Segoe UI", -20, 400, false);
  ASSERT_TRUE(font);
  glyph_bitmap capital, descender, space;
  ASSERT_TRUE(font->render('H', &capital));
  ASSERT_TRUE(font->render('g', &descender));
  ASSERT_TRUE(font->render(' ', &space));
  // A capital stands on the baseline and reaches roughly the cap height.
  EXPECT_LE(std::abs(capital.y_origin), 1);
  EXPECT_GE(capital.height, 12);
  EXPECT_LE(capital.height, 17);
  bool bottom_row_inked = false;
  for (int x = 0; x < capital.width; ++x) bottom_row_inked |= capital.pixel(x, 0);
  EXPECT_TRUE(bottom_row_inked);
  // A descender hangs below it.
  EXPECT_GT(descender.y_origin, 2);
  EXPECT_GT(capital.advance, capital.width * 0.8f);
  EXPECT_GT(space.advance, 2);
  EXPECT_EQ(ink(space), 0);
  EXPECT_GT(font->ascent(), 14);
  EXPECT_GT(font->descent(), 2);
}

TEST(font_faces, heights_select_em_or_cell_size) {
  auto em = font_face::open("Segoe UI", -28, 400, false);
  auto cell = font_face::open("Segoe UI", 28, 400, false);
  auto fallback = font_face::open("Segoe UI", 0, 400, false);
  ASSERT_TRUE(em && cell && fallback);
  EXPECT_EQ(em->pixel_size(), 28);
  EXPECT_LT(cell->pixel_size(), 28);  // the cell includes the leading
  EXPECT_GT(fallback->pixel_size(), 0);
  auto bold = font_face::open("Segoe UI", -28, 700, false);
  glyph_bitmap regular_h, bold_h;
  ASSERT_TRUE(em->render('H', &regular_h) && bold->render('H', &bold_h));
  EXPECT_GT(ink(bold_h), ink(regular_h));
}
