#pragma once
// A small table held in memory for the filter tests: eleven columns of most types and six
// records (record numbers 1 to 6), with the values listed in FilterTestTable.cpp.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tablestore/filter/Filter.h"
#include "tablestore/filter/FilterRecordSource.h"

namespace wispel {

class TestTable : public TFilterRecordSource {
public:
    TestTable();

    StoreResult readRecord(std::uint32_t recordNo, const std::uint8_t*& image) override;
    // Memo texts stand in the table itself rather than in a blob file.
    bool readMemo(const ColumnDescriptor& column, const std::uint8_t* image,
                  std::string& text) override;
    bool memosReadable = true;

    const TFilterColumns& columns() const { return columns_; }
    std::size_t recordSize() const { return recordSize_; }
    std::uint32_t recordCount() const { return static_cast<std::uint32_t>(records_.size()); }
    std::vector<std::uint32_t> reads;  // record numbers asked for, in order

    // The numbers of the records that pass `filter`, comma-separated ("1,4,5"), or
    // "error <code>: <message>" when the filter cannot be made.
    std::string select(std::string_view filter, TFilterOptions options = {});

private:
    std::size_t recordSize_ = 0;  // set while the columns are made
    TFilterColumns columns_;
    std::vector<std::vector<std::uint8_t>> records_;
};

std::string listMembers(const TRecordsBitmap& bitmap);

}  // namespace wispel
