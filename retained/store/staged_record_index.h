#pragma once
// staged_record_index: finds the first record of an id in a preflight report's
// staged lists without scanning them, so that staging and resolving a delta of n
// records stays linear in n.
//
// The index follows the one report that item validation is building, whose lists
// only grow, from reset() to stop(). Before every answer it catches up with records
// appended to the asked list since the last call (and forgets a list that has
// shrunk or whose last entered record was replaced). Any other report, which its
// caller may have changed anywhere, is answered by scanning its list. It keeps
// positions only, never ids: every candidate is compared with the report's record
// itself, so a position it returns always holds the id asked for.

#include "retained/records/records.h"

#include <cstdint>
#include <string>
#include <vector>

class staged_record_index {
public:
    // Forgets everything and follows `report` from its current lists on.
    void reset(const preflight_report& report);
    // Follows no report any more.
    void stop();

    // Follows a report for the life of the scope.
    class scope {
    public:
        scope(staged_record_index& index, const preflight_report& report) : index_(index) { index_.reset(report); }
        ~scope() { index_.stop(); }
        scope(const scope&) = delete;
        scope& operator=(const scope&) = delete;

    private:
        staged_record_index& index_;
    };

    // Position of the first staged record with this id (for images: and generation), or -1.
    std::int32_t first_paint(const preflight_report& report, const std::string& id);
    std::int32_t first_image(const preflight_report& report, const std::string& id, std::int32_t generation);
    std::int32_t first_glyph(const preflight_report& report, const std::string& id);
    std::int32_t first_clip(const preflight_report& report, const std::string& id);
    std::int32_t first_transform(const preflight_report& report, const std::string& id);
    // Highest generation among the staged images of this id; false when there is none.
    bool latest_image(const preflight_report& report, const std::string& id, std::int32_t& generation);

    // Open addressing over the positions of one staged list, first position per key.
    class positions {
    public:
        void clear();
        // The slot holding the key that `same(position)` recognises, or the empty slot where it belongs.
        template <typename Same> std::size_t slot(std::uint32_t hash, Same same) const;
        // Enters `position` under `hash` unless its key is present; returns its slot.
        template <typename Same> std::size_t enter(std::uint32_t hash, std::int32_t position, Same same);
        std::int32_t at(std::size_t slot) const { return slots_[slot]; }

        std::size_t indexed = 0;          // list entries entered so far
        std::uint32_t last_entered = 0;   // fingerprint of the id of the last one
        std::vector<std::int32_t> extra;  // one number per slot for the owner's use

    private:
        void grow();

        std::vector<std::int32_t> slots_;  // position, or -1 for an empty slot
        std::vector<std::uint32_t> hashes_;
        std::size_t used_ = 0;
    };

private:
    void follow_images(const preflight_report& report);

    const preflight_report* report_ = nullptr;
    positions paints_, images_, glyphs_, clips_, transforms_;
    positions image_ids_;  // first image of each id; extra holds the id's highest generation
};
