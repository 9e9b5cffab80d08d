// Item validation: the checks in their order, the totals and the command references.

#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

render_command image_command(const std::string& owner, std::int32_t sequence, const std::string& image,
                             std::int32_t generation)
{
    render_command command = test_command(owner, sequence, "image");
    command.resource_id = image;
    command.image_generation = generation;
    return command;
}

// Revision 4: owner "a" (commands 20, 21 drawing logo@5, 30; generation 3) and
// owner "b" (commands 40, 41; generation 1); paint p, clip c, transform t, logo@5.
class validation_store : public ::testing::Test {
protected:
    void SetUp() override
    {
        resource_delta delta = test_delta();
        delta.paints.push_back(test_paint("p"));
        delta.images.push_back(test_image("logo", 5));
        delta.clips.push_back(test_clip("c"));
        delta.transforms.push_back(test_transform("t"));
        ASSERT_TRUE(store.submit_bind(a_fragment(1), delta, 0).ok);
        ASSERT_TRUE(store.submit_update(a_fragment(2), test_delta(), 1).ok);
        ASSERT_TRUE(store.submit_update(a_fragment(3), test_delta(), 2).ok);
        ASSERT_TRUE(store.submit_bind(test_fragment("b", 1, std::vector<std::int32_t>{40, 41}), test_delta(), 3).ok);
        ASSERT_EQ(store.revision(), 4u);
    }

    static owner_fragment a_fragment(std::int32_t generation)
    {
        return test_fragment("a", generation,
                             {test_command("a", 20), image_command("a", 21, "logo", 5), test_command("a", 30)});
    }

    retained_resource_store store{test_surface};
};

struct item_case {
    std::string label;
    bool bind;
    owner_fragment fragment;
    resource_delta delta;
    std::uint32_t expected_revision;
    std::string message;  // "ok" when accepted
};

std::vector<item_case> with_changed(const item_case& base,
                                    std::vector<std::pair<std::string, std::function<void(item_case&)>>> changes)
{
    std::vector<item_case> cases;
    for (auto& [label, change] : changes) {
        item_case c = base;
        c.label = label;
        change(c);
        cases.push_back(std::move(c));
    }
    return cases;
}

