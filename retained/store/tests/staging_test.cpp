// Staging of paints, images, glyph alpha resources, clips and transforms.

#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct counters {
    std::uint32_t validations;
    std::uint32_t explicit_comparisons;
    std::uint32_t payload_comparisons;
};

void expect_counters(const preflight_report& report, counters expected, const std::string& label)
{
    EXPECT_EQ(report.validations, expected.validations) << label;
    EXPECT_EQ(report.explicit_comparisons, expected.explicit_comparisons) << label;
    EXPECT_EQ(report.payload_comparisons, expected.payload_comparisons) << label;
}

// One staging call on a fresh report of a store, with the outcome it must have.
struct staging_case {
    std::string label;
    std::function<bool(const retained_resource_store&, preflight_report&, resource_index_set&)> stage;
    std::string message;  // "" when the record is accepted
};

void run_cases(const retained_resource_store& store, const std::vector<staging_case>& cases)
{
    for (const staging_case& c : cases) {
        preflight_report report("owner", 1);
        resource_index_set scratch(1);
        const bool accepted = c.stage(store, report, scratch);
        EXPECT_EQ(accepted, c.message.empty()) << c.label;
        EXPECT_EQ(accepted ? std::string() : report.message, c.message) << c.label;
    }
}

template <typename Record, typename Stage>
staging_case record_case(std::string label, Record record, Stage stage, std::string message)
{
    return {std::move(label),
            [record, stage](const retained_resource_store& store, preflight_report& report,
                            resource_index_set& scratch) { return (store.*stage)(report, scratch, record); },
            std::move(message)};
}

template <typename Record, typename Change> Record changed(Record record, Change change)
{
    change(record);
    return record;
}

TEST(paint_staging, the_same_paint_twice_in_one_delta_is_staged_once)
{
    const retained_resource_store store(test_surface);
    preflight_report report("owner", 1);
    resource_index_set scratch(1);
    ASSERT_TRUE(store.stage_paint(report, scratch, test_paint("p")));
    expect_counters(report, {1, 0, 0}, "first");
    ASSERT_TRUE(store.stage_paint(report, scratch, test_paint("p")));
    expect_counters(report, {1, 1, 0}, "second");
    EXPECT_EQ(report.staged_paints.size(), 1u);

    render_paint other = test_paint("p");
    other.red = 11;
    EXPECT_FALSE(store.stage_paint(report, scratch, other));
    EXPECT_EQ(report.message, "retained paint identity collision for p");
    expect_counters(report, {1, 2, 0}, "collision with the staged paint");

    // A caller's report is read as it is at each call, also after an entry was replaced.
    report.staged_paints = {test_paint("a"), test_paint("b")};
    ASSERT_TRUE(store.stage_paint(report, scratch, test_paint("x")));
    report.staged_paints.replace(0, test_paint("c"));
    render_paint c = test_paint("c");
    c.opacity = 7;
    EXPECT_FALSE(store.stage_paint(report, scratch, c));
    EXPECT_EQ(report.message, "retained paint identity collision for c");
    EXPECT_EQ(report.staged_paints.size(), 3u);
}

TEST(paint_staging, a_committed_paint_decides_by_identity_before_any_rule)
{
    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));
    ASSERT_TRUE(store.submit_bind(test_fragment("o", 1, std::vector<std::int32_t>{1}), delta, 0).ok);

    preflight_report report("owner", 1);
    resource_index_set scratch(1);
    EXPECT_TRUE(store.stage_paint(report, scratch, test_paint("p")));
    expect_counters(report, {0, 1, 0}, "identical committed paint");
    EXPECT_TRUE(report.staged_paints.empty());

    run_cases(store,
              {
                  record_case("opacity differs and is out of range",
                              changed(test_paint("p"), [](render_paint& p) { p.opacity = 150; }),
                              &retained_resource_store::stage_paint, "retained paint identity collision for p"),
                  record_case("opacity differs", changed(test_paint("p"), [](render_paint& p) { p.opacity = 1; }),
                              &retained_resource_store::stage_paint, "retained paint identity collision for p"),
                  record_case("other case of the id is another paint", test_paint("P"),
                              &retained_resource_store::stage_paint, ""),
              });
}

