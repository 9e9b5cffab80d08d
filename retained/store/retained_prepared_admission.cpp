#include "retained/store/retained_prepared_admission.h"

#include "retained/store/signature_match.h"

namespace {

// Per kind: the record's signature, and record equality.
std::string signature_of(const render_paint& paint)
{
    return paint_signature(paint);
}
std::string signature_of(const render_image& image)
{
    return image_signature(image);
}
std::string signature_of(const glyph_alpha_resource& glyph)
{
    return glyph_signature(glyph);
}
std::string signature_of(const render_clip& clip)
{
    return clip_signature(clip);
}
std::string signature_of(const render_transform& transform)
{
    return transform_signature(transform);
}

// Payload records are compared against the text in place; the others are small.
template <typename Record> bool signature_matches(const Record& record, const std::string& text)
{
    return signature_of(record) == text;
}
bool signature_matches(const render_image& image, const std::string& text)
{
    return image_signature_matches(image, text);
}
bool signature_matches(const glyph_alpha_resource& glyph, const std::string& text)
{
    return glyph_signature_matches(glyph, text);
}

bool same_record(const render_paint& a, const render_paint& b)
{
    return paint_record_equal(a, b);
}
bool same_record(const render_image& a, const render_image& b)
{
    return image_record_equal(a, b);
}
bool same_record(const glyph_alpha_resource& a, const glyph_alpha_resource& b)
{
    return glyph_record_equal(a, b);
}
bool same_record(const render_clip& a, const render_clip& b)
{
    return clip_record_equal(a, b);
}
bool same_record(const render_transform& a, const render_transform& b)
{
    return transform_record_equal(a, b);
}

template <typename Record>
std::vector<std::shared_ptr<const std::string>> signatures_of(const std::vector<Record>& records)
{
    std::vector<std::shared_ptr<const std::string>> texts;
    texts.reserve(records.size());
    for (const Record& record : records) {
        texts.push_back(std::make_shared<const std::string>(signature_of(record)));
    }
    return texts;
}

// The staged records are copies of delta records, in delta order: each shares the
// text of the delta record it equals instead of building its own.
template <typename Record>
std::vector<std::shared_ptr<const std::string>>
staged_signatures_of(const staged_list<Record>& staged, const std::vector<Record>& delta,
                     const std::vector<std::shared_ptr<const std::string>>& delta_signatures)
{
    std::vector<std::shared_ptr<const std::string>> texts;
    texts.reserve(staged.size());
    std::size_t j = 0;
    for (const Record& record : staged) {
        std::size_t match = j;
        while (match < delta.size() && !same_record(delta[match], record)) {
            ++match;
        }
        if (match < delta.size()) {
            texts.push_back(delta_signatures[match]);
            j = match + 1;
        }
        else {
            texts.push_back(std::make_shared<const std::string>(signature_of(record)));
        }
    }
    return texts;
}

template <typename Record>
bool all_match(const std::vector<Record>& records, const std::vector<std::shared_ptr<const std::string>>& texts)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!signature_matches(records[i], *texts[i])) {
            return false;
        }
    }
    return true;
}

// Appends to `staged` the records whose signatures follow `signatures` in order;
// the cursor moves only on a match.
template <typename Record>
void rebuild_staged(std::vector<Record>& records, const std::vector<std::shared_ptr<const std::string>>& signatures,
                    staged_list<Record>& staged)
{
    std::size_t k = 0;
    for (Record& record : records) {
        if (k < signatures.size() && signature_matches(record, *signatures[k])) {
            staged.push_back(std::move(record));
            ++k;
        }
    }
}

std::vector<std::string> command_signatures_of(const std::vector<render_command>& commands)
{
    std::vector<std::string> texts;
    texts.reserve(commands.size());
    for (const render_command& command : commands) {
        texts.push_back(command_signature(command));
    }
    return texts;
}

}  // namespace

retained_prepared_admission::retained_prepared_admission(std::shared_ptr<retained_store_identity> identity,
                                                         preflight_report report, owner_fragment fragment,
                                                         resource_delta delta, std::uint32_t revision,
                                                         std::uint8_t kind)
    : identity_(std::move(identity)), revision_(revision), kind_(kind), ok_(report.ok ? 1 : 0),
      message_(report.message), validations_(report.validations), explicit_comparisons_(report.explicit_comparisons),
      payload_comparisons_(report.payload_comparisons), index_probes_(report.index_probes),
      first_sequence_(report.binding.first_sequence), last_sequence_(report.binding.last_sequence),
      fragment_signature_(fragment_signature(fragment)), command_signatures_(command_signatures_of(fragment.commands)),
      delta_signatures_{signatures_of(delta.paints), signatures_of(delta.images), signatures_of(delta.glyphs),
                        signatures_of(delta.clips), signatures_of(delta.transforms)},
      staged_signatures_{staged_signatures_of(report.staged_paints, delta.paints, delta_signatures_[0]),
                         staged_signatures_of(report.staged_images, delta.images, delta_signatures_[1]),
                         staged_signatures_of(report.staged_glyphs, delta.glyphs, delta_signatures_[2]),
                         staged_signatures_of(report.staged_clips, delta.clips, delta_signatures_[3]),
                         staged_signatures_of(report.staged_transforms, delta.transforms, delta_signatures_[4])},
      resolved_paints_(std::move(report.binding.resolved_paints)),
      resolved_images_(std::move(report.binding.resolved_images)),
      resolved_glyphs_(std::move(report.binding.resolved_glyphs)),
      resolved_clips_(std::move(report.binding.resolved_clips)),
      resolved_transforms_(std::move(report.binding.resolved_transforms))
{
}

