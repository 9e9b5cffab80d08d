// The window runtime in real windows: pixels read back from the X server, input
// injected through XTest, drops from an XDND source, close and resize from outside.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "runtime/exception.h"
#include "window_canvas/canvas.h"
#include "window_canvas/window_registry.h"
// Xlib after gtest and the Win32 declarations: its macros clash with both.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "platform/x11/tests/x11_test_support.h"
#include "platform/x11/tests/xdnd_source.h"

namespace {

// OpenWindow opens no more than this many windows in a process's life.
constexpr int32_t window_limit = 16;

bool window_limit_reached() { return window_registry::instance().next_id > window_limit; }
constexpr const char* window_limit_message =
    "this process has opened the 16 windows the runtime allows it; run the test on its own";

struct rgb {
  int red, green, blue;
};

// The test stage's window manager keeps its windows in tiles (i3): sizes and
// places a client asks for are not given.
bool tiling_window_manager() {
  const char* name = std::getenv("QUON_X11_WM");
  return name && std::string(name) == "i3";
}

class canvas_x11_test : public testing::Test {
protected:
  static constexpr int width = 400;
  static constexpr int height = 300;

  void SetUp() override {
    if (!x11_server_available()) GTEST_SKIP() << "no X server (DISPLAY)";
    if (window_limit_reached()) GTEST_SKIP() << window_limit_message;
    OpenWindow("Kelvaro / Quon + Vantrel", width, height, 0);
    window = window_registry::instance().current_window();
    ASSERT_NE(window, nullptr);
    display = x11_backend_display();
    xid = x11_backend_window(window->window_handle);
    ASSERT_NE(xid, 0u);
    ASSERT_TRUE(wait_for([&] { return viewable(); }));
  }
  void TearDown() override {
    if (display) xtest_restore_keymap(display);
    CloseAllWindows();
  }

  bool viewable() {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, xid, &attributes) && attributes.map_state == IsViewable;
  }
  // Pumps through the runtime (KeyPressed of a key nobody presses pumps and never throws).
  void pump() {
    XSync(display, False);
    KeyPressed("f12");
  }
  bool wait_for(const std::function<bool()>& done, double seconds = 5.0) {
    return wait_until(done, [this] { pump(); }, seconds);
  }
  void focus() {
    ASSERT_TRUE(wait_for([&] {
      XSetInputFocus(display, xid, RevertToParent, CurrentTime);
      return window->focused && GetForegroundWindow() == window->window_handle;
    }));
  }
  // The window's pixels as the server shows them.
  std::vector<rgb> read_back() {
    XSync(display, False);
    std::vector<rgb> pixels;
    XImage* image = XGetImage(display, xid, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) {
      ADD_FAILURE() << "XGetImage failed";
      return pixels;
    }
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        pixels.push_back({static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                          static_cast<int>(p & 0xFF)});
      }
    XDestroyImage(image);
    return pixels;
  }
  static rgb at(const std::vector<rgb>& pixels, int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  static bool near(rgb a, rgb b, int tolerance = 2) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
  }

  window_runtime* window = nullptr;
  Display* display = nullptr;
  unsigned long xid = 0;
  x11_display_lock lock;
};

// The sRGB byte of a linear-light intensity.
int srgb_byte(double linear) {
  const double encoded = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return static_cast<int>(std::lround(encoded * 255));
}

std::string describe(rgb c) {
  return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " + std::to_string(c.blue) + ")";
}

}  // namespace

TEST(canvas_x11_open, only_the_application_window_is_ever_mapped) {
  if (!x11_server_available()) GTEST_SKIP() << "no X server (DISPLAY)";
  if (window_limit_reached()) GTEST_SKIP() << window_limit_message;
  x11_display_lock lock;
  // Watch every window made and mapped on the screen; a window manager's frames
  // would stand between, so this looks only where none runs.
  Display* watcher = open_test_display();
  ASSERT_NE(watcher, nullptr);
  if (x11_window_manager_running(watcher)) {
    XCloseDisplay(watcher);
    GTEST_SKIP() << "a window manager maps its frames in between";
  }
  XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
  XSync(watcher, False);
  OpenWindow("Kelvaro / Quon + Vantrel", 320, 240, 0);
  window_runtime* window = window_registry::instance().current_window();
  ASSERT_NE(window, nullptr);
  const unsigned long application = x11_backend_window(window->window_handle);
  XSync(x11_backend_display(), False);
  XSync(watcher, False);
  int created = 0;
  std::vector<unsigned long> mapped;
  while (XPending(watcher)) {
    XEvent event;
    XNextEvent(watcher, &event);
    if (event.type == CreateNotify) ++created;
    if (event.type == MapNotify) mapped.push_back(event.xmap.window);
  }
  EXPECT_GE(created, 2) << "the pixel-format probe and the window itself";
  ASSERT_EQ(mapped.size(), 1u) << "the probe is never shown";
  EXPECT_EQ(mapped[0], application);
  XCloseDisplay(watcher);
  CloseAllWindows();
}

