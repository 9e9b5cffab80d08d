// Writing validated items into the columns, the direct entry points, close and the diagnostic.

#include "retained/store/retained_resource_store.h"
#include "retained/store/exact_type.h"
#include "retained/store/store_keys.h"

#include "runtime/text.h"

#include <algorithm>

void retained_resource_store::append_paint(render_paint paint)
{
    const auto row = static_cast<std::uint32_t>(paints_.id.size());
    const store_key_buffers::key key(keys_, "paint", paint.id, 0);
    paints_.red.push_back(paint.red);
    paints_.green.push_back(paint.green);
    paints_.blue.push_back(paint.blue);
    paints_.alpha.push_back(paint.alpha);
    paints_.radius.push_back(paint.radius);
    paints_.border_width.push_back(paint.border_width);
    paints_.opacity.push_back(paint.opacity);
    paints_.id.push_back(std::move(paint.id));
    index_put(key.text(), row);
}

void retained_resource_store::append_image(render_image image)
{
    const auto row = static_cast<std::uint32_t>(images_.id.size());
    const store_key_buffers::key generation_key(keys_, "image-generation", image.id, image.generation);
    const store_key_buffers::key latest_key(keys_, "image-latest", image.id, 0);
    images_.kind.push_back(std::move(image.kind));
    images_.generation.push_back(image.generation);
    images_.width.push_back(image.width);
    images_.height.push_back(image.height);
    images_.size_bytes.push_back(image.sizeBytes);
    images_.format.push_back(std::move(image.format));
    images_.color_space.push_back(std::move(image.colorSpace));
    images_.alpha_mode.push_back(std::move(image.alphaMode));
    images_.state.push_back(std::move(image.state));
    images_.resident.push_back(image.resident);
    images_.content_identity.push_back(std::move(image.content_identity));
    images_.payload.push_back(std::move(image.payload));
    images_.source.push_back(std::move(image.source));
    images_.id.push_back(std::move(image.id));
    index_put(generation_key.text(), row);
    index_put(latest_key.text(), row);
}

void retained_resource_store::append_glyph(glyph_alpha_resource glyph)
{
    const auto row = static_cast<std::uint32_t>(glyphs_.id.size());
    const store_key_buffers::key key(keys_, "glyph", glyph.id, 0);
    glyphs_.width.push_back(glyph.width);
    glyphs_.height.push_back(glyph.height);
    glyphs_.row_stride.push_back(glyph.row_stride);
    glyphs_.byte_size.push_back(glyph.byte_size);
    glyphs_.format.push_back(std::move(glyph.format));
    glyphs_.payload.push_back(std::move(glyph.payload));
    glyphs_.source.push_back(std::move(glyph.source));
    glyphs_.id.push_back(std::move(glyph.id));
    index_put(key.text(), row);
}

void retained_resource_store::append_clip(render_clip clip)
{
    const auto row = static_cast<std::uint32_t>(clips_.id.size());
    const store_key_buffers::key key(keys_, "clip", clip.id, 0);
    clips_.x.push_back(clip.x);
    clips_.y.push_back(clip.y);
    clips_.width.push_back(clip.width);
    clips_.height.push_back(clip.height);
    clips_.radius.push_back(clip.radius);
    clips_.id.push_back(std::move(clip.id));
    index_put(key.text(), row);
}

void retained_resource_store::append_transform(render_transform transform)
{
    const auto row = static_cast<std::uint32_t>(transforms_.id.size());
    const store_key_buffers::key key(keys_, "transform", transform.id, 0);
    transforms_.translate_x.push_back(transform.translate_x);
    transforms_.translate_y.push_back(transform.translate_y);
    transforms_.scale_x.push_back(transform.scale_x);
    transforms_.scale_y.push_back(transform.scale_y);
    transforms_.rotation.push_back(transform.rotation);
    transforms_.id.push_back(std::move(transform.id));
    index_put(key.text(), row);
}

