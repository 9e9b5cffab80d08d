#include "platform/core/core_state.h"
#include "platform/core/message_test_hooks.h"

#include <algorithm>

void (*core_message_hook)(HWND, UINT, WPARAM, LPARAM) = nullptr;

core_state& core() {
  static core_state state;
  return state;
}

platform_backend& backend() { return platform_backend_get(); }

void core_reset() {
  core_state& s = core();
  std::uintptr_t next = s.next_handle;  // handles are never reused, even across resets
  s = core_state{};
  s.next_handle = next;
}

core_window* core_find(HWND window) {
  if (!window) return nullptr;
  auto found = core().windows.find(window);
  return found == core().windows.end() ? nullptr : found->second.get();
}

core_window* core_find_or_fail(HWND window) {
  core_window* w = core_find(window);
  if (!w) SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
  return w;
}

LRESULT core_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  core_window* w = core_find(window);
  if (!w || !w->proc) return 0;
  if (core_message_hook) core_message_hook(window, message, wParam, lParam);
  return w->proc(window, message, wParam, lParam);
}

void core_post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LPARAM extra_info, bool input) {
  core_state& s = core();
  queued_message q;
  q.msg.hwnd = window;
  q.msg.message = message;
  q.msg.wParam = wParam;
  q.msg.lParam = lParam;
  q.msg.time = ++s.message_time;
  q.msg.pt = s.message_pos;
  q.extra_info = extra_info;
  (input ? s.input : s.posted).push_back(q);
}

void core_purge_queue(HWND window) {
  auto of_window = [window](const queued_message& q) { return q.msg.hwnd == window; };
  core_state& s = core();
  s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), of_window), s.posted.end());
  s.input.erase(std::remove_if(s.input.begin(), s.input.end(), of_window), s.input.end());
}
