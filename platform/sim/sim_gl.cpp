// The sim's OpenGL entry points: each records its call and keeps the little
// state the window runtime reads back (capabilities, lists, textures).
#include <cstring>
#include <initializer_list>

#include "platform/core/core_state.h"
#include "platform/sim/sim_state.h"

namespace {

sim_gl_call& record(const char* name, std::initializer_list<double> args) {
  static sim_gl_call scratch;
  sim_desktop& d = sim();
  if (!d.recording) {
    scratch = sim_gl_call{};
    return scratch;
  }
  d.gl_calls.push_back(sim_gl_call{name, std::vector<double>(args), {}, {}, core().current_context});
  return d.gl_calls.back();
}

// Records the call; true when it is to have no effect (no context, or made to fail).
bool call(const char* name, std::initializer_list<double> args) {
  record(name, args);
  return !sim_current_gl() || platform_calls().fails(name);
}

std::uint32_t list_index(GLenum type, const GLvoid* lists, GLsizei i) {
  switch (type) {
    case GL_BYTE: return static_cast<std::uint32_t>(static_cast<const GLbyte*>(lists)[i]);
    case GL_UNSIGNED_BYTE: return static_cast<const GLubyte*>(lists)[i];
    case GL_SHORT: return static_cast<std::uint32_t>(static_cast<const GLshort*>(lists)[i]);
    case GL_UNSIGNED_SHORT: return static_cast<const GLushort*>(lists)[i];
    case GL_INT: return static_cast<std::uint32_t>(static_cast<const GLint*>(lists)[i]);
    case GL_UNSIGNED_INT: return static_cast<const GLuint*>(lists)[i];
    default: return 0;
  }
}

}  // namespace

extern "C" {

void GLAPIENTRY glBegin(GLenum mode) { call("glBegin", {double(mode)}); }
void GLAPIENTRY glEnd(void) { call("glEnd", {}); }
void GLAPIENTRY glVertex2f(GLfloat x, GLfloat y) { call("glVertex2f", {x, y}); }
void GLAPIENTRY glVertex2i(GLint x, GLint y) { call("glVertex2i", {double(x), double(y)}); }
void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) { call("glVertex3f", {x, y, z}); }
void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) { call("glColor3f", {r, g, b}); }
void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { call("glColor4f", {r, g, b, a}); }
void GLAPIENTRY glColor3ub(GLubyte r, GLubyte g, GLubyte b) { call("glColor3ub", {double(r), double(g), double(b)}); }
void GLAPIENTRY glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
  call("glColor4ub", {double(r), double(g), double(b), double(a)});
}
void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) { call("glTexCoord2f", {s, t}); }
void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) { call("glRasterPos2f", {x, y}); }
void GLAPIENTRY glRasterPos2i(GLint x, GLint y) { call("glRasterPos2i", {double(x), double(y)}); }
void GLAPIENTRY glBitmap(GLsizei w, GLsizei h, GLfloat xo, GLfloat yo, GLfloat xm, GLfloat ym, const GLubyte*) {
  call("glBitmap", {double(w), double(h), xo, yo, xm, ym});
}

void GLAPIENTRY glListBase(GLuint base) {
  if (call("glListBase", {double(base)})) return;
  sim_current_gl()->list_base = base;
}

void GLAPIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  sim_gl_call& c = record("glCallLists", {double(n), double(type)});
  sim_gl_context* gl = sim_current_gl();
  std::uint32_t base = gl ? gl->list_base : 0;
  for (GLsizei i = 0; lists && i < n; ++i) {
    std::uint32_t index = list_index(type, lists, i);
    c.lists.push_back(base + index);  // unsigned: wraps modulo 2^32
    c.bytes += static_cast<char>(index & 0xFF);
  }
}

void GLAPIENTRY glCallList(GLuint list) { call("glCallList", {double(list)}); }

