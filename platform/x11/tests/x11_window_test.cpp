// The x11 back-end through the Win32 calls, against a real X server.
#include <gtest/gtest.h>

#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
// Xlib after gtest and the Win32 declarations: its macros (None, Bool) clash with both.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/core.h"
#include "platform/x11/error_trap.h"
#include "platform/x11/x11_state.h"
#include "platform/x11/tests/x11_test_support.h"
#include "platform/x11/tests/xdnd_source.h"

namespace {

struct recorded_message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<recorded_message> received;

LRESULT CALLBACK recording_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back({window, message, wParam, lParam});
  if (message == WM_CLOSE) return 0;  // recorded, not destroyed
  return DefWindowProcW(window, message, wParam, lParam);
}

const char16_t class_name[] = u"quon_x11_backend_test";

const int strict_srgb_attributes[] = {
    WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
    WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB, WGL_COLOR_BITS_ARB, 24, WGL_RED_BITS_ARB, 8,
    WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 24,
    WGL_STENCIL_BITS_ARB, 8, WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, 1, 0};

PIXELFORMATDESCRIPTOR legacy_descriptor() {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 32;
  pfd.cAlphaBits = 8;
  pfd.cDepthBits = 24;
  pfd.cStencilBits = 8;
  return pfd;
}

class x11_backend_test : public testing::Test {
protected:
  void SetUp() override {
    if (!x11_server_available()) GTEST_SKIP() << "no X server (DISPLAY)";
    display = x11_backend_display();
    ASSERT_NE(display, nullptr);
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.style = CS_OWNDC;
      wc.lpfnWndProc = recording_procedure;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.lpszClassName = class_name;
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    received.clear();
  }
  void TearDown() override {
    for (HWND window : windows) DestroyWindow(window);
    if (display) xtest_restore_keymap(display);
  }

  // A window whose client area is (x, y, width, height) on the screen.
  HWND create(const char16_t* title, int x, int y, int width, int height, HWND owner = nullptr,
              DWORD style = WS_OVERLAPPEDWINDOW) {
    RECT outer{x, y, x + width, y + height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND window = CreateWindowExW(0, class_name, title, style, outer.left, outer.top, outer.right - outer.left,
                                  outer.bottom - outer.top, owner, nullptr, nullptr, nullptr);
    if (window) windows.push_back(window);
    return window;
  }
  void pump() {
    XSync(display, False);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  bool wait_for(const std::function<bool()>& done) { return wait_until(done, [this] { pump(); }); }
  const recorded_message* find(UINT message, size_t from = 0) {
    for (size_t i = from; i < received.size(); ++i)
      if (received[i].message == message) return &received[i];
    return nullptr;
  }
  int map_state(HWND window) {
    XWindowAttributes attributes{};
    x11_error_trap trap(display);
    if (!XGetWindowAttributes(display, x11_backend_window(window), &attributes) || !trap.ok()) return -1;
    return attributes.map_state;
  }
  // A context on a legacy format of the window, made current.
  HGLRC legacy_context(HWND window) {
    HDC dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR request = legacy_descriptor();
    const int format = ChoosePixelFormat(dc, &request);
    if (format <= 0 || SetPixelFormat(dc, format, &request) != 1) return nullptr;
    HGLRC context = wglCreateContext(dc);
    if (context && wglMakeCurrent(dc, context) != 1) {
      wglDeleteContext(context);
      return nullptr;
    }
    return context;
  }
  // Shows the window and gives it the keyboard focus.
  void show_focused(HWND window) {
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
    const Window xid = x11_backend_window(window);
    ASSERT_TRUE(wait_for([&] {
      XSetInputFocus(display, xid, RevertToParent, CurrentTime);
      return GetForegroundWindow() == window && find(WM_SETFOCUS);
    }));
    received.clear();
  }

  x11_display_lock lock;
  Display* display = nullptr;
  std::vector<HWND> windows;
};

}  // namespace

TEST_F(x11_backend_test, windows_get_their_client_size_title_and_owner) {
  HWND owner = create(u"Kelvaro \u00E9 \u2713", 100, 120, 320, 200);
  ASSERT_NE(owner, nullptr);
  HWND owned = create(u"owned", 150, 150, 200, 100, owner);
  ASSERT_NE(owned, nullptr);
  const Window xid = x11_backend_window(owner);
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  ASSERT_TRUE(XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth));
  EXPECT_EQ(width, 320u);
  EXPECT_EQ(height, 200u);

  Atom type = 0;
  int format = 0;
  unsigned long items = 0, remaining = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, xid, XInternAtom(display, "_NET_WM_NAME", False), 0, 256, False,
                               XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &remaining, &data),
            Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), items), "Kelvaro \xC3\xA9 \xE2\x9C\x93");
  XFree(data);

  Window transient_for = 0;
  ASSERT_TRUE(XGetTransientForHint(display, x11_backend_window(owned), &transient_for));
  EXPECT_EQ(transient_for, xid);
  pump();
  EXPECT_EQ(map_state(owner), IsUnmapped) << "a window is not shown until ShowWindow";
}

// The window manager the test stage runs (QUON_X11_WM), and whether it
// carries out a kind of request as asked: a tiling one (i3) keeps its tiles,
// evilwm takes no iconify nor a program's activation.
bool window_manager_refuses(const char* request) {
  const char* manager = std::getenv("QUON_X11_WM");
  const std::string name = manager ? manager : "";
  const std::string what = request;
  // twm moves the focus itself when the focused window goes, after any the
  // program gave.
  return name == "i3" || (name == "evilwm" && (what == "iconify" || what == "activation")) ||
         (name == "twm" && what == "activation");
}

