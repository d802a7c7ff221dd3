#pragma once
// The filters of one cursor, which owns this list. At most 64 filters exist on a cursor;
// expression filters are kept ahead of callback filters, so the cheap and index-capable
// ones narrow the set before any callback runs. A filter is named by a handle that is
// never reused within the list, so a stale handle is refused (10050) rather than taken
// for another filter.
//
// Applying: a filter's bitmap starts as the cursor's current record set (all records or
// the active range), is narrowed by the bitmaps of the other attached filters, and then
// keeps only the records that pass it. The cursor's visible set is the record set narrowed
// by every attached filter (combine).

#include <cstdint>
#include <memory>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/filter/Filter.h"
#include "tablestore/filter/FilterRecordSource.h"
#include "tablestore/filter/RecordsBitmap.h"

namespace wispel {

using TFilterHandle = std::uint32_t;  // 0 names no filter

class TFilterList {
public:
    static constexpr std::size_t kMaxFilters = 64;

    // Takes `filter` (detached) and gives its handle; 9482 when 64 filters exist already,
    // the filter then being dropped.
    StoreResult add(std::unique_ptr<TFilter> filter, TFilterHandle& handle);
    // Applies the filter over `recordSet` and attaches it (again, when it was attached).
    StoreResult attach(TFilterHandle handle, const TRecordsBitmap& recordSet,
                       TFilterRecordSource& source);
    StoreResult detach(TFilterHandle handle);
    StoreResult free(TFilterHandle handle);
    // Applies every attached filter again, in list order, after the table changed.
    StoreResult reapply(const TRecordsBitmap& recordSet, TFilterRecordSource& source);

    // `set` narrowed by the bitmaps of all attached filters.
    void combine(TRecordsBitmap& set) const;
    bool anyAttached() const;
    std::size_t size() const { return entries_.size(); }
    // The filter of `handle`, or null.
    TFilter* find(TFilterHandle handle) const;

private:
    struct Entry {
        TFilterHandle handle;
        std::unique_ptr<TFilter> filter;
    };
    std::vector<Entry>::iterator entryOf(TFilterHandle handle);
    // `recordSet` narrowed by the other attached filters, then `filter` applied to it.
    StoreResult applyOne(TFilter& filter, const TRecordsBitmap& recordSet,
                         TFilterRecordSource& source);

    std::vector<Entry> entries_;
    TFilterHandle lastHandle_ = 0;
};

}  // namespace wispel
