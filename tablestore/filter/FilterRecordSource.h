#pragma once
// Where a filter's records come from while it is applied: the cursor, over its record
// cache and the data file. The filter asks for the records of its candidate set in record
// number order.

#include <cstdint>
#include <string>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/filter/FilterColumns.h"

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
};

}  // namespace wispel
