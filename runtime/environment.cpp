#include "runtime/environment.h"

#include "platform/kernel.h"

#include <cstddef>
#include <string>
#include <vector>

namespace {

// The longest value a Windows environment variable holds, in UTF-16 units with
// its terminator, and the most UTF-8 bytes such a text can take.
constexpr int max_wide_units = 32768;
constexpr std::size_t max_utf8_bytes = 131068;

} // namespace

std::string environment_text(const std::string& name)
{
    if (name.empty() || name.size() > max_utf8_bytes || name.find('\0') != std::string::npos) {
        return {};
    }

    // The name with its terminator (the count -1 makes the conversion include it).
    const int name_units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.c_str(), -1, nullptr, 0);
    if (name_units < 1 || name_units > max_wide_units) {
        return {};
    }
    std::vector<WCHAR> wide_name(static_cast<std::size_t>(name_units));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.c_str(), -1, wide_name.data(), name_units) !=
        name_units) {
        return {};
    }

    const DWORD value_size = GetEnvironmentVariableW(wide_name.data(), nullptr, 0);
    if (value_size < 1 || value_size > static_cast<DWORD>(max_wide_units)) {
        return {};
    }
    std::vector<WCHAR> wide_value(value_size);
    const DWORD value_length = GetEnvironmentVariableW(wide_name.data(), wide_value.data(), value_size);
    // Exactly one unit short of the buffer: a value that changed between the two
    // calls answers another length (or, grown, the larger size it now needs).
    if (value_length == 0 || value_length >= value_size || value_length != value_size - 1) {
        return {};
    }

    const int length = static_cast<int>(value_length);
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide_value.data(), length, nullptr, 0,
                                          nullptr, nullptr);
    if (bytes < 1 || static_cast<std::size_t>(bytes) > max_utf8_bytes) {
        return {};
    }
    std::string value(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide_value.data(), length, value.data(), bytes,
                            nullptr, nullptr) != bytes) {
        return {};
    }
    return value;
}