retained_prepared_admission::~retained_prepared_admission() = default;

std::uint8_t retained_prepared_admission::ok() const
{
    return ok_;
}
std::uint32_t retained_prepared_admission::revision() const
{
    return revision_;
}
std::uint32_t retained_prepared_admission::validation_count() const
{
    return validations_;
}
std::uint32_t retained_prepared_admission::explicit_comparison_count() const
{
    return explicit_comparisons_;
}
std::uint32_t retained_prepared_admission::payload_comparison_count() const
{
    return payload_comparisons_;
}
std::uint32_t retained_prepared_admission::index_probe_count() const
{
    return index_probes_;
}
std::string retained_prepared_admission::message() const
{
    return message_;
}
std::uint8_t retained_prepared_admission::consumed() const
{
    return consumed_;
}

bool retained_prepared_admission::belongs_to(const std::shared_ptr<retained_store_identity>& identity) const
{
    return identity.get() == identity_.get();
}

std::uint8_t retained_prepared_admission::kind() const
{
    return kind_;
}

void retained_prepared_admission::mark_consumed()
{
    consumed_ = 1;
}

bool retained_prepared_admission::inputs_match(owner_fragment fragment, resource_delta delta) const
{
    if (fragment_signature(fragment) != fragment_signature_) {
        return false;
    }
    const auto count = [](const auto& list) { return static_cast<std::uint32_t>(list.size()); };
    if (count(fragment.commands) != count(command_signatures_) || count(delta.paints) != count(delta_signatures_[0]) ||
        count(delta.images) != count(delta_signatures_[1]) || count(delta.glyphs) != count(delta_signatures_[2]) ||
        count(delta.clips) != count(delta_signatures_[3]) || count(delta.transforms) != count(delta_signatures_[4])) {
        return false;
    }
    for (std::size_t i = 0; i < fragment.commands.size(); ++i) {
        if (command_signature(fragment.commands[i]) != command_signatures_[i]) {
            return false;
        }
    }
    return all_match(delta.paints, delta_signatures_[0]) && all_match(delta.images, delta_signatures_[1]) &&
           all_match(delta.glyphs, delta_signatures_[2]) && all_match(delta.clips, delta_signatures_[3]) &&
           all_match(delta.transforms, delta_signatures_[4]);
}

preflight_report retained_prepared_admission::materialize_report(owner_fragment fragment, resource_delta delta) const
{
    preflight_report report(fragment.owner_id, fragment.generation);
    report.ok = ok_ != 0;
    report.message = message_;
    report.validations = validations_;
    report.explicit_comparisons = explicit_comparisons_;
    report.payload_comparisons = payload_comparisons_;
    report.index_probes = index_probes_;
    report.binding.first_sequence = first_sequence_;
    report.binding.last_sequence = last_sequence_;

    rebuild_staged(delta.paints, staged_signatures_[0], report.staged_paints);
    rebuild_staged(delta.images, staged_signatures_[1], report.staged_images);
    rebuild_staged(delta.glyphs, staged_signatures_[2], report.staged_glyphs);
    rebuild_staged(delta.clips, staged_signatures_[3], report.staged_clips);
    rebuild_staged(delta.transforms, staged_signatures_[4], report.staged_transforms);

    owner_binding& binding = report.binding;
    const auto at = [](const std::vector<std::int32_t>& list, std::size_t i) { return i < list.size() ? list[i] : -1; };
    for (std::size_t i = 0; i < fragment.commands.size(); ++i) {
        binding.commands.push_back(std::move(fragment.commands[i]));
        binding.resolved_paints.push_back(at(resolved_paints_, i));
        binding.resolved_images.push_back(at(resolved_images_, i));
        binding.resolved_glyphs.push_back(at(resolved_glyphs_, i));
        binding.resolved_clips.push_back(at(resolved_clips_, i));
        binding.resolved_transforms.push_back(at(resolved_transforms_, i));
    }
    return report;
}
