#include "platform/tests/message_recorder.h"

#include <map>

namespace {

message_recorder* active_recorder = nullptr;

}  // namespace

message_recorder::message_recorder() {
  sim_reset();
  active_recorder = this;
  WNDCLASSW wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = &message_recorder::procedure;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = u"recorder";
  RegisterClassW(&wc);
}

HWND message_recorder::create(DWORD style, DWORD ex_style, HWND parent, int width, int height) {
  return CreateWindowExW(ex_style, u"recorder", u"title", style, 100, 50, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::vector<UINT> message_recorder::messages() const {
  std::vector<UINT> out;
  for (const recorded_message& m : log_) out.push_back(m.message);
  return out;
}

std::vector<UINT> message_recorder::messages_of(HWND window) const {
  std::vector<UINT> out;
  for (const recorded_message& m : log_)
    if (m.window == window) out.push_back(m.message);
  return out;
}

const recorded_message* message_recorder::find(UINT message) const {
  for (const recorded_message& m : log_)
    if (m.message == message) return &m;
  return nullptr;
}

UINT message_recorder::pos_flags_of(UINT message) const {
  const recorded_message* m = find(message);
  return m ? m->pos_flags : ~0u;
}

LRESULT CALLBACK message_recorder::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  message_recorder* r = active_recorder;
  UINT pos_flags = 0;
  if ((message == WM_WINDOWPOSCHANGING || message == WM_WINDOWPOSCHANGED) && lParam)
    pos_flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
  if (r) r->log_.push_back({window, message, wParam, lParam, pos_flags});
  if (r && r->answer_message && message == r->answer_message) return r->answer;
  return DefWindowProcW(window, message, wParam, lParam);
}

std::string message_names(const std::vector<UINT>& messages) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"}, {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"}, {WM_NCPAINT, "WM_NCPAINT"}, {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
      {WM_RBUTTONUP, "WM_RBUTTONUP"}, {0x0013, "WM_QUERYOPEN"}, {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_SETTEXT, "WM_SETTEXT"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_IME_CHAR, "WM_IME_CHAR"}, {WM_TOUCH, "WM_TOUCH"},
      {WM_DROPFILES, "WM_DROPFILES"}, {WM_USER, "WM_USER"}};
  std::string out;
  for (UINT m : messages) {
    auto found = names.find(m);
    if (!out.empty()) out += ' ';
    out += found != names.end() ? found->second : std::to_string(m);
  }
  return out;
}
