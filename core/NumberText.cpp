#include "core/NumberText.h"

#include <charconv>
#include <cmath>

namespace wispel {

bool parseNumber(std::string_view text, double& value) {
    // from_chars takes a minus sign only; a leading plus is what people type, but not
    // before a minus.
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return false;
    }
    double number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return false;
    value = number;
    return true;
}

std::string numberText(double value) {
    // 15 digits, a sign, a point and a four-character exponent fit with room to spare.
    char buffer[32];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace wispel
