// Prepared admissions: what they keep, how their inputs are matched and rebuilt,
// and why their commits are refused.

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Owner "a" bound at revision 1 with commands 1 and 2 and the paint "p".
class admission_store : public ::testing::Test {
protected:
    void SetUp() override
    {
        resource_delta delta = test_delta();
        delta.paints.push_back(test_paint("p"));
        ASSERT_TRUE(store.submit_bind(update(1), delta, 0).ok);
    }

    static owner_fragment update(std::int32_t generation)
    {
        owner_fragment fragment = test_fragment("a", generation, std::vector<std::int32_t>{1, 2});
        fragment.commands[1].paint_id = "p";
        return fragment;
    }

    // A delta carrying one record of every kind.
    static resource_delta full_delta()
    {
        resource_delta delta = test_delta();
        delta.paints = {test_paint("p"), test_paint("q")};
        delta.images.push_back(test_image("logo", 1));
        delta.glyphs.push_back(test_glyph('c'));
        delta.clips.push_back(test_clip("c"));
        delta.transforms.push_back(test_transform("t"));
        return delta;
    }

    retained_resource_store store{test_surface};
};

TEST_F(admission_store, commit_refusals_in_order_leave_the_admission_unconsumed)
{
    retained_resource_store other(test_surface);
    resource_delta paint = test_delta();
    paint.paints.push_back(test_paint("p"));
    ASSERT_TRUE(other.submit_bind(update(1), paint, 0).ok);
    const owner_fragment fragment = update(2);
    const resource_delta delta = full_delta();
    owner_fragment changed_fragment = fragment;
    changed_fragment.commands[0].opaque_b = "x";

    struct refusal_case {
        std::string label;
        std::shared_ptr<retained_prepared_admission> admission;
        std::function<operation_outcome(const std::shared_ptr<retained_prepared_admission>&)> commit;
        std::string message;
    };
    const auto as_update = [&](const std::shared_ptr<retained_prepared_admission>& a) {
        return store.commit_update_admission(a, fragment, delta);
    };
    const std::vector<refusal_case> cases = {
        {"another store's, same surface and revision", other.prepare_update_admission(fragment, delta, 1), as_update,
         "retained resource prepared admission belongs to another store"},
        {"another store's and rejected", other.prepare_update_admission(fragment, delta, 9), as_update,
         "retained resource prepared admission belongs to another store"},
        {"kind", store.prepare_update_admission(fragment, delta, 1),
         [&](const auto& a) { return store.commit_bind_admission(a, fragment, delta); },
         "retained resource prepared admission kind does not match commit"},
        {"rejected at preparation",
         store.prepare_update_admission(test_fragment("z", 1, std::vector<std::int32_t>{9}), delta, 1), as_update,
         "retained resource owner z requires an initial binding"},
        {"stale and rejected", store.prepare_update_admission(fragment, delta, 0), as_update,
         "retained resource store stale revision: expected 0, current 1"},
        {"inputs changed", store.prepare_update_admission(fragment, delta, 1),
         [&](const auto& a) { return store.commit_update_admission(a, changed_fragment, delta); },
         "retained resource prepared admission inputs were changed"},
    };
    for (const refusal_case& c : cases) {
        const operation_outcome outcome = c.commit(c.admission);
        EXPECT_EQ(outcome_text(outcome), "false|1|0|0|0|" + c.message) << c.label;
        EXPECT_FALSE(c.admission->consumed()) << c.label;
    }
    EXPECT_EQ(store.revision(), 1u);
    EXPECT_EQ(store.admission_count(), 1u);

    // The admission refused for changed inputs still commits with its own.
    const auto admission = cases.back().admission;
    EXPECT_EQ(outcome_text(store.commit_update_admission(admission, fragment, delta)), "true|2|5|1|0|ok");
    EXPECT_TRUE(admission->consumed());
    EXPECT_EQ(outcome_text(store.commit_update_admission(admission, fragment, delta)),
              "false|2|0|0|0|retained resource prepared admission was already consumed");
    EXPECT_EQ(outcome_text(store.commit_bind_admission(admission, fragment, delta)),
              "false|2|0|0|0|retained resource prepared admission was already consumed")
        << "consumed is told before the kind";
}