TEST(paint_staging, field_rules_in_order)
{
    const std::string long_id(300, 'x');
    const auto paint = [](const std::string& id, auto change) { return changed(test_paint(id), change); };
    const auto stage = &retained_resource_store::stage_paint;
    const retained_resource_store store(test_surface);
    run_cases(store,
              {
                  record_case("bounds pass",
                              paint("p",
                                    [](render_paint& p) {
                                        p.red = p.green = p.blue = p.alpha = 255;
                                        p.opacity = 100;
                                        p.radius = p.border_width = 0;
                                    }),
                              stage, ""),
                  record_case("opacity 0", paint("p", [](render_paint& p) { p.opacity = 0; }), stage, ""),
                  record_case("empty id", paint("", [](render_paint& p) { p.red = 999; }), stage,
                              "render paint requires a nonempty id"),
                  record_case("red 256", paint("p", [](render_paint& p) { p.red = 256; }), stage,
                              "render paint p requires RGBA channels from 0 through 255"),
                  record_case("alpha -1 compares unsigned", paint("p", [](render_paint& p) { p.alpha = -1; }), stage,
                              "render paint p requires RGBA channels from 0 through 255"),
                  record_case("radius -1", paint("p", [](render_paint& p) { p.radius = -1; }), stage,
                              "render paint p requires nonnegative radius and border width"),
                  record_case("border -1", paint("p", [](render_paint& p) { p.border_width = -1; }), stage,
                              "render paint p requires nonnegative radius and border width"),
                  record_case("opacity 101", paint("p", [](render_paint& p) { p.opacity = 101; }), stage,
                              "render paint p requires opacity from 0 through 100"),
                  record_case("opacity -1 compares unsigned", paint("p", [](render_paint& p) { p.opacity = -1; }),
                              stage, "render paint p requires opacity from 0 through 100"),
                  record_case("300-byte id, opacity 150", paint(long_id, [](render_paint& p) { p.opacity = 150; }),
                              stage, "render paint " + long_id + " requires opacity from 0 through 100"),
                  record_case("300-byte id, opacity 100", paint(long_id, [](render_paint& p) { p.opacity = 100; }),
                              stage, "retained paint id exceeds 256 bytes"),
                  record_case("256-byte id", paint(std::string(256, 'x'), [](render_paint&) {}), stage, ""),
              });
}

TEST(paint_staging, a_new_paint_counts_one_validation_whatever_the_verdict)
{
    const retained_resource_store store(test_surface);
    for (const std::int32_t opacity : {150, 100}) {
        preflight_report report("owner", 1);
        resource_index_set scratch(1);
        render_paint paint = test_paint(std::string(300, 'x'));
        paint.opacity = opacity;
        EXPECT_FALSE(store.stage_paint(report, scratch, paint));
        expect_counters(report, {1, 0, 0}, "opacity " + std::to_string(opacity));
        EXPECT_TRUE(report.staged_paints.empty());
    }
}

TEST(clip_staging, field_rules_in_order)
{
    const auto clip = [](const std::string& id, auto change) { return changed(test_clip(id), change); };
    const auto stage = &retained_resource_store::stage_clip;
    const retained_resource_store store(test_surface);
    run_cases(store, {
                         record_case("positions are not limited",
                                     clip("c",
                                          [](render_clip& c) {
                                              c.x = -1000000000;
                                              c.width = c.height = 1;
                                              c.radius = 0;
                                          }),
                                     stage, ""),
                         record_case("256-byte id", clip(std::string(256, 'c'), [](render_clip&) {}), stage, ""),
                         record_case("257-byte id with bad bounds",
                                     clip(std::string(257, 'c'), [](render_clip& c) { c.width = 0; }), stage,
                                     "retained resource clip requires an id of 1..256 bytes"),
                         record_case("empty id", clip("", [](render_clip&) {}), stage,
                                     "retained resource clip requires an id of 1..256 bytes"),
                         record_case("width 0", clip("c", [](render_clip& c) { c.width = 0; }), stage,
                                     "retained resource clip c requires positive bounds and a nonnegative radius"),
                         record_case("height 0", clip("c", [](render_clip& c) { c.height = 0; }), stage,
                                     "retained resource clip c requires positive bounds and a nonnegative radius"),
                         record_case("radius -1", clip("c", [](render_clip& c) { c.radius = -1; }), stage,
                                     "retained resource clip c requires positive bounds and a nonnegative radius"),
                     });
}

