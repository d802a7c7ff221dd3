#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/reader/DeclarationText.h"
#include "xml/reader/IntSubsetXMLReader.h"
#include "xml/reader/DTDHandler.h"

namespace wispel {

namespace {

// Checks the frame "<!KEYWORD" white space ... ">" and returns the trimmed units between.
template <class Error>
std::u16string_view declarationBody(const DOMString& text, std::u16string_view keyword,
                                    std::size_t minimumSize, const char* message) {
    const std::size_t blankAt = keyword.size();
    if (text.size() < minimumSize || std::u16string_view(text).substr(0, blankAt) != keyword ||
        text.back() != u'>' || !xmlBlank(text[blankAt])) {
        throw Error(message);
    }
    return trimXmlBlanks(std::u16string_view(text).substr(blankAt + 1, text.size() - blankAt - 2));
}

}  // namespace

void TdomStandardIntSubsetXMLReader::readProcessingInstruction(TdomCustomParser* parser,
                                                               TdomStandardLocator* locator,
                                                               const DOMString& text) {
    if (dtdHandler() == nullptr) return;
    const TBlankSplit split = splitAtBlank(text);
    dtdHandler()->processingInstruction(parser, locator, DOMString(split.head),
                                        DOMString(split.rest));
}

void TdomStandardIntSubsetXMLReader::readComment(TdomCustomParser* parser,
                                                 TdomStandardLocator* locator,
                                                 const DOMString& text) {
    if (dtdHandler() != nullptr) dtdHandler()->comment(parser, locator, text);
}

void TdomStandardIntSubsetXMLReader::readParameterEntityReference(TdomCustomParser* parser,
                                                                  TdomStandardLocator* locator,
                                                                  const DOMString& text) {
    if (dtdHandler() != nullptr) dtdHandler()->parameterEntityReference(parser, locator, text);
}

void TdomStandardIntSubsetXMLReader::readEntityDeclaration(TdomCustomParser* parser,
                                                           TdomStandardLocator* locator,
                                                           const DOMString& text) {
    if (dtdHandler() == nullptr) return;
    auto fail = [] {
        throw EParserInvalidEntityDeclaration_Err("Invalid entity declaration error.");
    };
    std::u16string_view body = declarationBody<EParserInvalidEntityDeclaration_Err>(
        text, u"<!ENTITY", 14, "Invalid entity declaration error.");
    bool parameter = false;
    if (body.size() > 1 && body[0] == u'%' && xmlBlank(body[1])) {
        parameter = true;
        body = trimXmlBlanks(body.substr(1));
    }
    const TBlankSplit split = splitAtBlank(body);
    const std::u16string_view definition = split.rest;
    DOMString value;
    TExternalId id;
    DOMString notation;
    std::size_t pos = 0;
    if (!definition.empty() && (definition[0] == u'"' || definition[0] == u'\'')) {
        if (!readLiteral(definition, pos, value)) fail();
    } else {
        if (!readExternalId(definition, pos, id)) fail();
        skipBlank(definition, pos);
        if (pos < definition.size()) {
            const TBlankSplit ndata = splitAtBlank(definition.substr(pos));
            if (parameter || ndata.head != u"NDATA" || !validName(ndata.rest)) fail();
            notation.assign(ndata.rest);
            pos = definition.size();
        }
    }
    skipBlank(definition, pos);
    if (split.head.empty() || pos != definition.size()) fail();
    const DOMString name(split.head);
    if (parameter) {
        dtdHandler()->parameterEntityDeclaration(parser, locator, name, value, id.publicId,
                                                 id.systemId);
    } else {
        dtdHandler()->entityDeclaration(parser, locator, name, value, id.publicId, id.systemId,
                                        notation);
    }
}

void TdomStandardIntSubsetXMLReader::readElementDeclaration(TdomCustomParser* parser,
                                                            TdomStandardLocator* locator,
                                                            const DOMString& text) {
    if (dtdHandler() == nullptr) return;
    const std::u16string_view body = declarationBody<EParserInvalidElementDeclaration_Err>(
        text, u"<!ELEMENT", 16, "Invalid element declaration error.");
    const TBlankSplit split = splitAtBlank(body);
    dtdHandler()->elementDeclaration(parser, locator, DOMString(split.head), DOMString(split.rest));
}

namespace {

bool isAttributeType(std::u16string_view keyword) {
    for (std::u16string_view type :
         {u"CDATA", u"ID", u"IDREF", u"IDREFS", u"ENTITY", u"ENTITIES", u"NMTOKEN", u"NMTOKENS"}) {
        if (keyword == type) return true;
    }
    return false;
}

// One attribute definition read from the front of the definitions of an attribute list.
struct TAttributeDefinitionText {
    DOMString name, type, enumeration, defaultDeclaration, defaultValue;
};

[[noreturn]] void invalidAttributeList() {
    throw EParserInvalidAttributeDeclaration_Err("Invalid attribute declaration error.");
}

std::u16string_view readWord(std::u16string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && !xmlBlank(text[pos]) && text[pos] != u'(') ++pos;
    return text.substr(start, pos - start);
}

void readEnumeration(std::u16string_view text, std::size_t& pos, DOMString& enumeration) {
    if (pos >= text.size() || text[pos] != u'(') invalidAttributeList();
    const std::size_t close = text.find(u')', pos);
    if (close == std::u16string_view::npos) invalidAttributeList();
    enumeration.assign(text.substr(pos, close + 1 - pos));
    pos = close + 1;
}

TAttributeDefinitionText readAttributeDefinition(std::u16string_view text, std::size_t& pos) {
    TAttributeDefinitionText def;
    def.name.assign(readWord(text, pos));
    skipBlank(text, pos);
    if (pos < text.size() && text[pos] == u'(') {
        readEnumeration(text, pos, def.enumeration);
    } else {
        def.type.assign(readWord(text, pos));
        if (def.type == u"NOTATION") {
            if (pos >= text.size() || !xmlBlank(text[pos])) invalidAttributeList();
            skipBlank(text, pos);
            readEnumeration(text, pos, def.enumeration);
        } else if (!isAttributeType(def.type)) {
            invalidAttributeList();
        }
    }
    if (pos >= text.size() || !xmlBlank(text[pos])) invalidAttributeList();
    skipBlank(text, pos);
    if (pos < text.size() && text[pos] == u'#') {
        def.defaultDeclaration.assign(readWord(text, pos));
        if (def.defaultDeclaration == u"#FIXED") {
            skipBlank(text, pos);
            if (!readLiteral(text, pos, def.defaultValue)) invalidAttributeList();
        } else if (def.defaultDeclaration != u"#REQUIRED" &&
                   def.defaultDeclaration != u"#IMPLIED") {
            invalidAttributeList();
        }
    } else if (!readLiteral(text, pos, def.defaultValue)) {
        invalidAttributeList();
    }
    if (pos < text.size() && !xmlBlank(text[pos])) invalidAttributeList();
    skipBlank(text, pos);
    return def;
}

}  // namespace

