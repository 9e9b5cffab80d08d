#include "platform/kernel.h"

#include "platform/core/kernel_test_hooks.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

void (*kernel_environment_read_hook)(LPCWSTR name) = nullptr;

namespace {

thread_local DWORD last_error = ERROR_SUCCESS;

constexpr char32_t replacement_character = 0xFFFD;

// Decodes UTF-8 into code points, passing each to `emit`. An ill-formed
// sequence fails when `strict`, else its maximal subpart (the lead byte and the
// continuation bytes that could still have completed it) becomes one U+FFFD.
// Overlong forms, encoded surrogates and anything above U+10FFFF are ill-formed.
template <typename Emit>
bool decode_utf8(const unsigned char* text, std::size_t size, bool strict, Emit&& emit)
{
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = text[i];
        if (lead < 0x80) {
            emit(static_cast<char32_t>(lead));
            ++i;
            continue;
        }
        int continuations = 0;
        char32_t code_point = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuations = 1;
            code_point = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuations = 2;
            code_point = lead & 0x0Fu;
            if (lead == 0xE0) {
                low = 0xA0; // below: overlong
            } else if (lead == 0xED) {
                high = 0x9F; // above: UTF-16 surrogates
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuations = 3;
            code_point = lead & 0x07u;
            if (lead == 0xF0) {
                low = 0x90; // below: overlong
            } else if (lead == 0xF4) {
                high = 0x8F; // above: beyond U+10FFFF
            }
        }
        std::size_t next = i + 1;
        bool well_formed = continuations > 0;
        for (int k = 0; k < continuations; ++k) {
            if (next >= size || text[next] < low || text[next] > high) {
                well_formed = false;
                break;
            }
            code_point = (code_point << 6) | (text[next] & 0x3Fu);
            low = 0x80;
            high = 0xBF;
            ++next;
        }
        if (!well_formed) {
            if (strict) {
                return false;
            }
            code_point = replacement_character;
        }
        emit(code_point);
        i = next;
    }
    return true;
}

// Decodes UTF-16 into code points; an unpaired surrogate fails when `strict`,
// else becomes U+FFFD.
template <typename Emit>
bool decode_utf16(const WCHAR* text, std::size_t size, bool strict, Emit&& emit)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char32_t unit = text[i];
        char32_t code_point = unit;
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            const bool pairs = unit <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 &&
                               text[i + 1] <= 0xDFFF;
            if (pairs) {
                code_point = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
                ++i;
            } else if (strict) {
                return false;
            } else {
                code_point = replacement_character;
            }
        }
        emit(code_point);
    }
    return true;
}

template <typename Put>
void encode_utf16(char32_t code_point, Put&& put)
{
    if (code_point >= 0x10000) {
        code_point -= 0x10000;
        put(static_cast<WCHAR>(0xD800 + (code_point >> 10)));
        put(static_cast<WCHAR>(0xDC00 + (code_point & 0x3FF)));
    } else {
        put(static_cast<WCHAR>(code_point));
    }
}

