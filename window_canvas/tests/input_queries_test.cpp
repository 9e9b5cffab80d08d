// KeyPressed, MouseDown, MouseX/MouseY and CloseAllWindows.

#include <string>
#include <vector>

#include "runtime/exception.h"
#include "window_canvas/tests/canvas_fixture.h"

namespace {

class input_queries : public canvas_test {
 protected:
  // The window as the user sees it after opening: in the foreground with the focus.
  window_runtime& open_focused_window() {
    window_runtime& window = open_window();
    sim_set_foreground(window.window_handle);
    sim_set_focus(window.window_handle);
    for (int i = 0; i < 8; ++i) pump_messages();
    EXPECT_EQ(window.focused, 1);
    return window;
  }

  static void press(const window_runtime& window, WPARAM virtual_key) {
    deliver(window, WM_KEYDOWN, virtual_key, 1);
    deliver(window, WM_KEYUP, virtual_key, static_cast<LPARAM>(0xC0000001u));
  }
};

TEST_F(input_queries, each_query_consumes_one_recorded_press) {
  window_runtime& window = open_focused_window();
  press(window, VK_ESCAPE);
  EXPECT_TRUE(KeyPressed("ESCAPE"));
  EXPECT_FALSE(KeyPressed("ESCAPE"));
  for (int i = 0; i < 4; ++i) press(window, VK_ESCAPE);
  for (const char* name : {"ESCAPE", "Escape", "ESC", "esc"}) EXPECT_TRUE(KeyPressed(name)) << name;
  EXPECT_FALSE(KeyPressed("esc"));
  // The query pumps first, so a press still queued counts.
  sim_key(window.window_handle, 'R', true);
  EXPECT_TRUE(KeyPressed("r"));
}

TEST_F(input_queries, key_names) {
  window_runtime& window = open_focused_window();
  const struct {
    const char* name;
    int virtual_key;
  } cases[] = {
      {"a", 'A'},          {"Z", 'Z'},          {"0", '0'},         {"9", '9'},        {"F1", VK_F1},
      {"f9", VK_F9},       {"F10", VK_F10},     {"f11", VK_F11},    {"F12", VK_F12},   {"left", VK_LEFT},
      {"RIGHT", VK_RIGHT}, {"up", VK_UP},       {"down", VK_DOWN},  {"space", VK_SPACE}, {"enter", VK_RETURN},
      {"return", VK_RETURN}, {"tab", VK_TAB},   {"home", VK_HOME},  {"end", VK_END},   {"pageup", VK_PRIOR},
      {"pagedown", VK_NEXT}, {"shift", VK_SHIFT},
  };
  for (const auto& test : cases) {
    press(window, test.virtual_key);
    EXPECT_TRUE(KeyPressed(test.name)) << test.name;
    EXPECT_EQ(window.press_counts[test.virtual_key], 0) << test.name;
  }
  // Names that name no key never consume anything.
  for (int key = 1; key < 256; ++key) window.press_counts[key] = 1;
  for (const char* name : {"f0", "f13", "F1x", "", "ab", "!", "enter ", "escape\n", "ctrl"}) {
    EXPECT_FALSE(KeyPressed(name)) << name;
  }
  for (int key = 1; key < 256; ++key) EXPECT_EQ(window.press_counts[key], 1) << key;
}

TEST_F(input_queries, nothing_is_consumed_while_another_program_is_in_the_foreground) {
  window_runtime& window = open_focused_window();
  sim_set_foreground(sim_foreign_window());
  for (int i = 0; i < 4; ++i) pump_messages();
  press(window, 'R');
  EXPECT_FALSE(KeyPressed("R"));
  EXPECT_EQ(window.press_counts['R'], 1);
  sim_set_key_down(VK_LBUTTON, true);
  EXPECT_FALSE(MouseDown("LEFT"));
  EXPECT_EQ(MouseX(), -1);
  EXPECT_EQ(MouseY(), -1);
  sim_set_foreground(nullptr);
  for (int i = 0; i < 4; ++i) pump_messages();
  EXPECT_FALSE(MouseDown("LEFT"));
  EXPECT_EQ(MouseX(), -1);
}

TEST_F(input_queries, a_press_lost_with_the_focus_is_not_reported) {
  window_runtime& window = open_focused_window();
  press(window, 'N');
  deliver(window, WM_KILLFOCUS, 0, 0);
  deliver(window, WM_SETFOCUS, 0, 0);
  EXPECT_FALSE(KeyPressed("N"));
}

TEST_F(input_queries, mouse_buttons_by_name) {
  open_focused_window();
  sim_set_key_down(VK_LBUTTON, true);
  sim_set_key_down(VK_MBUTTON, true);
  const struct {
    const char* name;
    bool down;
  } cases[] = {{"LEFT", true},  {"primary", true}, {"l", true},      {"Right", false}, {"secondary", false},
               {"r", false},    {"middle", true},  {"M", true},      {"left2", false}, {"", false}};
  for (const auto& test : cases) EXPECT_EQ(MouseDown(test.name), test.down) << test.name;
  sim_set_key_down(VK_RBUTTON, true);
  sim_clear_calls();
  EXPECT_TRUE(MouseDown("r"));
  EXPECT_TRUE(sim_calls_named("PeekMessageW").empty()) << "MouseDown never pumps";
}

TEST_F(input_queries, mouse_position_in_client_pixels) {
  window_runtime& window = open_focused_window();
  POINT origin{0, 0};
  ClientToScreen(window.window_handle, &origin);
  sim_set_cursor_pos(POINT{origin.x + 120, origin.y + 45});
  EXPECT_EQ(MouseX(), 120);
  EXPECT_EQ(MouseY(), 45);
  sim_set_cursor_pos(POINT{origin.x - 30, origin.y - 4});
  EXPECT_EQ(MouseX(), -30);
  EXPECT_EQ(MouseY(), -4);
  sim_fail("ScreenToClient", 1);
  EXPECT_EQ(MouseX(), -1);
  sim_fail("GetCursorPos");
  EXPECT_EQ(MouseX(), -1);
}

TEST_F(input_queries, close_all_windows_closes_children_first) {
  window_runtime& first = open_focused_window();
  deliver(first, WM_CLOSE, 0, 0);  // the primary is no longer open: the next opening creates a window
  OpenWindow("child", 400, 300, 1);
  window_runtime* child = registry().find(2);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parent_id, 1);
  const HWND first_handle = first.window_handle;
  const HWND child_handle = child->window_handle;
  const HGLRC first_context = first.gl_context;
  const HGLRC child_context = child->gl_context;
  sim_clear_calls();
  CloseAllWindows();
  std::vector<std::string> destroyed;
  for (const platform_call& call : sim_calls_named("DestroyWindow")) destroyed.push_back(call.args.at(0));
  EXPECT_EQ(destroyed, (std::vector<std::string>{platform_arg(child_handle), platform_arg(first_handle)}));
  std::vector<std::string> deleted;
  for (const platform_call& call : sim_calls_named("wglDeleteContext")) deleted.push_back(call.args.at(0));
  EXPECT_EQ(deleted, (std::vector<std::string>{platform_arg(child_context), platform_arg(first_context)}));
  // Window 2 was closed once more as its own id, after window 1.
  EXPECT_GT(child->event_sequence, first.event_sequence);
  EXPECT_EQ(registry().primary_id, 0);
  EXPECT_EQ(registry().current_id, 0);
  EXPECT_EQ(registry().windows.size(), 2u);
  for (const window_runtime* window : {&first, child}) {
    EXPECT_EQ(window->window_handle, nullptr);
    EXPECT_EQ(window->device_context, nullptr);
    EXPECT_EQ(window->gl_context, nullptr);
    EXPECT_EQ(window->open, 0);
    EXPECT_EQ(window->client_width, 0);
    for (const font_slot& slot : window->fonts) {
      EXPECT_EQ(slot.list_base, 0u);
      EXPECT_EQ(slot.font, nullptr);
    }
  }
  try {
    BeginFrame(0, 0, 0);
    ADD_FAILURE() << "BeginFrame did not throw";
  } catch (const kiro_runtime_exception& error) {
    EXPECT_STREQ(error.what(), "window.canvas: window/canvas runtime window is not open for BeginFrame");
  }
  OpenWindow("again", 1000, 700, 0);
  EXPECT_EQ(registry().primary_id, 3);
}

TEST_F(input_queries, closing_deletes_display_lists_while_the_context_is_current) {
  window_runtime& window = open_window();
  const HGLRC context = window.gl_context;
  std::vector<uint32_t> bases;
  for (const font_slot& slot : window.fonts) bases.push_back(slot.list_base);
  sim_clear_calls();
  sim_clear_gl_calls();
  window.close();
  const auto deletions = sim_gl_calls_named("glDeleteLists");
  ASSERT_EQ(deletions.size(), 10u);
  for (std::size_t i = 0; i < deletions.size(); ++i) {
    EXPECT_EQ(deletions[i].args, (std::vector<double>{static_cast<double>(bases[i]), 96})) << i;
    EXPECT_EQ(deletions[i].context, context) << i;
  }
  const std::vector<std::string> names = call_names();
  std::vector<std::string> expected = {"wglMakeCurrent"};
  for (int i = 0; i < 10; ++i) expected.push_back("DeleteObject");
  for (const char* name : {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}) expected.push_back(name);
  // WM_DESTROY unregisters the session notification from inside DestroyWindow.
  expected.push_back("WTSUnRegisterSessionNotification");
  EXPECT_EQ(names, expected);
}

}  // namespace
