// The x11 back-end's pixel formats, GLX contexts and bitmap fonts.
#include <cstring>

#include "platform/core/core.h"
#include "platform/x11/error_trap.h"
#include "platform/x11/font_lists.h"
#include "platform/x11/x11_state.h"

namespace {

// The WGL attributes each format reports, in the order of the extension's list.
constexpr int reported_attributes[] = {
    wgl_draw_to_window, wgl_draw_to_bitmap, wgl_acceleration, wgl_support_gdi, wgl_support_opengl,
    wgl_double_buffer, wgl_stereo, wgl_pixel_type, wgl_color_bits, wgl_red_bits, wgl_red_shift,
    wgl_green_bits, wgl_green_shift, wgl_blue_bits, wgl_blue_shift, wgl_alpha_bits, wgl_alpha_shift,
    wgl_accum_bits, wgl_depth_bits, wgl_stencil_bits, wgl_aux_buffers, wgl_sample_buffers, wgl_samples,
    wgl_framebuffer_srgb_capable,
};

BYTE byte_of(int value) { return static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value); }

}  // namespace

const std::vector<backend_pixel_format>& x11_backend::pixel_formats(native_handle) {
  if (!display_) return pixel_formats_;  // empty without a display
  if (pixel_formats_.empty()) {
    glx_format_list& list = formats();
    pixel_formats_.reserve(static_cast<size_t>(list.count()));
    for (int format = 1; format <= list.count(); ++format) {
      backend_pixel_format entry;
      legacy_pixel_format d;
      list.describe(format, &d);
      PIXELFORMATDESCRIPTOR& p = entry.descriptor;
      p.nSize = sizeof(PIXELFORMATDESCRIPTOR);
      p.nVersion = 1;
      p.dwFlags = PFD_SUPPORT_OPENGL | (d.draw_to_window ? PFD_DRAW_TO_WINDOW : 0) |
                  (d.double_buffer ? PFD_DOUBLEBUFFER : 0);
      int value = 0;
      if (list.attribute(format, wgl_acceleration, &value) && value != wgl_full_acceleration)
        p.dwFlags |= PFD_GENERIC_FORMAT;
      p.iPixelType = d.rgba ? PFD_TYPE_RGBA : PFD_TYPE_COLORINDEX;
      p.cColorBits = byte_of(d.color_bits);
      p.cRedBits = byte_of(d.red_bits);
      p.cRedShift = byte_of(d.red_shift);
      p.cGreenBits = byte_of(d.green_bits);
      p.cGreenShift = byte_of(d.green_shift);
      p.cBlueBits = byte_of(d.blue_bits);
      p.cBlueShift = byte_of(d.blue_shift);
      p.cAlphaBits = byte_of(d.alpha_bits);
      p.cAlphaShift = byte_of(d.alpha_shift);
      if (list.attribute(format, wgl_accum_bits, &value)) p.cAccumBits = byte_of(value);
      p.cDepthBits = byte_of(d.depth_bits);
      p.cStencilBits = byte_of(d.stencil_bits);
      if (list.attribute(format, wgl_aux_buffers, &value)) p.cAuxBuffers = byte_of(value);
      p.iLayerType = PFD_MAIN_PLANE;
      for (int attribute : reported_attributes) {
        if (list.attribute(format, attribute, &value)) entry.attributes.push_back({attribute, value});
      }
      pixel_formats_.push_back(std::move(entry));
    }
  }
  return pixel_formats_;
}

native_handle x11_backend::set_pixel_format(native_handle window, int format) {
  x11_window* w = window_of(window);
  if (!w || !display_) return 0;
  GLXFBConfig config = formats().config(format);
  if (!config) return 0;
  int drawable = 0;
  glXGetFBConfigAttrib(display_, config, GLX_DRAWABLE_TYPE, &drawable);
  XVisualInfo* visual = glXGetVisualFromFBConfig(display_, config);
  if (!visual || !(drawable & GLX_WINDOW_BIT)) {
    if (visual) XFree(visual);
    return 0;
  }
  // A window's visual is fixed when it is made: one on another visual is made again.
  bool ok = true;
  if (visual->visualid != w->visual) ok = make_x_window(*w, visual->visual, visual->depth, view_of(*w).client);
  XFree(visual);
  if (!ok) return 0;
  w->format = format;
  return window;
}

