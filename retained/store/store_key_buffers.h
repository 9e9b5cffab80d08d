#pragma once
// store_key_buffers: reusable texts for the identity keys that the store's lookups
// and commits build by the thousand, so that building a key allocates nothing once
// its buffer has grown. A lookup that runs while another holds its key (a nested
// call through an overridden operation) takes a buffer of its own.

#include "retained/store/store_keys.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class store_key_buffers {
public:
    // The key of (kind, id, number), valid while this object lives.
    class key {
    public:
        key(store_key_buffers& buffers, std::string_view kind, std::string_view id, std::int32_t number)
            : buffers_(buffers), text_(buffers.acquire())
        {
            try {
                assign_store_key(text_, kind, id, number);
            }
            catch (...) {
                buffers_.release();
                throw;
            }
        }
        ~key() { buffers_.release(); }
        key(const key&) = delete;
        key& operator=(const key&) = delete;

        const std::string& text() const { return text_; }

    private:
        store_key_buffers& buffers_;
        std::string& text_;
    };

private:
    std::string& acquire()
    {
        if (depth_ == buffers_.size()) {
            buffers_.push_back(std::make_unique<std::string>());  // stable while deeper buffers are added
        }
        return *buffers_[depth_++];
    }
    void release() { --depth_; }

    std::vector<std::unique_ptr<std::string>> buffers_;
    std::size_t depth_ = 0;
};
