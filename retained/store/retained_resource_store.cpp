// Construction, getters, the key index and the lookups of committed and scratch rows.

#include "retained/store/retained_resource_store.h"
#include "retained/store/store_keys.h"

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/retained_prepared_candidate_batch.h"

#include <utility>

namespace {

constexpr auto key_index_buckets = static_cast<std::uint32_t>(store_key_buckets);
constexpr std::size_t max_surface_bytes = 128;

std::uint32_t count_of(std::size_t n)
{
    return static_cast<std::uint32_t>(n);
}

// A row outside the column reads as a default value instead of outside memory.
template <typename T> T row_of(const std::vector<T>& column, std::int32_t row)
{
    return row >= 0 && static_cast<std::size_t>(row) < column.size() ? column[static_cast<std::size_t>(row)] : T{};
}

}  // namespace

retained_resource_store::retained_resource_store(const std::string& surface)
    : identity_(std::make_shared<retained_store_identity>()), surface_(surface),
      state_(surface.empty() || surface.size() > max_surface_bytes ? "invalid" : "open")
{
    index_.bucket_count = key_index_buckets;
    index_.clear();
}

retained_resource_store::~retained_resource_store() = default;

std::string retained_resource_store::surface() const
{
    return surface_;
}
std::string retained_resource_store::state() const
{
    return state_;
}
std::uint32_t retained_resource_store::revision() const
{
    return revision_;
}
std::uint32_t retained_resource_store::owner_count() const
{
    return count_of(owners_.id.size());
}
std::uint32_t retained_resource_store::command_count() const
{
    return command_counter_;
}
std::uint32_t retained_resource_store::payload_size() const
{
    return payload_counter_;
}
std::uint32_t retained_resource_store::validation_count() const
{
    return validation_counter_;
}
std::uint32_t retained_resource_store::explicit_comparison_count() const
{
    return explicit_comparison_counter_;
}
std::uint32_t retained_resource_store::payload_comparison_count() const
{
    return payload_comparison_counter_;
}
std::uint32_t retained_resource_store::admission_count() const
{
    return admission_counter_;
}
std::uint32_t retained_resource_store::index_key_count() const
{
    return count_of(index_.node_count());
}
std::uint32_t retained_resource_store::index_bucket_count() const
{
    return index_.bucket_count;
}
std::uint32_t retained_resource_store::index_probe_count() const
{
    return index_.probes;
}
std::uint32_t retained_resource_store::paint_count() const
{
    return count_of(paints_.id.size());
}
std::uint32_t retained_resource_store::image_count() const
{
    return count_of(images_.id.size());
}
std::uint32_t retained_resource_store::glyph_count() const
{
    return count_of(glyphs_.id.size());
}
std::uint32_t retained_resource_store::clip_count() const
{
    return count_of(clips_.id.size());
}
std::uint32_t retained_resource_store::transform_count() const
{
    return count_of(transforms_.id.size());
}

std::int32_t retained_resource_store::command_paint(std::int32_t row) const
{
    return row_of(commands_.paint, row);
}
std::int32_t retained_resource_store::command_image(std::int32_t row) const
{
    return row_of(commands_.image, row);
}
std::int32_t retained_resource_store::command_glyph(std::int32_t row) const
{
    return row_of(commands_.glyph, row);
}
std::int32_t retained_resource_store::command_clip(std::int32_t row) const
{
    return row_of(commands_.clip, row);
}
std::int32_t retained_resource_store::command_transform(std::int32_t row) const
{
    return row_of(commands_.transform, row);
}

std::int32_t retained_resource_store::command_owner(std::int32_t row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= commands_.owner_row.size()) {
        return -1;
    }
    return row_of(commands_.owner_row, row);
}

std::uint32_t retained_resource_store::entry_count() const
{
    return paint_count() + image_count() + glyph_count() + clip_count() + transform_count();
}

namespace {

std::size_t slot_of(std::uint32_t fingerprint, std::size_t mask)
{
    return static_cast<std::size_t>(fingerprint * 2654435761u) & mask;
}

}  // namespace

