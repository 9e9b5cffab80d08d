#include "platform/x11/uri_list.h"

#include <cctype>

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// The path of one "file:" URI, or empty when it does not name a local file.
std::string file_path_of_uri(std::string_view uri) {
  if (!starts_with_nocase(uri, "file:")) return {};
  std::string_view rest = uri.substr(5);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") return {};
    rest.remove_prefix(slash);
  }
  if (rest.empty() || rest[0] != '/') return {};
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string path;
  path.reserve(rest.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    // A '%' without two hexadecimal digits stays as written.
    if (rest[i] == '%' && i + 2 < rest.size()) {
      const int high = hex_value(rest[i + 1]), low = hex_value(rest[i + 2]);
      if (high >= 0 && low >= 0) {
        path.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    path.push_back(rest[i]);
  }
  if (path.find('\0') != std::string::npos) return {};
  return path;
}

}  // namespace

std::vector<std::string> file_paths_of_uri_list(std::string_view list) {
  std::vector<std::string> paths;
  while (!list.empty()) {
    const size_t end = list.find_first_of("\r\n");
    std::string_view line = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line[0] == '#') continue;
    std::string path = file_path_of_uri(line);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}
