// The thread's message queue: retrieval order, filters, TranslateMessage,
// extra info, paint messages and mouse routing.
#include <gtest/gtest.h>

#include "platform/tests/message_recorder.h"

namespace {

// The queued messages, up to limit; paint requests are answered, not returned.
std::vector<MSG> drain(HWND filter = nullptr, int limit = 1000) {
  std::vector<MSG> out;
  MSG msg{};
  while (static_cast<int>(out.size()) < limit && PeekMessageW(&msg, filter, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT)
      DispatchMessageW(&msg);
    else
      out.push_back(msg);
  }
  return out;
}

TEST(PeekMessageW, TakesPostedMessagesInOrderAcrossBoundedPumps) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  for (UINT i = 0; i < 40; ++i) PostMessageW(window, WM_USER + i, i, 0);
  std::vector<MSG> first = drain(nullptr, 32);
  ASSERT_EQ(first.size(), 32u);
  std::vector<MSG> rest = drain();
  ASSERT_EQ(rest.size(), 8u);
  for (UINT i = 0; i < 32; ++i) EXPECT_EQ(first[i].message, WM_USER + i);
  for (UINT i = 0; i < 8; ++i) EXPECT_EQ(rest[i].message, WM_USER + 32 + i);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "a hidden window asks for no paint";
}

TEST(PeekMessageW, TakesPostedMessagesBeforeInputMessages) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  sim_post(window, WM_KEYDOWN, 'A', 1);
  sim_post(window, WM_MOUSEMOVE, 0, MAKELPARAM(1, 2), 0xFF515780);
  sim_post(window, WM_USER, 0, 0, 5);
  std::vector<UINT> order;
  std::vector<LPARAM> extra;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    extra.push_back(GetMessageExtraInfo());
  }
  EXPECT_EQ(message_names(order), message_names({WM_USER, WM_KEYDOWN, WM_MOUSEMOVE}));
  EXPECT_EQ(extra, (std::vector<LPARAM>{5, 0, 0xFF515780}));
}

TEST(PeekMessageW, FiltersByWindowAndRangeAndCanLeaveTheMessage) {
  message_recorder recorder;
  HWND a = recorder.create(WS_POPUP);
  HWND b = recorder.create(WS_POPUP);
  PostMessageW(a, WM_USER, 1, 0);
  PostMessageW(b, WM_USER + 1, 2, 0);
  PostMessageW(nullptr, WM_USER + 2, 3, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, WPARAM{2});
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE) == FALSE)
      << "no thread message is left";
  std::vector<MSG> rest = drain();
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0].hwnd, a);
  EXPECT_EQ(rest[1].hwnd, b) << "PM_NOREMOVE left it queued";
}

TEST(TranslateMessage, PostsTheCharactersOfAKeyDownBeforeLaterInput) {
  struct row {
    const char* name;
    std::vector<std::pair<WPARAM, bool>> held;  // keys pressed (retrieved) before
    WPARAM key;
    bool system;
    std::u16string expected;
  };
  const row rows[] = {
      {"letter", {}, 'A', false, u"a"},
      {"shifted letter", {{VK_SHIFT, true}}, 'A', false, u"A"},
      {"shifted digit", {{VK_SHIFT, true}}, '1', false, u"!"},
      {"control letter", {{VK_CONTROL, true}}, 'C', false, u"\x03"},
      {"escape", {}, VK_ESCAPE, false, u"\x1b"},
      {"arrow", {}, VK_LEFT, false, u""},
      {"alt letter", {}, 'F', true, u"f"},
  };
  for (const row& r : rows) {
    message_recorder recorder;
    HWND window = recorder.create(WS_POPUP);
    for (auto [vk, down] : r.held) sim_key(window, vk, down);
    drain();
    LPARAM lParam = 1 | (r.system ? (1 << 29) : 0);
    UINT message = r.system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    sim_post(window, message, r.key, lParam);
    sim_post(window, r.system ? WM_SYSKEYUP : WM_KEYUP, r.key, lParam | (3 << 30));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << r.name;
    EXPECT_TRUE(TranslateMessage(&msg)) << r.name;
    std::u16string text;
    UINT char_message = r.system ? WM_SYSCHAR : WM_CHAR;
    std::vector<MSG> after = drain();
    for (const MSG& m : after) {
      if (m.message != char_message) break;
      text += static_cast<char16_t>(m.wParam);
      EXPECT_EQ(m.lParam, lParam) << r.name;
    }
    EXPECT_EQ(text, r.expected) << r.name;
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.back().message, r.system ? UINT{WM_SYSKEYUP} : UINT{WM_KEYUP}) << r.name << ": key up last";
  }
  message_recorder recorder;
  MSG up{nullptr, WM_KEYUP, 'A', 0, 0, {}};
  MSG other{nullptr, WM_USER, 0, 0, 0, {}};
  EXPECT_TRUE(TranslateMessage(&up));
  EXPECT_FALSE(TranslateMessage(&other));
  EXPECT_TRUE(drain().empty());
}