TEST_F(admission_store, a_second_admission_of_the_same_revision_goes_stale)
{
    const auto first = store.prepare_update_admission(update(2), test_delta(), 1);
    const auto second = store.prepare_update_admission(update(3), test_delta(), 1);
    EXPECT_TRUE(store.commit_update_admission(first, update(2), test_delta()).ok);
    EXPECT_EQ(outcome_text(store.commit_update_admission(second, update(3), test_delta())),
              "false|2|0|0|0|retained resource prepared admission is stale: expected 1, current 2");
    EXPECT_FALSE(second->consumed());

    const auto before_close = store.prepare_update_admission(update(4), test_delta(), 2);
    store.close();
    EXPECT_EQ(store.commit_update_admission(before_close, update(4), test_delta()).message,
              "retained resource prepared admission is stale: expected 2, current 3");
}

TEST_F(admission_store, preparation_keeps_the_verdict_and_the_callers_revision)
{
    const auto bound = store.prepare_bind_admission(update(2), test_delta(), 1);
    EXPECT_EQ(bound->kind(), 1);
    EXPECT_FALSE(bound->ok());
    EXPECT_EQ(bound->message(), "retained resource owner a is already bound");

    const auto stale = store.prepare_update_admission(update(2), test_delta(), 7);
    EXPECT_EQ(stale->kind(), 0);
    EXPECT_EQ(stale->revision(), 7u);
    EXPECT_EQ(stale->message(), "retained resource store stale revision: expected 7, current 1");

    const auto accepted = store.prepare_update_admission(update(2), full_delta(), 1);
    EXPECT_TRUE(accepted->ok());
    EXPECT_EQ(accepted->message(), "ok");
    EXPECT_EQ(accepted->validation_count(), 5u);
    EXPECT_EQ(accepted->explicit_comparison_count(), 1u);
    EXPECT_EQ(accepted->payload_comparison_count(), 0u);
    EXPECT_FALSE(accepted->belongs_to(std::make_shared<retained_store_identity>()));
    EXPECT_EQ(store.validation_count(), 1u) << "preparing changes nothing";
    EXPECT_EQ(store.revision(), 1u);

    accepted->mark_consumed();
    EXPECT_TRUE(accepted->consumed());
    EXPECT_TRUE(accepted->ok());
    EXPECT_EQ(accepted->revision(), 1u);
    EXPECT_EQ(accepted->validation_count(), 5u);
}

TEST_F(admission_store, inputs_match_ignores_the_surface_and_catches_any_other_change)
{
    const owner_fragment fragment = update(2);
    const resource_delta delta = full_delta();
    const auto admission = store.prepare_update_admission(fragment, delta, 1);
    ASSERT_TRUE(admission->ok()) << admission->message();

    const std::uint32_t store_probes = store.index_probe_count();
    const std::uint32_t admission_probes = admission->index_probe_count();
    resource_delta moved = delta;
    moved.surface = "elsewhere";
    EXPECT_TRUE(admission->inputs_match(fragment, delta));
    EXPECT_TRUE(admission->inputs_match(fragment, moved));

    const std::vector<std::pair<std::string, std::function<void(owner_fragment&, resource_delta&)>>> changes = {
        {"command text", [](owner_fragment& f, resource_delta&) { f.commands[1].opaque_c = "x"; }},
        {"command flag", [](owner_fragment& f, resource_delta&) { f.commands[0].closing = true; }},
        {"fragment source", [](owner_fragment& f, resource_delta&) { f.source = "other"; }},
        {"fragment generation", [](owner_fragment& f, resource_delta&) { f.generation = 3; }},
        {"one command more", [](owner_fragment& f, resource_delta&) { f.commands.push_back(f.commands[0]); }},
        {"paint", [](owner_fragment&, resource_delta& d) { d.paints[1].blue = 1; }},
        {"paints swapped", [](owner_fragment&, resource_delta& d) { std::swap(d.paints[0], d.paints[1]); }},
        {"paint added", [](owner_fragment&, resource_delta& d) { d.paints.push_back(test_paint("r")); }},
        {"image", [](owner_fragment&, resource_delta& d) { d.images[0].payload.back() = 'b'; }},
        {"glyph", [](owner_fragment&, resource_delta& d) { d.glyphs[0].source = "x"; }},
        {"clip", [](owner_fragment&, resource_delta& d) { d.clips[0].radius = 0; }},
        {"transform", [](owner_fragment&, resource_delta& d) { d.transforms[0].rotation = 1; }},
    };
    for (const auto& [label, change] : changes) {
        owner_fragment f = fragment;
        resource_delta d = delta;
        change(f, d);
        EXPECT_FALSE(admission->inputs_match(f, d)) << label;
    }
    EXPECT_EQ(store.index_probe_count(), store_probes);
    EXPECT_EQ(admission->index_probe_count(), admission_probes);
    EXPECT_EQ(admission->validation_count(), 5u);
}

