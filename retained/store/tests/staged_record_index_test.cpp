// The index of a report's staged records answers what a scan from the first entry
// would, while it follows the report and for any other report.

#include "retained/store/staged_record_index.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

namespace {

// What the index must answer: the first position of the id, by scanning.
template <typename Record> std::int32_t scanned(const std::vector<Record>& list, const std::string& id)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

TEST(staged_record_index, first_positions_as_a_scan_finds_them)
{
    preflight_report report("owner", 1);
    staged_record_index index;
    const staged_record_index::scope following(index, report);
    for (int i = 0; i < 300; ++i) {
        report.staged_clips.push_back(test_clip("c" + std::to_string(i % 200)));
        // Asking between appends makes the index catch up piece by piece.
        if (i % 37 == 0) {
            EXPECT_EQ(index.first_clip(report, "c5"), scanned(report.staged_clips, "c5"));
        }
    }
    for (int i = 0; i < 210; ++i) {
        const std::string id = "c" + std::to_string(i);
        EXPECT_EQ(index.first_clip(report, id), scanned(report.staged_clips, id)) << id;
    }
    EXPECT_EQ(index.first_paint(report, "c1"), -1) << "each kind has its own list";
}

TEST(staged_record_index, scans_another_report_and_starts_over_on_a_shorter_list)
{
    preflight_report first("owner", 1);
    first.staged_paints = {test_paint("a"), test_paint("b"), test_paint("x")};
    preflight_report second("owner", 1);
    second.staged_paints = {test_paint("b")};
    staged_record_index index;
    index.reset(first);
    EXPECT_EQ(index.first_paint(first, "b"), 1);
    EXPECT_EQ(index.first_paint(second, "b"), 0);
    EXPECT_EQ(index.first_paint(second, "a"), -1);
    index.stop();
    first.staged_paints[0] = test_paint("c");
    EXPECT_EQ(index.first_paint(first, "c"), 0) << "a report no longer followed is scanned";

    index.reset(second);
    second.staged_paints.clear();
    second.staged_paints.push_back(test_paint("z"));
    EXPECT_EQ(index.first_paint(second, "b"), -1) << "a list of the same length with other records";
    EXPECT_EQ(index.first_paint(second, "z"), 0);
    second.staged_paints.clear();
    EXPECT_EQ(index.first_paint(second, "z"), -1);
}

TEST(staged_record_index, images_by_id_and_generation_and_the_latest_generation)
{
    preflight_report report("owner", 1);
    report.staged_images = {test_image("logo", 2), test_image("icon", 1), test_image("logo", 5), test_image("logo", 3)};
    staged_record_index index;
    index.reset(report);
    EXPECT_EQ(index.first_image(report, "logo", 5), 2);
    EXPECT_EQ(index.first_image(report, "logo", 4), -1);
    EXPECT_EQ(index.first_image(report, "icon", 1), 1);
    std::int32_t latest = 0;
    ASSERT_TRUE(index.latest_image(report, "logo", latest));
    EXPECT_EQ(latest, 5);
    EXPECT_FALSE(index.latest_image(report, "other", latest));
    report.staged_images.push_back(test_image("icon", 9));
    ASSERT_TRUE(index.latest_image(report, "icon", latest));
    EXPECT_EQ(latest, 9);

    // The same answers for a report that is not followed.
    const preflight_report other = report;
    EXPECT_EQ(index.first_image(other, "logo", 5), 2);
    EXPECT_EQ(index.first_image(other, "logo", 4), -1);
    ASSERT_TRUE(index.latest_image(other, "logo", latest));
    EXPECT_EQ(latest, 5);
    EXPECT_FALSE(index.latest_image(other, "other", latest));
}

}  // namespace
