// The sim's driver description, failure injection and records, through the
// Win32, WGL and GL calls a window runtime makes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/tests/message_recorder.h"

namespace {

// A window with its own DC, a pixel format and a current GL context.
struct gl_window {
  message_recorder recorder;
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
  explicit gl_window(int format = 1) {
    window = recorder.create();
    dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    SetPixelFormat(dc, format, &pfd);
    context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
  }
};

template <class F>
F extension(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

const int strict_srgb[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
                           WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB, WGL_COLOR_BITS_ARB, 24, WGL_RED_BITS_ARB, 8,
                           WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 24,
                           WGL_STENCIL_BITS_ARB, 8, WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, 1, 0};

TEST(SimFailures, EveryNamedCallFailsWithItsFailureResult) {
  struct row {
    const char* name;
    bool (*failed)(gl_window&);
  };
  const row rows[] = {
      {"GetDC", [](gl_window& w) { return GetDC(w.window) == nullptr; }},
      {"DescribePixelFormat", [](gl_window& w) {
         PIXELFORMATDESCRIPTOR pfd{};
         return DescribePixelFormat(w.dc, 1, sizeof pfd, &pfd) == 0;
       }},
      {"SetPixelFormat", [](gl_window& w) { return SetPixelFormat(w.dc, 1, nullptr) == FALSE; }},
      {"wglCreateContext", [](gl_window& w) { return wglCreateContext(w.dc) == nullptr; }},
      {"wglMakeCurrent", [](gl_window& w) {
         return wglMakeCurrent(w.dc, w.context) == FALSE && wglGetCurrentContext() == nullptr;
       }},
      {"CreateFontA", [](gl_window&) {
         return CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Segoe UI") == nullptr;
       }},
      {"SelectObject", [](gl_window& w) { return SelectObject(w.dc, CreateSolidBrush(0)) == nullptr; }},
      {"wglUseFontBitmapsA", [](gl_window& w) { return wglUseFontBitmapsA(w.dc, 32, 96, 1) == FALSE; }},
      {"glGenLists", [](gl_window&) { return glGenLists(96) == 0; }},
      {"glGenTextures", [](gl_window&) {
         GLuint name = 7;
         glGenTextures(1, &name);
         return name == 0;
       }},
      {"wglGetProcAddress", [](gl_window&) { return wglGetProcAddress("wglChoosePixelFormatARB") == nullptr; }},
      {"GetCursorPos", [](gl_window&) {
         POINT p;
         return GetCursorPos(&p) == FALSE;
       }},
      {"ScreenToClient", [](gl_window& w) {
         POINT p{};
         return ScreenToClient(w.window, &p) == FALSE;
       }},
  };
  for (const row& r : rows) {
    gl_window w;
    sim_fail(r.name);
    EXPECT_TRUE(r.failed(w)) << r.name;
    sim_clear_failures();
  }
  gl_window w;
  HWND probe = w.recorder.create(WS_POPUP);
  sim_fail("CreateWindowExW");
  EXPECT_EQ(w.recorder.create(WS_POPUP), nullptr);
  EXPECT_NE(probe, nullptr);
}

TEST(SimFailures, OnlyTheNthCallFromNowFails) {
  gl_window w;
  HWND other = w.recorder.create(WS_POPUP);
  sim_fail("GetDC", 2);
  EXPECT_NE(GetDC(w.window), nullptr);
  EXPECT_EQ(GetDC(other), nullptr);
  EXPECT_NE(GetDC(other), nullptr);
}

TEST(SimCalls, RecordEachCallWithItsArgumentsInOrder) {
  gl_window w;
  sim_clear_calls();
  GetDC(w.window);
  ShowWindow(w.window, SW_SHOW);
  LoadCursorA(nullptr, IDC_SIZEWE);
  ASSERT_GE(sim_calls().size(), 3u);
  EXPECT_EQ(sim_calls()[0].name, "GetDC");
  EXPECT_EQ(sim_calls()[0].args, std::vector<std::string>{platform_arg(w.window)});
  EXPECT_EQ(sim_calls()[1].name, "ShowWindow");
  EXPECT_EQ(sim_calls()[1].args, (std::vector<std::string>{platform_arg(w.window), "5"}));
  std::vector<platform_call> cursors = sim_calls_named("LoadCursorA");
  ASSERT_EQ(cursors.size(), 1u);
  EXPECT_EQ(cursors[0].args, (std::vector<std::string>{"0", "#32644"}));
}

TEST(SimGl, RecordsCallsWithTheContextAndListNamesModulo2To32) {
  gl_window w;
  sim_clear_gl_calls();
  glBegin(GL_QUADS);
  glVertex2f(1.5f, -2.0f);
  glEnd();
  glListBase(1u - 32u);  // a base below 32 wraps
  glCallLists(2, GL_UNSIGNED_BYTE, "A?");
  const std::vector<sim_gl_call>& calls = sim_gl_calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].args, std::vector<double>{GL_QUADS});
  EXPECT_EQ(calls[1].args, (std::vector<double>{1.5, -2.0}));
  EXPECT_EQ(calls[0].context, w.context);
  EXPECT_EQ(calls[4].lists, (std::vector<std::uint32_t>{1u + 33u, 1u + 31u}));
  EXPECT_EQ(calls[4].bytes, "A?");
  wglMakeCurrent(nullptr, nullptr);
  glEnd();
  EXPECT_EQ(sim_gl_calls().back().context, nullptr) << "recorded, but outside any context";
}

