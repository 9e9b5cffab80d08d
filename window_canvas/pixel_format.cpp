#include "window_canvas/pixel_format.h"

#include <cstdint>

#include "window_canvas/window_classes.h"

namespace {

// The twelve attributes asked for and then re-checked, in this order.
constexpr int attribute_names[12] = {
    WGL_DRAW_TO_WINDOW_ARB, WGL_SUPPORT_OPENGL_ARB, WGL_DOUBLE_BUFFER_ARB, WGL_PIXEL_TYPE_ARB,
    WGL_COLOR_BITS_ARB,     WGL_RED_BITS_ARB,       WGL_GREEN_BITS_ARB,    WGL_BLUE_BITS_ARB,
    WGL_ALPHA_BITS_ARB,     WGL_DEPTH_BITS_ARB,     WGL_STENCIL_BITS_ARB,  WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB,
};

constexpr int requested_attributes[] = {
    WGL_DRAW_TO_WINDOW_ARB, 1,  WGL_SUPPORT_OPENGL_ARB, 1,  WGL_DOUBLE_BUFFER_ARB, 1,
    WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB, WGL_COLOR_BITS_ARB, 24, WGL_RED_BITS_ARB, 8,
    WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8,
    WGL_DEPTH_BITS_ARB, 24, WGL_STENCIL_BITS_ARB, 8, WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, 1,
    0,
};

// Some drivers answer 1, 2, 3 or -1 instead of null for a missing entry point.
template <typename function>
function extension_entry(const char* name) {
  PROC entry = wglGetProcAddress(name);
  const auto value = reinterpret_cast<intptr_t>(entry);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return nullptr;
  return reinterpret_cast<function>(reinterpret_cast<void (*)()>(entry));
}

// Asks the extension for one format of device_context; a probe context is current.
int extension_format(HDC device_context) {
  auto choose = extension_entry<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  if (choose == nullptr) return 0;
  int format = 0;
  UINT count = 0;
  if (choose(device_context, requested_attributes, nullptr, 1, &format, &count) != 1) return 0;
  if (count < 1 || format < 1) return 0;
  return pixel_format_is_strict_srgb(device_context, format) ? format : 0;
}

}  // namespace

PIXELFORMATDESCRIPTOR legacy_pixel_format_descriptor(BYTE color_bits) {
  static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "descriptor layout");
  PIXELFORMATDESCRIPTOR descriptor{};
  descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  descriptor.nVersion = 1;
  descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.iPixelType = PFD_TYPE_RGBA;
  descriptor.cColorBits = color_bits;
  descriptor.cAlphaBits = 8;
  descriptor.cDepthBits = 24;
  descriptor.cStencilBits = 8;
  descriptor.iLayerType = PFD_MAIN_PLANE;
  return descriptor;
}

bool pixel_format_is_strict_srgb(HDC device_context, int format) {
  if (device_context == nullptr || format < 1) return false;
  auto query = extension_entry<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
  if (query == nullptr) return false;
  int values[12] = {};
  if (query(device_context, format, 0, 12, attribute_names, values) != 1) return false;
  if (values[0] == 0 || values[1] == 0 || values[2] == 0) return false;
  if (values[3] != WGL_TYPE_RGBA_ARB || values[4] < 24) return false;
  for (int i = 5; i <= 8; ++i) {
    if (values[i] < 8) return false;
  }
  if (values[9] < 24 || values[10] < 8) return false;
  return values[11] != 0;
}

int choose_strict_srgb_pixel_format(HDC device_context) {
  if (device_context == nullptr) return 0;
  HDC previous_dc = wglGetCurrentDC();
  HGLRC previous_context = wglGetCurrentContext();

  static constexpr wide_literal empty_title{""};
  HWND probe = CreateWindowExW(0, canvas_window_class.text, empty_title.text, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (probe == nullptr) return 0;
  HDC probe_dc = GetDC(probe);
  if (probe_dc == nullptr) {
    DestroyWindow(probe);
    return 0;
  }

  // Every failure below still tears the probe down and restores the caller's context.
  int result = 0;
  HGLRC probe_context = nullptr;
  bool probe_current = false;
  PIXELFORMATDESCRIPTOR descriptor = legacy_pixel_format_descriptor(24);
  const int probe_format = ChoosePixelFormat(probe_dc, &descriptor);
  if (probe_format != 0 && SetPixelFormat(probe_dc, probe_format, &descriptor) == 1) {
    probe_context = wglCreateContext(probe_dc);
    if (probe_context != nullptr) probe_current = wglMakeCurrent(probe_dc, probe_context) == 1;
  }
  if (probe_current) result = extension_format(device_context);

  if (probe_current) wglMakeCurrent(nullptr, nullptr);
  if (probe_context != nullptr) wglDeleteContext(probe_context);
  ReleaseDC(probe, probe_dc);
  DestroyWindow(probe);

  if (previous_dc != nullptr && previous_context != nullptr) {
    if (wglMakeCurrent(previous_dc, previous_context) != 1) result = 0;
  } else if (previous_dc != nullptr || previous_context != nullptr) {
    result = 0;
  }
  return result;
}
