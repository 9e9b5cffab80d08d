// Prepared candidate batches: the whole-batch checks, the items validated against
// one scratch set, and committing a batch as one revision step.

#include "retained/store/retained_prepared_candidate_batch.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

namespace {

const std::string requires_items = "retained resource candidate batch requires 1..4096 parallel fragment/delta items";
const std::string exceeds_totals = "retained resource candidate batch exceeds 65536 commands or delta entries";

// Owners "o0" .. "o3" bound with one command each (sequences 0 .. 3), revision 4.
class batch_store : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::int32_t i = 0; i < 4; ++i) {
            ASSERT_TRUE(store.submit_bind(update(i, 1), test_delta(), store.revision()).ok);
        }
    }

    static owner_fragment update(std::int32_t owner, std::int32_t generation)
    {
        return test_fragment("o" + std::to_string(owner), generation, std::vector<std::int32_t>{owner});
    }

    retained_resource_store store{test_surface};
};

TEST_F(batch_store, whole_batch_checks_come_first)
{
    const std::vector<owner_fragment> three = {update(0, 2), update(1, 2), update(2, 2)};
    std::vector<owner_fragment> many(4097, update(0, 2));
    const std::vector<resource_delta> many_deltas(4097, test_delta());
    std::vector<owner_fragment> oversized = {update(0, 2)};
    oversized[0].commands.assign(65537, test_command("o0", 0));
    std::vector<resource_delta> big_deltas(2, test_delta());
    big_deltas[0].clips.assign(32768, test_clip("c"));
    big_deltas[1].clips.assign(32769, test_clip("c"));

    struct batch_case {
        std::string label;
        std::vector<owner_fragment> fragments;
        std::vector<resource_delta> deltas;
        std::uint32_t revision;
        std::string message;
    };
    const std::vector<batch_case> cases = {
        {"stale", three, std::vector<resource_delta>(3, test_delta()), 3,
         "retained resource store stale revision: expected 3, current 4"},
        {"no items", {}, {}, 4, requires_items},
        {"4097 items", many, many_deltas, 4, requires_items},
        {"three fragments, two deltas", three, std::vector<resource_delta>(2, test_delta()), 4, requires_items},
        {"65537 commands", oversized, {test_delta()}, 4, exceeds_totals},
        {"65537 delta entries", {update(0, 2), update(1, 2)}, big_deltas, 4, exceeds_totals},
        {"a duplicate owner before any validation",
         {update(9, 1), update(1, 2), update(1, 3)},
         std::vector<resource_delta>(3, test_delta()),
         4,
         "retained resource candidate batch duplicates owner o1"},
        {"a sequence twice in one fragment",
         {test_fragment("o1", 2, std::vector<std::int32_t>{7, 7})},
         {test_delta()},
         4,
         "retained resource candidate batch duplicates command sequence 7"},
        {"a sequence in two fragments",
         {test_fragment("o9", 2, std::vector<std::int32_t>{7}), test_fragment("o1", 2, std::vector<std::int32_t>{7})},
         std::vector<resource_delta>(2, test_delta()),
         4,
         "retained resource candidate batch duplicates command sequence 7"},
        {"an unbound owner",
         {update(0, 2), update(1, 2), update(9, 1)},
         std::vector<resource_delta>(3, test_delta()),
         4,
         "retained resource candidate batch item 2: retained resource owner o9 requires an initial binding"},
    };
    for (const batch_case& c : cases) {
        const auto batch = store.prepare_candidate_batch(c.fragments, c.deltas, c.revision);
        EXPECT_FALSE(batch->ok()) << c.label;
        EXPECT_EQ(batch->message(), c.message) << c.label;
        EXPECT_EQ(batch->revision(), c.revision) << c.label;
    }
    EXPECT_EQ(store.revision(), 4u);
    EXPECT_EQ(store.validation_count(), 0u);
}

