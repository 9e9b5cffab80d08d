// Construction, getters, the key index and the lookups of committed and scratch rows.

#include "retained/store/held_signature.h"
#include "retained/store/store_keys.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

namespace {

struct surface_case {
    std::size_t length;
    const char* state;
};

TEST(store_construction, surface_length_decides_open_or_invalid)
{
    const surface_case cases[] = {{1, "open"}, {128, "open"}, {129, "invalid"}, {0, "invalid"}};
    for (const surface_case& c : cases) {
        const retained_resource_store store(std::string(c.length, 's'));
        EXPECT_EQ(store.state(), c.state) << "surface of " << c.length << " bytes";
        EXPECT_EQ(store.surface(), std::string(c.length, 's'));
    }
}

TEST(store_construction, new_store_counts_nothing)
{
    const retained_resource_store store(test_surface);
    const std::uint32_t counts[] = {store.revision(),
                                    store.owner_count(),
                                    store.command_count(),
                                    store.payload_size(),
                                    store.validation_count(),
                                    store.explicit_comparison_count(),
                                    store.payload_comparison_count(),
                                    store.admission_count(),
                                    store.index_key_count(),
                                    store.index_probe_count(),
                                    store.paint_count(),
                                    store.image_count(),
                                    store.glyph_count(),
                                    store.clip_count(),
                                    store.transform_count(),
                                    store.entry_count()};
    for (const std::uint32_t count : counts) {
        EXPECT_EQ(count, 0u);
    }
    EXPECT_EQ(store.index_bucket_count(), 8192u);
}

TEST(store_key_index, put_adds_a_new_key_and_replaces_an_existing_value)
{
    retained_resource_store store(test_surface);
    store.index_put("4:clip:2:c1:0", 7);
    EXPECT_EQ(store.index_key_count(), 1u);
    EXPECT_EQ(store.index_get("4:clip:2:c1:0"), 7);
    EXPECT_EQ(store.index_probe_count(), 0u);

    store.index_put("4:clip:2:c1:0", 9);
    EXPECT_EQ(store.index_key_count(), 1u);
    EXPECT_EQ(store.index_get("4:clip:2:c1:0"), 9);
    EXPECT_EQ(store.index_probe_count(), 1u) << "the replacing put visits the one node of the chain";
    EXPECT_EQ(store.index_get("4:clip:2:c2:0"), -1);
}

TEST(store_key_index, keys_and_buckets_agree_with_the_records_functions)
{
    struct key_case {
        const char* kind;
        std::string id;
        std::int32_t number;
    };
    const key_case cases[] = {{"clip", "c1", 0},
                              {"image-generation", "logo", 3},
                              {"command-sequence", "", -2147483647 - 1},
                              {"paint", "p\xc3\xa4int #1", 2147483647},
                              {"", "", 0}};
    for (const key_case& c : cases) {
        EXPECT_EQ(store_key(c.kind, c.id, c.number), identity_key(c.kind, c.id, c.number));
    }
    // Every byte value, alone and inside longer keys, lands in identifier_hash's bucket.
    std::vector<std::string> keys = {"", "a", "4:clip:2:c1:0"};
    for (int byte = 0; byte < 256; ++byte) {
        keys.push_back(std::string(1, static_cast<char>(byte)));
        keys.push_back("16:image-generation:" + std::string(3, static_cast<char>(byte)) + ":7");
    }
    // Every length up to 40, so that keys end at each offset of a group of bytes hashed together.
    for (std::size_t length = 1; length <= 40; ++length) {
        std::string key;
        for (std::size_t i = 0; i < length; ++i) {
            key.push_back(static_cast<char>("zA9:@-~\x80"[i % 8]));
        }
        keys.push_back(key);
    }
    for (const std::string& key : keys) {
        EXPECT_EQ(hash_store_key(key).bucket, identifier_hash(key, 8192)) << key;
    }
}

// A held signature matches a record exactly when the record's signature equals the
// signature it was taken of: for the record itself and for records that differ
// from it in one field, payload bytes and lengths included.
TEST(held_signature, matches_as_the_built_signatures_compare)
{
    const render_image image = test_image("logo", 2, 2, 1);
    std::vector<render_image> images(17, image);
    images[0].id = "logo2";
    images[1].kind = "imagE";
    images[2].generation = -2;
    images[3].width = 20;
    images[4].height = 10;
    images[5].sizeBytes = 80;
    images[6].format = "";
    images[7].colorSpace = "linear-srgb";
    images[8].alphaMode = "straigh";
    images[9].state = "loading";
    images[10].resident = false;
    images[11].content_identity += "|";
    images[12].payload.back() = 'c';
    images[13].payload += "ab";
    images[14].source = "";
    images[15].payload.clear();
    images[16].payload.insert(0, "ab");
    const glyph_alpha_resource glyph = test_glyph('a');
    std::vector<glyph_alpha_resource> glyphs(8, glyph);
    glyphs[0].id.back() = 'b';
    glyphs[1].width = 4;
    glyphs[2].height = -2;
    glyphs[3].row_stride = 3;
    glyphs[4].byte_size = 40;
    glyphs[5].format = "a8";
    glyphs[6].payload.front() = '0';
    glyphs[7].source += "x";

    // Every record against the held signature of each of them.
    const auto check = [](auto records, const auto& original, auto signature) {
        records.push_back(original);
        for (const auto& held_of : records) {
            auto given = held_of;
            const held_signature held = hold_signature(std::move(given));
            for (const auto& record : records) {
                EXPECT_EQ(held_signature_matches(record, held), signature(record) == signature(held_of))
                    << signature(held_of).substr(0, 80);
            }
        }
    };
    check(images, image, image_signature);
    check(glyphs, glyph, glyph_signature);
    const render_paint paint = test_paint("p");
    std::vector<render_paint> paints(2, paint);
    paints[0].opacity = 7;
    paints[1].id = "q";
    check(paints, paint, paint_signature);
}

// Two keys of one bucket of the 8192, found by trying names in order.
std::pair<std::string, std::string> keys_sharing_a_bucket()
{
    const std::string first = "key-0";
    const std::int32_t bucket = identifier_hash(first, 8192);
    for (int i = 1;; ++i) {
        std::string other = "key-" + std::to_string(i);
        if (identifier_hash(other, 8192) == bucket) {
            return {first, other};
        }
    }
}

TEST(store_key_index, counted_lookups_count_every_node_visited)
{
    retained_resource_store store(test_surface);
    const auto [older, newer] = keys_sharing_a_bucket();
    store.index_put(older, 1);
    store.index_put(newer, 2);
    EXPECT_EQ(store.index_probe_count(), 1u) << "the second put walks past the first key";

    struct probe_case {
        std::string key;
        std::int32_t value;
        std::uint32_t probes;
    };
    const probe_case cases[] = {{newer, 2, 1}, {older, 1, 2}};
    for (const probe_case& c : cases) {
        preflight_report report("owner", 1);
        EXPECT_EQ(store.index_get_counted(report, c.key), c.value);
        EXPECT_EQ(report.index_probes, c.probes) << c.key;
    }

    // An absent key of the same bucket walks the whole chain.
    std::string absent;
    for (int i = 0; absent.empty(); ++i) {
        const std::string candidate = "absent-" + std::to_string(i);
        if (identifier_hash(candidate, 8192) == identifier_hash(older, 8192)) {
            absent = candidate;
        }
    }
    preflight_report report("owner", 1);
    EXPECT_EQ(store.index_get_counted(report, absent), -1);
    EXPECT_EQ(report.index_probes, 2u);
    EXPECT_EQ(store.index_get(absent), -1);
    EXPECT_EQ(store.index_probe_count(), 1u) << "uncounted lookups leave the store's counter alone";
}

// A store holding four committed paints (rows 0..3), images "logo" at generations
// 1 and 4, one glyph and one owner "a" with commands 10 and 11.
class committed_store : public ::testing::Test {
protected:
    void SetUp() override
    {
        resource_delta delta = test_delta();
        for (const char* id : {"p0", "p1", "p2", "p3"}) {
            delta.paints.push_back(test_paint(id));
        }
        delta.images.push_back(test_image("logo", 1));
        delta.glyphs.push_back(test_glyph('a'));
        std::vector<render_command> commands = {test_command("a", 10, "image"), test_command("a", 11)};
        commands[0].resource_id = "logo";
        commands[0].image_generation = 1;
        commands[1].paint_id = "p2";
        ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, commands), delta, 0).ok);

        resource_delta newer = test_delta();
        newer.images.push_back(test_image("logo", 4));
        commands[0].image_generation = 4;
        ASSERT_TRUE(store.submit_update(test_fragment("a", 2, commands), newer, 1).ok);
        bound_commands = commands;
    }

    retained_resource_store store{test_surface};
    std::vector<render_command> bound_commands;
};

