#include "runtime/text_entry.h"

#include "runtime/text.h"

text_entry::~text_entry() = default;

void text_entry::set(const std::string& value)
{
    text = value;
    initial = value;
    enabled = true;
    replace_on_next_edit = true;
}

void text_entry::append(const std::string& value)
{
    if (!enabled || value.empty()) {
        return;
    }
    if (&value == &text) {
        // Appending the field's own content: keep it before the content is emptied.
        const std::string own = value;
        append(own);
        return;
    }
    if (replace_on_next_edit) {
        text.clear();
        replace_on_next_edit = false;
    }
    // The replacement above happens even when the value is then dropped.
    if (text.size() + value.size() <= max_bytes) {
        text = format_placeholders("{0}{1}", {text, value});
    }
}

void text_entry::backspace()
{
    if (replace_on_next_edit) {
        text.clear();
        replace_on_next_edit = false;
        return;
    }
    if (text.empty()) {
        return;
    }
    std::size_t i = text.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
        --i;
    }
    text.resize(i);
}

void text_entry::revert()
{
    text = initial;
    enabled = false;
}
