// Item validation, reference resolution and merging accepted items into a scratch set.

#include "retained/store/retained_resource_store.h"
#include "retained/store/store_keys.h"

#include "runtime/text.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::int64_t max_entries = 65536;
constexpr std::int64_t max_commands = 65536;
constexpr std::int64_t max_payload_bytes = 67108864;
constexpr std::uint32_t max_owners = 4096;
constexpr std::int64_t max_index_nodes = 200704;

std::string decimal(std::int32_t value)
{
    return std::to_string(value);
}

std::string decimal(std::uint32_t value)
{
    return std::to_string(static_cast<std::int32_t>(value));
}

std::string owner_message(const char* pattern, const std::string& owner_id)
{
    return format_placeholders(pattern, {owner_id});
}

std::string owner_message(const char* pattern, const std::string& owner_id, const std::string& detail)
{
    return format_placeholders(pattern, {owner_id, detail});
}

preflight_report rejected(preflight_report& report, std::string message)
{
    report.message = std::move(message);
    return report;
}

template <typename List> std::int64_t list_size(const List& list)
{
    return static_cast<std::int64_t>(list.size());
}

}  // namespace

preflight_report retained_resource_store::validate(const owner_fragment& fragment, const resource_delta& delta,
                                                   std::uint32_t expected_revision, bool bind) const
{
    resource_index_set scratch(1);
    return validate_item(fragment, delta, expected_revision, bind, scratch);
}

// Beyond the range test: no command may reuse a sequence number that a committed
// command holds or that an earlier command of the fragment uses, since the commit
// would put a second "command-sequence" key over the first and lose a command.
std::string retained_resource_store::check_fragment_sequences(const owner_fragment& fragment) const
{
    const char* overlap = "retained resource owner {0} command range overlaps {1}";
    const std::vector<render_command>& commands = fragment.commands;
    // The first command, in list order, whose sequence an earlier command already
    // has: sorting (sequence, position) puts each repeat right behind its first use.
    std::vector<std::pair<std::int32_t, std::size_t>> order;
    order.reserve(commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        order.emplace_back(commands[i].sequence, i);
    }
    std::sort(order.begin(), order.end());
    std::size_t first_repeat = commands.size();
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (order[i].first == order[i - 1].first) {
            first_repeat = std::min(first_repeat, order[i].second);
        }
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::int32_t row =
            index_get(store_key_buffers::key(keys_, "command-sequence", "", commands[i].sequence).text());
        const std::int32_t holder = command_owner(row);
        if (holder >= 0) {
            return owner_message(overlap, fragment.owner_id, owners_.id[static_cast<std::size_t>(holder)]);
        }
        if (i == first_repeat) {
            return owner_message(overlap, fragment.owner_id, decimal(commands[i].sequence));
        }
    }
    return "";
}

