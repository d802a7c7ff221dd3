#pragma once
// Cuts the text of a DTD subset into declarations and hands each to the DTD handler:
// processing instructions, comments, parameter-entity references, and entity, element,
// attribute-list and notation declarations. The external-subset reader adds a leading text
// declaration and conditional sections.
//
// The reader refers to its handlers (set by the parser front end) and owns nothing.

#include "core/TextConvert.h"
#include "xml/reader/CustomXMLReader.h"

namespace wispel {

class TXmlInputSource;
class TdomCustomParser;
class TdomStandardLocator;

class TdomStandardIntSubsetXMLReader : public TdomCustomXMLReader {
public:
    // False when a syntax error was reported to the error handler.
    bool parse(TdomCustomParser* parser, TXmlInputSource* inputSource) override;

    virtual void readProcessingInstruction(TdomCustomParser* parser, TdomStandardLocator* locator,
                                           const DOMString& text);
    virtual void readComment(TdomCustomParser* parser, TdomStandardLocator* locator,
                             const DOMString& text);
    virtual void readParameterEntityReference(TdomCustomParser* parser,
                                              TdomStandardLocator* locator, const DOMString& text);
    virtual void readEntityDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                       const DOMString& text);
    virtual void readElementDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                        const DOMString& text);
    virtual void readAttributeListDeclaration(TdomCustomParser* parser,
                                              TdomStandardLocator* locator, const DOMString& text);
    virtual void readNotationDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                         const DOMString& text);

    // True for the external-subset reader, which also reads a leading text declaration
    // and conditional sections.
    virtual bool isExternalSubset() const { return false; }
};

// Reads an external subset: an optional text declaration first, then the declarations of
// an internal subset, conditional sections included.
class TdomStandardExtSubsetXMLReader : public TdomStandardIntSubsetXMLReader {
public:
    bool isExternalSubset() const override { return true; }
};

}  // namespace wispel