TEST(transform_staging, field_rules_in_order)
{
    const auto transform = [](const std::string& id, auto change) { return changed(test_transform(id), change); };
    const auto stage = &retained_resource_store::stage_transform;
    const std::string translation = "render transform t translation must be within -1000000..1000000";
    const std::string scale = "render transform t scale must be within 1..10000 percent";
    const std::string rotation = "render transform t rotation must be within -360000..360000 millidegrees";
    const retained_resource_store store(test_surface);
    run_cases(
        store,
        {
            record_case("upper bounds",
                        transform("t",
                                  [](render_transform& t) {
                                      t.translate_x = t.translate_y = 1000000;
                                      t.scale_x = t.scale_y = 10000;
                                      t.rotation = 360000;
                                  }),
                        stage, ""),
            record_case("lower bounds",
                        transform("t",
                                  [](render_transform& t) {
                                      t.translate_x = t.translate_y = -1000000;
                                      t.scale_x = t.scale_y = 1;
                                      t.rotation = -360000;
                                  }),
                        stage, ""),
            record_case("identity is reserved", transform("identity", [](render_transform& t) { t.scale_x = 0; }),
                        stage, "render transform id identity is reserved for the built-in identity transform"),
            record_case("Identity is an ordinary id", transform("Identity", [](render_transform&) {}), stage, ""),
            record_case("65-byte id",
                        transform(std::string(65, 't'), [](render_transform& t) { t.rotation = 1 << 30; }), stage,
                        "render transform requires a nonempty id of at most 64 bytes"),
            record_case("64-byte id", transform(std::string(64, 't'), [](render_transform&) {}), stage, ""),
            record_case("empty id", transform("", [](render_transform&) {}), stage,
                        "render transform requires a nonempty id of at most 64 bytes"),
            record_case("translation x 1000001", transform("t", [](render_transform& t) { t.translate_x = 1000001; }),
                        stage, translation),
            record_case("translation y -1000001", transform("t", [](render_transform& t) { t.translate_y = -1000001; }),
                        stage, translation),
            record_case("scale x 0", transform("t", [](render_transform& t) { t.scale_x = 0; }), stage, scale),
            record_case("scale y 10001", transform("t", [](render_transform& t) { t.scale_y = 10001; }), stage, scale),
            record_case("rotation -360001", transform("t", [](render_transform& t) { t.rotation = -360001; }), stage,
                        rotation),
            record_case("rotation 360001", transform("t", [](render_transform& t) { t.rotation = 360001; }), stage,
                        rotation),
        });
}

TEST(glyph_staging, field_rules_in_order)
{
    const glyph_alpha_resource valid = test_glyph('a');
    const std::string& id = valid.id;
    const auto glyph = [&](auto change) { return changed(valid, change); };
    const auto sized = [&](std::int32_t width, std::int32_t height) {
        return glyph([=](glyph_alpha_resource& g) {
            g.width = g.row_stride = width;
            g.height = height;
            g.byte_size = width * height;
            if (g.byte_size <= 524288) {
                g.payload.assign(static_cast<std::size_t>(g.byte_size) * 2, 'F');
            }
        });
    };
    const auto stage = &retained_resource_store::stage_glyph_alpha;
    const std::string identity = "render glyph alpha resource requires a sha256 content identity";
    const std::string packed = "render glyph alpha resource " + id + " requires tightly packed rows within 512 KiB";
    const std::string dimensions = "render glyph alpha resource " + id + " dimensions must be within 1..4096";
    const std::string payload = "render glyph alpha resource " + id + " payload must be exact A8 hexadecimal data";
    const retained_resource_store store(test_surface);
    run_cases(
        store,
        {
            record_case("valid", valid, stage, ""),
            record_case("upper-case digits",
                        glyph([](glyph_alpha_resource& g) { g.id = "sha256:" + std::string(64, 'F'); }), stage, ""),
            record_case("63 digits", glyph([](glyph_alpha_resource& g) { g.id = "sha256:" + std::string(63, 'a'); }),
                        stage, identity),
            record_case("65 digits", glyph([](glyph_alpha_resource& g) { g.id = "sha256:" + std::string(65, 'a'); }),
                        stage, identity),
            record_case("other prefix", glyph([](glyph_alpha_resource& g) { g.id = "sha512:" + std::string(64, 'a'); }),
                        stage, identity),
            record_case("non-hex digit",
                        glyph([](glyph_alpha_resource& g) { g.id = "sha256:" + std::string(64, 'g'); }), stage,
                        identity),
            record_case("no source", glyph([](glyph_alpha_resource& g) { g.source.clear(); }), stage,
                        "render glyph alpha resource " + id + " requires a source"),
            record_case("format", glyph([](glyph_alpha_resource& g) { g.format = "a8-unorm"; }), stage,
                        "render glyph alpha resource " + id + " format must be a8-unorm-hex"),
            record_case("width 0", glyph([](glyph_alpha_resource& g) { g.width = 0; }), stage, dimensions),
            record_case("height 4097", glyph([](glyph_alpha_resource& g) { g.height = 4097; }), stage, dimensions),
            record_case("height -1 compares unsigned", glyph([](glyph_alpha_resource& g) { g.height = -1; }), stage,
                        dimensions),
            record_case("16 x 16", sized(16, 16), stage, ""),
            record_case("row stride 17", changed(sized(16, 16), [](glyph_alpha_resource& g) { g.row_stride = 17; }),
                        stage, packed),
            record_case("byte size off by one", glyph([](glyph_alpha_resource& g) { g.byte_size = 5; }), stage, packed),
            record_case("1024 x 512", sized(1024, 512), stage, ""),
            record_case("1024 x 513", sized(1024, 513), stage, packed),
            record_case("4096 x 4096", sized(4096, 4096), stage, packed),
            record_case("511 digits", changed(sized(16, 16), [](glyph_alpha_resource& g) { g.payload.pop_back(); }),
                        stage, payload),
            record_case("non-hex payload", glyph([](glyph_alpha_resource& g) { g.payload[3] = 'z'; }), stage, payload),
        });
}

