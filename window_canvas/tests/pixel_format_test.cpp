// Opening a window: the order of its platform calls, the strict sRGB format and
// its proof, the legacy fallback, the probe window, dark attributes, classes.

#include <string>
#include <vector>

#include "window_canvas/tests/canvas_fixture.h"

namespace {

class pixel_format : public canvas_test {
 protected:
  static bool srgb_enabled_ever() {
    for (const sim_gl_call& call : sim_gl_calls_named("glEnable")) {
      if (call.args.at(0) == GL_FRAMEBUFFER_SRGB) return true;
    }
    return false;
  }
};

TEST_F(pixel_format, a_successful_opening_makes_its_calls_in_order) {
  OpenWindow("Kelvaro / Quon + Vantrel", 1000, 700, 0);
  std::vector<std::string> expected = {
      // classes, once per process
      "SetProcessDpiAwarenessContext", "GetModuleHandleA", "LoadCursorA", "CreateSolidBrush", "RegisterClassW",
      "RegisterClassW",
      // the window and its device context
      "AdjustWindowRectEx", "GetModuleHandleA", "CreateWindowExW", "DragAcceptFiles", "GetDC",
      // the format chooser and its probe window
      "wglGetCurrentDC", "wglGetCurrentContext", "GetModuleHandleA", "CreateWindowExW", "GetDC", "ChoosePixelFormat",
      "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "wglGetProcAddress", "wglChoosePixelFormatARB",
      "wglGetProcAddress", "wglGetPixelFormatAttribivARB", "wglMakeCurrent", "wglDeleteContext", "ReleaseDC",
      "DestroyWindow",
      // the window's format and context, then the sRGB re-check
      "DescribePixelFormat", "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "GetPixelFormat",
      "wglGetProcAddress", "wglGetPixelFormatAttribivARB",
      // touch, session, dark chrome (no dwmapi.dll here)
      "RegisterTouchWindow", "WTSRegisterSessionNotification", "LoadLibraryA"};
  for (int slot = 0; slot < font_slot_count; ++slot) {
    for (const char* name : {"CreateFontA", "SelectObject", "wglUseFontBitmapsA", "SelectObject"}) expected.push_back(name);
  }
  for (const char* name : {"GetDpiForWindow", "MonitorFromWindow", "ShowWindow"}) expected.push_back(name);
  const std::vector<std::string> names = call_names();
  ASSERT_GE(names.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(expected.size())), expected);
  // Showing the window sizes it (repainting twice) before UpdateWindow and the first pump.
  const std::vector<std::string> tail(names.end() - 2, names.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"UpdateWindow", "PeekMessageW"}));

  const auto create = sim_calls_named("CreateWindowExW");
  ASSERT_EQ(create.size(), 2u);
  EXPECT_EQ(create[0].args.at(1), "\"quon_window_input_canvas_window\"");
  EXPECT_EQ(create[0].args.at(2), "\"Kelvaro / Quon + Vantrel\"");
  EXPECT_EQ(create[0].args.at(3), platform_arg(int64_t{WS_OVERLAPPEDWINDOW}));
  EXPECT_EQ(create[1].args.at(3), platform_arg(int64_t{WS_POPUP}));
  const auto fonts = sim_calls_named("CreateFontA");
  ASSERT_EQ(fonts.size(), 10u);
  EXPECT_EQ(fonts[9].args.at(0), "-28");
  EXPECT_EQ(fonts[9].args.at(4), "700");
  EXPECT_EQ(fonts[9].args.at(13), "\"Segoe UI\"");

  // A second window registers no class again.
  window_runtime& first = *registry().find(1);
  deliver(first, WM_CLOSE, 0, 0);
  sim_clear_calls();
  OpenWindow("second", 300, 200, 0);
  EXPECT_EQ(registry().primary_id, 2);
  EXPECT_TRUE(sim_calls_named("RegisterClassW").empty());
}

TEST_F(pixel_format, a_strict_srgb_format_is_proven_with_a_texture) {
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 1);
  EXPECT_EQ(window.srgb_verified, 1);
  EXPECT_TRUE(sim_gl_enabled(GL_FRAMEBUFFER_SRGB));
  const auto upload = sim_gl_calls_named("glTexImage2D");
  ASSERT_EQ(upload.size(), 1u);
  EXPECT_EQ(upload[0].args.at(2), GL_SRGB8_ALPHA8);
  EXPECT_EQ(upload[0].bytes, std::string("\x80\x80\x80\xFF"));
  EXPECT_EQ(sim_gl_calls_named("glDeleteTextures").size(), 1u);
}

struct texture_case {
  const char* name;
  GLint format;
  bool writes;
};

class texture_read_back : public pixel_format, public ::testing::WithParamInterface<texture_case> {};

