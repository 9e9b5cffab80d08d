#pragma once
// retained_resource_store: the validated, revisioned store of one surface's
// paints, images, glyph alpha resources, clips, transforms and per-owner command
// fragments.
//
// - Committed records live in columns (one vector per field); rows are only
//   appended, overwritten in place (command rows of an update, an owner's
//   generation and range) or all dropped by close().
// - Every resource, binding and command is found through one fixed 8192-bucket
//   identity-key index.
// - Items (an owner_fragment with its resource_delta) are validated against the
//   committed columns, a batch's scratch set and the store's limits, then
//   committed directly or through prepared admissions and candidate batches.
// - The revision rises by one per committed item, committed batch and close.
// - Bad input never throws: refusals come back as operation_outcome records or
//   as prepared objects whose ok flag is false.
//
// Pure logic: no locks, no system calls. One caller at a time. Every operation is
// virtual, and the store's operations reach each other through virtual calls.

#include "retained/records/records.h"
#include "retained/store/retained_store_identity.h"
#include "retained/store/store_key_buffers.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class retained_prepared_admission;
class retained_prepared_candidate_batch;

class retained_resource_store {
public:
    // State "open", or "invalid" when the surface name is empty or longer than 128 bytes.
    explicit retained_resource_store(const std::string& surface);
    virtual ~retained_resource_store();

    retained_resource_store(const retained_resource_store&) = delete;
    retained_resource_store& operator=(const retained_resource_store&) = delete;

    virtual std::string surface() const;
    virtual std::string state() const;  // "open", "invalid" or "closed"
    virtual std::uint32_t revision() const;
    virtual std::uint32_t owner_count() const;
    virtual std::uint32_t command_count() const;
    virtual std::uint32_t payload_size() const;  // image and glyph alpha payload bytes
    virtual std::uint32_t validation_count() const;
    virtual std::uint32_t explicit_comparison_count() const;
    virtual std::uint32_t payload_comparison_count() const;
    virtual std::uint32_t admission_count() const;
    virtual std::uint32_t index_key_count() const;
    virtual std::uint32_t index_bucket_count() const;  // always 8192
    virtual std::uint32_t index_probe_count() const;
    virtual std::uint32_t paint_count() const;
    virtual std::uint32_t image_count() const;
    virtual std::uint32_t glyph_count() const;
    virtual std::uint32_t clip_count() const;
    virtual std::uint32_t transform_count() const;

    // Resolved resource indexes of a command row (-1: none of that kind).
    virtual std::int32_t command_paint(std::int32_t row) const;
    virtual std::int32_t command_image(std::int32_t row) const;
    virtual std::int32_t command_glyph(std::int32_t row) const;
    virtual std::int32_t command_clip(std::int32_t row) const;
    virtual std::int32_t command_transform(std::int32_t row) const;
    // Owner row of a command row; -1 outside the command rows.
    virtual std::int32_t command_owner(std::int32_t row) const;
    // Committed rows of the five resource kinds together.
    virtual std::uint32_t entry_count() const;

    // Key index. The counted forms add every chain node they visit to the report's
    // index probes; index_put adds them to the store's probe counter.
    virtual std::int32_t find_binding(const std::string& owner_id) const;
    virtual std::int32_t index_get(const std::string& key) const;
    virtual std::int32_t find_binding_counted(preflight_report& report, const std::string& owner_id) const;
    virtual std::int32_t index_get_counted(preflight_report& report, const std::string& key) const;
    virtual void index_put(const std::string& key, std::uint32_t value);

