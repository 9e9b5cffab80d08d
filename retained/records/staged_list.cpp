#include "retained/records/staged_list.h"

void staged_positions::clear()
{
    slots_.clear();
    hashes_.clear();
    extra.clear();
    used_ = 0;
}

void staged_positions::grow()
{
    const std::size_t size = slots_.empty() ? 16 : slots_.size() * 2;
    std::vector<std::int32_t> old_slots(size, -1);
    std::vector<std::uint32_t> old_hashes(size, 0);
    std::vector<std::int32_t> old_extra(size, 0);
    old_slots.swap(slots_);
    old_hashes.swap(hashes_);
    old_extra.swap(extra);
    const std::size_t mask = size - 1;
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

std::uint32_t staged_id_hash(const std::string& id)
{
    // FNV-1a; ids are short.
    std::uint32_t hash = 2166136261u;
    for (const char c : id) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash;
}
