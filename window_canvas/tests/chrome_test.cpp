// The invisible caption, border strips and caption buttons of the custom chrome.

#include "window_canvas/tests/canvas_fixture.h"
#include "window_canvas/window_chrome.h"

namespace {

class chrome : public canvas_test {};

TEST_F(chrome, hit_test_of_a_1000_by_700_client_area) {
  window_runtime window;
  window.client_width = 1000;
  window.client_height = 700;
  window.caption_buttons = 1;
  window.custom_chrome = 1;
  const struct {
    LONG x, y;
    int hit;
  } cases[] = {
      {3, 3, HTTOPLEFT},       {996, 3, HTTOPRIGHT},   {3, 696, HTBOTTOMLEFT},   {996, 696, HTBOTTOMRIGHT},
      {500, 3, HTTOP},         {500, 20, HTCAPTION},   {980, 20, HTCLOSE},       {930, 20, HTMAXBUTTON},
      {870, 20, HTMINBUTTON},  {855, 20, HTCLIENT},    {500, 53, HTCAPTION},     {500, 54, HTCLIENT},
      {3, 300, HTLEFT},        {995, 20, HTRIGHT},     {500, 695, HTBOTTOM},     {500, 300, HTCLIENT},
      {847, 45, HTCAPTION},    {848, 45, HTCLIENT},    {954, 8, HTCLOSE},        {954, 38, HTCLIENT},
      // Outside the client area: the system's frame and title bar are never borders.
      {-5, 300, HTCLIENT},     {3, -5, HTCLIENT},      {-5, 3, HTCLIENT},        {500, -20, HTCLIENT},
      {1005, 300, HTCLIENT},   {500, 705, HTCLIENT},   {1003, 20, HTCLIENT},     {-1, -1, HTCLIENT},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(chrome_hit_test(window, POINT{test.x, test.y}), test.hit) << "(" << test.x << ", " << test.y << ")";
  }
  window.caption_buttons = 0;
  EXPECT_EQ(chrome_hit_test(window, POINT{980, 20}), HTCLIENT);
  EXPECT_EQ(chrome_hit_test(window, POINT{500, 20}), HTCAPTION);
}

TEST_F(chrome, the_system_asks_only_about_the_caption_band) {
  window_runtime& window = open_window();
  const struct {
    int x, y;
    LRESULT answer;
  } cases[] = {{500, 20, HTCAPTION}, {3, 300, HTCLIENT}, {980, 20, HTCLIENT}, {500, -10, HTCLIENT}};
  for (const auto& test : cases) {
    POINT screen{test.x, test.y};
    ClientToScreen(window.window_handle, &screen);
    EXPECT_EQ(deliver(window, WM_NCHITTEST, 0, words(screen.x, screen.y)), test.answer) << test.x << ", " << test.y;
  }
}

TEST_F(chrome, cursor_shapes_over_borders_and_buttons) {
  window_runtime& window = open_window();
  const struct {
    int x, y;
    int shape;  // IDC_* number
  } cases[] = {{3, 300, 32644},  {996, 300, 32644}, {500, 3, 32645},  {500, 696, 32645},
               {3, 3, 32642},    {996, 696, 32642}, {996, 3, 32643},  {3, 696, 32643},
               {980, 20, 32512}, {870, 20, 32512}};
  const LPARAM over_client = HTCLIENT | (WM_MOUSEMOVE << 16);
  for (const auto& test : cases) {
    POINT screen{test.x, test.y};
    ClientToScreen(window.window_handle, &screen);
    sim_set_cursor_pos(screen);
    sim_clear_calls();
    EXPECT_EQ(deliver(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.window_handle), over_client), TRUE)
        << test.x << ", " << test.y;
    EXPECT_EQ(sim_cursor_shape(), test.shape) << test.x << ", " << test.y;
    EXPECT_TRUE(sim_calls_named("DefWindowProcW").empty());
  }
  // The game area and the caption band keep the class cursor through the default handling.
  for (const POINT client : {POINT{500, 300}, POINT{500, 20}}) {
    POINT screen = client;
    ClientToScreen(window.window_handle, &screen);
    sim_set_cursor_pos(screen);
    sim_clear_calls();
    deliver(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.window_handle), over_client);
    EXPECT_EQ(sim_calls_named("DefWindowProcW").size(), 1u) << client.x << ", " << client.y;
  }
}

