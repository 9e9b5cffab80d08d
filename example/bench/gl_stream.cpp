#include "gl_stream.h"

namespace {

gl_stream* capturing = nullptr;

void record(gl_call_kind kind, uint32_t u0 = 0, uint32_t u1 = 0, uint32_t u2 = 0, uint32_t u3 = 0, float f0 = 0,
            float f1 = 0, float f2 = 0, float f3 = 0) {
    if (capturing) capturing->calls.push_back({kind, {u0, u1, u2, u3}, {f0, f1, f2, f3}});
}

}  // namespace

void start_gl_capture(gl_stream& stream) { capturing = &stream; }
void stop_gl_capture() { capturing = nullptr; }

// The real entry points (--wrap=NAME makes __real_NAME the library's NAME) and
// the wrappers that the runtime's references now reach.
extern "C" {
void __real_glViewport(GLint, GLint, GLsizei, GLsizei);
void __real_glMatrixMode(GLenum);
void __real_glLoadIdentity();
void __real_glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
void __real_glEnable(GLenum);
void __real_glDisable(GLenum);
void __real_glColorMask(GLboolean, GLboolean, GLboolean, GLboolean);
void __real_glStencilMask(GLuint);
void __real_glStencilFunc(GLenum, GLint, GLuint);
void __real_glStencilOp(GLenum, GLenum, GLenum);
void __real_glBlendFunc(GLenum, GLenum);
void __real_glClearStencil(GLint);
void __real_glClearColor(GLclampf, GLclampf, GLclampf, GLclampf);
void __real_glClear(GLbitfield);
void __real_glFlush();
void __real_glScissor(GLint, GLint, GLsizei, GLsizei);
void __real_glColor4f(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glColor4ub(GLubyte, GLubyte, GLubyte, GLubyte);
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glVertex2f(GLfloat, GLfloat);
void __real_glRasterPos2f(GLfloat, GLfloat);
void __real_glListBase(GLuint);
void __real_glCallLists(GLsizei, GLenum, const GLvoid*);
void __real_glXSwapBuffers(Display*, GLXDrawable);

void __wrap_glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    record(gl_call_kind::viewport, static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(w),
           static_cast<uint32_t>(h));
    __real_glViewport(x, y, w, h);
}
void __wrap_glMatrixMode(GLenum mode) {
    record(gl_call_kind::matrix_mode, mode);
    __real_glMatrixMode(mode);
}
void __wrap_glLoadIdentity() {
    record(gl_call_kind::load_identity);
    __real_glLoadIdentity();
}
void __wrap_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (capturing) {
        const double values[6] = {l, r, b, t, n, f};
        for (int i = 0; i < 6; ++i) capturing->ortho[i] = values[i];
    }
    record(gl_call_kind::ortho);
    __real_glOrtho(l, r, b, t, n, f);
}
void __wrap_glEnable(GLenum cap) {
    record(gl_call_kind::enable, cap);
    __real_glEnable(cap);
}
void __wrap_glDisable(GLenum cap) {
    record(gl_call_kind::disable, cap);
    __real_glDisable(cap);
}
void __wrap_glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    record(gl_call_kind::color_mask, r, g, b, a);
    __real_glColorMask(r, g, b, a);
}
void __wrap_glStencilMask(GLuint mask) {
    record(gl_call_kind::stencil_mask, mask);
    __real_glStencilMask(mask);
}
void __wrap_glStencilFunc(GLenum func, GLint ref, GLuint mask) {
    record(gl_call_kind::stencil_func, func, static_cast<uint32_t>(ref), mask);
    __real_glStencilFunc(func, ref, mask);
}
void __wrap_glStencilOp(GLenum fail, GLenum zfail, GLenum zpass) {
    record(gl_call_kind::stencil_op, fail, zfail, zpass);
    __real_glStencilOp(fail, zfail, zpass);
}
void __wrap_glBlendFunc(GLenum s, GLenum d) {
    record(gl_call_kind::blend_func, s, d);
    __real_glBlendFunc(s, d);
}
void __wrap_glClearStencil(GLint s) {
    record(gl_call_kind::clear_stencil, static_cast<uint32_t>(s));
    __real_glClearStencil(s);
}
void __wrap_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record(gl_call_kind::clear_color, 0, 0, 0, 0, r, g, b, a);
    __real_glClearColor(r, g, b, a);
}
void __wrap_glClear(GLbitfield mask) {
    record(gl_call_kind::clear, mask);
    __real_glClear(mask);
}
void __wrap_glFlush() {
    record(gl_call_kind::flush);
    __real_glFlush();
}
void __wrap_glScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    record(gl_call_kind::scissor, static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(w),
           static_cast<uint32_t>(h));
    __real_glScissor(x, y, w, h);
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    record(gl_call_kind::color4f, 0, 0, 0, 0, r, g, b, a);
    __real_glColor4f(r, g, b, a);
}
void __wrap_glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    record(gl_call_kind::color4ub, r, g, b, a);
    __real_glColor4ub(r, g, b, a);
}
void __wrap_glBegin(GLenum mode) {
    record(gl_call_kind::begin, mode);
    __real_glBegin(mode);
}
void __wrap_glEnd() {
    record(gl_call_kind::end);
    __real_glEnd();
}
void __wrap_glVertex2f(GLfloat x, GLfloat y) {
    record(gl_call_kind::vertex2f, 0, 0, 0, 0, x, y);
    __real_glVertex2f(x, y);
}
void __wrap_glRasterPos2f(GLfloat x, GLfloat y) {
    record(gl_call_kind::raster_pos2f, 0, 0, 0, 0, x, y);
    __real_glRasterPos2f(x, y);
}
void __wrap_glListBase(GLuint base) {
    record(gl_call_kind::list_base, base);
    __real_glListBase(base);
}
void __wrap_glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
    if (capturing && type == GL_UNSIGNED_BYTE && n > 0) {
        capturing->list_texts.emplace_back(static_cast<const char*>(lists), static_cast<std::size_t>(n));
        record(gl_call_kind::call_lists, static_cast<uint32_t>(capturing->list_texts.size() - 1));
    }
    __real_glCallLists(n, type, lists);
}
void __wrap_glXSwapBuffers(Display* display, GLXDrawable drawable) {
    record(gl_call_kind::swap_buffers);
    __real_glXSwapBuffers(display, drawable);
}
}

