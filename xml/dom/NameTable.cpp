#include "xml/dom/NameTable.h"

namespace wispel {

namespace {
std::size_t recentSlot(const DOMString& name) {
    std::uint32_t key = static_cast<std::uint32_t>(name.size()) * 31u;
    if (!name.empty()) key += name.front() * 7u + name.back() + name[name.size() / 2] * 3u;
    return key % 64;
}
}  // namespace

const DOMString* TdomNameTable::intern(const DOMString& name) {
    const DOMString*& recent = recent_[recentSlot(name)];
    if (recent != nullptr && *recent == name) return recent;
    recent = &*names_.insert(name).first;
    return recent;
}

}  // namespace wispel
