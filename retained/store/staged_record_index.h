#pragma once
// staged_record_index: finds the first record of an id in a preflight report's
// staged lists without scanning them, so that staging and resolving a delta of n
// records stays linear in n.
//
// The index follows one report at a time. Before every answer it catches up with
// records appended to the report's lists since the last call; it starts over when
// it is asked about another report or a list has shrunk. A position it returns is
// checked against the list before it is trusted.

#include "retained/records/records.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class staged_record_index {
public:
    // Forgets everything and follows `report` from its current lists on.
    void reset(const preflight_report& report);

    // Position of the first staged record with this id (for images: and generation), or -1.
    std::int32_t first_paint(const preflight_report& report, const std::string& id);
    std::int32_t first_image(const preflight_report& report, const std::string& id, std::int32_t generation);
    std::int32_t first_glyph(const preflight_report& report, const std::string& id);
    std::int32_t first_clip(const preflight_report& report, const std::string& id);
    std::int32_t first_transform(const preflight_report& report, const std::string& id);
    // Highest generation among the staged images of this id; false when there is none.
    bool latest_image(const preflight_report& report, const std::string& id, std::int32_t& generation);

private:
    struct positions {
        std::size_t indexed = 0;  // records of the list already entered
        std::unordered_map<std::string, std::int32_t> first;
    };

    void follow(const preflight_report& report);

    const preflight_report* report_ = nullptr;
    positions paints_, images_, glyphs_, clips_, transforms_;
    std::unordered_map<std::string, std::int32_t> latest_generation_;
};
