#include "platform/x11/uri_list.h"

#include <gtest/gtest.h>

TEST(uri_list, yields_decoded_local_paths) {
  const struct { const char* list; std::vector<std::string> paths; } cases[] = {
      {"file:///tmp/a.txt\r\n", {"/tmp/a.txt"}},
      {"file:///tmp/a.txt", {"/tmp/a.txt"}},
      {"file:///tmp/with%20space/%C3%A9t%C3%A9.png\r\n", {"/tmp/with space/\xC3\xA9t\xC3\xA9.png"}},
      {"file://localhost/srv/x\r\nfile:///srv/y\r\n", {"/srv/x", "/srv/y"}},
      {"# comment\r\n\r\nfile:///one\n", {"/one"}},
      {"FILE:///upper\r\n", {"/upper"}},
      {"file:/short/form\r\n", {"/short/form"}},
      {"file:///bad%zzescape%2\r\n", {"/bad%zzescape%2"}},
      {"file:///q?query#frag\r\n", {"/q"}},
      {"http://example.com/x\r\nfile://otherhost/x\r\n", {}},
      {"file:///nul%00byte\r\n", {}},
      {"file://\r\nfile:relative\r\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(file_paths_of_uri_list(c.list), c.paths) << c.list;
}
