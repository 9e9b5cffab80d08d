// Staging of a delta's records: identity first, then the kind's own rules.

#include "retained/store/retained_resource_store.h"

#include "runtime/text.h"

namespace {

std::string named(const char* pattern, const std::string& id)
{
    return format_placeholders(pattern, {id});
}

bool above_unsigned(std::int32_t value, std::uint32_t limit)
{
    return static_cast<std::uint32_t>(value) > limit;
}

bool outside(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value < low || value > high;
}

std::string paint_rules(const render_paint& paint)
{
    if (paint.id.empty()) {
        return "render paint requires a nonempty id";
    }
    if (above_unsigned(paint.red, 255) || above_unsigned(paint.green, 255) || above_unsigned(paint.blue, 255) ||
        above_unsigned(paint.alpha, 255)) {
        return named("render paint {0} requires RGBA channels from 0 through 255", paint.id);
    }
    if (paint.radius < 0 || paint.border_width < 0) {
        return named("render paint {0} requires nonnegative radius and border width", paint.id);
    }
    if (above_unsigned(paint.opacity, 100)) {
        return named("render paint {0} requires opacity from 0 through 100", paint.id);
    }
    if (paint.id.size() > 256) {
        return "retained paint id exceeds 256 bytes";
    }
    return "";
}

std::string clip_rules(const render_clip& clip)
{
    if (clip.id.empty() || clip.id.size() > 256) {
        return "retained resource clip requires an id of 1..256 bytes";
    }
    if (clip.width < 1 || clip.height < 1 || clip.radius < 0) {
        return named("retained resource clip {0} requires positive bounds and a nonnegative radius", clip.id);
    }
    return "";
}

std::string transform_rules(const render_transform& transform)
{
    if (transform.id.empty() || transform.id.size() > 64) {
        return "render transform requires a nonempty id of at most 64 bytes";
    }
    if (transform.id == "identity") {
        return "render transform id identity is reserved for the built-in identity transform";
    }
    if (outside(transform.translate_x, -1000000, 1000000) || outside(transform.translate_y, -1000000, 1000000)) {
        return named("render transform {0} translation must be within -1000000..1000000", transform.id);
    }
    if (outside(transform.scale_x, 1, 10000) || outside(transform.scale_y, 1, 10000)) {
        return named("render transform {0} scale must be within 1..10000 percent", transform.id);
    }
    if (outside(transform.rotation, -360000, 360000)) {
        return named("render transform {0} rotation must be within -360000..360000 millidegrees", transform.id);
    }
    return "";
}

std::string glyph_rules(const glyph_alpha_resource& glyph)
{
    const std::string prefix = "sha256:";
    if (!text_starts_with(glyph.id, prefix) || glyph.id.size() != 71 || !is_hex_text(glyph.id.substr(prefix.size()))) {
        return "render glyph alpha resource requires a sha256 content identity";
    }
    if (glyph.source.empty()) {
        return named("render glyph alpha resource {0} requires a source", glyph.id);
    }
    if (glyph.format != "a8-unorm-hex") {
        return named("render glyph alpha resource {0} format must be a8-unorm-hex", glyph.id);
    }
    const auto dimension_out = [](std::int32_t v) { return static_cast<std::uint32_t>(v) - 1u >= 4096u; };
    if (dimension_out(glyph.width) || dimension_out(glyph.height)) {
        return named("render glyph alpha resource {0} dimensions must be within 1..4096", glyph.id);
    }
    if (glyph.row_stride != glyph.width || glyph.byte_size != glyph.width * glyph.height ||
        static_cast<std::uint32_t>(glyph.byte_size) - 1u >= 524288u) {
        return named("render glyph alpha resource {0} requires tightly packed rows within 512 KiB", glyph.id);
    }
    if (glyph.payload.size() != 2 * static_cast<std::size_t>(glyph.byte_size) || !is_hex_text(glyph.payload)) {
        return named("render glyph alpha resource {0} payload must be exact A8 hexadecimal data", glyph.id);
    }
    return "";
}

// How one kind is staged: its lookups, its equality and its messages.
template <typename Find, typename Fetch, typename FirstStaged, typename Equal, typename Collision, typename Rules>
struct staging_kind {
    Find find;                 // () -> virtual index of the identity, or -1
    Fetch fetch;               // (virtual index) -> record
    FirstStaged first_staged;  // () -> first staged position of the identity, or -1
    Equal equal;               // (known, record) -> identical
    Collision collision;       // () -> collision message
    Rules rules;               // () -> "" or the first failing rule's message
    bool payload;              // identity comparisons also compare pixel payloads
};

template <typename Find, typename Fetch, typename FirstStaged, typename Equal, typename Collision, typename Rules>
staging_kind<Find, Fetch, FirstStaged, Equal, Collision, Rules>
kind_of(Find find, Fetch fetch, FirstStaged first_staged, Equal equal, Collision collision, Rules rules, bool payload)
{
    return {find, fetch, first_staged, equal, collision, rules, payload};
}

// The known record of the identity (committed or scratch, else the first staged
// one) decides at the cost of one explicit comparison; otherwise `before_rules`
// may reject without a validation, and then the kind's rules count one.
template <typename Record, typename Kind, typename BeforeRules>
bool stage_record(preflight_report& report, staged_list<Record>& staged, Record& record, const Kind& kind,
                  BeforeRules before_rules)
{
    const Record* known = nullptr;
    Record fetched;
    if (const std::int32_t index = kind.find(); index >= 0) {
        fetched = kind.fetch(index);
        known = &fetched;
    }
    else if (const std::int32_t position = kind.first_staged(); position >= 0) {
        known = &staged[static_cast<std::size_t>(position)];
    }
    if (known != nullptr) {
        ++report.explicit_comparisons;
        if (kind.payload) {
            ++report.payload_comparisons;
        }
        if (kind.equal(*known, record)) {
            return true;
        }
        report.message = kind.collision();
        return false;
    }
    if (std::string message = before_rules(); !message.empty()) {
        report.message = std::move(message);
        return false;
    }
    ++report.validations;
    if (std::string message = kind.rules(); !message.empty()) {
        report.message = std::move(message);
        return false;
    }
    staged.push_back(std::move(record));
    return true;
}

std::string no_check()
{
    return "";
}

}  // namespace