TEST_F(committed_store, lookups_prefer_the_scratch_set_and_fall_back_to_committed_rows)
{
    resource_index_set scratch(1);
    scratch.paints = {test_paint("s0"), test_paint("s1")};
    scratch.resource_keys.put(identity_key("paint", "s0", 0), 4);
    scratch.resource_keys.put(identity_key("paint", "s1", 0), 5);
    preflight_report report("a", 3);

    EXPECT_EQ(store.find_paint(report, scratch, "p3"), 3);
    EXPECT_EQ(store.find_paint(report, scratch, "s1"), 5);
    EXPECT_EQ(store.find_paint(report, scratch, "nowhere"), -1);
    EXPECT_EQ(store.paint_at(scratch, 4).id, "s0");
    EXPECT_EQ(store.paint_at(scratch, 0).id, "p0");
    EXPECT_TRUE(paint_record_equal(store.committed_paint_at(2), test_paint("p2")));

    EXPECT_EQ(store.latest_image_generation(report, scratch, "logo"), 4);
    EXPECT_EQ(store.latest_image_generation(report, scratch, "other"), 0);
    EXPECT_EQ(store.find_image_generation(report, scratch, "logo", 1), 0);
    EXPECT_EQ(store.find_image_generation(report, scratch, "logo", 4), 1);
    EXPECT_EQ(store.find_image_generation(report, scratch, "logo", 2), -1);
    EXPECT_TRUE(image_record_equal(store.committed_image_at(1), test_image("logo", 4)));
    EXPECT_EQ(store.find_glyph(report, scratch, test_glyph('a').id), 0);
    EXPECT_EQ(store.committed_glyph_at(0).format, "a8-unorm-hex");
    EXPECT_TRUE(glyph_record_equal(store.committed_glyph_at(0), test_glyph('a')));
}