TEST_F(batch_store, the_item_message_keeps_the_accepted_items_and_their_counters)
{
    std::vector<resource_delta> deltas(3, test_delta());
    deltas[0].paints.push_back(test_paint("p"));
    deltas[1].paints = {test_paint("p"), test_paint("q")};
    const auto batch = store.prepare_candidate_batch({update(0, 2), update(1, 2), update(2, 1)}, deltas, 4);
    EXPECT_EQ(batch->message(),
              "retained resource candidate batch item 2: retained resource owner o2 requires a newer fragment "
              "generation");
    EXPECT_EQ(batch->item_count(), 2u);
    EXPECT_EQ(batch->validation_count(), 2u);
    EXPECT_EQ(batch->explicit_comparison_count(), 1u) << "item 1 finds p in the scratch set";
    EXPECT_EQ(batch->scratch_counter_3(), 0u);
    EXPECT_EQ(batch->scratch_counter_4(), 0u);
}

TEST(candidate_batch_state, a_store_that_is_not_open_gives_an_empty_refused_batch)
{
    retained_resource_store store(test_surface);
    store.close();
    const auto batch =
        store.prepare_candidate_batch({test_fragment("a", 1, std::vector<std::int32_t>{1})}, {test_delta()}, 1);
    EXPECT_FALSE(batch->ok());
    EXPECT_EQ(batch->message(), "retained resource store is not open");
    EXPECT_EQ(batch->item_count(), 0u);
    EXPECT_EQ(batch->scratch_probe_count(), 0u);
    EXPECT_EQ(batch->revision(), 1u);
}

// The probes of the duplicate lookups of fragments whose owners and sequences are
// all distinct, in an index set of `buckets` buckets.
std::uint32_t duplicate_probes(const std::vector<owner_fragment>& fragments, std::int32_t buckets)
{
    resource_index_set scratch(buckets);
    for (std::size_t i = 0; i < fragments.size(); ++i) {
        scratch.owner_keys.find(fragments[i].owner_id);
        scratch.owner_keys.put(fragments[i].owner_id, static_cast<std::int32_t>(i));
        for (const render_command& command : fragments[i].commands) {
            const std::string key = identity_key("command-sequence", "", command.sequence);
            scratch.sequence_keys.find(key);
            scratch.sequence_keys.put(key, static_cast<std::int32_t>(i));
        }
    }
    return scratch.probe_count();
}

TEST(candidate_batch_sizing, buckets_double_from_64_to_8192_with_the_batch)
{
    struct sizing_case {
        std::int32_t commands;  // one item, empty delta: the target is commands + 1
        std::int32_t buckets;
        std::int32_t smaller;
    };
    const sizing_case cases[] = {{1, 64, 32}, {64, 128, 64}, {4096, 8192, 4096}};
    for (const sizing_case& c : cases) {
        std::vector<std::int32_t> sequences;
        for (std::int32_t i = 0; i < c.commands; ++i) {
            sequences.push_back(i * 37);
        }
        const std::vector<owner_fragment> fragments = {test_fragment("unbound", 1, sequences)};
        retained_resource_store store(test_surface);
        const auto batch = store.prepare_candidate_batch(fragments, {test_delta()}, 0);
        ASSERT_EQ(batch->item_count(), 0u);
        EXPECT_EQ(batch->scratch_probe_count(), duplicate_probes(fragments, c.buckets)) << c.commands;
        if (c.commands > 1) {
            EXPECT_NE(duplicate_probes(fragments, c.buckets), duplicate_probes(fragments, c.smaller))
                << "the case tells the bucket counts apart";
        }
    }
}

TEST(candidate_batch_sizing, totals_of_exactly_65536_pass)
{
    retained_resource_store store(test_surface);
    std::vector<owner_fragment> fragments;
    for (std::int32_t owner = 0; owner < 16; ++owner) {
        std::vector<std::int32_t> sequences;
        for (std::int32_t i = 0; i < 4096; ++i) {
            sequences.push_back(owner * 4096 + i);
        }
        fragments.push_back(test_fragment("o" + std::to_string(owner), 1, sequences));
    }
    std::vector<resource_delta> deltas(16, test_delta());
    deltas[0].clips.assign(65536, test_clip("c"));
    const auto batch = store.prepare_candidate_batch(fragments, deltas, 0);
    EXPECT_EQ(batch->message(),
              "retained resource candidate batch item 0: retained resource owner o0 requires an initial binding");
}