TEST_F(x11_backend_test, show_hide_move_and_destroy_reach_the_x_window) {
  HWND window = create(u"shown", 40, 50, 300, 200);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  EXPECT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  ShowWindow(window, SW_HIDE);
  EXPECT_TRUE(wait_for([&] { return map_state(window) == IsUnmapped; }));
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));

  ASSERT_TRUE(SetWindowPos(window, nullptr, 70, 80, 420, 260, SWP_NOZORDER | SWP_NOACTIVATE));
  const Window xid = x11_backend_window(window);
  if (window_manager_refuses("resize")) {
    // The tile stays: the layer comes back to what the server shows.
    EXPECT_TRUE(wait_for([&] {
      Window root = 0;
      int x = 0, y = 0;
      unsigned width = 0, height = 0, border = 0, depth = 0;
      XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth);
      RECT client{};
      GetClientRect(window, &client);
      return client.right == static_cast<LONG>(width) && client.bottom == static_cast<LONG>(height);
    }));
    ASSERT_TRUE(DestroyWindow(window));
    windows.clear();
    return;
  }
  EXPECT_TRUE(wait_for([&] {
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth);
    XTranslateCoordinates(display, xid, root, 0, 0, &x, &y, &child);
    return width == 420 && height == 260 && (x11_window_manager_running(display) || (x == 70 && y == 80));
  }));
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.right - rect.left, 420);
  EXPECT_EQ(rect.bottom - rect.top, 260);

  received.clear();
  ASSERT_TRUE(DestroyWindow(window));
  windows.clear();
  EXPECT_NE(find(WM_DESTROY), nullptr);
  XWindowAttributes attributes{};
  x11_error_trap trap(display);
  XGetWindowAttributes(display, xid, &attributes);
  EXPECT_FALSE(trap.ok()) << "the X window is gone";
}

TEST_F(x11_backend_test, maximize_minimize_and_restore) {
  if (window_manager_refuses("maximize")) GTEST_SKIP() << "the window manager keeps the window's tile";
  HWND window = create(u"states", 30, 30, 300, 200);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  // Without a window manager the layer changes the state at once; under one
  // the state comes when the server shows it, together with its area: one
  // WM_SIZE for each change, of the state and size it ends in.
  auto sizes_after = [&](size_t from) {
    // A window manager's later steps have come by now.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < end) pump();
    std::vector<recorded_message> sizes;
    for (size_t i = from; i < received.size(); ++i)
      if (received[i].window == window && received[i].message == WM_SIZE) sizes.push_back(received[i]);
    return sizes;
  };
  auto describe = [](const std::vector<recorded_message>& sizes) {
    std::string out;
    for (const recorded_message& m : sizes)
      out += " WM_SIZE(" + std::to_string(m.wParam) + ", " + std::to_string(m.lParam & 0xFFFF) + "x" +
             std::to_string((m.lParam >> 16) & 0xFFFF) + ")";
    return out;
  };
  size_t mark = received.size();
  ShowWindow(window, SW_MAXIMIZE);
  EXPECT_TRUE(wait_for([&] {
    RECT client{};
    GetClientRect(window, &client);
    return IsZoomed(window) && client.right > 300 && client.bottom > 200;
  })) << "a maximized window covers (most of) the screen";
  std::vector<recorded_message> sizes = sizes_after(mark);
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_EQ(sizes.size(), 1u) << "one WM_SIZE for the maximize:" << describe(sizes);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(client.right, client.bottom)) << "of the size it ends in";
  mark = received.size();
  ShowWindow(window, SW_RESTORE);
  EXPECT_TRUE(wait_for([&] {
    RECT client{};
    GetClientRect(window, &client);
    return !IsZoomed(window) && client.right == 300 && client.bottom == 200;
  }));
  sizes = sizes_after(mark);
  ASSERT_EQ(sizes.size(), 1u) << "one WM_SIZE for the restore:" << describe(sizes);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(300, 200));
  ShowWindow(window, SW_MINIMIZE);
  if (window_manager_refuses("iconify")) {
    // Refused: nothing changes, the window stays shown.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < end) pump();
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(map_state(window), IsViewable);
    return;
  }
  EXPECT_TRUE(wait_for([&] { return IsIconic(window) != 0; }));
  if (!x11_window_manager_running(display)) {
    EXPECT_TRUE(wait_for([&] { return map_state(window) == IsUnmapped; }));
  }
  ShowWindow(window, SW_RESTORE);
  EXPECT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
}

