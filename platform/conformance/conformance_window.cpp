#include "platform/conformance/conformance_window.h"

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/conformance/conformance_log.h"

namespace {

const char16_t class_name[] = u"quon_conformance_window";

conf_window_options settings;
int depth = 0;
bool dispatching = false;
int unprinted = 0;
const char* pending_name = "unknown";

// Frame offsets (AdjustWindowRectEx of an empty rectangle) per window, so that
// WM_MOVE can be printed as the window position the program asked for.
std::vector<std::pair<HWND, RECT>> frames;

RECT frame_of(HWND window) {
  for (const auto& entry : frames)
    if (entry.first == window) return entry.second;
  return RECT{};
}

std::string move_text(HWND window, LPARAM lParam) {
  RECT frame = frame_of(window);
  int x = static_cast<SHORT>(LOWORD(lParam)) + frame.left;
  int y = static_cast<SHORT>(HIWORD(lParam)) + frame.top;
  if (x <= -30000 || y <= -30000) return " off-screen";
  // A maximized window's frame lies outside the work area by its border width.
  if (IsZoomed(window)) return " maximized";
  return conf_format(" window at %d,%d", x, y);
}

LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      RECT frame{0, 0, 0, 0};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(create->style), FALSE, create->dwExStyle);
      frames.emplace_back(window, frame);
      break;
    }
    case WM_CLOSE:
      if (settings.on_close == close_action::hide) {
        BOOL was_visible = ShowWindow(window, SW_HIDE);
        conf_line(std::string(static_cast<std::size_t>(depth) * 2, ' ') + "ShowWindow(SW_HIDE) in WM_CLOSE: " +
                  (was_visible ? "was visible" : "was hidden"));
        return 0;
      }
      if (settings.on_close == close_action::ignore) return 0;
      break;
    case WM_SYSCHAR:
      if (settings.answer_system_characters) return 0;
      break;
    case WM_USER + 1:
      return static_cast<LRESULT>(wParam * 10) + lParam;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (conf_window_name(window) == "unknown") conf_name_window(window, pending_name);
  if (settings.print_messages) {
    std::string text = std::string(static_cast<std::size_t>(depth) * 2, ' ');
    text += depth == 0 && dispatching ? "post " : "send ";
    text += conf_message_text(window, message, wParam, lParam);
    if (message == WM_MOVE) text += move_text(window, lParam);
    conf_line(text);
  } else {
    ++unprinted;
  }
  bool was_dispatching = dispatching;
  dispatching = false;
  ++depth;
  LRESULT result = handle(window, message, wParam, lParam);
  --depth;
  dispatching = was_dispatching;
  return result;
}

bool is_key_message(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

}  // namespace

conf_window_options& conf_window_settings() { return settings; }

int conf_unprinted_messages() { return unprinted; }

void conf_register_class() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WNDCLASSW wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = window_procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  conf_yes_no("LoadCursorA(NULL, IDC_ARROW) returns a cursor", wc.hCursor != nullptr);
  wc.hbrBackground = CreateSolidBrush(RGB(10, 11, 13));
  wc.lpszClassName = reinterpret_cast<LPCWSTR>(class_name);
  conf_yes_no("RegisterClassW returns an atom", RegisterClassW(&wc) != 0);
}

HWND conf_create_window(const char* name, DWORD style, DWORD ex_style, int x, int y, int client_width,
                        int client_height) {
  RECT outer{0, 0, client_width, client_height};
  AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  pending_name = name;
  std::u16string title = u"conformance ";
  for (const char* c = name; *c; ++c) title += static_cast<char16_t>(*c);
  HWND window = CreateWindowExW(ex_style, reinterpret_cast<LPCWSTR>(class_name),
                                reinterpret_cast<LPCWSTR>(title.c_str()), style, x, y, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window) conf_name_window(window, name);
  pending_name = "unknown";
  return window;
}

SIZE conf_outer_size(HWND window, int client_width, int client_height) {
  RECT frame = frame_of(window);
  return SIZE{client_width - frame.left + frame.right, client_height - frame.top + frame.bottom};
}

void conf_dispatch(const MSG& msg) {
  BOOL translated = TranslateMessage(&msg);
  if (!msg.hwnd) {
    conf_line("thread message " + conf_message_name(msg.message));
    return;
  }
  if (is_key_message(msg.message) && settings.print_messages)
    conf_line("TranslateMessage of " + conf_message_name(msg.message) + ": " + (translated ? "nonzero" : "0"));
  dispatching = true;
  DispatchMessageW(&msg);
  dispatching = false;
}

void conf_settle() {
  using clock = std::chrono::steady_clock;
  auto start = clock::now();
  auto last_message = start;
  while (clock::now() - start < std::chrono::seconds(3)) {
    MSG msg{};
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      conf_dispatch(msg);
      last_message = clock::now();
      continue;
    }
    if (clock::now() - last_message > std::chrono::milliseconds(150)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  conf_line("messages kept coming for 3 s");
}