    // Lookups by identity: the scratch set's keys first, then the committed ones.
    // The result is a virtual index (committed row, then scratch position) or -1.
    virtual std::int32_t find_paint(preflight_report& report, resource_index_set& scratch, const std::string& id) const;
    virtual std::int32_t find_image_generation(preflight_report& report, resource_index_set& scratch,
                                               const std::string& id, std::int32_t generation) const;
    // Generation of the image of this id added last; 0 when there is none.
    virtual std::int32_t latest_image_generation(preflight_report& report, resource_index_set& scratch,
                                                 const std::string& id) const;
    virtual std::int32_t find_glyph(preflight_report& report, resource_index_set& scratch, const std::string& id) const;
    virtual std::int32_t find_clip(preflight_report& report, resource_index_set& scratch, const std::string& id) const;
    virtual std::int32_t find_transform(preflight_report& report, resource_index_set& scratch,
                                        const std::string& id) const;
    // Records at a virtual index of the committed rows or the scratch lists.
    virtual render_paint paint_at(const resource_index_set& scratch, std::int32_t index) const;
    virtual render_image image_at(const resource_index_set& scratch, std::int32_t index) const;
    virtual glyph_alpha_resource glyph_at(const resource_index_set& scratch, std::int32_t index) const;
    virtual render_clip clip_at(const resource_index_set& scratch, std::int32_t index) const;
    virtual render_transform transform_at(const resource_index_set& scratch, std::int32_t index) const;
    virtual render_paint committed_paint_at(std::int32_t row) const;
    virtual render_image committed_image_at(std::int32_t row) const;
    virtual glyph_alpha_resource committed_glyph_at(std::int32_t row) const;
    virtual render_clip committed_clip_at(std::int32_t row) const;
    virtual render_transform committed_transform_at(std::int32_t row) const;
    virtual std::int32_t owner_generation(std::int32_t owner_row) const;
    // Resolved indexes of an owner's k-th command.
    virtual std::int32_t owner_command_paint(std::int32_t owner_row, std::uint32_t k) const;
    virtual std::int32_t owner_command_image(std::int32_t owner_row, std::uint32_t k) const;
    virtual std::int32_t owner_command_glyph(std::int32_t owner_row, std::uint32_t k) const;
    virtual std::int32_t owner_command_clip(std::int32_t owner_row, std::uint32_t k) const;
    virtual std::int32_t owner_command_transform(std::int32_t owner_row, std::uint32_t k) const;

    // Staging of one delta record into the report: true to go on, false with the
    // rejection in the report's message. Known identical records are accepted
    // without being staged again.
    virtual bool stage_paint(preflight_report& report, resource_index_set& scratch, render_paint paint) const;
    virtual bool stage_image(preflight_report& report, resource_index_set& scratch, render_image image) const;
    virtual bool stage_glyph_alpha(preflight_report& report, resource_index_set& scratch,
                                   glyph_alpha_resource glyph) const;
    virtual bool stage_clip(preflight_report& report, resource_index_set& scratch, render_clip clip) const;
    virtual bool stage_transform(preflight_report& report, resource_index_set& scratch,
                                 render_transform transform) const;

    // A command's reference as a virtual index: committed or scratch first, then
    // the report's own staged records; -1 when nowhere.
    virtual std::int32_t resolve_paint(preflight_report& report, resource_index_set& scratch, std::string id) const;
    virtual std::int32_t resolve_image(preflight_report& report, resource_index_set& scratch, std::string id,
                                       std::int32_t generation) const;
    virtual std::int32_t resolve_glyph(preflight_report& report, resource_index_set& scratch, std::string id) const;
    virtual std::int32_t resolve_clip(preflight_report& report, resource_index_set& scratch, std::string id) const;
    virtual std::int32_t resolve_transform(preflight_report& report, resource_index_set& scratch, std::string id) const;

    // One item against a fresh one-bucket scratch set.
    virtual preflight_report validate(const owner_fragment& fragment, const resource_delta& delta,
                                      std::uint32_t expected_revision, bool bind) const;
    // One item against a batch's scratch set; changes nothing but probe counters.
    virtual preflight_report validate_item(owner_fragment fragment, resource_delta delta,
                                           std::uint32_t expected_revision, bool bind,
                                           resource_index_set& scratch) const;
    // Merges an accepted item's staged resources into a batch's scratch set.
    virtual void stage_into_scratch(preflight_report report, resource_index_set& scratch) const;

    virtual std::shared_ptr<retained_prepared_candidate_batch>
    prepare_candidate_batch(const std::vector<owner_fragment>& fragments, const std::vector<resource_delta>& deltas,
                            std::uint32_t expected_revision) const;

