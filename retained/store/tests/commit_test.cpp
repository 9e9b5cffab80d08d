// Committing items directly, close, the diagnostic line, and derived stores and admissions.

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(store_commit, an_initial_binding_writes_rows_keys_and_counters)
{
    retained_resource_store store(test_surface);
    owner_fragment fragment = test_fragment("a", 1, std::vector<std::int32_t>{10, 11});
    fragment.commands[1].paint_id = "p";
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));

    const operation_outcome outcome = store.submit_bind(fragment, delta, 0);
    EXPECT_EQ(outcome_text(outcome), "true|1|1|0|0|ok");
    EXPECT_EQ(store.paint_count(), 1u);
    EXPECT_EQ(store.index_get(identity_key("paint", "p", 0)), 0);
    EXPECT_EQ(store.owner_count(), 1u);
    EXPECT_EQ(store.find_binding("a"), 0);
    EXPECT_EQ(store.index_get(identity_key("command-sequence", "", 10)), 0);
    EXPECT_EQ(store.index_get(identity_key("command-sequence", "", 11)), 1);
    EXPECT_EQ(store.index_key_count(), 4u);
    EXPECT_EQ(store.command_count(), 2u);
    EXPECT_EQ(store.command_owner(0), 0);
    EXPECT_EQ(store.command_owner(1), 0);
    EXPECT_EQ(store.command_paint(0), -1);
    EXPECT_EQ(store.command_paint(1), 0);
    EXPECT_EQ(store.find_command(fragment.commands[1]), 1);
    EXPECT_EQ(store.revision(), 1u);
    EXPECT_EQ(store.admission_count(), 1u);
    EXPECT_EQ(store.validation_count(), 1u);

    // A second owner starts behind the first owner's command rows.
    const owner_fragment second = test_fragment("b", 1, std::vector<std::int32_t>{20, 21, 22});
    ASSERT_TRUE(store.submit_bind(second, test_delta(), 1).ok);
    EXPECT_EQ(store.find_binding("b"), 1);
    EXPECT_EQ(store.find_command(second.commands[0]), 2);
    EXPECT_EQ(store.find_command_owner(second.commands[2]), 1);
    EXPECT_EQ(store.command_count(), 5u);
}

TEST(store_commit, an_update_overwrites_the_command_rows_in_place)
{
    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.images.push_back(test_image("logo", 1));
    owner_fragment fragment = test_fragment("a", 1, std::vector<std::int32_t>{10, 11});
    fragment.commands[0].kind = "image";
    fragment.commands[0].resource_id = "logo";
    fragment.commands[0].image_generation = 1;
    ASSERT_TRUE(store.submit_bind(fragment, delta, 0).ok);
    const std::uint32_t keys = store.index_key_count();

    owner_fragment newer = fragment;
    newer.generation = 2;
    newer.commands[0].image_generation = 2;
    newer.commands[1].opaque_a = "changed";
    resource_delta newer_delta = test_delta();
    newer_delta.images.push_back(test_image("logo", 2, 2, 2));
    newer_delta.clips.push_back(test_clip("c"));
    const operation_outcome outcome = store.submit_update(newer, newer_delta, 1);
    EXPECT_EQ(outcome_text(outcome), "true|2|2|0|0|ok");

    EXPECT_EQ(store.owner_count(), 1u);
    EXPECT_EQ(store.owner_generation(0), 2);
    EXPECT_EQ(store.command_count(), 2u);
    EXPECT_EQ(store.find_command(fragment.commands[1]), -1) << "the old content is gone";
    EXPECT_EQ(store.find_command(newer.commands[1]), 1);
    EXPECT_EQ(store.command_owner(1), 0);
    EXPECT_EQ(store.command_image(0), 1);
    EXPECT_EQ(store.index_key_count(), keys + 2) << "logo@2 and the clip; image-latest is overwritten";
    EXPECT_EQ(store.index_get(identity_key("image-latest", "logo", 0)), 1);
    EXPECT_EQ(store.index_get(identity_key("image-generation", "logo", 1)), 0);
    EXPECT_EQ(store.image_count(), 2u);
    EXPECT_EQ(store.payload_size(), 4u + 16u);
    EXPECT_EQ(store.revision(), 2u);
    EXPECT_EQ(store.admission_count(), 2u);
    EXPECT_EQ(store.validation_count(), 3u) << "the sum over both commits";
}

