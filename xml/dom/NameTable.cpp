#include "xml/dom/NameTable.h"

#include <algorithm>

namespace wispel {

namespace {
std::size_t recentSlot(const DOMString& name) {
    std::uint32_t key = static_cast<std::uint32_t>(name.size()) * 31u;
    if (!name.empty()) key += name.front() * 7u + name.back() + name[name.size() / 2] * 3u;
    return key % 64;
}

// The length (up to 0xFFFF) and the first three units; the rest of a longer name is compared
// on its own.
std::uint64_t headOf(const DOMString& name) {
    std::uint64_t head = std::min<std::size_t>(name.size(), 0xFFFF);
    for (std::size_t i = 0; i < 3 && i < name.size(); ++i)
        head |= std::uint64_t{name[i]} << (16 * (i + 1));
    return head;
}

}  // namespace

const DOMString* TdomNameTable::intern(const DOMString& name) {
    TRecent& recent = recent_[recentSlot(name)];
    const std::uint64_t head = headOf(name);
    if (recent.name != nullptr && recent.head == head &&
        (name.size() <= 3 ||
         std::u16string_view(*recent.name).substr(3) == std::u16string_view(name).substr(3))) {
        return recent.name;
    }
    recent = {&*names_.insert(name).first, head};
    return recent.name;
}

}  // namespace wispel