TEST(glyph_staging, identity_comparisons_also_count_as_payload_comparisons)
{
    const retained_resource_store store(test_surface);
    preflight_report report("owner", 1);
    resource_index_set scratch(1);
    ASSERT_TRUE(store.stage_glyph_alpha(report, scratch, test_glyph('b')));
    ASSERT_TRUE(store.stage_glyph_alpha(report, scratch, test_glyph('b')));
    expect_counters(report, {1, 1, 1}, "identical staged glyph");
    EXPECT_EQ(report.staged_glyphs.size(), 1u);

    glyph_alpha_resource other = test_glyph('b');
    other.payload = "ffffffff";
    EXPECT_FALSE(store.stage_glyph_alpha(report, scratch, other));
    EXPECT_EQ(report.message, "retained glyph identity collision for " + other.id);
    expect_counters(report, {1, 2, 2}, "collision");
}

// A store whose only committed generation of "logo" is 3.
class image_staging : public ::testing::Test {
protected:
    void SetUp() override
    {
        resource_delta delta = test_delta();
        delta.images.push_back(test_image("logo", 3));
        ASSERT_TRUE(store.submit_bind(test_fragment("o", 1, std::vector<std::int32_t>{1}), delta, 0).ok);
    }

    retained_resource_store store{test_surface};
    preflight_report report{"owner", 1};
    resource_index_set scratch{1};
};

TEST_F(image_staging, committed_generation_is_compared_with_its_payload)
{
    EXPECT_TRUE(store.stage_image(report, scratch, test_image("logo", 3)));
    expect_counters(report, {0, 1, 1}, "identical");
    EXPECT_TRUE(report.staged_images.empty());

    render_image other = test_image("logo", 3);
    other.payload.back() = 'b';
    EXPECT_FALSE(store.stage_image(report, scratch, other));
    EXPECT_EQ(report.message, "retained image identity collision for logo@3");
    expect_counters(report, {0, 2, 2}, "collision");
}

TEST_F(image_staging, an_older_generation_regresses_without_a_validation)
{
    EXPECT_FALSE(store.stage_image(report, scratch, test_image("logo", 2)));
    EXPECT_EQ(report.message, "retained image logo generation regressed from 3 to 2");
    expect_counters(report, {0, 0, 0}, "regression");

    render_image zero = test_image("logo", 0);
    EXPECT_FALSE(store.stage_image(report, scratch, zero));
    EXPECT_EQ(report.message, "retained image logo generation regressed from 3 to 0");

    EXPECT_TRUE(store.stage_image(report, scratch, test_image("logo", 4)));
    expect_counters(report, {1, 0, 0}, "newer generation");
    EXPECT_EQ(report.staged_images.size(), 1u);
}

TEST_F(image_staging, generations_within_one_delta)
{
    ASSERT_TRUE(store.stage_image(report, scratch, test_image("new", 2)));
    EXPECT_FALSE(store.stage_image(report, scratch, test_image("new", 1)));
    EXPECT_EQ(report.message, "retained image new generation regressed from 2 to 1");

    preflight_report rising("owner", 1);
    ASSERT_TRUE(store.stage_image(rising, scratch, test_image("new", 1)));
    ASSERT_TRUE(store.stage_image(rising, scratch, test_image("new", 2)));
    ASSERT_TRUE(store.stage_image(rising, scratch, test_image("new", 2)));
    EXPECT_EQ(rising.staged_images.size(), 2u);
    expect_counters(rising, {2, 1, 1}, "two staged, one identical");
}

