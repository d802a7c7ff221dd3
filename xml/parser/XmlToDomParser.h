#pragma once
// The single entry through which XML text becomes a DOM document: files, streams, memory
// blocks and strings, parsed into a new document or into an existing node.
//
// Ownership: the parser owns its readers, builders and error handler, which serve every
// parse. It refers to its DOM implementation without owning it and forgets it when the
// implementation is destroyed. The documents it returns belong to that implementation.

#include <cstdint>
#include <memory>
#include <string>

#include "core/Stream.h"
#include "core/TextConvert.h"
#include "xml/dom/XmlParserEvent.h"
#include "xml/parser/CustomParser.h"

namespace wispel {

class TDomImplementation;
class TdomDocument;
class TdomNode;
class TdomStandardLocator;
class TdomStandardDocBuilder;
class TdomStandardDocXMLReader;
class TdomStandardErrorHandler;
class TdomStandardExtSubsetBuilder;
class TdomStandardExtSubsetXMLReader;
class TdomStandardIntSubsetBuilder;
class TDtdTextBudget;
class TdomStandardIntSubsetXMLReader;
class TdomCMInternalObject;
class TdomCMExternalObject;
class TdomCustomCMIEObject;
struct TDtdObjects;

class TXmlToDomParser : public TdomCustomParser {
public:
    explicit TXmlToDomParser(TComponent* owner = nullptr);
    ~TXmlToDomParser() override;

    TDomImplementation* DOMImpl() const noexcept { return domImpl_; }
    void setDOMImpl(TDomImplementation* impl);

    // Called when a document names an external subset and is not standalone; unassigned,
    // such a document cannot be parsed.
    TXmlParserEvent onExternalSubset;

    // Builds the content model of a document type declaration (called by the builder).
    void parsedtd(TdomStandardLocator* locator, const DOMString& name, const DOMString& publicId,
                  const DOMString& systemId, const DOMString& internalSubset, bool standalone);

    // Into-node entries: the text becomes children of `node` (null: a new document).
    void parseMemoryInto(const void* buffer, std::int64_t size, const DOMString& publicId,
                         const DOMString& systemId, TdomNode* node);
    void parseStreamInto(TStream* stream, const DOMString& publicId, const DOMString& systemId,
                         TdomNode* node);
    void parseWideStringInto(const DOMString& text, const DOMString& publicId,
                             const DOMString& systemId, TdomNode* node);

    void parseExternalSubset(TStream* stream, const DOMString& publicId, const DOMString& systemId,
                             TdomCMExternalObject* target);
    void parseInternalSubset(TStream* stream, const DOMString& publicId, const DOMString& systemId,
                             TdomCMInternalObject* target);
    void parseInternalSubsetText(const DOMString& text, const DOMString& publicId,
                                 const DOMString& systemId, TdomCMInternalObject* target);

    // Document entries: each returns the new document, owned by the DOM implementation.
    TdomDocument* parseFile(const std::string& fileName);
    TdomDocument* parseMemory(const void* buffer, std::int64_t size);
    TdomDocument* parseStream(TStream* stream);
    TdomDocument* parseString(const std::string& text);
    TdomDocument* parseWideString(const DOMString& text);

    TdomStandardErrorHandler* errorHandler() const noexcept { return errorHandler_.get(); }

    // The most nodes, attributes included, that one parse may make (kMaxDocumentNodes unless
    // set); a parse that needs more raises EParserDocumentTooLarge.
    std::size_t maxNodes() const noexcept;
    void setMaxNodes(std::size_t count) noexcept;
    // On: references to the five predefined entities in content become the character they
    // stand for, part of the text around them, instead of entity reference nodes. For
    // readers that want the text alone: no node is made for each one. Off by default.
    bool predefinedEntitiesAsText() const noexcept;
    void setPredefinedEntitiesAsText(bool on) noexcept;

    // The text budget of the document type declaration being read (null outside one); a
    // parser that replays another's parameter entities is given that parser's budget.
    TDtdTextBudget* dtdTextBudget() const noexcept { return dtdTextBudget_; }
    void setDtdTextBudget(TDtdTextBudget* budget) noexcept { dtdTextBudget_ = budget; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    // Frees the document the last whole-document parse was building, if any.
    void freeBuiltDocument();
    void checkDOMImpl() const;
    TdomDocument* parseWholeStream(TStream* stream, const DOMString& systemId);
    void readExternalSubset(TdomStandardLocator* locator, DOMString publicId, DOMString systemId,
                            TDtdObjects& objects);

    TDomImplementation* domImpl_ = nullptr;  // not owned
    TDtdTextBudget* dtdTextBudget_ = nullptr;  // not owned
    std::unique_ptr<TdomStandardDocBuilder> docBuilder_;
    std::unique_ptr<TdomStandardDocXMLReader> docReader_;
    std::unique_ptr<TdomStandardErrorHandler> errorHandler_;
    std::unique_ptr<TdomStandardExtSubsetBuilder> extSubsetBuilder_;
    std::unique_ptr<TdomStandardExtSubsetXMLReader> extSubsetReader_;
    std::unique_ptr<TdomStandardIntSubsetBuilder> intSubsetBuilder_;
    std::unique_ptr<TdomStandardIntSubsetXMLReader> intSubsetReader_;
};

// The UTF-16LE bytes of `text` with a leading U+FEFF (added when missing), as the wide-string
// entries hand them to the input source.
std::string utf16leWithMark(const DOMString& text);

}  // namespace wispel