void retained_resource_store::append_command(std::uint32_t owner_row, const render_command& command, std::int32_t paint,
                                             std::int32_t image, std::int32_t glyph, std::int32_t clip,
                                             std::int32_t transform)
{
    commands_.sequence.push_back(command.sequence);
    commands_.owner_row.push_back(static_cast<std::int32_t>(owner_row));
    commands_.signature.push_back(command_signature(command));
    commands_.kind.push_back(command.kind);
    commands_.resource_id.push_back(command.resource_id);
    commands_.image_generation.push_back(command.image_generation);
    commands_.paint.push_back(paint);
    commands_.image.push_back(image);
    commands_.glyph.push_back(glyph);
    commands_.clip.push_back(clip);
    commands_.transform.push_back(transform);
}

void retained_resource_store::write_command_at(std::int32_t row, const render_command& command, std::int32_t paint,
                                               std::int32_t image, std::int32_t glyph, std::int32_t clip,
                                               std::int32_t transform)
{
    if (row < 0 || static_cast<std::size_t>(row) >= commands_.sequence.size()) {
        return;
    }
    const auto r = static_cast<std::size_t>(row);
    commands_.sequence[r] = command.sequence;
    commands_.signature[r] = command_signature(command);
    commands_.kind[r] = command.kind;
    commands_.resource_id[r] = command.resource_id;
    commands_.image_generation[r] = command.image_generation;
    commands_.paint[r] = paint;
    commands_.image[r] = image;
    commands_.glyph[r] = glyph;
    commands_.clip[r] = clip;
    commands_.transform[r] = transform;
}

void retained_resource_store::apply_validated_item(preflight_report report, bool bind)
{
    for (render_paint& paint : report.staged_paints.take()) {
        append_paint(std::move(paint));
    }
    for (render_image& image : report.staged_images.take()) {
        const std::int32_t size = image.sizeBytes;
        append_image(std::move(image));
        payload_counter_ += static_cast<std::uint32_t>(size);
    }
    for (glyph_alpha_resource& glyph : report.staged_glyphs.take()) {
        const std::int32_t size = glyph.byte_size;
        append_glyph(std::move(glyph));
        payload_counter_ += static_cast<std::uint32_t>(size);
    }
    for (render_clip& clip : report.staged_clips.take()) {
        append_clip(std::move(clip));
    }
    for (render_transform& transform : report.staged_transforms.take()) {
        append_transform(std::move(transform));
    }

    const owner_binding& binding = report.binding;
    const auto n = static_cast<std::uint32_t>(binding.commands.size());
    // A report that validation did not accept may lack indexes: those read as -1.
    const auto at = [](const std::vector<std::int32_t>& list, std::size_t k) { return k < list.size() ? list[k] : -1; };
    const auto indexes_of = [&](std::size_t k, auto write) {
        write(binding.commands[k], at(binding.resolved_paints, k), at(binding.resolved_images, k),
              at(binding.resolved_glyphs, k), at(binding.resolved_clips, k), at(binding.resolved_transforms, k));
    };
    if (bind) {
        const auto o = static_cast<std::uint32_t>(owners_.id.size());
        const auto f = static_cast<std::int32_t>(commands_.sequence.size());
        owners_.id.push_back(binding.owner_id);
        index_put(store_key_buffers::key(keys_, "binding", binding.owner_id, 0).text(), o);
        owners_.generation.push_back(binding.generation);
        owners_.first_sequence.push_back(binding.first_sequence);
        owners_.last_sequence.push_back(binding.last_sequence);
        owners_.first_command_row.push_back(f);
        owners_.command_count.push_back(static_cast<std::int32_t>(n));
        for (std::size_t k = 0; k < n; ++k) {
            const auto row = static_cast<std::uint32_t>(commands_.sequence.size());
            indexes_of(k,
                       [&](const render_command& command, auto... indexes) { append_command(o, command, indexes...); });
            index_put(store_key_buffers::key(keys_, "command-sequence", "", binding.commands[k].sequence).text(), row);
        }
        command_counter_ += n;
        return;
    }
    const std::int32_t o = find_binding(binding.owner_id);
    if (o < 0 || static_cast<std::size_t>(o) >= owners_.id.size()) {
        return;  // an update of an owner that is not bound has no rows to write
    }
    const auto owner_row = static_cast<std::size_t>(o);
    const std::int32_t f = owners_.first_command_row[owner_row];
    const auto m = static_cast<std::uint32_t>(owners_.command_count[owner_row]);
    owners_.generation[owner_row] = binding.generation;
    owners_.first_sequence[owner_row] = binding.first_sequence;
    owners_.last_sequence[owner_row] = binding.last_sequence;
    // Only the owner's own rows are written, so rows and counter stay in step.
    for (std::size_t k = 0; k < std::min(n, m); ++k) {
        indexes_of(k, [&](const render_command& command, auto... indexes) {
            write_command_at(f + static_cast<std::int32_t>(k), command, indexes...);
        });
    }
    if (n == m) {
        command_counter_ = command_counter_ - m + n;
    }
}

