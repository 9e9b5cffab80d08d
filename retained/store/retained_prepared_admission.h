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
#include "retained/store/held_signature.h"
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

    // Only the store makes one: it lends the fragment and the delta to the
    // constructor below instead of handing over copies. `validated_here` says that
    // the report is the store's own validation of exactly these inputs: its staged
    // records are then copies of the first delta record of each identity, in delta
    // order, and are told apart by identity instead of by content.
    class lent_inputs {
        friend class retained_prepared_admission;
        friend class retained_resource_store;
        explicit lent_inputs(bool validated_here) : validated_here_(validated_here) {}
        bool validated_here_;
    };
    // The same admission as above, made from inputs that are read, not taken over.
    retained_prepared_admission(lent_inputs, std::shared_ptr<retained_store_identity> identity,
                                preflight_report report, const owner_fragment& fragment, const resource_delta& delta,
                                std::uint32_t revision, std::uint8_t kind);
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
    // What inputs_match answers, reading the inputs where they are. The store and
    // the batch call it directly for an admission of exactly this class, whose
    // inputs_match would only copy the inputs to answer the same.
    friend class retained_resource_store;
    friend class retained_prepared_candidate_batch;
    bool inputs_match_in_place(const owner_fragment& fragment, const resource_delta& delta) const;
    // What materialize_report answers for inputs that inputs_match has just
    // accepted: their records' signatures are known, so they are not taken again.
    preflight_report materialize_matched(owner_fragment&& fragment, resource_delta&& delta) const;
    preflight_report materialize(owner_fragment&& fragment, resource_delta&& delta, bool matched) const;

    // Per resource kind, in kind order: paint, image, glyph alpha, clip, transform.
    // A staged record's signature is shared with the delta record it was copied
    // from; image and glyph payloads are held once, moved from the delta.
    using per_kind_signatures = std::array<std::vector<std::shared_ptr<const held_signature>>, 5>;

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
    // The binding's five resolved-index lists (paint, image, glyph alpha, clip,
    // transform) one after the other in one block; list k starts at
    // resolved_starts_[k] and ends where list k + 1 starts.
    std::vector<std::int32_t> resolved_;
    std::array<std::size_t, 6> resolved_starts_{};
};
