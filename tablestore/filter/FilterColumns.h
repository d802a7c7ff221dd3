#pragma once
// The table's columns as the filter sees them: the data file's column descriptors, whose
// names the filter resolves and whose types decide the class of their values.

#include <string>
#include <string_view>
#include <vector>

#include "tablestore/filter/FilterValue.h"
#include "tablestore/format/ColumnDescriptor.h"

namespace wispel {

using TFilterColumns = std::vector<ColumnDescriptor>;

// Memo columns are text for the filter, though their bytes are a blob reference.
bool isMemo(const ColumnDescriptor& column);
TValueClass columnClass(const ColumnDescriptor& column);

// Finds columns by name without regard to case; the names are case-mapped once.
class TColumnLookup {
public:
    explicit TColumnLookup(const TFilterColumns& columns);
    // The position of the column named `name`, or -1.
    int find(std::string_view name) const;

private:
    std::vector<std::string> upperNames_;
};

}  // namespace wispel
