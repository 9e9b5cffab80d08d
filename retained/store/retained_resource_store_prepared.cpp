// Prepared admissions and candidate batches: preparing them and committing them.

#include "retained/store/retained_resource_store.h"
#include "retained/store/exact_type.h"
#include "retained/store/store_keys.h"

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/retained_prepared_candidate_batch.h"
#include "runtime/text.h"

namespace {

constexpr std::size_t max_batch_items = 4096;
constexpr std::int32_t max_batch_total = 65536;
constexpr std::uint32_t min_batch_buckets = 64;
constexpr std::uint32_t max_batch_buckets = 8192;

std::string decimal(std::uint32_t value)
{
    return std::to_string(static_cast<std::int32_t>(value));
}

std::string stale_message(const char* pattern, std::uint32_t expected, std::uint32_t current)
{
    return format_placeholders(pattern, {decimal(expected), decimal(current)});
}

}  // namespace

std::shared_ptr<retained_prepared_admission>
retained_resource_store::admission_of(preflight_report report, const owner_fragment& fragment,
                                      const resource_delta& delta, std::uint32_t revision, std::uint8_t kind) const
{
    // In a store of exactly this class the report is this store's own validation
    // of these inputs.
    return std::make_shared<retained_prepared_admission>(retained_prepared_admission::lent_inputs(exactly(*this)),
                                                         identity_, std::move(report), fragment, delta, revision,
                                                         kind);
}

std::shared_ptr<retained_prepared_admission>
retained_resource_store::prepare_bind_admission(const owner_fragment& fragment, const resource_delta& delta,
                                                std::uint32_t expected_revision) const
{
    return admission_of(validate(fragment, delta, expected_revision, true), fragment, delta, expected_revision, 1);
}

std::shared_ptr<retained_prepared_admission>
retained_resource_store::prepare_update_admission(const owner_fragment& fragment, const resource_delta& delta,
                                                  std::uint32_t expected_revision) const
{
    return admission_of(validate(fragment, delta, expected_revision, false), fragment, delta, expected_revision, 0);
}

std::shared_ptr<retained_prepared_candidate_batch>
retained_resource_store::prepare_candidate_batch(const std::vector<owner_fragment>& fragments,
                                                 const std::vector<resource_delta>& deltas,
                                                 std::uint32_t expected_revision) const
{
    std::vector<std::shared_ptr<retained_prepared_admission>> items;
    resource_index_set scratch(1);
    const auto refused = [&](const std::string& message) {
        return std::make_shared<retained_prepared_candidate_batch>(identity_, expected_revision, false, message, items,
                                                                   scratch.probe_count(), scratch.counter_3,
                                                                   scratch.counter_4);
    };

    if (state() != "open") {
        return refused("retained resource store is not open");
    }
    if (expected_revision != revision()) {
        return refused(stale_message("retained resource store stale revision: expected {0}, current {1}",
                                     expected_revision, revision()));
    }
    const std::size_t n = fragments.size();
    if (n == 0 || n > max_batch_items || deltas.size() != n) {
        return refused("retained resource candidate batch requires 1..4096 parallel fragment/delta items");
    }
    std::int32_t commands = 0;
    std::int32_t entries = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Each step adds at most 4096 commands or 2^32 - 1 entries to a total of at most 65536.
        commands += static_cast<std::int32_t>(std::min<std::size_t>(fragments[i].commands.size(), max_batch_total + 1));
        entries += static_cast<std::int32_t>(std::min<std::uint32_t>(deltas[i].entry_count(), max_batch_total + 1));
        if (commands > max_batch_total || entries > max_batch_total) {
            return refused("retained resource candidate batch exceeds 65536 commands or delta entries");
        }
    }
    const std::int64_t target = static_cast<std::int64_t>(n) + commands + 2 * std::int64_t{entries};
    std::uint32_t buckets = min_batch_buckets;
    while (buckets < max_batch_buckets && buckets < target) {
        buckets *= 2;
    }
    scratch = resource_index_set(static_cast<std::int32_t>(buckets));

    for (std::size_t i = 0; i < n; ++i) {
        const owner_fragment& fragment = fragments[i];
        const auto item = static_cast<std::int32_t>(i);
        if (scratch.owner_keys.find(fragment.owner_id) >= 0) {
            return refused(
                format_placeholders("retained resource candidate batch duplicates owner {0}", {fragment.owner_id}));
        }
        scratch.owner_keys.put(fragment.owner_id, item);
        for (const render_command& command : fragment.commands) {
            const store_key_buffers::key built(keys_, "command-sequence", "", command.sequence);
            const std::string& key = built.text();
            if (scratch.sequence_keys.find(key) >= 0) {
                return refused(format_placeholders("retained resource candidate batch duplicates command sequence {0}",
                                                   {std::to_string(command.sequence)}));
            }
            scratch.sequence_keys.put(key, item);
        }
    }

    for (std::size_t i = 0; i < n; ++i) {
        preflight_report report = validate_item(fragments[i], deltas[i], expected_revision, false, scratch);
        if (!report.ok) {
            return refused(format_placeholders("retained resource candidate batch item {0}: {1}",
                                               {std::to_string(i), report.message}));
        }
        // The merge reads only the staged resources; the admission gets the whole report.
        preflight_report staged(report.binding.owner_id, report.binding.generation);
        staged.ok = true;
        staged.staged_paints = report.staged_paints;
        staged.staged_images = report.staged_images;
        staged.staged_glyphs = report.staged_glyphs;
        staged.staged_clips = report.staged_clips;
        staged.staged_transforms = report.staged_transforms;
        items.push_back(admission_of(std::move(report), fragments[i], deltas[i], expected_revision, 0));
        stage_into_scratch(std::move(staged), scratch);
    }
    return std::make_shared<retained_prepared_candidate_batch>(identity_, expected_revision, true, "ok",
                                                               std::move(items), scratch.probe_count(),
                                                               scratch.counter_3, scratch.counter_4);
}