TEST_F(image_staging, a_new_id_runs_the_image_rules)
{
    EXPECT_FALSE(store.stage_image(report, scratch, test_image("fresh", 0)));
    EXPECT_EQ(report.message, "render image fresh requires a positive generation");
    expect_counters(report, {1, 0, 0}, "image rules");
}

}  // namespace

namespace {

// Every kind against a store that holds one committed record of it.
TEST(staging_counters, each_outcome_counts_as_its_table_says)
{
    retained_resource_store store(test_surface);
    resource_delta delta = test_delta();
    delta.paints.push_back(test_paint("p"));
    delta.images.push_back(test_image("i", 1));
    delta.glyphs.push_back(test_glyph('a'));
    delta.clips.push_back(test_clip("c"));
    delta.transforms.push_back(test_transform("t"));
    ASSERT_TRUE(store.submit_bind(test_fragment("o", 1, std::vector<std::int32_t>{1}), delta, 0).ok);

    struct counted_case {
        std::string label;
        std::function<bool(preflight_report&, resource_index_set&)> stage;
        counters expected;
    };
    const auto with = [](auto record, auto change) {
        change(record);
        return record;
    };
    const std::vector<counted_case> cases = {
        {"known paint", [&](auto& r, auto& s) { return store.stage_paint(r, s, test_paint("p")); }, {0, 1, 0}},
        {"colliding paint",
         [&](auto& r, auto& s) { return store.stage_paint(r, s, with(test_paint("p"), [](auto& p) { p.red = 0; })); },
         {0, 1, 0}},
        {"new paint", [&](auto& r, auto& s) { return store.stage_paint(r, s, test_paint("q")); }, {1, 0, 0}},
        {"known image", [&](auto& r, auto& s) { return store.stage_image(r, s, test_image("i", 1)); }, {0, 1, 1}},
        {"colliding image",
         [&](auto& r, auto& s) {
             return store.stage_image(r, s, with(test_image("i", 1), [](auto& i) { i.source = "x"; }));
         },
         {0, 1, 1}},
        {"regressing image", [&](auto& r, auto& s) { return store.stage_image(r, s, test_image("i", 0)); }, {0, 0, 0}},
        {"invalid image",
         [&](auto& r, auto& s) {
             return store.stage_image(r, s, with(test_image("j", 1), [](auto& i) { i.kind = "x"; }));
         },
         {1, 0, 0}},
        {"known glyph", [&](auto& r, auto& s) { return store.stage_glyph_alpha(r, s, test_glyph('a')); }, {0, 1, 1}},
        {"new glyph", [&](auto& r, auto& s) { return store.stage_glyph_alpha(r, s, test_glyph('b')); }, {1, 0, 0}},
        {"known clip", [&](auto& r, auto& s) { return store.stage_clip(r, s, test_clip("c")); }, {0, 1, 0}},
        {"colliding clip",
         [&](auto& r, auto& s) { return store.stage_clip(r, s, with(test_clip("c"), [](auto& c) { c.x = 9; })); },
         {0, 1, 0}},
        {"invalid clip",
         [&](auto& r, auto& s) { return store.stage_clip(r, s, with(test_clip("d"), [](auto& c) { c.width = 0; })); },
         {1, 0, 0}},
        {"known transform",
         [&](auto& r, auto& s) { return store.stage_transform(r, s, test_transform("t")); },
         {0, 1, 0}},
        {"colliding transform",
         [&](auto& r, auto& s) {
             return store.stage_transform(r, s, with(test_transform("t"), [](auto& t) { t.rotation = 5; }));
         },
         {0, 1, 0}},
        {"new transform",
         [&](auto& r, auto& s) { return store.stage_transform(r, s, test_transform("u")); },
         {1, 0, 0}},
    };
    for (const counted_case& c : cases) {
        preflight_report report("owner", 1);
        resource_index_set scratch(1);
        c.stage(report, scratch);
        expect_counters(report, c.expected, c.label);
    }
    preflight_report report("owner", 1);
    resource_index_set scratch(1);
    EXPECT_FALSE(store.stage_transform(report, scratch, with(test_transform("t"), [](auto& t) { t.rotation = 5; })));
    EXPECT_EQ(report.message, "retained transform identity collision for t");
    EXPECT_FALSE(store.stage_clip(report, scratch, with(test_clip("c"), [](auto& c) { c.x = 9; })));
    EXPECT_EQ(report.message, "retained clip identity collision for c");
}

}  // namespace
