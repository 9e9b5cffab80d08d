#include "platform/conformance/window_scenarios.h"

#include <string>

#include "platform/conformance/conformance_log.h"
#include "platform/conformance/conformance_window.h"

namespace {

const char* hit_name(LRESULT hit) {
  switch (hit) {
    case HTERROR: return "HTERROR";
    case HTTRANSPARENT: return "HTTRANSPARENT";
    case HTNOWHERE: return "HTNOWHERE";
    case HTCLIENT: return "HTCLIENT";
    case HTCAPTION: return "HTCAPTION";
    case HTSYSMENU: return "HTSYSMENU";
    case HTMINBUTTON: return "HTMINBUTTON";
    case HTMAXBUTTON: return "HTMAXBUTTON";
    case HTLEFT: return "HTLEFT";
    case HTRIGHT: return "HTRIGHT";
    case HTTOP: return "HTTOP";
    case HTTOPLEFT: return "HTTOPLEFT";
    case HTTOPRIGHT: return "HTTOPRIGHT";
    case HTBOTTOM: return "HTBOTTOM";
    case HTBOTTOMLEFT: return "HTBOTTOMLEFT";
    case HTBOTTOMRIGHT: return "HTBOTTOMRIGHT";
    case HTBORDER: return "HTBORDER";
    case HTCLOSE: return "HTCLOSE";
    default: return "other";
  }
}

void print_client_size(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  conf_line(conf_format("client size %dx%d", static_cast<int>(client.right - client.left),
                        static_cast<int>(client.bottom - client.top)));
}

void print_state(HWND window) {
  conf_line(conf_format("visible=%d iconic=%d zoomed=%d", IsWindowVisible(window) ? 1 : 0,
                        IsIconic(window) ? 1 : 0, IsZoomed(window) ? 1 : 0));
}

void print_focus() {
  conf_line("active " + conf_window_name(GetActiveWindow()) + ", focus " + conf_window_name(GetFocus()));
}

// ShowWindow's answer is whether the window was visible before.
void show(HWND window, int command, const char* command_name) {
  BOOL was_visible = ShowWindow(window, command);
  conf_line(std::string("ShowWindow(") + command_name + ") returned " + (was_visible ? "nonzero" : "0"));
  conf_settle();
  print_state(window);
  print_focus();
}

HWND create(const char* scenario, const char* name, DWORD style, DWORD ex_style, int x, int y, int width,
            int height) {
  conf_scenario(scenario);
  HWND window = conf_create_window(name, style, ex_style, x, y, width, height);
  conf_yes_no("CreateWindowExW returns a handle", window != nullptr);
  return window;
}

HWND create_main() {
  HWND main = create("create", "main", WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW, 100, 100, 400, 300);
  if (!main) return nullptr;
  print_client_size(main);
  print_state(main);
  conf_settle();

  // As the window runtime opens a window: show, paint at once, then pump.
  conf_scenario("show");
  BOOL was_visible = ShowWindow(main, SW_SHOW);
  conf_line(std::string("ShowWindow(SW_SHOW) returned ") + (was_visible ? "nonzero" : "0"));
  conf_line(std::string("UpdateWindow returned ") + (UpdateWindow(main) ? "nonzero" : "0"));
  conf_settle();
  print_state(main);
  print_focus();

  conf_scenario("dpi-and-monitor");
  conf_line(conf_format("GetDpiForWindow: %u", GetDpiForWindow(main)));
  conf_yes_no("MonitorFromWindow(MONITOR_DEFAULTTONEAREST) returns a monitor",
              MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST) != nullptr);
  return main;
}