operation_outcome
retained_resource_store::commit_prepared_admission(std::shared_ptr<retained_prepared_admission> admission,
                                                   owner_fragment fragment, resource_delta delta, std::uint8_t kind)
{
    if (!admission || !admission->belongs_to(identity_)) {
        return refusal("retained resource prepared admission belongs to another store");
    }
    if (admission->consumed()) {
        return refusal("retained resource prepared admission was already consumed");
    }
    if (admission->kind() != kind) {
        return refusal("retained resource prepared admission kind does not match commit");
    }
    if (!admission->ok()) {
        return refusal(admission->message());
    }
    if (admission->revision() != revision()) {
        return refusal(stale_message("retained resource prepared admission is stale: expected {0}, current {1}",
                                     admission->revision(), revision()));
    }
    // An admission of exactly its class reads the inputs in place; its inputs_match
    // would copy them only to answer the same.
    const retained_prepared_admission& prepared = *admission;
    if (!(exactly(prepared) ? prepared.inputs_match_in_place(fragment, delta)
                            : prepared.inputs_match(fragment, delta))) {
        return refusal("retained resource prepared admission inputs were changed");
    }
    operation_outcome outcome =
        commit_given_up(exactly(prepared) ? prepared.materialize_matched(std::move(fragment), std::move(delta))
                                          : admission->materialize_report(std::move(fragment), std::move(delta)),
                        kind == 1);
    admission->mark_consumed();
    return outcome;
}

operation_outcome
retained_resource_store::commit_bind_admission(const std::shared_ptr<retained_prepared_admission>& admission,
                                               const owner_fragment& fragment, const resource_delta& delta)
{
    return commit_prepared_admission(admission, fragment, delta, 1);
}

operation_outcome
retained_resource_store::commit_update_admission(const std::shared_ptr<retained_prepared_admission>& admission,
                                                 const owner_fragment& fragment, const resource_delta& delta)
{
    return commit_prepared_admission(admission, fragment, delta, 0);
}

operation_outcome retained_resource_store::commit_prepared_candidate_batch(
    const std::shared_ptr<retained_prepared_candidate_batch>& batch, const std::vector<owner_fragment>& fragments,
    const std::vector<resource_delta>& deltas)
{
    if (!batch || !batch->belongs_to(identity_)) {
        return refusal("retained resource prepared candidate batch belongs to another store");
    }
    if (batch->consumed()) {
        return refusal("retained resource prepared candidate batch was already consumed");
    }
    if (!batch->ok()) {
        return refusal(batch->message());
    }
    if (batch->revision() != revision()) {
        return refusal(stale_message("retained resource prepared candidate batch is stale: expected {0}, current {1}",
                                     batch->revision(), revision()));
    }
    const retained_prepared_candidate_batch& prepared = *batch;
    if (!(exactly(prepared) ? prepared.inputs_match_in_place(fragments, deltas)
                            : prepared.inputs_match(fragments, deltas))) {
        return refusal("retained resource prepared candidate batch inputs were changed or reordered");
    }
    std::uint32_t validations = 0;
    std::uint32_t explicit_comparisons = 0;
    std::uint32_t payload_comparisons = 0;
    std::uint32_t index_probes = 0;
    for (std::size_t i = 0; i < fragments.size(); ++i) {
        preflight_report report = batch->materialize_report(static_cast<std::int32_t>(i), fragments[i], deltas[i]);
        validations += report.validations;
        explicit_comparisons += report.explicit_comparisons;
        payload_comparisons += report.payload_comparisons;
        index_probes += report.index_probes;
        apply_validated_item(std::move(report), false);
    }
    ++revision_;
    validation_counter_ += validations;
    explicit_comparison_counter_ += explicit_comparisons;
    payload_comparison_counter_ += payload_comparisons;
    ++admission_counter_;
    index_.probes += index_probes;
    batch->mark_consumed();
    return operation_outcome(true, revision_, validations, explicit_comparisons, payload_comparisons, "ok");
}
