#pragma once
// Runs a compiled filter (FilterProgram.h) on record images. One evaluator holds the value
// stack and the text space of a run, so evaluating a record allocates nothing in the usual
// case. Not shared between threads.

#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/filter/FilterColumns.h"
#include "tablestore/filter/FilterProgram.h"
#include "tablestore/filter/FilterRecordSource.h"

namespace wispel {

class TFilterEvaluator {
public:
    // `program` and `columns` must outlive the evaluator.
    TFilterEvaluator(const TFilterProgram& program, const TFilterColumns& columns);

    // Reads the clock for CURRENT_DATE, CURRENT_TIME and CURRENT_TIMESTAMP: once per pass
    // over a table, so that every record of the pass sees the same moment.
    void startPass();

    // True when the expression is true for `image`; NULL and false exclude the record.
    // `source` supplies memo texts and may be null when the filter reads no memo.
    bool matches(const std::uint8_t* image, TFilterRecordSource* source);

private:
    void run(const TFilterInstruction& in, const std::uint8_t* image);
    void loadColumn(std::size_t slot, std::uint32_t column, const std::uint8_t* image);
    // Moves the text in scratch_ into the slot's own space and points the value there.
    void keepScratchText(std::size_t slot);
    void compareAt(std::size_t slot, const TFilterInstruction& in, const TFilterValue& right);

    const TFilterProgram& program_;
    const TFilterColumns& columns_;
    std::vector<TFilterValue> stack_;
    std::vector<std::string> texts_;  // one per stack slot
    std::string scratch_;
    std::size_t top_ = 0;  // number of values on the stack
    TCurrentMoment now_{};
    TFilterRecordSource* source_ = nullptr;
};

// The value of `column` in `image` (null byte 0: no value; the auto-increment column
// always has one). Memo columns are left to the caller.
void decodeColumnValue(const ColumnDescriptor& column, const std::uint8_t* image,
                       TFilterValue& value);

}  // namespace wispel
