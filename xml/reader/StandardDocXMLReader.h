#pragma once
// Cuts the code units of an input source into pieces (tags, text, references, comments,
// CDATA sections, processing instructions, the XML and doctype declarations) and hands
// each to the content handler. It checks only what it needs to cut the text and to take
// tags and declarations apart; the tree rules are the handler's.
//
// Every error of the EParserFatalError family, whether raised here or by the handler, is
// reported to the error handler and makes parse return false; decoding errors count as
// "Invalid character error.". Other exceptions pass through.

#include "core/TextConvert.h"
#include "xml/input/NameValueList.h"
#include "xml/reader/CustomXMLReader.h"

namespace wispel {

class TdomStandardLocator;

class TdomStandardDocXMLReader : public TdomCustomXMLReader {
public:
    bool parse(TdomCustomParser* parser, TXmlInputSource* inputSource) override;

    // One operation per kind of piece; each does nothing without a content handler.
    virtual void readXmlDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                    const DOMString& text);
    virtual void readProcessingInstruction(TdomCustomParser* parser, TdomStandardLocator* locator,
                                           const DOMString& text);
    virtual void readComment(TdomCustomParser* parser, TdomStandardLocator* locator,
                             const DOMString& text);
    virtual void readCDataSection(TdomCustomParser* parser, TdomStandardLocator* locator,
                                  const DOMString& text);
    virtual void readPCData(TdomCustomParser* parser, TdomStandardLocator* locator,
                            const DOMString& text);
    virtual void readStartTag(TdomCustomParser* parser, TdomStandardLocator* locator,
                              const DOMString& text);
    virtual void readEndTag(TdomCustomParser* parser, TdomStandardLocator* locator,
                            const DOMString& text);
    virtual void readEmptyElementTag(TdomCustomParser* parser, TdomStandardLocator* locator,
                                     const DOMString& text);
    virtual void readCharacterReference(TdomCustomParser* parser, TdomStandardLocator* locator,
                                        const DOMString& text);
    virtual void readEntityReference(TdomCustomParser* parser, TdomStandardLocator* locator,
                                     const DOMString& text);
    virtual void readDoctypeDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                        const DOMString& text);

private:
    // The name and attributes of a start tag, kept from tag to tag for the room they hold.
    // A parse that a handler starts with this reader from within startElement takes its own.
    struct StartTag {
        DOMString name;
        TdomNameValueList attributes;
    };
    StartTag startTag_;
    bool startTagInUse_ = false;
};

}  // namespace wispel
