// The frame, clip, shape and text calls as the OpenGL calls they make.

#include <string>
#include <vector>

#include "window_canvas/tests/canvas_fixture.h"
#include "window_canvas/canvas_colors.h"

namespace {

class drawing : public canvas_test {
 protected:
  // The GL calls made by fn, after the pending messages are out of the way.
  template <typename function>
  static std::vector<sim_gl_call> gl_calls_of(function fn) {
    for (int i = 0; i < 8; ++i) pump_messages();
    sim_clear_gl_calls();
    fn();
    return sim_gl_calls();
  }

  static std::vector<sim_gl_call> named(const std::vector<sim_gl_call>& calls, const std::string& name) {
    std::vector<sim_gl_call> found;
    for (const sim_gl_call& call : calls) {
      if (call.name == name) found.push_back(call);
    }
    return found;
  }

  static std::vector<std::string> names(const std::vector<sim_gl_call>& calls) {
    std::vector<std::string> result;
    for (const sim_gl_call& call : calls) result.push_back(call.name);
    return result;
  }

  // The vertices of the one glBegin/glEnd block in calls.
  static std::vector<std::pair<double, double>> vertices(const std::vector<sim_gl_call>& calls) {
    std::vector<std::pair<double, double>> result;
    for (const sim_gl_call& call : named(calls, "glVertex2f")) result.emplace_back(call.args[0], call.args[1]);
    return result;
  }

