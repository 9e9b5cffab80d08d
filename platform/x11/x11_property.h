#pragma once
// Reading window properties without handling Xlib's buffers at each use.
#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef unsigned long Window;
typedef unsigned long Atom;

struct x11_property {
  int format = 0;                    // 8, 16 or 32; 0 when missing
  std::string bytes;                 // format 8
  std::vector<unsigned long> items;  // format 32 (longs, as Xlib hands them out)
};

// Reads up to max_items of a property of the given type (AnyPropertyType: any);
// false when the property is missing or the request failed.
bool read_property(Display* display, Window window, Atom property, Atom type, long max_items,
                   x11_property* value, bool remove = false);
// The one window or atom a 32-bit property holds, 0 for none.
unsigned long read_property_item(Display* display, Window window, Atom property, Atom type);