preflight_report retained_resource_store::validate_item(owner_fragment fragment, resource_delta delta,
                                                        std::uint32_t expected_revision, bool bind,
                                                        resource_index_set& scratch) const
{
    preflight_report report(fragment.owner_id, fragment.generation);
    const std::string& owner = fragment.owner_id;

    if (state() != "open") {
        return rejected(report, "retained resource store is not open");
    }
    if (expected_revision != revision()) {
        return rejected(report, format_placeholders("retained resource store stale revision: expected {0}, current {1}",
                                                    {decimal(expected_revision), decimal(revision())}));
    }
    if (delta.surface != surface()) {
        return rejected(report, "retained resource delta surface does not match store");
    }
    if (std::string message = validate_retained_fragment(fragment); !message.empty()) {
        return rejected(report, std::move(message));
    }
    const std::int32_t row = find_binding_counted(report, owner);
    const auto fragment_commands = static_cast<std::int64_t>(fragment.commands.size());
    if (bind) {
        if (row >= 0) {
            return rejected(report, owner_message("retained resource owner {0} is already bound", owner));
        }
        const std::int32_t first = fragment.commands.front().sequence;
        const std::int32_t last = fragment.commands.back().sequence;
        for (std::size_t i = 0; i < owners_.id.size(); ++i) {
            if (first <= owners_.last_sequence[i] && last >= owners_.first_sequence[i]) {
                return rejected(report, owner_message("retained resource owner {0} command range overlaps {1}", owner,
                                                      owners_.id[i]));
            }
        }
        if (std::string message = check_fragment_sequences(fragment); !message.empty()) {
            return rejected(report, std::move(message));
        }
    }
    else {
        if (row < 0) {
            return rejected(report, owner_message("retained resource owner {0} requires an initial binding", owner));
        }
        if (fragment.generation <= owner_generation(row)) {
            return rejected(report,
                            owner_message("retained resource owner {0} requires a newer fragment generation", owner));
        }
        const auto owner_row = static_cast<std::size_t>(row);
        const char* exact_range = "retained resource owner {0} must preserve its exact command range";
        if (fragment_commands != owners_.command_count[owner_row]) {
            return rejected(report, owner_message(exact_range, owner));
        }
        const auto base = static_cast<std::size_t>(owners_.first_command_row[owner_row]);
        for (std::size_t i = 0; i < fragment.commands.size(); ++i) {
            const render_command& command = fragment.commands[i];
            const std::size_t committed = base + i;
            if (command.sequence != commands_.sequence[committed]) {
                return rejected(report, owner_message(exact_range, owner));
            }
            if (command.kind == "image" && commands_.kind[committed] == "image" &&
                command.resource_id == commands_.resource_id[committed] &&
                command.image_generation < commands_.image_generation[committed]) {
                return rejected(report, format_placeholders(
                                            "retained resource owner {0} image {1} generation regressed from "
                                            "{2} to {3}",
                                            {owner, command.resource_id, decimal(commands_.image_generation[committed]),
                                             decimal(command.image_generation)}));
            }
        }
    }
    if (delta.entry_count() > static_cast<std::uint32_t>(max_entries)) {
        return rejected(report, "retained resource delta exceeds 65536 entries");
    }

    // The delta is this call's own copy, so its records move into staging.
    report.staged_paints.reserve(delta.paints.size());
    report.staged_images.reserve(delta.images.size());
    report.staged_glyphs.reserve(delta.glyphs.size());
    report.staged_clips.reserve(delta.clips.size());
    report.staged_transforms.reserve(delta.transforms.size());
    bool staged = true;
    for (std::size_t i = 0; staged && i < delta.paints.size(); ++i) {
        staged = stage_paint(report, scratch, std::move(delta.paints[i]));
    }
    for (std::size_t i = 0; staged && i < delta.images.size(); ++i) {
        staged = stage_image(report, scratch, std::move(delta.images[i]));
    }
    for (std::size_t i = 0; staged && i < delta.glyphs.size(); ++i) {
        staged = stage_glyph_alpha(report, scratch, std::move(delta.glyphs[i]));
    }
    for (std::size_t i = 0; staged && i < delta.clips.size(); ++i) {
        staged = stage_clip(report, scratch, std::move(delta.clips[i]));
    }
    for (std::size_t i = 0; staged && i < delta.transforms.size(); ++i) {
        staged = stage_transform(report, scratch, std::move(delta.transforms[i]));
    }
    if (!staged) {
        return report;
    }

    // Totals are summed wide: the same verdicts as 32-bit sums wherever those fit.
    const std::int64_t entries = std::int64_t{entry_count()} + list_size(scratch.paints) + list_size(scratch.images) +
                                 list_size(scratch.glyphs) + list_size(scratch.clips) + list_size(scratch.transforms) +
                                 list_size(report.staged_paints) + list_size(report.staged_images) +
                                 list_size(report.staged_glyphs) + list_size(report.staged_clips) +
                                 list_size(report.staged_transforms);
    const std::int64_t replaced = row >= 0 ? owners_.command_count[static_cast<std::size_t>(row)] : 0;
    const std::int64_t commands = std::int64_t{command_count()} - replaced + fragment_commands;
    std::int64_t payload = std::int64_t{scratch.pending_payload_bytes} + std::int64_t{payload_size()};
    for (const render_image& image : report.staged_images) {
        payload += image.sizeBytes;
    }
    for (const glyph_alpha_resource& glyph : report.staged_glyphs) {
        payload += glyph.byte_size;
    }
    if (entries > max_entries || commands > max_commands || payload > max_payload_bytes) {
        return rejected(report, "retained resource store exceeds 65536 entries/commands or 64 MiB");
    }
    if (bind && owner_count() > max_owners - 1) {
        return rejected(report, "retained resource store exceeds 4096 owners");
    }
    const std::int64_t index_nodes = std::int64_t{index_key_count()} + std::int64_t{scratch.pending_index_nodes} +
                                     list_size(report.staged_paints) + list_size(report.staged_glyphs) +
                                     list_size(report.staged_clips) + list_size(report.staged_transforms) +
                                     2 * list_size(report.staged_images) + (bind ? fragment_commands + 1 : 0);
    if (index_nodes > max_index_nodes) {
        return rejected(report, "retained resource store exceeds 200704 index nodes");
    }

    owner_binding& binding = report.binding;
    for (std::vector<std::int32_t>* list :
         {&binding.resolved_paints, &binding.resolved_images, &binding.resolved_glyphs, &binding.resolved_clips,
          &binding.resolved_transforms}) {
        list->reserve(fragment.commands.size());
    }
    binding.commands.reserve(fragment.commands.size());
    binding.first_sequence = fragment.commands.front().sequence;
    binding.last_sequence = fragment.commands.back().sequence;
    for (render_command& command : fragment.commands) {
        std::int32_t paint = -1;
        std::int32_t image = -1;
        std::int32_t glyph = -1;
        std::int32_t clip = -1;
        std::int32_t transform = -1;
        if (!command.paint_id.empty()) {
            paint = resolve_paint(report, scratch, command.paint_id);
            if (paint < 0) {
                return rejected(report, owner_message("retained resource owner {0} references missing paint {1}", owner,
                                                      command.paint_id));
            }
        }
        if (command.kind == "image") {
            image = resolve_image(report, scratch, command.resource_id, command.image_generation);
            if (image < 0) {
                return rejected(report,
                                format_placeholders("retained resource owner {0} references missing image {1}@{2}",
                                                    {owner, command.resource_id, decimal(command.image_generation)}));
            }
        }
        else if (command.kind == "glyphAlpha" && !command.closing) {
            glyph = resolve_glyph(report, scratch, command.resource_id);
            if (glyph < 0) {
                return rejected(report, owner_message("retained resource owner {0} references missing glyph {1}", owner,
                                                      command.resource_id));
            }
        }
        if (!command.clip_id.empty()) {
            clip = resolve_clip(report, scratch, command.clip_id);
            if (clip < 0) {
                return rejected(report, owner_message("retained resource owner {0} references missing clip {1}", owner,
                                                      command.clip_id));
            }
        }
        if (!command.transform_id.empty() && command.transform_id != "identity") {
            transform = resolve_transform(report, scratch, command.transform_id);
            if (transform < 0) {
                return rejected(report, owner_message("retained resource owner {0} references missing transform {1}",
                                                      owner, command.transform_id));
            }
        }
        binding.commands.push_back(std::move(command));
        binding.resolved_paints.push_back(paint);
        binding.resolved_images.push_back(image);
        binding.resolved_glyphs.push_back(glyph);
        binding.resolved_clips.push_back(clip);
        binding.resolved_transforms.push_back(transform);
    }
    report.ok = true;
    report.message = "ok";
    return report;
}

