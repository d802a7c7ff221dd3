#pragma once
// Where the readers, the DTD steps and the DOM's checks report errors. The base class
// ignores errors and warnings and raises on fatal errors; the standard handler keeps a
// record of every report.

#include <memory>
#include <vector>

#include "core/Exception.h"
#include "core/TextConvert.h"
#include "xml/reader/XmlParserError.h"

namespace wispel {

class TdomStandardLocator;

class TdomCustomErrorHandler {
public:
    TdomCustomErrorHandler() = default;
    virtual ~TdomCustomErrorHandler() = default;
    TdomCustomErrorHandler(const TdomCustomErrorHandler&) = delete;
    TdomCustomErrorHandler& operator=(const TdomCustomErrorHandler&) = delete;

    // `sender` is the reporting object (a parser, a node); `locator` may be null; `code` is
    // extra text for the record.
    virtual void error(const void* sender, TdomStandardLocator* locator,
                       const std::exception& error, const DOMString& code);
    // Raises EParserFatalError "EParserFatalError: Fatal Error.".
    virtual void fatalError(const void* sender, TdomStandardLocator* locator,
                            const std::exception& error, const DOMString& code);
    virtual void warning(const void* sender, TdomStandardLocator* locator,
                         const std::exception& error, const DOMString& code);
};

class TdomStandardErrorHandler : public TdomCustomErrorHandler {
public:
    TdomStandardErrorHandler() = default;

    void error(const void* sender, TdomStandardLocator* locator, const std::exception& error,
               const DOMString& code) override;
    // Records the report, then raises as the base class does.
    void fatalError(const void* sender, TdomStandardLocator* locator, const std::exception& error,
                    const DOMString& code) override;
    void warning(const void* sender, TdomStandardLocator* locator, const std::exception& error,
                 const DOMString& code) override;

    void clearErrors() noexcept { errors_.clear(); }
    int errorCount() const noexcept { return static_cast<int>(errors_.size()); }
    // EListError outside 0 to errorCount - 1. Valid until clearErrors.
    const TXmlParserError& errors(int index) const;

private:
    void record(TdomStandardLocator* locator, const std::exception& error, const DOMString& code);

    std::vector<std::unique_ptr<TXmlParserError>> errors_;  // owned
};

}  // namespace wispel
