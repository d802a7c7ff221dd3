#pragma once
// Turns the events of the document reader into DOM calls: elements, attributes (with their
// values taken apart at references), merged character data, CDATA sections, comments,
// processing instructions, entity references (never expanded), the XML declaration and the
// document type declaration, which it hands to the parser's DTD processing. A reader that
// only wants the text may have references to the five predefined entities taken as the
// character they stand for, merged with the text around them like a character reference.
//
// The builder owns nothing. The documents it makes belong to the parser's DOM
// implementation; `builtDocument` only refers to the last one.

#include <cstddef>

#include "xml/input/DocumentBounds.h"
#include "xml/reader/ContentHandler.h"

namespace wispel {

class TdomNode;
class TdomDocument;
class TdomElement;
class TdomNameValueList;

class TdomStandardDocBuilder : public TdomCustomContentHandler {
public:
    TdomStandardDocBuilder() = default;

    TdomNode* targetNode() const noexcept { return targetNode_; }
    void setTargetNode(TdomNode* node) noexcept { targetNode_ = node; }
    TdomDocument* builtDocument() const noexcept { return builtDocument_; }
    // The front end frees a failed document and clears the reference with this.
    TdomDocument*& builtDocumentRef() noexcept { return builtDocument_; }
    // The most nodes, attributes included, that one parse may make; past them the parse
    // raises EParserDocumentTooLarge.
    std::size_t maxNodes() const noexcept { return maxNodes_; }
    void setMaxNodes(std::size_t count) noexcept { maxNodes_ = count; }
    // False (the default): every entity reference in content is a node of its own.
    bool predefinedEntitiesAsText() const noexcept { return predefinedEntitiesAsText_; }
    void setPredefinedEntitiesAsText(bool on) noexcept { predefinedEntitiesAsText_ = on; }

    void cdataSection(TdomCustomParser* sender, TdomStandardLocator* locator,
                      const DOMString& content) override;
    void characterReference(TdomCustomParser* sender, TdomStandardLocator* locator,
                            const DOMString& reference) override;
    void comment(TdomCustomParser* sender, TdomStandardLocator* locator,
                 const DOMString& data) override;
    void doctypeDeclaration(TdomCustomParser* sender, TdomStandardLocator* locator,
                            const DOMString& name, const DOMString& publicId,
                            const DOMString& systemId, const DOMString& internalSubset) override;
    void endDocument(TdomCustomParser* sender) override;
    void endElement(TdomCustomParser* sender, TdomStandardLocator* locator,
                    const DOMString& namespaceURI, const DOMString& localName,
                    const DOMString& tagName) override;
    void entityReference(TdomCustomParser* sender, TdomStandardLocator* locator,
                         const DOMString& name) override;
    void pcdata(TdomCustomParser* sender, TdomStandardLocator* locator,
                const DOMString& text) override;
    void processingInstruction(TdomCustomParser* sender, TdomStandardLocator* locator,
                               const DOMString& target, const DOMString& data) override;
    void startDocument(TdomCustomParser* sender, TdomStandardLocator* locator,
                       const DOMString& rootName) override;
    void startElement(TdomCustomParser* sender, TdomStandardLocator* locator,
                      const DOMString& namespaceURI, const DOMString& localName,
                      const DOMString& tagName, TdomNameValueList* attributes) override;
    void xmlDeclaration(TdomCustomParser* sender, TdomStandardLocator* locator,
                        const DOMString& version, const DOMString& encoding,
                        const DOMString& standalone) override;

private:
    // Appends `node` to the open node; on failure the node goes back to its document and
    // `Error` is raised with `message`.
    template <class Error>
    void appendOrDiscard(TdomNode* node, const char* message);
    void mergeText(const DOMString& text);
    void addAttributes(TdomElement* element, TdomNameValueList* attributes);
    TdomDocument* openDocument() const;
    // Counts `count` more nodes of the document being built against maxNodes_.
    void countNodes(std::size_t count);

    TdomNode* targetNode_ = nullptr;         // where the current parse attaches
    TdomNode* openNode_ = nullptr;           // receives new children; null: events are ignored
    TdomDocument* builtDocument_ = nullptr;  // made by the current document parse
    bool declarationAllowed_ = false;        // an XML declaration may still be taken
    std::size_t nodeCount_ = 0;              // nodes made by the current parse
    std::size_t maxNodes_ = kMaxDocumentNodes;
    bool predefinedEntitiesAsText_ = false;
};

// Hands a node that is being given up back to its document: it leaves any parent first.
void discardNode(TdomNode* node);

}  // namespace wispel