TEST_F(x11_backend_test, set_pixel_format_moves_the_unmapped_window_to_the_format_visual) {
  HWND window = create(u"format", 0, 0, 64, 64, nullptr, WS_POPUP);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDC(window), dc) << "CS_OWNDC: the same device context every time";
  int config_count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(display, DefaultScreen(display), &config_count);
  ASSERT_NE(configs, nullptr);
  EXPECT_EQ(DescribePixelFormat(dc, 1, 0, nullptr), config_count) << "one format per GLX configuration";

  const PIXELFORMATDESCRIPTOR request = legacy_descriptor();
  const int format = ChoosePixelFormat(dc, &request);
  ASSERT_GT(format, 0);
  PIXELFORMATDESCRIPTOR described{};
  ASSERT_EQ(DescribePixelFormat(dc, format, sizeof described, &described), config_count);
  EXPECT_TRUE(described.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_GE(described.cDepthBits, 24);
  EXPECT_EQ(DescribePixelFormat(dc, config_count + 1, sizeof described, &described), 0);

  const Window before = x11_backend_window(window);
  ASSERT_EQ(SetPixelFormat(dc, format, &described), 1);
  EXPECT_EQ(GetPixelFormat(dc), format);
  XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[format - 1]);
  ASSERT_NE(visual, nullptr);
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(display, x11_backend_window(window), &attributes));
  EXPECT_EQ(XVisualIDFromVisual(attributes.visual), visual->visualid);
  EXPECT_EQ(attributes.map_state, IsUnmapped) << "the probe-like popup is never mapped";
  if (x11_backend_window(window) != before) {
    x11_error_trap trap(display);
    XGetWindowAttributes(display, before, &attributes);
    EXPECT_FALSE(trap.ok()) << "the window on the old visual was destroyed";
  }
  XFree(visual);
  XFree(configs);
  ReleaseDC(window, dc);
}

TEST_F(x11_backend_test, contexts_extension_and_the_srgb_texture_proof) {
  HWND probe = create(u"probe", 0, 0, 1, 1, nullptr, WS_POPUP);
  HWND window = create(u"srgb", 10, 10, 64, 64);
  ASSERT_TRUE(probe && window);
  HDC probe_dc = GetDC(probe);
  HGLRC probe_context = legacy_context(probe);
  ASSERT_NE(probe_context, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), probe_context);
  EXPECT_EQ(wglGetCurrentDC(), probe_dc);

  // Through void (*)(): the way to say the cast between function types is meant.
  auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
      reinterpret_cast<void (*)()>(wglGetProcAddress("wglChoosePixelFormatARB")));
  auto query = reinterpret_cast<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>(
      reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetPixelFormatAttribivARB")));
  ASSERT_NE(reinterpret_cast<void*>(choose), nullptr);
  ASSERT_NE(reinterpret_cast<void*>(query), nullptr);
  EXPECT_NE(reinterpret_cast<void*>(wglGetProcAddress("glGenFramebuffers")), nullptr);
  const auto missing = reinterpret_cast<INT_PTR>(wglGetProcAddress("wglNoSuchFunctionQUON"));
  EXPECT_TRUE(missing == 0 || missing == 1 || missing == 2 || missing == 3 || missing == -1);

  HDC dc = GetDC(window);
  int format = 0;
  UINT count = 0;
  ASSERT_EQ(choose(dc, strict_srgb_attributes, nullptr, 1, &format, &count), 1);
  ASSERT_GE(count, 1u);
  ASSERT_GT(format, 0);
  const int names[] = {WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, WGL_ALPHA_BITS_ARB, WGL_DEPTH_BITS_ARB};
  int values[3] = {};
  ASSERT_EQ(query(dc, format, 0, 3, names, values), 1);
  EXPECT_EQ(values[0], 1);
  EXPECT_GE(values[1], 8);
  EXPECT_GE(values[2], 24);

  ASSERT_EQ(wglMakeCurrent(nullptr, nullptr), 1);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  ASSERT_TRUE(wglDeleteContext(probe_context));

  PIXELFORMATDESCRIPTOR described{};
  ASSERT_GT(DescribePixelFormat(dc, format, sizeof described, &described), 0);
  ASSERT_EQ(SetPixelFormat(dc, format, &described), 1);
  HGLRC context = wglCreateContext(dc);
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(wglMakeCurrent(dc, context), 1);
  glEnable(GL_FRAMEBUFFER_SRGB);
  EXPECT_EQ(glIsEnabled(GL_FRAMEBUFFER_SRGB), GL_TRUE);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  ASSERT_NE(texture, 0u);
  glBindTexture(GL_TEXTURE_2D, texture);
  const unsigned char texel[4] = {128, 128, 128, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint internal_format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal_format);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &texture);
  EXPECT_EQ(internal_format, GL_SRGB8_ALPHA8);
  EXPECT_TRUE(SwapBuffers(dc));
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
}

