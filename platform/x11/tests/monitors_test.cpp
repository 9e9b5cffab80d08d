#include "platform/x11/monitors.h"

#include <gtest/gtest.h>

TEST(monitors, a_rectangle_belongs_to_the_monitor_it_overlaps_most_else_the_nearest) {
  const std::vector<monitor_area> side_by_side = {{1, 0, 0, 1920, 1080, true}, {2, 1920, 0, 1280, 1024, false}};
  const struct { int x, y, width, height, expected; const char* what; } cases[] = {
      {100, 100, 800, 600, 0, "inside the first"},
      {2000, 100, 800, 600, 1, "inside the second"},
      {1700, 100, 800, 600, 1, "mostly on the second"},
      {1500, 100, 500, 600, 0, "mostly on the first"},
      {-900, 100, 800, 600, 0, "left of everything: nearest"},
      {3500, 2000, 100, 100, 1, "beyond the second: nearest"},
      {100, 100, 0, 0, 0, "an empty rectangle by distance"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(monitor_for_rect(side_by_side, c.x, c.y, c.width, c.height), c.expected) << c.what;
  EXPECT_EQ(monitor_for_rect({}, 0, 0, 10, 10), -1);
}

TEST(monitors, dpi_comes_from_xft_dpi_in_the_resources) {
  const struct { const char* resources; unsigned dpi; } cases[] = {
      {"Xft.dpi:\t144\n", 144},
      {"Xcursor.size:\t24\nXft.dpi:\t120.4\nXft.hinting:\t1\n", 120},
      {"Xft.dpi: 96", 96},
      {"Xft.dpi:\tlarge\n", 0},
      {"Xft.dpi:\t0\n", 0},
      {"Xft.antialias:\t1\n", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(dpi_of_resources(c.resources), c.dpi) << c.resources;
}
