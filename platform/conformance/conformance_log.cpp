#include "platform/conformance/conformance_log.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace {

const char* current_scenario = "start";
std::vector<std::pair<HWND, std::string>> window_names;

struct named_value {
  unsigned value;
  const char* name;
};

const named_value message_names[] = {
    {WM_NULL, "WM_NULL"},
    {WM_CREATE, "WM_CREATE"},
    {WM_DESTROY, "WM_DESTROY"},
    {WM_MOVE, "WM_MOVE"},
    {WM_SIZE, "WM_SIZE"},
    {WM_ACTIVATE, "WM_ACTIVATE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_ENABLE, "WM_ENABLE"},
    {WM_SETTEXT, "WM_SETTEXT"},
    {WM_GETTEXT, "WM_GETTEXT"},
    {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
    {WM_PAINT, "WM_PAINT"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_QUERYENDSESSION, "WM_QUERYENDSESSION"},
    {0x0013, "WM_QUERYOPEN"},
    {WM_QUIT, "WM_QUIT"},
    {WM_ERASEBKGND, "WM_ERASEBKGND"},
    {WM_ENDSESSION, "WM_ENDSESSION"},
    {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
    {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
    {WM_CANCELMODE, "WM_CANCELMODE"},
    {WM_SETCURSOR, "WM_SETCURSOR"},
    {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
    {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
    {WM_GETOBJECT, "WM_GETOBJECT"},
    {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
    {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
    {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
    {WM_GETICON, "WM_GETICON"},
    {WM_NCCREATE, "WM_NCCREATE"},
    {WM_NCDESTROY, "WM_NCDESTROY"},
    {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
    {WM_NCHITTEST, "WM_NCHITTEST"},
    {WM_NCPAINT, "WM_NCPAINT"},
    {WM_NCACTIVATE, "WM_NCACTIVATE"},
    {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
    {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
    {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
    {WM_INPUT, "WM_INPUT"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_DEADCHAR, "WM_DEADCHAR"},
    {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
    {WM_SYSKEYUP, "WM_SYSKEYUP"},
    {WM_SYSCHAR, "WM_SYSCHAR"},
    {WM_SYSDEADCHAR, "WM_SYSDEADCHAR"},
    {WM_UNICHAR, "WM_UNICHAR"},
    {WM_IME_STARTCOMPOSITION, "WM_IME_STARTCOMPOSITION"},
    {WM_IME_ENDCOMPOSITION, "WM_IME_ENDCOMPOSITION"},
    {WM_IME_COMPOSITION, "WM_IME_COMPOSITION"},
    {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
    {WM_SIZING, "WM_SIZING"},
    {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
    {WM_MOVING, "WM_MOVING"},
    {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"},
    {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"},
    {WM_DROPFILES, "WM_DROPFILES"},
    {0x0219, "WM_DEVICECHANGE"},
    {WM_TOUCH, "WM_TOUCH"},
    {WM_IME_SETCONTEXT, "WM_IME_SETCONTEXT"},
    {WM_IME_NOTIFY, "WM_IME_NOTIFY"},
    {0x0285, "WM_IME_SELECT"},
    {WM_IME_CHAR, "WM_IME_CHAR"},
    {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
    {WM_DPICHANGED, "WM_DPICHANGED"},
    {0x030F, "WM_QUERYNEWPALETTE"},
};

const named_value size_kinds[] = {{SIZE_RESTORED, "SIZE_RESTORED"},
                                  {SIZE_MINIMIZED, "SIZE_MINIMIZED"},
                                  {SIZE_MAXIMIZED, "SIZE_MAXIMIZED"}};

const named_value system_commands[] = {{SC_SIZE, "SC_SIZE"},         {SC_MOVE, "SC_MOVE"},
                                       {SC_MINIMIZE, "SC_MINIMIZE"}, {SC_MAXIMIZE, "SC_MAXIMIZE"},
                                       {SC_CLOSE, "SC_CLOSE"},       {SC_RESTORE, "SC_RESTORE"}};

const named_value activate_states[] = {
    {WA_INACTIVE, "WA_INACTIVE"}, {WA_ACTIVE, "WA_ACTIVE"}, {WA_CLICKACTIVE, "WA_CLICKACTIVE"}};

const named_value errors[] = {{ERROR_SUCCESS, "ERROR_SUCCESS"},
                              {5, "ERROR_ACCESS_DENIED"},
                              {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
                              {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER"},
                              {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
                              {ERROR_ENVVAR_NOT_FOUND, "ERROR_ENVVAR_NOT_FOUND"},
                              {ERROR_INVALID_FLAGS, "ERROR_INVALID_FLAGS"},
                              {ERROR_NO_UNICODE_TRANSLATION, "ERROR_NO_UNICODE_TRANSLATION"},
                              {1400, "ERROR_INVALID_WINDOW_HANDLE"}};

template <std::size_t n>
std::string lookup(const named_value (&table)[n], unsigned value, const char* unknown_prefix) {
  for (const named_value& entry : table)
    if (entry.value == value) return entry.name;
  return unknown_prefix + conf_hex(value, 4);
}

// WINDOWPOS flags that the documentation gives a meaning the caller can rely on.
std::string window_pos_flags(UINT flags) {
  static const named_value documented[] = {{SWP_NOSIZE, "NOSIZE"},
                                           {SWP_NOMOVE, "NOMOVE"},
                                           {SWP_SHOWWINDOW, "SHOWWINDOW"},
                                           {SWP_HIDEWINDOW, "HIDEWINDOW"}};
  std::string text;
  for (const named_value& entry : documented) {
    if (!(flags & entry.value)) continue;
    text += text.empty() ? "" : "|";
    text += entry.name;
  }
  return text.empty() ? "0" : text;
}

}  // namespace

void conf_scenario(const char* name) { current_scenario = name; }

void conf_line(const std::string& text) {
  std::string line = std::string(current_scenario) + ": " + text + "\n";
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
}

void conf_yes_no(const std::string& what, bool value) { conf_line(what + ": " + (value ? "yes" : "no")); }

std::string conf_format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string conf_hex(unsigned long long value, int digits) {
  static const char hex_digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), hex_digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(text.size()) < digits) text.insert(text.begin(), '0');
  return "0x" + text;
}

void conf_name_window(HWND window, const char* name) {
  for (auto& entry : window_names)
    if (entry.first == window) {
      entry.second = name;
      return;
    }
  window_names.emplace_back(window, name);
}

std::string conf_window_name(HWND window) {
  if (!window) return "null";
  for (const auto& entry : window_names)
    if (entry.first == window) return entry.second;
  return "unknown";
}

std::string conf_message_name(UINT message) {
  if (message >= WM_APP && message < WM_APP + 0x100) return conf_format("WM_APP+%u", message - WM_APP);
  if (message >= WM_USER && message < WM_USER + 0x100) return conf_format("WM_USER+%u", message - WM_USER);
  return lookup(message_names, message, "message ");
}

std::string conf_error_name(DWORD error) { return lookup(errors, error, "error "); }

std::string conf_message_text(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::string text = conf_window_name(window) + " " + conf_message_name(message);
  auto low = [&](LPARAM value) { return static_cast<int>(static_cast<SHORT>(LOWORD(value))); };
  auto high = [&](LPARAM value) { return static_cast<int>(static_cast<SHORT>(HIWORD(value))); };
  switch (message) {
    case WM_SIZE:
      text += " " + lookup(size_kinds, static_cast<unsigned>(wParam), "kind ");
      if (wParam != SIZE_MAXIMIZED) text += conf_format(" %dx%d", low(lParam), high(lParam));
      break;
    case WM_SHOWWINDOW:
      text += conf_format(" shown=%d status=%d", wParam ? 1 : 0, static_cast<int>(lParam));
      break;
    case WM_ACTIVATE:
      text += " " + lookup(activate_states, LOWORD(wParam), "state ") + (HIWORD(wParam) ? " minimized" : "");
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      text += " other=" + conf_window_name(reinterpret_cast<HWND>(wParam));
      break;
    case WM_CAPTURECHANGED:
      text += " new=" + conf_window_name(reinterpret_cast<HWND>(lParam));
      break;
    case WM_NCACTIVATE:
      text += conf_format(" active=%d", wParam ? 1 : 0);
      break;
    case WM_SYSCOMMAND:
      text += " " + lookup(system_commands, static_cast<unsigned>(wParam & 0xFFF0), "command ");
      break;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
      text += " " + window_pos_flags(reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      text += " " + conf_hex(wParam, 2) + " " + conf_hex(static_cast<DWORD>(lParam), 8);
      break;
    case WM_SETCURSOR:
      text += conf_format(" hit=%d mouse=", low(lParam)) + conf_message_name(HIWORD(lParam));
      break;
    default:
      if ((message >= WM_APP && message < WM_APP + 0x100) || (message >= WM_USER && message < WM_USER + 0x100))
        text += conf_format(" %u %d", static_cast<unsigned>(wParam), static_cast<int>(lParam));
      break;
  }
  return text;
}
