#pragma once
// The names of one document's nodes, one string per distinct name: a parsed feed repeats a
// handful of names ("#text", "item", "lt") millions of times, and each node then costs a
// pointer for its name instead of a string of its own.
//
// Ownership: the table owns its strings; a pointer it hands out stays valid until the table
// is destroyed (with its document), whatever is added meanwhile.

#include <array>
#include <cstdint>
#include <unordered_set>

#include "core/TextConvert.h"

namespace wispel {

class TdomNameTable {
public:
    TdomNameTable() { recent_.fill({nullptr, 0}); }
    TdomNameTable(const TdomNameTable&) = delete;
    TdomNameTable& operator=(const TdomNameTable&) = delete;

    // The table's string equal to `name`, added when missing.
    const DOMString* intern(const DOMString& name);
    std::size_t size() const noexcept { return names_.size(); }

private:
    std::unordered_set<DOMString> names_;  // nodes of the set never move
    // Names met lately, by a cheap key of their length and end units: a document uses few
    // names, and comparing a short name costs less than hashing it for the set. Each keeps
    // its length and first three units in one word, which settles most comparisons (and all
    // of names as short as "lt" or "amp") without reading the string.
    struct TRecent {
        const DOMString* name;
        std::uint64_t head;
    };
    std::array<TRecent, 64> recent_;
};

}  // namespace wispel
