#include "runtime/text.h"

#include <cstddef>

namespace {

bool is_decimal_digits(const std::string& text, std::size_t begin, std::size_t end)
{
    if (begin == end) {
        return false;
    }
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string format_placeholders(const std::string& pattern, const std::vector<std::string>& args)
{
    std::string result;
    result.reserve(pattern.size());
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '{') {
            result.push_back(pattern[i]);
            ++i;
            continue;
        }
        const std::size_t close = pattern.find('}', i + 1);
        if (close == std::string::npos || !is_decimal_digits(pattern, i + 1, close)) {
            // Only the brace is copied; the scan resumes inside the would-be key.
            result.push_back('{');
            ++i;
            continue;
        }
        const unsigned long long index = std::stoull(pattern.substr(i + 1, close - i - 1));
        if (index < args.size()) {
            result += args[static_cast<std::size_t>(index)];
        } else {
            result.append(pattern, i, close - i + 1);
        }
        i = close + 1;
    }
    return result;
}

std::string bool_text(bool flag)
{
    return flag ? "true" : "false";
}

bool text_starts_with(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool is_hex_text(const std::string& text)
{
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'F';
        const bool lower = c >= 'a' && c <= 'f';
        if (!digit && !upper && !lower) {
            return false;
        }
    }
    return true;
}
