// A staged list's index answers what a scan from the first record would, after
// any sequence of changes the list allows.

#include "retained/records/staged_list.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

render_clip clip(const std::string& id)
{
    render_clip c;
    c.id = id;
    return c;
}

render_image image(const std::string& id, std::int32_t generation)
{
    render_image i;
    i.id = id;
    i.generation = generation;
    return i;
}

template <typename Record> std::int32_t scanned(const staged_list<Record>& list, const std::string& id)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

// Asks the index about every id "c0" ... "c<n>" and compares with a scan.
void expect_as_scanned(staged_list<render_clip>& list, int n, const std::string& when)
{
    for (int i = 0; i <= n; ++i) {
        const std::string id = "c" + std::to_string(i);
        EXPECT_EQ(list.first(id), scanned(list, id)) << id << " " << when;
    }
}

TEST(staged_list, first_positions_follow_appends_asked_between_them)
{
    staged_list<render_clip> list;
    EXPECT_EQ(list.first("c1"), -1) << "empty";
    for (int i = 0; i < 300; ++i) {
        list.push_back(clip("c" + std::to_string(i % 200)));
        if (i % 37 == 0) {
            EXPECT_EQ(list.first("c5"), scanned(list, "c5")) << "after " << i;
        }
    }
    expect_as_scanned(list, 210, "after 300 appends with repeats");
}

TEST(staged_list, every_change_other_than_an_append_is_seen)
{
    // Each case changes an indexed list of c0, c1, c2, c1 and then asks about every id.
    const std::vector<std::pair<const char*, std::function<void(staged_list<render_clip>&)>>> changes = {
        {"replace the first with a new id", [](auto& l) { l.replace(0, clip("c9")); }},
        {"replace the first with a later id", [](auto& l) { l.replace(0, clip("c2")); }},
        {"replace the first of a repeated id", [](auto& l) { l.replace(1, clip("c0")); }},
        {"replace with the same id", [](auto& l) { l.replace(2, clip("c2")); }},
        {"replace then append", [](auto& l) { l.replace(3, clip("c5")); l.push_back(clip("c5")); }},
        {"clear", [](auto& l) { l.clear(); }},
        {"clear and refill shorter", [](auto& l) { l.clear(); l.push_back(clip("c2")); }},
        {"assign a list", [](auto& l) { l = {clip("c3"), clip("c0")}; }},
        {"assign a copy", [](auto& l) {
             const staged_list<render_clip> other{clip("c1")};
             l = other;
         }},
        {"move a list in", [](auto& l) { l = staged_list<render_clip>{clip("c2"), clip("c2")}; }},
        {"take the records", [](auto& l) { (void)l.take(); l.push_back(clip("c4")); }},
    };
    for (const auto& [name, change] : changes) {
        staged_list<render_clip> list{clip("c0"), clip("c1"), clip("c2"), clip("c1")};
        expect_as_scanned(list, 9, "before");
        change(list);
        expect_as_scanned(list, 9, name);
    }
}

TEST(staged_list, copies_and_moves_keep_their_own_answers)
{
    staged_list<render_clip> list{clip("c0"), clip("c1")};
    ASSERT_EQ(list.first("c1"), 1);

    staged_list<render_clip> copy = list;
    copy.replace(0, clip("c1"));
    EXPECT_EQ(copy.first("c1"), 0);
    EXPECT_EQ(list.first("c1"), 1) << "the copy is independent";
    EXPECT_EQ(list.first("c0"), 0);

    staged_list<render_clip> moved = std::move(list);
    EXPECT_EQ(moved.first("c1"), 1);
    EXPECT_TRUE(list.empty()) << "a moved-from list is empty";
    EXPECT_EQ(list.first("c1"), -1);
    list.push_back(clip("c1"));
    EXPECT_EQ(list.first("c1"), 0);

    moved = std::move(copy);
    EXPECT_EQ(moved.first("c1"), 0);
    EXPECT_EQ(moved.first("c0"), -1);
    EXPECT_TRUE(moved == (staged_list<render_clip>{clip("c1"), clip("c1")}));
}

TEST(staged_list, images_by_id_and_generation_and_the_latest_generation)
{
    staged_list<render_image> list{image("logo", 2), image("icon", 1), image("logo", 5), image("logo", 3)};
    EXPECT_EQ(list.first("logo", 5), 2);
    EXPECT_EQ(list.first("logo", 4), -1);
    EXPECT_EQ(list.first("icon", 1), 1);
    std::int32_t latest = 0;
    ASSERT_TRUE(list.latest_generation("logo", latest));
    EXPECT_EQ(latest, 5);
    EXPECT_FALSE(list.latest_generation("other", latest));

    list.push_back(image("icon", 9));
    ASSERT_TRUE(list.latest_generation("icon", latest));
    EXPECT_EQ(latest, 9);

    // Replacing the image that held the highest generation lowers it.
    list.replace(2, image("logo", 1));
    ASSERT_TRUE(list.latest_generation("logo", latest));
    EXPECT_EQ(latest, 3);
    EXPECT_EQ(list.first("logo", 5), -1);
    EXPECT_EQ(list.first("logo", 1), 2);

    list.clear();
    EXPECT_FALSE(list.latest_generation("logo", latest));
    EXPECT_EQ(list.first("icon", 9), -1);
}

}  // namespace