TEST_F(x11_backend_test, font_bitmaps_draw_glyphs_on_the_baseline) {
  HWND window = create(u"font", 20, 20, 128, 64);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  HGLRC context = legacy_context(window);
  ASSERT_NE(context, nullptr);
  HFONT font = CreateFontA(-20, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH, "Segoe UI");
  ASSERT_NE(font, nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  ASSERT_NE(previous, HGDI_ERROR);
  const GLuint base = glGenLists(96);
  ASSERT_NE(base, 0u);
  ASSERT_EQ(wglUseFontBitmapsA(dc, 32, 96, base), 1);

  glViewport(0, 0, 128, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 128, 64, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  const int baseline = 40;  // rows from the top
  glRasterPos2f(10, static_cast<float>(baseline));
  glListBase(base - 32);
  glCallLists(2, GL_UNSIGNED_BYTE, "HH");
  GLfloat raster[4] = {};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
  EXPECT_GT(raster[0], 10 + 2 * 10) << "each glyph advances the raster position";
  std::vector<unsigned char> pixels(128 * 64 * 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, 128, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  int top = 64, bottom = -1, left = 128;
  for (int row = 0; row < 64; ++row)
    for (int x = 0; x < 128; ++x)
      if (pixels[(static_cast<size_t>(63 - row) * 128 + x) * 4] > 128) {
        top = std::min(top, row);
        bottom = std::max(bottom, row);
        left = std::min(left, x);
      }
  EXPECT_NEAR(bottom, baseline - 1, 1) << "H stands on the baseline";
  EXPECT_GE(bottom - top, 12) << "a 20 px H is at least 13 rows tall";
  EXPECT_GE(left, 10);
  EXPECT_LE(left, 13);

  SelectObject(dc, previous);
  glDeleteLists(base, 96);
  EXPECT_TRUE(DeleteObject(font));
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
}

TEST_F(x11_backend_test, keys_become_virtual_key_messages_with_text) {
  HWND window = create(u"keys", 60, 60, 200, 150);
  ASSERT_NE(window, nullptr);
  show_focused(window);

  xtest_tap(display, XK_a);
  ASSERT_TRUE(wait_for([&] { return find(WM_KEYUP); }));
  const recorded_message* down = find(WM_KEYDOWN);
  const recorded_message* typed = find(WM_CHAR);
  const recorded_message* up = find(WM_KEYUP);
  ASSERT_TRUE(down && typed);
  EXPECT_EQ(down->wParam, WPARAM('A'));
  EXPECT_EQ(down->lParam & 0x40000000, 0) << "a fresh press has no previous-state bit";
  EXPECT_EQ(typed->wParam, WPARAM('a'));
  EXPECT_EQ(up->wParam, WPARAM('A'));
  EXPECT_NE(up->lParam & 0x40000000, 0);
  EXPECT_NE(up->lParam & 0x80000000, 0);

  // Keys queued together keep their texts: one without text before one with.
  received.clear();
  xtest_tap(display, XK_Left);
  xtest_tap(display, XK_Tab);
  xtest_tap(display, XK_z);
  ASSERT_TRUE(wait_for([&] {
    for (const recorded_message& m : received)
      if (m.message == WM_KEYUP && m.wParam == 'Z') return true;
    return false;
  }));
  std::u16string typed_text;
  for (const recorded_message& m : received)
    if (m.message == WM_CHAR) typed_text += static_cast<char16_t>(m.wParam);
  EXPECT_EQ(typed_text, u"\tz");

  // Auto-repeat: the key held until the server repeats it.
  received.clear();
  std::vector<LPARAM> downs;
  xtest_key(display, XK_b, true);
  ASSERT_TRUE(wait_for([&] {
    downs.clear();
    for (const recorded_message& m : received)
      if (m.message == WM_KEYDOWN) downs.push_back(m.lParam);
    return downs.size() >= 2;
  }));
  xtest_key(display, XK_b, false);
  ASSERT_TRUE(wait_for([&] { return find(WM_KEYUP); }));
  EXPECT_EQ(downs[0] & 0x40000000, 0);
  EXPECT_NE(downs[1] & 0x40000000, 0) << "the repeat has the previous-state bit";

  // With Alt held: system keys.
  received.clear();
  xtest_key(display, XK_Alt_L, true);
  xtest_tap(display, XK_x);
  xtest_key(display, XK_Alt_L, false);
  ASSERT_TRUE(wait_for([&] {
    for (const recorded_message& m : received)
      if ((m.message == WM_SYSKEYUP || m.message == WM_KEYUP) && m.wParam == VK_MENU) return true;
    return false;
  }));
  const recorded_message* system_down = nullptr;
  for (const recorded_message& m : received)
    if (m.message == WM_SYSKEYDOWN && m.wParam == 'X') system_down = &m;
  ASSERT_NE(system_down, nullptr);
  EXPECT_NE(system_down->lParam & 0x20000000, 0) << "the context bit says Alt is down";
  EXPECT_EQ(find(WM_KEYDOWN), nullptr);

  // A character beyond the keyboard's keys, typed through a borrowed key code.
  received.clear();
  xtest_tap(display, XK_eacute);
  ASSERT_TRUE(wait_for([&] { return find(WM_KEYUP); }));
  ASSERT_NE(find(WM_CHAR), nullptr);
  EXPECT_EQ(find(WM_CHAR)->wParam, WPARAM(0xE9));
  EXPECT_EQ(find(WM_KEYUP)->wParam, find(WM_KEYDOWN)->wParam) << "the release names the key its press named";
}

TEST_F(x11_backend_test, posted_keys_translate_from_the_virtual_key_and_key_state) {
  HWND window = create(u"posted keys", 60, 60, 200, 150);
  ASSERT_NE(window, nullptr);
  show_focused(window);

  const struct {
    UINT message;
    WPARAM virtual_key;
    LPARAM lparam;
    UINT char_message;
    WPARAM unit;
  } cases[] = {
      {WM_KEYDOWN, 'A', 0x001e0001, WM_CHAR, 'a'},
      {WM_KEYDOWN, 'A', 0x401e0001, WM_CHAR, 'a'},  // an auto-repeat
      {WM_KEYDOWN, 'A', 0x00000001, WM_CHAR, 'a'},  // a scan code of no key
      {WM_KEYDOWN, '1', 0x00020001, WM_CHAR, '1'},
      {WM_KEYDOWN, VK_SPACE, 0x00390001, WM_CHAR, ' '},
      {WM_KEYDOWN, VK_RETURN, 0x001c0001, WM_CHAR, 0x0d},
      {WM_KEYDOWN, VK_BACK, 0x000e0001, WM_CHAR, 0x08},
      {WM_KEYDOWN, VK_ESCAPE, 0x00010001, WM_CHAR, 0x1b},
      {WM_SYSKEYDOWN, 'A', 0x201e0001, WM_SYSCHAR, 'a'},
  };
  for (const auto& c : cases) {
    received.clear();
    ASSERT_TRUE(PostMessageW(window, c.message, c.virtual_key, c.lparam));
    pump();
    const recorded_message* typed = find(c.char_message);
    ASSERT_NE(typed, nullptr) << "virtual key 0x" << std::hex << c.virtual_key;
    EXPECT_EQ(typed->wParam, c.unit) << "virtual key 0x" << std::hex << c.virtual_key;
    EXPECT_EQ(typed->lParam, c.lparam) << "the character carries the key's lParam";
  }

  // Shift and Ctrl, as the retrieved key messages left them.
  received.clear();
  PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 0x002a0001);
  PostMessageW(window, WM_KEYDOWN, 'A', 0x001e0001);
  PostMessageW(window, WM_KEYDOWN, '1', 0x00020001);
  PostMessageW(window, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xc02a0001u));
  PostMessageW(window, WM_KEYDOWN, VK_F1, 0x003b0001);
  PostMessageW(window, WM_KEYDOWN, VK_CONTROL, 0x001d0001);
  PostMessageW(window, WM_KEYDOWN, 'A', 0x001e0001);
  PostMessageW(window, WM_KEYUP, VK_CONTROL, static_cast<LPARAM>(0xc01d0001u));
  pump();
  std::u16string typed_text;
  for (const recorded_message& m : received)
    if (m.message == WM_CHAR) typed_text += static_cast<char16_t>(m.wParam);
  EXPECT_EQ(typed_text, u"A!\x01");

  // A posted key translated while a real key press waits keeps that press's text.
  received.clear();
  xtest_tap(display, XK_eacute);
  MSG peeked;
  ASSERT_TRUE(wait_until([&] { return PeekMessageW(&peeked, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) != 0; },
                         [&] { XSync(display, False); }));
  PostMessageW(window, WM_KEYDOWN, 'B', 0x00300001);
  ASSERT_TRUE(wait_for([&] { return find(WM_KEYUP); }));
  typed_text.clear();
  for (const recorded_message& m : received)
    if (m.message == WM_CHAR) typed_text += static_cast<char16_t>(m.wParam);
  EXPECT_EQ(typed_text, u"b\u00e9");
}

TEST_F(x11_backend_test, preedit_callbacks_become_an_ime_composition) {
  // What XIM's on-the-spot callbacks report, as the input method would call them.
  HWND window = create(u"ime", 60, 60, 200, 150);
  ASSERT_NE(window, nullptr);
  preedit_sink& sink = *reinterpret_cast<x11_window*>(platform_native_window(window));
  preedit_text text;
  sink.preedit_started();
  text.replace(0, 0, "\xE3\x81\x8B\xE3\x81\xAA");  // two kana
  sink.preedit_changed(text);
  pump();
  ASSERT_NE(find(WM_IME_STARTCOMPOSITION), nullptr);
  const recorded_message* composition = find(WM_IME_COMPOSITION);
  ASSERT_NE(composition, nullptr);
  EXPECT_EQ(composition->lParam & GCS_COMPSTR, GCS_COMPSTR);
  HIMC context = ImmGetContext(window);
  ASSERT_NE(context, nullptr);
  const LONG bytes = ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0);
  ASSERT_EQ(bytes, 4);
  char16_t units[2] = {};
  ASSERT_EQ(ImmGetCompositionStringW(context, GCS_COMPSTR, units, sizeof units), 4);
  EXPECT_EQ(std::u16string(units, 2), u"\u304B\u306A");
  ImmReleaseContext(window, context);
  sink.preedit_done();
  pump();
  EXPECT_NE(find(WM_IME_ENDCOMPOSITION), nullptr);
}

