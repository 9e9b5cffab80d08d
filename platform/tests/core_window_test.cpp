// Message orders and results of the core's window calls, against the sim.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/core/core.h"
#include "platform/tests/message_recorder.h"

namespace {

using messages = std::vector<UINT>;

// A shown, active window with its creation and first-show messages cleared.
struct shown_window {
  message_recorder recorder;
  HWND window = nullptr;
  shown_window() {
    window = recorder.create();
    ShowWindow(window, SW_SHOW);
    recorder.clear();
  }
};

// Two shown windows, the second one active.
struct two_shown_windows {
  message_recorder recorder;
  HWND first = nullptr;
  HWND second = nullptr;
  two_shown_windows() {
    first = recorder.create();
    second = recorder.create();
    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOW);
  }
};

LONG width_of(const RECT& r) { return r.right - r.left; }
LONG height_of(const RECT& r) { return r.bottom - r.top; }

TEST(CreateWindowExW, SendsTheCreationMessagesOfItsStyleBeforeReturning) {
  struct row {
    const char* name;
    DWORD style;
    messages expected;
  };
  const row rows[] = {
      {"overlapped", WS_OVERLAPPEDWINDOW, {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}},
      {"popup", WS_POPUP, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
      {"resizable popup", WS_POPUP | WS_THICKFRAME,
       {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
  };
  for (const row& r : rows) {
    message_recorder recorder;
    HWND window = recorder.create(r.style);
    ASSERT_NE(window, nullptr) << r.name;
    EXPECT_EQ(message_names(recorder.messages()), message_names(r.expected)) << r.name;
    EXPECT_FALSE(IsWindowVisible(window)) << r.name;
    const recorded_message* calc = recorder.find(WM_NCCALCSIZE);
    ASSERT_NE(calc, nullptr);
    EXPECT_EQ(calc->wParam, WPARAM{FALSE}) << r.name;
  }
}

TEST(CreateWindowExW, ClientAreaIsTheRectangleAdjustWindowRectExWasGiven) {
  message_recorder recorder;
  RECT outer{0, 0, 1000, 700};
  ASSERT_TRUE(AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW));
  EXPECT_EQ(outer.left, -8);
  EXPECT_EQ(outer.top, -31);
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, u"recorder", u"t", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                width_of(outer), height_of(outer), nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(width_of(client), 1000);
  EXPECT_EQ(height_of(client), 700);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 26) << "CW_USEDEFAULT takes the desktop's default position";
  ShowWindow(window, SW_SHOW);
  const recorded_message* size = recorder.find(WM_SIZE);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->lParam, MAKELPARAM(1000, 700));
}