    // Commit primitives: they check nothing; the callers validated first.
    virtual void append_paint(render_paint paint);
    virtual void append_image(render_image image);
    virtual void append_glyph(glyph_alpha_resource glyph);
    virtual void append_clip(render_clip clip);
    virtual void append_transform(render_transform transform);
    virtual void append_command(std::uint32_t owner_row, const render_command& command, std::int32_t paint,
                                std::int32_t image, std::int32_t glyph, std::int32_t clip, std::int32_t transform);
    virtual void write_command_at(std::int32_t row, const render_command& command, std::int32_t paint,
                                  std::int32_t image, std::int32_t glyph, std::int32_t clip, std::int32_t transform);
    virtual void apply_validated_item(preflight_report report, bool bind);
    virtual operation_outcome commit_validated_item(const preflight_report& report, bool bind);

    virtual operation_outcome submit_bind(const owner_fragment& fragment, const resource_delta& delta,
                                          std::uint32_t expected_revision);
    virtual std::shared_ptr<retained_prepared_admission> prepare_bind_admission(const owner_fragment& fragment,
                                                                                const resource_delta& delta,
                                                                                std::uint32_t expected_revision) const;
    virtual operation_outcome check_bind(const owner_fragment& fragment, const resource_delta& delta,
                                         std::uint32_t expected_revision) const;
    virtual operation_outcome submit_update(const owner_fragment& fragment, const resource_delta& delta,
                                            std::uint32_t expected_revision);
    virtual std::shared_ptr<retained_prepared_admission>
    prepare_update_admission(const owner_fragment& fragment, const resource_delta& delta,
                             std::uint32_t expected_revision) const;
    // kind: 1 bind, 0 update.
    virtual operation_outcome commit_prepared_admission(std::shared_ptr<retained_prepared_admission> admission,
                                                        owner_fragment fragment, resource_delta delta,
                                                        std::uint8_t kind);
    virtual operation_outcome commit_bind_admission(const std::shared_ptr<retained_prepared_admission>& admission,
                                                    const owner_fragment& fragment, const resource_delta& delta);
    virtual operation_outcome commit_update_admission(const std::shared_ptr<retained_prepared_admission>& admission,
                                                      const owner_fragment& fragment, const resource_delta& delta);
    virtual operation_outcome
    commit_prepared_candidate_batch(const std::shared_ptr<retained_prepared_candidate_batch>& batch,
                                    const std::vector<owner_fragment>& fragments,
                                    const std::vector<resource_delta>& deltas);
    virtual operation_outcome check_update(const owner_fragment& fragment, const resource_delta& delta,
                                           std::uint32_t expected_revision) const;

    // The committed command row holding exactly this command (by signature), or -1.
    virtual std::int32_t find_command_owner(const render_command& command) const;
    virtual std::int32_t find_command(const render_command& command) const;

    // Empties every column and the key index, raises the revision once; always true.
    virtual bool close();
    // "retained-resource-store-v1: surface=...; ...; rejections=operation-results-only"
    virtual std::string diagnostic() const;

private:
    friend class retained_resource_store_inspector;  // reads the columns to check their invariants in tests

    std::int32_t index_lookup(const std::string& key, std::uint32_t* probes) const;
    operation_outcome refusal(const std::string& message) const;
    // commit_validated_item of a report that the caller gives up. In a store of
    // exactly this class nothing can see the report again, so it moves into
    // apply_validated_item instead of being copied.
    operation_outcome commit_given_up(preflight_report&& report, bool bind);
    operation_outcome apply_and_count(preflight_report report, bool bind);
    // The admission of a report that validated these inputs, which it reads in place.
    std::shared_ptr<retained_prepared_admission> admission_of(preflight_report report, const owner_fragment& fragment,
                                                              const resource_delta& delta, std::uint32_t revision,
                                                              std::uint8_t kind) const;
    operation_outcome check_outcome(const preflight_report& report) const;
    std::string check_fragment_sequences(const owner_fragment& fragment) const;