TEST(TranslateMessage, KeyTextCanBeReplacedForOtherLayouts) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  sim_set_key_text('E', u"\u00e9");
  sim_set_key_text(VK_OEM_1, u"\xd83d\xde00");
  sim_key(window, 'E', true);
  sim_key(window, VK_OEM_1, true);
  std::u16string typed;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    if (msg.message == WM_CHAR) typed += static_cast<char16_t>(msg.wParam);
  }
  EXPECT_EQ(typed, u"\u00e9\xd83d\xde00");
}

TEST(GetKeyState, FollowsTheKeyMessagesRetrieved) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  sim_key(window, VK_SHIFT, true);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000) << "not retrieved yet";
  drain();
  EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
  EXPECT_TRUE(GetKeyState(VK_LSHIFT) & 0x8000);
  sim_key(window, VK_SHIFT, false);
  drain();
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
  sim_set_key_down(VK_LBUTTON, true);
  EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000) << "asynchronous state is the desktop's, now";
}

TEST(PeekMessageW, AskesForPaintWhenNothingElseIsQueued) {
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);
  PostMessageW(window, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_USER});
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_PAINT});
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "paint stays until the window is validated";
  recorder.clear();
  DispatchMessageW(&msg);
  EXPECT_EQ(message_names(recorder.messages()), message_names({WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "a minimized window is not painted";
  ShowWindow(window, SW_RESTORE);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_PAINT}) << "but it is once restored";
}

TEST(UpdateWindow, PaintsSynchronouslyOnlyWhatNeedsIt) {
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);
  recorder.clear();
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(message_names(recorder.messages()), message_names({WM_PAINT, WM_ERASEBKGND}));
  recorder.clear();
  UpdateWindow(window);
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_FALSE(UpdateWindow(nullptr));
}

TEST(MouseInput, IsHitTestedThenPostedAsTheSystemRoutesIt) {
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);  // window (100, 50); client from (108, 81)
  drain();
  recorder.clear();
  sim_mouse(window, WM_LBUTTONDOWN, MK_LBUTTON, {300, 200}, 0xFF515700);
  sim_mouse(window, WM_LBUTTONDOWN, MK_LBUTTON, {300, 60});
  std::vector<MSG> got = drain();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, UINT{WM_LBUTTONDOWN});
  EXPECT_EQ(got[0].lParam, MAKELPARAM(192, 119)) << "client coordinates";
  EXPECT_EQ(got[1].message, UINT{WM_NCLBUTTONDOWN});
  EXPECT_EQ(got[1].wParam, WPARAM{HTCAPTION});
  EXPECT_EQ(got[1].lParam, MAKELPARAM(300, 60)) << "screen coordinates";
  EXPECT_EQ(message_names(recorder.messages()),
            message_names({WM_NCHITTEST, WM_SETCURSOR, WM_NCHITTEST, WM_SETCURSOR}));
  EXPECT_EQ(recorder.find(WM_SETCURSOR)->lParam, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));

  SetCapture(window);
  recorder.clear();
  sim_mouse(window, WM_MOUSEMOVE, MK_LBUTTON, {50, 20});
  got = drain();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, UINT{WM_MOUSEMOVE});
  EXPECT_EQ(got[0].lParam, MAKELPARAM(-58, -61)) << "captured: client coordinates, even outside";
  EXPECT_TRUE(recorder.messages().empty()) << "no hit test while captured";
}