TEST_F(canvas_x11_test, mesa_gives_a_verified_srgb_framebuffer) {
  EXPECT_EQ(window->srgb_format, 1);
  EXPECT_EQ(window->srgb_verified, 1);
  if (tiling_window_manager()) {
    // The tile's size, as the X window has it.
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display, xid, &attributes));
    EXPECT_TRUE(wait_for([&] {
      return window->client_width == attributes.width && window->client_height == attributes.height;
    }));
  } else {
    EXPECT_EQ(window->client_width, width);
    EXPECT_EQ(window->client_height, height);
  }
  for (const font_slot& slot : window->fonts) {
    EXPECT_NE(slot.list_base, 0u);
    EXPECT_NE(slot.font, nullptr);
  }
}

TEST_F(canvas_x11_test, shapes_land_where_and_in_the_colour_drawn) {
  BeginFrame(0, 0, 0);
  DrawRectRgba(10, 10, 50, 30, 200, 40, 40);
  DrawRectGradientVRgba(100, 10, 40, 100, 255, 0, 0, 255, 0, 0, 255, 255);
  DrawRoundedRectRgba(200, 10, 60, 60, 15, 0, 255, 0, 255);
  DrawRoundedRectRgba(300, 10, 40, 40, 0, 255, 255, 255, 128);
  EndFrame();
  const std::vector<rgb> p = read_back();
  ASSERT_FALSE(p.empty());
  const struct {
    int x, y;
    rgb expected;
    const char* what;
  } cases[] = {
      {10, 10, {200, 40, 40}, "rectangle's top-left pixel"},
      {59, 39, {200, 40, 40}, "rectangle's bottom-right pixel"},
      {60, 20, {0, 0, 0}, "right of the rectangle"},
      {20, 40, {0, 0, 0}, "below the rectangle"},
      {9, 20, {0, 0, 0}, "left of the rectangle"},
      // Pixel centres sit half a row inside the edges; the mix is linear in light.
      {120, 10, {srgb_byte(0.995), 0, srgb_byte(0.005)}, "gradient's top row"},
      {120, 109, {srgb_byte(0.005), 0, srgb_byte(0.995)}, "gradient's bottom row"},
      {120, 59, {srgb_byte(0.505), 0, srgb_byte(0.495)}, "gradient's middle row"},
      {200, 10, {0, 0, 0}, "outside the rounded corner"},
      {259, 69, {0, 0, 0}, "outside the opposite rounded corner"},
      {230, 40, {0, 255, 0}, "rounded rectangle's centre"},
      {201, 40, {0, 255, 0}, "rounded rectangle's straight left edge"},
      {230, 11, {0, 255, 0}, "rounded rectangle's straight top edge"},
      {320, 30, {188, 188, 188}, "white at alpha 128 over black, blended in linear light"},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(near(at(p, c.x, c.y), c.expected, 3))
        << c.what << " at (" << c.x << ", " << c.y << "): got " << describe(at(p, c.x, c.y)) << ", expected "
        << describe(c.expected);
  // The gradient runs monotonically from red to blue.
  EXPECT_GT(at(p, 120, 30).red, at(p, 120, 90).red);
  EXPECT_LT(at(p, 120, 30).blue, at(p, 120, 90).blue);
}

TEST_F(canvas_x11_test, text_puts_glyphs_in_its_line_box_and_empty_text_nothing) {
  BeginFrame(0, 0, 0);
  DrawTextStyled("Kelvaro", 20, 100, 150, 255, 255, 255);
  DrawTextStyled("", 20, 200, 150, 255, 255, 255);
  EndFrame();
  const std::vector<rgb> p = read_back();
  ASSERT_FALSE(p.empty());
  int ink = 0, stray = 0, lowest = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (at(p, x, y).red < 128) continue;
      // The 15 px style: ascent 12 below the box's top, a descent under it.
      if (x >= 20 && x < 20 + 7 * 15 && y >= 100 && y < 100 + 20) {
        ++ink;
        lowest = std::max(lowest, y);
      } else {
        ++stray;
      }
    }
  EXPECT_GT(ink, 40) << "the letters have pixels";
  EXPECT_EQ(stray, 0) << "nothing outside the line box, nothing for the empty text";
  EXPECT_NEAR(lowest, 100 + 12 - 1, 1) << "no descenders in the word: the lowest ink is at the baseline";
}