TEST_F(x11_backend_test, mouse_buttons_motion_and_wheel) {
  HWND window = create(u"mouse", 100, 100, 200, 150);
  ASSERT_NE(window, nullptr);
  show_focused(window);
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window, &origin));

  xtest_motion(display, origin.x + 10, origin.y + 20);
  ASSERT_TRUE(wait_for([&] {
    for (const recorded_message& m : received)
      if (m.message == WM_MOUSEMOVE && m.lParam == MAKELPARAM(10, 20)) return true;
    return false;
  }));
  POINT cursor{};
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, origin.x + 10);
  EXPECT_EQ(cursor.y, origin.y + 20);
  ASSERT_TRUE(ScreenToClient(window, &cursor));
  EXPECT_EQ(cursor.x, 10);
  EXPECT_EQ(cursor.y, 20);

  received.clear();
  xtest_button(display, 1, true);
  ASSERT_TRUE(wait_for([&] { return find(WM_LBUTTONDOWN); }));
  EXPECT_EQ(find(WM_LBUTTONDOWN)->wParam & MK_LBUTTON, WPARAM(MK_LBUTTON));
  EXPECT_EQ(find(WM_LBUTTONDOWN)->lParam, MAKELPARAM(10, 20));
  EXPECT_NE(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0);
  xtest_button(display, 1, false);
  ASSERT_TRUE(wait_for([&] { return find(WM_LBUTTONUP); }));
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);

  xtest_button(display, 3, true);
  xtest_button(display, 3, false);
  ASSERT_TRUE(wait_for([&] { return find(WM_RBUTTONUP); }));
  EXPECT_NE(find(WM_RBUTTONDOWN), nullptr);

  received.clear();
  xtest_button(display, 4, true);
  xtest_button(display, 4, false);
  xtest_button(display, 5, true);
  xtest_button(display, 5, false);
  std::vector<recorded_message> wheels;
  ASSERT_TRUE(wait_for([&] {
    wheels.clear();
    for (const recorded_message& m : received)
      if (m.message == WM_MOUSEWHEEL) wheels.push_back(m);
    return wheels.size() == 2;
  }));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), 120);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[1].wParam), -120);
  EXPECT_EQ(wheels[0].lParam, MAKELPARAM(origin.x + 10, origin.y + 20)) << "wheel positions are screen coordinates";
}

