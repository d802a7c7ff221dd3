#include "tablestore/filter/FilterList.h"

#include <algorithm>

namespace wispel {

StoreResult TFilterList::add(std::unique_ptr<TFilter> filter, TFilterHandle& handle) {
    if (entries_.size() >= kMaxFilters) return storecode::kTooManyFilters;
    handle = ++lastHandle_;
    // Expression filters go after the other expression filters, ahead of every callback.
    auto at = entries_.end();
    if (filter->isExpression())
        at = std::find_if(entries_.begin(), entries_.end(),
                          [](const Entry& e) { return !e.filter->isExpression(); });
    entries_.insert(at, Entry{handle, std::move(filter)});
    return storecode::kOk;
}

std::vector<TFilterList::Entry>::iterator TFilterList::entryOf(TFilterHandle handle) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [handle](const Entry& e) { return e.handle == handle; });
}

TFilter* TFilterList::find(TFilterHandle handle) const {
    for (const Entry& e : entries_)
        if (e.handle == handle) return e.filter.get();
    return nullptr;
}

StoreResult TFilterList::applyOne(TFilter& filter, const TRecordsBitmap& recordSet,
                                  TFilterRecordSource& source) {
    TRecordsBitmap candidates = recordSet;
    for (const Entry& e : entries_)
        if (e.filter.get() != &filter && e.filter->isAttached())
            candidates.intersect(e.filter->bitmap());
    return filter.apply(candidates, source);
}

StoreResult TFilterList::attach(TFilterHandle handle, const TRecordsBitmap& recordSet,
                                TFilterRecordSource& source) {
    TFilter* filter = find(handle);
    if (!filter) return storecode::kInvalidFilterHandle;
    const StoreResult result = applyOne(*filter, recordSet, source);
    filter->setAttached(result == storecode::kOk);
    return result;
}

StoreResult TFilterList::detach(TFilterHandle handle) {
    TFilter* filter = find(handle);
    if (!filter) return storecode::kInvalidFilterHandle;
    filter->setAttached(false);
    return storecode::kOk;
}

StoreResult TFilterList::free(TFilterHandle handle) {
    auto entry = entryOf(handle);
    if (entry == entries_.end()) return storecode::kInvalidFilterHandle;
    entries_.erase(entry);
    return storecode::kOk;
}

StoreResult TFilterList::reapply(const TRecordsBitmap& recordSet, TFilterRecordSource& source) {
    // Each attached filter starts from the record set narrowed by those before it; they
    // are re-evaluated one by one, so the ones not yet done must not narrow it.
    std::vector<TFilter*> attached;
    for (const Entry& e : entries_)
        if (e.filter->isAttached()) attached.push_back(e.filter.get());
    TRecordsBitmap candidates = recordSet;
    for (TFilter* filter : attached) {
        const StoreResult result = filter->apply(candidates, source);
        if (result != storecode::kOk) return result;
        candidates = filter->bitmap();
    }
    return storecode::kOk;
}

void TFilterList::combine(TRecordsBitmap& set) const {
    for (const Entry& e : entries_)
        if (e.filter->isAttached()) set.intersect(e.filter->bitmap());
}

bool TFilterList::anyAttached() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return e.filter->isAttached(); });
}

}  // namespace wispel