TEST_F(validation_store, checks_in_order)
{
    const item_case bind{"", true, test_fragment("n", 1, std::vector<std::int32_t>{50, 51}), test_delta(), 4, "ok"};
    const item_case update{"", false, a_fragment(4), test_delta(), 4, "ok"};
    std::vector<item_case> cases = with_changed(
        bind, {
                  {"valid bind", [](item_case&) {}},
                  {"stale 3 against 4",
                   [](item_case& c) {
                       c.expected_revision = 3;
                       c.message = "retained resource store stale revision: expected 3, current 4";
                   }},
                  {"surface",
                   [](item_case& c) {
                       c.delta.surface = "other";
                       c.message = "retained resource delta surface does not match store";
                   }},
                  {"fragment rule",
                   [](item_case& c) {
                       c.fragment.generation = 0;
                       c.message = "retained owner fragment requires bounded identity, positive generation, and source";
                   }},
                  {"already bound before any overlap",
                   [](item_case& c) {
                       c.fragment = test_fragment("a", 9, std::vector<std::int32_t>{20, 30});
                       c.message = "retained resource owner a is already bound";
                   }},
                  {"touching ranges overlap",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{10, 20});
                       c.message = "retained resource owner n command range overlaps a";
                   }},
                  {"30..25 is compared as given",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{30, 25});
                       c.message = "retained resource owner n command range overlaps a";
                   }},
                  {"45..35 is compared as given and misses b",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{45, 35});
                   }},
                  {"31..35 fits between the owners",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{31, 35});
                   }},
                  {"a sequence another owner holds",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{50, 21, 51});
                       c.message = "retained resource owner n command range overlaps a";
                   }},
                  {"a sequence repeated in the fragment",
                   [](item_case& c) {
                       c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{60, 61, 60});
                       c.message = "retained resource owner n command range overlaps 60";
                   }},
                  {"delta of 65537 entries",
                   [](item_case& c) {
                       c.delta.clips.assign(65537, test_clip("x"));
                       c.message = "retained resource delta exceeds 65536 entries";
                   }},
                  {"staging rejection",
                   [](item_case& c) {
                       render_paint paint = test_paint("p");
                       paint.red = 1;
                       c.delta.paints.push_back(paint);
                       c.message = "retained paint identity collision for p";
                   }},
              });
    const std::vector<item_case> update_cases = with_changed(
        update, {
                    {"valid update", [](item_case&) {}},
                    {"unbound owner",
                     [](item_case& c) {
                         c.fragment = test_fragment("n", 1, std::vector<std::int32_t>{50});
                         c.message = "retained resource owner n requires an initial binding";
                     }},
                    {"equal generation",
                     [](item_case& c) {
                         c.fragment.generation = 3;
                         c.message = "retained resource owner a requires a newer fragment generation";
                     }},
                    {"one command more",
                     [](item_case& c) {
                         c.fragment.commands.push_back(test_command("a", 31));
                         c.message = "retained resource owner a must preserve its exact command range";
                     }},
                    {"one sequence changed",
                     [](item_case& c) {
                         c.fragment.commands[2].sequence = 29;
                         c.message = "retained resource owner a must preserve its exact command range";
                     }},
                    {"image generation lowered",
                     [](item_case& c) {
                         c.fragment.commands[1].image_generation = 4;
                         c.delta.images.push_back(test_image("logo", 4));
                         c.message = "retained resource owner a image logo generation regressed from 5 to 4";
                     }},
                    {"regression reported before a later sequence mismatch",
                     [](item_case& c) {
                         c.fragment.commands[1].image_generation = 4;
                         c.fragment.commands[2].sequence = 29;
                         c.message = "retained resource owner a image logo generation regressed from 5 to 4";
                     }},
                    {"another image id is not compared",
                     [](item_case& c) {
                         c.fragment.commands[1].resource_id = "other";
                         c.fragment.commands[1].image_generation = 1;
                         c.delta.images.push_back(test_image("other", 1));
                     }},
                    {"delta of 65536 entries passes the delta check",
                     [](item_case& c) {
                         for (int i = 0; i < 65536; ++i) {
                             c.delta.clips.push_back(test_clip("x" + std::to_string(i)));
                         }
                         c.message = "retained resource store exceeds 65536 entries/commands or 64 MiB";
                     }},
                    {"missing paint",
                     [](item_case& c) {
                         c.fragment.commands[0].paint_id = "q";
                         c.message = "retained resource owner a references missing paint q";
                     }},
                    {"missing image generation",
                     [](item_case& c) {
                         c.fragment.commands[1].image_generation = 6;
                         c.message = "retained resource owner a references missing image logo@6";
                     }},
                    {"missing glyph",
                     [](item_case& c) {
                         c.fragment.commands[0].kind = "glyphAlpha";
                         c.fragment.commands[0].resource_id = "g";
                         c.message = "retained resource owner a references missing glyph g";
                     }},
                    {"closing glyph is not looked up",
                     [](item_case& c) {
                         c.fragment.commands[0].kind = "glyphAlpha";
                         c.fragment.commands[0].resource_id = "g";
                         c.fragment.commands[0].closing = true;
                     }},
                    {"missing clip",
                     [](item_case& c) {
                         c.fragment.commands[2].clip_id = "d";
                         c.message = "retained resource owner a references missing clip d";
                     }},
                    {"missing transform",
                     [](item_case& c) {
                         c.fragment.commands[2].transform_id = "u";
                         c.message = "retained resource owner a references missing transform u";
                     }},
                    {"identity transform", [](item_case& c) { c.fragment.commands[2].transform_id = "identity"; }},
                });
    cases.insert(cases.end(), update_cases.begin(), update_cases.end());

    for (const item_case& c : cases) {
        const preflight_report report = store.validate(c.fragment, c.delta, c.expected_revision, c.bind);
        EXPECT_EQ(report.message, c.message) << c.label;
        EXPECT_EQ(report.ok, c.message == "ok") << c.label;
    }
    EXPECT_EQ(store.revision(), 4u) << "validation changes nothing";
    EXPECT_EQ(store.validation_count(), 4u);
}

TEST_F(validation_store, rejections_before_staging_leave_the_report_as_started)
{
    resource_delta oversized = test_delta();
    oversized.paints.assign(65537, test_paint("z"));
    const preflight_report report = store.validate(a_fragment(4), oversized, 4, false);
    EXPECT_EQ(report.message, "retained resource delta exceeds 65536 entries");
    EXPECT_EQ(report.validations, 0u);
    EXPECT_TRUE(report.staged_paints.empty());
    EXPECT_EQ(report.binding.first_sequence, -1);
    EXPECT_EQ(report.binding.last_sequence, -1);
    EXPECT_TRUE(report.binding.commands.empty());
}

