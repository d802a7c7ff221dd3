#pragma once
// The record of one reported parser error: the class and severity of the exception, the
// positions and ids of the locator, and extra text. errorMessage renders it in one of seven
// languages.

#include <cstdint>
#include <exception>
#include <string>

#include "core/TextConvert.h"
#include "xml/errors/Severity.h"

namespace wispel {

enum class TdomLanguage : std::uint8_t {
    langGerman = 0,
    langEnglish = 1,
    langSpanish = 2,
    langFrench = 3,
    langItalian = 4,
    langDutch = 5,
    langPolish = 6,
};

class TXmlParserError {
public:
    TXmlParserError(const std::exception& error, std::int32_t startLine, std::int32_t startColumn,
                    std::int32_t endLine, std::int32_t endColumn, DOMString publicId,
                    DOMString systemId, DOMString code);

    const DOMString& code() const noexcept { return code_; }
    std::int32_t endColumn() const noexcept { return endColumn_; }
    std::int32_t endLine() const noexcept { return endLine_; }
    const std::string& errorClass() const noexcept { return errorClass_; }
    TdomSeverity severity() const noexcept { return severity_; }
    const DOMString& publicId() const noexcept { return publicId_; }
    std::int32_t startColumn() const noexcept { return startColumn_; }
    std::int32_t startLine() const noexcept { return startLine_; }
    const DOMString& systemId() const noexcept { return systemId_; }

    // A language outside the seven renders in English.
    DOMString errorMessage(TdomLanguage language) const;

private:
    DOMString code_;  // extra text of the report (an entity name, a half-read declaration)
    std::int32_t endColumn_;
    std::int32_t endLine_;
    std::string errorClass_;  // class name of the reported exception
    TdomSeverity severity_;
    DOMString publicId_;
    std::int32_t startColumn_;
    std::int32_t startLine_;
    DOMString systemId_;
};

}  // namespace wispel
