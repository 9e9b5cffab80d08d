#include "platform/kernel.h"

#include "platform/core/kernel_test_hooks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace {

// Both conversions, called the way the runtime calls them: a sizing call, then a
// writing call into exactly that much room.

std::u16string to_utf16(const std::string& bytes, DWORD flags, int size_argument)
{
    const int units = MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size_argument, nullptr, 0);
    if (units <= 0) {
        return u"<failed>";
    }
    std::u16string out(static_cast<std::size_t>(units), u'#');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size_argument, out.data(), units), units);
    return out;
}

std::string to_utf8(const std::u16string& units, DWORD flags, int size_argument)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, flags, units.data(), size_argument, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return "<failed>";
    }
    std::string out(static_cast<std::size_t>(bytes), '#');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, flags, units.data(), size_argument, out.data(), bytes, nullptr, nullptr),
              bytes);
    return out;
}

int size_of(const std::string& s)
{
    return static_cast<int>(s.size());
}

int size_of(const std::u16string& s)
{
    return static_cast<int>(s.size());
}

const std::string mixed_utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
const std::u16string mixed_utf16 = u"a\u00E9\u20AC\U0001F600";

TEST(kernel_utf8_to_utf16, terminator_is_converted_and_counted_with_minus_one)
{
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, mixed_utf8.c_str(), -1, nullptr, 0), 6);
    EXPECT_EQ(to_utf16(mixed_utf8, MB_ERR_INVALID_CHARS, -1), mixed_utf16 + u'\0');
    EXPECT_EQ(to_utf16(mixed_utf8, 0, size_of(mixed_utf8)), mixed_utf16);
    EXPECT_EQ(to_utf16(std::string("a\0b", 3), MB_ERR_INVALID_CHARS, 3), std::u16string(u"a\0b", 3));
    EXPECT_EQ(to_utf16("", MB_ERR_INVALID_CHARS, -1), std::u16string(1, u'\0'));
}

TEST(kernel_utf8_to_utf16, boundaries_of_every_sequence_length)
{
    const struct {
        std::string bytes;
        std::u16string units;
    } cases[] = {
        {"\x7F", u"\u007F"},
        {"\xC2\x80", u"\u0080"},
        {"\xDF\xBF", u"\u07FF"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_utf16(c.bytes, MB_ERR_INVALID_CHARS, size_of(c.bytes)), c.units) << "size " << c.bytes.size();
    }
}

TEST(kernel_utf8_to_utf16, invalid_input_rejected_when_strict_replaced_otherwise)
{
    const struct {
        const char* what;
        std::string bytes;
        std::u16string replaced;
    } cases[] = {
        {"invalid byte", "a\xFF" "b", u"a\uFFFDb"},
        {"lone continuation", "\x80", u"\uFFFD"},
        {"two-byte overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"three-byte overlong", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"four-byte overlong", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"encoded high surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded low surrogate", "\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"lead byte F5", "\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"truncated at the end", "a\xE2\x82", u"a\uFFFD"},
        {"truncated four-byte", "\xF0\x9F\x98" "b", u"\uFFFDb"},
        {"interrupted sequence", "\xC3" "A", u"\uFFFDA"},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(), size_of(c.bytes), nullptr, 0), 0)
            << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)) << c.what;
        EXPECT_EQ(to_utf16(c.bytes, 0, size_of(c.bytes)), c.replaced) << c.what;
    }
}

TEST(kernel_utf16_to_utf8, terminator_is_converted_and_counted_with_minus_one)
{
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, mixed_utf16.c_str(), -1, nullptr, 0, nullptr, nullptr),
              11);
    EXPECT_EQ(to_utf8(mixed_utf16, WC_ERR_INVALID_CHARS, -1), mixed_utf8 + '\0');
    EXPECT_EQ(to_utf8(mixed_utf16, 0, size_of(mixed_utf16)), mixed_utf8);
    EXPECT_EQ(to_utf8(u"\U0010FFFF", WC_ERR_INVALID_CHARS, 2), "\xF4\x8F\xBF\xBF");
}

TEST(kernel_utf16_to_utf8, unpaired_surrogates_rejected_when_strict_replaced_otherwise)
{
    const struct {
        const char* what;
        std::u16string units;
        std::string replaced;
    } cases[] = {
        {"high at the end", u"a\xD800", "a\xEF\xBF\xBD"},
        {"lone low", u"\xDC00" "b", "\xEF\xBF\xBD" "b"},
        {"reversed pair", u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"high then a pair", u"\xD800\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        {"high before a letter", u"\xDBFF" "A", "\xEF\xBF\xBD" "A"},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, c.units.data(), size_of(c.units), nullptr, 0,
                                      nullptr, nullptr),
                  0)
            << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)) << c.what;
        EXPECT_EQ(to_utf8(c.units, 0, size_of(c.units)), c.replaced) << c.what;
    }
}

TEST(kernel_conversion, buffer_too_small_fails_without_writing_past_it)
{
    std::u16string wide(6, u'#');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, mixed_utf8.c_str(), -1, wide.data(), 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(wide[5], u'#');

    std::string narrow(11, '#');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, mixed_utf16.c_str(), -1, narrow.data(), 10, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(narrow[10], '#');
}