TEST_F(x11_backend_test, foreground_is_ours_foreign_or_none) {
  HWND window = create(u"focus", 80, 80, 120, 90);
  ASSERT_NE(window, nullptr);
  show_focused(window);
  EXPECT_EQ(GetForegroundWindow(), window);

  // Another client's window takes the focus.
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  const Window foreign = XCreateSimpleWindow(other, DefaultRootWindow(other), 300, 300, 50, 50, 0, 0, 0);
  XMapWindow(other, foreign);
  XSync(other, False);
  const bool managed = x11_window_manager_running(display);
  ASSERT_TRUE(wait_for([&] {
    XWindowAttributes attributes{};
    XGetWindowAttributes(other, foreign, &attributes);
    if (attributes.map_state == IsViewable) {
      if (managed) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = foreign;
        event.xclient.message_type = XInternAtom(other, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;
        XSendEvent(other, DefaultRootWindow(other), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
      }
      // Also where a window manager takes no EWMH activation (twm).
      XSetInputFocus(other, foreign, RevertToParent, CurrentTime);
      XSync(other, False);
    }
    HWND foreground = GetForegroundWindow();
    return foreground != nullptr && foreground != window && find(WM_KILLFOCUS);
  }));
  XDestroyWindow(other, foreign);
  XCloseDisplay(other);
}

TEST_F(x11_backend_test, foreground_is_the_keyboard_focus_whatever_a_window_manager_names) {
  if (x11_window_manager_running(display)) GTEST_SKIP() << "plays the window manager itself";
  HWND window = create(u"ewmh", 80, 80, 120, 90);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  pump();
  EXPECT_EQ(GetForegroundWindow(), nullptr) << "no window manager, no focus: no foreground";

  // Another client announces itself as an EWMH window manager and names our
  // window active, but the keyboard goes elsewhere (PointerRoot).
  Display* manager = open_test_display();
  ASSERT_NE(manager, nullptr);
  const Window root = DefaultRootWindow(manager);
  const Atom check_atom = XInternAtom(manager, "_NET_SUPPORTING_WM_CHECK", False);
  const Atom active_atom = XInternAtom(manager, "_NET_ACTIVE_WINDOW", False);
  const Window check = XCreateSimpleWindow(manager, root, 0, 0, 1, 1, 0, 0, 0);
  XChangeProperty(manager, check, check_atom, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&check), 1);
  XChangeProperty(manager, root, check_atom, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&check), 1);
  const Window active = x11_backend_window(window);
  XChangeProperty(manager, root, active_atom, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&active), 1);
  XSync(manager, False);
  for (int i = 0; i < 20; ++i) pump();
  EXPECT_EQ(GetForegroundWindow(), nullptr) << "_NET_ACTIVE_WINDOW names it, but it has no keyboard";
  EXPECT_EQ(GetActiveWindow(), nullptr);

  XSetInputFocus(manager, active, RevertToPointerRoot, CurrentTime);
  XSync(manager, False);
  EXPECT_TRUE(wait_for([&] { return GetForegroundWindow() == window && GetFocus() == window; }))
      << "given the keyboard, it is the foreground window and has the focus";

  // It ends, leaving its root property behind: the focus still counts.
  XDestroyWindow(manager, check);
  XSync(manager, False);
  for (int i = 0; i < 20; ++i) pump();
  EXPECT_EQ(GetForegroundWindow(), window);
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  EXPECT_TRUE(wait_for([&] { return GetForegroundWindow() == nullptr && GetActiveWindow() == nullptr; }));
  XDeleteProperty(manager, root, check_atom);
  XDeleteProperty(manager, root, active_atom);
  XCloseDisplay(manager);
}

