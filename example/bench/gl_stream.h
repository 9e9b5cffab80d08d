#pragma once
// The OpenGL calls of a frame, captured from the runtime as it draws and
// replayed on their own. Capture works by link-time wrapping of the GL entry
// points the runtime calls (see this folder's CMakeLists.txt).

#include <GL/glx.h>

#include <cstdint>
#include <string>
#include <vector>

enum class gl_call_kind : uint8_t {
    viewport, matrix_mode, load_identity, ortho, enable, disable, color_mask, stencil_mask, stencil_func,
    stencil_op, blend_func, clear_stencil, clear_color, clear, flush, scissor, color4f, color4ub, begin, end,
    vertex2f, raster_pos2f, list_base, call_lists, swap_buffers,
};

struct gl_call {
    gl_call_kind kind;
    uint32_t u[4];
    float f[4];
};

struct gl_stream {
    std::vector<gl_call> calls;
    std::vector<std::string> list_texts;  // glCallLists' bytes, indexed by u[0]
    double ortho[6] = {};
};

// Records every wrapped call into `stream` until stop_gl_capture().
void start_gl_capture(gl_stream& stream);
void stop_gl_capture();

// Issues the stream's calls on the current context; buffer swaps go to `drawable`.
void replay_gl_stream(const gl_stream& stream, Display* display, GLXDrawable drawable);
