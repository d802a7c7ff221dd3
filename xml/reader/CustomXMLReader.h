#pragma once
// The base of the document reader and the DTD subset readers: it refers to the handlers
// that receive its events and reports. The handlers are not owned and must outlive every
// parse.

namespace wispel {

class TdomCustomParser;
class TXmlInputSource;
class TdomCustomContentHandler;
class TdomCustomDTDHandler;
class TdomCustomErrorHandler;

class TdomCustomXMLReader {
public:
    TdomCustomXMLReader() = default;
    virtual ~TdomCustomXMLReader() = default;
    TdomCustomXMLReader(const TdomCustomXMLReader&) = delete;
    TdomCustomXMLReader& operator=(const TdomCustomXMLReader&) = delete;

    TdomCustomContentHandler* contentHandler() const noexcept { return contentHandler_; }
    void setContentHandler(TdomCustomContentHandler* handler) noexcept {
        contentHandler_ = handler;
    }
    TdomCustomDTDHandler* dtdHandler() const noexcept { return dtdHandler_; }
    void setDtdHandler(TdomCustomDTDHandler* handler) noexcept { dtdHandler_ = handler; }
    TdomCustomErrorHandler* errorHandler() const noexcept { return errorHandler_; }
    void setErrorHandler(TdomCustomErrorHandler* handler) noexcept { errorHandler_ = handler; }

    // Reads the whole input; false when a well-formedness error was reported. The base
    // class reads nothing.
    virtual bool parse(TdomCustomParser*, TXmlInputSource*) { return true; }

private:
    TdomCustomContentHandler* contentHandler_ = nullptr;  // not owned
    TdomCustomDTDHandler* dtdHandler_ = nullptr;          // not owned
    TdomCustomErrorHandler* errorHandler_ = nullptr;      // not owned
};

}  // namespace wispel