  // The texts drawn by the glCallLists calls, one entry per call.
  static std::vector<std::string> drawn_runs(const std::vector<sim_gl_call>& calls) {
    std::vector<std::string> runs;
    for (const sim_gl_call& call : named(calls, "glCallLists")) runs.push_back(call.bytes);
    return runs;
  }
};

using vertex_list = std::vector<std::pair<double, double>>;

TEST_F(drawing, begin_frame_prepares_the_pixel_view_and_clears) {
  window_runtime& window = open_window();
  const auto calls = gl_calls_of([] { BeginFrame(17, 27, 34); });
  const std::vector<std::string> expected = {
      "glViewport",  "glMatrixMode", "glLoadIdentity", "glOrtho",      "glMatrixMode",  "glLoadIdentity",
      "glDisable",   "glDisable",    "glDisable",      "glColorMask",  "glStencilMask", "glStencilFunc",
      "glStencilOp", "glEnable",     "glBlendFunc",    "glClearStencil", "glClearColor", "glClear"};
  EXPECT_EQ(names(calls), expected);
  ASSERT_EQ(calls.size(), expected.size());
  EXPECT_EQ(calls[0].args, (std::vector<double>{0, 0, 1000, 700}));
  EXPECT_EQ(calls[3].args, (std::vector<double>{0, 1000, 700, 0, -1, 1}));
  EXPECT_EQ(calls[6].args[0], GL_DEPTH_TEST);
  EXPECT_EQ(calls[7].args[0], GL_SCISSOR_TEST);
  EXPECT_EQ(calls[8].args[0], GL_STENCIL_TEST);
  EXPECT_EQ(calls[13].args[0], GL_BLEND);
  EXPECT_EQ(calls[14].args, (std::vector<double>{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
  EXPECT_EQ(calls[17].args[0], GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  for (const sim_gl_call& call : calls) EXPECT_EQ(call.context, window.gl_context) << call.name;
}

TEST_F(drawing, clear_colour_on_a_verified_srgb_framebuffer_is_linear) {
  window_runtime& window = open_window();
  ASSERT_EQ(window.srgb_verified, 1);
  const auto clear = named(gl_calls_of([] { BeginFrame(17, 27, 34); }), "glClearColor");
  ASSERT_EQ(clear.size(), 1u);
  EXPECT_EQ(clear[0].args, (std::vector<double>{srgb_to_linear(17), srgb_to_linear(27), srgb_to_linear(34), 1.0}));
  EXPECT_NEAR(srgb_to_linear(17), 0.0056054, 1e-6);
  EXPECT_NEAR(srgb_to_linear(10), 10 / 255.0 / 12.92, 1e-9) << "the linear segment";
  EXPECT_EQ(srgb_to_linear(0), 0.0f);
  EXPECT_EQ(srgb_to_linear(255), 1.0f);
  EXPECT_EQ(srgb_to_linear(-4), 0.0f);
  EXPECT_EQ(srgb_to_linear(999), 1.0f);
}

TEST_F(drawing, clear_colour_without_srgb_is_the_byte_fraction) {
  sim_set_srgb_framebuffer_works(false);
  window_runtime& window = open_window();
  ASSERT_EQ(window.srgb_verified, 0);
  const auto clear = named(gl_calls_of([] { BeginFrame(17, 27, 34); }), "glClearColor");
  ASSERT_EQ(clear.size(), 1u);
  EXPECT_EQ(clear[0].args, (std::vector<double>{17 / 255.0f, 27 / 255.0f, 34 / 255.0f, 1.0}));
  // A channel of 1 is full intensity for the clear colour but 1/255 as a draw colour.
  EXPECT_EQ(color_channel(1), 1.0f);
  EXPECT_EQ(color_channel(-3), 0.0f);
  EXPECT_EQ(color_channel(400), 1.0f);
  const auto colour = named(gl_calls_of([] { set_draw_color(1, 0, 300, 300); }), "glColor4ub");
  ASSERT_EQ(colour.size(), 1u);
  EXPECT_EQ(colour[0].args, (std::vector<double>{1, 0, 255, 255}));
}

TEST_F(drawing, draw_colours_are_linear_with_byte_alpha_on_srgb) {
  open_window();
  const auto colour = named(gl_calls_of([] { set_draw_color(128, 0, 255, 300); }), "glColor4f");
  ASSERT_EQ(colour.size(), 1u);
  EXPECT_EQ(colour[0].args, (std::vector<double>{srgb_to_linear(128), 0.0, 1.0, 1.0}));
}

TEST_F(drawing, end_frame_resets_clipping_and_presents) {
  window_runtime& window = open_window();
  const int swaps = sim_swap_count(window.window_handle);
  const auto calls = gl_calls_of([] { EndFrame(); });
  EXPECT_EQ(names(calls), (std::vector<std::string>{"glDisable", "glDisable", "glColorMask", "glStencilMask",
                                                    "glStencilFunc", "glStencilOp", "glFlush"}));
  EXPECT_EQ(sim_swap_count(window.window_handle), swaps + 1);
}

TEST_F(drawing, scissor_rows_count_from_the_bottom) {
  open_window();
  const auto calls = gl_calls_of([] { SetScissor(0, 154, 1000, 450); });
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].name, "glEnable");
  EXPECT_EQ(calls[0].args[0], GL_SCISSOR_TEST);
  EXPECT_EQ(calls[1].name, "glScissor");
  EXPECT_EQ(calls[1].args, (std::vector<double>{0, 96, 1000, 450}));
  const auto extreme = named(gl_calls_of([] { SetScissor(0, 2147483647, 10, 2147483647); }), "glScissor");
  ASSERT_EQ(extreme.size(), 1u);
  EXPECT_EQ(extreme[0].args[1], -2147483648.0);
  const auto cleared = gl_calls_of([] { ClearScissor(); });
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared[0].name, "glDisable");
  EXPECT_EQ(cleared[0].args[0], GL_SCISSOR_TEST);
}

TEST_F(drawing, rectangles_with_negative_sizes) {
  open_window();
  EXPECT_EQ(vertices(gl_calls_of([] { DrawRectRgba(10, 20, 30, 40, 1, 2, 3); })),
            (vertex_list{{10, 20}, {40, 20}, {40, 60}, {10, 60}}));
  EXPECT_EQ(vertices(gl_calls_of([] { DrawRectRgba(10, 20, -5, 40, 1, 2, 3); })),
            (vertex_list{{10, 20}, {10, 20}, {10, 60}, {10, 60}}));
  EXPECT_EQ(vertices(gl_calls_of([] { DrawRectRgba(10, 20, 30, -5, 1, 2, 3); })),
            (vertex_list{{10, 20}, {40, 20}, {40, 15}, {10, 15}}));
  const auto calls = gl_calls_of([] { DrawRectRgba(0, 0, 1, 1, 1, 2, 3); });
  EXPECT_EQ(calls.front().name, "glColor4f");
  EXPECT_EQ(named(calls, "glBegin")[0].args[0], GL_QUADS);
  EXPECT_EQ(calls.back().name, "glEnd");
}

TEST_F(drawing, lines_are_at_least_one_pixel_wide_with_square_ends) {
  open_window();
  EXPECT_EQ(vertices(gl_calls_of([] { DrawLineRgba(10, 10, 20, 10, 4, 1, 2, 3, 255); })),
            (vertex_list{{10, 12}, {20, 12}, {20, 8}, {10, 8}}));
  EXPECT_EQ(vertices(gl_calls_of([] { DrawLineRgba(10, 10, 10, 30, -3, 1, 2, 3, 255); })),
            (vertex_list{{9.5, 10}, {9.5, 30}, {10.5, 30}, {10.5, 10}}));
  EXPECT_EQ(vertices(gl_calls_of([] { DrawLineRgba(5, 5, 5, 5, 6, 1, 2, 3, 255); })),
            (vertex_list{{2, 2}, {8, 2}, {8, 8}, {2, 8}}));
}

TEST_F(drawing, a_vertical_gradient_sets_a_colour_per_edge) {
  sim_set_srgb_framebuffer_works(false);
  open_window();
  const auto calls = gl_calls_of([] { DrawRectGradientVRgba(0, 154, 1000, 450, 58, 167, 184, 255, 29, 111, 144, 200); });
  EXPECT_EQ(names(calls), (std::vector<std::string>{"glBegin", "glColor4ub", "glVertex2f", "glVertex2f", "glColor4ub",
                                                    "glVertex2f", "glVertex2f", "glEnd"}));
  EXPECT_EQ(calls[1].args, (std::vector<double>{58, 167, 184, 255}));
  EXPECT_EQ(calls[4].args, (std::vector<double>{29, 111, 144, 200}));
  EXPECT_EQ(vertices(calls), (vertex_list{{0, 154}, {1000, 154}, {1000, 604}, {0, 604}}));
}

TEST_F(drawing, a_rounded_rectangle_is_a_fan_of_38_vertices) {
  open_window();
  const auto calls = gl_calls_of([] { DrawRoundedRectRgba(100, 200, 20, 37, 5, 126, 104, 78, 255); });
  EXPECT_EQ(named(calls, "glBegin")[0].args[0], GL_TRIANGLE_FAN);
  const vertex_list fan = vertices(calls);
  ASSERT_EQ(fan.size(), 38u);
  EXPECT_EQ(fan[0], (std::pair<double, double>{110, 218.5}));
  const std::pair<double, double> corners[] = {
      {115, 200},  // top of the top-right corner
      {120, 205},  // its right end, then the start of the bottom-right corner
      {120, 232}, {115, 237}, {105, 237}, {100, 232}, {100, 205}, {105, 200}};
  EXPECT_EQ(fan[1], corners[0]);
  EXPECT_NEAR(fan[9].first, corners[1].first, 1e-4);
  EXPECT_NEAR(fan[9].second, corners[1].second, 1e-4);
  EXPECT_NEAR(fan[10].first, corners[2].first, 1e-4);
  EXPECT_NEAR(fan[10].second, corners[2].second, 1e-4);
  EXPECT_NEAR(fan[18].first, corners[3].first, 1e-4);
  EXPECT_NEAR(fan[19].first, corners[4].first, 1e-4);
  EXPECT_NEAR(fan[27].second, corners[5].second, 1e-4);
  EXPECT_NEAR(fan[28].second, corners[6].second, 1e-4);
  EXPECT_NEAR(fan[36].first, corners[7].first, 1e-4);
  EXPECT_EQ(fan[37], fan[1]) << "the fan closes on its first perimeter vertex";
}

TEST_F(drawing, text_size_codes_choose_the_style) {
  window_runtime& window = open_window();
  const struct {
    int32_t size;
    int slot;  // the bold slot of the style
    int ascent;
  } cases[] = {{150, 5, 12}, {249, 5, 12}, {250, 7, 16}, {329, 7, 16}, {330, 9, 23}, {331, 7, 16}, {-7, 5, 12}};
  for (const auto& test : cases) {
    const auto calls = gl_calls_of([&] { DrawTextStyled("A", 40, 100, test.size, 200, 200, 200); });
    const auto base = named(calls, "glListBase");
    ASSERT_EQ(base.size(), 1u) << test.size;
    EXPECT_EQ(base[0].args[0], static_cast<double>(window.fonts[test.slot].list_base - 32u)) << test.size;
    const auto raster = named(calls, "glRasterPos2f");
    ASSERT_EQ(raster.size(), 1u);
    EXPECT_EQ(raster[0].args, (std::vector<double>{40, 100.0 + test.ascent})) << test.size;
    const auto drawn = named(calls, "glCallLists");
    ASSERT_EQ(drawn.size(), 1u);
    ASSERT_EQ(drawn[0].lists.size(), 1u);
    EXPECT_EQ(sim_list_glyph(drawn[0].lists[0]), 'A');
  }
  EXPECT_EQ(font_slot_pixel_heights[5], 15);
  EXPECT_EQ(font_slot_pixel_heights[7], 20);
  EXPECT_EQ(font_slot_pixel_heights[9], 28);
}

TEST_F(drawing, text_falls_back_to_the_normal_weight_without_a_bold_font) {
  sim_fail("CreateFontA", 6);  // the 15 px bold font
  window_runtime& window = open_window();
  ASSERT_EQ(window.fonts[5].font, nullptr);
  ASSERT_EQ(window.fonts[5].list_base, 0u);
  const auto base = named(gl_calls_of([] { DrawTextStyled("A", 0, 0, 150, 1, 1, 1); }), "glListBase");
  ASSERT_EQ(base.size(), 1u);
  EXPECT_EQ(base[0].args[0], static_cast<double>(window.fonts[4].list_base - 32u));
}

TEST_F(drawing, text_without_fonts_or_characters_draws_nothing) {
  sim_fail("wglUseFontBitmapsA");
  window_runtime& window = open_window();
  for (const font_slot& slot : window.fonts) EXPECT_EQ(slot.list_base, 0u);
  EXPECT_TRUE(gl_calls_of([] { DrawTextStyled("text", 0, 0, 150, 1, 1, 1); }).empty());
  sim_clear_failures();
  EXPECT_TRUE(gl_calls_of([] { DrawTextStyled("", 0, 0, 150, 1, 1, 1); }).empty());
}

TEST_F(drawing, non_printable_bytes_draw_one_replacement_per_sequence) {
  open_window();
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> runs;
  } cases[] = {
      {"cafe with e acute", "caf\xC3\xA9", {"caf", "?"}},
      {"lead byte without continuation", "\xC3" "A", {"?", "A"}},
      {"overlong three-byte form", "\xE0\x80\x80", {"?", "?", "?"}},
      {"surrogate form", "\xED\xA0\x80", {"?", "?", "?"}},
      {"four-byte emoji", "x\xF0\x9F\x98\x80y", {"x", "?", "y"}},
      {"four-byte above U+10FFFF", "\xF4\x90\x80\x80", {"?", "?", "?", "?"}},
      {"truncated at the end", "ab\xE2\x82", {"ab", "?", "?"}},
      {"tab and line feed", "a\tb\n", {"a", "?", "b", "?"}},
      {"DEL and C0, C1, F5", "\x7F\xC0\xC1\xF5", {"?", "?", "?", "?"}},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(drawn_runs(gl_calls_of([&] { DrawTextStyled(test.text, 0, 0, 150, 1, 1, 1); })), test.runs) << test.name;
  }
}

TEST_F(drawing, a_resize_resets_the_view_and_presents_two_cleared_frames) {
  window_runtime& window = open_window();
  const int swaps = sim_swap_count(window.window_handle);
  const auto calls = gl_calls_of([&] { deliver(window, WM_SIZE, SIZE_RESTORED, words(800, 600)); });
  EXPECT_EQ(sim_swap_count(window.window_handle), swaps + 2);
  const auto clears = named(calls, "glClear");
  ASSERT_EQ(clears.size(), 2u);
  EXPECT_EQ(clears[0].args[0], GL_COLOR_BUFFER_BIT);
  const auto viewport = named(calls, "glViewport");
  ASSERT_EQ(viewport.size(), 1u);
  EXPECT_EQ(viewport[0].args, (std::vector<double>{0, 0, 800, 600}));
  const auto clear_colour = named(calls, "glClearColor");
  ASSERT_EQ(clear_colour.size(), 1u);
  EXPECT_EQ(clear_colour[0].args, (std::vector<double>{srgb_to_linear(10), srgb_to_linear(11), srgb_to_linear(13), 1.0}));
  const auto next = named(gl_calls_of([] { BeginFrame(0, 0, 0); }), "glViewport");
  EXPECT_EQ(next[0].args, (std::vector<double>{0, 0, 800, 600}));
}

}  // namespace
