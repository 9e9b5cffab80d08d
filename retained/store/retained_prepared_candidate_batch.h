#pragma once
// retained_prepared_candidate_batch: up to 4096 validated updates, each item an
// owner fragment with its resource delta, committed together as one revision
// step. It owns one prepared admission per accepted item, in item order, and
// remembers the probe total of the scratch set the items were validated against.
// Always owned through std::shared_ptr.

#include "retained/store/retained_prepared_admission.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class retained_prepared_candidate_batch {
public:
    // Sums the items' four counters.
    retained_prepared_candidate_batch(std::shared_ptr<retained_store_identity> identity, std::uint32_t revision,
                                      bool ok, std::string message,
                                      std::vector<std::shared_ptr<retained_prepared_admission>> items,
                                      std::uint32_t scratch_probe_count, std::uint32_t scratch_counter_3,
                                      std::uint32_t scratch_counter_4);
    virtual ~retained_prepared_candidate_batch();

    virtual std::uint8_t ok() const;
    virtual std::uint32_t revision() const;
    virtual std::uint32_t item_count() const;
    virtual std::uint32_t validation_count() const;
    virtual std::uint32_t explicit_comparison_count() const;
    virtual std::uint32_t payload_comparison_count() const;
    virtual std::uint32_t index_probe_count() const;
    virtual std::uint32_t scratch_probe_count() const;
    virtual std::uint32_t scratch_counter_3() const;  // always 0
    virtual std::uint32_t scratch_counter_4() const;  // always 0
    virtual std::string message() const;
    virtual std::uint8_t consumed() const;
    virtual bool belongs_to(const std::shared_ptr<retained_store_identity>& identity) const;
    virtual void mark_consumed();
    // Same number of items, and each item's inputs_match in order.
    virtual bool inputs_match(std::vector<owner_fragment> fragments, std::vector<resource_delta> deltas) const;
    // The report of the item at `index` (0 .. item_count - 1).
    virtual preflight_report materialize_report(std::int32_t index, owner_fragment fragment,
                                                resource_delta delta) const;

private:
    // What inputs_match answers, reading the inputs where they are; the store calls
    // it directly for a batch of exactly this class.
    friend class retained_resource_store;
    bool inputs_match_in_place(const std::vector<owner_fragment>& fragments,
                               const std::vector<resource_delta>& deltas) const;

    std::shared_ptr<retained_store_identity> identity_;
    std::uint32_t revision_;
    std::uint8_t ok_;
    std::uint8_t consumed_ = 0;
    std::string message_;
    std::vector<std::shared_ptr<retained_prepared_admission>> items_;
    std::uint32_t validations_ = 0;
    std::uint32_t explicit_comparisons_ = 0;
    std::uint32_t payload_comparisons_ = 0;
    std::uint32_t index_probes_ = 0;
    std::uint32_t scratch_probe_count_;
    std::uint32_t scratch_counter_3_;
    std::uint32_t scratch_counter_4_;
};