TEST(SimGl, FontListsNameTheirCharacters) {
  gl_window w;
  HFONT font = CreateFontA(-15, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Segoe UI");
  ASSERT_NE(font, nullptr);
  GLuint base = glGenLists(96);
  ASSERT_NE(base, 0u);
  HGDIOBJ previous = SelectObject(w.dc, font);
  ASSERT_NE(previous, nullptr);
  ASSERT_TRUE(wglUseFontBitmapsA(w.dc, 32, 96, base));
  EXPECT_EQ(SelectObject(w.dc, previous), static_cast<HGDIOBJ>(font));
  EXPECT_EQ(sim_list_glyph(base + ('A' - 32)), 'A');
  EXPECT_EQ(sim_list_glyph(base + 96), -1);
  glDeleteLists(base, 96);
  EXPECT_EQ(sim_list_glyph(base), -1);
  EXPECT_TRUE(DeleteObject(font));
}

TEST(SimDriver, PixelFormatsAnswerTheLegacyAndExtensionChoosers) {
  gl_window w;
  HDC dc = GetDC(w.recorder.create(WS_POPUP));
  PIXELFORMATDESCRIPTOR legacy{};
  legacy.nSize = sizeof legacy;
  legacy.nVersion = 1;
  legacy.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  legacy.cColorBits = 32;
  legacy.cAlphaBits = 8;
  legacy.cDepthBits = 24;
  legacy.cStencilBits = 8;
  EXPECT_EQ(ChoosePixelFormat(dc, &legacy), 1);
  PIXELFORMATDESCRIPTOR described{};
  EXPECT_EQ(DescribePixelFormat(dc, 3, sizeof described, &described), 3);
  EXPECT_EQ(described.cColorBits, 24);
  EXPECT_EQ(DescribePixelFormat(dc, 4, sizeof described, &described), 0);

  auto choose = extension<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  auto attributes = extension<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
  ASSERT_TRUE(choose && attributes);
  int format = 0;
  UINT count = 0;
  ASSERT_EQ(choose(dc, strict_srgb, nullptr, 1, &format, &count), TRUE);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(format, 1);
  const int asked[] = {WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, WGL_DEPTH_BITS_ARB, WGL_NUMBER_PIXEL_FORMATS_ARB};
  int values[3] = {};
  ASSERT_EQ(attributes(dc, 2, 0, 3, asked, values), TRUE);
  EXPECT_EQ(values[0], 0);
  EXPECT_EQ(values[1], 24);
  EXPECT_EQ(values[2], 3);
  EXPECT_EQ(attributes(dc, 9, 0, 1, asked, values), FALSE);

  sim_set_pixel_formats({sim_pixel_format(32, 8, 24, 8, false)});
  ASSERT_EQ(choose(dc, strict_srgb, nullptr, 1, &format, &count), TRUE);
  EXPECT_EQ(count, 0u) << "no sRGB-capable format";
}

// A format with one WGL attribute set (added when missing) or, with value -1, removed.
backend_pixel_format with(backend_pixel_format format, int attribute, int value) {
  auto& list = format.attributes;
  std::erase_if(list, [&](const auto& pair) { return pair.first == attribute; });
  if (value != -1) list.push_back({attribute, value});
  return format;
}

TEST(SimDriver, TheExtensionChooserRanksMatchesAsDriversDo) {
  gl_window w;
  HDC dc = GetDC(w.recorder.create(WS_POPUP));
  auto choose = extension<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  ASSERT_NE(choose, nullptr);
  const backend_pixel_format fast = sim_pixel_format(32, 8, 24, 8, true);
  const backend_pixel_format slow = with(fast, WGL_ACCELERATION_ARB, WGL_NO_ACCELERATION_ARB);
  const backend_pixel_format generic = with(fast, WGL_ACCELERATION_ARB, WGL_GENERIC_ACCELERATION_ARB);
  const backend_pixel_format unreported = with(fast, WGL_ACCELERATION_ARB, -1);
  const backend_pixel_format msaa4 = with(with(fast, WGL_SAMPLE_BUFFERS_ARB, 1), WGL_SAMPLES_ARB, 4);
  const backend_pixel_format msaa2 = with(with(fast, WGL_SAMPLE_BUFFERS_ARB, 1), WGL_SAMPLES_ARB, 2);
  const backend_pixel_format deep = sim_pixel_format(32, 8, 32, 8, true);
  const backend_pixel_format no_srgb = sim_pixel_format(32, 8, 24, 8, false);
  struct row {
    const char* name;
    std::vector<backend_pixel_format> formats;
    std::vector<int> expected;
  };
  const row rows[] = {
      {"a slow configuration listed first", {slow, fast}, {2, 1}},
      {"generic before no acceleration", {slow, generic}, {2, 1}},
      {"fewest samples first", {msaa4, msaa2, fast}, {3, 2, 1}},
      {"acceleration before samples", {generic, msaa4}, {2, 1}},
      {"samples before surplus bits", {msaa2, deep}, {2, 1}},
      {"least surplus bits", {deep, fast}, {2, 1}},
      {"ties keep the list order; unreported acceleration counts as full", {fast, no_srgb, unreported, fast}, {1, 3, 4}},
  };
  for (const row& r : rows) {
    sim_set_pixel_formats(r.formats);
    int formats[8] = {};
    UINT count = 0;
    ASSERT_EQ(choose(dc, strict_srgb, nullptr, 8, formats, &count), TRUE) << r.name;
    EXPECT_EQ(std::vector<int>(formats, formats + count), r.expected) << r.name;
    int best = 0;
    ASSERT_EQ(choose(dc, strict_srgb, nullptr, 1, &best, &count), TRUE) << r.name;
    EXPECT_EQ(count, 1u) << r.name;
    EXPECT_EQ(best, r.expected.front()) << r.name;
  }
}

TEST(SimDriver, APixelFormatIsSetOnce) {
  message_recorder recorder;
  HDC dc = GetDC(recorder.create());
  EXPECT_EQ(GetPixelFormat(dc), 0);
  EXPECT_EQ(SetPixelFormat(dc, 4, nullptr), FALSE) << "out of range";
  EXPECT_EQ(SetPixelFormat(dc, 2, nullptr), TRUE);
  EXPECT_EQ(SetPixelFormat(dc, 2, nullptr), TRUE);
  EXPECT_EQ(SetPixelFormat(dc, 1, nullptr), FALSE);
  EXPECT_EQ(GetPixelFormat(dc), 2);
}

TEST(SimDriver, ProcAddressesAnswerAsConfigured) {
  {
    message_recorder recorder;
    EXPECT_EQ(wglGetProcAddress("wglChoosePixelFormatARB"), nullptr) << "no current context";
  }
  for (std::intptr_t missing : {0, 1, 2, 3, -1}) {
    gl_window w;
    EXPECT_NE(wglGetProcAddress("wglGetPixelFormatAttribivARB"), nullptr);
    sim_set_proc_address("wglGetPixelFormatAttribivARB", missing);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(wglGetProcAddress("wglGetPixelFormatAttribivARB")), missing);
    sim_set_proc_present("wglGetPixelFormatAttribivARB");
    EXPECT_NE(wglGetProcAddress("wglGetPixelFormatAttribivARB"), nullptr);
  }
  gl_window w;
  EXPECT_EQ(wglGetProcAddress("glSomethingElse"), nullptr);
}

