#include "core/TextTrim.h"

namespace wispel {

namespace {

bool controlOrSpace(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

template <class Char>
bool xmlBlank(Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// `text` without the units at either end for which `strip` holds.
template <class View, class Strip>
View trimWhile(View text, Strip strip) {
    while (!text.empty() && strip(text.front())) text.remove_prefix(1);
    while (!text.empty() && strip(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view trimTextLeft(std::string_view text) {
    while (!text.empty() && controlOrSpace(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view trimTextRight(std::string_view text) {
    while (!text.empty() && controlOrSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view trimText(std::string_view text) {
    return trimWhile(text, controlOrSpace);
}

std::string_view trimSpacesAndTabs(std::string_view text) {
    return trimWhile(text, [](char c) { return c == ' ' || c == '\t'; });
}

std::string_view trimSpaces(std::string_view text) {
    return trimWhile(text, [](char c) { return c == ' '; });
}

std::string_view trimXmlBlanks(std::string_view text) {
    return trimWhile(text, xmlBlank<char>);
}

std::u16string_view trimXmlBlanks(std::u16string_view text) {
    return trimWhile(text, xmlBlank<char16_t>);
}

}  // namespace wispel