namespace {

std::int32_t behind(std::uint32_t committed, std::size_t scratch_length, std::int32_t position)
{
    return position < 0 ? -1
                        : static_cast<std::int32_t>(committed) + static_cast<std::int32_t>(scratch_length) + position;
}

}  // namespace

std::int32_t retained_resource_store::resolve_paint(preflight_report& report, resource_index_set& scratch,
                                                    std::string id) const
{
    const std::int32_t found = find_paint(report, scratch, id);
    return found >= 0 ? found : behind(paint_count(), scratch.paints.size(), report.staged_paints.first(id));
}

std::int32_t retained_resource_store::resolve_image(preflight_report& report, resource_index_set& scratch,
                                                    std::string id, std::int32_t generation) const
{
    const std::int32_t found = find_image_generation(report, scratch, id, generation);
    return found >= 0 ? found
                      : behind(image_count(), scratch.images.size(), report.staged_images.first(id, generation));
}

std::int32_t retained_resource_store::resolve_glyph(preflight_report& report, resource_index_set& scratch,
                                                    std::string id) const
{
    const std::int32_t found = find_glyph(report, scratch, id);
    return found >= 0 ? found : behind(glyph_count(), scratch.glyphs.size(), report.staged_glyphs.first(id));
}

std::int32_t retained_resource_store::resolve_clip(preflight_report& report, resource_index_set& scratch,
                                                   std::string id) const
{
    const std::int32_t found = find_clip(report, scratch, id);
    return found >= 0 ? found : behind(clip_count(), scratch.clips.size(), report.staged_clips.first(id));
}

