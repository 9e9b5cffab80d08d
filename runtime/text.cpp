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
    // Payload texts run to megabytes: test whole blocks without a branch per
    // byte so the compiler can vectorise, then the tail byte by byte.
    const auto bad = [](unsigned char c) -> unsigned {
        const unsigned char digit = static_cast<unsigned char>(c - '0');
        const unsigned char letter = static_cast<unsigned char>((c | 0x20) - 'a');
        return static_cast<unsigned>(digit > 9) & static_cast<unsigned>(letter > 5);
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    constexpr std::size_t block = 64;
    std::size_t i = 0;
    for (; i + block <= size; i += block) {
        unsigned any_bad = 0;
        for (std::size_t j = 0; j < block; ++j) {
            any_bad |= bad(bytes[i + j]);
        }
        if (any_bad != 0) {
            return false;
        }
    }
    for (; i < size; ++i) {
        if (bad(bytes[i]) != 0) {
            return false;
        }
    }
    return true;
}