void replay_gl_stream(const gl_stream& stream, Display* display, GLXDrawable drawable) {
    for (const gl_call& c : stream.calls) {
        switch (c.kind) {
        case gl_call_kind::viewport:
            __real_glViewport(static_cast<GLint>(c.u[0]), static_cast<GLint>(c.u[1]), static_cast<GLsizei>(c.u[2]),
                              static_cast<GLsizei>(c.u[3]));
            break;
        case gl_call_kind::matrix_mode: __real_glMatrixMode(c.u[0]); break;
        case gl_call_kind::load_identity: __real_glLoadIdentity(); break;
        case gl_call_kind::ortho:
            __real_glOrtho(stream.ortho[0], stream.ortho[1], stream.ortho[2], stream.ortho[3], stream.ortho[4],
                           stream.ortho[5]);
            break;
        case gl_call_kind::enable: __real_glEnable(c.u[0]); break;
        case gl_call_kind::disable: __real_glDisable(c.u[0]); break;
        case gl_call_kind::color_mask:
            __real_glColorMask(static_cast<GLboolean>(c.u[0]), static_cast<GLboolean>(c.u[1]),
                               static_cast<GLboolean>(c.u[2]), static_cast<GLboolean>(c.u[3]));
            break;
        case gl_call_kind::stencil_mask: __real_glStencilMask(c.u[0]); break;
        case gl_call_kind::stencil_func: __real_glStencilFunc(c.u[0], static_cast<GLint>(c.u[1]), c.u[2]); break;
        case gl_call_kind::stencil_op: __real_glStencilOp(c.u[0], c.u[1], c.u[2]); break;
        case gl_call_kind::blend_func: __real_glBlendFunc(c.u[0], c.u[1]); break;
        case gl_call_kind::clear_stencil: __real_glClearStencil(static_cast<GLint>(c.u[0])); break;
        case gl_call_kind::clear_color: __real_glClearColor(c.f[0], c.f[1], c.f[2], c.f[3]); break;
        case gl_call_kind::clear: __real_glClear(c.u[0]); break;
        case gl_call_kind::flush: __real_glFlush(); break;
        case gl_call_kind::scissor:
            __real_glScissor(static_cast<GLint>(c.u[0]), static_cast<GLint>(c.u[1]), static_cast<GLsizei>(c.u[2]),
                             static_cast<GLsizei>(c.u[3]));
            break;
        case gl_call_kind::color4f: __real_glColor4f(c.f[0], c.f[1], c.f[2], c.f[3]); break;
        case gl_call_kind::color4ub:
            __real_glColor4ub(static_cast<GLubyte>(c.u[0]), static_cast<GLubyte>(c.u[1]),
                              static_cast<GLubyte>(c.u[2]), static_cast<GLubyte>(c.u[3]));
            break;
        case gl_call_kind::begin: __real_glBegin(c.u[0]); break;
        case gl_call_kind::end: __real_glEnd(); break;
        case gl_call_kind::vertex2f: __real_glVertex2f(c.f[0], c.f[1]); break;
        case gl_call_kind::raster_pos2f: __real_glRasterPos2f(c.f[0], c.f[1]); break;
        case gl_call_kind::list_base: __real_glListBase(c.u[0]); break;
        case gl_call_kind::call_lists: {
            const std::string& bytes = stream.list_texts[c.u[0]];
            __real_glCallLists(static_cast<GLsizei>(bytes.size()), GL_UNSIGNED_BYTE, bytes.data());
            break;
        }
        case gl_call_kind::swap_buffers: __real_glXSwapBuffers(display, drawable); break;
        }
    }
}
