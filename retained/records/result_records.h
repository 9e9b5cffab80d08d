#pragma once
// The retained store's answers and working memory: operation_outcome,
// preflight_report with its owner_binding, and the scratch set
// resource_index_set that one validation or candidate batch shares between items.
// Counters are unsigned 32-bit and wrap.

#include "retained/records/staged_list.h"
#include "retained/records/string_index.h"
#include "retained/records/value_records.h"

#include <cstdint>
#include <string>
#include <vector>

// The answer of every check, submit and commit.
struct operation_outcome {
    operation_outcome(bool ok, std::uint32_t revision, std::uint32_t validations,
                      std::uint32_t explicit_comparisons, std::uint32_t payload_comparisons,
                      std::string message);

    bool ok;
    std::uint32_t revision;  // the store's revision after the operation
    std::uint32_t validations;
    std::uint32_t explicit_comparisons;
    std::uint32_t payload_comparisons;
    std::string message;  // "ok" on success
};

// An owner's binding as a commit writes it, with every command's resolved
// resources (virtual indexes, -1 for none), one entry per command and kind.
struct owner_binding {
    std::string owner_id;
    std::int32_t generation = 0;
    std::int32_t first_sequence = -1;  // of the first command in list order
    std::int32_t last_sequence = -1;   // of the last command in list order
    std::vector<render_command> commands;
    std::vector<std::int32_t> resolved_paints;
    std::vector<std::int32_t> resolved_images;
    std::vector<std::int32_t> resolved_glyphs;
    std::vector<std::int32_t> resolved_clips;
    std::vector<std::int32_t> resolved_transforms;
};

// The result of validating one owner fragment with its resource delta.
struct preflight_report {
    // Not passed yet: message "preflight-not-complete", counters 0, nothing staged,
    // a binding of the owner and generation with sequences -1 and no commands.
    preflight_report(const std::string& owner_id, std::int32_t generation);

    bool ok = false;
    std::string message;
    std::uint32_t validations = 0;
    std::uint32_t explicit_comparisons = 0;
    std::uint32_t payload_comparisons = 0;  // the image and glyph part of the explicit ones
    std::uint32_t index_probes = 0;         // key-index nodes visited by counted lookups
    // New resources the commit appends, in delta order; each list finds its
    // first record of an id without a scan.
    staged_list<render_paint> staged_paints;
    staged_list<render_image> staged_images;
    staged_list<glyph_alpha_resource> staged_glyphs;
    staged_list<render_clip> staged_clips;
    staged_list<render_transform> staged_transforms;
    owner_binding binding;
};

// Keys and resources that earlier items of a validation or batch added but that
// are not committed yet.
struct resource_index_set {
    // Three indexes of n buckets each, nothing merged, counters 0.
    explicit resource_index_set(std::int32_t n);

    // Sum of the three indexes' probe counts (wrapping).
    std::uint32_t probe_count() const;

    string_index resource_keys;  // identity key of a merged resource -> its virtual index
    string_index owner_keys;     // owner id of a batch item -> item number
    string_index sequence_keys;  // "command-sequence" key of a batch command -> item number
    std::vector<render_paint> paints;  // merged resources, in merge order
    std::vector<render_image> images;
    std::vector<glyph_alpha_resource> glyphs;
    std::vector<render_clip> clips;
    std::vector<render_transform> transforms;
    std::uint32_t pending_payload_bytes = 0;
    std::uint32_t pending_index_nodes = 0;
    std::uint32_t counter_3 = 0;  // never changed from 0
    std::uint32_t counter_4 = 0;  // never changed from 0
};
