// Device contexts, pixel formats, buffer swaps and GDI objects.
#include <algorithm>
#include <cstring>

#include "platform/core/core_state.h"

namespace {

void ensure_stock_objects() {
  core_state& s = core();
  if (s.system_font) return;
  s.system_font = core_new_handle<HGDIOBJ>();
  s.objects[s.system_font] = core_gdi_object{gdi_kind::font, 0, true};
  s.white_brush = core_new_handle<HGDIOBJ>();
  s.objects[s.white_brush] = core_gdi_object{gdi_kind::brush, 0, true};
}

HDC new_dc(HWND window, bool owned) {
  ensure_stock_objects();
  core_state& s = core();
  HDC dc = core_new_handle<HDC>();
  s.dcs[dc] = core_dc{window, s.system_font, s.white_brush, owned};
  return dc;
}

// The pixel format machinery works per window; a DC of the screen has none.
core_window* window_of(HDC dc) {
  auto found = core().dcs.find(dc);
  return found == core().dcs.end() ? nullptr : core_find(found->second.window);
}

int score(const PIXELFORMATDESCRIPTOR& want, const PIXELFORMATDESCRIPTOR& have) {
  auto distance = [](int wanted, int has) { return has >= wanted ? has - wanted : (wanted - has) * 16; };
  return distance(want.cColorBits, have.cColorBits) + distance(want.cAlphaBits, have.cAlphaBits) +
         distance(want.cDepthBits, have.cDepthBits) + distance(want.cStencilBits, have.cStencilBits);
}

void release_if_unused(HGDIOBJ object) {
  core_state& s = core();
  auto found = s.objects.find(object);
  if (found == s.objects.end() || !found->second.deleted) return;
  for (const auto& dc : s.dcs)
    if (dc.second.font == object || dc.second.brush == object) return;
  if (found->second.kind == gdi_kind::font) backend().delete_font(found->second.native);
  s.objects.erase(found);
}

}  // namespace

core_dc* core_find_dc(HDC dc) {
  auto found = core().dcs.find(dc);
  return found == core().dcs.end() ? nullptr : &found->second;
}

core_window* core_window_of_dc(HDC dc) { return window_of(dc); }

HDC core_paint_dc(HWND window) {
  core_window* w = core_find(window);
  if (!w) return nullptr;
  // Windows without a class DC get one kept for painting, like CS_OWNDC ones.
  if (!w->own_dc) w->own_dc = new_dc(window, true);
  return w->own_dc;
}

extern "C" {

HDC WINAPI GetDC(HWND window) {
  if (PLATFORM_FAILS("GetDC", platform_arg(window))) return nullptr;
  if (!window) return new_dc(nullptr, false);
  core_window* w = core_find(window);
  if (!w) return nullptr;
  if (w->class_style & CS_OWNDC) {
    if (!w->own_dc) w->own_dc = new_dc(window, true);
    return w->own_dc;
  }
  return new_dc(window, false);
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  if (PLATFORM_FAILS("ReleaseDC", platform_arg(window), platform_arg(dc))) return 0;
  core_dc* d = core_find_dc(dc);
  if (!d || d->window != window) return 0;
  if (!d->owned) core().dcs.erase(dc);
  return 1;
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
  if (PLATFORM_FAILS("ChoosePixelFormat", platform_arg(dc),
                     platform_arg_unsigned(descriptor ? descriptor->dwFlags : 0),
                     platform_arg(descriptor ? descriptor->cColorBits : 0),
                     platform_arg(descriptor ? descriptor->cAlphaBits : 0),
                     platform_arg(descriptor ? descriptor->cDepthBits : 0),
                     platform_arg(descriptor ? descriptor->cStencilBits : 0)))
    return 0;
  core_window* w = window_of(dc);
  if (!w || !descriptor) return 0;
  const DWORD required = descriptor->dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER);
  const DWORD dont_care = descriptor->dwFlags & PFD_DOUBLEBUFFER_DONTCARE ? PFD_DOUBLEBUFFER : 0;
  const std::vector<backend_pixel_format>& formats = backend().pixel_formats(w->native);
  int best = 0;
  int best_score = 0;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const PIXELFORMATDESCRIPTOR& have = formats[i].descriptor;
    if ((have.dwFlags & (required & ~dont_care)) != (required & ~dont_care)) continue;
    if (have.iPixelType != descriptor->iPixelType) continue;
    int s = score(*descriptor, have);
    if (!best || s < best_score) {
      best = static_cast<int>(i) + 1;
      best_score = s;
    }
  }
  return best;
}

