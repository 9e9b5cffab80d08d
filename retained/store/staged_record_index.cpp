#include "retained/store/staged_record_index.h"

#include "retained/store/store_keys.h"

namespace {

std::uint32_t image_hash(const std::string& id, std::int32_t generation)
{
    return (text_fingerprint(id) ^ static_cast<std::uint32_t>(generation)) * 2654435761u;
}

template <typename Record> auto id_matches(const std::vector<Record>& list, const std::string& id)
{
    return [&list, &id](std::int32_t position) { return list[static_cast<std::size_t>(position)].id == id; };
}

auto image_matches(const std::vector<render_image>& list, const std::string& id, std::int32_t generation)
{
    return [&list, &id, generation](std::int32_t position) {
        const render_image& image = list[static_cast<std::size_t>(position)];
        return image.generation == generation && image.id == id;
    };
}

}  // namespace

void staged_record_index::positions::clear()
{
    indexed = 0;
    used_ = 0;
    slots_.assign(16, -1);
    hashes_.assign(16, 0);
    extra.assign(16, 0);
}

template <typename Same> std::size_t staged_record_index::positions::slot(std::uint32_t hash, Same same) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = hash & mask;
    while (slots_[s] >= 0 && !(hashes_[s] == hash && same(slots_[s]))) {
        s = (s + 1) & mask;
    }
    return s;
}

template <typename Same>
std::size_t staged_record_index::positions::enter(std::uint32_t hash, std::int32_t position, Same same)
{
    if (2 * (used_ + 1) > slots_.size()) {
        grow();
    }
    const std::size_t s = slot(hash, same);
    if (slots_[s] < 0) {
        slots_[s] = position;
        hashes_[s] = hash;
        ++used_;
    }
    return s;
}

void staged_record_index::positions::grow()
{
    std::vector<std::int32_t> old_slots(slots_.size() * 2, -1);
    std::vector<std::uint32_t> old_hashes(slots_.size() * 2, 0);
    std::vector<std::int32_t> old_extra(slots_.size() * 2, 0);
    old_slots.swap(slots_);
    old_hashes.swap(hashes_);
    old_extra.swap(extra);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < old_slots.size(); ++i) {
        if (old_slots[i] < 0) {
            continue;
        }
        std::size_t s = old_hashes[i] & mask;
        while (slots_[s] >= 0) {
            s = (s + 1) & mask;
        }
        slots_[s] = old_slots[i];
        hashes_[s] = old_hashes[i];
        extra[s] = old_extra[i];
    }
}

void staged_record_index::stop()
{
    report_ = nullptr;
}

void staged_record_index::reset(const preflight_report& report)
{
    report_ = &report;
    for (positions* p : {&paints_, &images_, &glyphs_, &clips_, &transforms_, &image_ids_}) {
        p->clear();
    }
}

namespace {

// Catches `positions` up with `list`, first forgetting it when the list no longer
// holds what was entered, as far as its length and last entry tell.
template <typename Record, typename Enter>
void catch_up(staged_record_index::positions& positions, const std::vector<Record>& list, Enter enter)
{
    if (list.size() < positions.indexed ||
        (positions.indexed > 0 && text_fingerprint(list[positions.indexed - 1].id) != positions.last_entered)) {
        positions.clear();
    }
    for (; positions.indexed < list.size(); ++positions.indexed) {
        positions.last_entered = text_fingerprint(list[positions.indexed].id);
        enter(static_cast<std::int32_t>(positions.indexed), positions.last_entered);
    }
}

template <typename Record, typename Same> std::int32_t scanned(const std::vector<Record>& list, Same same)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (same(static_cast<std::int32_t>(i))) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

template <typename Record>
std::int32_t first_by_id(staged_record_index::positions& positions, const std::vector<Record>& list,
                         const std::string& id)
{
    catch_up(positions, list, [&](std::int32_t position, std::uint32_t hash) {
        positions.enter(hash, position, id_matches(list, list[static_cast<std::size_t>(position)].id));
    });
    return positions.at(positions.slot(text_fingerprint(id), id_matches(list, id)));
}

}  // namespace

void staged_record_index::follow_images(const preflight_report& report)
{
    const std::vector<render_image>& images = report.staged_images;
    catch_up(images_, images, [&](std::int32_t position, std::uint32_t id_hash) {
        const render_image& image = images[static_cast<std::size_t>(position)];
        if (position == 0) {
            image_ids_.clear();  // the image list was entered from its start again
        }
        images_.enter(image_hash(image.id, image.generation), position,
                      image_matches(images, image.id, image.generation));
        const std::size_t s = image_ids_.enter(id_hash, position, id_matches(images, image.id));
        if (image_ids_.at(s) == position || image.generation > image_ids_.extra[s]) {
            image_ids_.extra[s] = image.generation;
        }
    });
    if (images.empty()) {
        image_ids_.clear();
    }
}

std::int32_t staged_record_index::first_paint(const preflight_report& report, const std::string& id)
{
    if (report_ != &report) {
        return scanned(report.staged_paints, id_matches(report.staged_paints, id));
    }
    return first_by_id(paints_, report.staged_paints, id);
}

std::int32_t staged_record_index::first_image(const preflight_report& report, const std::string& id,
                                              std::int32_t generation)
{
    if (report_ != &report) {
        return scanned(report.staged_images, image_matches(report.staged_images, id, generation));
    }
    follow_images(report);
    return images_.at(images_.slot(image_hash(id, generation), image_matches(report.staged_images, id, generation)));
}

std::int32_t staged_record_index::first_glyph(const preflight_report& report, const std::string& id)
{
    if (report_ != &report) {
        return scanned(report.staged_glyphs, id_matches(report.staged_glyphs, id));
    }
    return first_by_id(glyphs_, report.staged_glyphs, id);
}

std::int32_t staged_record_index::first_clip(const preflight_report& report, const std::string& id)
{
    if (report_ != &report) {
        return scanned(report.staged_clips, id_matches(report.staged_clips, id));
    }
    return first_by_id(clips_, report.staged_clips, id);
}

std::int32_t staged_record_index::first_transform(const preflight_report& report, const std::string& id)
{
    if (report_ != &report) {
        return scanned(report.staged_transforms, id_matches(report.staged_transforms, id));
    }
    return first_by_id(transforms_, report.staged_transforms, id);
}

bool staged_record_index::latest_image(const preflight_report& report, const std::string& id, std::int32_t& generation)
{
    if (report_ != &report) {
        bool found = false;
        for (const render_image& image : report.staged_images) {
            if (image.id == id && (!found || image.generation > generation)) {
                generation = image.generation;
                found = true;
            }
        }
        return found;
    }
    follow_images(report);
    const std::size_t s = image_ids_.slot(text_fingerprint(id), id_matches(report.staged_images, id));
    if (image_ids_.at(s) < 0) {
        return false;
    }
    generation = image_ids_.extra[s];
    return true;
}
