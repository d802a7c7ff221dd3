#pragma once
// Records the declarations of a DTD subset, in document order, as children of an internal
// (or external) content-model part. Parameter entities get their resolved text at once, so
// that later declarations can use it.
//
// The builder refers to the part it fills (set by the parser around each read) and owns
// nothing; the records belong to the part.

#include <cstddef>
#include <memory>
#include <unordered_map>

#include "xml/reader/DTDHandler.h"

namespace wispel {

class TdomCustomCMIEObject;
class TdomCMNode;
class TXmlToDomParser;

class TdomStandardIntSubsetBuilder : public TdomCustomDTDHandler {
public:
    TdomCustomCMIEObject* targetNode() const noexcept { return targetNode_; }
    void setTargetNode(TdomCustomCMIEObject* node) noexcept {
        targetNode_ = node;
        indexedTarget_ = nullptr;
    }

    DOMString parameterEntityText(const DOMString& name) override;
    void attributeDefinition(TdomCustomParser* parser, TdomStandardLocator* locator,
                             const DOMString& name, const DOMString& type,
                             const DOMString& enumeration, const DOMString& defaultDeclaration,
                             const DOMString& defaultValue) override;
    void comment(TdomCustomParser* parser, TdomStandardLocator* locator,
                 const DOMString& data) override;
    void conditionalSection(TdomCustomParser* parser, TdomStandardLocator* locator,
                            const DOMString& keyword, const DOMString& text) override;
    void elementDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                            const DOMString& name, const DOMString& spec) override;
    void endAttributeList(TdomCustomParser* parser, TdomStandardLocator* locator) override;
    void endDtd(TdomCustomParser* parser) override;
    void entityDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                           const DOMString& name, const DOMString& value, const DOMString& publicId,
                           const DOMString& systemId, const DOMString& notationName) override;
    void notationDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                             const DOMString& name, const DOMString& publicId,
                             const DOMString& systemId) override;
    void parameterEntityDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                                    const DOMString& name, const DOMString& value,
                                    const DOMString& publicId, const DOMString& systemId) override;
    void parameterEntityReference(TdomCustomParser* parser, TdomStandardLocator* locator,
                                  const DOMString& name) override;
    void processingInstruction(TdomCustomParser* parser, TdomStandardLocator* locator,
                               const DOMString& target, const DOMString& data) override;
    void startAttributeList(TdomCustomParser* parser, TdomStandardLocator* locator,
                            const DOMString& elementName) override;
    void startDtd(TdomCustomParser* parser, const DOMString& publicId,
                  const DOMString& systemId) override;
    void textDeclaration(TdomCustomParser* parser, TdomStandardLocator* locator,
                         const DOMString& version, const DOMString& encoding,
                         const DOMString& standalone) override;

protected:
    // Appends a new record to the open node; on failure the record is dropped and `Error`
    // raised with `message`.
    template <class Error>
    TdomCMNode* append(std::unique_ptr<TdomCMNode> record, const char* message);
    const DOMString* findParameterText(const DOMString& name) const;

    TdomCustomCMIEObject* targetNode_ = nullptr;  // the part being filled
    TdomCMNode* openNode_ = nullptr;  // where declarations go; an attribute list while open

private:
    // Finds parameter-entity texts of the target's list by name without scanning it; the
    // index follows the list as it grows (the first entry of a name wins).
    mutable std::unordered_map<DOMString, std::size_t> parameterIndex_;
    mutable std::size_t indexedEntries_ = 0;
    mutable const TdomCustomCMIEObject* indexedTarget_ = nullptr;
};

// The external-subset builder also takes a text declaration and conditional sections.
class TdomStandardExtSubsetBuilder : public TdomStandardIntSubsetBuilder {
public:
    void conditionalSection(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                            const DOMString&) override {}
    void textDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                         const DOMString&, const DOMString&) override {}
};

// Loads the text of an external entity through the DOM implementation's
// onExternalParsedEntity handler. False when it cannot be supplied (also without handler).
bool loadExternalEntity(TXmlToDomParser* parser, const DOMString& parentSystemId,
                        DOMString publicId, DOMString systemId, DOMString& text);

}  // namespace wispel
