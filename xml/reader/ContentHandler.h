#pragma once
// The events the document reader produces, one per piece of the text. Every operation does
// nothing here; the DOM builder overrides them. Each receives the parser that drives the
// parse and (except endDocument) the input source's locator, which lives as long as the
// parse. All strings are UTF-16.

#include "core/TextConvert.h"

namespace wispel {

class TdomCustomParser;
class TdomStandardLocator;
class TdomNameValueList;

class TdomCustomContentHandler {
public:
    TdomCustomContentHandler() = default;
    virtual ~TdomCustomContentHandler() = default;
    TdomCustomContentHandler(const TdomCustomContentHandler&) = delete;
    TdomCustomContentHandler& operator=(const TdomCustomContentHandler&) = delete;

    virtual void cdataSection(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // The whole reference text, from "&#" to ";".
    virtual void characterReference(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    virtual void comment(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // Name, public id, system id, internal subset.
    virtual void doctypeDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                    const DOMString&, const DOMString&, const DOMString&) {}
    virtual void endDocument(TdomCustomParser*) {}
    // The reader passes the first two strings empty; the third is the tag name.
    virtual void endElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                            const DOMString&, const DOMString&) {}
    virtual void entityReference(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    virtual void pcdata(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // Target, data.
    virtual void processingInstruction(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                       const DOMString&) {}
    // The input source's pre-scanned root name.
    virtual void startDocument(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // The reader passes the first two strings empty, then the tag name and the attributes
    // in document order; the list belongs to the reader and lives for this call only.
    virtual void startElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                              const DOMString&, const DOMString&, TdomNameValueList*) {}
    // Version, encoding, standalone; empty for an absent pseudo-attribute.
    virtual void xmlDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                const DOMString&, const DOMString&) {}
};

}  // namespace wispel