TEST_F(validation_store, a_reference_failure_keeps_the_commands_resolved_before_it)
{
    owner_fragment fragment = a_fragment(4);
    fragment.commands[0].paint_id = "p";
    fragment.commands[2].clip_id = "missing";
    const preflight_report report = store.validate(fragment, test_delta(), 4, false);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.binding.first_sequence, 20);
    EXPECT_EQ(report.binding.last_sequence, 30);
    ASSERT_EQ(report.binding.commands.size(), 2u);
    EXPECT_EQ(report.binding.resolved_paints, (std::vector<std::int32_t>{0, -1}));
    EXPECT_EQ(report.binding.resolved_images, (std::vector<std::int32_t>{-1, 0}));
}

TEST_F(validation_store, references_resolve_to_committed_then_staged_rows)
{
    owner_fragment fragment = a_fragment(4);
    fragment.commands[0].paint_id = "p";
    fragment.commands[0].transform_id = "identity";
    fragment.commands[1].image_generation = 6;
    fragment.commands[1].clip_id = "c2";
    fragment.commands[2].kind = "glyphAlpha";
    fragment.commands[2].resource_id = test_glyph('e').id;
    fragment.commands[2].transform_id = "t";
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));  // already committed: the committed row wins
    delta.images.push_back(test_image("logo", 6));
    delta.glyphs.push_back(test_glyph('e'));
    delta.clips = {test_clip("c1"), test_clip("c2")};

    const preflight_report report = store.validate(fragment, delta, 4, false);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.message, "ok");
    const owner_binding& binding = report.binding;
    EXPECT_EQ(binding.resolved_paints, (std::vector<std::int32_t>{0, -1, -1}));
    EXPECT_EQ(binding.resolved_images, (std::vector<std::int32_t>{-1, 1, -1})) << "staged behind committed logo@5";
    EXPECT_EQ(binding.resolved_glyphs, (std::vector<std::int32_t>{-1, -1, 0}));
    EXPECT_EQ(binding.resolved_clips, (std::vector<std::int32_t>{-1, 2, -1})) << "second staged clip behind c";
    EXPECT_EQ(binding.resolved_transforms, (std::vector<std::int32_t>{-1, -1, 0}));
    EXPECT_EQ(binding.commands.size(), 3u);
    EXPECT_EQ(report.validations, 4u);
    EXPECT_EQ(report.explicit_comparisons, 1u);
    EXPECT_EQ(report.payload_comparisons, 0u);
}

TEST(validation_state, a_store_that_is_not_open_refuses_before_the_revision_check)
{
    retained_resource_store closed(test_surface);
    closed.close();
    retained_resource_store invalid("");
    for (const retained_resource_store* store : {&closed, &invalid}) {
        const preflight_report report =
            store->validate(test_fragment("a", 1, std::vector<std::int32_t>{1}), test_delta(), 7, true);
        EXPECT_EQ(report.message, "retained resource store is not open");
    }
}

TEST(validation_limits, owners_commands_and_payload)
{
    retained_resource_store store(test_surface);
    // 16 owners of 4096 commands reach the 65536 commands exactly.
    for (std::int32_t owner = 0; owner < 16; ++owner) {
        std::vector<std::int32_t> sequences;
        for (std::int32_t i = 0; i < 4096; ++i) {
            sequences.push_back(owner * 4096 + i);
        }
        const std::string id = "owner-" + std::to_string(owner);
        ASSERT_TRUE(store.submit_bind(test_fragment(id, 1, sequences), test_delta(), store.revision()).ok) << id;
    }
    const std::string totals = "retained resource store exceeds 65536 entries/commands or 64 MiB";
    EXPECT_EQ(store.check_bind(test_fragment("more", 1, std::vector<std::int32_t>{-5}), test_delta(), store.revision())
                  .message,
              totals);

    // 64 MiB of images in eight items pass; four bytes more fail.
    for (int item = 0; item < 8; ++item) {
        std::vector<std::int32_t> no_sequence;
        resource_delta delta = test_delta();
        for (int i = 0; i < 8; ++i) {
            delta.images.push_back(test_image("big-" + std::to_string(item * 8 + i), 1, 512, 512));
        }
        owner_fragment fragment = test_fragment("owner-0", 2 + item, std::vector<std::int32_t>{});
        for (std::int32_t i = 0; i < 4096; ++i) {
            fragment.commands.push_back(test_command("owner-0", i));
        }
        ASSERT_TRUE(store.submit_update(fragment, delta, store.revision()).ok) << item;
    }
    EXPECT_EQ(store.payload_size(), 67108864u);
    resource_delta one_more = test_delta();
    one_more.images.push_back(test_image("small", 1));
    owner_fragment fragment = test_fragment("owner-0", 20, std::vector<std::int32_t>{});
    for (std::int32_t i = 0; i < 4096; ++i) {
        fragment.commands.push_back(test_command("owner-0", i));
    }
    EXPECT_EQ(store.check_update(fragment, one_more, store.revision()).message, totals);
}