int WINAPI DescribePixelFormat(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor) {
  if (PLATFORM_FAILS("DescribePixelFormat", platform_arg(dc), platform_arg(format), platform_arg_unsigned(bytes)))
    return 0;
  core_window* w = window_of(dc);
  if (!w) return 0;
  const std::vector<backend_pixel_format>& formats = backend().pixel_formats(w->native);
  int count = static_cast<int>(formats.size());
  if (!descriptor) return count;
  if (format < 1 || format > count) return 0;
  std::memcpy(descriptor, &formats[format - 1].descriptor, std::min<std::size_t>(bytes, sizeof *descriptor));
  return count;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  if (PLATFORM_FAILS("SetPixelFormat", platform_arg(dc), platform_arg(format), platform_arg(descriptor))) return FALSE;
  core_window* w = window_of(dc);
  if (!w) return FALSE;
  // A window's pixel format is set once; setting the same one again succeeds.
  if (w->pixel_format) return w->pixel_format == format ? TRUE : FALSE;
  int count = static_cast<int>(backend().pixel_formats(w->native).size());
  if (format < 1 || format > count) return FALSE;
  native_handle native = backend().set_pixel_format(w->native, format);
  if (!native) return FALSE;
  w->native = native;
  w->pixel_format = format;
  return TRUE;
}

int WINAPI GetPixelFormat(HDC dc) {
  if (PLATFORM_FAILS("GetPixelFormat", platform_arg(dc))) return 0;
  core_window* w = window_of(dc);
  return w ? w->pixel_format : 0;
}

BOOL WINAPI SwapBuffers(HDC dc) {
  if (PLATFORM_FAILS("SwapBuffers", platform_arg(dc))) return FALSE;
  core_window* w = window_of(dc);
  if (!w || !w->pixel_format) return FALSE;
  return backend().swap_buffers(w->native) ? TRUE : FALSE;
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision, DWORD clip_precision,
                         DWORD quality, DWORD pitch_and_family, LPCSTR face) {
  if (PLATFORM_FAILS("CreateFontA", platform_arg(height), platform_arg(width), platform_arg(escapement),
                     platform_arg(orientation), platform_arg(weight), platform_arg_unsigned(italic),
                     platform_arg_unsigned(underline), platform_arg_unsigned(strike_out),
                     platform_arg_unsigned(char_set), platform_arg_unsigned(out_precision),
                     platform_arg_unsigned(clip_precision), platform_arg_unsigned(quality),
                     platform_arg_unsigned(pitch_and_family), platform_arg(face)))
    return nullptr;
  backend_font_request request;
  request.height = height;
  request.weight = weight;
  request.italic = italic != 0;
  request.underline = underline != 0;
  request.strike_out = strike_out != 0;
  request.char_set = char_set;
  request.quality = quality;
  if (face) request.face = std::string(face, strnlen(face, 31));
  native_handle native = backend().create_font(request);
  if (!native) return nullptr;
  HGDIOBJ font = core_new_handle<HGDIOBJ>();
  core().objects[font] = core_gdi_object{gdi_kind::font, native, false};
  return static_cast<HFONT>(font);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  if (PLATFORM_FAILS("CreateSolidBrush", platform_arg_unsigned(color))) return nullptr;
  HGDIOBJ brush = core_new_handle<HGDIOBJ>();
  core().objects[brush] = core_gdi_object{gdi_kind::brush, 0, false};
  return static_cast<HBRUSH>(brush);
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  if (PLATFORM_FAILS("SelectObject", platform_arg(dc), platform_arg(object))) return nullptr;
  core_dc* d = core_find_dc(dc);
  auto found = core().objects.find(object);
  if (!d || found == core().objects.end()) return nullptr;
  HGDIOBJ& slot = found->second.kind == gdi_kind::font ? d->font : d->brush;
  HGDIOBJ previous = slot;
  slot = object;
  HGDIOBJ result = previous;
  release_if_unused(previous);
  return result;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (PLATFORM_FAILS("DeleteObject", platform_arg(object))) return FALSE;
  core_state& s = core();
  auto found = s.objects.find(object);
  if (found == s.objects.end()) return FALSE;
  if (found->second.stock) return TRUE;
  // An object still selected into a device context goes when it is deselected.
  found->second.deleted = true;
  release_if_unused(object);
  return TRUE;
}

}  // extern "C"
