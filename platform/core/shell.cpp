// Input-method strings, dropped files, session notifications and libraries
// loaded by name.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/core_state.h"

namespace {

constexpr LONG imm_error_general = -2;

core_window* window_of_ime(HIMC context) {
  if (!context) return nullptr;
  for (const auto& entry : core().windows)
    if (entry.second->ime_context == context) return entry.second.get();
  return nullptr;
}

std::string lower_case(const char* name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

HMODULE process_module() {
  static const HMODULE module = core_new_handle<HMODULE>();
  return module;
}

}  // namespace

extern "C" {

HIMC WINAPI ImmGetContext(HWND window) {
  if (PLATFORM_FAILS("ImmGetContext", platform_arg(window))) return nullptr;
  core_window* w = core_find(window);
  if (!w) return nullptr;
  if (!w->ime_context) w->ime_context = core_new_handle<HIMC>();
  return w->ime_context;
}

BOOL WINAPI ImmReleaseContext(HWND window, HIMC context) {
  if (PLATFORM_FAILS("ImmReleaseContext", platform_arg(window), platform_arg(context))) return FALSE;
  core_window* w = core_find(window);
  return w && w->ime_context == context && context ? TRUE : FALSE;
}

LONG WINAPI ImmGetCompositionStringW(HIMC context, DWORD index, LPVOID buffer, DWORD bytes) {
  if (PLATFORM_FAILS("ImmGetCompositionStringW", platform_arg(context), platform_arg_unsigned(index),
                     platform_arg(buffer), platform_arg_unsigned(bytes)))
    return imm_error_general;
  core_window* w = window_of_ime(context);
  if (!w) return imm_error_general;
  const std::u16string* text = nullptr;
  if (index == GCS_COMPSTR) text = &w->ime_composition;
  if (index == GCS_RESULTSTR) text = &w->ime_result;
  if (!text) return 0;
  DWORD size = static_cast<DWORD>(text->size() * sizeof(char16_t));
  if (!buffer || bytes == 0) return static_cast<LONG>(size);
  DWORD copied = std::min(size, bytes);
  std::memcpy(buffer, text->data(), copied);
  return static_cast<LONG>(copied);
}

void WINAPI DragAcceptFiles(HWND window, BOOL accept) {
  if (PLATFORM_FAILS("DragAcceptFiles", platform_arg(window), platform_arg(accept))) return;
  core_window* w = core_find(window);
  if (!w) return;
  if (accept)
    w->ex_style |= WS_EX_ACCEPTFILES;
  else
    w->ex_style &= ~static_cast<DWORD>(WS_EX_ACCEPTFILES);
  backend().accept_files(w->native, accept != FALSE);
}

UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT units) {
  if (PLATFORM_FAILS("DragQueryFileW", platform_arg(drop), platform_arg_unsigned(index), platform_arg(buffer),
                     platform_arg_unsigned(units)))
    return 0;
  auto found = core().drops.find(drop);
  if (found == core().drops.end()) return 0;
  const std::vector<std::u16string>& paths = found->second.paths;
  if (index == 0xFFFFFFFF) return static_cast<UINT>(paths.size());
  if (index >= paths.size()) return 0;
  const std::u16string& path = paths[index];
  if (!buffer) return static_cast<UINT>(path.size());
  if (units == 0) return 0;
  std::size_t n = std::min<std::size_t>(path.size(), units - 1);
  std::copy_n(path.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}

void WINAPI DragFinish(HDROP drop) {
  if (PLATFORM_FAILS("DragFinish", platform_arg(drop))) return;
  auto found = core().drops.find(drop);
  if (found == core().drops.end()) return;
  std::uintptr_t token = found->second.token;
  core().drops.erase(found);
  backend().drop_finished(token);
}

BOOL WINAPI WTSRegisterSessionNotification(HWND window, DWORD flags) {
  if (PLATFORM_FAILS("WTSRegisterSessionNotification", platform_arg(window), platform_arg_unsigned(flags)))
    return FALSE;
  return core_find(window) ? TRUE : FALSE;
}

BOOL WINAPI WTSUnRegisterSessionNotification(HWND window) {
  if (PLATFORM_FAILS("WTSUnRegisterSessionNotification", platform_arg(window))) return FALSE;
  return core_find(window) ? TRUE : FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (PLATFORM_FAILS("GetModuleHandleA", platform_arg(name))) return nullptr;
  if (!name) return process_module();
  std::string wanted = lower_case(name);
  for (const auto& entry : core().loaded)
    if (entry.second == wanted) return entry.first;
  return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  if (PLATFORM_FAILS("LoadLibraryA", platform_arg(name))) return nullptr;
  if (!name) return nullptr;
  std::string wanted = lower_case(name);
  if (!core().libraries.count(wanted)) return nullptr;
  HMODULE module = core_new_handle<HMODULE>();
  core().loaded[module] = wanted;
  return module;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (PLATFORM_FAILS("GetProcAddress", platform_arg(module), platform_arg(name))) return nullptr;
  auto loaded = core().loaded.find(module);
  if (loaded == core().loaded.end() || !name || IS_INTRESOURCE(name)) return nullptr;
  auto library = core().libraries.find(loaded->second);
  if (library == core().libraries.end()) return nullptr;
  for (const auto& proc : library->second)
    if (proc.first == name) return proc.second;
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (PLATFORM_FAILS("FreeLibrary", platform_arg(module))) return FALSE;
  return core().loaded.erase(module) ? TRUE : FALSE;
}

}  // extern "C"

void platform_register_library(const std::string& name, const std::vector<std::pair<std::string, FARPROC>>& procs) {
  std::string key = lower_case(name.c_str());
  if (procs.empty())
    core().libraries.erase(key);
  else
    core().libraries[key] = procs;
}