void set_window_pos(HWND main) {
  conf_scenario("setwindowpos");
  BOOL moved = SetWindowPos(main, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  conf_yes_no("move returns nonzero", moved != 0);
  conf_settle();
  SIZE outer = conf_outer_size(main, 500, 350);
  BOOL sized = SetWindowPos(main, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  conf_yes_no("resize returns nonzero", sized != 0);
  conf_settle();
  print_client_size(main);
  conf_scenario("setwindowpos-same-place");
  BOOL unchanged = SetWindowPos(main, nullptr, 150, 120, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  conf_yes_no("same place returns nonzero", unchanged != 0);
  conf_settle();
}

void minimize_maximize(HWND main) {
  conf_scenario("minimize");
  show(main, SW_MINIMIZE, "SW_MINIMIZE");
  conf_scenario("restore-from-minimized");
  show(main, SW_RESTORE, "SW_RESTORE");
  print_client_size(main);
  conf_scenario("maximize");
  show(main, SW_MAXIMIZE, "SW_MAXIMIZE");
  conf_scenario("restore-from-maximized");
  show(main, SW_RESTORE, "SW_RESTORE");
  print_client_size(main);
}

void send_message(HWND main) {
  conf_scenario("sendmessage");
  LRESULT result = SendMessageA(main, WM_USER + 1, 4, 2);
  conf_line(conf_format("SendMessageA(WM_USER+1, 4, 2) returned %d", static_cast<int>(result)));
  conf_settle();
}

void capture(HWND main, HWND second) {
  conf_scenario("capture");
  conf_line("SetCapture(main) returned " + conf_window_name(SetCapture(main)));
  conf_line("GetCapture " + conf_window_name(GetCapture()));
  conf_line("SetCapture(main) again returned " + conf_window_name(SetCapture(main)));
  conf_line("SetCapture(second) returned " + conf_window_name(SetCapture(second)));
  conf_line("GetCapture " + conf_window_name(GetCapture()));
  conf_yes_no("ReleaseCapture returns nonzero", ReleaseCapture() != 0);
  conf_line("GetCapture " + conf_window_name(GetCapture()));
  conf_yes_no("ReleaseCapture without capture returns nonzero", ReleaseCapture() != 0);
  conf_settle();
}

// The window runtime dispatches at most 32 messages per pump; the rest must stay
// queued, in order.
void peek_many(HWND main) {
  conf_scenario("peek");
  conf_settle();
  const int posted = 40;
  bool all_posted = true;
  for (int i = 0; i < posted; ++i) all_posted = PostMessageW(main, WM_APP + 1, static_cast<WPARAM>(i), 0) && all_posted;
  conf_yes_no("PostMessageW of 40 messages returns nonzero", all_posted);
  MSG peeked{};
  BOOL found = PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE);
  conf_line(conf_format("GetMessageExtraInfo of a posted message: %d", static_cast<int>(GetMessageExtraInfo())));
  conf_line("PM_NOREMOVE sees " + conf_message_name(found ? peeked.message : 0) +
            conf_format(" %u", static_cast<unsigned>(peeked.wParam)));
  int next = 0;
  bool in_order = true;
  for (int pump = 1; pump <= 2; ++pump) {
    int app = 0, other = 0;
    for (int i = 0; i < 32; ++i) {
      MSG msg{};
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
      if (msg.message == WM_APP + 1) {
        in_order = in_order && msg.wParam == static_cast<WPARAM>(next);
        ++next;
        ++app;
      } else {
        ++other;
        conf_dispatch(msg);
      }
    }
    conf_line(conf_format("pump %d of up to 32: %d posted, %d other", pump, app, other));
  }
  conf_yes_no("posted messages arrive in order", in_order);
  MSG msg{};
  conf_yes_no("queue empty after both pumps", !PeekMessageW(&msg, main, WM_APP, WM_APP + 0xFF, PM_NOREMOVE));
}

// Key messages posted by hand, with chosen lParams, through TranslateMessage.
void translate_keys(HWND main) {
  conf_scenario("translate");
  struct key_case {
    UINT message;
    WPARAM virtual_key;
    DWORD lParam;
  };
  const key_case cases[] = {
      {WM_KEYDOWN, 'A', 0x001E0001},      {WM_KEYDOWN, '1', 0x00020001},      {WM_KEYDOWN, VK_SPACE, 0x00390001},
      {WM_KEYDOWN, VK_RETURN, 0x001C0001}, {WM_KEYDOWN, VK_BACK, 0x000E0001},  {WM_KEYDOWN, VK_ESCAPE, 0x00010001},
      {WM_KEYDOWN, VK_F4, 0x003E0001},     {WM_KEYDOWN, VK_LEFT, 0x014B0001}, {WM_KEYDOWN, 'A', 0x401E0003},
      {WM_KEYUP, 'A', 0xC01E0001},         {WM_SYSKEYDOWN, 'A', 0x201E0001},  {WM_SYSKEYUP, 'A', 0xE01E0001},
  };
  conf_window_settings().answer_system_characters = true;
  for (const key_case& key : cases) {
    PostMessageW(main, key.message, key.virtual_key, static_cast<LPARAM>(key.lParam));
    conf_settle();
  }
  conf_window_settings().answer_system_characters = false;
  MSG not_a_key{main, WM_APP + 2, 0, 0, 0, {0, 0}};
  conf_line(std::string("TranslateMessage of WM_APP+2: ") + (TranslateMessage(&not_a_key) ? "nonzero" : "0"));
}

// DefWindowProcW's answers for the messages the window runtime passes on.
void default_answers(HWND main) {
  conf_scenario("defwindowproc");
  RECT client{};
  GetClientRect(main, &client);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  struct point_case {
    const char* where;
    int x, y;
  };
  const int cx = origin.x + client.right / 2, cy = origin.y + client.bottom / 2;
  const point_case points[] = {
      {"client centre", cx, cy},
      {"client top-left pixel", origin.x, origin.y},
      {"client bottom-right pixel", origin.x + client.right - 1, origin.y + client.bottom - 1},
      {"5 pixels above the client area", cx, origin.y - 5},
      {"2 pixels left of the client area", origin.x - 2, cy},
      {"200 pixels below the client area", cx, origin.y + client.bottom + 200},
      {"far outside", 1270, 1010},
  };
  for (const point_case& p : points) {
    LRESULT hit = DefWindowProcW(main, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    conf_line(std::string("WM_NCHITTEST at ") + p.where + ": " + hit_name(hit));
  }

  struct cursor_case {
    int hit;
    UINT mouse;
  };
  const cursor_case cursors[] = {{HTCLIENT, WM_MOUSEMOVE}, {HTCAPTION, WM_MOUSEMOVE}, {HTLEFT, WM_MOUSEMOVE},
                                 {HTBOTTOMRIGHT, WM_MOUSEMOVE}, {HTNOWHERE, WM_MOUSEMOVE}};
  for (const cursor_case& c : cursors) {
    LRESULT result = DefWindowProcW(main, WM_SETCURSOR, reinterpret_cast<WPARAM>(main), MAKELPARAM(c.hit, c.mouse));
    conf_line(std::string("WM_SETCURSOR ") + hit_name(c.hit) + " returned " + (result ? "TRUE" : "FALSE"));
  }

  HDC dc = GetDC(main);
  conf_line(std::string("WM_ERASEBKGND with a class brush returned ") +
            (DefWindowProcW(main, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? "nonzero" : "0"));
  ReleaseDC(main, dc);
  conf_line(conf_format("WM_GETOBJECT(UiaRootObjectId) returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_GETOBJECT, 0, UiaRootObjectId))));
  conf_line(conf_format("WM_QUERYENDSESSION returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_QUERYENDSESSION, 0, 0))));
  conf_line(conf_format("WM_KEYDOWN returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_KEYDOWN, 'A', 0x001E0001))));
  conf_line(conf_format("WM_CHAR returned %d", static_cast<int>(DefWindowProcW(main, WM_CHAR, 'a', 0x001E0001))));
  conf_line(conf_format("WM_IME_COMPOSITION without string flags returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_IME_COMPOSITION, 0, 0))));

  const LPARAM inside = MAKELPARAM(client.right / 2, client.bottom / 2);
  conf_line(conf_format("WM_LBUTTONDOWN returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_LBUTTONDOWN, MK_LBUTTON, inside))));
  conf_line(conf_format("WM_LBUTTONUP returned %d", static_cast<int>(DefWindowProcW(main, WM_LBUTTONUP, 0, inside))));
  conf_line(conf_format("WM_RBUTTONDOWN returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_RBUTTONDOWN, MK_RBUTTON, inside))));
  conf_line(conf_format("WM_RBUTTONUP returned %d", static_cast<int>(DefWindowProcW(main, WM_RBUTTONUP, 0, inside))));
  conf_settle();

  conf_scenario("defwindowproc-cancelmode");
  SetCapture(main);
  conf_line(conf_format("WM_CANCELMODE returned %d", static_cast<int>(DefWindowProcW(main, WM_CANCELMODE, 0, 0))));
  conf_line("GetCapture " + conf_window_name(GetCapture()));
  conf_settle();

  conf_scenario("defwindowproc-alt-f4");
  conf_window_settings().on_close = close_action::ignore;
  conf_line(conf_format("WM_SYSKEYDOWN F4 with Alt returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_SYSKEYDOWN, VK_F4, 0x203E0001))));
  conf_settle();
  conf_line(conf_format("WM_SYSKEYDOWN F4 without Alt returned %d",
                        static_cast<int>(DefWindowProcW(main, WM_SYSKEYDOWN, VK_F4, 0x003E0001))));
  conf_settle();
  conf_window_settings().on_close = close_action::pass_to_default;
  conf_yes_no("window still exists", IsWindow(main) != 0);

  struct command_case {
    const char* scenario;
    WPARAM command;
  };
  const command_case commands[] = {{"defwindowproc-sc-minimize", SC_MINIMIZE},
                                   {"defwindowproc-sc-restore-from-minimized", SC_RESTORE},
                                   {"defwindowproc-sc-maximize", SC_MAXIMIZE},
                                   {"defwindowproc-sc-restore-from-maximized", SC_RESTORE}};
  for (const command_case& c : commands) {
    conf_scenario(c.scenario);
    conf_line(conf_format("returned %d", static_cast<int>(DefWindowProcW(main, WM_SYSCOMMAND, c.command, 0))));
    conf_settle();
    print_state(main);
    print_focus();
  }
}

// The window runtime hides a window in WM_CLOSE instead of destroying it.
void hide_in_close(HWND main) {
  conf_window_settings().on_close = close_action::hide;
  conf_scenario("close-hides-sent");
  conf_line(conf_format("SendMessageA(WM_CLOSE) returned %d", static_cast<int>(SendMessageA(main, WM_CLOSE, 0, 0))));
  conf_settle();
  print_state(main);
  print_focus();
  conf_scenario("show-again");
  show(main, SW_SHOW, "SW_SHOW");
  conf_scenario("close-hides-posted");
  PostMessageW(main, WM_CLOSE, 0, 0);
  conf_settle();
  print_state(main);
  print_focus();
  conf_window_settings().on_close = close_action::pass_to_default;
  conf_scenario("show-again");
  show(main, SW_SHOW, "SW_SHOW");
}

void close_by_default(HWND main) {
  conf_scenario("close-default");
  conf_line(conf_format("SendMessageA(WM_CLOSE) returned %d", static_cast<int>(SendMessageA(main, WM_CLOSE, 0, 0))));
  conf_yes_no("IsWindow after default WM_CLOSE", IsWindow(main) != 0);
  conf_settle();
}

void destroy(HWND window, const char* scenario) {
  conf_scenario(scenario);
  conf_yes_no("DestroyWindow returns nonzero", DestroyWindow(window) != 0);
  conf_yes_no("IsWindow after DestroyWindow", IsWindow(window) != 0);
  SetLastError(0);
  BOOL again = DestroyWindow(window);
  DWORD error = GetLastError();
  conf_line(std::string("DestroyWindow again returned ") + (again ? "nonzero" : "0") + ", " + conf_error_name(error));
  POINT point{10, 10};
  conf_yes_no("ScreenToClient of the destroyed window fails", ScreenToClient(window, &point) == 0);
  conf_settle();
}

}  // namespace

void run_window_scenarios() {
  conf_scenario("dpi-awareness");
  BOOL set = SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  conf_line(std::string("SetProcessDpiAwarenessContext(PER_MONITOR_AWARE_V2) returned ") + (set ? "TRUE" : "FALSE"));
  SetLastError(0);
  BOOL set_again = SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  DWORD error = GetLastError();
  conf_line(std::string("again returned ") + (set_again ? "TRUE" : "FALSE, " + conf_error_name(error)));
  conf_scenario("class");
  conf_register_class();
  HWND main = create_main();
  if (!main) return;
  set_window_pos(main);
  minimize_maximize(main);
  send_message(main);

  HWND second = create("create-popup", "second", WS_POPUP, 0, 700, 100, 100, 100);
  conf_settle();
  if (second) capture(main, second);

  peek_many(main);
  translate_keys(main);
  default_answers(main);
  hide_in_close(main);

  HWND third = create("create-third", "third", WS_OVERLAPPEDWINDOW, 0, 200, 200, 300, 200);
  conf_settle();
  if (third) {
    show(third, SW_SHOW, "SW_SHOW");
    destroy(third, "destroy-visible");
    print_focus();
  }
  if (second) destroy(second, "destroy-hidden");
  close_by_default(main);
  print_focus();
}
