// The piece operations of the document reader: each takes one piece of the text apart as
// far as the handler needs it and raises the matching event.
#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/NameValueList.h"
#include "xml/input/TagContent.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace wispel {

namespace {

// The value of pseudo-attribute `name`, empty when absent.
DOMString valueOf(const TdomNameValueList& attributes, std::u16string_view name) {
    for (int i = 0; i < attributes.count(); ++i) {
        if (attributes.names(i) == name) return attributes.values(i);
    }
    return {};
}

// version first, then encoding, then standalone; each of the last two may be absent.
bool declarationOrderHolds(const TdomNameValueList& attributes) {
    int count = attributes.count();
    if (count < 1 || count > 3 || attributes.names(0) != u"version") return false;
    if (count == 3) {
        return attributes.names(1) == u"encoding" && attributes.names(2) == u"standalone";
    }
    return count == 1 || attributes.names(1) == u"encoding" || attributes.names(1) == u"standalone";
}

// Comments, processing instructions and tags are not character data, but an unpaired
// surrogate in them is no character either: refused as in text, never stored as "?".
void checkSurrogates(const DOMString& text) {
    if (!surrogatesPaired(text)) throw EParserInvalidCharacter_Err();
}

}  // namespace

void TdomStandardDocXMLReader::readXmlDeclaration(TdomCustomParser* parser,
                                                  TdomStandardLocator* locator,
                                                  const DOMString& text) {
    if (!contentHandler()) return;
    const TBlankSplit split = splitAtBlank(text);
    if (split.head != u"xml") throw EParserInvalidXmlDeclaration_Err();
    TdomNameValueList attributes;
    parseAttributes(split.rest, attributes);
    if (!declarationOrderHolds(attributes)) throw EParserInvalidXmlDeclaration_Err();
    contentHandler()->xmlDeclaration(parser, locator, attributes.values(0),
                                     valueOf(attributes, u"encoding"),
                                     valueOf(attributes, u"standalone"));
}

void TdomStandardDocXMLReader::readProcessingInstruction(TdomCustomParser* parser,
                                                         TdomStandardLocator* locator,
                                                         const DOMString& text) {
    checkSurrogates(text);
    if (!contentHandler()) return;
    const TBlankSplit split = splitAtBlank(text);
    contentHandler()->processingInstruction(parser, locator, DOMString(split.head),
                                            DOMString(split.rest));
}

void TdomStandardDocXMLReader::readComment(TdomCustomParser* parser, TdomStandardLocator* locator,
                                           const DOMString& text) {
    checkSurrogates(text);
    if (contentHandler()) contentHandler()->comment(parser, locator, text);
}

void TdomStandardDocXMLReader::readCDataSection(TdomCustomParser* parser,
                                                TdomStandardLocator* locator,
                                                const DOMString& text) {
    if (contentHandler()) contentHandler()->cdataSection(parser, locator, text);
}

void TdomStandardDocXMLReader::readPCData(TdomCustomParser* parser, TdomStandardLocator* locator,
                                          const DOMString& text) {
    if (contentHandler()) contentHandler()->pcdata(parser, locator, text);
}

void TdomStandardDocXMLReader::readStartTag(TdomCustomParser* parser, TdomStandardLocator* locator,
                                            const DOMString& text) {
    checkSurrogates(text);
    if (!contentHandler()) return;
    StartTag own;
    StartTag& tag = startTagInUse_ ? own : startTag_;
    struct InUse {
        bool& flag;
        bool was;
        ~InUse() { flag = was; }
    } inUse{startTagInUse_, startTagInUse_};
    startTagInUse_ = true;
    tag.attributes.clear();
    parseTagContent(text, tag.name, tag.attributes);
    contentHandler()->startElement(parser, locator, {}, {}, tag.name, &tag.attributes);
}

void TdomStandardDocXMLReader::readEndTag(TdomCustomParser* parser, TdomStandardLocator* locator,
                                          const DOMString& text) {
    if (contentHandler()) contentHandler()->endElement(parser, locator, {}, {}, text);
}

void TdomStandardDocXMLReader::readEmptyElementTag(TdomCustomParser* parser,
                                                   TdomStandardLocator* locator,
                                                   const DOMString& text) {
    // This class's own start-tag step, whatever a subclass makes of readStartTag.
    TdomStandardDocXMLReader::readStartTag(parser, locator, text);
    if (contentHandler()) {
        contentHandler()->endElement(parser, locator, {}, {}, DOMString(splitAtBlank(text).head));
    }
}

void TdomStandardDocXMLReader::readCharacterReference(TdomCustomParser* parser,
                                                      TdomStandardLocator* locator,
                                                      const DOMString& text) {
    if (contentHandler()) contentHandler()->characterReference(parser, locator, text);
}

void TdomStandardDocXMLReader::readEntityReference(TdomCustomParser* parser,
                                                   TdomStandardLocator* locator,
                                                   const DOMString& text) {
    if (contentHandler()) contentHandler()->entityReference(parser, locator, text);
}

}  // namespace wispel