TEST(MouseInput, APressOnAnInactiveWindowAsksItToActivateFirst) {
  struct row {
    const char* name;
    LRESULT answer;
    bool activated;
    bool posted;
  };
  const row rows[] = {
      {"MA_ACTIVATE", MA_ACTIVATE, true, true},
      {"MA_ACTIVATEANDEAT", MA_ACTIVATEANDEAT, true, false},
      {"MA_NOACTIVATE", MA_NOACTIVATE, false, true},
      {"MA_NOACTIVATEANDEAT", MA_NOACTIVATEANDEAT, false, false},
  };
  for (const row& r : rows) {
    message_recorder recorder;
    HWND window = recorder.create();
    ShowWindow(window, SW_SHOW);  // client from (108, 81)
    sim_set_foreground(sim_foreign_window());
    drain();
    recorder.clear();
    recorder.answer_message = WM_MOUSEACTIVATE;
    recorder.answer = r.answer;
    sim_mouse(window, WM_LBUTTONDOWN, MK_LBUTTON, {300, 200});
    std::vector<MSG> got = drain();
    std::vector<UINT> expected{WM_NCHITTEST, WM_MOUSEACTIVATE};
    if (r.activated)
      expected.insert(expected.end(), {WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS});
    if (r.posted) expected.push_back(WM_SETCURSOR);
    EXPECT_EQ(message_names(recorder.messages()), message_names(expected)) << r.name;
    const recorded_message* asked = recorder.find(WM_MOUSEACTIVATE);
    ASSERT_NE(asked, nullptr) << r.name;
    EXPECT_EQ(asked->wParam, reinterpret_cast<WPARAM>(window)) << r.name << ": the top-level window";
    EXPECT_EQ(asked->lParam, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)) << r.name;
    if (r.activated) {
      EXPECT_EQ(LOWORD(recorder.find(WM_ACTIVATE)->wParam), WA_CLICKACTIVE) << r.name;
      EXPECT_EQ(GetActiveWindow(), window) << r.name;
      EXPECT_EQ(sim_foreground(), window) << r.name << ": the desktop is asked too";
    } else {
      EXPECT_EQ(GetActiveWindow(), nullptr) << r.name;
    }
    ASSERT_EQ(got.size(), r.posted ? 1u : 0u) << r.name;
    if (r.posted) {
      EXPECT_EQ(got[0].message, UINT{WM_LBUTTONDOWN}) << r.name;
    }
  }

  // Only presses ask, and only while the window is not active.
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);
  sim_set_foreground(sim_foreign_window());
  drain();
  recorder.clear();
  sim_mouse(window, WM_MOUSEMOVE, 0, {300, 200});
  sim_mouse(window, WM_LBUTTONUP, 0, {300, 200});
  drain();
  EXPECT_EQ(recorder.find(WM_MOUSEACTIVATE), nullptr) << "moves and releases do not activate";
  sim_mouse(window, WM_LBUTTONDOWN, MK_LBUTTON, {300, 60});
  drain();
  ASSERT_NE(recorder.find(WM_MOUSEACTIVATE), nullptr) << "a press on the caption activates too";
  EXPECT_EQ(recorder.find(WM_MOUSEACTIVATE)->lParam, MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN));
  EXPECT_EQ(GetActiveWindow(), window);
  recorder.clear();
  sim_mouse(window, WM_RBUTTONDOWN, MK_RBUTTON, {300, 200});
  drain();
  EXPECT_EQ(recorder.find(WM_MOUSEACTIVATE), nullptr) << "the active window is not asked";
}

}  // namespace

namespace {

TEST(DefWindowProcW, TurnsInputMethodResultsIntoCharactersAndClosesTouchHandles) {
  message_recorder recorder;
  HWND window = recorder.create(WS_POPUP);
  sim_set_ime(window, u"", u"\u304b\u304d");
  recorder.clear();
  DefWindowProcW(window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(message_names(recorder.messages()), message_names({WM_IME_CHAR, WM_IME_CHAR}));
  std::u16string typed;
  for (const MSG& m : drain())
    if (m.message == WM_CHAR) typed += static_cast<char16_t>(m.wParam);
  EXPECT_EQ(typed, u"\u304b\u304d") << "each WM_IME_CHAR becomes a posted WM_CHAR";

  HTOUCHINPUT touch = sim_touch(window, {TOUCHINPUT{}});
  drain();
  DefWindowProcW(window, WM_TOUCH, 1, reinterpret_cast<LPARAM>(touch));
  TOUCHINPUT read{};
  EXPECT_FALSE(GetTouchInputInfo(touch, 1, &read, sizeof read)) << "the default handling closes the handle";
}

TEST(BackEndEvents, WindowManagerStateChangesSendTheirSize) {
  struct row {
    backend_show_state state;
    WPARAM size_kind;
    bool iconic, zoomed, visible;
  };
  const row rows[] = {
      {backend_show_state::minimized, SIZE_MINIMIZED, true, false, true},
      {backend_show_state::normal, SIZE_RESTORED, false, false, true},
      {backend_show_state::maximized, SIZE_MAXIMIZED, false, true, true},
      {backend_show_state::hidden, SIZE_MAXIMIZED, false, true, false},
  };
  message_recorder recorder;
  HWND window = recorder.create();
  ShowWindow(window, SW_SHOW);
  drain();
  for (const row& r : rows) {
    recorder.clear();
    sim_set_window_state(window, r.state);
    drain();
    if (r.visible) {
      const recorded_message* size = recorder.find(WM_SIZE);
      ASSERT_NE(size, nullptr) << int(r.state);
      EXPECT_EQ(size->wParam, r.size_kind) << int(r.state);
    } else {
      EXPECT_NE(recorder.find(WM_SHOWWINDOW), nullptr);
    }
    EXPECT_EQ(!!IsIconic(window), r.iconic) << int(r.state);
    EXPECT_EQ(!!IsZoomed(window), r.zoomed) << int(r.state);
    EXPECT_EQ(!!IsWindowVisible(window), r.visible) << int(r.state);
    EXPECT_EQ(sim_window_state(window), r.state) << int(r.state);
  }
}

}  // namespace
