#pragma once
// The text of every engine result code. "%s" in a text is filled, in order, with the names
// the failing operation gave: for file errors the full path of the file, otherwise the table
// name; for field and index errors first the field or index name, then the table name; the
// filter and SQL errors add their own message. A code without a text of its own gets
// "Unknown error occurred with table '<table>'".

#include <string>
#include <string_view>

#include "tablestore/errors/StoreResult.h"

namespace wispel {

// What fills a code's placeholders. Unused names are ignored.
struct StoreErrorNames {
    std::string table;   // the table's name; for file errors the file's full path
    std::string object;  // the field or index the error is about (a field number as text)
    std::string index;   // the index of a key column (10023 names field, index and table)
    std::string detail;  // the filter's or statement's own message (10051, 11949)
};

// The filled text of `code`.
std::string storeErrorText(StoreResult code, const StoreErrorNames& names);
// Shorthand for the codes that name only the table (or the file).
std::string storeErrorText(StoreResult code, std::string_view table);

// True when `code` has a text of its own.
bool isKnownStoreError(StoreResult code);

}  // namespace wispel
