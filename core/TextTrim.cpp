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

}  // namespace wispel