const retained_resource_store::key_index::slot*
retained_resource_store::key_index::find(const std::string& key, std::uint32_t fingerprint) const
{
    if (slots.empty()) {
        return nullptr;
    }
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = slot_of(fingerprint, mask);; s = (s + 1) & mask) {
        const slot& entry = slots[s];
        if (entry.node < 0) {
            return nullptr;
        }
        if (entry.fingerprint == fingerprint && entry.key_length == key.size() &&
            key.compare(0, key.size(), key_text, entry.key_start, entry.key_length) == 0) {
            return &entry;
        }
    }
}

retained_resource_store::key_index::slot* retained_resource_store::key_index::find(const std::string& key,
                                                                                   std::uint32_t fingerprint)
{
    return const_cast<slot*>(std::as_const(*this).find(key, fingerprint));
}

std::uint32_t retained_resource_store::key_index::walk_length(std::int32_t bucket, const slot* found) const
{
    const std::uint32_t length = chain_lengths[static_cast<std::size_t>(bucket)];
    return found == nullptr ? length : length - found->depth + 1;
}

void retained_resource_store::key_index::add_node(const std::string& key, std::uint32_t value, std::int32_t bucket,
                                                  std::uint32_t fingerprint)
{
    std::int32_t& head = heads[static_cast<std::size_t>(bucket)];
    const auto node = static_cast<std::int32_t>(node_count());
    key_text.append(key);
    key_starts.push_back(static_cast<std::uint32_t>(key_text.size()));
    values.push_back(static_cast<std::int32_t>(value));
    next.push_back(head);
    fingerprints.push_back(fingerprint);
    depths.push_back(++chain_lengths[static_cast<std::size_t>(bucket)]);
    head = node;

    const auto enter = [this](std::size_t n) {
        const std::size_t mask = slots.size() - 1;
        std::size_t s = slot_of(fingerprints[n], mask);
        while (slots[s].node >= 0) {
            s = (s + 1) & mask;
        }
        slots[s] = {static_cast<std::int32_t>(n), fingerprints[n], values[n], depths[n], key_starts[n],
                    key_starts[n + 1] - key_starts[n]};
    };
    if (2 * node_count() > slots.size()) {
        slots.assign(slots.empty() ? 1024 : slots.size() * 2, slot{});
        for (std::size_t n = 0; n < node_count(); ++n) {
            enter(n);
        }
        return;
    }
    enter(static_cast<std::size_t>(node));
}

void retained_resource_store::key_index::clear()
{
    heads.assign(bucket_count, -1);
    key_text = {};
    key_starts = {0};
    values = {};
    next = {};
    fingerprints = {};
    chain_lengths.assign(bucket_count, 0);
    depths = {};
    slots = {};
}

std::int32_t retained_resource_store::index_lookup(const std::string& key, std::uint32_t* probes) const
{
    const store_key_hash hash = hash_store_key(key);
    const key_index::slot* found = index_.find(key, hash.fingerprint);
    if (probes != nullptr) {
        *probes += index_.walk_length(hash.bucket, found);
    }
    return found == nullptr ? -1 : found->value;
}

std::int32_t retained_resource_store::find_binding(const std::string& owner_id) const
{
    return index_get(store_key_buffers::key(keys_, "binding", owner_id, 0).text());
}

std::int32_t retained_resource_store::index_get(const std::string& key) const
{
    return index_lookup(key, nullptr);
}

std::int32_t retained_resource_store::find_binding_counted(preflight_report& report, const std::string& owner_id) const
{
    return index_get_counted(report, store_key_buffers::key(keys_, "binding", owner_id, 0).text());
}

std::int32_t retained_resource_store::index_get_counted(preflight_report& report, const std::string& key) const
{
    return index_lookup(key, &report.index_probes);
}

void retained_resource_store::index_put(const std::string& key, std::uint32_t value)
{
    const store_key_hash hash = hash_store_key(key);
    key_index::slot* found = index_.find(key, hash.fingerprint);
    index_.probes += index_.walk_length(hash.bucket, found);
    if (found != nullptr) {
        found->value = static_cast<std::int32_t>(value);
        index_.values[static_cast<std::size_t>(found->node)] = found->value;
        return;
    }
    index_.add_node(key, value, hash.bucket, hash.fingerprint);
}

