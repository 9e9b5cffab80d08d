#include "retained/records/string_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace {

struct hash_case {
    std::string text;
    std::int32_t buckets;
    std::int32_t expected;
};

TEST(identifier_hash, gives_the_worked_values)
{
    const hash_case cases[] = {
        {"", 8192, 17},
        {"", 1, 17},  // the empty text is never reduced
        {"a", 8192, 562},
        {"c1", 8192, 2282},
        {"4:clip:2:c1:0", 8192, 511},
        {"4:clip:2:c1:0", 64, 63},
        {"4:clip:2:c1:0", 1, 0},
        // h * 33 + code wraps at 32 bits, and the remainder keeps the dividend's sign.
        {"zzzzzzz", 2147483647, -1068195865},
    };
    for (const hash_case& c : cases) {
        EXPECT_EQ(identifier_hash(c.text, c.buckets), c.expected) << '"' << c.text << "\" in " << c.buckets;
    }
}

TEST(identifier_hash, codes_follow_the_alphabet_order)
{
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-:/@";
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        EXPECT_EQ(identifier_hash(std::string(1, alphabet[i]), 8192), 17 * 33 + static_cast<std::int32_t>(i + 1))
            << "byte '" << alphabet[i] << "'";
    }
}

TEST(identifier_hash, every_other_byte_codes_71)
{
    const std::string others[] = {" ", "#", std::string(1, '\0'), "\x80", "\xff", "\xc3", "{", "\\"};
    for (const std::string& text : others) {
        EXPECT_EQ(identifier_hash(text, 8192), 17 * 33 + 71) << "byte " << static_cast<int>(static_cast<unsigned char>(text[0]));
    }
}

TEST(identifier_hash, without_buckets_a_text_has_no_bucket)
{
    EXPECT_EQ(identifier_hash("a", 0), -1);
    EXPECT_EQ(identifier_hash("a", -5), -1);
    EXPECT_EQ(identifier_hash("", 0), 17);
}

TEST(string_index, starts_empty)
{
    const string_index index(64);
    EXPECT_EQ(index.bucket_count(), 64u);
    ASSERT_EQ(index.bucket_heads().size(), 64u);
    for (const std::int32_t head : index.bucket_heads()) {
        EXPECT_EQ(head, -1);
    }
    EXPECT_EQ(index.node_count(), 0u);
    EXPECT_TRUE(index.keys().empty());
    EXPECT_TRUE(index.values().empty());
    EXPECT_TRUE(index.next_links().empty());
    EXPECT_EQ(index.probe_count(), 0u);
}

TEST(string_index, bucket_is_the_identifier_hash)
{
    const string_index index(8192);
    EXPECT_EQ(index.bucket("4:clip:2:c1:0"), 511);
    EXPECT_EQ(index.bucket(""), 17);
}

TEST(string_index, put_replaces_a_present_key_without_a_new_node)
{
    string_index index(8192);
    index.put("c1", 4);
    index.put("c1", 9);
    EXPECT_EQ(index.node_count(), 1u);
    EXPECT_EQ(index.find("c1"), 9);
}

TEST(string_index, keys_that_hash_alike_stay_apart)
{
    string_index index(8192);
    ASSERT_EQ(index.bucket("a b"), index.bucket("a#b"));
    index.put("a b", 1);
    index.put("a#b", 2);
    EXPECT_EQ(index.find("a b"), 1);
    EXPECT_EQ(index.find("a#b"), 2);
    EXPECT_EQ(index.node_count(), 2u);
}

TEST(string_index, chains_run_newest_first)
{
    string_index index(1);
    index.put("first", 10);
    index.put("second", 20);
    index.put("third", 30);
    EXPECT_EQ(index.bucket_heads()[0], 2);
    EXPECT_EQ(index.next_links()[2], 1);
    EXPECT_EQ(index.next_links()[1], 0);
    EXPECT_EQ(index.next_links()[0], -1);

    EXPECT_EQ(index.find("first"), 10);
    EXPECT_EQ(index.probe_count(), 3u);
    EXPECT_EQ(index.find("third"), 30);
    EXPECT_EQ(index.probe_count(), 4u);
}

TEST(string_index, find_of_an_absent_key_counts_the_chain)
{
    string_index index(1);
    index.put("x", 0);
    index.put("y", 1);
    EXPECT_EQ(index.find("z"), -1);
    EXPECT_EQ(index.probe_count(), 2u);

    string_index wide(8192);
    EXPECT_EQ(wide.find("z"), -1);
    EXPECT_EQ(wide.probe_count(), 0u);  // an empty bucket is no probe
}

TEST(string_index, put_counts_no_probes)
{
    string_index index(1);
    index.put("x", 0);
    index.put("y", 1);
    index.put("x", 2);
    EXPECT_EQ(index.probe_count(), 0u);
}

TEST(string_index, a_copy_keeps_the_probe_count_and_counts_on_alone)
{
    string_index index(1);
    index.put("x", 7);
    index.find("x");
    string_index copy = index;
    EXPECT_EQ(copy.probe_count(), 1u);
    copy.find("x");
    EXPECT_EQ(copy.probe_count(), 2u);
    EXPECT_EQ(index.probe_count(), 1u);

    string_index assigned(64);
    assigned = index;
    EXPECT_EQ(assigned.probe_count(), 1u);
    EXPECT_EQ(assigned.bucket_count(), 1u);
    EXPECT_EQ(assigned.find("x"), 7);
}

// A move takes the lists and copies the counts, so the source keeps its bucket
// count without heads; using it again must not reach outside them.
TEST(string_index, a_moved_from_index_stores_nothing)
{
    string_index index(8);
    index.put("a", 1);
    index.find("a");
    string_index target(64);
    target = std::move(index);
    EXPECT_EQ(target.bucket_count(), 8u);
    EXPECT_EQ(target.probe_count(), 1u);
    EXPECT_EQ(target.find("a"), 1);

    index.put("b", 2);  // the moved-from source, on purpose
    EXPECT_EQ(index.find("b"), -1);
    EXPECT_EQ(index.find("a"), -1);
    EXPECT_EQ(index.node_count(), 0u);

    const string_index constructed(std::move(target));
    target.put("c", 3);
    EXPECT_EQ(target.find("c"), -1);
    EXPECT_EQ(constructed.node_count(), 1u);
}

// The empty key hashes to 17 unreduced; a small index folds it into its buckets.
TEST(string_index, an_empty_key_stays_inside_few_buckets)
{
    for (const std::int32_t buckets : {1, 2, 5, 17}) {
        string_index index(buckets);
        EXPECT_EQ(index.bucket(""), 17 % buckets) << buckets << " buckets";
        index.put("", 3);
        index.put("a", 4);
        EXPECT_EQ(index.find(""), 3) << buckets << " buckets";
        EXPECT_EQ(index.find("a"), 4) << buckets << " buckets";
    }
}

TEST(string_index, an_index_without_buckets_stores_nothing)
{
    for (const std::int32_t buckets : {0, -1, -8192}) {
        string_index index(buckets);
        EXPECT_EQ(index.bucket_count(), 0u);
        EXPECT_TRUE(index.bucket_heads().empty());
        EXPECT_EQ(index.bucket("a"), -1);
        index.put("a", 1);
        index.put("", 2);
        EXPECT_EQ(index.node_count(), 0u);
        EXPECT_EQ(index.find("a"), -1);
        EXPECT_EQ(index.probe_count(), 0u);
    }
}

} // namespace