    std::shared_ptr<retained_store_identity> identity_;
    std::string surface_;
    std::string state_;
    std::uint32_t revision_ = 0;

    struct paint_columns {
        std::vector<std::string> id;
        std::vector<std::int32_t> red, green, blue, alpha, radius, border_width, opacity;
    } paints_;
    struct image_columns {
        std::vector<std::string> id, kind;
        std::vector<std::int32_t> generation, width, height, size_bytes;
        std::vector<std::string> format, color_space, alpha_mode, state;
        std::vector<bool> resident;
        std::vector<std::string> content_identity, payload, source;
    } images_;
    struct glyph_columns {
        std::vector<std::string> id;
        std::vector<std::int32_t> width, height, row_stride, byte_size;
        std::vector<std::string> format, payload, source;
    } glyphs_;
    struct clip_columns {
        std::vector<std::string> id;
        std::vector<std::int32_t> x, y, width, height, radius;
    } clips_;
    struct transform_columns {
        std::vector<std::string> id;
        std::vector<std::int32_t> translate_x, translate_y, scale_x, scale_y, rotation;
    } transforms_;

    // The 8192 chains, each new node at its chain's head. Beside them, an open
    // addressing table finds a key's node without walking its chain; a walk would
    // visit every node from the head to it, which is the chain's length less the
    // nodes that were there before it, so the probe counts are known all the same.
    struct key_index {
        std::uint32_t bucket_count = 8192;
        std::vector<std::int32_t> heads;
        std::string key_text;                  // every node's key, one after the other
        std::vector<std::uint32_t> key_starts;  // node n's key is key_text[key_starts[n], key_starts[n + 1])
        std::vector<std::int32_t> values;
        std::vector<std::int32_t> next;
        std::uint32_t probes = 0;
        std::vector<std::uint32_t> fingerprints;   // per node: the whole 32-bit hash of its key
        std::vector<std::uint32_t> chain_lengths;  // per bucket
        std::vector<std::uint32_t> depths;         // per node: its chain's length when it was added
        // A node's fingerprint, value, depth and key place again, so that a lookup
        // reads its slot and the key's bytes and nothing else.
        struct slot {
            std::int32_t node = -1;  // -1: empty
            std::uint32_t fingerprint = 0;
            std::int32_t value = 0;
            std::uint32_t depth = 0;
            std::uint32_t key_start = 0;
            std::uint32_t key_length = 0;
        };
        std::vector<slot> slots;

        std::size_t node_count() const { return next.size(); }
        std::string_view key(std::size_t node) const
        {
            return std::string_view(key_text).substr(key_starts[node], key_starts[node + 1] - key_starts[node]);
        }
        // The key's slot, or nullptr.
        slot* find(const std::string& key, std::uint32_t fingerprint);
        const slot* find(const std::string& key, std::uint32_t fingerprint) const;
        // Nodes a walk from the head visits to reach `found`, or the whole chain for nullptr.
        std::uint32_t walk_length(std::int32_t bucket, const slot* found) const;
        void add_node(const std::string& key, std::uint32_t value, std::int32_t bucket, std::uint32_t fingerprint);
        void clear();
    } index_;

    struct owner_columns {
        std::vector<std::string> id;
        std::vector<std::int32_t> generation, first_sequence, last_sequence, first_command_row, command_count;
    } owners_;
    struct command_columns {
        std::vector<std::int32_t> sequence, owner_row;
        std::vector<std::string> signature, kind, resource_id;
        std::vector<std::int32_t> image_generation;
        std::vector<std::int32_t> paint, image, glyph, clip, transform;
    } commands_;

    std::uint32_t command_counter_ = 0;
    std::uint32_t payload_counter_ = 0;
    std::uint32_t validation_counter_ = 0;
    std::uint32_t explicit_comparison_counter_ = 0;
    std::uint32_t payload_comparison_counter_ = 0;
    std::uint32_t admission_counter_ = 0;

    // Buffers for the keys that lookups and commits build.
    mutable store_key_buffers keys_;
};
