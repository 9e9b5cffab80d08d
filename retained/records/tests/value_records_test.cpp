#include "retained/records/result_records.h"
#include "retained/records/tests/record_samples.h"
#include "retained/records/value_records.h"

#include <gtest/gtest.h>

namespace {

TEST(record_equality, compares_every_field)
{
    const render_paint paint{"p", 1, 2, 3, 4, 5, 6, 7};
    render_paint other_opacity = paint;
    other_opacity.opacity = 8;
    render_paint other_case = paint;
    other_case.id = "P";
    EXPECT_TRUE(paint_record_equal(paint, render_paint(paint)));
    EXPECT_FALSE(paint_record_equal(paint, other_opacity));
    EXPECT_FALSE(paint_record_equal(paint, other_case));

    const render_image image = ready_image();
    render_image nonresident = image;
    nonresident.resident = false;
    render_image last_digit = image;
    last_digit.payload.back() = 'E';
    render_image next_generation = image;
    next_generation.generation = 2;
    EXPECT_TRUE(image_record_equal(image, render_image(image)));
    EXPECT_FALSE(image_record_equal(image, nonresident));
    EXPECT_FALSE(image_record_equal(image, last_digit));
    EXPECT_FALSE(image_record_equal(image, next_generation));

    const glyph_alpha_resource glyph{"sha256:00", 1, 1, 1, 1, "a8-unorm-hex", "00", "font"};
    glyph_alpha_resource other_glyph = glyph;
    other_glyph.source = "other";
    EXPECT_TRUE(glyph_record_equal(glyph, glyph_alpha_resource(glyph)));
    EXPECT_FALSE(glyph_record_equal(glyph, other_glyph));

    const render_clip clip{"c", 0, 0, 1, 1, 0};
    EXPECT_TRUE(clip_record_equal(clip, render_clip(clip)));
    EXPECT_FALSE(clip_record_equal(clip, render_clip{"c", 0, 0, 1, 1, 1}));

    const render_transform transform{"t", 0, 0, 100, 100, 0};
    EXPECT_TRUE(transform_record_equal(transform, render_transform(transform)));
    EXPECT_FALSE(transform_record_equal(transform, render_transform{"t", 0, 0, 100, 100, -1}));
}

TEST(resource_delta, counts_the_entries_of_all_five_lists)
{
    resource_delta delta;
    EXPECT_EQ(delta.entry_count(), 0u);
    delta.paints.resize(2);
    delta.images.resize(1);
    delta.transforms.resize(3);
    EXPECT_EQ(delta.entry_count(), 6u);
    delta.glyphs.resize(4);
    delta.clips.resize(5);
    EXPECT_EQ(delta.entry_count(), 15u);
}

TEST(operation_outcome, takes_its_members_in_order)
{
    const operation_outcome outcome(true, 7, 1, 2, 3, "ok");
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.revision, 7u);
    EXPECT_EQ(outcome.validations, 1u);
    EXPECT_EQ(outcome.explicit_comparisons, 2u);
    EXPECT_EQ(outcome.payload_comparisons, 3u);
    EXPECT_EQ(outcome.message, "ok");
}

TEST(preflight_report, starts_incomplete_whatever_it_is_made_for)
{
    for (const auto& [owner, generation] : {std::pair<std::string, int>{"P", 1}, {"", -3}, {"owner.long", 99}}) {
        const preflight_report report(owner, generation);
        EXPECT_FALSE(report.ok);
        EXPECT_EQ(report.message, "preflight-not-complete");
        EXPECT_EQ(report.validations + report.explicit_comparisons + report.payload_comparisons + report.index_probes,
                  0u);
        EXPECT_TRUE(report.staged_paints.empty() && report.staged_images.empty() && report.staged_glyphs.empty() &&
                    report.staged_clips.empty() && report.staged_transforms.empty());
        EXPECT_EQ(report.binding.owner_id, owner);
        EXPECT_EQ(report.binding.generation, generation);
        EXPECT_EQ(report.binding.first_sequence, -1);
        EXPECT_EQ(report.binding.last_sequence, -1);
        EXPECT_TRUE(report.binding.commands.empty());
        EXPECT_TRUE(report.binding.resolved_paints.empty() && report.binding.resolved_images.empty() &&
                    report.binding.resolved_glyphs.empty() && report.binding.resolved_clips.empty() &&
                    report.binding.resolved_transforms.empty());
    }
}

TEST(preflight_report, a_copy_is_independent)
{
    preflight_report report("P", 1);
    report.binding.commands.resize(2);
    report.binding.resolved_paints = {0, -1};
    preflight_report copy = report;
    copy.binding.commands[0].kind = "clipPush";
    copy.binding.resolved_paints[1] = 4;
    EXPECT_EQ(report.binding.commands[0].kind, "");
    EXPECT_EQ(report.binding.resolved_paints[1], -1);
    EXPECT_EQ(copy.binding.commands.size(), 2u);
}

TEST(resource_index_set, totals_the_probes_of_its_three_indexes)
{
    resource_index_set scratch(64);
    EXPECT_EQ(scratch.probe_count(), 0u);
    EXPECT_EQ(scratch.pending_payload_bytes + scratch.pending_index_nodes + scratch.counter_3 + scratch.counter_4, 0u);
    EXPECT_EQ(scratch.resource_keys.bucket_count(), 64u);
    EXPECT_EQ(scratch.owner_keys.bucket_count(), 64u);
    EXPECT_EQ(scratch.sequence_keys.bucket_count(), 64u);

    scratch.sequence_keys.put("16:command-sequence:0::7", 0);
    EXPECT_EQ(scratch.sequence_keys.find("16:command-sequence:0::7"), 0);
    EXPECT_EQ(scratch.probe_count(), 1u);
    scratch.owner_keys.put("P", 0);
    scratch.owner_keys.find("P");
    scratch.resource_keys.find("4:clip:2:c1:0");
    EXPECT_EQ(scratch.probe_count(), 2u);
}

} // namespace