TEST_F(chrome, dragging_a_border_keeps_the_minimum_size_and_the_opposite_edge) {
  window_runtime& window = open_window();
  const struct {
    POINT press;  // client point of the press
    int dx, dy;
    int hit;
  } cases[] = {
      {{3, 300}, 900, 0, HTLEFT},
      {{500, 696}, 0, -600, HTBOTTOM},
      {{996, 300}, -900, 0, HTRIGHT},
      {{500, 3}, 0, 900, HTTOP},
  };
  for (const auto& test : cases) {
    RECT start{};
    GetWindowRect(window.window_handle, &start);
    POINT cursor = test.press;
    ClientToScreen(window.window_handle, &cursor);
    sim_set_cursor_pos(cursor);
    deliver(window, WM_LBUTTONDOWN, MK_LBUTTON, words(test.press.x, test.press.y));
    ASSERT_EQ(window.drag_active, 1);
    EXPECT_EQ(window.drag_hit, test.hit);
    sim_set_cursor_pos(POINT{cursor.x + test.dx, cursor.y + test.dy});
    deliver(window, WM_MOUSEMOVE, MK_LBUTTON, words(test.press.x + test.dx, test.press.y + test.dy));
    RECT moved{};
    GetWindowRect(window.window_handle, &moved);
    if (test.hit == HTLEFT) {
      EXPECT_EQ(moved.right, start.right);
      EXPECT_EQ(moved.right - moved.left, 320);
    } else if (test.hit == HTRIGHT) {
      EXPECT_EQ(moved.left, start.left);
      EXPECT_EQ(moved.right - moved.left, 320);
    } else if (test.hit == HTBOTTOM) {
      EXPECT_EQ(moved.top, start.top);
      EXPECT_EQ(moved.bottom - moved.top, 240);
    } else {
      EXPECT_EQ(moved.bottom, start.bottom);
      EXPECT_EQ(moved.bottom - moved.top, 240);
    }
    deliver(window, WM_LBUTTONUP, 0, words(10, 100));
    EXPECT_EQ(window.drag_active, 0);
    // Back to the original rectangle for the next case.
    SetWindowPos(window.window_handle, nullptr, start.left, start.top, start.right - start.left,
                 start.bottom - start.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

TEST_F(chrome, a_capture_change_ends_a_drag) {
  window_runtime& window = open_window();
  POINT cursor{3, 300};
  ClientToScreen(window.window_handle, &cursor);
  sim_set_cursor_pos(cursor);
  deliver(window, WM_LBUTTONDOWN, MK_LBUTTON, words(3, 300));
  ASSERT_EQ(window.drag_active, 1);
  sim_break_capture();
  pump_messages();
  EXPECT_EQ(window.drag_active, 0);
  EXPECT_EQ(window.drag_hit, 0);
  EXPECT_EQ(window.event_code, 204);
  RECT before{};
  GetWindowRect(window.window_handle, &before);
  sim_set_cursor_pos(POINT{cursor.x + 50, cursor.y});
  sim_clear_calls();
  deliver(window, WM_MOUSEMOVE, MK_LBUTTON, words(53, 300));
  EXPECT_TRUE(sim_calls_named("SetWindowPos").empty()) << "no drag is left to move the border";
}

TEST_F(chrome, without_custom_chrome_the_default_handling_answers) {
  window_runtime& window = open_window();
  window.custom_chrome = 0;
  const struct {
    UINT message;
    LPARAM lParam;
  } cases[] = {{WM_NCHITTEST, words(500, 40)},
               {WM_SETCURSOR, HTCLIENT},
               {WM_LBUTTONDOWN, words(3, 300)},
               {WM_LBUTTONUP, words(980, 20)}};
  for (const auto& test : cases) {
    sim_clear_calls();
    deliver(window, test.message, 0, test.lParam);
    const auto forwarded = sim_calls_named("DefWindowProcW");
    ASSERT_EQ(forwarded.size(), 1u) << test.message;
    EXPECT_EQ(forwarded[0].args.at(1), platform_arg(int64_t{test.message}));
  }
  EXPECT_EQ(window.drag_active, 0);
  EXPECT_EQ(window.open, 1);
  // With custom chrome, a cursor message over a non-client area is the system's too.
  window.custom_chrome = 1;
  sim_clear_calls();
  deliver(window, WM_SETCURSOR, 0, HTCAPTION);
  EXPECT_EQ(sim_calls_named("DefWindowProcW").size(), 1u);
  EXPECT_TRUE(sim_calls_named("GetCursorPos").empty());
}

TEST_F(chrome, a_release_over_the_close_area_closes_the_window) {
  window_runtime& window = open_window();
  deliver(window, WM_LBUTTONDOWN, MK_LBUTTON, words(500, 300));
  EXPECT_EQ(window.open, 1);
  deliver(window, WM_LBUTTONUP, 0, words(980, 20));
  EXPECT_EQ(window.close_requested, 1);
  EXPECT_EQ(window.open, 0);
  EXPECT_EQ(window.visible, 0);
}

TEST_F(chrome, a_press_on_the_close_area_released_elsewhere_only_releases_the_capture) {
  window_runtime& window = open_window();
  deliver(window, WM_LBUTTONDOWN, MK_LBUTTON, words(980, 20));
  EXPECT_EQ(GetCapture(), window.window_handle);
  deliver(window, WM_LBUTTONUP, 0, words(500, 300));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(window.open, 1);
}

TEST_F(chrome, the_maximize_area_toggles_between_maximized_and_restored) {
  window_runtime& window = open_window();
  deliver(window, WM_LBUTTONUP, 0, words(930, 20));
  EXPECT_TRUE(IsZoomed(window.window_handle));
  deliver(window, WM_LBUTTONUP, 0, words(window.client_width - 70, 20));
  EXPECT_FALSE(IsZoomed(window.window_handle));
  deliver(window, WM_LBUTTONUP, 0, words(window.client_width - 120, 20));
  EXPECT_EQ(window.minimized, 1);
}

}  // namespace
