#pragma once
// retained_prepared_admission: one validated item (an owner fragment with its
// resource delta) waiting to be committed to the store that prepared it.
//
// It keeps the validation's verdict, message and counters, the binding's command
// range and resolved resource indexes, and canonical signature texts of the
// fragment, its commands, the delta's records and the staged records; never the
// records themselves. At commit the caller hands the fragment and the delta again:
// inputs_match proves they are the validated ones and materialize_report rebuilds
// the report to apply. Always owned through std::shared_ptr.

#include "retained/records/records.h"
#include "retained/store/retained_store_identity.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class retained_prepared_admission {
public:
    // kind: 1 bind, 0 update. revision: the revision the caller expected.
    retained_prepared_admission(std::shared_ptr<retained_store_identity> identity, preflight_report report,
                                owner_fragment fragment, resource_delta delta, std::uint32_t revision,
                                std::uint8_t kind);
    virtual ~retained_prepared_admission();

    virtual std::uint8_t ok() const;
    virtual std::uint32_t revision() const;
    virtual std::uint32_t validation_count() const;
    virtual std::uint32_t explicit_comparison_count() const;
    virtual std::uint32_t payload_comparison_count() const;
    virtual std::uint32_t index_probe_count() const;
    virtual std::string message() const;
    virtual std::uint8_t consumed() const;
    // True when `identity` is the very token this admission holds.
    virtual bool belongs_to(const std::shared_ptr<retained_store_identity>& identity) const;
    virtual std::uint8_t kind() const;
    virtual void mark_consumed();
    // Fragment signature, counts, then every command and delta record signature in order.
    // The delta's surface name is not compared.
    virtual bool inputs_match(owner_fragment fragment, resource_delta delta) const;
    // The report that was validated, rebuilt from inputs for which inputs_match holds.
    virtual preflight_report materialize_report(owner_fragment fragment, resource_delta delta) const;

private:
    // Per resource kind, in kind order: paint, image, glyph alpha, clip, transform.
    // A staged record's text is shared with the delta record it was copied from.
    using per_kind_signatures = std::array<std::vector<std::shared_ptr<const std::string>>, 5>;

    std::shared_ptr<retained_store_identity> identity_;
    std::uint32_t revision_;
    std::uint8_t kind_;
    std::uint8_t consumed_ = 0;
    std::uint8_t ok_;
    std::string message_;
    std::uint32_t validations_;
    std::uint32_t explicit_comparisons_;
    std::uint32_t payload_comparisons_;
    std::uint32_t index_probes_;
    std::int32_t first_sequence_;
    std::int32_t last_sequence_;
    std::string fragment_signature_;
    std::vector<std::string> command_signatures_;
    per_kind_signatures delta_signatures_;
    per_kind_signatures staged_signatures_;
    std::vector<std::int32_t> resolved_paints_, resolved_images_, resolved_glyphs_, resolved_clips_,
        resolved_transforms_;
};