TEST_F(admission_store, materialize_report_rebuilds_the_validated_report)
{
    owner_fragment fragment = update(2);
    fragment.commands[0].kind = "image";
    fragment.commands[0].resource_id = "logo";
    fragment.commands[0].image_generation = 1;
    resource_delta delta = test_delta();
    // q is staged, p is known (committed), r is staged, q again is known (staged).
    delta.paints = {test_paint("q"), test_paint("p"), test_paint("r"), test_paint("q")};
    delta.images.push_back(test_image("logo", 1));

    const preflight_report validated = store.validate(fragment, delta, 1, false);
    ASSERT_TRUE(validated.ok) << validated.message;
    const auto admission = store.prepare_update_admission(fragment, delta, 1);
    const preflight_report rebuilt = admission->materialize_report(fragment, delta);

    EXPECT_EQ(rebuilt.ok, validated.ok);
    EXPECT_EQ(rebuilt.message, "ok");
    EXPECT_EQ(rebuilt.validations, validated.validations);
    EXPECT_EQ(rebuilt.explicit_comparisons, validated.explicit_comparisons);
    EXPECT_EQ(rebuilt.payload_comparisons, validated.payload_comparisons);
    EXPECT_EQ(rebuilt.index_probes, validated.index_probes);
    ASSERT_EQ(rebuilt.staged_paints.size(), 2u);
    EXPECT_EQ(rebuilt.staged_paints[0].id, "q");
    EXPECT_EQ(rebuilt.staged_paints[1].id, "r");
    ASSERT_EQ(rebuilt.staged_images.size(), 1u);
    EXPECT_TRUE(image_record_equal(rebuilt.staged_images[0], test_image("logo", 1)));
    const owner_binding& a = rebuilt.binding;
    const owner_binding& b = validated.binding;
    EXPECT_EQ(a.owner_id, "a");
    EXPECT_EQ(a.generation, 2);
    EXPECT_EQ(a.first_sequence, 1);
    EXPECT_EQ(a.last_sequence, 2);
    ASSERT_EQ(a.commands.size(), 2u);
    EXPECT_EQ(command_signature(a.commands[0]), command_signature(b.commands[0]));
    EXPECT_EQ(a.resolved_paints, b.resolved_paints);
    EXPECT_EQ(a.resolved_images, b.resolved_images);
    EXPECT_EQ(a.resolved_glyphs, b.resolved_glyphs);
    EXPECT_EQ(a.resolved_clips, b.resolved_clips);
    EXPECT_EQ(a.resolved_transforms, b.resolved_transforms);
    EXPECT_EQ(a.resolved_images, (std::vector<std::int32_t>{0, -1}));
}

TEST_F(admission_store, a_committed_bind_admission_applies_like_a_submit)
{
    resource_delta delta = test_delta();
    delta.clips.push_back(test_clip("c"));
    owner_fragment fragment = test_fragment("b", 1, std::vector<std::int32_t>{5, 6});
    fragment.commands[0].clip_id = "c";
    const auto admission = store.prepare_bind_admission(fragment, delta, 1);
    EXPECT_EQ(outcome_text(store.commit_bind_admission(admission, fragment, delta)), "true|2|1|0|0|ok");
    EXPECT_EQ(store.find_binding("b"), 1);
    EXPECT_EQ(store.command_clip(2), 0);
    EXPECT_EQ(store.find_command(fragment.commands[1]), 3);
    EXPECT_EQ(store.admission_count(), 2u);
    EXPECT_EQ(store.validation_count(), 2u);
}

}  // namespace
