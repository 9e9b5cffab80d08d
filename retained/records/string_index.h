#pragma once
// identifier_hash, the one hash of every text-keyed index of the retained store,
// and string_index, a chained hash index from text keys to signed 32-bit values.
//
// - The bucket count is fixed at construction: no rehashing, no growth.
// - Nodes are only appended; a node number stays valid for the index's life.
// - find counts every chain node it visits (wrapping at 2^32); put counts none.
// - Any key is safe with any bucket count: a hash outside the buckets (the empty
//   key hashes to 17 unreduced) is reduced into range, and an index without
//   buckets stores nothing; so does a moved-from index, which keeps its counts
//   but not its lists.

#include <cstdint>
#include <string>
#include <vector>

// h := 17, then h := (h * 33 + code) mod n for each byte, in wrapping signed 32-bit
// arithmetic. Codes: 1..68 for "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-:/@",
// 71 for every other byte. The empty text gives 17 whatever n is; a non-empty text
// gives -1 when n < 1.
std::int32_t identifier_hash(const std::string& text, std::int32_t n);

class string_index {
public:
    // n buckets, all empty; none when n < 1.
    explicit string_index(std::int32_t n);

    // The bucket the key lives in: identifier_hash reduced into 0..n-1; -1 without buckets.
    std::int32_t bucket(const std::string& key) const;
    // Inserts the key, or replaces its value when present.
    void put(const std::string& key, std::int32_t value);
    // The key's value, or -1 when absent. Adds the nodes visited to the probe count.
    std::int32_t find(const std::string& key);

    std::uint32_t bucket_count() const { return bucket_count_; }
    std::uint32_t probe_count() const { return probe_count_; }
    std::uint32_t node_count() const { return static_cast<std::uint32_t>(keys_.size()); }
    const std::vector<std::int32_t>& bucket_heads() const { return heads_; }
    const std::vector<std::string>& keys() const { return keys_; }
    const std::vector<std::int32_t>& values() const { return values_; }
    const std::vector<std::int32_t>& next_links() const { return next_; }

private:
    std::uint32_t bucket_count_;
    std::vector<std::int32_t> heads_;  // first node of each chain, -1 for none
    std::vector<std::string> keys_;
    std::vector<std::int32_t> values_;
    std::vector<std::int32_t> next_;  // next node of the same chain, -1 at its end
    std::uint32_t probe_count_ = 0;
};