template <typename Put>
void encode_utf8(char32_t code_point, Put&& put)
{
    if (code_point < 0x80) {
        put(static_cast<CHAR>(code_point));
    } else if (code_point < 0x800) {
        put(static_cast<CHAR>(0xC0 | (code_point >> 6)));
        put(static_cast<CHAR>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        put(static_cast<CHAR>(0xE0 | (code_point >> 12)));
        put(static_cast<CHAR>(0x80 | ((code_point >> 6) & 0x3F)));
        put(static_cast<CHAR>(0x80 | (code_point & 0x3F)));
    } else {
        put(static_cast<CHAR>(0xF0 | (code_point >> 18)));
        put(static_cast<CHAR>(0x80 | ((code_point >> 12) & 0x3F)));
        put(static_cast<CHAR>(0x80 | ((code_point >> 6) & 0x3F)));
        put(static_cast<CHAR>(0x80 | (code_point & 0x3F)));
    }
}

std::size_t utf16_length(const WCHAR* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

int fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

// The shared frame of both conversions: argument checks, a counting pass, the
// size checks, then the writing pass. `convert(put)` runs the decoder and
// encoder once, handing every output unit to `put`; it answers false for input
// rejected by the strict mode.
template <typename Unit, typename Convert>
int convert_text(UINT code_page, DWORD flags, DWORD strict_flag, const void* source, int source_size,
                 Unit* out, int out_size, Convert&& convert)
{
    if (code_page != CP_UTF8) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if ((flags & ~strict_flag) != 0) {
        return fail(ERROR_INVALID_FLAGS);
    }
    // The source and the result must not share a buffer: the writing pass
    // would overwrite input it has not read yet.
    if (source == nullptr || source_size == 0 || source_size < -1 || out_size < 0 ||
        (out_size > 0 && out == nullptr) || static_cast<const void*>(out) == source) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    std::size_t needed = 0;
    if (!convert([&needed](Unit) { ++needed; })) {
        return fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    if (needed > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (out_size == 0) {
        return static_cast<int>(needed);
    }
    if (needed > static_cast<std::size_t>(out_size)) {
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::size_t written = 0;
    convert([out, &written](Unit unit) { out[written++] = unit; });
    return static_cast<int>(written);
}

} // namespace

DWORD WINAPI GetLastError()
{
    return last_error;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    last_error = dwErrCode;
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    std::size_t size = 0;
    if (lpMultiByteStr != nullptr) {
        size = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    return convert_text<WCHAR>(CodePage, dwFlags, MB_ERR_INVALID_CHARS, lpMultiByteStr,
                               cbMultiByte, lpWideCharStr, cchWideChar, [&](auto&& put) {
                                   return decode_utf8(bytes, size, strict, [&](char32_t code_point) {
                                       encode_utf16(code_point, put);
                                   });
                               });
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar)
{
    // UTF-8 has no default character.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const bool strict = (dwFlags & WC_ERR_INVALID_CHARS) != 0;
    std::size_t size = 0;
    if (lpWideCharStr != nullptr) {
        size = cchWideChar == -1 ? utf16_length(lpWideCharStr) + 1 : static_cast<std::size_t>(cchWideChar);
    }
    return convert_text<CHAR>(CodePage, dwFlags, WC_ERR_INVALID_CHARS, lpWideCharStr,
                              cchWideChar, lpMultiByteStr, cbMultiByte, [&](auto&& put) {
                                  return decode_utf16(lpWideCharStr, size, strict, [&](char32_t code_point) {
                                      encode_utf8(code_point, put);
                                  });
                              });
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize)
{
    if (lpName == nullptr) {
        return static_cast<DWORD>(fail(ERROR_INVALID_PARAMETER));
    }
    // A name that is not valid UTF-16, or one getenv would split at '=', names
    // no variable.
    std::string name;
    const bool valid_name = decode_utf16(lpName, utf16_length(lpName), true, [&name](char32_t code_point) {
        encode_utf8(code_point, [&name](CHAR c) { name.push_back(c); });
    });
    if (!valid_name || name.empty() || name.find('=') != std::string::npos) {
        return static_cast<DWORD>(fail(ERROR_ENVVAR_NOT_FOUND));
    }
    if (kernel_environment_read_hook != nullptr) {
        kernel_environment_read_hook(lpName);
    }
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return static_cast<DWORD>(fail(ERROR_ENVVAR_NOT_FOUND));
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(value);
    const std::size_t value_size = std::strlen(value);
    std::size_t units = 0;
    const auto count = [&units](WCHAR) { ++units; };
    if (!decode_utf8(bytes, value_size, true, [&](char32_t code_point) { encode_utf16(code_point, count); })) {
        return static_cast<DWORD>(fail(ERROR_NO_UNICODE_TRANSLATION));
    }
    if (units >= std::numeric_limits<DWORD>::max()) {
        return static_cast<DWORD>(fail(ERROR_NOT_ENOUGH_MEMORY));
    }
    const DWORD size_with_terminator = static_cast<DWORD>(units + 1);
    if (lpBuffer == nullptr || nSize < size_with_terminator) {
        return size_with_terminator;
    }
    std::size_t written = 0;
    decode_utf8(bytes, value_size, true, [&](char32_t code_point) {
        encode_utf16(code_point, [&](WCHAR unit) { lpBuffer[written++] = unit; });
    });
    lpBuffer[written] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(written);
}
