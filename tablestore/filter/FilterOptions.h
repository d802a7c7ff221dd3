#pragma once
// How a filter compares text: the dataset's `FilterOptions` and the table's locale.

#include <cstdint>

namespace wispel {

struct TFilterOptions {
    // "=" and "<>" against a text constant, and LIKE, ignore letter case.
    bool foCaseInsensitive = false;
    // A text constant ending in "*" is compared whole, the "*" included, instead of
    // matching every text that starts with what precedes the "*".
    bool foNoPartialCompare = false;
    friend bool operator==(const TFilterOptions&, const TFilterOptions&) = default;
};

// The table's locale from its data header. Language ID 0 (every table made here) compares
// text byte by byte and maps case as US English does.
struct TFilterLocale {
    std::uint16_t languageId = 0;
    std::uint16_t sortId = 0;
};

}  // namespace wispel
