#pragma once
// Text operations of the filter on UTF-8 text, counted in characters (code points): the
// comparison of the filter's text operators, LIKE, and the pieces the text functions need.
// Letter case goes through the system's one case helper (core/TextCase.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wispel {

// Computed texts (concatenation, REPLACE) longer than this have no value, so a short
// filter cannot make a record's evaluation build texts of unbounded size.
inline constexpr std::size_t kMaxComputedText = 65536;

std::size_t codePointCount(std::string_view text);
// The first `count` characters of `text` (all of it when shorter).
std::string_view firstCodePoints(std::string_view text, std::size_t count);
// Byte length of the character starting at text[at] (1 for a stray byte).
std::size_t codePointLength(std::string_view text, std::size_t at);

// How the text of one comparison is compared.
struct TTextCompareMode {
    bool caseInsensitive = false;
    bool partial = false;        // compare only the first `partialLength` characters
    std::uint32_t partialLength = 0;
    bool rightUpper = false;     // the right text is already in upper case
};

// <0, 0, >0. Byte order of unsigned bytes, after mapping both to upper case when the mode
// ignores case (US English: the table's language ID is 0).
int compareFilterText(std::string_view left, std::string_view right, const TTextCompareMode& mode);

// LIKE: "%" matches any run of characters, "_" exactly one, anything else itself. Runs
// in time proportional to value times pattern at worst, with no recursion.
bool matchesLike(std::string_view value, std::string_view pattern, bool caseInsensitive);

}  // namespace wispel
