#include "platform/conformance/pixel_format_scenarios.h"

#include <cstdint>
#include <string>

#include "platform/conformance/conformance_log.h"
#include "platform/conformance/conformance_window.h"

namespace {

PIXELFORMATDESCRIPTOR legacy_descriptor(BYTE colour_bits) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = colour_bits;
  pfd.cAlphaBits = 8;
  pfd.cDepthBits = 24;
  pfd.cStencilBits = 8;
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

bool entry_present(PROC entry) {
  auto value = reinterpret_cast<std::intptr_t>(entry);
  return value != 0 && value != 1 && value != 2 && value != 3 && value != -1;
}

void describe(HDC dc, int format) {
  PIXELFORMATDESCRIPTOR pfd{};
  int count = DescribePixelFormat(dc, format, sizeof pfd, &pfd);
  conf_yes_no("DescribePixelFormat returns the format count", count >= format && format > 0);
  conf_line(conf_format("descriptor size %d version %d", pfd.nSize, pfd.nVersion));
  conf_yes_no("draw to window, OpenGL, double buffer",
              (pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER)) ==
                  (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
  conf_yes_no("RGBA", pfd.iPixelType == PFD_TYPE_RGBA);
  conf_yes_no("colour >= 24, depth >= 24, stencil >= 8",
              pfd.cColorBits >= 24 && pfd.cDepthBits >= 24 && pfd.cStencilBits >= 8);
  conf_yes_no("main plane", pfd.iLayerType == PFD_MAIN_PLANE);
}

// The first window: the legacy chooser, a context, and the extension's entry points.
bool legacy_and_probe(HDC dc, PFNWGLCHOOSEPIXELFORMATARBPROC& choose, PFNWGLGETPIXELFORMATATTRIBIVARBPROC& attribs,
                      HGLRC& context) {
  conf_scenario("pixelformat-legacy");
  conf_line(conf_format("GetPixelFormat before any set: %d", GetPixelFormat(dc)));
  PIXELFORMATDESCRIPTOR wanted = legacy_descriptor(24);
  int format = ChoosePixelFormat(dc, &wanted);
  conf_yes_no("ChoosePixelFormat found a format", format > 0);
  if (format <= 0) return false;
  describe(dc, format);
  int count = DescribePixelFormat(dc, 1, 0, nullptr);
  conf_yes_no("DescribePixelFormat without a descriptor returns the count", count >= format);
  PIXELFORMATDESCRIPTOR beyond{};
  conf_line(conf_format("DescribePixelFormat beyond the count: %d", DescribePixelFormat(dc, count + 1, sizeof beyond, &beyond)));
  conf_line(conf_format("DescribePixelFormat of format 0: %d", DescribePixelFormat(dc, 0, sizeof beyond, &beyond)));
  PIXELFORMATDESCRIPTOR chosen{};
  DescribePixelFormat(dc, format, sizeof chosen, &chosen);
  conf_line(conf_format("SetPixelFormat returned %d", SetPixelFormat(dc, format, &chosen)));
  conf_yes_no("GetPixelFormat is the format set", GetPixelFormat(dc) == format);
  conf_line(conf_format("SetPixelFormat with the same format again returned %d", SetPixelFormat(dc, format, &chosen)));

  conf_scenario("wgl-context");
  context = wglCreateContext(dc);
  conf_yes_no("wglCreateContext returns a context", context != nullptr);
  if (!context) return false;
  conf_line(conf_format("wglMakeCurrent returned %d", wglMakeCurrent(dc, context)));
  conf_yes_no("wglGetCurrentContext is it", wglGetCurrentContext() == context);
  conf_yes_no("wglGetCurrentDC is the window's", wglGetCurrentDC() == dc);

  conf_scenario("wglGetProcAddress");
  PROC choose_entry = wglGetProcAddress("wglChoosePixelFormatARB");
  PROC attribs_entry = wglGetProcAddress("wglGetPixelFormatAttribivARB");
  conf_yes_no("wglChoosePixelFormatARB present", entry_present(choose_entry));
  conf_yes_no("wglGetPixelFormatAttribivARB present", entry_present(attribs_entry));
  conf_yes_no("an unknown name present", entry_present(wglGetProcAddress("wglQuonConformanceUnknownARB")));
  if (!entry_present(choose_entry) || !entry_present(attribs_entry)) return false;
  choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(reinterpret_cast<void*>(choose_entry));
  attribs = reinterpret_cast<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>(reinterpret_cast<void*>(attribs_entry));
  return true;
}

// The second window: the strict sRGB format chosen through the extension, checked
// attribute by attribute, set, and proven with a one-texel sRGB texture.
void strict_srgb(HDC dc, PFNWGLCHOOSEPIXELFORMATARBPROC choose, PFNWGLGETPIXELFORMATATTRIBIVARBPROC attribs) {
  conf_scenario("pixelformat-window-descriptor");
  PIXELFORMATDESCRIPTOR window_descriptor = legacy_descriptor(32);
  int legacy = ChoosePixelFormat(dc, &window_descriptor);
  conf_yes_no("ChoosePixelFormat with 32 colour bits found a format", legacy > 0);
  if (legacy > 0) describe(dc, legacy);

  conf_scenario("wglChoosePixelFormatARB");
  const int wanted[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
                        WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB, WGL_COLOR_BITS_ARB, 24, WGL_RED_BITS_ARB, 8,
                        WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 24,
                        WGL_STENCIL_BITS_ARB, 8, WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, 1, 0};
  int format = 0;
  UINT count = 0;
  BOOL chose = choose(dc, wanted, nullptr, 1, &format, &count);
  conf_line(conf_format("returned %d", chose));
  conf_yes_no("found a format", count >= 1 && format > 0);
  if (chose != 1 || count < 1 || format <= 0) return;

  conf_scenario("wglGetPixelFormatAttribivARB");
  const int names[] = {WGL_DRAW_TO_WINDOW_ARB, WGL_SUPPORT_OPENGL_ARB, WGL_DOUBLE_BUFFER_ARB, WGL_PIXEL_TYPE_ARB,
                       WGL_COLOR_BITS_ARB,     WGL_RED_BITS_ARB,       WGL_GREEN_BITS_ARB,    WGL_BLUE_BITS_ARB,
                       WGL_ALPHA_BITS_ARB,     WGL_DEPTH_BITS_ARB,     WGL_STENCIL_BITS_ARB,
                       WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB};
  int values[12] = {};
  conf_line(conf_format("returned %d", attribs(dc, format, 0, 12, names, values)));
  conf_yes_no("draw to window, OpenGL, double buffer", values[0] && values[1] && values[2]);
  conf_yes_no("RGBA", values[3] == WGL_TYPE_RGBA_ARB);
  conf_yes_no("colour >= 24, red/green/blue/alpha >= 8",
              values[4] >= 24 && values[5] >= 8 && values[6] >= 8 && values[7] >= 8 && values[8] >= 8);
  conf_yes_no("depth >= 24, stencil >= 8", values[9] >= 24 && values[10] >= 8);
  conf_yes_no("sRGB capable", values[11] != 0);
  const int number_name = WGL_NUMBER_PIXEL_FORMATS_ARB;
  int number = 0;
  attribs(dc, 0, 0, 1, &number_name, &number);
  conf_yes_no("WGL_NUMBER_PIXEL_FORMATS_ARB covers the format", number >= format);
  int beyond = 0;
  conf_line(conf_format("a format beyond the count returned %d", attribs(dc, number + 1, 0, 1, names, &beyond)));

  conf_scenario("strict-srgb-window");
  PIXELFORMATDESCRIPTOR pfd{};
  conf_yes_no("DescribePixelFormat of the format", DescribePixelFormat(dc, format, sizeof pfd, &pfd) > 0);
  conf_line(conf_format("SetPixelFormat returned %d", SetPixelFormat(dc, format, &pfd)));
  conf_yes_no("GetPixelFormat is the format set", GetPixelFormat(dc) == format);
  HGLRC context = wglCreateContext(dc);
  conf_yes_no("wglCreateContext returns a context", context != nullptr);
  if (!context) return;
  conf_line(conf_format("wglMakeCurrent returned %d", wglMakeCurrent(dc, context)));
  glEnable(GL_FRAMEBUFFER_SRGB);
  conf_yes_no("GL_FRAMEBUFFER_SRGB enabled", glIsEnabled(GL_FRAMEBUFFER_SRGB) == GL_TRUE);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  conf_yes_no("glGenTextures names a texture", texture != 0);
  glBindTexture(GL_TEXTURE_2D, texture);
  const unsigned char texel[4] = {128, 128, 128, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GLint internal_format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal_format);
  conf_yes_no("the texture reads back as GL_SRGB8_ALPHA8", internal_format == GL_SRGB8_ALPHA8);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &texture);
  conf_line(conf_format("wglMakeCurrent(NULL, NULL) returned %d", wglMakeCurrent(nullptr, nullptr)));
  conf_yes_no("no current context", wglGetCurrentContext() == nullptr);
  conf_line(conf_format("wglDeleteContext returned %d", wglDeleteContext(context)));
}

}  // namespace

