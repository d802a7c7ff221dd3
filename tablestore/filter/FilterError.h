#pragma once
// The filter compiler reports every fault of a filter text as one message; the caller
// turns it into result 10051 "Filter error for table '%s' - %s". Inside the compiler the
// fault travels as an exception so that the parser's many checks stay one line each; it
// never leaves the filter layer.

#include <string>
#include <string_view>

namespace wispel {

// Where the parser says a fault was found; every message ends with it.
inline constexpr std::string_view kFilterContext = "filter expression";

struct TFilterFault {
    std::string message;
};

// Throws the message `text` + " in filter expression".
[[noreturn]] void failFilter(std::string_view text);
// Throws `before` + "'" + token + "'" + " in filter expression"; a long token is cut, at a
// character boundary, so the message stays small whatever the text.
[[noreturn]] void failFilterAt(std::string_view before, std::string_view token);
// Throws "Type mismatch between '<a>' and '<b>' in filter expression".
[[noreturn]] void failTypeMismatch(std::string_view a, std::string_view b);

}  // namespace wispel
