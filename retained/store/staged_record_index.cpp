#include "retained/store/staged_record_index.h"

namespace {

// The generation leads and ends at the first ':', so the pair reads back unambiguously.
std::string image_key(const std::string& id, std::int32_t generation)
{
    return std::to_string(generation) + ':' + id;
}

template <typename Record, typename Key>
void enter_tail(std::size_t& indexed, std::unordered_map<std::string, std::int32_t>& first,
                const std::vector<Record>& list, Key key)
{
    for (; indexed < list.size(); ++indexed) {
        first.emplace(key(list[indexed]), static_cast<std::int32_t>(indexed));
    }
}

std::int32_t position_of(const std::unordered_map<std::string, std::int32_t>& first, const std::string& key)
{
    const auto found = first.find(key);
    return found == first.end() ? -1 : found->second;
}

template <typename Record> bool holds_id(const std::vector<Record>& list, std::int32_t position, const std::string& id)
{
    return position < 0 ||
           (static_cast<std::size_t>(position) < list.size() && list[static_cast<std::size_t>(position)].id == id);
}

}  // namespace

void staged_record_index::reset(const preflight_report& report)
{
    report_ = &report;
    for (positions* p : {&paints_, &images_, &glyphs_, &clips_, &transforms_}) {
        p->indexed = 0;
        p->first.clear();
    }
    latest_generation_.clear();
}

void staged_record_index::follow(const preflight_report& report)
{
    if (report_ != &report || report.staged_paints.size() < paints_.indexed ||
        report.staged_images.size() < images_.indexed || report.staged_glyphs.size() < glyphs_.indexed ||
        report.staged_clips.size() < clips_.indexed || report.staged_transforms.size() < transforms_.indexed) {
        reset(report);
    }
    const auto by_id = [](const auto& record) { return record.id; };
    enter_tail(paints_.indexed, paints_.first, report.staged_paints, by_id);
    for (std::size_t i = images_.indexed; i < report.staged_images.size(); ++i) {
        const render_image& image = report.staged_images[i];
        const auto latest = latest_generation_.emplace(image.id, image.generation);
        if (!latest.second && image.generation > latest.first->second) {
            latest.first->second = image.generation;
        }
    }
    enter_tail(images_.indexed, images_.first, report.staged_images,
               [](const render_image& image) { return image_key(image.id, image.generation); });
    enter_tail(glyphs_.indexed, glyphs_.first, report.staged_glyphs, by_id);
    enter_tail(clips_.indexed, clips_.first, report.staged_clips, by_id);
    enter_tail(transforms_.indexed, transforms_.first, report.staged_transforms, by_id);
}

namespace {

// Looks up, and starts over once when the list no longer holds what was entered.
template <typename Record, typename Follow, typename Reset>
std::int32_t checked_position(const std::vector<Record>& list, const std::string& id, const std::string& key,
                              const std::unordered_map<std::string, std::int32_t>& first, Follow follow, Reset reset)
{
    follow();
    std::int32_t position = position_of(first, key);
    if (!holds_id(list, position, id)) {
        reset();
        follow();
        position = position_of(first, key);
    }
    return position;
}

}  // namespace

std::int32_t staged_record_index::first_paint(const preflight_report& report, const std::string& id)
{
    return checked_position(
        report.staged_paints, id, id, paints_.first, [&] { follow(report); }, [&] { reset(report); });
}

std::int32_t staged_record_index::first_image(const preflight_report& report, const std::string& id,
                                              std::int32_t generation)
{
    const std::int32_t position = checked_position(
        report.staged_images, id, image_key(id, generation), images_.first, [&] { follow(report); },
        [&] { reset(report); });
    if (position >= 0 && report.staged_images[static_cast<std::size_t>(position)].generation != generation) {
        reset(report);
        follow(report);
        return position_of(images_.first, image_key(id, generation));
    }
    return position;
}

std::int32_t staged_record_index::first_glyph(const preflight_report& report, const std::string& id)
{
    return checked_position(
        report.staged_glyphs, id, id, glyphs_.first, [&] { follow(report); }, [&] { reset(report); });
}

std::int32_t staged_record_index::first_clip(const preflight_report& report, const std::string& id)
{
    return checked_position(
        report.staged_clips, id, id, clips_.first, [&] { follow(report); }, [&] { reset(report); });
}

std::int32_t staged_record_index::first_transform(const preflight_report& report, const std::string& id)
{
    return checked_position(
        report.staged_transforms, id, id, transforms_.first, [&] { follow(report); }, [&] { reset(report); });
}

bool staged_record_index::latest_image(const preflight_report& report, const std::string& id, std::int32_t& generation)
{
    follow(report);
    const auto found = latest_generation_.find(id);
    if (found == latest_generation_.end()) {
        return false;
    }
    generation = found->second;
    return true;
}