std::int32_t retained_resource_store::resolve_transform(preflight_report& report, resource_index_set& scratch,
                                                        std::string id) const
{
    const std::int32_t found = find_transform(report, scratch, id);
    return found >= 0 ? found
                      : behind(transform_count(), scratch.transforms.size(), report.staged_transforms.first(id));
}

namespace {

template <typename Record>
void merge_records(staged_list<Record>& staged, std::vector<Record>& merged, std::uint32_t committed,
                   resource_index_set& scratch, store_key_buffers& keys, const char* kind)
{
    for (Record& record : staged.take()) {
        const auto v = static_cast<std::int32_t>(committed + merged.size());
        scratch.resource_keys.put(store_key_buffers::key(keys, kind, record.id, 0).text(), v);
        ++scratch.pending_index_nodes;
        merged.push_back(std::move(record));
    }
}

}  // namespace

void retained_resource_store::stage_into_scratch(preflight_report report, resource_index_set& scratch) const
{
    merge_records(report.staged_paints, scratch.paints, paint_count(), scratch, keys_, "paint");
    for (render_image& image : report.staged_images.take()) {
        const auto v = static_cast<std::int32_t>(image_count() + scratch.images.size());
        const store_key_buffers::key latest_key(keys_, "image-latest", image.id, 0);
        const std::string& latest = latest_key.text();
        const bool known_id = scratch.resource_keys.find(latest) >= 0 || index_get(latest) >= 0;
        scratch.resource_keys.put(store_key_buffers::key(keys_, "image-generation", image.id, image.generation).text(),
                                  v);
        scratch.resource_keys.put(latest, v);
        scratch.pending_payload_bytes += static_cast<std::uint32_t>(image.sizeBytes);
        scratch.pending_index_nodes += known_id ? 1 : 2;
        scratch.images.push_back(std::move(image));
    }
    for (const glyph_alpha_resource& glyph : report.staged_glyphs) {
        scratch.pending_payload_bytes += static_cast<std::uint32_t>(glyph.byte_size);
    }
    merge_records(report.staged_glyphs, scratch.glyphs, glyph_count(), scratch, keys_, "glyph");
    merge_records(report.staged_clips, scratch.clips, clip_count(), scratch, keys_, "clip");
    merge_records(report.staged_transforms, scratch.transforms, transform_count(), scratch, keys_, "transform");
}