TEST(SimDriver, SrgbSwitchAndTextureFormatReadBack) {
  struct row {
    const char* name;
    bool srgb_works;
    GLint answer;
    bool writes;
    bool enabled;
    GLint read;
  };
  const row rows[] = {
      {"as uploaded", true, 0, true, true, GL_SRGB8_ALPHA8},
      {"driver without sRGB", false, 0, true, false, GL_SRGB8_ALPHA8},
      {"another format", true, 0x8058 /* GL_RGBA8 */, true, true, 0x8058},
      {"query writes nothing", true, 0, false, true, -5},
  };
  for (const row& r : rows) {
    gl_window w;
    sim_set_srgb_framebuffer_works(r.srgb_works);
    sim_set_texture_internal_format(r.answer, r.writes);
    glEnable(GL_FRAMEBUFFER_SRGB);
    EXPECT_EQ(glIsEnabled(GL_FRAMEBUFFER_SRGB) == GL_TRUE, r.enabled) << r.name;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    EXPECT_NE(texture, 0u);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char texel[4] = {128, 128, 128, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    GLint read = -5;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &read);
    EXPECT_EQ(read, r.read) << r.name;
    EXPECT_EQ(sim_gl_calls_named("glTexImage2D").back().bytes, std::string("\x80\x80\x80\xff")) << r.name;
  }
}

