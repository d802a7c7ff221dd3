#include "tablestore/errors/StoreErrorTexts.h"

#include <algorithm>

#include "core/Format.h"

namespace wispel {

namespace {

// `fill` lists what each "%s" takes, in order (see StoreResults.def).
struct ErrorText {
    StoreResult code;
    const char* text;
    const char* fill;
};

constexpr ErrorText kTexts[] = {
#define WISPEL_STORE_RESULT(name, code, fill, text) {code, text, fill},
#include "tablestore/errors/StoreResults.def"
};

constexpr bool sortedByCode() {
    for (std::size_t i = 1; i < std::size(kTexts); ++i) {
        if (kTexts[i - 1].code >= kTexts[i].code) return false;
    }
    return true;
}
static_assert(sortedByCode(), "error texts must stay sorted by code");

// A text with more "%s" than names would show a placeholder to the user; one with fewer
// would drop a name.
constexpr bool placeholdersMatchFills() {
    for (const ErrorText& e : kTexts) {
        std::size_t holes = 0;
        for (std::string_view text = e.text; text.size() >= 2; text.remove_prefix(1)) {
            if (text.starts_with("%s")) ++holes;
        }
        if (holes != std::string_view(e.fill).size()) return false;
    }
    return true;
}
static_assert(placeholdersMatchFills(), "each \"%s\" of a text needs one fill letter");

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
    if (!entry) return formatMessage("Unknown error occurred with table '%s'", {names.table});
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
