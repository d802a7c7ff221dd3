#include "tablestore/filter/FilterColumns.h"

#include "core/TextCase.h"

namespace wispel {

bool isMemo(const ColumnDescriptor& column) {
    return column.type == enginetype::kBlob && (column.subtype == enginesubtype::kMemo ||
                                                column.subtype == enginesubtype::kFormattedMemo);
}

TValueClass columnClass(const ColumnDescriptor& column) {
    using namespace enginetype;
    switch (column.type) {
        case kText:
            return TValueClass::text;
        case kDate:
            return TValueClass::date;
        case kBlob:
            return isMemo(column) ? TValueClass::text : TValueClass::bytes;
        case kBoolean:
            return TValueClass::boolean;
        case kSmallint:
        case kInteger:
        case kWord:
        case kUnsigned32:
            return TValueClass::integer;
        case kFloat:
            return TValueClass::floating;
        case kTime:
            return TValueClass::time;
        case kTimestamp:
            return TValueClass::timestamp;
        default:  // BCD, byte strings and the types without stored values
            return TValueClass::bytes;
    }
}

TColumnLookup::TColumnLookup(const TFilterColumns& columns) {
    upperNames_.reserve(columns.size());
    for (const ColumnDescriptor& column : columns) upperNames_.push_back(upperCase(column.name));
}

int TColumnLookup::find(std::string_view name) const {
    // Column names hold at most 30 characters of at most 4 bytes each; a longer text names
    // none, and is not case-mapped at all.
    if (name.size() > kMaxColumnNameLength * 4) return -1;
    const std::string upper = upperCase(name);
    for (std::size_t i = 0; i < upperNames_.size(); ++i)
        if (upperNames_[i] == upper) return static_cast<int>(i);
    return -1;
}

}  // namespace wispel