void TdomStandardIntSubsetXMLReader::readAttributeListDeclaration(TdomCustomParser* parser,
                                                                  TdomStandardLocator* locator,
                                                                  const DOMString& text) {
    if (dtdHandler() == nullptr) return;
    const std::u16string_view body = declarationBody<EParserInvalidAttributeDeclaration_Err>(
        text, u"<!ATTLIST", 12, "Invalid attribute declaration error.");
    const TBlankSplit split = splitAtBlank(body);
    dtdHandler()->startAttributeList(parser, locator, DOMString(split.head));
    const std::u16string_view definitions = split.rest;
    std::size_t pos = 0;
    while (pos < definitions.size()) {
        const TAttributeDefinitionText def = readAttributeDefinition(definitions, pos);
        dtdHandler()->attributeDefinition(parser, locator, def.name, def.type, def.enumeration,
                                          def.defaultDeclaration, def.defaultValue);
    }
    dtdHandler()->endAttributeList(parser, locator);
}

void TdomStandardIntSubsetXMLReader::readNotationDeclaration(TdomCustomParser* parser,
                                                             TdomStandardLocator* locator,
                                                             const DOMString& text) {
    if (dtdHandler() == nullptr) return;
    const std::u16string_view body = declarationBody<EParserInvalidNotationDeclaration_Err>(
        text, u"<!NOTATION", 22, "Invalid notation declaration error.");
    const TBlankSplit split = splitAtBlank(body);
    TExternalId id;
    std::size_t pos = 0;
    if (!readExternalId(split.rest, pos, id, true) || pos != split.rest.size()) {
        throw EParserInvalidNotationDeclaration_Err("Invalid notation declaration error.");
    }
    dtdHandler()->notationDeclaration(parser, locator, DOMString(split.head), id.publicId,
                                      id.systemId);
}

}  // namespace wispel
