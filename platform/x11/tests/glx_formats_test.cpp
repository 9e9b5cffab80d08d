#include "platform/x11/glx_formats.h"

#include <gtest/gtest.h>

#include "platform/x11/tests/x11_test_support.h"
#include "platform/x11/x11_backend.h"
// Xlib after gtest: its macros (None, Bool) clash with gtest's names.
#include <GL/glx.h>

namespace {

class glx_formats : public testing::Test {
protected:
  void SetUp() override {
    // The back-end's connection: GL drivers stay loaded on it until the process ends.
    display = x11_backend_display();
    if (!display) GTEST_SKIP() << "no X server (DISPLAY)";
    formats = std::make_unique<glx_format_list>(display, DefaultScreen(display));
    ASSERT_GT(formats->count(), 0);
  }
  void TearDown() override { formats.reset(); }
  int get(int format, int attribute) {
    int value = -1;
    EXPECT_TRUE(formats->attribute(format, attribute, &value)) << "attribute 0x" << std::hex << attribute;
    return value;
  }
  Display* display = nullptr;
  std::unique_ptr<glx_format_list> formats;
};

}  // namespace

TEST_F(glx_formats, srgb_window_configurations_are_reported_as_wgl_attributes) {
  // Mesa offers double-buffered RGBA8 window configurations with depth,
  // stencil and sRGB writes: the ones the strict request needs.
  int strict = 0;
  for (int format = 1; format <= formats->count() && !strict; ++format) {
    if (get(format, wgl_framebuffer_srgb_capable) == 1 && get(format, wgl_draw_to_window) == 1 &&
        get(format, wgl_double_buffer) == 1 && get(format, wgl_alpha_bits) >= 8 && get(format, wgl_depth_bits) >= 24 &&
        get(format, wgl_stencil_bits) >= 8)
      strict = format;
  }
  ASSERT_GT(strict, 0);
  EXPECT_EQ(get(strict, wgl_pixel_type), wgl_type_rgba);
  EXPECT_EQ(get(strict, wgl_support_opengl), 1);
  EXPECT_EQ(get(strict, wgl_color_bits), 24) << "WGL counts colour bits without alpha";
  GLXFBConfig config = formats->config(strict);
  int srgb = 0, red = 0;
  glXGetFBConfigAttrib(display, config, GLX_FRAMEBUFFER_SRGB_CAPABLE_ARB, &srgb);
  glXGetFBConfigAttrib(display, config, GLX_RED_SIZE, &red);
  EXPECT_EQ(srgb, 1);
  EXPECT_EQ(get(strict, wgl_red_bits), red);
  EXPECT_EQ(formats->format_of(config), strict);
  legacy_pixel_format d;
  ASSERT_TRUE(formats->describe(strict, &d));
  EXPECT_TRUE(d.draw_to_window && d.double_buffer && d.rgba);
  EXPECT_EQ(d.color_bits, 32) << "a description counts alpha, as Windows drivers do";
  EXPECT_EQ(d.red_shift, 16);
  EXPECT_EQ(d.blue_shift, 0);
}

TEST_F(glx_formats, unknown_attributes_and_formats_fail) {
  int value = 0;
  EXPECT_FALSE(formats->attribute(0, wgl_red_bits, &value));
  EXPECT_FALSE(formats->attribute(formats->count() + 1, wgl_red_bits, &value));
  EXPECT_FALSE(formats->attribute(1, 0x7777, &value));
  EXPECT_FALSE(formats->attribute(1, wgl_red_bits, nullptr));
  EXPECT_TRUE(formats->attribute(0, wgl_number_pixel_formats, &value));
  EXPECT_EQ(value, formats->count());
  EXPECT_EQ(formats->config(0), nullptr);
  legacy_pixel_format d;
  EXPECT_FALSE(formats->describe(formats->count() + 1, &d));
}
