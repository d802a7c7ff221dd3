#pragma once
// A content handler that writes every event it receives as one line of text, and a harness
// that runs the document reader over bytes with it.

#include <functional>
#include <memory>
#include <string>

#include "core/MemoryStream.h"
#include "xml/input/NameValueList.h"
#include "xml/input/XmlInputSource.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/ErrorHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace wispel::testing {

class RecordingHandler : public TdomCustomContentHandler {
public:
    std::string log;
    bool logDocument = false;
    // Called on every pcdata event before it is logged; may raise.
    std::function<void(const DOMString&)> onPCData;

    void cdataSection(TdomCustomParser*, TdomStandardLocator*, const DOMString& text) override {
        add("cdata(" + toUtf8(text) + ")");
    }
    void characterReference(TdomCustomParser*, TdomStandardLocator*,
                            const DOMString& text) override {
        add("cref(" + toUtf8(text) + ")");
    }
    void comment(TdomCustomParser*, TdomStandardLocator*, const DOMString& text) override {
        add("comment(" + toUtf8(text) + ")");
    }
    void doctypeDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString& name,
                            const DOMString& publicId, const DOMString& systemId,
                            const DOMString& subset) override {
        add("doctype(" + toUtf8(name) + "|" + toUtf8(publicId) + "|" + toUtf8(systemId) + "|" +
            toUtf8(subset) + ")");
    }
    void endDocument(TdomCustomParser*) override {
        if (logDocument) add("enddoc");
    }
    void endElement(TdomCustomParser*, TdomStandardLocator*, const DOMString& ns,
                    const DOMString& local, const DOMString& name) override {
        add("end(" + toUtf8(ns) + toUtf8(local) + toUtf8(name) + ")");
    }
    void entityReference(TdomCustomParser*, TdomStandardLocator*, const DOMString& name) override {
        add("eref(" + toUtf8(name) + ")");
    }
    void pcdata(TdomCustomParser*, TdomStandardLocator*, const DOMString& text) override {
        if (onPCData) onPCData(text);
        add("pcdata(" + toUtf8(text) + ")");
    }
    void processingInstruction(TdomCustomParser*, TdomStandardLocator*, const DOMString& target,
                               const DOMString& data) override {
        add("pi(" + toUtf8(target) + "|" + toUtf8(data) + ")");
    }
    void startDocument(TdomCustomParser*, TdomStandardLocator*, const DOMString& root) override {
        if (logDocument) add("startdoc(" + toUtf8(root) + ")");
    }
    void startElement(TdomCustomParser*, TdomStandardLocator*, const DOMString& ns,
                      const DOMString& local, const DOMString& name,
                      TdomNameValueList* attributes) override {
        std::string text = "start(" + toUtf8(ns) + toUtf8(local) + toUtf8(name);
        for (int i = 0; i < attributes->count(); ++i) {
            text += "|" + toUtf8(attributes->names(i)) + "=" + toUtf8(attributes->values(i));
        }
        add(text + ")");
    }
    void xmlDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString& version,
                        const DOMString& encoding, const DOMString& standalone) override {
        add("xmldecl(" + toUtf8(version) + "|" + toUtf8(encoding) + "|" + toUtf8(standalone) + ")");
    }

private:
    void add(const std::string& event) { log += (log.empty() ? "" : " ") + event; }
};

// One parse of `bytes` with a recording content handler and a standard error handler.
struct ReaderRun {
    explicit ReaderRun(const std::string& bytes, bool withContentHandler = true) {
        stream.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        reader.setErrorHandler(&errors);
        if (withContentHandler) reader.setContentHandler(&handler);
    }
    bool parse() {
        TXmlInputSource source(&stream, u"", u"");
        return reader.parse(nullptr, &source);
    }

    TMemoryStream stream;
    RecordingHandler handler;
    TdomStandardErrorHandler errors;
    TdomStandardDocXMLReader reader;
};

}  // namespace wispel::testing
