#include "retained/records/result_records.h"

#include <utility>

operation_outcome::operation_outcome(bool ok, std::uint32_t revision, std::uint32_t validations,
                                     std::uint32_t explicit_comparisons, std::uint32_t payload_comparisons,
                                     std::string message)
    : ok(ok), revision(revision), validations(validations), explicit_comparisons(explicit_comparisons),
      payload_comparisons(payload_comparisons), message(std::move(message))
{
}

preflight_report::preflight_report(const std::string& owner_id, std::int32_t generation)
    : message("preflight-not-complete")
{
    binding.owner_id = owner_id;
    binding.generation = generation;
}

resource_index_set::resource_index_set(std::int32_t n) : resource_keys(n), owner_keys(n), sequence_keys(n) {}

std::uint32_t resource_index_set::probe_count() const
{
    return resource_keys.probe_count() + owner_keys.probe_count() + sequence_keys.probe_count();
}