TEST_F(canvas_x11_test, scissor_clips_and_clear_scissor_unclips) {
  BeginFrame(0, 0, 0);
  SetScissor(0, 200, width, 50);
  DrawRectRgba(0, 0, width, height, 255, 255, 255);
  ClearScissor();
  DrawRectRgba(0, 0, 10, 10, 255, 255, 255);
  EndFrame();
  const std::vector<rgb> p = read_back();
  ASSERT_FALSE(p.empty());
  EXPECT_TRUE(near(at(p, 200, 199), {0, 0, 0}));
  EXPECT_TRUE(near(at(p, 200, 200), {255, 255, 255}));
  EXPECT_TRUE(near(at(p, 200, 249), {255, 255, 255}));
  EXPECT_TRUE(near(at(p, 200, 250), {0, 0, 0}));
  EXPECT_TRUE(near(at(p, 5, 5), {255, 255, 255})) << "after ClearScissor drawing reaches everywhere";
}

TEST_F(canvas_x11_test, key_presses_count_once_even_with_auto_repeat) {
  focus();
  xtest_tap(display, XK_r);
  ASSERT_TRUE(wait_for([&] { return window->event_code == 101; }));
  EXPECT_TRUE(KeyPressed("R"));
  EXPECT_FALSE(KeyPressed("R"));
  // Held until the server repeats it.
  xtest_key(display, XK_Escape, true);
  ASSERT_TRUE(wait_for([&] { return window->key_repeat == 1 && window->event_code == 100; }));
  xtest_key(display, XK_Escape, false);
  ASSERT_TRUE(wait_for([&] { return window->event_code == 101 && window->event_arg0 == 0x1B; }));
  EXPECT_TRUE(KeyPressed("ESCAPE"));
  EXPECT_FALSE(KeyPressed("esc")) << "the repeats were not counted";
}

TEST_F(canvas_x11_test, mouse_position_and_buttons) {
  focus();
  POINT origin{0, 0};
  ClientToScreen(window->window_handle, &origin);
  // Below the caption band, where presses are the client's.
  xtest_motion(display, origin.x + 123, origin.y + 145);
  ASSERT_TRUE(wait_for([&] { return MouseX() == 123 && MouseY() == 145; }));
  EXPECT_FALSE(MouseDown("LEFT"));
  xtest_button(display, 1, true);
  ASSERT_TRUE(wait_for([&] { return MouseDown("LEFT"); }));
  EXPECT_FALSE(MouseDown("right"));
  EXPECT_EQ(window->pointer_x, 123);
  EXPECT_EQ(window->pointer_y, 145);
  xtest_button(display, 1, false);
  EXPECT_TRUE(wait_for([&] { return !MouseDown("LEFT"); }));
}

TEST_F(canvas_x11_test, typed_characters_reach_text_input_as_utf8) {
  focus();
  xtest_tap(display, XK_a);
  xtest_tap(display, XK_eacute);
  EXPECT_TRUE(wait_for([&] { return window->text_input == "a\xC3\xA9"; })) << "got \"" << window->text_input << "\"";
}

TEST_F(canvas_x11_test, a_dropped_file_records_its_path) {
  POINT origin{0, 0};
  ClientToScreen(window->window_handle, &origin);
  xdnd_test_source source(xid, origin.x + 50, origin.y + 50, "file:///home/player/course%202.txt\r\n");
  ASSERT_TRUE(source.connected());
  ASSERT_TRUE(wait_for([&] {
    source.step();
    return window->event_code == 210;
  }));
  EXPECT_EQ(window->dropped_path, "/home/player/course 2.txt");
  EXPECT_EQ(window->event_arg0, 1u);
  EXPECT_EQ(window->event_arg1, 1u);
  EXPECT_TRUE(wait_for([&] { return source.step(); })) << "DragFinish answered the source";
  EXPECT_TRUE(source.finish_accepted());
}