TEST(store_direct, check_changes_nothing_and_goes_stale_after_a_submit)
{
    retained_resource_store store(test_surface);
    const owner_fragment fragment = test_fragment("a", 1, std::vector<std::int32_t>{1});
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));

    EXPECT_EQ(outcome_text(store.check_bind(fragment, delta, 0)), "true|0|1|0|0|ok");
    EXPECT_EQ(store.validation_count(), 0u);
    EXPECT_EQ(store.index_probe_count(), 0u);
    EXPECT_EQ(outcome_text(store.submit_bind(fragment, delta, 0)), "true|1|1|0|0|ok");
    EXPECT_EQ(outcome_text(store.check_bind(fragment, delta, 0)),
              "false|1|0|0|0|retained resource store stale revision: expected 0, current 1");
    EXPECT_EQ(outcome_text(store.submit_bind(fragment, delta, 1)),
              "false|1|0|0|0|retained resource owner a is already bound");
    EXPECT_EQ(outcome_text(store.submit_update(test_fragment("z", 1, std::vector<std::int32_t>{9}), delta, 1)),
              "false|1|0|0|0|retained resource owner z requires an initial binding");
    EXPECT_EQ(outcome_text(store.check_update(test_fragment("a", 2, std::vector<std::int32_t>{1}), delta, 1)),
              "true|1|0|1|0|ok");
    EXPECT_EQ(store.revision(), 1u);
    EXPECT_EQ(store.validation_count(), 1u);
    EXPECT_EQ(store.explicit_comparison_count(), 0u);
}

TEST(store_close, close_empties_columns_and_keeps_work_counters)
{
    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.images.push_back(test_image("logo", 1));
    delta.paints.push_back(test_paint("p"));
    ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, std::vector<std::int32_t>{1, 2}), delta, 0).ok);
    const std::uint32_t probes = store.index_probe_count();

    EXPECT_TRUE(store.close());
    EXPECT_EQ(store.state(), "closed");
    EXPECT_EQ(store.revision(), 2u);
    EXPECT_EQ(store.entry_count(), 0u);
    EXPECT_EQ(store.owner_count(), 0u);
    EXPECT_EQ(store.command_count(), 0u);
    EXPECT_EQ(store.payload_size(), 0u);
    EXPECT_EQ(store.index_key_count(), 0u);
    EXPECT_EQ(store.index_probe_count(), probes);
    EXPECT_EQ(store.validation_count(), 2u);
    EXPECT_EQ(store.admission_count(), 1u);
    EXPECT_EQ(store.surface(), test_surface);

    EXPECT_TRUE(store.close());
    EXPECT_EQ(store.revision(), 2u);
    EXPECT_EQ(store.submit_bind(test_fragment("b", 1, std::vector<std::int32_t>{5}), test_delta(), 2).message,
              "retained resource store is not open");

    retained_resource_store invalid("");
    EXPECT_TRUE(invalid.close());
    EXPECT_EQ(invalid.state(), "closed");
    EXPECT_EQ(invalid.revision(), 1u);
}

TEST(store_diagnostic, the_line_fresh_and_after_commits)
{
    EXPECT_EQ(retained_resource_store("").diagnostic(),
              "retained-resource-store-v1: surface=; state=invalid; revision=0; entries=0; owners=0; commands=0; "
              "payload=0; validations=0; explicit-comparisons=0; payload-comparisons=0; admissions=0; "
              "rejections=operation-results-only");

    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.images.push_back(test_image("logo", 1, 4, 4));
    ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, std::vector<std::int32_t>{1, 2, 3}), delta, 0).ok);
    ASSERT_TRUE(store.submit_update(test_fragment("a", 2, std::vector<std::int32_t>{1, 2, 3}), delta, 1).ok);
    EXPECT_EQ(store.diagnostic(),
              "retained-resource-store-v1: surface=surface-main; state=open; revision=2; entries=1; owners=1; "
              "commands=3; payload=64; validations=1; explicit-comparisons=1; payload-comparisons=1; admissions=2; "
              "rejections=operation-results-only");
}

}  // namespace

