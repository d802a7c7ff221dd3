#include "xml/input/NameValueList.h"

#include <utility>

#include "core/Collection.h"
#include "core/TextCase.h"

namespace wispel {

void TdomNameValueList::setCapacity(int capacity) {
    if (capacity > count()) entries_.reserve(static_cast<size_t>(capacity));
}

const TdomNameValueList::Entry& TdomNameValueList::at(int index) const {
    checkListIndex(index, count());
    return entries_[static_cast<size_t>(index)];
}

DOMString TdomNameValueList::names(int index) const {
    return fromUtf8(at(index).name);
}

DOMString TdomNameValueList::values(int index) const {
    return fromUtf8(at(index).value);
}

int TdomNameValueList::add(std::u16string_view name, std::u16string_view value) {
    entries_.push_back({toUtf8(name), toUtf8(value)});
    return count() - 1;
}

void TdomNameValueList::insert(int index, const DOMString& name, const DOMString& value) {
    if (index != count()) checkListIndex(index, count());
    entries_.insert(entries_.begin() + index, Entry{toUtf8(name), toUtf8(value)});
}

void TdomNameValueList::deleteItem(int index) {
    checkListIndex(index, count());
    entries_.erase(entries_.begin() + index);
}

void TdomNameValueList::exchange(int index1, int index2) {
    checkListIndex(index1, count());
    checkListIndex(index2, count());
    std::swap(entries_[static_cast<size_t>(index1)], entries_[static_cast<size_t>(index2)]);
}

int TdomNameValueList::indexOfName(const DOMString& name) const {
    std::string key = toUtf8(name);
    for (int i = 0; i < count(); ++i) {
        if (sameText(entries_[static_cast<size_t>(i)].name, key)) return i;
    }
    return -1;
}

int TdomNameValueList::indexOfNameValue(const DOMString& name, const DOMString& value) const {
    std::string key = toUtf8(name);
    std::string text = toUtf8(value);
    for (int i = 0; i < count(); ++i) {
        const Entry& entry = entries_[static_cast<size_t>(i)];
        if (entry.name == key && entry.value == text) return i;
    }
    return -1;
}

}  // namespace wispel