void run_pixel_format_scenarios() {
  conf_register_class();
  conf_window_settings().print_messages = false;
  HWND probe = conf_create_window("probe", WS_POPUP, 0, 0, 0, 1, 1);
  HWND window = conf_create_window("gl", WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW, 100, 100, 200, 150);
  conf_scenario("pixelformat-windows");
  conf_yes_no("both windows created", probe && window);
  if (!probe || !window) return;
  HDC probe_dc = GetDC(probe);
  HDC dc = GetDC(window);
  conf_yes_no("GetDC of both", probe_dc && dc);
  conf_yes_no("CS_OWNDC gives the same DC again", GetDC(window) == dc);
  PFNWGLCHOOSEPIXELFORMATARBPROC choose = nullptr;
  PFNWGLGETPIXELFORMATATTRIBIVARBPROC attribs = nullptr;
  HGLRC probe_context = nullptr;
  if (probe_dc && dc && legacy_and_probe(probe_dc, choose, attribs, probe_context)) strict_srgb(dc, choose, attribs);
  conf_scenario("pixelformat-cleanup");
  wglMakeCurrent(nullptr, nullptr);
  if (probe_context) conf_line(conf_format("wglDeleteContext of the probe's returned %d", wglDeleteContext(probe_context)));
  if (probe_dc) ReleaseDC(probe, probe_dc);
  if (dc) ReleaseDC(window, dc);
  DestroyWindow(probe);
  DestroyWindow(window);
  conf_settle();
  conf_window_settings().print_messages = true;
}
