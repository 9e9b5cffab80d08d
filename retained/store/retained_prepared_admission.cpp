#include "retained/store/retained_prepared_admission.h"

namespace {

// A kind's staged and delta signatures. The staged records give their payloads
// over to their signatures; they are copies of delta records, in delta order, so
// each delta record shares the signature of the staged record it matches, and
// only a delta record that validation did not stage has its own signature made.
// A staged record matches by content, or by identity when `validated_here`.
template <typename Record>
void hold_signatures(staged_list<Record>& staged, const std::vector<Record>& delta, bool validated_here,
                     std::vector<std::shared_ptr<const held_signature>>& staged_signatures,
                     std::vector<std::shared_ptr<const held_signature>>& delta_signatures)
{
    std::vector<Record> records = staged.take();
    std::vector<Record> identities;  // the staged records without their payloads
    staged_signatures.reserve(records.size());
    for (Record& record : records) {
        staged_signatures.push_back(std::make_shared<const held_signature>(hold_signature(std::move(record))));
        if (validated_here) {
            identities.push_back(std::move(record));
        }
    }
    const auto matches = [&](const Record& record, std::size_t k) {
        return validated_here ? staged_list<Record>::same_identity(record, identities[k])
                              : held_signature_matches(record, *staged_signatures[k]);
    };
    delta_signatures.reserve(delta.size());
    std::size_t j = 0;
    for (const Record& record : delta) {
        std::size_t match = j;
        while (match < staged_signatures.size() && !matches(record, match)) {
            ++match;
        }
        if (match < staged_signatures.size()) {
            delta_signatures.push_back(staged_signatures[match]);
            j = match + 1;
        }
        else {
            delta_signatures.push_back(std::make_shared<const held_signature>(hold_signature(Record(record))));
        }
    }
}

template <typename Record>
bool all_match(const std::vector<Record>& records, const std::vector<std::shared_ptr<const held_signature>>& signatures)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!held_signature_matches(records[i], *signatures[i])) {
            return false;
        }
    }
    return true;
}

bool same_signature(const held_signature& a, const held_signature& b)
{
    return &a == &b || (a.text == b.text && a.payload == b.payload);
}

// Appends to `staged` the records whose signatures follow `signatures` in order;
// the cursor moves only on a match. With `matched` (the records' signatures, as
// inputs_match found them) the signatures are compared instead of the records,
// which for a staged record shared with its delta record costs nothing.
template <typename Record>
void rebuild_staged(std::vector<Record>& records, const std::vector<std::shared_ptr<const held_signature>>& signatures,
                    const std::vector<std::shared_ptr<const held_signature>>* matched, staged_list<Record>& staged)
{
    std::size_t k = 0;
    for (std::size_t i = 0; i < records.size() && k < signatures.size(); ++i) {
        if (matched != nullptr ? same_signature(*(*matched)[i], *signatures[k])
                               : held_signature_matches(records[i], *signatures[k])) {
            staged.push_back(std::move(records[i]));
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
    : retained_prepared_admission(lent_inputs(false), std::move(identity), std::move(report), fragment, delta, revision,
                                  kind)
{
}

retained_prepared_admission::retained_prepared_admission(lent_inputs lent,
                                                         std::shared_ptr<retained_store_identity> identity,
                                                         preflight_report report, const owner_fragment& fragment,
                                                         const resource_delta& delta, std::uint32_t revision,
                                                         std::uint8_t kind)
    : identity_(std::move(identity)), revision_(revision), kind_(kind), ok_(report.ok ? 1 : 0),
      message_(report.message), validations_(report.validations), explicit_comparisons_(report.explicit_comparisons),
      payload_comparisons_(report.payload_comparisons), index_probes_(report.index_probes),
      first_sequence_(report.binding.first_sequence), last_sequence_(report.binding.last_sequence),
      fragment_signature_(fragment_signature(fragment)), command_signatures_(command_signatures_of(fragment.commands))
{
    const owner_binding& binding = report.binding;
    resolved_.reserve(5 * binding.resolved_paints.size());
    std::size_t k = 0;
    for (const std::vector<std::int32_t>* list :
         {&binding.resolved_paints, &binding.resolved_images, &binding.resolved_glyphs, &binding.resolved_clips,
          &binding.resolved_transforms}) {
        resolved_.insert(resolved_.end(), list->begin(), list->end());
        resolved_starts_[++k] = resolved_.size();
    }
    const bool here = lent.validated_here_;
    hold_signatures(report.staged_paints, delta.paints, here, staged_signatures_[0], delta_signatures_[0]);
    hold_signatures(report.staged_images, delta.images, here, staged_signatures_[1], delta_signatures_[1]);
    hold_signatures(report.staged_glyphs, delta.glyphs, here, staged_signatures_[2], delta_signatures_[2]);
    hold_signatures(report.staged_clips, delta.clips, here, staged_signatures_[3], delta_signatures_[3]);
    hold_signatures(report.staged_transforms, delta.transforms, here, staged_signatures_[4], delta_signatures_[4]);
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
    return inputs_match_in_place(fragment, delta);
}

bool retained_prepared_admission::inputs_match_in_place(const owner_fragment& fragment,
                                                        const resource_delta& delta) const
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
    return materialize(std::move(fragment), std::move(delta), false);
}

preflight_report retained_prepared_admission::materialize_matched(owner_fragment&& fragment,
                                                                  resource_delta&& delta) const
{
    return materialize(std::move(fragment), std::move(delta), true);
}

preflight_report retained_prepared_admission::materialize(owner_fragment&& fragment, resource_delta&& delta,
                                                          bool matched) const
{
    const auto signatures = [&](std::size_t kind) { return matched ? &delta_signatures_[kind] : nullptr; };
    preflight_report report(fragment.owner_id, fragment.generation);
    report.ok = ok_ != 0;
    report.message = message_;
    report.validations = validations_;
    report.explicit_comparisons = explicit_comparisons_;
    report.payload_comparisons = payload_comparisons_;
    report.index_probes = index_probes_;
    report.binding.first_sequence = first_sequence_;
    report.binding.last_sequence = last_sequence_;

    rebuild_staged(delta.paints, staged_signatures_[0], signatures(0), report.staged_paints);
    rebuild_staged(delta.images, staged_signatures_[1], signatures(1), report.staged_images);
    rebuild_staged(delta.glyphs, staged_signatures_[2], signatures(2), report.staged_glyphs);
    rebuild_staged(delta.clips, staged_signatures_[3], signatures(3), report.staged_clips);
    rebuild_staged(delta.transforms, staged_signatures_[4], signatures(4), report.staged_transforms);

    owner_binding& binding = report.binding;
    // The i-th index of list k; -1 past its end (an admission of a rejected report).
    const auto at = [this](std::size_t k, std::size_t i) {
        const std::size_t position = resolved_starts_[k] + i;
        return position < resolved_starts_[k + 1] ? resolved_[position] : -1;
    };
    const std::size_t n = fragment.commands.size();
    binding.commands.reserve(n);
    std::size_t k = 0;
    for (std::vector<std::int32_t>* list :
         {&binding.resolved_paints, &binding.resolved_images, &binding.resolved_glyphs, &binding.resolved_clips,
          &binding.resolved_transforms}) {
        list->reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            list->push_back(at(k, i));
        }
        ++k;
    }
    for (render_command& command : fragment.commands) {
        binding.commands.push_back(std::move(command));
    }
    return report;
}