TEST(CreateWindowExW, FailsWithoutAWindowWhenCreationIsRefused) {
  struct row {
    const char* name;
    UINT refused;
    LRESULT answer;
    messages expected;
  };
  const row rows[] = {
      {"WM_NCCREATE FALSE", WM_NCCREATE, FALSE, {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCDESTROY}},
      {"WM_CREATE -1", WM_CREATE, -1,
       {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
  };
  for (const row& r : rows) {
    message_recorder recorder;
    recorder.answer_message = r.refused;
    recorder.answer = r.answer;
    EXPECT_EQ(recorder.create(), nullptr) << r.name;
    EXPECT_EQ(message_names(recorder.messages()), message_names(r.expected)) << r.name;
    HWND sent_to = recorder.log().front().window;
    EXPECT_FALSE(IsWindow(sent_to)) << r.name;
  }
  message_recorder recorder;
  EXPECT_EQ(CreateWindowExW(0, u"no such class", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  sim_fail("CreateWindowExW");
  EXPECT_EQ(recorder.create(), nullptr);
  EXPECT_TRUE(recorder.messages().empty());
}

TEST(ShowWindow, AChangeOfStateShowsAHiddenWindowWithoutWmShowWindow) {
  struct row {
    int command;
    bool show_message;
  };
  const row rows[] = {{SW_SHOW, true}, {SW_SHOWNA, true}, {SW_MAXIMIZE, false}, {SW_MINIMIZE, false}};
  for (const row& r : rows) {
    message_recorder recorder;
    HWND window = recorder.create();
    recorder.clear();
    ShowWindow(window, r.command);
    EXPECT_EQ(recorder.find(WM_SHOWWINDOW) != nullptr, r.show_message) << r.command;
    EXPECT_TRUE(IsWindowVisible(window)) << r.command;
  }
}

TEST(ShowWindow, FirstShowActivatesAndSendsTheFirstSize) {
  message_recorder recorder;
  HWND window = recorder.create();
  recorder.clear();
  EXPECT_FALSE(ShowWindow(window, SW_SHOW)) << "the window was hidden";
  EXPECT_EQ(message_names(recorder.messages()),
            message_names({WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
                           WM_SETFOCUS, WM_NCPAINT, WM_ERASEBKGND, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(recorder.find(WM_SHOWWINDOW)->wParam, WPARAM{TRUE});
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_EQ(GetFocus(), window);
  EXPECT_EQ(sim_window_state(window), backend_show_state::normal);
  recorder.clear();
  EXPECT_TRUE(ShowWindow(window, SW_SHOW)) << "already visible";
  EXPECT_TRUE(recorder.messages().empty()) << message_names(recorder.messages());
}

TEST(ShowWindow, HidingTheActiveWindowDeactivatesItAndTakesTheFocus) {
  shown_window w;
  EXPECT_TRUE(ShowWindow(w.window, SW_HIDE));
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE,
                           WM_ACTIVATEAPP, WM_KILLFOCUS}));
  EXPECT_EQ(w.recorder.find(WM_SHOWWINDOW)->wParam, WPARAM{FALSE});
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(sim_window_state(w.window), backend_show_state::hidden);
  w.recorder.clear();
  EXPECT_FALSE(ShowWindow(w.window, SW_HIDE));
  EXPECT_TRUE(w.recorder.messages().empty());
}

TEST(ShowWindow, MinimizeMaximizeAndRestoreEachSendTheirSize) {
  struct row {
    int command;
    WPARAM size_kind;
    LPARAM size;  // 0: not checked
    bool zoomed;
    bool iconic;
  };
  // Work area 1920 x 1040, frame 8/31/8/8: a maximized client is 1920 x (1040 - 23).
  const row steps[] = {
      {SW_MAXIMIZE, SIZE_MAXIMIZED, MAKELPARAM(1920, 1017), true, false},
      {SW_MINIMIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0), false, true},
      {SW_RESTORE, SIZE_MAXIMIZED, MAKELPARAM(1920, 1017), true, false},
      {SW_RESTORE, SIZE_RESTORED, MAKELPARAM(1000, 700), false, false},
      {SW_MINIMIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0), false, true},
      {SW_RESTORE, SIZE_RESTORED, MAKELPARAM(1000, 700), false, false},
  };
  shown_window w;
  for (const row& r : steps) {
    w.recorder.clear();
    ShowWindow(w.window, r.command);
    const recorded_message* size = w.recorder.find(WM_SIZE);
    ASSERT_NE(size, nullptr) << r.command;
    EXPECT_EQ(size->wParam, r.size_kind) << r.command;
    EXPECT_EQ(size->lParam, r.size) << r.command;
    EXPECT_EQ(!!IsZoomed(w.window), r.zoomed) << r.command;
    EXPECT_EQ(!!IsIconic(w.window), r.iconic) << r.command;
  }
}

TEST(ShowWindow, MinimizingTheActiveWindowDropsTheFocusSizesItThenDeactivatesIt) {
  shown_window w;
  ShowWindow(w.window, SW_MINIMIZE);
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_KILLFOCUS, WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE,
                           WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE, WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
  EXPECT_EQ(sim_window_state(w.window), backend_show_state::minimized);
  EXPECT_EQ(w.recorder.find(WM_SIZE)->lParam, 0);
  w.recorder.clear();
  ShowWindow(w.window, SW_MAXIMIZE);
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_QUERYOPEN, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE,
                           WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_NCPAINT, WM_ERASEBKGND,
                           WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
}

TEST(ShowWindow, AMinimizedWindowThatRefusesToOpenStaysMinimized) {
  shown_window w;
  ShowWindow(w.window, SW_MINIMIZE);
  w.recorder.clear();
  w.recorder.answer_message = WM_QUERYOPEN;
  w.recorder.answer = FALSE;
  ShowWindow(w.window, SW_RESTORE);
  EXPECT_TRUE(IsIconic(w.window));
  EXPECT_EQ(w.recorder.find(WM_SIZE), nullptr);
}

// WINDOWPOS flags of each state change, as Wine reports them: WM_WINDOWPOSCHANGED
// keeps only what changed (SWP_SHOWWINDOW only for a hidden window, SWP_NOZORDER
// unless activation raised the window), and the iconic size is entered and left
// without copying the client area.
TEST(ShowWindow, WindowPosFlagsOfMinimizeMaximizeAndRestoreReportWhatChanged) {
  constexpr UINT state = 0x8000 | SWP_FRAMECHANGED;  // SWP_STATECHANGED, undocumented
  constexpr UINT iconic = state | SWP_NOCOPYBITS;
  struct row {
    const char* name;
    bool first;  // else the second window
    int command;
    UINT changing;  // 0: a step between the checked ones
    UINT changed;
  };
  const row steps[] = {
      {"hidden, minimized", true, SW_MINIMIZE, iconic | SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER,
       iconic | SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER},
      {"restored from minimized", true, SW_RESTORE, iconic, iconic | SWP_NOZORDER},
      {"maximized", true, SW_MAXIMIZE, state, state | SWP_NOZORDER},
      {"minimized from maximized", true, SW_MINIMIZE, iconic | SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER,
       iconic | SWP_NOACTIVATE | SWP_NOZORDER},
      {"restored to maximized", true, SW_RESTORE, iconic, iconic | SWP_NOZORDER},
      {"restored from maximized", true, SW_RESTORE, state, state | SWP_NOZORDER},
      {"hide", true, SW_HIDE, 0, 0},
      {"hidden, maximized", true, SW_MAXIMIZE, state | SWP_SHOWWINDOW, state | SWP_SHOWWINDOW | SWP_NOZORDER},
      {"hide maximized", true, SW_HIDE, 0, 0},
      {"hidden maximized, restored", true, SW_RESTORE, state | SWP_SHOWWINDOW, state | SWP_SHOWWINDOW | SWP_NOZORDER},
      {"second window shown on top", false, SW_SHOW, 0, 0},
      {"minimized below the second", true, SW_MINIMIZE, iconic | SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER,
       iconic | SWP_NOACTIVATE | SWP_NOZORDER},
      {"restored without activation", true, SW_SHOWNOACTIVATE, iconic | SWP_NOACTIVATE | SWP_NOZORDER,
       iconic | SWP_NOACTIVATE | SWP_NOZORDER},
      {"minimized again", true, SW_MINIMIZE, 0, 0},
      {"second window activated", false, SW_SHOW, 0, 0},
      {"restored, activated and raised above the second", true, SW_RESTORE, iconic, iconic},
  };
  message_recorder recorder;
  HWND first = recorder.create();
  HWND second = nullptr;
  for (const row& r : steps) {
    if (!r.first && !second) second = recorder.create();
    recorder.clear();
    ShowWindow(r.first ? first : second, r.command);
    if (!r.changing) continue;
    EXPECT_EQ(recorder.pos_flags_of(WM_WINDOWPOSCHANGING), r.changing) << r.name;
    EXPECT_EQ(recorder.pos_flags_of(WM_WINDOWPOSCHANGED), r.changed) << r.name;
  }
  EXPECT_EQ(GetForegroundWindow(), first);
}

TEST(SetWindowPos, SendsMoveAndSizeSynchronouslyForWhatChanged) {
  struct row {
    const char* name;
    int x, y, cx, cy;
    UINT flags;
    messages expected;
  };
  const row rows[] = {
      {"move and shrink", 10, 20, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE,
       {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_NCPAINT, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}},
      {"grow", 100, 50, 1100, 800, SWP_NOZORDER | SWP_NOACTIVATE,
       {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_NCPAINT, WM_ERASEBKGND, WM_WINDOWPOSCHANGED,
        WM_SIZE}},
      {"move only", 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE,
       {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}},
      {"same rectangle: no change, so no WM_WINDOWPOSCHANGED", 100, 50, 1016, 739, SWP_NOZORDER | SWP_NOACTIVATE,
       {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO}},
  };
  for (const row& r : rows) {
    shown_window w;
    ASSERT_TRUE(SetWindowPos(w.window, nullptr, r.x, r.y, r.cx, r.cy, r.flags)) << r.name;
    EXPECT_EQ(message_names(w.recorder.messages()), message_names(r.expected)) << r.name;
  }
  shown_window w;
  SetWindowPos(w.window, nullptr, 10, 20, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(w.recorder.find(WM_MOVE)->lParam, MAKELPARAM(18, 51)) << "client origin in screen coordinates";
  EXPECT_EQ(w.recorder.find(WM_SIZE)->lParam, MAKELPARAM(484, 361));
  RECT client = sim_window_client(w.window);
  EXPECT_EQ(client.left, 18);
  EXPECT_EQ(client.right, 18 + 484) << "the native window follows";
}

TEST(SetWindowPos, KeepsTheSizeWithinTheMinimumTrackingSize) {
  shown_window w;
  SetWindowPos(w.window, nullptr, 0, 0, 20, 10, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT rect{};
  GetWindowRect(w.window, &rect);
  EXPECT_EQ(width_of(rect), 136);
  EXPECT_EQ(height_of(rect), 39);
}

TEST(WindowManagerResize, KeepsTheTrackingSizeAndTellsTheNativeWindowWhatWasKept) {
  // Work area 1920 x 1040, frame 8, 31, 8, 8: the largest client area is 1920 x 1040.
  struct row {
    const char* name;
    RECT reported;
    RECT kept;
  };
  const row rows[] = {
      {"within the limits: taken as it is", {200, 100, 1100, 800}, {200, 100, 1100, 800}},
      {"taller than the work area", {200, 100, 1200, 1400}, {200, 100, 1200, 1140}},
      {"far larger than the screen", {0, 0, 4096, 4096}, {0, 0, 1920, 1040}},
      {"narrower than the narrowest", {300, 300, 301, 301}, {300, 300, 420, 301}},
  };
  for (const row& r : rows) {
    shown_window w;
    sim_move_window(w.window, r.reported);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    RECT client{};
    GetClientRect(w.window, &client);
    EXPECT_EQ(width_of(client), width_of(r.kept)) << r.name;
    EXPECT_EQ(height_of(client), height_of(r.kept)) << r.name;
    const recorded_message* size = w.recorder.find(WM_SIZE);
    ASSERT_NE(size, nullptr) << r.name;
    EXPECT_EQ(size->lParam, MAKELPARAM(width_of(r.kept), height_of(r.kept))) << r.name;
    const RECT native = sim_window_client(w.window);
    EXPECT_TRUE(native.left == r.kept.left && native.top == r.kept.top && native.right == r.kept.right &&
                native.bottom == r.kept.bottom)
        << r.name << ": the native window is " << native.left << ", " << native.top << ", " << native.right << ", "
        << native.bottom;
  }
}

TEST(WindowManagerResize, AChangeWhileMinimizedIsWhereTheWindowIsRestored) {
  // The window system moves or resizes a minimized window (another program does);
  // however it is restored, the window is there and its last size and move say so.
  struct row {
    const char* name;
    bool maximized_first;
    bool restored_by_the_window_system;
    RECT reported;  // client area
  };
  const row rows[] = {
      {"resized, restored by the window system", false, true, {108, 131, 708, 631}},
      {"moved, restored by the window system", false, true, {300, 200, 1100, 800}},
      {"resized, restored by the program", false, false, {108, 131, 708, 631}},
      {"maximized, resized, restored by the window system", true, true, {50, 60, 650, 560}},
  };
  for (const row& r : rows) {
    shown_window w;
    if (r.maximized_first) ShowWindow(w.window, SW_MAXIMIZE);
    ShowWindow(w.window, SW_MINIMIZE);
    sim_move_window(w.window, r.reported);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_TRUE(IsIconic(w.window)) << r.name;
    w.recorder.clear();
    if (r.restored_by_the_window_system) {
      sim_set_window_state(w.window, backend_show_state::normal);
      PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    } else {
      ShowWindow(w.window, SW_SHOWNORMAL);
    }
    EXPECT_FALSE(IsIconic(w.window)) << r.name;
    EXPECT_FALSE(IsZoomed(w.window)) << r.name;
    POINT origin{0, 0};
    ClientToScreen(w.window, &origin);
    RECT client{};
    GetClientRect(w.window, &client);
    EXPECT_EQ(origin.x, r.reported.left) << r.name;
    EXPECT_EQ(origin.y, r.reported.top) << r.name;
    EXPECT_EQ(client.right, width_of(r.reported)) << r.name;
    EXPECT_EQ(client.bottom, height_of(r.reported)) << r.name;
    const recorded_message* size = w.recorder.find(WM_SIZE);
    const recorded_message* move = w.recorder.find(WM_MOVE);
    ASSERT_TRUE(size && move) << r.name;
    EXPECT_EQ(size->lParam, MAKELPARAM(width_of(r.reported), height_of(r.reported))) << r.name;
    EXPECT_EQ(move->lParam, MAKELPARAM(r.reported.left, r.reported.top)) << r.name;
  }
}

// A window whose procedure allows at most 640 x 480 (window size) and moves every
// change it is asked for to x 5.
LRESULT CALLBACK limited_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO) {
    DefWindowProcW(window, message, wParam, lParam);
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {640, 480};
    return 0;
  }
  if (message == WM_WINDOWPOSCHANGING) {
    DefWindowProcW(window, message, wParam, lParam);
    reinterpret_cast<WINDOWPOS*>(lParam)->x = 5;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowManagerResize, TheProceduresOwnLimitsAndChangesReachTheNativeWindow) {
  message_recorder recorder;  // a fresh desktop
  WNDCLASSW wc{};
  wc.lpfnWndProc = limited_procedure;
  wc.lpszClassName = u"limited";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND window = CreateWindowExW(0, u"limited", u"", WS_OVERLAPPEDWINDOW, 100, 50, 600, 400, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(sim_window_max_client(window).cx, 640 - 16) << "the window manager learns the limits at creation";
  EXPECT_EQ(sim_window_max_client(window).cy, 480 - 39);
  EXPECT_EQ(sim_window_min_client(window).cx, 136 - 16);
  ShowWindow(window, SW_SHOW);
  sim_move_window(window, {300, 300, 1300, 1000});
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  const RECT native = sim_window_client(window);
  EXPECT_EQ(native.left, 5 + 8);
  EXPECT_EQ(native.top, 300);
  EXPECT_EQ(width_of(native), 640 - 16);
  EXPECT_EQ(height_of(native), 480 - 39);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(width_of(rect), 640);
}

TEST(DestroyWindow, HidesDeactivatesThenSendsDestroyAndNcDestroy) {
  shown_window w;
  PostMessageW(w.window, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(w.window));
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP,
                           WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(w.window));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "its queued messages went with it";
  EXPECT_FALSE(DestroyWindow(w.window));
}

TEST(DestroyWindow, HandsActivationToTheTopmostOtherWindow) {
  message_recorder recorder;
  HWND first = recorder.create();
  HWND hidden = recorder.create();
  HWND last = recorder.create();
  ShowWindow(first, SW_SHOW);
  ShowWindow(last, SW_SHOW);
  recorder.clear();
  DestroyWindow(last);
  EXPECT_EQ(GetActiveWindow(), first) << "not the hidden one";
  EXPECT_EQ(GetFocus(), first);
  EXPECT_EQ(GetForegroundWindow(), first);
  EXPECT_EQ(message_names(recorder.messages_of(first)), message_names({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}))
      << "the application stays active: no WM_ACTIVATEAPP";
  EXPECT_TRUE(IsWindow(hidden));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(last));
  EXPECT_EQ(GetLastError(), 1400u) << "ERROR_INVALID_WINDOW_HANDLE";
}

TEST(WindowManagerShow, AHiddenWindowShownByTheWindowSystemGetsWmShowWindowAndTheStateReported) {
  struct row {
    const char* name;
    int before;  // the state it was hidden in: SW_SHOWNORMAL, SW_MAXIMIZE or SW_MINIMIZE
    backend_show_state shown;
  };
  const row rows[] = {
      {"normal, shown normal", SW_SHOWNORMAL, backend_show_state::normal},
      {"maximized, shown maximized", SW_MAXIMIZE, backend_show_state::maximized},
      {"maximized, shown normal", SW_MAXIMIZE, backend_show_state::normal},
      {"minimized, shown normal", SW_MINIMIZE, backend_show_state::normal},
      {"normal, shown maximized", SW_SHOWNORMAL, backend_show_state::maximized},
  };
  for (const row& r : rows) {
    shown_window w;
    ShowWindow(w.window, r.before);
    ShowWindow(w.window, SW_HIDE);
    sim_set_foreground(sim_foreign_window());
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    w.recorder.clear();
    sim_set_window_state(w.window, r.shown);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    const recorded_message* shown = w.recorder.find(WM_SHOWWINDOW);
    ASSERT_NE(shown, nullptr) << r.name;
    EXPECT_EQ(shown->wParam, WPARAM{TRUE}) << r.name;
    EXPECT_TRUE(IsWindowVisible(w.window)) << r.name;
    EXPECT_FALSE(IsIconic(w.window)) << r.name;
    EXPECT_EQ(IsZoomed(w.window) != 0, r.shown == backend_show_state::maximized) << r.name;
    EXPECT_EQ(GetActiveWindow(), nullptr) << r.name << ": the window system did not activate it";
  }
}

TEST(WindowManagerShow, AStateReportedWithItsAreaChangesTheWindowOnce) {
  // The window system reports a state together with the client area it has in
  // it: the window goes there in one change, never by way of another size.
  struct row {
    const char* name;
    int before;  // SW_SHOWNORMAL, SW_MAXIMIZE or SW_MINIMIZE
    backend_show_state reported;
    RECT client;
    WPARAM size_kind;
  };
  const row rows[] = {
      {"normal, maximized by the window manager", SW_SHOWNORMAL, backend_show_state::maximized, {0, 19, 1280, 1024},
       SIZE_MAXIMIZED},
      {"maximized, restored elsewhere", SW_MAXIMIZE, backend_show_state::normal, {200, 150, 800, 650}, SIZE_RESTORED},
      {"minimized, restored elsewhere", SW_MINIMIZE, backend_show_state::normal, {210, 160, 710, 560}, SIZE_RESTORED},
      {"minimized, maximized", SW_MINIMIZE, backend_show_state::maximized, {0, 19, 1280, 1024}, SIZE_MAXIMIZED},
  };
  for (const row& r : rows) {
    shown_window w;
    ShowWindow(w.window, r.before);
    w.recorder.clear();
    sim_set_window_state(w.window, r.reported, &r.client);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    std::vector<const recorded_message*> sizes;
    for (const recorded_message& m : w.recorder.log())
      if (m.message == WM_SIZE) sizes.push_back(&m);
    ASSERT_EQ(sizes.size(), 1u) << r.name;
    EXPECT_EQ(sizes[0]->wParam, r.size_kind) << r.name;
    EXPECT_EQ(sizes[0]->lParam, MAKELPARAM(width_of(r.client), height_of(r.client))) << r.name;
    POINT origin{0, 0};
    ClientToScreen(w.window, &origin);
    EXPECT_EQ(origin.x, r.client.left) << r.name;
    EXPECT_EQ(origin.y, r.client.top) << r.name;
  }
  // Reported minimized with its area: restored, it is there.
  shown_window w;
  const RECT moved{300, 250, 700, 550};
  sim_set_window_state(w.window, backend_show_state::minimized, &moved);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  ASSERT_TRUE(IsIconic(w.window));
  ShowWindow(w.window, SW_RESTORE);
  POINT origin{0, 0};
  ClientToScreen(w.window, &origin);
  RECT client{};
  GetClientRect(w.window, &client);
  EXPECT_EQ(origin.x, moved.left);
  EXPECT_EQ(client.right, width_of(moved));
}

TEST(Activation, TheActiveWindowShownOrReportedActiveAgainTakesTheFocusItLacked) {
  {
    shown_window w;
    SetFocus(nullptr);
    ASSERT_EQ(GetActiveWindow(), w.window);
    w.recorder.clear();
    sim_set_foreground(w.window);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(GetFocus(), w.window) << "the window system says it is active: keys must reach it";
    EXPECT_EQ(message_names(w.recorder.messages()), message_names({WM_SETFOCUS}));
  }
  {
    shown_window w;
    ShowWindow(w.window, SW_SHOWMINNOACTIVE);
    ASSERT_EQ(GetActiveWindow(), w.window);
    ASSERT_EQ(GetFocus(), nullptr);
    sim_set_window_state(w.window, backend_show_state::normal);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_FALSE(IsIconic(w.window));
    EXPECT_EQ(GetFocus(), w.window) << "restored by the window system while active";
  }
}

TEST(Activation, AWindowOutOfSightTakesNoActivationFromTheDesktop) {
  shown_window w;
  ShowWindow(w.window, SW_MINIMIZE);
  ASSERT_EQ(GetActiveWindow(), nullptr);
  sim_set_foreground(w.window);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(GetActiveWindow(), nullptr) << "minimized";
  EXPECT_EQ(GetFocus(), nullptr);
  ShowWindow(w.window, SW_RESTORE);
  ShowWindow(w.window, SW_HIDE);
  sim_set_foreground(w.window);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(GetActiveWindow(), nullptr) << "hidden";
}

TEST(Activation, AWindowTheWindowSystemHidesHandsActivationOnAndTheDesktopIsTold) {
  two_shown_windows windows;
  message_recorder& recorder = windows.recorder;
  const HWND first = windows.first, second = windows.second;
  ASSERT_EQ(GetActiveWindow(), second);
  recorder.clear();
  sim_set_window_state(second, backend_show_state::hidden);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_FALSE(IsWindowVisible(second));
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  EXPECT_EQ(GetForegroundWindow(), first) << "the desktop does not pick it by itself";
  EXPECT_EQ(message_names(recorder.messages_of(first)), message_names({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  // The last of them hidden: none is active, and the desktop picks another program's.
  sim_set_window_state(first, backend_show_state::hidden);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST(DestroyWindow, DestroysOwnedWindowsFirstAndReleasesCapture) {
  message_recorder recorder;
  HWND owner = recorder.create();
  HWND owned = recorder.create(WS_OVERLAPPEDWINDOW, 0, owner);
  SetCapture(owner);
  recorder.clear();
  DestroyWindow(owner);
  std::vector<std::pair<HWND, UINT>> order;
  for (const recorded_message& m : recorder.log())
    if (m.message == WM_DESTROY || m.message == WM_NCDESTROY || m.message == WM_CAPTURECHANGED)
      order.push_back({m.window, m.message});
  std::vector<std::pair<HWND, UINT>> expected = {{owned, WM_DESTROY},
                                                 {owned, WM_NCDESTROY},
                                                 {owner, WM_CAPTURECHANGED},
                                                 {owner, WM_DESTROY},
                                                 {owner, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(GetCapture(), nullptr);
}

// The messages of destroying the middle of three windows (the active one, with an
// owned window and the capture), each named by its window's role.
std::vector<std::pair<int, UINT>> destroy_messages(void (*destroy)(HWND)) {
  message_recorder recorder;
  HWND other = recorder.create();
  HWND window = recorder.create();
  HWND owned = recorder.create(WS_OVERLAPPEDWINDOW, 0, window);
  ShowWindow(other, SW_SHOW);
  ShowWindow(window, SW_SHOW);
  SetCapture(window);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  PostMessageW(window, WM_USER, 0, 0);
  recorder.clear();
  destroy(window);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "its queued messages went with it";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(GetForegroundWindow(), other) << "the desktop was asked to activate the next window";
  EXPECT_EQ(GetCapture(), nullptr);
  std::vector<std::pair<int, UINT>> got;
  for (const recorded_message& m : recorder.log())
    got.push_back({m.window == other ? 0 : m.window == window ? 1 : m.window == owned ? 2 : -1, m.message});
  return got;
}

TEST(WindowDestroyedBySystem, SendsWhatDestroyWindowSendsAtTheNextPeek) {
  const auto by_call = destroy_messages([](HWND window) { ASSERT_TRUE(DestroyWindow(window)); });
  const auto by_system = destroy_messages([](HWND window) {
    sim_destroy_externally(window);
    EXPECT_TRUE(IsWindow(window)) << "not before the next PeekMessageW";
  });
  ASSERT_FALSE(by_call.empty());
  EXPECT_EQ(by_system, by_call);
}

// Records, at WM_DESTROY, the native handle its window had then.
native_handle native_at_destroy = 1;
LRESULT CALLBACK native_probe(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) native_at_destroy = platform_native_window(window);
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowDestroyedBySystem, DropsTheNativeWindowAndLaterCallsFailCleanly) {
  message_recorder recorder;
  WNDCLASSW wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = native_probe;
  wc.lpszClassName = u"native probe";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND window = CreateWindowExW(0, u"native probe", u"", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  const native_handle native = platform_native_window(window);
  ASSERT_NE(native, 0u);
  sim_destroy_externally(window);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(native_at_destroy, 0u) << "the back-end is not asked to change a native window that is gone";
  EXPECT_EQ(platform_window_from_native(native), nullptr);
  EXPECT_EQ(sim_window_state(window), backend_show_state::hidden);
  EXPECT_FALSE(IsWindow(window));
  SetLastError(0);
  RECT rect{};
  EXPECT_FALSE(GetWindowRect(window, &rect));
  EXPECT_EQ(GetLastError(), 1400u) << "ERROR_INVALID_WINDOW_HANDLE";
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), 1400u);
  EXPECT_EQ(GetDC(window), nullptr);

  // A second report, or one for a window that is not ours, changes nothing.
  SetLastError(0);
  platform_window_destroyed(window);
  platform_window_destroyed(sim_foreign_window());
  platform_window_destroyed(nullptr);
  EXPECT_EQ(GetLastError(), 0u);
}

TEST(Capture, TheWindowLosingCaptureIsToldWhoGainsIt) {
  message_recorder recorder;
  HWND a = recorder.create();
  HWND b = recorder.create();
  recorder.clear();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_TRUE(sim_pointer_grabbed(a));
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_EQ(SetCapture(a), a);
  ASSERT_EQ(recorder.log().size(), 1u) << "a window taking the capture again is told too";
  EXPECT_EQ(recorder.log()[0].lParam, reinterpret_cast<LPARAM>(a));
  recorder.clear();
  EXPECT_EQ(SetCapture(b), a);
  ASSERT_EQ(recorder.log().size(), 1u);
  EXPECT_EQ(recorder.log()[0].window, a);
  EXPECT_EQ(recorder.log()[0].message, UINT{WM_CAPTURECHANGED});
  EXPECT_EQ(recorder.log()[0].lParam, reinterpret_cast<LPARAM>(b));
  recorder.clear();
  EXPECT_TRUE(ReleaseCapture());
  ASSERT_EQ(recorder.log().size(), 1u);
  EXPECT_EQ(recorder.log()[0].window, b);
  EXPECT_EQ(recorder.log()[0].lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(sim_pointer_grabbed(b));
  recorder.clear();
  EXPECT_TRUE(ReleaseCapture()) << "nothing to release";
  EXPECT_TRUE(recorder.messages().empty());
}

TEST(Capture, ALostGrabIsReportedAtTheNextPeek) {
  message_recorder recorder;
  HWND a = recorder.create();
  SetCapture(a);
  recorder.clear();
  sim_break_capture();
  EXPECT_TRUE(recorder.messages().empty());
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(message_names(recorder.messages()), message_names({WM_CAPTURECHANGED}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(SendMessageA, CallsTheProcedureBeforeReturningItsAnswer) {
  message_recorder recorder;
  HWND window = recorder.create();
  recorder.clear();
  recorder.answer_message = WM_USER;
  recorder.answer = 42;
  EXPECT_EQ(SendMessageA(window, WM_USER, 7, 9), 42);
  ASSERT_EQ(recorder.log().size(), 1u);
  EXPECT_EQ(recorder.log()[0].wParam, WPARAM{7});
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x999999), WM_USER, 0, 0), 0) << "no such window";
  recorder.answer_message = 0;
  recorder.clear();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window)) << "the default answer to WM_CLOSE destroys the window";
  EXPECT_EQ(message_names(recorder.messages()), message_names({WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST(DefWindowProcW, AnswersLikeTheSystem) {
  shown_window w;
  RECT rect{};
  GetWindowRect(w.window, &rect);  // (100, 50) - (1116, 789); client from (108, 81)
  struct row {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT expected;
  };
  const row rows[] = {
      {"hit test in the client area", WM_NCHITTEST, 0, MAKELPARAM(500, 400), HTCLIENT},
      {"hit test in the title bar", WM_NCHITTEST, 0, MAKELPARAM(500, 60), HTCAPTION},
      {"hit test on the left border", WM_NCHITTEST, 0, MAKELPARAM(103, 400), HTLEFT},
      {"hit test on the top left corner", WM_NCHITTEST, 0, MAKELPARAM(103, 52), HTTOPLEFT},
      {"hit test on the bottom border", WM_NCHITTEST, 0, MAKELPARAM(500, 785), HTBOTTOM},
      {"hit test outside", WM_NCHITTEST, 0, MAKELPARAM(5, 5), HTNOWHERE},
      {"erase without a class brush", WM_ERASEBKGND, 0, 0, 0},
      {"end of session asked", WM_QUERYENDSESSION, 0, 0, TRUE},
      {"non-client activation", WM_NCACTIVATE, TRUE, 0, TRUE},
      {"mouse activation", WM_MOUSEACTIVATE, 0, 0, 1},
      {"accessibility object", WM_GETOBJECT, 0, UiaRootObjectId, 0},
      {"unicode character probe", WM_UNICHAR, UNICODE_NOCHAR, 0, 0},
      {"cursor over the client area", WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), TRUE},
      {"cursor over the left border", WM_SETCURSOR, 0, MAKELPARAM(HTLEFT, WM_MOUSEMOVE), TRUE},
  };
  for (const row& r : rows)
    EXPECT_EQ(DefWindowProcW(w.window, r.message, r.wParam, r.lParam), r.expected) << r.name;
  EXPECT_EQ(sim_cursor_shape(), 32644) << "the sizing cursor of the last row";
  DefWindowProcW(w.window, WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(sim_cursor_shape(), 32512) << "the class cursor";

  w.recorder.clear();
  EXPECT_EQ(DefWindowProcW(w.window, WM_RBUTTONUP, 0, MAKELPARAM(10, 20)), 0);
  const recorded_message* menu = w.recorder.find(WM_CONTEXTMENU);
  ASSERT_NE(menu, nullptr) << "a right click asks for the context menu";
  EXPECT_EQ(menu->lParam, MAKELPARAM(118, 101)) << "at the screen point";

  EXPECT_EQ(DefWindowProcW(w.window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(500, 60)), 0);
  EXPECT_EQ(sim_move_requests(w.window), 1) << "a caption press lets the window manager move the window";

  w.recorder.clear();
  DefWindowProcW(w.window, WM_SYSKEYDOWN, VK_F4, 1 << 29);
  EXPECT_TRUE(IsWindow(w.window)) << "Alt+F4 only posts the close command";
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, w.window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT{WM_SYSCOMMAND});
  EXPECT_EQ(msg.wParam, WPARAM{SC_CLOSE});
  DispatchMessageW(&msg);
  EXPECT_FALSE(IsWindow(w.window));
  EXPECT_EQ(message_names(w.recorder.messages()).substr(0, 22), "WM_SYSCOMMAND WM_CLOSE");
}

TEST(Activation, TheDesktopsForegroundChangesReachTheWindowAtTheNextPeek) {
  shown_window w;
  sim_set_foreground(sim_foreign_window());
  EXPECT_EQ(GetForegroundWindow(), sim_foreign_window());
  EXPECT_TRUE(w.recorder.messages().empty()) << "nothing before the next peek";
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  w.recorder.clear();
  sim_set_foreground(w.window);
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(message_names(w.recorder.messages()),
            message_names({WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(GetFocus(), w.window);
}

}  // namespace

namespace {

TEST(WindowGeometry, ExtremeCoordinatesStayWithinRange) {
  message_recorder recorder;
  HWND window = CreateWindowExW(0, u"recorder", u"", WS_POPUP, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_LT(rect.left, rect.right);
  EXPECT_TRUE(SetWindowPos(window, nullptr, INT32_MIN, INT32_MAX, -5, INT32_MAX, SWP_NOZORDER));
  POINT p{INT32_MIN, INT32_MAX};
  EXPECT_TRUE(ScreenToClient(window, &p));
  EXPECT_TRUE(ClientToScreen(window, &p));
  RECT outer{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_TRUE(AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, TRUE, 0));
  EXPECT_EQ(outer.left, INT32_MIN);
  EXPECT_EQ(outer.right, INT32_MAX);
}

// The awareness is set once; an invalid value fails without setting it.
TEST(SetProcessDpiAwarenessContext, RefusesInvalidValuesAndASecondSetting) {
  struct row {
    const char* name;
    std::intptr_t value;
    BOOL result;
    DWORD error;  // checked when the call fails
  };
  const row steps[] = {
      {"null", 0, FALSE, ERROR_INVALID_PARAMETER},
      {"beyond the known contexts", -6, FALSE, ERROR_INVALID_PARAMETER},
      {"per monitor v2", -4, TRUE, 0},
      {"per monitor v2 again", -4, FALSE, 5},  // ERROR_ACCESS_DENIED
      {"another context", -1, FALSE, 5},
  };
  message_recorder recorder;
  for (const row& r : steps) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetProcessDpiAwarenessContext(reinterpret_cast<DPI_AWARENESS_CONTEXT>(r.value)), r.result) << r.name;
    if (!r.result) {
      EXPECT_EQ(GetLastError(), r.error) << r.name;
    }
  }
}

}  // namespace

namespace {

// Pumps the native events queued for the next PeekMessageW.
void peek() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(WindowManagerCarriesChanges, AStateIsAskedForAndComesOnlyWhenTheWindowSystemShowsIt) {
  shown_window w;
  peek();  // its first paint
  sim_set_window_manager_carries_changes(true);
  const RECT maximized{0, 0, 1920, 1040};
  const struct {
    int command;
    backend_show_state asked;
  } commands[] = {{SW_MAXIMIZE, backend_show_state::maximized}, {SW_MINIMIZE, backend_show_state::minimized}};
  for (const auto& c : commands) {
    w.recorder.clear();
    const size_t before = sim_window_manager_requests().size();
    EXPECT_TRUE(ShowWindow(w.window, c.command)) << "it was visible";
    peek();
    const std::vector<sim_request> requests = sim_window_manager_requests();
    ASSERT_EQ(requests.size(), before + 1);
    EXPECT_EQ(requests.back().state, c.asked);
    EXPECT_FALSE(IsZoomed(w.window));
    EXPECT_FALSE(IsIconic(w.window));
    EXPECT_EQ(GetFocus(), w.window) << "unanswered, it keeps the focus";
    EXPECT_EQ(message_names(w.recorder.messages_of(w.window)), message_names({})) << "nothing reaches the window procedure";
  }
  // The window system shows the maximize: one change, with its area.
  w.recorder.clear();
  sim_set_window_state(w.window, backend_show_state::maximized, &maximized);
  peek();
  EXPECT_TRUE(IsZoomed(w.window));
  int sizes = 0;
  for (const recorded_message& m : w.recorder.log()) sizes += m.message == WM_SIZE;
  EXPECT_EQ(sizes, 1);
  // A restore asks again, from the maximized state.
  ShowWindow(w.window, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(w.window));
  EXPECT_EQ(sim_window_manager_requests().back().state, backend_show_state::normal);
  EXPECT_TRUE(sim_window_manager_requests().back().activate);
}

TEST(WindowManagerCarriesChanges, ActivationComesWithTheForegroundTheWindowSystemReports) {
  two_shown_windows windows;
  const HWND first = windows.first, second = windows.second;
  ASSERT_EQ(GetActiveWindow(), second);
  sim_set_window_manager_carries_changes(true);
  SetFocus(first);
  peek();
  EXPECT_EQ(GetActiveWindow(), second) << "asked, not yet given";
  EXPECT_EQ(GetFocus(), second);
  ASSERT_FALSE(sim_window_manager_requests().empty());
  EXPECT_TRUE(sim_window_manager_requests().back().activation);
  EXPECT_EQ(sim_window_manager_requests().back().window, first);
  sim_set_foreground(first);
  peek();
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  // The active window hidden: the one to take over is asked for, and the
  // hidden one is active no longer meanwhile.
  ShowWindow(first, SW_HIDE);
  peek();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(sim_window_manager_requests().back().window, second);
  sim_set_foreground(second);
  peek();
  EXPECT_EQ(GetActiveWindow(), second);
}