TEST(SimDriver, SwapBuffersIsCountedPerWindow) {
  gl_window a;
  HWND other = a.recorder.create();
  EXPECT_TRUE(SwapBuffers(a.dc));
  EXPECT_TRUE(SwapBuffers(a.dc));
  EXPECT_FALSE(SwapBuffers(GetDC(other))) << "no pixel format yet";
  EXPECT_EQ(sim_swap_count(a.window), 2);
  EXPECT_EQ(sim_swap_count(other), 0);
  EXPECT_EQ(sim_swap_total(), 2);
}

TEST(SimDriver, ContextsFollowTheirWindowsPixelFormat) {
  gl_window w;
  EXPECT_EQ(wglGetCurrentContext(), w.context);
  EXPECT_EQ(wglGetCurrentDC(), w.dc);
  HDC bare = GetDC(w.recorder.create());
  EXPECT_EQ(wglCreateContext(bare), nullptr) << "no pixel format";
  SetPixelFormat(bare, 2, nullptr);
  EXPECT_FALSE(wglMakeCurrent(bare, w.context)) << "another pixel format";
  EXPECT_EQ(wglGetCurrentContext(), nullptr) << "a failed call leaves nothing current";
  EXPECT_TRUE(wglMakeCurrent(w.dc, w.context));
  EXPECT_TRUE(wglDeleteContext(w.context));
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_FALSE(wglDeleteContext(w.context));
}

TEST(SimDesktop, OwnDeviceContextsAreTheSameEveryTime) {
  message_recorder recorder;
  HWND window = recorder.create();
  HDC dc = GetDC(window);
  EXPECT_EQ(GetDC(window), dc);
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(GetDC(window), dc);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x12345)), nullptr);
  EXPECT_EQ(ReleaseDC(window, nullptr), 0);
}

