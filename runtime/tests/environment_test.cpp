// Reads the real process environment of the test process.
#include "runtime/environment.h"

#include "platform/core/kernel_test_hooks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const variable = "QUON_ENVIRONMENT_TEXT_TEST";

class environment_text_test : public ::testing::Test {
protected:
    void SetUp() override { unsetenv(variable); }
    void TearDown() override
    {
        unsetenv(variable);
        kernel_environment_read_hook = nullptr;
    }
    static void set(const std::string& value) { ASSERT_EQ(setenv(variable, value.c_str(), 1), 0); }
};

std::string repeated(const std::string& unit, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += unit;
    }
    return text;
}

struct value_case {
    const char* what;
    std::string value;
    std::string expected;
};

TEST_F(environment_text_test, reads_values_and_rejects_unreadable_ones)
{
    const std::string euro_and_emoji = "\xE2\x82\xAC \xF0\x9F\x98\x80";
    const value_case cases[] = {
        {"one", "1", "1"},
        {"empty value", "", ""},
        {"spaces kept", " a b ", " a b "},
        {"non-ASCII with a surrogate pair", euro_and_emoji, euro_and_emoji},
        {"32767 units fit", std::string(32767, 'v'), std::string(32767, 'v')},
        {"32767 units of three bytes each", repeated("\xE2\x82\xAC", 32767), repeated("\xE2\x82\xAC", 32767)},
        {"32768 units of three bytes each", repeated("\xE2\x82\xAC", 32768), ""},
        {"32768 units are too long", std::string(32768, 'v'), ""},
        {"invalid UTF-8", "a\xFF" "b", ""},
        {"truncated sequence", "a\xE2\x82", ""},
        {"overlong form", "\xC0\xAF", ""},
        {"encoded surrogate", "\xED\xA0\x80", ""},
    };
    for (const auto& c : cases) {
        set(c.value);
        EXPECT_EQ(environment_text(variable), c.expected) << c.what;
    }
}

TEST_F(environment_text_test, unreadable_names_give_the_empty_text)
{
    set("1");
    const std::string zero_inside = std::string(variable) + '\0' + "X";
    const std::string invalid = std::string(variable) + "\xFF";
    // "T" written in two bytes: a lenient decoder reads it as the variable's name.
    const std::string overlong = std::string(variable, std::strlen(variable) - 1) + "\xC1\x94";
    // Variables under the invalid name as it stands and as a lenient
    // conversion (U+FFFD for the bad byte) would turn it: neither may be read.
    const std::string replaced = std::string(variable) + "\xEF\xBF\xBD";
    ASSERT_EQ(setenv(invalid.c_str(), "raw", 1), 0);
    ASSERT_EQ(setenv(replaced.c_str(), "replaced", 1), 0);
    const std::string names[] = {
        "",
        zero_inside,
        invalid,
        overlong,
        std::string(131069, 'N'),
        "QUON_ENVIRONMENT_TEXT_TEST_MISSING",
    };
    for (const auto& name : names) {
        EXPECT_EQ(environment_text(name), "") << "name of " << name.size() << " bytes";
    }
    unsetenv(invalid.c_str());
    unsetenv(replaced.c_str());
    EXPECT_EQ(environment_text(variable), "1");
}

TEST_F(environment_text_test, name_length_counts_utf16_units_with_terminator)
{
    struct name_case {
        std::string name;
        std::string expected;
    };
    const name_case cases[] = {
        {"QUON_\xC3\xA9T\xC3\xA9", "yes"},
        {std::string(32767, 'N'), "yes"}, // 32768 units with the terminator
        {std::string(32768, 'N'), ""},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setenv(c.name.c_str(), "yes", 1), 0);
        EXPECT_EQ(environment_text(c.name), c.expected) << "name of " << c.name.size() << " bytes";
        unsetenv(c.name.c_str());
    }
}

// The value changes between the sizing and the reading call.
int reads = 0;
std::string second_value;
void change_before_second_read(LPCWSTR)
{
    if (++reads == 2) {
        setenv(variable, second_value.c_str(), 1);
    }
}

TEST_F(environment_text_test, value_changing_length_between_reads_gives_empty_text)
{
    for (const char* changed : {"ab", "abcd", ""}) {
        set("abc");
        reads = 0;
        second_value = changed;
        kernel_environment_read_hook = change_before_second_read;
        EXPECT_EQ(environment_text(variable), "") << "changed to '" << changed << "'";
        EXPECT_EQ(reads, 2);
    }
    // Same length, other content: read as it is at the second call.
    set("abc");
    reads = 0;
    second_value = "xyz";
    EXPECT_EQ(environment_text(variable), "xyz");
}

} // namespace
