#include "round_trips.h"

#include <X11/Xlib.h>

namespace {
round_trip_counts counts;
}  // namespace

round_trip_counts counted_round_trips() { return counts; }

extern "C" {
int __real_XGetInputFocus(Display*, Window*, int*);
Bool __real_XQueryPointer(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned int*);
int __real_XQueryKeymap(Display*, char[32]);
int __real_XGetWindowProperty(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                              unsigned long*, unsigned char**);
Status __real_XGetWindowAttributes(Display*, Window, XWindowAttributes*);
Bool __real_XTranslateCoordinates(Display*, Window, Window, int, int, int*, int*, Window*);
Status __real_XGetGeometry(Display*, Drawable, Window*, int*, int*, unsigned int*, unsigned int*, unsigned int*,
                           unsigned int*);
int __real_XSync(Display*, Bool);

int __wrap_XGetInputFocus(Display* display, Window* focus, int* revert) {
    ++counts.input;
    return __real_XGetInputFocus(display, focus, revert);
}
Bool __wrap_XQueryPointer(Display* display, Window window, Window* root, Window* child, int* root_x, int* root_y,
                          int* x, int* y, unsigned int* mask) {
    ++counts.input;
    return __real_XQueryPointer(display, window, root, child, root_x, root_y, x, y, mask);
}
int __wrap_XQueryKeymap(Display* display, char keys[32]) {
    ++counts.input;
    return __real_XQueryKeymap(display, keys);
}
int __wrap_XGetWindowProperty(Display* display, Window window, Atom property, long offset, long length, Bool remove,
                              Atom type, Atom* actual_type, int* format, unsigned long* items, unsigned long* after,
                              unsigned char** data) {
    ++counts.other;
    return __real_XGetWindowProperty(display, window, property, offset, length, remove, type, actual_type, format,
                                     items, after, data);
}
Status __wrap_XGetWindowAttributes(Display* display, Window window, XWindowAttributes* attributes) {
    ++counts.other;
    return __real_XGetWindowAttributes(display, window, attributes);
}
Bool __wrap_XTranslateCoordinates(Display* display, Window from, Window to, int x, int y, int* to_x, int* to_y,
                                  Window* child) {
    ++counts.other;
    return __real_XTranslateCoordinates(display, from, to, x, y, to_x, to_y, child);
}
Status __wrap_XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y, unsigned int* width,
                           unsigned int* height, unsigned int* border, unsigned int* depth) {
    ++counts.other;
    return __real_XGetGeometry(display, drawable, root, x, y, width, height, border, depth);
}
int __wrap_XSync(Display* display, Bool discard) {
    ++counts.other;
    return __real_XSync(display, discard);
}
}