TEST_P(texture_read_back, another_format_disables_srgb_writes) {
  sim_set_texture_internal_format(GetParam().format, GetParam().writes);
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 1);
  EXPECT_EQ(window.srgb_verified, 0);
  EXPECT_FALSE(sim_gl_enabled(GL_FRAMEBUFFER_SRGB));
  EXPECT_EQ(sim_gl_calls_named("glDeleteTextures").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(formats, texture_read_back,
                         ::testing::Values(texture_case{"rgba8", 0x8058 /* GL_RGBA8 */, true},
                                           texture_case{"nothing_written", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(pixel_format, srgb_writes_that_do_not_take_effect_are_not_verified) {
  sim_set_srgb_framebuffer_works(false);
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 1);
  EXPECT_EQ(window.srgb_verified, 0);
  EXPECT_TRUE(sim_gl_calls_named("glGenTextures").empty());
  EXPECT_TRUE(sim_gl_calls_named("glDisable").empty() ||
              sim_gl_calls_named("glDisable").front().args.at(0) != GL_FRAMEBUFFER_SRGB);
}

class missing_extension : public pixel_format, public ::testing::WithParamInterface<std::intptr_t> {};

TEST_P(missing_extension, gets_the_legacy_format) {
  sim_set_proc_address("wglChoosePixelFormatARB", GetParam());
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 0);
  EXPECT_EQ(window.srgb_verified, 0);
  EXPECT_FALSE(srgb_enabled_ever());
  EXPECT_TRUE(sim_calls_named("DescribePixelFormat").empty());
  const auto chosen = sim_calls_named("ChoosePixelFormat");
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[1].args.at(1), "37") << "the window's descriptor flags";
  EXPECT_EQ(chosen[1].args.at(2), "32") << "the window's descriptor has 32 colour bits";
}

INSTANTIATE_TEST_SUITE_P(answers, missing_extension, ::testing::Values(0, 1, 2, 3, -1));

TEST_F(pixel_format, the_extension_is_asked_for_24_colour_bits_with_8_alpha) {
  // Counted without alpha, like the descriptor of the probe.
  sim_set_pixel_formats({sim_pixel_format(24, 8, 24, 8, true)});
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 1);
  EXPECT_EQ(window.srgb_verified, 1);
}

TEST_F(pixel_format, a_format_that_cannot_be_re_checked_is_not_used) {
  sim_set_proc_address("wglGetPixelFormatAttribivARB", 0);
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 0);
  EXPECT_FALSE(srgb_enabled_ever());
  EXPECT_TRUE(sim_calls_named("DescribePixelFormat").empty()) << "the legacy chooser picked the format";
  EXPECT_EQ(sim_calls_named("wglChoosePixelFormatARB").size(), 1u);
}

struct format_case {
  const char* name;
  backend_pixel_format format;
};

class non_strict_format : public pixel_format, public ::testing::WithParamInterface<format_case> {};

TEST_P(non_strict_format, is_refused) {
  sim_set_pixel_formats({GetParam().format, sim_pixel_format(32, 8, 24, 8, false)});
  window_runtime& window = open_window();
  EXPECT_EQ(window.srgb_format, 0);
  EXPECT_FALSE(srgb_enabled_ever());
}

INSTANTIATE_TEST_SUITE_P(
    formats, non_strict_format,
    ::testing::Values(format_case{"no_srgb", sim_pixel_format(32, 8, 24, 8, false)},
                      format_case{"no_alpha", sim_pixel_format(24, 0, 24, 8, true)},
                      format_case{"depth_16", sim_pixel_format(32, 8, 16, 8, true)},
                      format_case{"no_stencil", sim_pixel_format(32, 8, 24, 0, true)},
                      format_case{"single_buffered", sim_pixel_format(32, 8, 24, 8, true, false)}),
    [](const auto& info) { return std::string(info.param.name); });

class probe_failure : public pixel_format, public ::testing::WithParamInterface<const char*> {};

TEST_P(probe_failure, still_tears_the_probe_down_and_restores_the_context) {
  const char* name = GetParam();
  {
    // A window whose context is current when the next one is opened.
    window_runtime& previous = open_window();
    deliver(previous, WM_CLOSE, 0, 0);
    sim_clear_calls();
    sim_fail(name, 1);  // the probe's call
    window_runtime& window = open_window();
    sim_clear_failures();
    const auto probe = sim_calls_named("CreateWindowExW").at(1);
    EXPECT_EQ(probe.args.at(3), platform_arg(int64_t{WS_POPUP}));
    const auto released = sim_calls_named("ReleaseDC");
    const auto destroyed = sim_calls_named("DestroyWindow");
    EXPECT_EQ(released.size(), 1u) << name;
    EXPECT_EQ(destroyed.size(), 1u) << name;
    const auto current = sim_calls_named("wglMakeCurrent");
    bool restored = false;
    for (const platform_call& call : current) {
      restored = restored || (call.args.at(0) == platform_arg(previous.device_context) &&
                              call.args.at(1) == platform_arg(previous.gl_context));
    }
    EXPECT_TRUE(restored) << name << ": the previous context was made current again";
    EXPECT_EQ(window.srgb_format, 0) << name;
    EXPECT_EQ(window.open, 1) << name << ": the window opens with the legacy format";
    for (const sim_gl_call& call : sim_gl_calls()) {
      EXPECT_NE(call.context, nullptr) << name << ": " << call.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(calls, probe_failure,
                         ::testing::Values("ChoosePixelFormat", "SetPixelFormat", "wglCreateContext", "wglMakeCurrent"));

TEST_F(pixel_format, dark_attributes_when_the_window_manager_offers_them) {
  sim_set_dwmapi_present(true);
  window_runtime& window = open_window();
  const auto calls = sim_calls_named("DwmSetWindowAttribute");
  ASSERT_EQ(calls.size(), 5u);
  const char* attributes[] = {"20", "19", "35", "34", "36"};
  const int64_t values[] = {1, 1, RGB(18, 20, 24), RGB(43, 47, 54), RGB(232, 232, 226)};
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].args.at(0), platform_arg(window.window_handle));
    EXPECT_EQ(calls[i].args.at(1), attributes[i]);
    EXPECT_EQ(calls[i].args.at(2), platform_arg(values[i]));
    EXPECT_EQ(calls[i].args.at(3), "4");
  }
  EXPECT_EQ(sim_calls_named("FreeLibrary").size(), 1u);
}

}  // namespace
