#include "xml/reader/ErrorHandler.h"

#include "core/Collection.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/StandardLocator.h"

namespace wispel {

void TdomCustomErrorHandler::error(const void*, TdomStandardLocator*, const std::exception&,
                                   const DOMString&) {}

void TdomCustomErrorHandler::fatalError(const void*, TdomStandardLocator*, const std::exception&,
                                        const DOMString&) {
    throw EParserFatalError("EParserFatalError: Fatal Error.");
}

void TdomCustomErrorHandler::warning(const void*, TdomStandardLocator*, const std::exception&,
                                     const DOMString&) {}

void TdomStandardErrorHandler::error(const void*, TdomStandardLocator* locator,
                                     const std::exception& error, const DOMString& code) {
    record(locator, error, code);
}

void TdomStandardErrorHandler::fatalError(const void* sender, TdomStandardLocator* locator,
                                          const std::exception& error, const DOMString& code) {
    record(locator, error, code);
    TdomCustomErrorHandler::fatalError(sender, locator, error, code);
}

void TdomStandardErrorHandler::warning(const void*, TdomStandardLocator* locator,
                                       const std::exception& error, const DOMString& code) {
    record(locator, error, code);
}

const TXmlParserError& TdomStandardErrorHandler::errors(int index) const {
    checkListIndex(index, errorCount());
    return *errors_[static_cast<size_t>(index)];
}

void TdomStandardErrorHandler::record(TdomStandardLocator* locator, const std::exception& error,
                                      const DOMString& code) {
    if (!locator) {
        errors_.push_back(
            std::make_unique<TXmlParserError>(error, 0, 0, 0, 0, DOMString(), DOMString(), code));
        return;
    }
    errors_.push_back(std::make_unique<TXmlParserError>(
        error, locator->startLine(), locator->startColumn(), locator->line(), locator->column(),
        locator->publicId(), locator->systemId(), code));
}

}  // namespace wispel
