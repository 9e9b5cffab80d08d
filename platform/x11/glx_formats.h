#pragma once
// The GLX framebuffer configurations of a screen seen as Windows pixel formats:
// format n is configuration n - 1 in the server's order. WGL attribute names
// (WGL_ARB_pixel_format, WGL_ARB_framebuffer_sRGB) are answered from the GLX
// attributes.

typedef struct _XDisplay Display;
typedef struct __GLXFBConfigRec* GLXFBConfig;
#include <vector>

// What a legacy PIXELFORMATDESCRIPTOR asks for or describes.
struct legacy_pixel_format {
  bool draw_to_window = false;
  bool support_opengl = false;
  bool double_buffer = false;
  bool rgba = true;
  int color_bits = 0;  // red + green + blue (+ alpha in a description, as Windows counts it)
  int red_bits = 0, red_shift = 0, green_bits = 0, green_shift = 0, blue_bits = 0, blue_shift = 0;
  int alpha_bits = 0, alpha_shift = 0;
  int depth_bits = 0;
  int stencil_bits = 0;
};

class glx_format_list {
public:
  glx_format_list(Display* display, int screen);
  ~glx_format_list();
  glx_format_list(const glx_format_list&) = delete;
  glx_format_list& operator=(const glx_format_list&) = delete;

  int count() const { return count_; }
  // The configuration of a format number, or null when out of range.
  GLXFBConfig config(int format) const;
  // The format number of a configuration, 0 when it is not one of ours.
  int format_of(GLXFBConfig config) const;

  // One WGL attribute of a format; false for an unknown attribute or format.
  bool attribute(int format, int wgl_attribute, int* value) const;
  // The legacy description of a format; false when out of range.
  bool describe(int format, legacy_pixel_format* description) const;

private:
  int glx(int format, int glx_attribute) const;

  Display* display_;
  int screen_;
  GLXFBConfig* configs_ = nullptr;
  int count_ = 0;
};

// WGL attribute names answered by glx_format_list.
enum : int {
  wgl_number_pixel_formats = 0x2000,
  wgl_draw_to_window = 0x2001,
  wgl_draw_to_bitmap = 0x2002,
  wgl_acceleration = 0x2003,
  wgl_support_gdi = 0x200F,
  wgl_support_opengl = 0x2010,
  wgl_double_buffer = 0x2011,
  wgl_stereo = 0x2012,
  wgl_pixel_type = 0x2013,
  wgl_color_bits = 0x2014,
  wgl_red_bits = 0x2015,
  wgl_red_shift = 0x2016,
  wgl_green_bits = 0x2017,
  wgl_green_shift = 0x2018,
  wgl_blue_bits = 0x2019,
  wgl_blue_shift = 0x201A,
  wgl_alpha_bits = 0x201B,
  wgl_alpha_shift = 0x201C,
  wgl_accum_bits = 0x201D,
  wgl_depth_bits = 0x2022,
  wgl_stencil_bits = 0x2023,
  wgl_aux_buffers = 0x2024,
  wgl_no_acceleration = 0x2025,
  wgl_full_acceleration = 0x2027,
  wgl_type_rgba = 0x202B,
  wgl_type_colorindex = 0x202C,
  wgl_sample_buffers = 0x2041,
  wgl_samples = 0x2042,
  wgl_framebuffer_srgb_capable = 0x20A9,
};
