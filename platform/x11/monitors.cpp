#include "platform/x11/monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <string>

std::vector<monitor_area> query_monitors(Display* display, int screen) {
  std::vector<monitor_area> found;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (XRRQueryExtension(display, &event_base, &error_base) && XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    if (XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen), True, &count)) {
      for (int i = 0; i < count; ++i)
        found.push_back({info[i].name, info[i].x, info[i].y, info[i].width, info[i].height, info[i].primary != 0});
      XRRFreeMonitors(info);
    }
  }
  if (found.empty())
    found.push_back({0, 0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen), true});
  return found;
}

int monitor_for_rect(const std::vector<monitor_area>& monitors, int x, int y, int width, int height) {
  int best = -1;
  long long best_overlap = 0, best_distance = 0;
  for (int i = 0; i < static_cast<int>(monitors.size()); ++i) {
    const monitor_area& m = monitors[i];
    const long long overlap_w = std::max(0LL, std::min<long long>(x + width, m.x + m.width) - std::max(x, m.x));
    const long long overlap_h = std::max(0LL, std::min<long long>(y + height, m.y + m.height) - std::max(y, m.y));
    const long long overlap = overlap_w * overlap_h;
    // Distance between the rectangles along each axis, 0 where they overlap.
    const long long dx = std::max({0LL, static_cast<long long>(m.x) - (x + width), static_cast<long long>(x) - (m.x + m.width)});
    const long long dy = std::max({0LL, static_cast<long long>(m.y) - (y + height), static_cast<long long>(y) - (m.y + m.height)});
    const long long distance = dx * dx + dy * dy;
    if (best < 0 || overlap > best_overlap || (overlap == 0 && best_overlap == 0 && distance < best_distance)) {
      best = i;
      best_overlap = overlap;
      best_distance = distance;
    }
  }
  return best;
}

unsigned dpi_of_resources(std::string_view resources) {
  while (!resources.empty()) {
    const size_t end = resources.find('\n');
    std::string_view line = resources.substr(0, end);
    resources.remove_prefix(end == std::string_view::npos ? resources.size() : end + 1);
    constexpr std::string_view name = "Xft.dpi:";
    if (line.substr(0, name.size()) != name) continue;
    const std::string value(line.substr(name.size()));
    char* rest = nullptr;
    const double dpi = std::strtod(value.c_str(), &rest);
    if (rest == value.c_str() || !(dpi >= 24 && dpi <= 2400)) return 0;
    return static_cast<unsigned>(dpi + 0.5);
  }
  return 0;
}