namespace {

// Scratch keys first (their probes count in the scratch index), then the store's.
std::int32_t scratch_value(resource_index_set& scratch, const std::string& key)
{
    // An empty index would visit no node; skipping it saves hashing the key.
    return scratch.resource_keys.node_count() == 0 ? -1 : scratch.resource_keys.find(key);
}

}  // namespace

std::int32_t retained_resource_store::find_paint(preflight_report& report, resource_index_set& scratch,
                                                 const std::string& id) const
{
    const store_key_buffers::key built(keys_, "paint", id, 0);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    return v >= 0 ? v : index_get_counted(report, key);
}

std::int32_t retained_resource_store::find_image_generation(preflight_report& report, resource_index_set& scratch,
                                                            const std::string& id, std::int32_t generation) const
{
    const store_key_buffers::key built(keys_, "image-generation", id, generation);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    return v >= 0 ? v : index_get_counted(report, key);
}

std::int32_t retained_resource_store::latest_image_generation(preflight_report& report, resource_index_set& scratch,
                                                              const std::string& id) const
{
    const store_key_buffers::key built(keys_, "image-latest", id, 0);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    if (v >= 0) {
        return row_of(scratch.images, v - static_cast<std::int32_t>(image_count())).generation;
    }
    const std::int32_t row = index_get_counted(report, key);
    return row >= 0 ? row_of(images_.generation, row) : 0;
}

std::int32_t retained_resource_store::find_glyph(preflight_report& report, resource_index_set& scratch,
                                                 const std::string& id) const
{
    const store_key_buffers::key built(keys_, "glyph", id, 0);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    return v >= 0 ? v : index_get_counted(report, key);
}

std::int32_t retained_resource_store::find_clip(preflight_report& report, resource_index_set& scratch,
                                                const std::string& id) const
{
    const store_key_buffers::key built(keys_, "clip", id, 0);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    return v >= 0 ? v : index_get_counted(report, key);
}

std::int32_t retained_resource_store::find_transform(preflight_report& report, resource_index_set& scratch,
                                                     const std::string& id) const
{
    const store_key_buffers::key built(keys_, "transform", id, 0);
    const std::string& key = built.text();
    const std::int32_t v = scratch_value(scratch, key);
    return v >= 0 ? v : index_get_counted(report, key);
}

render_paint retained_resource_store::paint_at(const resource_index_set& scratch, std::int32_t index) const
{
    const auto committed = static_cast<std::int32_t>(paint_count());
    return index < committed ? committed_paint_at(index) : row_of(scratch.paints, index - committed);
}

render_image retained_resource_store::image_at(const resource_index_set& scratch, std::int32_t index) const
{
    const auto committed = static_cast<std::int32_t>(image_count());
    return index < committed ? committed_image_at(index) : row_of(scratch.images, index - committed);
}

glyph_alpha_resource retained_resource_store::glyph_at(const resource_index_set& scratch, std::int32_t index) const
{
    const auto committed = static_cast<std::int32_t>(glyph_count());
    return index < committed ? committed_glyph_at(index) : row_of(scratch.glyphs, index - committed);
}

render_clip retained_resource_store::clip_at(const resource_index_set& scratch, std::int32_t index) const
{
    const auto committed = static_cast<std::int32_t>(clip_count());
    return index < committed ? committed_clip_at(index) : row_of(scratch.clips, index - committed);
}

render_transform retained_resource_store::transform_at(const resource_index_set& scratch, std::int32_t index) const
{
    const auto committed = static_cast<std::int32_t>(transform_count());
    return index < committed ? committed_transform_at(index) : row_of(scratch.transforms, index - committed);
}

render_paint retained_resource_store::committed_paint_at(std::int32_t row) const
{
    render_paint paint;
    paint.id = row_of(paints_.id, row);
    paint.red = row_of(paints_.red, row);
    paint.green = row_of(paints_.green, row);
    paint.blue = row_of(paints_.blue, row);
    paint.alpha = row_of(paints_.alpha, row);
    paint.radius = row_of(paints_.radius, row);
    paint.border_width = row_of(paints_.border_width, row);
    paint.opacity = row_of(paints_.opacity, row);
    return paint;
}