TEST(kernel_conversion, invalid_arguments_fail_with_their_error)
{
    char16_t wide[4] = {};
    char narrow[4] = {};
    BOOL used = FALSE;
    // One buffer as the source and the result; its first byte reads as "a" too.
    char16_t shared[4] = {u'a'};
    auto* const shared_bytes = reinterpret_cast<char*>(shared);
    const struct {
        const char* what;
        std::function<int()> call;
        DWORD error;
    } cases[] = {
        {"other code page", [&] { return MultiByteToWideChar(1252, 0, "a", 1, wide, 4); }, ERROR_INVALID_PARAMETER},
        {"unknown flag", [&] { return MultiByteToWideChar(CP_UTF8, 0x1, "a", 1, wide, 4); }, ERROR_INVALID_FLAGS},
        {"encoder flag to the decoder",
         [&] { return MultiByteToWideChar(CP_UTF8, WC_ERR_INVALID_CHARS, "a", 1, wide, 4); }, ERROR_INVALID_FLAGS},
        {"null source", [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 4); }, ERROR_INVALID_PARAMETER},
        {"empty source", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); }, ERROR_INVALID_PARAMETER},
        {"source size below -1", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", -2, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"null buffer with a size", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {"negative buffer size", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, -1); },
         ERROR_INVALID_PARAMETER},
        {"source and result in one buffer",
         [&] { return MultiByteToWideChar(CP_UTF8, 0, shared_bytes, 1, shared, 4); },
         ERROR_INVALID_PARAMETER},
        {"other code page to the encoder",
         [&] { return WideCharToMultiByte(1252, 0, u"a", 1, narrow, 4, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
        {"default character", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, "?", nullptr); },
         ERROR_INVALID_PARAMETER},
        {"used-default flag", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &used); },
         ERROR_INVALID_PARAMETER},
        {"empty wide source", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 0, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"null wide source", [&] { return WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"wide source and result in one buffer",
         [&] { return WideCharToMultiByte(CP_UTF8, 0, shared, 1, shared_bytes, 8, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"decoder flag to the encoder",
         [&] { return WideCharToMultiByte(CP_UTF8, MB_ERR_INVALID_CHARS, u"a", 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(c.call(), 0) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
}

TEST(kernel_last_error, is_kept_per_thread)
{
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    DWORD seen_by_other = 1;
    std::thread other([&seen_by_other] {
        seen_by_other = GetLastError();
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
    });
    other.join();
    EXPECT_EQ(seen_by_other, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

// The real process environment of the test process.
class kernel_environment : public ::testing::Test {
protected:
    static constexpr const char* name = "QUON_KERNEL_TEST_VARIABLE";
    static constexpr const char16_t* wide_name = u"QUON_KERNEL_TEST_VARIABLE";
    void SetUp() override { unsetenv(name); }
    void TearDown() override
    {
        unsetenv(name);
        kernel_environment_read_hook = nullptr;
    }
};

TEST_F(kernel_environment, missing_variable_answers_zero_and_not_found)
{
    WCHAR buffer[8] = {};
    for (WCHAR* b : {static_cast<WCHAR*>(nullptr), buffer}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetEnvironmentVariableW(wide_name, b, b ? 8 : 0), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    }
}

TEST_F(kernel_environment, sizing_then_reading)
{
    ASSERT_EQ(setenv(name, mixed_utf8.c_str(), 1), 0);
    // a, e-acute, euro, and a surrogate pair: 5 units, 6 with the terminator.
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, nullptr, 0), 6u);
    std::u16string buffer(7, u'#');
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, buffer.data(), 5), 6u) << "one unit short";
    EXPECT_EQ(buffer, u"#######") << "too small a buffer is left alone";
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, buffer.data(), 6), 5u);
    EXPECT_EQ(buffer, mixed_utf16 + u'\0' + u'#');
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, buffer.data(), 7), 5u) << "larger buffer";
}

TEST_F(kernel_environment, empty_value_has_size_one_and_length_zero)
{
    ASSERT_EQ(setenv(name, "", 1), 0);
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, nullptr, 0), 1u);
    WCHAR buffer[1] = {u'#'};
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "an empty value is not a failure";
}

TEST_F(kernel_environment, value_not_valid_utf8_is_not_translated)
{
    ASSERT_EQ(setenv(name, "a\xC0\xAF", 1), 0);
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, nullptr, 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(kernel_environment, names_that_name_no_variable)
{
    ASSERT_EQ(setenv(name, "EQ=inside", 1), 0);
    // getenv would find "inside" for "QUON_KERNEL_TEST_VARIABLE=EQ".
    const std::u16string names[] = {
        std::u16string(wide_name) + u"=EQ",
        u"",
        std::u16string(wide_name) + u'\xD800',
    };
    for (const auto& n : names) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetEnvironmentVariableW(n.c_str(), nullptr, 0), 0u) << "name of " << n.size() << " units";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    }
    EXPECT_EQ(GetEnvironmentVariableW(nullptr, nullptr, 0), 0u);
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, nullptr, 0), 10u);
}

std::u16string hooked_name;
void record_name(LPCWSTR n)
{
    hooked_name = n;
}

TEST_F(kernel_environment, read_hook_sees_each_call_before_the_read)
{
    ASSERT_EQ(setenv(name, "1", 1), 0);
    kernel_environment_read_hook = record_name;
    EXPECT_EQ(GetEnvironmentVariableW(wide_name, nullptr, 0), 2u);
    EXPECT_EQ(hooked_name, wide_name);
}

} // namespace
