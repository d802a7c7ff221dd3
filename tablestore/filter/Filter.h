#pragma once
// One filter of a cursor: either a compiled expression over the table's columns or the
// dataset's row-filter callback, and its result bitmap (the records that passed when it
// was last applied). Creating an expression filter parses, checks and compiles the text
// once; applying it evaluates the program for every candidate record.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/filter/FilterColumns.h"
#include "tablestore/filter/FilterEvaluator.h"
#include "tablestore/filter/FilterOptions.h"
#include "tablestore/filter/FilterProgram.h"
#include "tablestore/filter/FilterRecordSource.h"
#include "tablestore/filter/RecordsBitmap.h"

namespace wispel {

// The row-filter callback: true lets the record pass. The component layer wraps the
// dataset's event in it (filter state, the record as the current buffer, exceptions).
using TFilterRowCallback = std::function<bool(std::uint32_t recordNo, const std::uint8_t* image)>;

class TFilter {
public:
    // Makes an expression filter over `columns`, detached. On a fault of the text the
    // result is 10051 and `message` holds the detail that follows "Filter error for table
    // '<name>' - "; `made` is then left as it was. `recordSize` is the size of the images
    // the filter will read; a column that does not fit in it gives 8961.
    static StoreResult create(std::string_view text, const TFilterColumns& columns,
                              std::size_t recordSize, const TFilterLocale& locale,
                              const TFilterOptions& options, std::unique_ptr<TFilter>& made,
                              std::string& message);
    // A callback filter, detached.
    explicit TFilter(TFilterRowCallback callback);
    ~TFilter();
    TFilter(const TFilter&) = delete;
    TFilter& operator=(const TFilter&) = delete;

    bool isExpression() const noexcept { return program_ != nullptr; }
    bool isAttached() const noexcept { return attached_; }
    void setAttached(bool attached) noexcept { attached_ = attached; }
    // Whether an index could answer the expression (see TFilterProgram).
    bool canUseIndexes() const noexcept { return program_ && program_->canUseIndexes; }
    const TRecordsBitmap& bitmap() const noexcept { return bitmap_; }

    // Rebuilds the bitmap: starts from `candidates` and keeps, in record-number order,
    // the records that pass. A failed read leaves the result of the read's code and the
    // bitmap partly built (the caller does not use it then).
    StoreResult apply(const TRecordsBitmap& candidates, TFilterRecordSource& source);
    // Whether one record passes.
    bool passes(std::uint32_t recordNo, const std::uint8_t* image, TFilterRecordSource* source);

private:
    TFilter() = default;
    // The comparisons an index could answer; empty when it could not.
    std::vector<TFilterRecordSource::IndexCondition> indexConditions() const;

    TFilterColumns columns_;  // a copy: the program refers to columns by position
    std::unique_ptr<TFilterProgram> program_;
    std::unique_ptr<TFilterEvaluator> evaluator_;
    TFilterRowCallback callback_;
    TRecordsBitmap bitmap_;
    bool attached_ = false;
};

}  // namespace wispel