render_image retained_resource_store::committed_image_at(std::int32_t row) const
{
    render_image image;
    image.id = row_of(images_.id, row);
    image.kind = row_of(images_.kind, row);
    image.generation = row_of(images_.generation, row);
    image.width = row_of(images_.width, row);
    image.height = row_of(images_.height, row);
    image.sizeBytes = row_of(images_.size_bytes, row);
    image.format = row_of(images_.format, row);
    image.colorSpace = row_of(images_.color_space, row);
    image.alphaMode = row_of(images_.alpha_mode, row);
    image.state = row_of(images_.state, row);
    image.resident = row_of(images_.resident, row);
    image.content_identity = row_of(images_.content_identity, row);
    image.payload = row_of(images_.payload, row);
    image.source = row_of(images_.source, row);
    return image;
}

glyph_alpha_resource retained_resource_store::committed_glyph_at(std::int32_t row) const
{
    glyph_alpha_resource glyph;
    glyph.id = row_of(glyphs_.id, row);
    glyph.width = row_of(glyphs_.width, row);
    glyph.height = row_of(glyphs_.height, row);
    glyph.row_stride = row_of(glyphs_.row_stride, row);
    glyph.byte_size = row_of(glyphs_.byte_size, row);
    glyph.format = "a8-unorm-hex";  // the only format staging admits
    glyph.payload = row_of(glyphs_.payload, row);
    glyph.source = row_of(glyphs_.source, row);
    return glyph;
}

render_clip retained_resource_store::committed_clip_at(std::int32_t row) const
{
    render_clip clip;
    clip.id = row_of(clips_.id, row);
    clip.x = row_of(clips_.x, row);
    clip.y = row_of(clips_.y, row);
    clip.width = row_of(clips_.width, row);
    clip.height = row_of(clips_.height, row);
    clip.radius = row_of(clips_.radius, row);
    return clip;
}

render_transform retained_resource_store::committed_transform_at(std::int32_t row) const
{
    render_transform transform;
    transform.id = row_of(transforms_.id, row);
    transform.translate_x = row_of(transforms_.translate_x, row);
    transform.translate_y = row_of(transforms_.translate_y, row);
    transform.scale_x = row_of(transforms_.scale_x, row);
    transform.scale_y = row_of(transforms_.scale_y, row);
    transform.rotation = row_of(transforms_.rotation, row);
    return transform;
}

std::int32_t retained_resource_store::owner_generation(std::int32_t owner_row) const
{
    return row_of(owners_.generation, owner_row);
}

namespace {

std::int32_t owner_command_row(const std::vector<std::int32_t>& first_rows, std::int32_t owner_row, std::uint32_t k)
{
    return row_of(first_rows, owner_row) + static_cast<std::int32_t>(k);
}

}  // namespace

std::int32_t retained_resource_store::owner_command_paint(std::int32_t owner_row, std::uint32_t k) const
{
    return command_paint(owner_command_row(owners_.first_command_row, owner_row, k));
}

std::int32_t retained_resource_store::owner_command_image(std::int32_t owner_row, std::uint32_t k) const
{
    return command_image(owner_command_row(owners_.first_command_row, owner_row, k));
}

std::int32_t retained_resource_store::owner_command_glyph(std::int32_t owner_row, std::uint32_t k) const
{
    return command_glyph(owner_command_row(owners_.first_command_row, owner_row, k));
}

std::int32_t retained_resource_store::owner_command_clip(std::int32_t owner_row, std::uint32_t k) const
{
    return command_clip(owner_command_row(owners_.first_command_row, owner_row, k));
}

std::int32_t retained_resource_store::owner_command_transform(std::int32_t owner_row, std::uint32_t k) const
{
    return command_transform(owner_command_row(owners_.first_command_row, owner_row, k));
}

std::int32_t retained_resource_store::find_command(const render_command& command) const
{
    const std::int32_t row = index_get(store_key_buffers::key(keys_, "command-sequence", "", command.sequence).text());
    if (row < 0 || static_cast<std::size_t>(row) >= commands_.sequence.size()) {
        return -1;
    }
    if (row_of(commands_.sequence, row) != command.sequence) {
        return -1;
    }
    return commands_.signature[static_cast<std::size_t>(row)] == command_signature(command) ? row : -1;
}

std::int32_t retained_resource_store::find_command_owner(const render_command& command) const
{
    const std::int32_t row = find_command(command);
    return row < 0 ? -1 : command_owner(row);
}
