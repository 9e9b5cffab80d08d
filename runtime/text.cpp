#include "runtime/text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

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

namespace {

constexpr std::uint64_t every_byte(std::uint8_t value)
{
    return 0x0101010101010101u * value;
}

// For eight bytes below 0x80: bit 7 of each byte set when it lies in lo..hi.
constexpr std::uint64_t bytes_within(std::uint64_t word, std::uint8_t lo, std::uint8_t hi)
{
    const std::uint64_t at_least_lo = word + every_byte(static_cast<std::uint8_t>(0x80 - lo));
    const std::uint64_t above_hi = word + every_byte(static_cast<std::uint8_t>(0x7f - hi));
    return at_least_lo & ~above_hi & every_byte(0x80);
}

bool is_hex_byte(unsigned char c)
{
    const unsigned char digit = static_cast<unsigned char>(c - '0');
    const unsigned char letter = static_cast<unsigned char>((c | 0x20) - 'a');
    return digit <= 9 || letter <= 5;
}

}  // namespace

bool is_hex_text(const std::string& text)
{
    // Payload texts run to megabytes: eight bytes at a time, tested for a whole
    // block before a branch, then the tail byte by byte.
    const char* bytes = text.data();
    const std::size_t size = text.size();
    constexpr std::size_t block = 64;
    std::size_t i = 0;
    for (; i + block <= size; i += block) {
        std::uint64_t high = 0;
        std::uint64_t all_hex = every_byte(0x80);
        for (std::size_t j = 0; j < block; j += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i + j, sizeof word);
            high |= word;
            const std::uint64_t low7 = word & every_byte(0x7f);
            all_hex &= bytes_within(low7, '0', '9') | bytes_within(low7 | every_byte(0x20), 'a', 'f');
        }
        if ((high & every_byte(0x80)) != 0 || all_hex != every_byte(0x80)) {
            return false;
        }
    }
    for (; i < size; ++i) {
        if (!is_hex_byte(static_cast<unsigned char>(bytes[i]))) {
            return false;
        }
    }
    return true;
}