operation_outcome retained_resource_store::commit_validated_item(const preflight_report& report, bool bind)
{
    return apply_and_count(report, bind);
}

operation_outcome retained_resource_store::commit_given_up(preflight_report&& report, bool bind)
{
    return exactly(*this) ? apply_and_count(std::move(report), bind) : commit_validated_item(report, bind);
}

operation_outcome retained_resource_store::apply_and_count(preflight_report report, bool bind)
{
    const std::uint32_t validations = report.validations;
    const std::uint32_t explicit_comparisons = report.explicit_comparisons;
    const std::uint32_t payload_comparisons = report.payload_comparisons;
    const std::uint32_t index_probes = report.index_probes;
    apply_validated_item(std::move(report), bind);
    validation_counter_ += validations;
    explicit_comparison_counter_ += explicit_comparisons;
    payload_comparison_counter_ += payload_comparisons;
    index_.probes += index_probes;
    ++admission_counter_;
    ++revision_;
    return operation_outcome(true, revision_, validations, explicit_comparisons, payload_comparisons, "ok");
}

operation_outcome retained_resource_store::refusal(const std::string& message) const
{
    return operation_outcome(false, revision(), 0, 0, 0, message);
}

operation_outcome retained_resource_store::check_outcome(const preflight_report& report) const
{
    if (!report.ok) {
        return refusal(report.message);
    }
    return operation_outcome(true, revision(), report.validations, report.explicit_comparisons,
                             report.payload_comparisons, "ok");
}

operation_outcome retained_resource_store::submit_bind(const owner_fragment& fragment, const resource_delta& delta,
                                                       std::uint32_t expected_revision)
{
    preflight_report report = validate(fragment, delta, expected_revision, true);
    return report.ok ? commit_given_up(std::move(report), true) : refusal(report.message);
}

operation_outcome retained_resource_store::check_bind(const owner_fragment& fragment, const resource_delta& delta,
                                                      std::uint32_t expected_revision) const
{
    return check_outcome(validate(fragment, delta, expected_revision, true));
}

operation_outcome retained_resource_store::submit_update(const owner_fragment& fragment, const resource_delta& delta,
                                                         std::uint32_t expected_revision)
{
    preflight_report report = validate(fragment, delta, expected_revision, false);
    return report.ok ? commit_given_up(std::move(report), false) : refusal(report.message);
}

operation_outcome retained_resource_store::check_update(const owner_fragment& fragment, const resource_delta& delta,
                                                        std::uint32_t expected_revision) const
{
    return check_outcome(validate(fragment, delta, expected_revision, false));
}

bool retained_resource_store::close()
{
    if (state_ == "closed") {
        return true;
    }
    paints_ = {};
    images_ = {};
    glyphs_ = {};
    clips_ = {};
    transforms_ = {};
    owners_ = {};
    commands_ = {};
    index_.clear();
    command_counter_ = 0;
    payload_counter_ = 0;
    state_ = "closed";
    ++revision_;
    return true;
}

std::string retained_resource_store::diagnostic() const
{
    const auto number = [](std::uint32_t value) { return std::to_string(static_cast<std::int32_t>(value)); };
    return format_placeholders(
        "retained-resource-store-v1: surface={0}; state={1}; revision={2}; entries={3}; owners={4}; commands={5}; "
        "payload={6}; validations={7}; explicit-comparisons={8}; payload-comparisons={9}; admissions={10}; "
        "rejections=operation-results-only",
        {surface(), state(), number(revision()), number(entry_count()), number(owner_count()), number(command_count()),
         number(payload_size()), number(validation_count()), number(explicit_comparison_count()),
         number(payload_comparison_count()), number(admission_count())});
}
