#pragma once
// Turns a table's Filter text, and its row-filter event, into filters for its cursor.

#include <memory>
#include <string>

#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/filter/Filter.h"

namespace wispel {

// Raises EStoreEngineError 10051 "Filter error for table '<name>' - ..." when the text is
// no filter of this table.
std::unique_ptr<TFilter> compileTableFilter(const std::string& text, const TDataTable& table,
                                            const TStoreFilterOptions& options,
                                            const std::string& tableName);

}  // namespace wispel
