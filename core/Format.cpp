#include "core/Format.h"

#include <cstdio>

#include "core/TextConvert.h"

namespace wispel {

FormatArg::FormatArg(std::u16string_view text) : value_(toUtf8(text)) {}

std::string FormatArg::text() const {
    if (isNumber()) return std::to_string(number());
    return std::get<std::string>(value_);
}

namespace {

std::string hexText(const FormatArg& arg) {
    if (!arg.isNumber()) return arg.text();
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llX",
                  static_cast<unsigned long long>(arg.number()));
    return buffer;
}

}  // namespace

std::string formatMessage(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        char spec = pattern[i + 1];
        if (spec == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool known = spec == 's' || spec == 'S' || spec == 'd' || spec == 'x' || spec == 'X';
        if (!known || next == args.end()) {
            out += c;
            continue;
        }
        out += (spec == 'x' || spec == 'X') ? hexText(*next) : next->text();
        ++next;
        ++i;
    }
    return out;
}

}  // namespace wispel
