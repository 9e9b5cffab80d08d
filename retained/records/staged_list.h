#pragma once
// staged_list: the list of one kind of resource that a preflight report stages,
// with an index of its own that finds the first record of an id (for images: of
// an id and generation, and the highest generation of an id) without a scan.
//
// Records are read through const access only and changed only through the
// list's own operations, so the list always knows whether its index still
// describes it: appends are entered when the index is next asked, and any other
// change (replace, clear, assignment, take) makes the index start over. No
// caller can thus get an answer about records that are no longer there.
//
// A copy copies the records and builds its own index when first asked; a move
// takes both and leaves the source empty.

#include "retained/records/value_records.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// Open addressing over positions of a list: the first position per key.
class staged_positions {
public:
    void clear();
    // The slot holding the key that `same(position)` recognises, or the empty slot where it belongs.
    template <typename Same> std::size_t slot(std::uint32_t hash, Same same) const;
    // Enters `position` under `hash` unless its key is present; returns its slot.
    template <typename Same> std::size_t enter(std::uint32_t hash, std::int32_t position, Same same);
    std::int32_t at(std::size_t slot) const { return slots_.empty() ? -1 : slots_[slot]; }

    std::vector<std::int32_t> extra;  // one number per slot for the owner's use

private:
    void grow();

    std::vector<std::int32_t> slots_;  // position, or -1 for an empty slot
    std::vector<std::uint32_t> hashes_;
    std::size_t used_ = 0;
};

std::uint32_t staged_id_hash(const std::string& id);

template <typename Record> class staged_list {
    static constexpr bool images = std::is_same_v<Record, render_image>;

public:
    using value_type = Record;
    using const_iterator = typename std::vector<Record>::const_iterator;

    staged_list() = default;
    staged_list(std::initializer_list<Record> records) : records_(records) {}
    staged_list(const staged_list& other) : records_(other.records_) {}
    staged_list(staged_list&& other) noexcept
        : records_(std::move(other.records_)), positions_(std::move(other.positions_)),
          ids_(std::move(other.ids_)), indexed_(other.indexed_), stale_(other.stale_)
    {
        other.clear();
    }
    staged_list& operator=(const staged_list& other)
    {
        if (this != &other) {
            records_ = other.records_;
            forget();
        }
        return *this;
    }
    staged_list& operator=(staged_list&& other) noexcept
    {
        if (this != &other) {
            records_ = std::move(other.records_);
            positions_ = std::move(other.positions_);
            ids_ = std::move(other.ids_);
            indexed_ = other.indexed_;
            stale_ = other.stale_;
            other.clear();
        }
        return *this;
    }
    staged_list& operator=(std::initializer_list<Record> records)
    {
        records_ = records;
        forget();
        return *this;
    }
    ~staged_list() = default;

    bool operator==(const staged_list& other) const { return records_ == other.records_; }

    // Whether two records have one identity: the id, for images with the generation.
    static bool same_identity(const Record& a, const Record& b)
    {
        if constexpr (images) {
            return a.generation == b.generation && a.id == b.id;
        }
        else {
            return a.id == b.id;
        }
    }

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    const Record& operator[](std::size_t position) const { return records_[position]; }
    const Record& front() const { return records_.front(); }
    const Record& back() const { return records_.back(); }
    const_iterator begin() const { return records_.begin(); }
    const_iterator end() const { return records_.end(); }
    const std::vector<Record>& records() const { return records_; }

    void reserve(std::size_t count) { records_.reserve(count); }
    void push_back(Record record) { records_.push_back(std::move(record)); }
    // Puts `record` at `position` (below size()).
    void replace(std::size_t position, Record record)
    {
        if (position < indexed_ && !same_identity(records_[position], record)) {
            forget();
        }
        records_[position] = std::move(record);
    }
    void clear()
    {
        records_.clear();
        forget();
    }
    // Moves every record out, leaving the list empty.
    std::vector<Record> take()
    {
        std::vector<Record> records = std::move(records_);
        clear();
        return records;
    }

    // Position of the first record with this id, or -1.
    std::int32_t first(const std::string& id)
        requires(!images)
    {
        catch_up();
        return positions_.at(positions_.slot(staged_id_hash(id), id_at(id)));
    }
    // Position of the first image with this id and generation, or -1.
    std::int32_t first(const std::string& id, std::int32_t generation)
        requires images
    {
        catch_up();
        return positions_.at(positions_.slot(image_hash(id, generation), image_at(id, generation)));
    }
    // Highest generation among the images of this id; false when there is none.
    bool latest_generation(const std::string& id, std::int32_t& generation)
        requires images
    {
        catch_up();
        const std::size_t s = ids_.slot(staged_id_hash(id), id_at(id));
        if (ids_.at(s) < 0) {
            return false;
        }
        generation = ids_.extra[s];
        return true;
    }

private:
    static std::uint32_t image_hash(const std::string& id, std::int32_t generation)
    {
        return (staged_id_hash(id) ^ static_cast<std::uint32_t>(generation)) * 2654435761u;
    }
    auto id_at(const std::string& id) const
    {
        return [this, &id](std::int32_t position) { return records_[static_cast<std::size_t>(position)].id == id; };
    }
    auto image_at(const std::string& id, std::int32_t generation) const
    {
        return [this, &id, generation](std::int32_t position) {
            const Record& image = records_[static_cast<std::size_t>(position)];
            return image.generation == generation && image.id == id;
        };
    }

    // The index describes no record any more.
    void forget()
    {
        indexed_ = 0;
        stale_ = true;
    }

    // Enters the records appended since the index was last asked.
    void catch_up()
    {
        if (stale_) {
            positions_.clear();
            ids_.clear();
            stale_ = false;
        }
        for (; indexed_ < records_.size(); ++indexed_) {
            const Record& record = records_[indexed_];
            const auto position = static_cast<std::int32_t>(indexed_);
            if constexpr (images) {
                positions_.enter(image_hash(record.id, record.generation), position,
                                 image_at(record.id, record.generation));
                const std::size_t s = ids_.enter(staged_id_hash(record.id), position, id_at(record.id));
                if (ids_.at(s) == position || record.generation > ids_.extra[s]) {
                    ids_.extra[s] = record.generation;
                }
            }
            else {
                positions_.enter(staged_id_hash(record.id), position, id_at(record.id));
            }
        }
    }

    std::vector<Record> records_;
    staged_positions positions_;  // by id (images: by id and generation)
    staged_positions ids_;        // images only: first image of each id; extra holds its highest generation
    std::size_t indexed_ = 0;     // records_[0, indexed_) are entered
    bool stale_ = false;          // the tables hold entries of records that changed
};

template <typename Same> std::size_t staged_positions::slot(std::uint32_t hash, Same same) const
{
    if (slots_.empty()) {
        return 0;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = hash & mask;
    while (slots_[s] >= 0 && !(hashes_[s] == hash && same(slots_[s]))) {
        s = (s + 1) & mask;
    }
    return s;
}

template <typename Same> std::size_t staged_positions::enter(std::uint32_t hash, std::int32_t position, Same same)
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
