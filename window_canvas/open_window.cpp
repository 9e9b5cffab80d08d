#include <memory>
#include <string>
#include <vector>

#include "window_canvas/canvas.h"
#include "window_canvas/message_pump.h"
#include "window_canvas/message_words.h"
#include "window_canvas/pixel_format.h"
#include "window_canvas/ui_fonts.h"
#include "window_canvas/window_classes.h"
#include "window_canvas/window_registry.h"

namespace {

constexpr int window_limit = 16;

// The title as UTF-16 with its terminator; empty when it is not valid UTF-8.
std::vector<WCHAR> wide_title(std::string_view title) {
  const std::string terminated(title);
  std::vector<WCHAR> wide(1, 0);
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, terminated.c_str(), -1, nullptr, 0);
  if (length <= 0) return wide;
  std::vector<WCHAR> converted(static_cast<std::size_t>(length), 0);
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, terminated.c_str(), -1, converted.data(), length) != length)
    return wide;
  converted.back() = 0;
  return converted;
}

// Releases what a failed opening acquired, device context before window.
void abandon_window(HWND window, HDC device_context) {
  if (device_context != nullptr) ReleaseDC(window, device_context);
  DestroyWindow(window);
}

// Enables sRGB writes and proves them with a one-texel sRGB texture; the
// window's context is current. Returns srgb_verified.
uint8_t prove_srgb_framebuffer() {
  glEnable(GL_FRAMEBUFFER_SRGB);
  if (glIsEnabled(GL_FRAMEBUFFER_SRGB) != GL_TRUE) return 0;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  if (texture == 0) {
    glDisable(GL_FRAMEBUFFER_SRGB);
    return 0;
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLubyte texel[4] = {128, 128, 128, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint internal_format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal_format);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &texture);
  if (internal_format == GL_SRGB8_ALPHA8) return 1;
  glDisable(GL_FRAMEBUFFER_SRGB);
  return 0;
}

// Dark caption and frame colours where the desktop window manager offers them.
void apply_dark_attributes(HWND window) {
  HMODULE dwm = LoadLibraryA("dwmapi.dll");
  if (dwm == nullptr) return;
  using set_attribute_function = LONG(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  FARPROC entry = GetProcAddress(dwm, "DwmSetWindowAttribute");
  if (entry != nullptr) {
    auto set_attribute = reinterpret_cast<set_attribute_function>(reinterpret_cast<void (*)()>(entry));
    const BOOL dark = TRUE;
    const DWORD caption = RGB(18, 20, 24);
    const DWORD border = RGB(43, 47, 54);
    const DWORD text = RGB(232, 232, 226);
    set_attribute(window, 20, &dark, 4);  // DWMWA_USE_IMMERSIVE_DARK_MODE
    set_attribute(window, 19, &dark, 4);  // its number before Windows 10 20H1
    set_attribute(window, 35, &caption, 4);  // DWMWA_CAPTION_COLOR
    set_attribute(window, 34, &border, 4);   // DWMWA_BORDER_COLOR
    set_attribute(window, 36, &text, 4);     // DWMWA_TEXT_COLOR
  }
  FreeLibrary(dwm);
}

}  // namespace

void OpenWindow(std::string_view title, int32_t width, int32_t height, int32_t parent_id) {
  window_registry& registry = window_registry::instance();
  if (window_runtime* primary = registry.find(registry.primary_id); primary != nullptr && primary->open) {
    registry.current_id = registry.primary_id;
    wglMakeCurrent(primary->device_context, primary->gl_context);
    return;
  }
  if (registry.next_id > window_limit) return;
  register_window_classes();

  HWND parent = nullptr;
  if (window_runtime* owner = registry.find(parent_id); owner != nullptr && owner->open) parent = owner->window_handle;

  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
  const int outer_width = clamp_to_int(int64_t{outer.right} - outer.left);
  const int outer_height = clamp_to_int(int64_t{outer.bottom} - outer.top);
  const std::vector<WCHAR> title_text = wide_title(title);

  HWND window = CreateWindowExW(WS_EX_APPWINDOW, canvas_window_class.text, title_text.data(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, outer_width, outer_height, parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  require_window_canvas(window != nullptr, "failed to create window/canvas window");
  DragAcceptFiles(window, TRUE);

  HDC device_context = GetDC(window);
  if (device_context == nullptr) abandon_window(window, nullptr);
  require_window_canvas(device_context != nullptr, "failed to acquire window/canvas device context");

  PIXELFORMATDESCRIPTOR descriptor = legacy_pixel_format_descriptor(32);
  int format = choose_strict_srgb_pixel_format(device_context);
  const bool extension_format = format > 0;
  if (extension_format) {
    const bool described = DescribePixelFormat(device_context, format, sizeof(descriptor), &descriptor) != 0;
    if (!described) abandon_window(window, device_context);
    require_window_canvas(described, "failed to describe strict sRGB window/canvas pixel format");
  } else {
    format = ChoosePixelFormat(device_context, &descriptor);
  }
  const bool configured = format != 0 && SetPixelFormat(device_context, format, &descriptor) == 1;
  if (!configured) abandon_window(window, device_context);
  require_window_canvas(configured, "failed to configure window/canvas OpenGL pixel format");

  HGLRC gl_context = wglCreateContext(device_context);
  const bool activated = gl_context != nullptr && wglMakeCurrent(device_context, gl_context) == 1;
  if (!activated) {
    if (gl_context != nullptr) wglDeleteContext(gl_context);
    abandon_window(window, device_context);
  }
  require_window_canvas(activated, "failed to activate window/canvas OpenGL context");

  uint8_t srgb_format = 0;
  uint8_t srgb_verified = 0;
  if (extension_format) {
    srgb_format = GetPixelFormat(device_context) == format && pixel_format_is_strict_srgb(device_context, format);
    if (srgb_format) srgb_verified = prove_srgb_framebuffer();
  }

  RegisterTouchWindow(window, 0);
  WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
  apply_dark_attributes(window);

  auto record = std::make_unique<window_runtime>();
  record->id = registry.next_id++;
  record->window_handle = window;
  record->device_context = device_context;
  record->gl_context = gl_context;
  record->srgb_format = srgb_format;
  record->srgb_verified = srgb_verified;
  for (int slot = 0; slot < font_slot_count; ++slot) {
    font_slot& font = record->fonts[slot];
    font.font = create_ui_font(font_slot_pixel_heights[slot], font_slot_weights[slot]);
    font.list_base = build_font_lists(device_context, font.font);
  }
  record->client_width = width;
  record->client_height = height;
  record->open = 1;
  record->visible = 1;
  record->parent_id = parent_id;
  record->caption_buttons = 1;
  record->custom_chrome = 1;
  record->update_display_scale();

  window_runtime& stored = *record;
  registry.windows[stored.id] = std::move(record);
  registry.primary_id = stored.id;
  registry.current_id = stored.id;
  stored.stamp_event(0);

  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump_messages();
}
