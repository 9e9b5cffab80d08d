#pragma once
// Placeholder formatter and the small text tests shared by every subsystem.
// Texts are byte strings holding UTF-8.

#include <string>
#include <vector>

// Copies `pattern`, replacing each "{N}" whose N is below args.size() by args[N].
// Anything else in braces is copied as written; inserted text is not rescanned.
// Throws std::out_of_range when N does not fit in 64 bits.
std::string format_placeholders(const std::string& pattern, const std::vector<std::string>& args);

// "true" or "false".
std::string bool_text(bool flag);

// True when `text` begins with `prefix` byte for byte; an empty prefix passes.
bool text_starts_with(const std::string& text, const std::string& prefix);

// True when every byte is 0-9, A-F or a-f; the empty text passes.
bool is_hex_text(const std::string& text);
