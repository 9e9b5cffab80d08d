// OpenGL rendering contexts, extension lookup, bitmap fonts and the WGL
// pixel-format extension.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/core/core_state.h"

namespace {

void release_current() {
  core_state& s = core();
  if (s.current_context) backend().make_current(0, 0);
  s.current_context = nullptr;
  s.current_dc = nullptr;
}

int attribute_value(const backend_pixel_format& format, int attribute) {
  for (const auto& pair : format.attributes)
    if (pair.first == attribute) return pair.second;
  return 0;
}

// Attributes compared as a lower bound; every other one must match exactly.
bool is_minimum_attribute(int attribute) {
  switch (attribute) {
    case WGL_COLOR_BITS_ARB: case WGL_RED_BITS_ARB: case WGL_GREEN_BITS_ARB: case WGL_BLUE_BITS_ARB:
    case WGL_ALPHA_BITS_ARB: case WGL_DEPTH_BITS_ARB: case WGL_STENCIL_BITS_ARB:
    case 0x201D /* WGL_ACCUM_BITS_ARB */: case 0x2024 /* WGL_AUX_BUFFERS_ARB */:
      return true;
    default:
      return false;
  }
}

bool matches(const backend_pixel_format& format, const int* int_attributes) {
  for (const int* a = int_attributes; a && a[0]; a += 2) {
    int have = attribute_value(format, a[0]);
    if (is_minimum_attribute(a[0]) ? have < a[1] : have != a[1]) return false;
  }
  return true;
}

// A match's place in the chooser's answer, as drivers order them: full acceleration
// first (a back-end that does not report it counts as full), then the fewest samples,
// then the least surplus of colour, alpha, depth and stencil bits over the request.
// Ties keep the list order.
struct format_rank {
  int acceleration = 0;
  int samples = 0;
  long long surplus = 0;
  bool operator<(const format_rank& other) const {
    if (acceleration != other.acceleration) return acceleration < other.acceleration;
    if (samples != other.samples) return samples < other.samples;
    return surplus < other.surplus;
  }
};

format_rank rank_of(const backend_pixel_format& format, const int* int_attributes) {
  static constexpr int counted[] = {WGL_COLOR_BITS_ARB, WGL_ALPHA_BITS_ARB, WGL_DEPTH_BITS_ARB, WGL_STENCIL_BITS_ARB};
  format_rank rank;
  const int acceleration = attribute_value(format, WGL_ACCELERATION_ARB);
  if (acceleration == WGL_GENERIC_ACCELERATION_ARB) rank.acceleration = 1;
  if (acceleration == WGL_NO_ACCELERATION_ARB) rank.acceleration = 2;
  const int samples = attribute_value(format, WGL_SAMPLES_ARB);
  if (samples > 0 || attribute_value(format, WGL_SAMPLE_BUFFERS_ARB) > 0) rank.samples = std::max(samples, 1);
  for (int attribute : counted) {
    long long asked = 0;
    for (const int* a = int_attributes; a && a[0]; a += 2)
      if (a[0] == attribute) asked = std::max<long long>(asked, a[1]);
    rank.surplus += attribute_value(format, attribute) - asked;
  }
  return rank;
}

BOOL WINAPI choose_pixel_format_arb(HDC dc, const int* int_attributes, const FLOAT* float_attributes,
                                    UINT max_formats, int* formats, UINT* format_count) {
  if (PLATFORM_FAILS("wglChoosePixelFormatARB", platform_arg(dc), platform_arg(float_attributes),
                     platform_arg_unsigned(max_formats)))
    return FALSE;
  core_window* w = core_window_of_dc(dc);
  if (!w || !format_count || (max_formats && !formats)) return FALSE;
  const std::vector<backend_pixel_format>& list = backend().pixel_formats(w->native);
  std::vector<std::pair<format_rank, int>> found;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (matches(list[i], int_attributes)) found.push_back({rank_of(list[i], int_attributes), static_cast<int>(i) + 1});
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  UINT written = 0;
  for (; written < max_formats && written < found.size(); ++written) formats[written] = found[written].second;
  *format_count = written;
  return TRUE;
}

BOOL WINAPI get_pixel_format_attribiv_arb(HDC dc, int format, int layer_plane, UINT attribute_count,
                                          const int* attributes, int* values) {
  if (PLATFORM_FAILS("wglGetPixelFormatAttribivARB", platform_arg(dc), platform_arg(format),
                     platform_arg(layer_plane), platform_arg_unsigned(attribute_count)))
    return FALSE;
  core_window* w = core_window_of_dc(dc);
  if (!w || layer_plane != 0 || (attribute_count && (!attributes || !values))) return FALSE;
  const std::vector<backend_pixel_format>& list = backend().pixel_formats(w->native);
  int count = static_cast<int>(list.size());
  for (UINT i = 0; i < attribute_count; ++i) {
    if (attributes[i] == WGL_NUMBER_PIXEL_FORMATS_ARB) {
      values[i] = count;
      continue;
    }
    if (format < 1 || format > count) return FALSE;
    values[i] = attribute_value(list[format - 1], attributes[i]);
  }
  return TRUE;
}

}  // namespace