bool retained_resource_store::stage_paint(preflight_report& report, resource_index_set& scratch,
                                          render_paint paint) const
{
    const auto kind = kind_of([&] { return find_paint(report, scratch, paint.id); },
                              [&](std::int32_t index) { return paint_at(scratch, index); },
                              [&] { return report.staged_paints.first(paint.id); }, paint_record_equal,
                              [&] { return named("retained paint identity collision for {0}", paint.id); },
                              [&] { return paint_rules(paint); }, false);
    return stage_record(report, report.staged_paints, paint, kind, no_check);
}

bool retained_resource_store::stage_image(preflight_report& report, resource_index_set& scratch,
                                          render_image image) const
{
    const auto kind =
        kind_of([&] { return find_image_generation(report, scratch, image.id, image.generation); },
                [&](std::int32_t index) { return image_at(scratch, index); },
                [&] { return report.staged_images.first(image.id, image.generation); }, image_record_equal,
                [&] {
                    return format_placeholders("retained image identity collision for {0}@{1}",
                                               {image.id, std::to_string(image.generation)});
                },
                [&] { return validate_render_image(image); }, true);
    // A new generation must not be older than the latest known one of its id.
    const auto regression = [&]() -> std::string {
        std::int32_t latest = latest_image_generation(report, scratch, image.id);
        std::int32_t staged_latest = 0;
        if (report.staged_images.latest_generation(image.id, staged_latest) && staged_latest > latest) {
            latest = staged_latest;
        }
        if (latest >= 1 && latest > image.generation) {
            return format_placeholders("retained image {0} generation regressed from {1} to {2}",
                                       {image.id, std::to_string(latest), std::to_string(image.generation)});
        }
        return "";
    };
    return stage_record(report, report.staged_images, image, kind, regression);
}

bool retained_resource_store::stage_glyph_alpha(preflight_report& report, resource_index_set& scratch,
                                                glyph_alpha_resource glyph) const
{
    const auto kind = kind_of([&] { return find_glyph(report, scratch, glyph.id); },
                              [&](std::int32_t index) { return glyph_at(scratch, index); },
                              [&] { return report.staged_glyphs.first(glyph.id); }, glyph_record_equal,
                              [&] { return named("retained glyph identity collision for {0}", glyph.id); },
                              [&] { return glyph_rules(glyph); }, true);
    return stage_record(report, report.staged_glyphs, glyph, kind, no_check);
}

bool retained_resource_store::stage_clip(preflight_report& report, resource_index_set& scratch, render_clip clip) const
{
    const auto kind = kind_of([&] { return find_clip(report, scratch, clip.id); },
                              [&](std::int32_t index) { return clip_at(scratch, index); },
                              [&] { return report.staged_clips.first(clip.id); }, clip_record_equal,
                              [&] { return named("retained clip identity collision for {0}", clip.id); },
                              [&] { return clip_rules(clip); }, false);
    return stage_record(report, report.staged_clips, clip, kind, no_check);
}

bool retained_resource_store::stage_transform(preflight_report& report, resource_index_set& scratch,
                                              render_transform transform) const
{
    const auto kind = kind_of([&] { return find_transform(report, scratch, transform.id); },
                              [&](std::int32_t index) { return transform_at(scratch, index); },
                              [&] { return report.staged_transforms.first(transform.id); }, transform_record_equal,
                              [&] { return named("retained transform identity collision for {0}", transform.id); },
                              [&] { return transform_rules(transform); }, false);
    return stage_record(report, report.staged_transforms, transform, kind, no_check);
}
