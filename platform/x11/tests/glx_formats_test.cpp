#include "platform/x11/glx_formats.h"

#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) clash with gtest's names.
#include <GL/glx.h>

namespace {

class glx_formats : public testing::Test {
protected:
  void SetUp() override {
    display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X server (DISPLAY)";
    formats = std::make_unique<glx_format_list>(display, DefaultScreen(display));
    ASSERT_GT(formats->count(), 0);
  }
  void TearDown() override {
    formats.reset();
    if (display) XCloseDisplay(display);
  }
  int get(int format, int attribute) {
    int value = -1;
    EXPECT_TRUE(formats->attribute(format, attribute, &value)) << "attribute 0x" << std::hex << attribute;
    return value;
  }
  Display* display = nullptr;
  std::unique_ptr<glx_format_list> formats;
};

const int strict_srgb_request[] = {
    wgl_draw_to_window, 1, wgl_support_opengl, 1, wgl_double_buffer, 1, wgl_pixel_type, wgl_type_rgba,
    wgl_color_bits, 24, wgl_red_bits, 8, wgl_green_bits, 8, wgl_blue_bits, 8, wgl_alpha_bits, 8,
    wgl_depth_bits, 24, wgl_stencil_bits, 8, wgl_framebuffer_srgb_capable, 1, 0};

}  // namespace

TEST_F(glx_formats, strict_srgb_request_yields_matching_window_formats_best_first) {
  const std::vector<int> chosen = formats->choose(strict_srgb_request);
  ASSERT_FALSE(chosen.empty()) << "Mesa offers sRGB-capable window configurations";
  for (int format : chosen) {
    EXPECT_EQ(get(format, wgl_draw_to_window), 1);
    EXPECT_EQ(get(format, wgl_double_buffer), 1);
    EXPECT_EQ(get(format, wgl_pixel_type), wgl_type_rgba);
    EXPECT_GE(get(format, wgl_color_bits), 24);
    EXPECT_GE(get(format, wgl_alpha_bits), 8);
    EXPECT_GE(get(format, wgl_depth_bits), 24);
    EXPECT_GE(get(format, wgl_stencil_bits), 8);
    EXPECT_EQ(get(format, wgl_framebuffer_srgb_capable), 1);
  }
  // The first is an accelerated, single-sampled format on the default visual depth.
  const int best = chosen.front();
  EXPECT_EQ(get(best, wgl_acceleration), wgl_full_acceleration);
  EXPECT_EQ(get(best, wgl_samples), 0);
  EXPECT_EQ(get(best, wgl_color_bits), 24);
  XVisualInfo* visual = glXGetVisualFromFBConfig(display, formats->config(best));
  ASSERT_NE(visual, nullptr);
  EXPECT_EQ(visual->depth, DefaultDepth(display, DefaultScreen(display)));
  XFree(visual);
  EXPECT_EQ(formats->format_of(formats->config(best)), best);
}

TEST_F(glx_formats, unknown_attributes_and_formats_fail) {
  int value = 0;
  EXPECT_FALSE(formats->attribute(0, wgl_red_bits, &value));
  EXPECT_FALSE(formats->attribute(formats->count() + 1, wgl_red_bits, &value));
  EXPECT_FALSE(formats->attribute(1, 0x7777, &value));
  EXPECT_FALSE(formats->attribute(1, wgl_red_bits, nullptr));
  EXPECT_TRUE(formats->attribute(0, wgl_number_pixel_formats, &value));
  EXPECT_EQ(value, formats->count());
  const int unknown[] = {0x7777, 1, 0};
  EXPECT_TRUE(formats->choose(unknown).empty());
  const int impossible[] = {wgl_red_bits, 64, 0};
  EXPECT_TRUE(formats->choose(impossible).empty());
  EXPECT_EQ(formats->config(0), nullptr);
  legacy_pixel_format d;
  EXPECT_FALSE(formats->describe(formats->count() + 1, &d));
}

TEST_F(glx_formats, legacy_requests_get_the_closest_window_format) {
  legacy_pixel_format request;
  request.draw_to_window = request.support_opengl = request.double_buffer = true;
  request.color_bits = 32;
  request.alpha_bits = 8;
  request.depth_bits = 24;
  request.stencil_bits = 8;
  const int format = formats->choose_legacy(request);
  ASSERT_GT(format, 0);
  legacy_pixel_format d;
  ASSERT_TRUE(formats->describe(format, &d));
  EXPECT_TRUE(d.draw_to_window);
  EXPECT_TRUE(d.double_buffer);
  EXPECT_EQ(d.color_bits, 32);
  EXPECT_EQ(d.alpha_bits, 8);
  EXPECT_EQ(d.depth_bits, 24);
  EXPECT_EQ(d.stencil_bits, 8);
  EXPECT_EQ(get(format, wgl_framebuffer_srgb_capable), 0) << "a plain request prefers a plain format";
  // Asking for more than any format has still yields the nearest one.
  request.depth_bits = 64;
  EXPECT_GT(formats->choose_legacy(request), 0);
}