GLuint GLAPIENTRY glGenLists(GLsizei range) {
  if (call("glGenLists", {double(range)}) || range <= 0) return 0;
  sim_gl_context* gl = sim_current_gl();
  GLuint base = gl->next_list;
  gl->next_list += static_cast<GLuint>(range);
  return base;
}

void GLAPIENTRY glDeleteLists(GLuint list, GLsizei range) {
  if (call("glDeleteLists", {double(list), double(range)})) return;
  sim_current_gl()->font_lists.erase(list);
}

void GLAPIENTRY glNewList(GLuint list, GLenum mode) { call("glNewList", {double(list), double(mode)}); }
void GLAPIENTRY glEndList(void) { call("glEndList", {}); }
GLboolean GLAPIENTRY glIsList(GLuint list) {
  if (call("glIsList", {double(list)})) return GL_FALSE;
  return list && list < sim_current_gl()->next_list ? GL_TRUE : GL_FALSE;
}

void GLAPIENTRY glEnable(GLenum cap) {
  if (call("glEnable", {double(cap)})) return;
  if (cap == GL_FRAMEBUFFER_SRGB && !sim().srgb_works) return;
  sim_current_gl()->enabled.insert(cap);
}

void GLAPIENTRY glDisable(GLenum cap) {
  if (call("glDisable", {double(cap)})) return;
  sim_current_gl()->enabled.erase(cap);
}

GLboolean GLAPIENTRY glIsEnabled(GLenum cap) {
  if (call("glIsEnabled", {double(cap)})) return GL_FALSE;
  return sim_current_gl()->enabled.count(cap) ? GL_TRUE : GL_FALSE;
}

GLenum GLAPIENTRY glGetError(void) {
  call("glGetError", {});
  return GL_NO_ERROR;
}

void GLAPIENTRY glGetIntegerv(GLenum pname, GLint* params) {
  if (call("glGetIntegerv", {double(pname)}) || !params) return;
  *params = 0;
}

void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params) {
  if (call("glGetFloatv", {double(pname)}) || !params) return;
  *params = 0;
}

const GLubyte* GLAPIENTRY glGetString(GLenum name) {
  if (call("glGetString", {double(name)})) return nullptr;
  static const GLubyte text[] = "quon sim";
  return text;
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  call("glViewport", {double(x), double(y), double(w), double(h)});
}
void GLAPIENTRY glMatrixMode(GLenum mode) { call("glMatrixMode", {double(mode)}); }
void GLAPIENTRY glLoadIdentity(void) { call("glLoadIdentity", {}); }
void GLAPIENTRY glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  call("glOrtho", {l, r, b, t, n, f});
}
void GLAPIENTRY glPushMatrix(void) { call("glPushMatrix", {}); }
void GLAPIENTRY glPopMatrix(void) { call("glPopMatrix", {}); }
void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) { call("glTranslatef", {x, y, z}); }
void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) { call("glScalef", {x, y, z}); }
void GLAPIENTRY glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
  call("glColorMask", {double(r), double(g), double(b), double(a)});
}
void GLAPIENTRY glStencilMask(GLuint mask) { call("glStencilMask", {double(mask)}); }
void GLAPIENTRY glStencilFunc(GLenum func, GLint ref, GLuint mask) {
  call("glStencilFunc", {double(func), double(ref), double(mask)});
}
void GLAPIENTRY glStencilOp(GLenum fail, GLenum zfail, GLenum zpass) {
  call("glStencilOp", {double(fail), double(zfail), double(zpass)});
}
void GLAPIENTRY glDepthMask(GLboolean flag) { call("glDepthMask", {double(flag)}); }
void GLAPIENTRY glDepthFunc(GLenum func) { call("glDepthFunc", {double(func)}); }
void GLAPIENTRY glBlendFunc(GLenum s, GLenum d) { call("glBlendFunc", {double(s), double(d)}); }
void GLAPIENTRY glClearStencil(GLint s) { call("glClearStencil", {double(s)}); }
void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { call("glClearColor", {r, g, b, a}); }
void GLAPIENTRY glClearDepth(GLclampd depth) { call("glClearDepth", {depth}); }
void GLAPIENTRY glClear(GLbitfield mask) { call("glClear", {double(mask)}); }
void GLAPIENTRY glFlush(void) { call("glFlush", {}); }
void GLAPIENTRY glFinish(void) { call("glFinish", {}); }
void GLAPIENTRY glScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
  call("glScissor", {double(x), double(y), double(w), double(h)});
}
void GLAPIENTRY glLineWidth(GLfloat width) { call("glLineWidth", {width}); }
void GLAPIENTRY glPointSize(GLfloat size) { call("glPointSize", {size}); }
void GLAPIENTRY glShadeModel(GLenum mode) { call("glShadeModel", {double(mode)}); }
void GLAPIENTRY glHint(GLenum target, GLenum mode) { call("glHint", {double(target), double(mode)}); }
void GLAPIENTRY glPixelStorei(GLenum pname, GLint param) { call("glPixelStorei", {double(pname), double(param)}); }