TEST(validation_limits, four_thousand_and_ninety_six_owners_block_a_bind_but_not_an_update)
{
    retained_resource_store store(test_surface);
    for (std::int32_t owner = 0; owner < 4096; ++owner) {
        const std::string id = "o" + std::to_string(owner);
        ASSERT_TRUE(
            store.submit_bind(test_fragment(id, 1, std::vector<std::int32_t>{owner}), test_delta(), store.revision())
                .ok);
    }
    EXPECT_EQ(
        store.check_bind(test_fragment("late", 1, std::vector<std::int32_t>{5000}), test_delta(), store.revision())
            .message,
        "retained resource store exceeds 4096 owners");
    EXPECT_TRUE(
        store.check_update(test_fragment("o7", 2, std::vector<std::int32_t>{7}), test_delta(), store.revision()).ok);
}

TEST(validation_limits, a_bind_counts_its_commands_and_binding_into_the_index_nodes)
{
    retained_resource_store store(test_surface);
    ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, std::vector<std::int32_t>{1}), test_delta(), 0).ok);
    // Two keys so far: the binding and the command; fill up to three below the limit.
    for (std::uint32_t i = 0; store.index_key_count() < 200704 - 3; ++i) {
        store.index_put("pad-" + std::to_string(i), i);
    }
    const std::string nodes = "retained resource store exceeds 200704 index nodes";
    EXPECT_TRUE(store.check_bind(test_fragment("b", 1, std::vector<std::int32_t>{10, 11}), test_delta(), 1).ok);
    EXPECT_EQ(store.check_bind(test_fragment("b", 1, std::vector<std::int32_t>{10, 11, 12}), test_delta(), 1).message,
              nodes);
    resource_delta one_paint = test_delta();
    one_paint.paints.push_back(test_paint("p"));
    EXPECT_EQ(store.check_bind(test_fragment("b", 1, std::vector<std::int32_t>{10, 11}), one_paint, 1).message, nodes);

    for (std::uint32_t i = 0; store.index_key_count() < 200704; ++i) {
        store.index_put("more-" + std::to_string(i), i);
    }
    EXPECT_TRUE(store.check_update(test_fragment("a", 2, std::vector<std::int32_t>{1}), test_delta(), 1).ok)
        << "an update adds no keys for its commands";
}

TEST(validation_counters, probes_count_in_the_report_and_the_scratch_set)
{
    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));
    ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, std::vector<std::int32_t>{1}), delta, 0).ok);

    // Keys: paint p, binding a, command 1. The bind looks up binding b, paint p
    // (staging and resolving) and nothing else.
    const std::vector<std::string> committed = {identity_key("paint", "p", 0), identity_key("binding", "a", 0),
                                                identity_key("command-sequence", "", 1)};
    const auto nodes_visited = [&](const std::string& key) {
        std::uint32_t visited = 0;
        bool found = false;
        // Chains are walked newest first; committed keys were put in this order.
        for (auto it = committed.rbegin(); it != committed.rend() && !found; ++it) {
            if (identifier_hash(*it, 8192) == identifier_hash(key, 8192)) {
                ++visited;
                found = *it == key;
            }
        }
        return visited;
    };
    render_command command = test_command("b", 2);
    command.paint_id = "p";
    resource_index_set scratch(1);
    const preflight_report report = store.validate_item(test_fragment("b", 1, {command}), delta, 1, true, scratch);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.index_probes,
              nodes_visited(identity_key("binding", "b", 0)) + 2 * nodes_visited(identity_key("paint", "p", 0)));
    EXPECT_EQ(report.explicit_comparisons, 1u);
    EXPECT_EQ(report.validations, 0u);
    EXPECT_EQ(scratch.probe_count(), 0u) << "lookups in an empty one-bucket set visit nothing";
}

}  // namespace