TEST_F(batch_store, later_items_see_the_resources_of_earlier_ones)
{
    std::vector<owner_fragment> fragments = {update(0, 2), update(1, 2), update(2, 2)};
    fragments[1].commands[0].paint_id = "p";
    fragments[2].commands[0].kind = "image";
    fragments[2].commands[0].resource_id = "logo";
    fragments[2].commands[0].image_generation = 2;
    std::vector<resource_delta> deltas(3, test_delta());
    deltas[0].paints = {test_paint("first"), test_paint("p")};
    deltas[1].images.push_back(test_image("logo", 1));
    deltas[2].images.push_back(test_image("logo", 2));

    const auto batch = store.prepare_candidate_batch(fragments, deltas, 4);
    ASSERT_TRUE(batch->ok()) << batch->message();
    EXPECT_EQ(batch->item_count(), 3u);
    const preflight_report second = batch->materialize_report(1, fragments[1], deltas[1]);
    EXPECT_EQ(second.binding.resolved_paints, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(batch->materialize_report(3, fragments[1], deltas[1]).message, "preflight-not-complete")
        << "no item at that position";

    const operation_outcome outcome = store.commit_prepared_candidate_batch(batch, fragments, deltas);
    EXPECT_EQ(outcome_text(outcome), "true|5|4|0|0|ok");
    EXPECT_EQ(outcome.validations, batch->validation_count());
    EXPECT_EQ(store.admission_count(), 5u);
    EXPECT_EQ(store.validation_count(), 4u);
    EXPECT_EQ(store.committed_paint_at(store.command_paint(1)).id, "p");
    EXPECT_EQ(store.committed_image_at(store.command_image(2)).generation, 2);
    EXPECT_EQ(store.owner_generation(2), 2);
    EXPECT_EQ(store.index_get(identity_key("image-latest", "logo", 0)), 1);
    EXPECT_TRUE(batch->consumed());
}

TEST_F(batch_store, commit_refusals_in_order)
{
    retained_resource_store other(test_surface);
    for (std::int32_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(other.submit_bind(update(i, 1), test_delta(), other.revision()).ok);
    }
    const std::vector<owner_fragment> fragments = {update(0, 2), update(1, 2)};
    const std::vector<owner_fragment> reordered = {update(1, 2), update(0, 2)};
    const std::vector<resource_delta> deltas(2, test_delta());

    const auto foreign = other.prepare_candidate_batch(fragments, deltas, 4);
    const auto refused = store.prepare_candidate_batch({update(0, 1)}, {test_delta()}, 4);
    const auto good = store.prepare_candidate_batch(fragments, deltas, 4);
    ASSERT_TRUE(good->ok());
    EXPECT_EQ(store.commit_prepared_candidate_batch(foreign, fragments, deltas).message,
              "retained resource prepared candidate batch belongs to another store");
    EXPECT_EQ(store.commit_prepared_candidate_batch(refused, reordered, deltas).message,
              "retained resource candidate batch item 0: retained resource owner o0 requires a newer fragment "
              "generation");
    EXPECT_EQ(outcome_text(store.commit_prepared_candidate_batch(good, reordered, deltas)),
              "false|4|0|0|0|retained resource prepared candidate batch inputs were changed or reordered");
    EXPECT_EQ(store.commit_prepared_candidate_batch(good, {fragments[0]}, {deltas[0]}).message,
              "retained resource prepared candidate batch inputs were changed or reordered");
    EXPECT_FALSE(good->consumed());
    EXPECT_EQ(store.revision(), 4u);

    const auto stale = store.prepare_candidate_batch({update(2, 2)}, {test_delta()}, 4);
    EXPECT_TRUE(store.commit_prepared_candidate_batch(good, fragments, deltas).ok);
    EXPECT_EQ(store.commit_prepared_candidate_batch(good, fragments, deltas).message,
              "retained resource prepared candidate batch was already consumed");
    EXPECT_EQ(store.commit_prepared_candidate_batch(stale, {update(2, 2)}, {test_delta()}).message,
              "retained resource prepared candidate batch is stale: expected 4, current 5");
    EXPECT_FALSE(stale->consumed());
}

}  // namespace
