// Until the filter compiler is in place this understands the one form the program uses:
// a column compared with "=" to TRUE, FALSE, a whole number or a quoted text.

#include "tablestore/component/FilterBinding.h"

#include <charconv>

#include "core/TextCase.h"
#include "tablestore/component/ComponentErrors.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

std::string trimmed(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

[[noreturn]] void filterError(const std::string& table, const std::string& detail) {
    StoreErrorNames names;
    names.table = table;
    names.detail = detail;
    throw EStoreEngineError(storecode::kFilterError, names);
}

}  // namespace

TRecordPredicate compileTableFilter(const std::string& text,
                                    const std::vector<ColumnDescriptor>& columns,
                                    const TStoreFilterOptions& options, std::uint16_t,
                                    const std::string& tableName) {
    const size_t equals = text.find('=');
    if (trimmed(text).empty()) filterError(tableName, "filter expression is empty");
    if (equals == std::string::npos)
        filterError(tableName, "filter expression must be a boolean expression");
    const std::string name = trimmed(std::string_view(text).substr(0, equals));
    const std::string constant = trimmed(std::string_view(text).substr(equals + 1));
    const ColumnDescriptor* column = nullptr;
    for (const ColumnDescriptor& c : columns)
        if (sameText(c.name, name)) column = &c;
    if (column == nullptr) filterError(tableName, "Field '" + name + "' not found");
    const ColumnDescriptor col = *column;
    if (sameText(constant, "TRUE") || sameText(constant, "FALSE")) {
        const bool wanted = sameText(constant, "TRUE");
        return [col, wanted](const std::uint8_t* image) {
            return hasValue(image, col) && booleanValue(image, col) == wanted;
        };
    }
    if (constant.size() >= 2 && (constant[0] == '\'' || constant[0] == '"') &&
        constant.back() == constant[0]) {
        const std::string wanted = constant.substr(1, constant.size() - 2);
        const bool ignoreCase = options.foCaseInsensitive;
        return [col, wanted, ignoreCase](const std::uint8_t* image) {
            if (!hasValue(image, col)) return false;
            std::string_view value = textValue(image, col);
            return ignoreCase ? sameText(value, wanted) : value == wanted;
        };
    }
    std::int32_t number = 0;
    auto [end, error] = std::from_chars(constant.data(), constant.data() + constant.size(), number);
    if (error != std::errc() || end != constant.data() + constant.size())
        filterError(tableName, "Unknown or unexpected symbol '" + constant + "' in filter expression");
    return [col, number](const std::uint8_t* image) {
        return hasValue(image, col) && int32Value(image, col) == number;
    };
}

}  // namespace wispel