TEST_F(committed_store, a_scratch_image_of_an_id_is_its_latest_generation)
{
    resource_index_set scratch(1);
    scratch.images = {test_image("logo", 9)};
    scratch.resource_keys.put(identity_key("image-latest", "logo", 0), 2);  // behind the two committed rows
    preflight_report report("a", 3);
    EXPECT_EQ(store.latest_image_generation(report, scratch, "logo"), 9);
    EXPECT_EQ(store.image_at(scratch, 2).generation, 9);
}

TEST_F(committed_store, command_and_owner_rows)
{
    EXPECT_EQ(store.entry_count(), 7u);
    EXPECT_EQ(store.command_owner(-1), -1);
    EXPECT_EQ(store.command_owner(2), -1);
    EXPECT_EQ(store.command_owner(1), 0);
    EXPECT_EQ(store.owner_generation(0), 2);
    EXPECT_EQ(store.command_image(0), 1);
    EXPECT_EQ(store.command_paint(1), 2);
    EXPECT_EQ(store.command_glyph(1), -1);
    EXPECT_EQ(store.owner_command_image(0, 0), 1);
    EXPECT_EQ(store.owner_command_paint(0, 1), 2);
    EXPECT_EQ(store.owner_command_clip(0, 1), -1);
    EXPECT_EQ(store.owner_command_transform(0, 0), -1);
    EXPECT_EQ(store.owner_command_glyph(0, 0), -1);
}

