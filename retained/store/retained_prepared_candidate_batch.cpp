#include "retained/store/retained_prepared_candidate_batch.h"

#include "retained/store/exact_type.h"

retained_prepared_candidate_batch::retained_prepared_candidate_batch(
    std::shared_ptr<retained_store_identity> identity, std::uint32_t revision, bool ok, std::string message,
    std::vector<std::shared_ptr<retained_prepared_admission>> items, std::uint32_t scratch_probe_count,
    std::uint32_t scratch_counter_3, std::uint32_t scratch_counter_4)
    : identity_(std::move(identity)), revision_(revision), ok_(ok ? 1 : 0), message_(std::move(message)),
      items_(std::move(items)), scratch_probe_count_(scratch_probe_count), scratch_counter_3_(scratch_counter_3),
      scratch_counter_4_(scratch_counter_4)
{
    for (const auto& item : items_) {
        validations_ += item->validation_count();
        explicit_comparisons_ += item->explicit_comparison_count();
        payload_comparisons_ += item->payload_comparison_count();
        index_probes_ += item->index_probe_count();
    }
}

// Items first, then the message; the identity token goes last.
retained_prepared_candidate_batch::~retained_prepared_candidate_batch() = default;

std::uint8_t retained_prepared_candidate_batch::ok() const
{
    return ok_;
}
std::uint32_t retained_prepared_candidate_batch::revision() const
{
    return revision_;
}
std::uint32_t retained_prepared_candidate_batch::item_count() const
{
    return static_cast<std::uint32_t>(items_.size());
}
std::uint32_t retained_prepared_candidate_batch::validation_count() const
{
    return validations_;
}
std::uint32_t retained_prepared_candidate_batch::explicit_comparison_count() const
{
    return explicit_comparisons_;
}
std::uint32_t retained_prepared_candidate_batch::payload_comparison_count() const
{
    return payload_comparisons_;
}
std::uint32_t retained_prepared_candidate_batch::index_probe_count() const
{
    return index_probes_;
}
std::uint32_t retained_prepared_candidate_batch::scratch_probe_count() const
{
    return scratch_probe_count_;
}
std::uint32_t retained_prepared_candidate_batch::scratch_counter_3() const
{
    return scratch_counter_3_;
}
std::uint32_t retained_prepared_candidate_batch::scratch_counter_4() const
{
    return scratch_counter_4_;
}
std::string retained_prepared_candidate_batch::message() const
{
    return message_;
}
std::uint8_t retained_prepared_candidate_batch::consumed() const
{
    return consumed_;
}

bool retained_prepared_candidate_batch::belongs_to(const std::shared_ptr<retained_store_identity>& identity) const
{
    return identity.get() == identity_.get();
}

void retained_prepared_candidate_batch::mark_consumed()
{
    consumed_ = 1;
}

bool retained_prepared_candidate_batch::inputs_match(std::vector<owner_fragment> fragments,
                                                     std::vector<resource_delta> deltas) const
{
    return inputs_match_in_place(fragments, deltas);
}

bool retained_prepared_candidate_batch::inputs_match_in_place(const std::vector<owner_fragment>& fragments,
                                                              const std::vector<resource_delta>& deltas) const
{
    if (static_cast<std::uint32_t>(fragments.size()) != item_count() ||
        static_cast<std::uint32_t>(deltas.size()) != item_count()) {
        return false;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const retained_prepared_admission& item = *items_[i];
        if (!(exactly(item) ? item.inputs_match_in_place(fragments[i], deltas[i])
                            : item.inputs_match(fragments[i], deltas[i]))) {
            return false;
        }
    }
    return true;
}

preflight_report retained_prepared_candidate_batch::materialize_report(std::int32_t index, owner_fragment fragment,
                                                                       resource_delta delta) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
        return preflight_report(fragment.owner_id, fragment.generation);  // no such item: nothing validated
    }
    return items_[static_cast<std::size_t>(index)]->materialize_report(std::move(fragment), std::move(delta));
}
