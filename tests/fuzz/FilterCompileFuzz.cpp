// Feeds arbitrary texts to the filter compiler over the ten-column test table, under each
// combination of the two filter options, and applies every filter that compiles to the
// table's six records. Every text must end in a result: a filter, or error 10051 with a
// short message. Never a crash, a leak, a stack overflow or unbounded work.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "tests/tablestore/filter/FilterTestTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wispel;
    static TestTable table;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TFilterOptions options{size % 2 == 1, size % 4 >= 2};
    std::unique_ptr<TFilter> made;
    std::string message;
    const StoreResult result =
        TFilter::create(text, table.columns(), table.recordSize(), {}, options, made, message);
    if (result != storecode::kOk) {
        // Messages quote at most 255 bytes of a token (two of them for a type mismatch).
        if (result != storecode::kFilterError || message.empty() || message.size() > 1024)
            std::abort();
        return 0;
    }
    table.reads.clear();
    if (made->apply(TRecordsBitmap(table.recordCount(), true), table) != storecode::kOk)
        std::abort();
    return 0;
}