TEST_F(committed_store, find_command_matches_every_signed_field)
{
    EXPECT_EQ(store.find_command(bound_commands[1]), 1);
    EXPECT_EQ(store.find_command_owner(bound_commands[1]), 0);

    std::vector<render_command> changed(4, bound_commands[1]);
    changed[0].kind = "rect2";
    changed[1].opaque_values[17] = 1;
    changed[2].quad.fourth = "x";
    changed[3].sequence = 12;
    for (const render_command& command : changed) {
        EXPECT_EQ(store.find_command(command), -1);
        EXPECT_EQ(store.find_command_owner(command), -1);
    }
}

TEST_F(committed_store, after_close_every_lookup_misses_and_counts_nothing)
{
    const std::uint32_t probes = store.index_probe_count();
    ASSERT_TRUE(store.close());
    EXPECT_EQ(store.index_key_count(), 0u);
    EXPECT_EQ(store.index_bucket_count(), 8192u);
    EXPECT_EQ(store.index_probe_count(), probes);
    EXPECT_EQ(store.entry_count(), 0u);

    resource_index_set scratch(1);
    preflight_report report("a", 3);
    EXPECT_EQ(store.find_binding("a"), -1);
    EXPECT_EQ(store.find_binding_counted(report, "a"), -1);
    EXPECT_EQ(store.find_paint(report, scratch, "p0"), -1);
    EXPECT_EQ(store.find_image_generation(report, scratch, "logo", 1), -1);
    EXPECT_EQ(store.latest_image_generation(report, scratch, "logo"), 0);
    EXPECT_EQ(store.find_glyph(report, scratch, test_glyph('a').id), -1);
    EXPECT_EQ(store.find_clip(report, scratch, "c"), -1);
    EXPECT_EQ(store.find_transform(report, scratch, "t"), -1);
    EXPECT_EQ(store.find_command(bound_commands[0]), -1);
    EXPECT_EQ(store.command_owner(0), -1);
    EXPECT_EQ(report.index_probes, 0u);
}

TEST(store_bindings, find_binding_answers_the_owner_row_once_bound)
{
    retained_resource_store store(test_surface);
    EXPECT_EQ(store.find_binding("first"), -1);
    ASSERT_TRUE(store.submit_bind(test_fragment("first", 1, std::vector<std::int32_t>{1}), test_delta(), 0).ok);
    ASSERT_TRUE(store.submit_bind(test_fragment("second", 1, std::vector<std::int32_t>{2}), test_delta(), 1).ok);
    EXPECT_EQ(store.find_binding("first"), 0);
    EXPECT_EQ(store.find_binding("second"), 1);
    preflight_report report("x", 1);
    EXPECT_EQ(store.find_binding_counted(report, "second"), 1);
    EXPECT_GE(report.index_probes, 1u);
}

// A lookup made while another one holds its key, through an overridden operation,
// leaves the outer key as it was.
class nesting_store : public retained_resource_store {
public:
    using retained_resource_store::retained_resource_store;

    std::int32_t index_get_counted(preflight_report& report, const std::string& key) const override
    {
        if (!nested_) {
            nested_ = true;
            resource_index_set scratch(1);
            inner_ = find_clip(report, scratch, "a-clip-id-longer-than-any-paint-id");
            nested_ = false;
        }
        return retained_resource_store::index_get_counted(report, key);
    }

    mutable bool nested_ = false;
    mutable std::int32_t inner_ = 0;
};

TEST(store_bindings, a_nested_lookup_keeps_the_outer_key)
{
    nesting_store store(test_surface);
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("a-paint-with-a-long-id"));
    ASSERT_TRUE(store.submit_bind(test_fragment("o", 1, std::vector<std::int32_t>{1}), delta, 0).ok);
    preflight_report report("o", 2);
    resource_index_set scratch(1);
    EXPECT_EQ(store.find_paint(report, scratch, "a-paint-with-a-long-id"), 0);
    EXPECT_EQ(store.inner_, -1);
    EXPECT_EQ(store.find_binding_counted(report, "o"), 0);
}

}  // namespace