TEST(SimInput, TouchPenImeAndDropDataReachTheirQueries) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  TOUCHINPUT contact{};
  contact.x = 12345;
  contact.y = 678;
  contact.dwID = 9;
  contact.dwFlags = TOUCHEVENTF_DOWN;
  HTOUCHINPUT touch = sim_touch(window, {contact, contact}, 0xFF515700);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_TOUCH});
  EXPECT_EQ(LOWORD(msg.wParam), 2);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(touch));
  TOUCHINPUT read[2]{};
  ASSERT_TRUE(GetTouchInputInfo(touch, 2, read, sizeof(TOUCHINPUT)));
  EXPECT_EQ(read[1].x, 12345);
  EXPECT_FALSE(GetTouchInputInfo(touch, 2, read, sizeof(TOUCHINPUT) - 1)) << "wrong record size";
  EXPECT_TRUE(CloseTouchInputHandle(touch));
  EXPECT_FALSE(GetTouchInputInfo(touch, 2, read, sizeof(TOUCHINPUT)));

  POINTER_INPUT_TYPE type = PT_POINTER;
  EXPECT_FALSE(GetPointerType(5, &type)) << "unknown pointer";
  sim_set_pointer_type(5, PT_TOUCH);
  sim_set_pen(6, 512);
  ASSERT_TRUE(GetPointerType(5, &type));
  EXPECT_EQ(type, POINTER_INPUT_TYPE{PT_TOUCH});
  POINTER_PEN_INFO pen{};
  EXPECT_FALSE(GetPointerPenInfo(5, &pen));
  ASSERT_TRUE(GetPointerPenInfo(6, &pen));
  EXPECT_EQ(pen.pressure, 512u);
  EXPECT_EQ(pen.penMask, PEN_MASK{PEN_MASK_PRESSURE});

  sim_set_ime(window, u"ka", u"\u304b");
  HIMC ime = ImmGetContext(window);
  ASSERT_NE(ime, nullptr);
  EXPECT_EQ(ImmGetCompositionStringW(ime, GCS_COMPSTR, nullptr, 0), 4);
  char16_t units[4] = {};
  EXPECT_EQ(ImmGetCompositionStringW(ime, GCS_RESULTSTR, units, sizeof units), 2);
  EXPECT_EQ(units[0], u'\u304b');
  EXPECT_EQ(ImmGetCompositionStringW(ime, GCS_COMPSTR, units, 2), 2) << "cut at the byte limit";
  EXPECT_TRUE(ImmReleaseContext(window, ime));

  HDROP drop = sim_drop(window, {u"/tmp/a b.txt", u"/tmp/c"});
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_DROPFILES});
  EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(drop));
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 12u);
  WCHAR path[13] = {};
  EXPECT_EQ(DragQueryFileW(drop, 0, path, 13), 12u);
  EXPECT_EQ(std::u16string(path), u"/tmp/a b.txt");
  EXPECT_EQ(DragQueryFileW(drop, 0, path, 5), 4u) << "cut to the buffer, terminated";
  EXPECT_EQ(DragQueryFileW(drop, 2, path, 13), 0u);
  DragFinish(drop);
  EXPECT_EQ(sim_drops_finished(), 1);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST(SimDesktop, DwmapiIsLoadedOnlyWhenPresent) {
  message_recorder recorder;
  HWND window = recorder.create();
  EXPECT_EQ(LoadLibraryA("dwmapi.dll"), nullptr);
  sim_set_dwmapi_present(true);
  HMODULE dwm = LoadLibraryA("DWMAPI.DLL");
  ASSERT_NE(dwm, nullptr);
  using set_attribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  auto set = reinterpret_cast<set_attribute>(reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(GetProcAddress(dwm, "DwmOther"), nullptr);
  DWORD dark = TRUE;
  EXPECT_EQ(set(window, 20, &dark, sizeof dark), S_OK);
  std::vector<platform_call> calls = sim_calls_named("DwmSetWindowAttribute");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{platform_arg(window), "20", "1", "4"}));
  EXPECT_TRUE(FreeLibrary(dwm));
  EXPECT_FALSE(FreeLibrary(dwm));
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST(SimDesktop, ResetForgetsWindowsDriverAndRecords) {
  message_recorder recorder;
  HWND window = recorder.create();
  sim_fail("GetDC");
  sim_set_pixel_formats({});
  sim_reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(sim_calls().empty());
  message_recorder again;
  HDC dc = GetDC(again.create());
  ASSERT_NE(dc, nullptr) << "failures are gone";
  EXPECT_EQ(DescribePixelFormat(dc, 1, 0, nullptr), 3) << "default formats are back";
}

TEST(SimDesktop, WindowManagerEventsArriveAtTheNextPeek) {
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  recorder.clear();
  sim_move_window(window, RECT{200, 100, 840, 580});
  sim_request_close(window);
  EXPECT_TRUE(recorder.messages().empty());
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  std::vector<UINT> got = recorder.messages();
  ASSERT_GE(got.size(), 5u);
  EXPECT_EQ(message_names({got.begin(), got.begin() + 5}),
            message_names({WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_NCPAINT, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(recorder.find(WM_SIZE)->lParam, MAKELPARAM(640, 480));
  EXPECT_EQ(recorder.find(WM_MOVE)->lParam, MAKELPARAM(200, 100));
  EXPECT_NE(recorder.find(WM_SYSCOMMAND), nullptr);
  EXPECT_FALSE(IsWindow(window)) << "the default close destroys it";
}

}  // namespace
