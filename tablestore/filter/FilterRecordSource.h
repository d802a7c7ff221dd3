#pragma once
// Where a filter's records come from while it is applied: the cursor, over its record
// cache and the data file. The filter asks for the records of its candidate set in record
// number order.

#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/filter/ExpToken.h"
#include "tablestore/filter/FilterColumns.h"
#include "tablestore/filter/RecordsBitmap.h"

namespace wispel {

class TFilterRecordSource {
public:
    virtual ~TFilterRecordSource() = default;
    // Points `image` at the image of record `recordNo` (the table's record size); it must
    // stay valid until the next call.
    virtual StoreResult readRecord(std::uint32_t recordNo, const std::uint8_t*& image) = 0;
    // The text of the memo column `column` of `image`, read from the blob file; false when
    // it cannot be had, which the filter takes as no value.
    virtual bool readMemo(const ColumnDescriptor& column, const std::uint8_t* image,
                          std::string& text) {
        (void)column, (void)image, (void)text;
        return false;
    }
    // One comparison of a column with a constant, of a filter that is such comparisons
    // joined by AND (TFilterProgram::canUseIndexes).
    struct IndexCondition {
        std::uint32_t column = 0;  // position among the filter's columns
        TExpOperator op = TExpOperator::none;
        TFilterValue constant;
        bool plainText = true;  // compared byte by byte, whole (no case option, no partial length)
    };
    // The records an index says may pass `conditions`, in `candidates` (sized to `size`):
    // false when no index answers any of them. `exact` when the index answered every one, so
    // that exactly these records pass.
    virtual bool indexCandidates(const std::vector<IndexCondition>& conditions, std::uint32_t size,
                                 TRecordsBitmap& candidates, bool& exact) {
        (void)conditions, (void)size, (void)candidates, (void)exact;
        return false;
    }
};

}  // namespace wispel