TEST_F(x11_backend_test, close_from_the_window_manager_arrives_as_wm_close) {
  HWND window = create(u"close", 10, 10, 100, 100);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = x11_backend_window(window);
  event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(other, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(other, x11_backend_window(window), False, NoEventMask, &event);
  XSync(other, False);
  XCloseDisplay(other);
  EXPECT_TRUE(wait_for([&] { return find(WM_CLOSE); }));
}

TEST_F(x11_backend_test, xdnd_drops_become_wm_dropfiles) {
  HWND window = create(u"drop", 200, 200, 160, 120);
  HWND refusing = create(u"no drop", 400, 200, 160, 120);
  ASSERT_TRUE(window && refusing);
  DragAcceptFiles(window, TRUE);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  XSync(display, False);
  int format = 0;
  unsigned long items = 0, remaining = 0;
  unsigned char* data = nullptr;
  Atom type = 0;
  XGetWindowProperty(display, x11_backend_window(refusing), XInternAtom(display, "XdndAware", False), 0, 1, False,
                     AnyPropertyType, &type, &format, &items, &remaining, &data);
  EXPECT_EQ(data, nullptr) << "only windows that accept files announce XDND";
  if (data) XFree(data);

  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  xdnd_test_source source(x11_backend_window(window), origin.x + 30, origin.y + 40,
                          "file:///tmp/quon%20drop/caf%C3%A9.txt\r\n");
  ASSERT_TRUE(source.connected());
  ASSERT_TRUE(wait_for([&] {
    source.step();
    return find(WM_DROPFILES);
  }));
  EXPECT_TRUE(source.accepted());
  HDROP drop = reinterpret_cast<HDROP>(find(WM_DROPFILES)->wParam);
  ASSERT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::u16string path(length + 1, u'\0');
  ASSERT_EQ(DragQueryFileW(drop, 0, path.data(), length + 1), length);
  path.resize(length);
  EXPECT_EQ(path, u"/tmp/quon drop/caf\u00E9.txt");
  EXPECT_FALSE(source.finished()) << "the source waits for DragFinish";
  DragFinish(drop);
  EXPECT_TRUE(wait_for([&] { return source.step(); }));
  EXPECT_TRUE(source.finish_accepted());
}

TEST_F(x11_backend_test, drops_without_a_usable_path_are_refused) {
  HWND window = create(u"drop", 200, 200, 160, 120);
  ASSERT_NE(window, nullptr);
  DragAcceptFiles(window, TRUE);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(window) == IsViewable; }));
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  {
    // Plain text is no file list: the status refuses it and the source leaves.
    xdnd_test_source source(x11_backend_window(window), origin.x + 5, origin.y + 5, "hello", "text/plain");
    ASSERT_TRUE(wait_for([&] {
      source.step();
      return source.status_seen();
    }));
    EXPECT_FALSE(source.accepted());
  }
  {
    // A list naming no local file is finished, refused, at once.
    xdnd_test_source source(x11_backend_window(window), origin.x + 5, origin.y + 5, "http://example.com/a\r\n");
    ASSERT_TRUE(wait_for([&] { return source.step(); }));
    EXPECT_FALSE(source.finish_accepted());
  }
  pump();
  EXPECT_EQ(find(WM_DROPFILES), nullptr);
}

TEST_F(x11_backend_test, a_window_destroyed_behind_our_back_fails_quietly_then_gets_wm_destroy) {
  HWND window = create(u"doomed", 30, 30, 100, 100);
  ASSERT_NE(window, nullptr);
  HGLRC context = legacy_context(window);
  ASSERT_NE(context, nullptr);
  HWND survivor = create(u"survivor", 200, 30, 100, 100);
  ASSERT_NE(survivor, nullptr);
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  const Window xid = x11_backend_window(window);
  XEvent forged{};
  forged.xdestroywindow.type = DestroyNotify;
  forged.xdestroywindow.event = xid;
  forged.xdestroywindow.window = xid;
  XSendEvent(other, xid, False, StructureNotifyMask, &forged);
  XSync(other, False);
  pump();
  EXPECT_TRUE(IsWindow(window)) << "a DestroyNotify another client sent destroys nothing";
  XDestroyWindow(other, xid);
  XSync(other, False);
  XCloseDisplay(other);
  // Until the next peek each of these makes requests on the vanished X window; the
  // process lives on.
  ShowWindow(window, SW_SHOW);
  SetWindowPos(window, nullptr, 10, 10, 50, 50, SWP_NOZORDER);
  SetWindowTextW(window, u"still here");
  SetCapture(window);
  ReleaseCapture();
  DragAcceptFiles(window, TRUE);
  received.clear();
  ASSERT_TRUE(wait_for([&] { return !IsWindow(window); }));
  std::vector<UINT> last;
  for (const recorded_message& m : received)
    if (m.window == window) last.push_back(m.message);
  ASSERT_GE(last.size(), 2u);
  EXPECT_EQ(last[last.size() - 2], static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(last.back(), static_cast<UINT>(WM_NCDESTROY));
  EXPECT_EQ(x11_backend_window(window), 0u);
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), 1400u) << "ERROR_INVALID_WINDOW_HANDLE";
  EXPECT_EQ(wglDeleteContext(context), TRUE);
  // The other window is untouched.
  ShowWindow(survivor, SW_SHOW);
  EXPECT_TRUE(wait_for([&] { return map_state(survivor) == IsViewable; }));
  EXPECT_TRUE(IsWindow(survivor));
}

TEST_F(x11_backend_test, capture_grabs_the_pointer) {
  HWND window = create(u"capture", 50, 50, 100, 100);
  ASSERT_NE(window, nullptr);
  show_focused(window);
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  auto other_can_grab = [&] {
    const int result = XGrabPointer(other, DefaultRootWindow(other), False, ButtonPressMask, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime);
    XUngrabPointer(other, CurrentTime);
    XSync(other, False);
    return result == GrabSuccess;
  };
  SetCapture(window);
  EXPECT_EQ(GetCapture(), window);
  XSync(display, False);
  EXPECT_FALSE(other_can_grab());
  ReleaseCapture();
  XSync(display, False);
  EXPECT_TRUE(other_can_grab());
  XCloseDisplay(other);
}

