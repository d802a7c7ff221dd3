#pragma once
// Cuts a filter text into tokens, left to right, in one pass. Characters with codes up to
// 32 separate tokens and "/*" ... "*/" is a comment. Every token keeps the byte range of
// its source, so messages quote the text as written and an expression node can name the
// span it was parsed from.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wispel {

enum class TFilterTokenKind : std::uint8_t {
    end,            // after the last token; its source is empty
    name,           // letter or "_", then letters, digits and "_"
    bracketedName,  // "[" ... "]": `value` is the name without brackets
    string,         // '...' or "...": `value` has doubled quotes undone
    character,      // "#" digits: `value` is that one character in UTF-8
    integer,        // digits: `integer` holds the value
    numeric,        // digits with a decimal point and/or exponent: `number` holds it
    symbol,         // any other single character (a whole UTF-8 sequence above ASCII)
};

struct TFilterToken {
    TFilterTokenKind kind = TFilterTokenKind::end;
    std::uint32_t start = 0;  // byte range [start, end) of the source text
    std::uint32_t end = 0;
    std::string value;
    std::string folded;  // names: `value` in upper case, for keyword and column look-ups
    std::int64_t integer = 0;
    double number = 0;
};

// Longer filter texts are refused: the tree of a text takes memory in proportion to it, and
// no sensible filter comes near this.
inline constexpr std::size_t kMaxFilterText = 1 << 20;

// The tokens of `text`, ending with one `end` token. A comment, string or bracketed name
// left open raises the filter fault of its kind (FilterError.h), a text longer than
// kMaxFilterText "Filter text too long in filter expression".
std::vector<TFilterToken> tokenizeFilter(std::string_view text);

}  // namespace wispel
