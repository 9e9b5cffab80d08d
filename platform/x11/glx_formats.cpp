#include "platform/x11/glx_formats.h"

#include <GL/glx.h>

#include <algorithm>
#include <bit>

namespace {

constexpr int glx_framebuffer_srgb_capable = 0x20B2;

int channel_shift(unsigned long mask) { return mask ? std::countr_zero(mask) : 0; }

}  // namespace

glx_format_list::glx_format_list(Display* display, int screen) : display_(display), screen_(screen) {
  if (display_) configs_ = glXGetFBConfigs(display_, screen_, &count_);
  if (!configs_) count_ = 0;
}

glx_format_list::~glx_format_list() {
  if (configs_) XFree(configs_);
}

GLXFBConfig glx_format_list::config(int format) const {
  return format >= 1 && format <= count_ ? configs_[format - 1] : nullptr;
}

int glx_format_list::format_of(GLXFBConfig config) const {
  for (int i = 0; i < count_; ++i)
    if (configs_[i] == config) return i + 1;
  return 0;
}

int glx_format_list::glx(int format, int glx_attribute) const {
  int value = 0;
  if (glXGetFBConfigAttrib(display_, configs_[format - 1], glx_attribute, &value) != Success) return 0;
  return value;
}

bool glx_format_list::attribute(int format, int wgl_attribute, int* value) const {
  if (!value) return false;
  if (wgl_attribute == wgl_number_pixel_formats) {
    *value = count_;
    return true;
  }
  if (!config(format)) return false;
  switch (wgl_attribute) {
    case wgl_draw_to_window:
      *value = (glx(format, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) && glx(format, GLX_VISUAL_ID) != 0;
      return true;
    case wgl_draw_to_bitmap: case wgl_support_gdi:
      *value = 0;
      return true;
    case wgl_acceleration:
      *value = glx(format, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG ? wgl_no_acceleration : wgl_full_acceleration;
      return true;
    case wgl_support_opengl:
      *value = 1;
      return true;
    case wgl_double_buffer: *value = glx(format, GLX_DOUBLEBUFFER) != 0; return true;
    case wgl_stereo: *value = glx(format, GLX_STEREO) != 0; return true;
    case wgl_pixel_type:
      *value = (glx(format, GLX_RENDER_TYPE) & GLX_RGBA_BIT) ? wgl_type_rgba : wgl_type_colorindex;
      return true;
    case wgl_color_bits:
      // WGL counts the colour planes without alpha.
      *value = glx(format, GLX_RED_SIZE) + glx(format, GLX_GREEN_SIZE) + glx(format, GLX_BLUE_SIZE);
      return true;
    case wgl_red_bits: *value = glx(format, GLX_RED_SIZE); return true;
    case wgl_green_bits: *value = glx(format, GLX_GREEN_SIZE); return true;
    case wgl_blue_bits: *value = glx(format, GLX_BLUE_SIZE); return true;
    case wgl_alpha_bits: *value = glx(format, GLX_ALPHA_SIZE); return true;
    case wgl_red_shift: case wgl_green_shift: case wgl_blue_shift: case wgl_alpha_shift: {
      legacy_pixel_format d;
      describe(format, &d);
      *value = wgl_attribute == wgl_red_shift     ? d.red_shift
               : wgl_attribute == wgl_green_shift ? d.green_shift
               : wgl_attribute == wgl_blue_shift  ? d.blue_shift
                                                  : d.alpha_shift;
      return true;
    }
    case wgl_accum_bits:
      *value = glx(format, GLX_ACCUM_RED_SIZE) + glx(format, GLX_ACCUM_GREEN_SIZE) +
               glx(format, GLX_ACCUM_BLUE_SIZE) + glx(format, GLX_ACCUM_ALPHA_SIZE);
      return true;
    case wgl_depth_bits: *value = glx(format, GLX_DEPTH_SIZE); return true;
    case wgl_stencil_bits: *value = glx(format, GLX_STENCIL_SIZE); return true;
    case wgl_aux_buffers: *value = glx(format, GLX_AUX_BUFFERS); return true;
    case wgl_sample_buffers: *value = glx(format, GLX_SAMPLE_BUFFERS); return true;
    case wgl_samples: *value = glx(format, GLX_SAMPLES); return true;
    case wgl_framebuffer_srgb_capable: *value = glx(format, glx_framebuffer_srgb_capable) != 0; return true;
    default:
      return false;
  }
}

bool glx_format_list::describe(int format, legacy_pixel_format* d) const {
  if (!d || !config(format)) return false;
  int value = 0;
  attribute(format, wgl_draw_to_window, &value);
  d->draw_to_window = value != 0;
  d->support_opengl = true;
  d->double_buffer = glx(format, GLX_DOUBLEBUFFER) != 0;
  d->rgba = (glx(format, GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0;
  d->red_bits = glx(format, GLX_RED_SIZE);
  d->green_bits = glx(format, GLX_GREEN_SIZE);
  d->blue_bits = glx(format, GLX_BLUE_SIZE);
  d->alpha_bits = glx(format, GLX_ALPHA_SIZE);
  d->color_bits = d->red_bits + d->green_bits + d->blue_bits + d->alpha_bits;
  d->depth_bits = glx(format, GLX_DEPTH_SIZE);
  d->stencil_bits = glx(format, GLX_STENCIL_SIZE);
  d->red_shift = d->green_shift = d->blue_shift = d->alpha_shift = 0;
  if (XVisualInfo* visual = glXGetVisualFromFBConfig(display_, configs_[format - 1])) {
    d->red_shift = channel_shift(visual->red_mask);
    d->green_shift = channel_shift(visual->green_mask);
    d->blue_shift = channel_shift(visual->blue_mask);
    if (d->alpha_bits) d->alpha_shift = std::max({d->red_shift, d->green_shift, d->blue_shift}) + 8;
    XFree(visual);
  }
  return true;
}
