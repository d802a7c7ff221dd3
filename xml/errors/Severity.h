#pragma once
// How serious a reported parser error is, decided by the family of its class.

#include <cstdint>
#include <exception>

namespace wispel {

enum class TdomSeverity : std::uint8_t {
    svFatalError = 0,  // EParserFatalError family, and any class outside the three families
    svError = 1,       // EParserError family
    svWarning = 2,     // EParserWarning family
};

TdomSeverity severityOf(const std::exception& error) noexcept;

}  // namespace wispel