TEST_F(canvas_x11_test, a_close_from_the_window_manager_clears_open) {
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(other, "WM_DELETE_WINDOW", False));
  XSendEvent(other, xid, False, NoEventMask, &event);
  XSync(other, False);
  XCloseDisplay(other);
  ASSERT_TRUE(wait_for([&] { return !window->open; }));
  EXPECT_EQ(window->close_requested, 1);
  EXPECT_THROW(BeginFrame(0, 0, 0), kiro_runtime_exception);
  EXPECT_TRUE(wait_for([&] { return !viewable(); })) << "the close request hides the window";
}

TEST_F(canvas_x11_test, a_resize_from_outside_reaches_the_record_and_the_next_frame) {
  if (tiling_window_manager()) GTEST_SKIP() << "the window manager keeps the window's tile";
  // As a window manager resizes: from another client.
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  XResizeWindow(other, xid, 520, 360);
  XSync(other, False);
  XCloseDisplay(other);
  ASSERT_TRUE(wait_for([&] { return window->client_width == 520 && window->client_height == 360; }));
  BeginFrame(0, 0, 0);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 520);
  EXPECT_EQ(viewport[3], 360);
  EndFrame();
}

TEST_F(canvas_x11_test, a_resize_beyond_the_screen_settles_where_drawing_and_pointer_agree) {
  // The screen is 1280 x 1024; the window's client area starts inside it.
  const struct {
    unsigned width, height;
  } requests[] = {{1280, 1100}, {4096, 4096}};
  for (const auto& request : requests) {
    const std::string name = std::to_string(request.width) + " x " + std::to_string(request.height);
    Display* other = open_test_display();
    ASSERT_NE(other, nullptr);
    XResizeWindow(other, xid, request.width, request.height);
    XSync(other, False);
    XCloseDisplay(other);
    XWindowAttributes shown{};
    // Settled: what the record says is what the server shows, twice in a row.
    int agreeing = 0;
    ASSERT_TRUE(wait_for([&] {
      XGetWindowAttributes(display, xid, &shown);
      const bool agree = shown.width == window->client_width && shown.height == window->client_height &&
                         static_cast<unsigned>(shown.height) < request.height;
      agreeing = agree ? agreeing + 1 : 0;
      return agreeing >= 2;
    }))
        << name << ": the server shows " << shown.width << " x " << shown.height << ", the record says "
        << window->client_width << " x " << window->client_height;
    BeginFrame(0, 0, 0);
    DrawRectRgba(100, 100, 50, 40, 200, 40, 40);
    EndFrame();
    const std::vector<rgb> p = read_back();
    ASSERT_FALSE(p.empty());
    EXPECT_TRUE(near(at(p, 100, 100), {200, 40, 40}, 3)) << name << ": the rectangle's top-left pixel";
    EXPECT_TRUE(near(at(p, 149, 139), {200, 40, 40}, 3)) << name << ": its bottom-right pixel";
    EXPECT_TRUE(near(at(p, 120, 99), {0, 0, 0}, 3)) << name << ": above it";
    EXPECT_TRUE(near(at(p, 120, 140), {0, 0, 0}, 3)) << name << ": below it";

    // A press and release on the drawn rectangle are reported there.
    POINT origin{0, 0};
    ClientToScreen(window->window_handle, &origin);
    xtest_motion(display, origin.x + 120, origin.y + 110);
    xtest_button(display, 1, true);
    xtest_button(display, 1, false);
    EXPECT_TRUE(wait_for([&] { return window->pointer_x == 120 && window->pointer_y == 110; }))
        << name << ": the press is reported at " << window->pointer_x << ", " << window->pointer_y;
    EXPECT_EQ(MouseX(), 120) << name;
    EXPECT_EQ(MouseY(), 110) << name;
  }
}

