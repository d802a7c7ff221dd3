#include "xml/errors/Severity.h"

#include "xml/errors/ParserErrors.h"

namespace wispel {

TdomSeverity severityOf(const std::exception& error) noexcept {
    if (dynamic_cast<const EParserError*>(&error)) return TdomSeverity::svError;
    if (dynamic_cast<const EParserWarning*>(&error)) return TdomSeverity::svWarning;
    return TdomSeverity::svFatalError;
}

}  // namespace wispel