TEST_F(x11_backend_test, set_cursor_changes_the_pointer_shape_over_our_windows) {
  HWND window = create(u"cursor", 120, 120, 100, 100);
  ASSERT_NE(window, nullptr);
  show_focused(window);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  xtest_motion(display, origin.x + 50, origin.y + 50);
  pump();
  // The server's image of the pointer, as its size and hot spot.
  auto shape = [&] {
    XSync(display, False);
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return std::string();
    const std::string text = std::to_string(image->width) + "x" + std::to_string(image->height) + "@" +
                             std::to_string(image->xhot) + "," + std::to_string(image->yhot);
    XFree(image);
    return text;
  };
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  const std::string arrow = shape();
  SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
  const std::string sizing = shape();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_FALSE(arrow.empty());
  EXPECT_NE(sizing, arrow) << "the west-east sizing cursor is another shape";
  EXPECT_EQ(shape(), arrow);
}

TEST_F(x11_backend_test, dpi_and_monitors) {
  HWND first = create(u"a", 10, 10, 100, 100);
  HWND second = create(u"b", 300, 10, 100, 100);
  ASSERT_TRUE(first && second);
  // The desktop's resources, as xrdb sets them, read while we run; restored afterwards.
  const Window root = DefaultRootWindow(display);
  const Atom resources = XInternAtom(display, "RESOURCE_MANAGER", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, remaining = 0;
  unsigned char* saved = nullptr;
  XGetWindowProperty(display, root, resources, 0, 1 << 16, False, XA_STRING, &type, &format, &items, &remaining,
                     &saved);
  const std::string original = saved ? std::string(reinterpret_cast<char*>(saved), items) : std::string();
  if (saved) XFree(saved);
  const char database[] = "Xcursor.size:\t24\nXft.dpi:\t144\n";
  XChangeProperty(display, root, resources, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(database), sizeof database - 1);
  // Read again once the change's event arrives; not asked of the server at every call.
  EXPECT_TRUE(wait_for([&] { return GetDpiForWindow(first) == 144u; }));
  XDeleteProperty(display, root, resources);
  EXPECT_TRUE(wait_for([&] { return GetDpiForWindow(first) == 96u; })) << "without Xft.dpi: 96";
  if (!original.empty())
    XChangeProperty(display, root, resources, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(original.data()), static_cast<int>(original.size()));
  XSync(display, False);
  HMONITOR monitor = MonitorFromWindow(first, MONITOR_DEFAULTTONEAREST);
  EXPECT_NE(monitor, nullptr);
  EXPECT_EQ(MonitorFromWindow(second, MONITOR_DEFAULTTONEAREST), monitor) << "one screen, one monitor";
}

TEST_F(x11_backend_test, hiding_the_active_window_from_outside_hands_activation_and_the_focus_on) {
  HWND first = create(u"first", 40, 40, 200, 150);
  HWND second = create(u"second", 400, 40, 200, 150);
  ASSERT_TRUE(first && second);
  ShowWindow(second, SW_SHOW);
  ASSERT_TRUE(wait_for([&] { return map_state(second) == IsViewable; }));
  show_focused(first);
  ASSERT_EQ(GetActiveWindow(), first);
  const bool managed = x11_window_manager_running(display);
  const Window second_xid = x11_backend_window(second);
  auto x_focus = [&] {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
  };
  // The other window takes over, as SW_HIDE hands it on, and the X focus with it.
  Display* other = open_test_display();
  ASSERT_NE(other, nullptr);
  XUnmapWindow(other, x11_backend_window(first));
  XSync(other, False);
  EXPECT_TRUE(wait_for([&] { return !IsWindowVisible(first); }));
  if (window_manager_refuses("activation")) {
    // Asked of a window manager that may refuse it: the active window is the
    // one with the X focus, ours or none, whatever the window manager did.
    EXPECT_TRUE(wait_for([&] {
      const Window focus = x_focus();
      return focus == second_xid ? GetActiveWindow() == second : GetActiveWindow() == nullptr;
    })) << "active " << GetActiveWindow() << ", X focus " << x_focus();
    XCloseDisplay(other);
    return;
  }
  EXPECT_TRUE(wait_for([&] { return GetActiveWindow() == second && GetFocus() == second && x_focus() == second_xid; }))
      << "active " << GetActiveWindow() << ", X focus " << x_focus();
  received.clear();
  xtest_tap(display, XK_q);
  EXPECT_TRUE(wait_for([&] {
    for (const recorded_message& m : received)
      if (m.window == second && m.message == WM_KEYDOWN && m.wParam == 'Q') return true;
    return false;
  })) << "keys reach it";

  // Shown again by another client: without a window manager nothing activates it.
  XMapWindow(other, x11_backend_window(first));
  XSync(other, False);
  XCloseDisplay(other);
  EXPECT_TRUE(wait_for([&] { return IsWindowVisible(first) && map_state(first) == IsViewable; }));
  if (!managed) {
    for (int i = 0; i < 20; ++i) pump();
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_EQ(x_focus(), second_xid);
  } else {
    // A window manager may focus it: the layer follows the server either way.
    EXPECT_TRUE(wait_for([&] {
      const Window focus = x_focus();
      return (focus == second_xid && GetActiveWindow() == second) ||
             (focus == x11_backend_window(first) && GetActiveWindow() == first);
    }));
  }
}
