#pragma once
// Monitors through XRandR (1.5 monitors, else the whole screen), and the
// desktop's DPI from the X resources.
#include <string_view>
#include <vector>

typedef struct _XDisplay Display;

struct monitor_area {
  unsigned long name = 0;  // RandR monitor name atom, 0 for the whole-screen fallback
  int x = 0, y = 0, width = 0, height = 0;
  bool primary = false;
};

std::vector<monitor_area> query_monitors(Display* display, int screen);

// Index of the monitor a rectangle overlaps most, else of the nearest one;
// -1 for an empty list.
int monitor_for_rect(const std::vector<monitor_area>& monitors, int x, int y, int width, int height);

// The Xft.dpi of an X resource database text, rounded; 0 when it is not set
// or not a sensible value.
unsigned dpi_of_resources(std::string_view resources);
