#include "retained/store/retained_prepared_admission.h"

namespace {

template <typename Record, typename Signature>
std::vector<std::string> signatures_of(const std::vector<Record>& records, Signature signature)
{
    std::vector<std::string> texts;
    texts.reserve(records.size());
    for (const Record& record : records) {
        texts.push_back(signature(record));
    }
    return texts;
}

// Calls `visit(kind number, records, signature function)` for five resource
// lists given in kind order.
template <typename Paints, typename Images, typename Glyphs, typename Clips, typename Transforms, typename Visit>
void for_each_kind(Paints& paints, Images& images, Glyphs& glyphs, Clips& clips, Transforms& transforms, Visit visit)
{
    visit(0, paints, paint_signature);
    visit(1, images, image_signature);
    visit(2, glyphs, glyph_signature);
    visit(3, clips, clip_signature);
    visit(4, transforms, transform_signature);
}

// Appends to `staged` the records whose signatures follow `signatures` in order;
// the cursor moves only on a match.
template <typename Record, typename Signature>
void rebuild_staged(std::vector<Record>& records, Signature signature, const std::vector<std::string>& signatures,
                    std::vector<Record>& staged)
{
    std::size_t k = 0;
    for (Record& record : records) {
        if (k < signatures.size() && signature(record) == signatures[k]) {
            staged.push_back(std::move(record));
            ++k;
        }
    }
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
      fragment_signature_(fragment_signature(fragment)),
      command_signatures_(signatures_of(fragment.commands, command_signature))
{
    for_each_kind(delta.paints, delta.images, delta.glyphs, delta.clips, delta.transforms,
                  [&](std::size_t kind_number, const auto& records, auto signature) {
                      delta_signatures_[kind_number] = signatures_of(records, signature);
                  });
    for_each_kind(report.staged_paints, report.staged_images, report.staged_glyphs, report.staged_clips,
                  report.staged_transforms, [&](std::size_t kind_number, const auto& records, auto signature) {
                      staged_signatures_[kind_number] = signatures_of(records, signature);
                  });
    const owner_binding& binding = report.binding;
    resolved_paints_ = binding.resolved_paints;
    resolved_images_ = binding.resolved_images;
    resolved_glyphs_ = binding.resolved_glyphs;
    resolved_clips_ = binding.resolved_clips;
    resolved_transforms_ = binding.resolved_transforms;
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
    bool same = true;
    for_each_kind(delta.paints, delta.images, delta.glyphs, delta.clips, delta.transforms,
                  [&](std::size_t kind_number, const auto& records, auto signature) {
                      for (std::size_t i = 0; same && i < records.size(); ++i) {
                          same = signature(records[i]) == delta_signatures_[kind_number][i];
                      }
                  });
    return same;
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

    rebuild_staged(delta.paints, paint_signature, staged_signatures_[0], report.staged_paints);
    rebuild_staged(delta.images, image_signature, staged_signatures_[1], report.staged_images);
    rebuild_staged(delta.glyphs, glyph_signature, staged_signatures_[2], report.staged_glyphs);
    rebuild_staged(delta.clips, clip_signature, staged_signatures_[3], report.staged_clips);
    rebuild_staged(delta.transforms, transform_signature, staged_signatures_[4], report.staged_transforms);

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
