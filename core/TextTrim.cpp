#include "core/TextTrim.h"

namespace wispel {

namespace {

bool trimmable(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string_view trimTextLeft(std::string_view text) {
    while (!text.empty() && trimmable(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view trimTextRight(std::string_view text) {
    while (!text.empty() && trimmable(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view trimText(std::string_view text) {
    return trimTextRight(trimTextLeft(text));
}

std::string_view trimSpacesAndTabs(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace wispel
