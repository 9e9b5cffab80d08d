#include "platform/x11/x11_property.h"

#include <X11/Xlib.h>

bool read_property(Display* display, Window window, Atom property, Atom type, long max_items,
                   x11_property* value, bool remove) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  *value = x11_property{};
  if (XGetWindowProperty(display, window, property, 0, max_items, remove ? True : False, type, &actual, &format, &count,
                         &remaining, &data) != Success)
    return false;
  if (!data) return false;
  value->format = format;
  if (format == 8) value->bytes.assign(reinterpret_cast<const char*>(data), count);
  if (format == 32) value->items.assign(reinterpret_cast<const unsigned long*>(data),
                                        reinterpret_cast<const unsigned long*>(data) + count);
  XFree(data);
  return format != 0;
}

unsigned long read_property_item(Display* display, Window window, Atom property, Atom type) {
  x11_property value;
  if (!read_property(display, window, property, type, 1, &value) || value.items.size() != 1) return 0;
  return value.items[0];
}