namespace {

TEST(store_misuse, rows_and_reports_outside_the_preconditions_are_answered_safely)
{
    retained_resource_store store(test_surface);
    ASSERT_TRUE(store.submit_bind(test_fragment("a", 1, std::vector<std::int32_t>{1}), test_delta(), 0).ok);
    resource_index_set scratch(1);
    EXPECT_EQ(store.committed_paint_at(5).id, "");
    EXPECT_EQ(store.paint_at(scratch, 9).id, "");
    EXPECT_EQ(store.image_at(scratch, -3).id, "");
    EXPECT_EQ(store.command_paint(7), 0);
    EXPECT_EQ(store.owner_generation(-1), 0);

    // An update of an owner that is not bound writes no owner or command row.
    preflight_report unbound("z", 2);
    unbound.binding.commands.push_back(test_command("z", 1));
    store.apply_validated_item(unbound, false);
    store.write_command_at(4, test_command("z", 1), -1, -1, -1, -1, -1);
    EXPECT_EQ(store.owner_count(), 1u);
    EXPECT_EQ(store.command_count(), 1u);
    EXPECT_EQ(store.find_command(test_command("a", 1)), 0);
}

}  // namespace

namespace {

// A command sequence may name one command only: a second "command-sequence" key
// would replace the first and lose a committed command from the index.
TEST(store_sequences, a_bind_may_not_reuse_a_committed_sequence)
{
    retained_resource_store store(test_surface);
    const owner_fragment a = test_fragment("A", 1, std::vector<std::int32_t>{10, 50, 11});
    ASSERT_TRUE(store.submit_bind(a, test_delta(), 0).ok);
    const std::uint32_t probes = store.index_probe_count();
    const operation_outcome refused =
        store.submit_bind(test_fragment("B", 1, std::vector<std::int32_t>{50}), test_delta(), 1);
    EXPECT_EQ(outcome_text(refused), "false|1|0|0|0|retained resource owner B command range overlaps A");
    EXPECT_EQ(store.find_command(a.commands[1]), 1);
    EXPECT_EQ(store.index_probe_count(), probes) << "a refusal counts nothing";
    EXPECT_EQ(
        outcome_text(store.submit_bind(test_fragment("B", 1, std::vector<std::int32_t>{7, 8, 7}), test_delta(), 1)),
        "false|1|0|0|0|retained resource owner B command range overlaps 7");
    EXPECT_TRUE(store.submit_bind(test_fragment("B", 1, std::vector<std::int32_t>{60, 61}), test_delta(), 1).ok);
}

}  // namespace

namespace {

// A store whose commit override reads the report again after the store applied it.
class watching_store : public retained_resource_store {
public:
    using retained_resource_store::retained_resource_store;

    operation_outcome commit_validated_item(const preflight_report& report, bool bind) override
    {
        operation_outcome outcome = retained_resource_store::commit_validated_item(report, bind);
        seen.push_back(std::to_string(report.staged_paints.size()) + " paints, " +
                       std::to_string(report.binding.commands.size()) + " commands");
        return outcome;
    }

    std::vector<std::string> seen;
};

// An admission that claims every store and whose own comparison refuses every input.
class refusing_admission : public retained_prepared_admission {
public:
    using retained_prepared_admission::retained_prepared_admission;
    bool belongs_to(const std::shared_ptr<retained_store_identity>&) const override { return true; }
    bool inputs_match(owner_fragment, resource_delta) const override { return false; }
};

TEST(store_overrides, derived_classes_keep_every_call_and_the_reports_they_are_given)
{
    watching_store store(test_surface);
    owner_fragment fragment = test_fragment("a", 1, std::vector<std::int32_t>{10, 11});
    fragment.commands[0].paint_id = "p";
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));

    ASSERT_TRUE(store.submit_bind(fragment, delta, 0).ok);
    fragment.generation = 2;
    const auto admission = store.prepare_update_admission(fragment, delta, 1);
    ASSERT_TRUE(store.commit_update_admission(admission, fragment, delta).ok);
    // The committed paint is known identical, so the update stages nothing.
    EXPECT_EQ(store.seen, (std::vector<std::string>{"1 paints, 2 commands", "0 paints, 2 commands"}));

    // The store asks a derived admission's own inputs_match.
    fragment.generation = 3;
    const preflight_report report = store.validate(fragment, delta, 2, false);
    ASSERT_TRUE(report.ok);
    const auto refusing = std::make_shared<refusing_admission>(std::make_shared<retained_store_identity>(), report,
                                                               fragment, delta, 2, 0);
    EXPECT_EQ(store.commit_update_admission(refusing, fragment, delta).message,
              "retained resource prepared admission inputs were changed");
}

}  // namespace
