#include "runtime/text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct format_case {
    const char* pattern;
    std::vector<std::string> args;
    const char* expected;
};

TEST(format_placeholders, fills_and_leaves_placeholders_as_specified)
{
    const std::vector<format_case> cases = {
        {"GREEN {0} / 3     STROKES {1}", {"2", "5"}, "GREEN 2 / 3     STROKES 5"},
        {"{2}", {"a", "b"}, "{2}"},
        {"{}", {"a"}, "{}"},
        {"{x}", {"a"}, "{x}"},
        {"a{b", {"a"}, "a{b"},
        {"{ 1}", {"a", "b"}, "{ 1}"},
        {"{0}{0}", {"a"}, "aa"},
        {"{0}", {"{0}"}, "{0}"},          // inserted text is not rescanned
        {"{a{0}}", {"X"}, "{aX}"},        // a brace inside a rejected key still opens one
        {"{007}", {"0", "1", "2", "3", "4", "5", "6", "seven"}, "seven"},
        {"{1}{0}", {"a", "b", "unused"}, "ba"},
        {"tail {", {}, "tail {"},
        {"", {"a"}, ""},
        {"{0", {"a"}, "{0"},
        {"{-1}", {"a"}, "{-1}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_placeholders(c.pattern, c.args), c.expected) << "pattern " << c.pattern;
    }
}

TEST(format_placeholders, key_beyond_64_bits_raises_out_of_range)
{
    const std::string key = "{" + std::string(20, '9') + "}";
    EXPECT_THROW(format_placeholders(key, {}), std::out_of_range);
    EXPECT_THROW(format_placeholders("x" + key, {"a", "b"}), std::out_of_range);
    try {
        format_placeholders(key, {"a"});
        ADD_FAILURE() << "expected std::out_of_range";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "stoull"); // the standard conversion's own error, passed through
    }
    // The largest 64-bit number converts and is simply out of the argument range.
    EXPECT_EQ(format_placeholders("{18446744073709551615}", {"a"}), "{18446744073709551615}");
}

TEST(text_helpers, bool_starts_with_and_hex)
{
    EXPECT_EQ(bool_text(true), "true");
    EXPECT_EQ(bool_text(false), "false");

    EXPECT_TRUE(text_starts_with("abc", ""));
    EXPECT_FALSE(text_starts_with("ab", "abc"));
    EXPECT_TRUE(text_starts_with("owner.1", "owner."));
    EXPECT_FALSE(text_starts_with("Owner.1", "owner."));
    EXPECT_TRUE(text_starts_with("", ""));

    const std::vector<std::pair<std::string, bool>> hex = {
        {"", true}, {"00ffA9", true}, {"0x1f", false}, {"ff ", false},
        {"0123456789abcdefABCDEF", true}, {"g", false}, {std::string("a\0b", 3), false},
    };
    for (const auto& [text, expected] : hex) {
        EXPECT_EQ(is_hex_text(text), expected) << "text '" << text << "'";
    }

    // Every byte value, alone and at each position of a long text (block and tail paths).
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool hex_byte = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        EXPECT_EQ(is_hex_text(std::string(1, c)), hex_byte) << "byte " << b;
        std::string long_text(200, 'a');
        for (const std::size_t at : {std::size_t{0}, std::size_t{63}, std::size_t{64}, std::size_t{127}, std::size_t{199}}) {
            std::string t = long_text;
            t[at] = c;
            EXPECT_EQ(is_hex_text(t), hex_byte) << "byte " << b << " at " << at;
        }
    }
}

} // namespace