void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures) {
  bool none = call("glGenTextures", {double(n)});
  for (GLsizei i = 0; textures && i < n; ++i) textures[i] = none ? 0 : sim_current_gl()->next_texture++;
}

void GLAPIENTRY glDeleteTextures(GLsizei n, const GLuint* textures) {
  if (call("glDeleteTextures", {double(n), n > 0 && textures ? double(textures[0]) : 0.0})) return;
  for (GLsizei i = 0; textures && i < n; ++i) sim_current_gl()->textures.erase(textures[i]);
}

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
  if (call("glBindTexture", {double(target), double(texture)})) return;
  sim_current_gl()->bound_texture = texture;
}

void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei w, GLsizei h, GLint border,
                             GLenum format, GLenum type, const GLvoid* pixels) {
  sim_gl_call& c = record("glTexImage2D", {double(target), double(level), double(internal_format), double(w),
                                            double(h), double(border), double(format), double(type)});
  if (pixels && w > 0 && h > 0 && type == GL_UNSIGNED_BYTE) c.bytes.assign(static_cast<const char*>(pixels), 4);
  sim_gl_context* gl = sim_current_gl();
  if (!gl || platform_calls().fails("glTexImage2D") || !gl->bound_texture) return;
  gl->textures[gl->bound_texture] = internal_format;
}

void GLAPIENTRY glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format,
                                GLenum type, const GLvoid*) {
  call("glTexSubImage2D",
       {double(target), double(level), double(x), double(y), double(w), double(h), double(format), double(type)});
}

void GLAPIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) {
  call("glTexParameteri", {double(target), double(pname), double(param)});
}

void GLAPIENTRY glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
  if (call("glGetTexLevelParameteriv", {double(target), double(level), double(pname)}) || !params) return;
  sim_desktop& d = sim();
  sim_gl_context* gl = sim_current_gl();
  if (pname != GL_TEXTURE_INTERNAL_FORMAT || level != 0) {
    *params = 0;
    return;
  }
  if (!d.texture_query_writes) return;
  auto texture = gl->textures.find(gl->bound_texture);
  GLint given = texture == gl->textures.end() ? 0 : texture->second;
  *params = d.texture_format ? d.texture_format : given;
}

void GLAPIENTRY glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* pixels) {
  if (call("glReadPixels", {double(x), double(y), double(w), double(h), double(format), double(type)}) || !pixels)
    return;
  if (w > 0 && h > 0 && format == GL_RGBA && type == GL_UNSIGNED_BYTE)
    std::memset(pixels, 0, static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
}

GLboolean GLAPIENTRY glIsTexture(GLuint texture) {
  if (call("glIsTexture", {double(texture)})) return GL_FALSE;
  return sim_current_gl()->textures.count(texture) ? GL_TRUE : GL_FALSE;
}

}  // extern "C"