native_handle x11_backend::create_context(native_handle window, int format) {
  x11_window* w = window_of(window);
  if (!display_) return 0;
  if (format <= 0 && w) format = w->format;
  GLXFBConfig config = formats().config(format);
  if (!config) return 0;
  x11_error_trap trap(display_);
  GLXContext context = glXCreateNewContext(display_, config, GLX_RGBA_TYPE, nullptr, True);
  if (!trap.ok() || !context) {
    if (context) glXDestroyContext(display_, context);
    return 0;
  }
  auto* c = new x11_context{context, format};
  contexts_.insert(c);
  return reinterpret_cast<native_handle>(c);
}

void x11_backend::delete_context(native_handle context) {
  auto* c = reinterpret_cast<x11_context*>(context);
  if (!contexts_.erase(c)) return;
  if (current_context_ == c) {
    glXMakeCurrent(display_, None, nullptr);
    current_window_ = nullptr;
    current_context_ = nullptr;
  }
  x11_error_trap trap(display_);
  glXDestroyContext(display_, c->context);
  delete c;
}

bool x11_backend::make_current(native_handle window, native_handle context) {
  if (!display_) return false;
  x11_window* w = window_of(window);
  auto* c = reinterpret_cast<x11_context*>(context);
  if (!w && !c) {
    if (current_context_) glXMakeCurrent(display_, None, nullptr);
    current_window_ = nullptr;
    current_context_ = nullptr;
    return true;
  }
  if (!w || !c || !contexts_.count(c)) return false;
  if (w == current_window_ && c == current_context_) return true;
  // A context made for one configuration draws only to windows of a matching one.
  if (w->format != c->format) return false;
  x11_error_trap trap(display_);
  if (!glXMakeCurrent(display_, w->xid, c->context) || !trap.ok()) return false;
  current_window_ = w;
  current_context_ = c;
  return true;
}

bool x11_backend::swap_buffers(native_handle window) {
  x11_window* w = window_of(window);
  if (!w || !display_ || !w->format) return false;
  glXSwapBuffers(display_, w->xid);
  return true;
}

PROC x11_backend::get_proc_address(const char* name) {
  if (!name) return nullptr;
  if (PROC extension = platform_wgl_extension(name)) return extension;
  // GLX hands out a stub for any gl name; other wgl names have no counterpart here.
  if (std::strncmp(name, "gl", 2) != 0 || std::strncmp(name, "glX", 3) == 0) return nullptr;
  return reinterpret_cast<PROC>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

native_handle x11_backend::create_font(const backend_font_request& request) {
  std::unique_ptr<font_face> face =
      font_face::open(request.face.c_str(), request.height, request.weight, request.italic);
  if (!face) return 0;
  font_face* raw = face.release();
  fonts_.insert(raw);
  return reinterpret_cast<native_handle>(raw);
}

void x11_backend::delete_font(native_handle font) {
  auto* f = reinterpret_cast<font_face*>(font);
  if (fonts_.erase(f)) delete f;
}

bool x11_backend::use_font_bitmaps(native_handle font, DWORD first, DWORD count, DWORD list_base) {
  if (!current_context_ || count == 0) return false;
  const font_face* face = reinterpret_cast<font_face*>(font);
  if (!font) {
    if (!system_font_) system_font_ = font_face::open("sans-serif", -16, 400, false);
    face = system_font_.get();
  } else if (!fonts_.count(const_cast<font_face*>(face))) {
    return false;
  }
  return face && compile_glyph_lists(*face, first, count, list_base);
}
