#include "tablestore/filter/FilterError.h"

#include "core/TextConvert.h"

namespace wispel {

namespace {

// Enough for any message the component layer shows (it cuts at 254 bytes).
constexpr std::size_t kTokenShown = 255;

std::string quoted(std::string_view token) {
    std::string out = "'";
    out += truncateUtf8(token, kTokenShown);
    out += '\'';
    return out;
}

}  // namespace

void failFilter(std::string_view text) {
    std::string message(text);
    message += " in ";
    message += kFilterContext;
    throw TFilterFault{std::move(message)};
}

void failFilterAt(std::string_view before, std::string_view token) {
    failFilter(std::string(before) + quoted(token));
}

void failTypeMismatch(std::string_view a, std::string_view b) {
    failFilter("Type mismatch between " + quoted(a) + " and " + quoted(b));
}

}  // namespace wispel