TEST_F(canvas_x11_test, a_click_gives_the_window_back_the_focus_another_client_took) {
  focus();
  // Another client unmaps and maps the window: without a window manager the focus
  // falls back to the root and stays there.
  const bool managed = x11_window_manager_running(display);
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  XUnmapWindow(other, xid);
  XSync(other, False);
  ASSERT_TRUE(wait_for([&] { return !viewable(); }));
  if (!managed) {
    EXPECT_TRUE(wait_for([&] { return window->visible == 0; })) << "the record follows the screen";
    EXPECT_FALSE(IsWindowVisible(window->window_handle));
  }
  XMapWindow(other, xid);
  XSync(other, False);
  XCloseDisplay(other);
  ASSERT_TRUE(wait_for([&] { return viewable(); }));
  if (!managed) {
    EXPECT_TRUE(wait_for([&] { return window->visible == 1; }));
    EXPECT_TRUE(IsWindowVisible(window->window_handle));
    ASSERT_NE(GetForegroundWindow(), window->window_handle);
    EXPECT_FALSE(window->focused);
  }

  POINT origin{0, 0};
  ClientToScreen(window->window_handle, &origin);
  xtest_motion(display, origin.x + 200, origin.y + 200);
  xtest_button(display, 1, true);
  ASSERT_TRUE(wait_for([&] { return GetForegroundWindow() == window->window_handle && window->focused; }))
      << "the click activates the window";
  EXPECT_TRUE(wait_for([&] { return MouseDown("LEFT"); })) << "and the press itself counts";
  EXPECT_EQ(window->pointer_x, 200);
  xtest_button(display, 1, false);
  xtest_tap(display, XK_Escape);
  EXPECT_TRUE(wait_for([&] { return KeyPressed("ESCAPE"); })) << "keys reach the window again";
}

TEST_F(canvas_x11_test, dragging_the_caption_band_moves_the_window) {
  // A window manager moves it (_NET_WM_MOVERESIZE); without one the back-end does.
  focus();
  const auto drag = [&] {
    POINT origin{0, 0};
    ClientToScreen(window->window_handle, &origin);
    xtest_motion(display, origin.x + 100, origin.y + 20);
    pump();
    xtest_button(display, 1, true);
    pump();
    // At a hand's pace: a window manager takes the move over from the
    // request the press makes, and motion before that is not its.
    for (int step = 1; step <= 10; ++step) {
      for (int i = 0; i < 6; ++i) {
        pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      xtest_motion(display, origin.x + 100 + 6 * step, origin.y + 20 + 4 * step);
      pump();
    }
    for (int i = 0; i < 10; ++i) {
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    xtest_button(display, 1, false);
  };
  const int start_x = window->position_x, start_y = window->position_y;
  drag();
  if (tiling_window_manager()) {
    for (int i = 0; i < 20; ++i) pump();
    EXPECT_EQ(window->position_x, start_x) << "the tile stays";
    EXPECT_EQ(window->position_y, start_y);
    return;
  }
  EXPECT_TRUE(wait_for([&] { return window->position_x == start_x + 60 && window->position_y == start_y + 40; }))
      << "moved from (" << start_x << ", " << start_y << ") to (" << window->position_x << ", " << window->position_y
      << ")";
  if (x11_window_manager_running(display)) return;  // how it treats a maximized window is its own
  ShowWindow(window->window_handle, SW_MAXIMIZE);
  ASSERT_TRUE(wait_for([&] { return window->position_x == 0 && window->position_y == 0; }));
  drag();
  for (int i = 0; i < 10; ++i) pump();
  EXPECT_EQ(window->position_x, 0) << "a maximized window stays in place";
  EXPECT_EQ(window->position_y, 0);
}

TEST_F(canvas_x11_test, a_hundred_frames_then_closing_everything) {
  for (int frame = 0; frame < 100; ++frame) {
    BeginFrame(17, 27, 34);
    DrawRectGradientVRgba(0, 0, width, height, 20, 60, 90, 255, 10, 30, 50, 255);
    DrawRoundedRectRgba(50, 50, 20, 37, 5, 90, 60, 30, 255);
    DrawLineRgba(10, 10, 200, 150, 3, 255, 255, 255, 180);
    DrawTextStyled("Strokes 3", 20, 20, 330, 232, 232, 226);
    EndFrame();
  }
  CloseAllWindows();
  EXPECT_EQ(window_registry::instance().current_window(), nullptr);
  EXPECT_EQ(x11_backend_window(window->window_handle), 0u);
  EXPECT_THROW(EndFrame(), kiro_runtime_exception);
}
