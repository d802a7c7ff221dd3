#include "tablestore/errors/StoreErrorTexts.h"

#include <algorithm>

#include "core/Format.h"

namespace wispel {

namespace {

// `fill` lists what each "%s" takes, in order: t table (or file path), o object (field or
// index), i index of a key column, d detail message.
struct ErrorText {
    StoreResult code;
    const char* text;
    const char* fill;
};

// Sorted by code, so a lookup is a binary search.
constexpr ErrorText kTexts[] = {
    {8705, "Beginning of file encountered in table '%s'", "t"},
    {8706, "End of file encountered in table '%s'", "t"},
    {8708, "Record has been changed or deleted by another user, session, or table cursor in "
           "table '%s'", "t"},
    {8709, "No current record in table '%s'", "t"},
    {8710, "Record not found in table '%s'", "t"},
    {8711, "End of blob data in table '%s' reached prematurely", "t"},
    {8961, "Header information corrupt in table '%s'", "t"},
    {8962, "Data record buffers corrupt in table '%s'", "t"},
    {8963, "BLOB block buffers corrupt in table '%s'", "t"},
    {8965, "Index page buffers corrupt in table '%s'", "t"},
    {9217, "Error reading from table '%s'", "t"},
    {9218, "Error writing to table '%s'", "t"},
    {9220, "Cannot delete table '%s'", "t"},
    {9221, "Error accessing header information for table '%s'", "t"},
    {9477, "Maximum record size exceeded in table '%s'", "t"},
    {9479, "The table '%s' is full and cannot contain any more data", "t"},
    {9482, "Too many filters defined for table '%s'", "t"},
    {9487, "Maximum or minimum limits on number of indexes or fields in an index exceeded in "
           "table '%s'", "t"},
    {9492, "Maximum or minimum limits on number of fields, auto-increment field value, or "
           "field size exceeded in table '%s'", "t"},
    {9494, "Too many blobs opened in table '%s'", "t"},
    {9498, "Too many blob fields or invalid blob block size specified for table '%s'", "t"},
    {9729, "Duplicate key found in index '%s' of table '%s'", "ot"},
    {9730, "The value for the field '%s' in table '%s' is below the minimum allowable value",
     "ot"},
    {9731, "The value for the field '%s' in table '%s' is above the maximum allowable value",
     "ot"},
    {9732, "A value must be provided for the field '%s' in table '%s'", "ot"},
    {9985, "Invalid field number or name '%s' specified for table '%s'", "ot"},
    {9993, "A primary index is already defined for table '%s' and cannot be added again", "t"},
    {9998, "Invalid blob offset into table '%s' specified", "t"},
    {10000, "Invalid field definition specified for the field '%s' in table '%s'", "ot"},
    {10006, "Invalid default, min or max validity check, or expression specified for '%s' in "
            "table '%s'", "ot"},
    {10010, "The secondary index name is missing or not specified for table '%s'", "t"},
    {10015, "Password provided for table '%s' is invalid", "t"},
    {10022, "Invalid secondary index name '%s' specified for table '%s'", "ot"},
    {10023, "Invalid field number '%s' specified in index '%s' for table '%s'", "oit"},
    {10026, "Invalid key size specified in index '%s' for table '%s'", "ot"},
    {10027, "The secondary index '%s' already exists for table '%s'", "ot"},
    {10029, "Invalid blob length in table '%s'", "t"},
    {10030, "Invalid blob handle for table '%s' specified", "t"},
    {10031, "table '%s' is already in use", "t"},
    {10038, "Invalid or duplicate field name '%s' specified for table '%s'", "ot"},
    {10050, "Invalid filter handle specified for table '%s'", "t"},
    {10051, "Filter error for table '%s' - %s", "td"},
    {10055, "The primary index cannot be removed from table '%s'", "t"},
    {10241, "The table '%s' is already locked by another user", "t"},
    {10242, "Cannot unlock table or record in table '%s'", "t"},
    {10249, "General lock failure with table '%s'", "t"},
    {10253, "table '%s' must be opened exclusively", "t"},
    {10258, "Record in table '%s' is in use by another user", "t"},
    {10498, "Insufficient rights to table '%s', a password is required", "t"},
    {10753, "Invalid blob field '%s' specified for table '%s'", "ot"},
    {10758, "Engine not initialized", ""},
    {11010, "Invalid path or file name for table '%s'", "t"},
    {11012, "Too many files open while attempting to open table '%s'", "t"},
    {11013, "Access denied to table '%s'", "t"},
    {11014, "Invalid file handle for table '%s'", "t"},
    {11016, "There is insufficient operating system memory available for the current "
            "operation", ""},
    {11017, "Invalid length for in-memory table '%s'", "t"},
    {11023, "Access denied to logical operating system device for table '%s'", "t"},
    {11025, "table '%s' has been moved", "t"},
    {11047, "An unknown operating system error occurred with table '%s'", "t"},
    {11949, "SQL error - %s", "d"},
    {12035, "table '%s' is not the correct version", "t"},
    {12292, "Invalid field type specified for index '%s' in table '%s'", "ot"},
    {13060, "The table '%s' already exists", "t"},
    {15878, "The language driver for table '%s' is not available or installed", "t"},
};

constexpr bool sortedByCode() {
    for (std::size_t i = 1; i < std::size(kTexts); ++i) {
        if (kTexts[i - 1].code >= kTexts[i].code) return false;
    }
    return true;
}
static_assert(sortedByCode(), "error texts must stay sorted by code");

const ErrorText* findText(StoreResult code) {
    auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                               [](const ErrorText& e, StoreResult c) { return e.code < c; });
    return it != std::end(kTexts) && it->code == code ? it : nullptr;
}

const std::string& nameFor(char role, const StoreErrorNames& names) {
    switch (role) {
        case 'o':
            return names.object;
        case 'i':
            return names.index;
        case 'd':
            return names.detail;
        default:
            return names.table;
    }
}

}  // namespace

std::string storeErrorText(StoreResult code, const StoreErrorNames& names) {
    const ErrorText* entry = findText(code);
    if (!entry) return formatMessage("Unknown error occurred with table '%S'", {names.table});
    std::string_view fill = entry->fill;
    // formatMessage takes its arguments as a fixed list; no text has more than three.
    const std::string& a = fill.size() > 0 ? nameFor(fill[0], names) : names.table;
    const std::string& b = fill.size() > 1 ? nameFor(fill[1], names) : names.table;
    const std::string& c = fill.size() > 2 ? nameFor(fill[2], names) : names.table;
    return formatMessage(entry->text, {a, b, c});
}

std::string storeErrorText(StoreResult code, std::string_view table) {
    return storeErrorText(code, StoreErrorNames{std::string(table), {}, {}, {}});
}

bool isKnownStoreError(StoreResult code) { return findText(code) != nullptr; }

}  // namespace wispel