PROC platform_wgl_extension(const char* name) {
  if (!name) return nullptr;
  std::string n(name);
  if (n == "wglChoosePixelFormatARB") return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(&choose_pixel_format_arb));
  if (n == "wglGetPixelFormatAttribivARB")
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(&get_pixel_format_attribiv_arb));
  return nullptr;
}

extern "C" {

HGLRC WINAPI wglCreateContext(HDC dc) {
  if (PLATFORM_FAILS("wglCreateContext", platform_arg(dc))) return nullptr;
  core_window* w = core_window_of_dc(dc);
  if (!w || !w->pixel_format) return nullptr;
  native_handle native = backend().create_context(w->native, w->pixel_format);
  if (!native) return nullptr;
  HGLRC context = core_new_handle<HGLRC>();
  core().contexts[context] = core_gl_context{native, w->pixel_format};
  return context;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
  if (PLATFORM_FAILS("wglDeleteContext", platform_arg(context))) return FALSE;
  core_state& s = core();
  auto found = s.contexts.find(context);
  if (found == s.contexts.end()) return FALSE;
  if (s.current_context == context) release_current();
  backend().delete_context(found->second.native);
  s.contexts.erase(found);
  return TRUE;
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
  core_state& s = core();
  // A failed call leaves no context current.
  if (PLATFORM_FAILS("wglMakeCurrent", platform_arg(dc), platform_arg(context))) {
    release_current();
    return FALSE;
  }
  if (!context) {
    release_current();
    return TRUE;
  }
  auto found = s.contexts.find(context);
  core_window* w = core_window_of_dc(dc);
  if (found == s.contexts.end() || !w || w->pixel_format != found->second.format ||
      !backend().make_current(w->native, found->second.native)) {
    release_current();
    return FALSE;
  }
  s.current_dc = dc;
  s.current_context = context;
  return TRUE;
}

HDC WINAPI wglGetCurrentDC() {
  if (PLATFORM_FAILS("wglGetCurrentDC")) return nullptr;
  return core().current_dc;
}

HGLRC WINAPI wglGetCurrentContext() {
  if (PLATFORM_FAILS("wglGetCurrentContext")) return nullptr;
  return core().current_context;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
  if (PLATFORM_FAILS("wglGetProcAddress", platform_arg(name))) return nullptr;
  if (!name || !core().current_context) return nullptr;
  return backend().get_proc_address(name);
}

BOOL WINAPI wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD list_base) {
  if (PLATFORM_FAILS("wglUseFontBitmapsA", platform_arg(dc), platform_arg_unsigned(first),
                     platform_arg_unsigned(count), platform_arg_unsigned(list_base)))
    return FALSE;
  core_dc* d = core_find_dc(dc);
  if (!d || !core().current_context) return FALSE;
  auto font = core().objects.find(d->font);
  native_handle native = font == core().objects.end() ? 0 : font->second.native;
  return backend().use_font_bitmaps(native, first, count, list_base) ? TRUE : FALSE;
}

}  // extern "C"
