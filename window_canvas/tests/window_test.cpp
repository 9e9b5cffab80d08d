// The registry, opening windows, the message pump, the guard and the runtime's errors.

#include <string>
#include <vector>

#include "runtime/exception.h"
#include "window_canvas/tests/canvas_fixture.h"

namespace {

class window_core : public canvas_test {
 protected:
  // Empties the queue that opening a window left behind.
  static void drain() {
    for (int i = 0; i < 8; ++i) pump_messages();
  }

  // The what() text of the exception fn throws, or "" when it does not throw.
  template <typename function>
  static std::string failure_of(function fn) {
    try {
      fn();
    } catch (const kiro_runtime_exception& error) {
      EXPECT_EQ(error.payload.module, "window.canvas");
      EXPECT_EQ(error.payload.code, "kiro_window_input_canvas");
      EXPECT_EQ(error.payload.number, 0u);
      EXPECT_EQ(error.payload.extra, "");
      return error.what();
    }
    return "";
  }
};

TEST_F(window_core, a_new_registry_and_its_event_sequence) {
  window_registry& r = registry();
  EXPECT_EQ(r.next_id, 1);
  EXPECT_EQ(r.primary_id, 0);
  EXPECT_EQ(r.current_id, 0);
  EXPECT_EQ(r.event_sequence, 1u);
  window_runtime record;
  EXPECT_EQ(record.dpi_percent, 100);
  EXPECT_EQ(record.monitor_index, 1);
  record.event_code = 77;
  record.stamp_event(0);
  EXPECT_EQ(record.event_sequence, 1u);
  EXPECT_EQ(record.event_code, 77) << "code 0 marks a state change";
  record.stamp_event(101);
  EXPECT_EQ(record.event_sequence, 2u);
  EXPECT_EQ(record.event_code, 101);
  EXPECT_EQ(r.event_sequence, 3u);
  for (int32_t id : {0, -1, 1, 99}) EXPECT_EQ(r.find(id), nullptr) << id;
  EXPECT_EQ(r.current_window(), nullptr);
}

TEST_F(window_core, closing_a_record_without_handles_only_clears_its_state) {
  window_runtime record;
  record.open = 1;
  record.close_requested = 1;
  record.press_counts['A'] = 3;
  record.client_width = 10;
  record.text_input = "kept";
  record.close();
  record.close();
  EXPECT_EQ(record.open, 0);
  EXPECT_EQ(record.close_requested, 0);
  EXPECT_EQ(record.press_counts['A'], 0);
  EXPECT_EQ(record.client_width, 0);
  EXPECT_EQ(record.text_input, "kept");
  EXPECT_EQ(record.event_sequence, 2u);
}

TEST_F(window_core, opening_makes_the_window_primary_and_current) {
  window_runtime& window = open_window();
  EXPECT_EQ(window.id, 1);
  EXPECT_EQ(registry().next_id, 2);
  EXPECT_EQ(registry().primary_id, 1);
  EXPECT_EQ(registry().current_id, 1);
  EXPECT_EQ(window.open, 1);
  EXPECT_EQ(window.visible, 1);
  EXPECT_EQ(window.custom_chrome, 1);
  EXPECT_EQ(window.caption_buttons, 1);
  EXPECT_EQ(window.client_width, 1000);
  EXPECT_EQ(window.client_height, 700);
  EXPECT_NE(window.window_handle, nullptr);
  EXPECT_NE(window.device_context, nullptr);
  EXPECT_NE(window.gl_context, nullptr);
  for (int slot = 0; slot < font_slot_count; ++slot) {
    EXPECT_NE(window.fonts[slot].list_base, 0u) << slot;
    EXPECT_NE(window.fonts[slot].font, nullptr) << slot;
  }
  // A second call reuses the open primary window and ignores its arguments.
  OpenWindow("other", 300, 200, 0);
  EXPECT_EQ(registry().next_id, 2);
  EXPECT_EQ(registry().windows.size(), 1u);
  EXPECT_EQ(window.client_width, 1000);
}

// Who destroys the window, and the guarded call that runs next.
struct window_destruction {
  const char* name;
  void (*destroy)(HWND window);
  const char* guarded_api;
  void (*guarded_call)();
};

class destroyed_window : public window_core, public ::testing::WithParamInterface<window_destruction> {};

TEST_P(destroyed_window, keeps_its_record_until_closed) {
  const window_destruction& test = GetParam();
  window_runtime& window = open_window();
  drain();
  const HWND handle = window.window_handle;
  const uint64_t sequence = window.event_sequence;
  sim_clear_calls();
  test.destroy(handle);
  // The guarded call pumps first, so a destruction the window system queued is seen by then.
  EXPECT_EQ(failure_of(test.guarded_call),
            std::string("window.canvas: window/canvas runtime window is not open for ") + test.guarded_api);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(window.window_handle, nullptr);
  EXPECT_EQ(window.open, 0);
  EXPECT_EQ(window.visible, 0);
  EXPECT_EQ(window.focused, 0);
  EXPECT_GT(window.event_sequence, sequence);
  EXPECT_EQ(sim_calls_named("WTSUnRegisterSessionNotification").size(), 1u);
  // Closing releases the context; the device context went with the window.
  sim_clear_calls();
  CloseAllWindows();
  EXPECT_EQ(sim_calls_named("wglDeleteContext").size(), 1u);
  EXPECT_TRUE(sim_calls_named("ReleaseDC").empty());
  EXPECT_TRUE(sim_calls_named("DestroyWindow").empty());
  EXPECT_EQ(window.gl_context, nullptr);
  EXPECT_EQ(registry().current_window(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    by, destroyed_window,
    ::testing::Values(window_destruction{"DestroyWindow", [](HWND window) { DestroyWindow(window); }, "EndFrame",
                                         [] { EndFrame(); }},
                      window_destruction{"the_window_system", sim_destroy_externally, "BeginFrame",
                                         [] { BeginFrame(0, 0, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(window_core, a_closed_current_window_falls_back_to_the_open_primary) {
  window_runtime& first = open_window();
  first.open = 0;  // as after a close request
  window_runtime& second = open_window();
  ASSERT_EQ(second.id, 2);
  first.open = 1;
  registry().primary_id = 1;
  registry().current_id = 2;
  second.open = 0;
  EXPECT_EQ(registry().current_window(), &first);
  EXPECT_EQ(registry().current_id, 1);
  first.open = 0;
  EXPECT_EQ(registry().current_window(), nullptr);
  EXPECT_EQ(registry().current_id, 1);
}

TEST_F(window_core, the_seventeenth_window_is_never_created) {
  for (int i = 1; i <= 16; ++i) {
    window_runtime& window = open_window();
    ASSERT_EQ(window.id, i);
    CloseAllWindows();
  }
  EXPECT_EQ(registry().next_id, 17);
  OpenWindow("seventeenth", 1000, 700, 0);
  EXPECT_EQ(registry().next_id, 17);
  EXPECT_EQ(registry().windows.size(), 16u);
  EXPECT_EQ(registry().primary_id, 0);
  EXPECT_NE(registry().find(16), nullptr) << "closed records stay registered";
}

struct opening_failure {
  const char* failing_call;
  const char* message;
  std::vector<std::string> last_calls;  // ending with the cleanup, in order
};

class failed_opening : public window_core, public ::testing::WithParamInterface<opening_failure> {};

TEST_P(failed_opening, releases_what_was_acquired_and_consumes_no_id) {
  const opening_failure& test = GetParam();
  sim_fail(test.failing_call);
  const std::string what = failure_of([] { OpenWindow("test", 1000, 700, 0); });
  sim_clear_failures();
  EXPECT_EQ(what, std::string("window.canvas: ") + test.message);
  const std::vector<std::string> names = call_names();
  ASSERT_GE(names.size(), test.last_calls.size());
  EXPECT_EQ(std::vector<std::string>(names.end() - static_cast<long>(test.last_calls.size()), names.end()),
            test.last_calls);
  EXPECT_EQ(registry().next_id, 1);
  EXPECT_EQ(registry().primary_id, 0);
  EXPECT_EQ(registry().current_id, 0);
  EXPECT_TRUE(registry().windows.empty());
  // A later attempt works and gets id 1.
  EXPECT_EQ(open_window().id, 1);
}

INSTANTIATE_TEST_SUITE_P(
    calls, failed_opening,
    ::testing::Values(
        opening_failure{"CreateWindowExW", "failed to create window/canvas window", {"CreateWindowExW"}},
        opening_failure{"GetDC", "failed to acquire window/canvas device context", {"GetDC", "DestroyWindow"}},
        opening_failure{"DescribePixelFormat",
                        "failed to describe strict sRGB window/canvas pixel format",
                        {"DescribePixelFormat", "ReleaseDC", "DestroyWindow"}},
        opening_failure{"SetPixelFormat",
                        "failed to configure window/canvas OpenGL pixel format",
                        {"SetPixelFormat", "ReleaseDC", "DestroyWindow"}},
        opening_failure{"wglCreateContext",
                        "failed to activate window/canvas OpenGL context",
                        {"wglCreateContext", "ReleaseDC", "DestroyWindow"}},
        opening_failure{"wglMakeCurrent",
                        "failed to activate window/canvas OpenGL context",
                        {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}}),
    [](const auto& info) { return std::string(info.param.failing_call); });

TEST_F(window_core, an_invalid_utf8_title_opens_with_an_empty_title) {
  OpenWindow("bad \xC3(", 1000, 700, 0);
  window_runtime* window = registry().find(1);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(sim_window_title(window->window_handle), u"");
}

TEST_F(window_core, pump_dispatches_at_most_32_messages_per_call) {
  window_runtime& window = open_window();
  drain();
  for (int i = 0; i < 40; ++i) sim_post(window.window_handle, WM_CHAR, 'a', 1);
  ClearScissor();
  EXPECT_EQ(window.text_input.size(), 32u);
  ClearScissor();
  EXPECT_EQ(window.text_input.size(), 40u);
}

TEST_F(window_core, a_queued_close_request_makes_the_guarded_call_fail) {
  window_runtime& window = open_window();
  drain();
  sim_post(window.window_handle, WM_CLOSE, 0, 0);
  EXPECT_EQ(failure_of([] { BeginFrame(17, 27, 34); }),
            "window.canvas: window/canvas runtime window is not open for BeginFrame");
  EXPECT_EQ(window.visible, 0);
  EXPECT_FALSE(IsWindowVisible(window.window_handle));
  EXPECT_EQ(window.close_requested, 1);
  const int swaps = sim_swap_count(window.window_handle);
  EXPECT_EQ(failure_of([] { EndFrame(); }), "window.canvas: window/canvas runtime window is not open for EndFrame");
  EXPECT_EQ(sim_swap_count(window.window_handle), swaps) << "nothing is presented";
}

TEST_F(window_core, only_an_open_window_of_ours_in_the_foreground_counts_as_focused) {
  window_runtime& window = open_window();
  sim_set_foreground(window.window_handle);
  drain();
  EXPECT_TRUE(any_window_focused());
  sim_set_foreground(sim_foreign_window());
  drain();
  EXPECT_FALSE(any_window_focused());
  sim_set_foreground(nullptr);
  drain();
  EXPECT_FALSE(any_window_focused());
  sim_set_foreground(window.window_handle);
  drain();
  deliver(window, WM_CLOSE, 0, 0);
  sim_set_foreground(window.window_handle);
  EXPECT_FALSE(any_window_focused()) << "a closed, hidden window";
}

TEST_F(window_core, a_guarded_call_falls_back_to_the_open_primary) {
  window_runtime& first = open_window();
  deliver(first, WM_CLOSE, 0, 0);
  window_runtime& second = open_window();
  ASSERT_EQ(second.id, 2);
  registry().current_id = 1;
  sim_clear_gl_calls();
  BeginFrame(0, 0, 0);
  EXPECT_EQ(registry().current_id, 2);
  ASSERT_FALSE(sim_gl_calls().empty());
  EXPECT_EQ(sim_gl_calls().back().context, second.gl_context);
}

TEST_F(window_core, every_guarded_call_names_itself) {
  const struct {
    const char* name;
    void (*call)();
  } cases[] = {
      {"BeginFrame", [] { BeginFrame(0, 0, 0); }},
      {"EndFrame", [] { EndFrame(); }},
      {"SetScissor", [] { SetScissor(0, 0, 1, 1); }},
      {"ClearScissor", [] { ClearScissor(); }},
      {"DrawRectRgba", [] { DrawRectRgba(0, 0, 1, 1, 0, 0, 0); }},
      {"DrawLineRgba", [] { DrawLineRgba(0, 0, 1, 1, 1, 0, 0, 0, 255); }},
      {"DrawRectGradientVRgba", [] { DrawRectGradientVRgba(0, 0, 1, 1, 0, 0, 0, 255, 0, 0, 0, 255); }},
      {"DrawRoundedRectRgba", [] { DrawRoundedRectRgba(0, 0, 1, 1, 1, 0, 0, 0, 255); }},
      {"DrawTextStyled", [] { DrawTextStyled("x", 0, 0, 150, 0, 0, 0); }},
      {"MouseX", [] { MouseX(); }},
      {"MouseY", [] { MouseY(); }},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(failure_of(test.call), std::string("window.canvas: window/canvas runtime window is not open for ") + test.name);
  }
  EXPECT_FALSE(KeyPressed("ESCAPE"));
  EXPECT_FALSE(MouseDown("LEFT"));
}

TEST_F(window_core, draw_text_fails_as_draw_text_when_its_second_pump_sees_the_close) {
  window_runtime& window = open_window();
  drain();
  // 32 messages fill the first pump; the close request is the 33rd.
  for (int i = 0; i < 32; ++i) sim_post(window.window_handle, WM_NULL, 0, 0);
  sim_post(window.window_handle, WM_CLOSE, 0, 0);
  EXPECT_EQ(failure_of([] { DrawTextStyled("x", 0, 0, 150, 0, 0, 0); }),
            "window.canvas: window/canvas runtime window is not open for DrawText");
}

TEST_F(window_core, display_scale_and_monitors) {
  window_runtime& window = open_window();
  const struct {
    UINT dpi;
    int32_t percent;
  } cases[] = {{96, 100}, {120, 125}, {144, 150}, {192, 200}};
  for (const auto& test : cases) {
    sim_set_window_dpi(window.window_handle, test.dpi);
    window.update_display_scale();
    EXPECT_EQ(window.dpi_percent, test.percent) << test.dpi;
  }
  sim_set_window_dpi(window.window_handle, 0);
  window.update_display_scale();
  EXPECT_EQ(window.dpi_percent, 200) << "an unknown DPI keeps the last one";

  const std::size_t known = registry().monitors.size();
  ASSERT_EQ(window.monitor_index, static_cast<int32_t>(known));
  const int32_t first = window.monitor_index;
  sim_set_window_monitor(window.window_handle, 0x5150);
  window.update_display_scale();
  EXPECT_EQ(window.monitor_index, first + 1);
  EXPECT_EQ(registry().monitors.size(), known + 1);
  sim_fail("MonitorFromWindow", 1);
  window.update_display_scale();
  EXPECT_EQ(window.monitor_index, 0);
  sim_set_window_monitor(window.window_handle, 0x5150);
  window.update_display_scale();
  EXPECT_EQ(window.monitor_index, first + 1);
  EXPECT_EQ(registry().monitors.size(), known + 1);
}

}  // namespace
