#pragma once
// Fills the system's message texts. Placeholders: "%s" and "%S" take a text (an 8-bit
// string, or a DOMString that is converted to UTF-8), "%d" a whole number, "%x" a whole
// number in hexadecimal, "%%" a percent sign. An argument of the wrong kind is written as
// its plain form; a missing argument leaves the placeholder as written.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace wispel {

class FormatArg {
public:
    FormatArg(std::string_view text) : value_(std::string(text)) {}
    FormatArg(const std::string& text) : value_(text) {}
    FormatArg(const char* text) : value_(std::string(text ? text : "")) {}
    FormatArg(std::u16string_view text);
    FormatArg(const std::u16string& text) : FormatArg(std::u16string_view(text)) {}
    template <class Int, class = std::enable_if_t<std::is_integral_v<Int>>>
    FormatArg(Int number) : value_(static_cast<std::int64_t>(number)) {}

    std::string text() const;
    bool isNumber() const noexcept { return std::holds_alternative<std::int64_t>(value_); }
    std::int64_t number() const { return std::get<std::int64_t>(value_); }

private:
    std::variant<std::string, std::int64_t> value_;
};

std::string formatMessage(std::string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace wispel
