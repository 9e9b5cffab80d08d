#pragma once
// Model of a single-line text entry field that is entered with its whole
// content selected: the first edit after set() replaces the content, later
// edits append or delete at the end. Texts are UTF-8.

#include <cstddef>
#include <string>

class text_entry {
public:
    // append() never lets the content grow beyond this many bytes.
    static constexpr std::size_t max_bytes = 4096;

    virtual ~text_entry();

    // Starts editing `value` (any length), all of it selected.
    virtual void set(const std::string& value);
    // Appends `value` unchanged while enabled; an append that would pass
    // max_bytes is dropped whole. An empty value changes nothing.
    virtual void append(const std::string& value);
    // Removes the last code point, or the whole content while it is selected.
    virtual void backspace();
    // Returns to the last set() value and stops accepting appends.
    virtual void revert();

    std::string text;
    std::string initial;
    bool enabled = false;
    bool replace_on_next_edit = false;
};
