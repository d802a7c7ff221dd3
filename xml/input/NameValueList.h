#pragma once
// An ordered list of name and value pairs: the attributes of a start tag as the reader
// hands them to the builder, and the parameter-entity texts of a DTD subset. Names and
// values are kept as 8-bit text (UTF-8 here); a string read back is converted again, so an
// unpaired surrogate does not survive the trip.

#include <string>
#include <string_view>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

class TdomNameValueList {
public:
    int count() const noexcept { return static_cast<int>(entries_.size()); }
    int capacity() const noexcept { return static_cast<int>(entries_.capacity()); }
    void setCapacity(int capacity);

    // EListError ("List index out of bounds (%d)") outside 0 to count - 1.
    DOMString names(int index) const;
    DOMString values(int index) const;

    // Returns the index of the new pair.
    int add(std::u16string_view name, std::u16string_view value);
    void insert(int index, const DOMString& name, const DOMString& value);  // 0 to count
    void deleteItem(int index);
    void exchange(int index1, int index2);
    void clear() noexcept { entries_.clear(); }

    // Index of the first pair with that name, case-insensitive; -1 when absent.
    int indexOfName(const DOMString& name) const;
    // Index of the first pair with exactly that name and value; -1 when absent.
    int indexOfNameValue(const DOMString& name, const DOMString& value) const;

private:
    struct Entry {
        std::string name;
        std::string value;
    };
    const Entry& at(int index) const;

    std::vector<Entry> entries_;
};

}  // namespace wispel
