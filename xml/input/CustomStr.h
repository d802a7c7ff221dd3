#pragma once
// A growable UTF-16 string builder: it starts with room for 64 code units and grows by a
// quarter of its capacity whenever it is full. It is part of the reader's published toolkit;
// our own readers build their pieces in plain DOMStrings, so only its tests use it.

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

class TdomCustomStr {
public:
    TdomCustomStr() { reset(); }

    void addWideChar(char16_t unit) {
        if (length_ == units_.size()) grow();
        units_[length_++] = unit;
    }
    void addWideString(std::u16string_view text);

    // Code unit at a 1-based index; EListError outside 1 to length.
    char16_t wideChars(std::size_t index) const;
    void setWideChars(std::size_t index, char16_t unit);

    std::size_t length() const noexcept { return length_; }
    bool isEmpty() const noexcept { return length_ == 0; }
    // The last code unit; only valid when not empty.
    char16_t last() const noexcept { return units_[length_ - 1]; }

    bool isEqual(std::u16string_view text) const { return view() == text; }
    // Both false for an empty argument.
    bool startsWith(std::u16string_view text) const;
    bool endsWith(std::u16string_view text) const;

    // Empty, with room for 64 code units again.
    void reset();
    DOMString value() const { return DOMString(view()); }
    // Valid until the next change.
    std::u16string_view view() const noexcept { return {units_.data(), length_}; }

private:
    void grow();

    std::vector<char16_t> units_;  // capacity; only the first length_ units are content
    std::size_t length_ = 0;
};

}  // namespace wispel
