#pragma once
// text/uri-list as XDND sources send it: the local file paths it names.
#include <string>
#include <string_view>
#include <vector>

// The percent-decoded paths of the "file:" URIs in a uri list, in order.
// Comments, blank lines, URIs of other schemes or hosts, and URIs whose
// decoded path is empty, not absolute or holds a NUL byte are skipped.
std::vector<std::string> file_paths_of_uri_list(std::string_view list);
