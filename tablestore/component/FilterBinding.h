#pragma once
// Turns a table's Filter text into the predicate its cursor evaluates per record.

#include <string>
#include <vector>

#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/ColumnDescriptor.h"

namespace wispel {

// Raises EStoreEngineError 10051 (named after `tableName`) when the text is no filter.
TRecordPredicate compileTableFilter(const std::string& text,
                                    const std::vector<ColumnDescriptor>& columns,
                                    const TStoreFilterOptions& options,
                                    std::uint16_t languageID, const std::string& tableName);

}  // namespace wispel
