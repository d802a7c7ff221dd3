#pragma once
// The content model of a document: the declarations read from its internal and external
// subsets, and the name-keyed maps the preparation step builds from them, which the DOM
// consults for entity replacement texts, attribute defaults and element content types.
//
// Ownership: the DOM implementation creates and frees the content model and its two parts.
// The content model refers to its parts and to the document it is attached to without
// owning them; it owns the records in its maps.

#include <memory>
#include <utility>
#include <vector>

#include "core/TextConvert.h"
#include "xml/dom/cm/CMDeclarations.h"
#include "xml/dom/cm/CMMap.h"

namespace wispel {

class TdomDocument;
class TdomCMObject;

// An internal or external subset as read: its ids and its declarations in document order.
class TdomCustomCMIEObject : public TdomCMNode {
public:
    TdomCustomCMIEObject(TdomCMNodeKind kind, const DOMString& publicId, const DOMString& systemId)
        : TdomCMNode(kind), publicId_(publicId), systemId_(systemId) {}
    // Leaves the content model that holds it.
    ~TdomCustomCMIEObject() override;

    const DOMString& publicId() const noexcept { return publicId_; }
    const DOMString& systemId() const noexcept { return systemId_; }
    // The content model that holds this part, or null.
    TdomCMObject* contentModel() const noexcept { return contentModel_; }

    // Parameter entities and their resolved texts, filled while the subset is read.
    std::vector<std::pair<DOMString, DOMString>> parameterEntityList;

private:
    friend class TdomCMObject;
    DOMString publicId_;
    DOMString systemId_;
    TdomCMObject* contentModel_ = nullptr;
};

class TdomCMInternalObject : public TdomCustomCMIEObject {
public:
    TdomCMInternalObject(const DOMString& publicId, const DOMString& systemId)
        : TdomCustomCMIEObject(TdomCMNodeKind::nkInternalObject, publicId, systemId) {}
};

class TdomCMExternalObject : public TdomCustomCMIEObject {
public:
    TdomCMExternalObject(const DOMString& publicId, const DOMString& systemId)
        : TdomCustomCMIEObject(TdomCMNodeKind::nkExternalObject, publicId, systemId) {}
};

// Map records.
struct TdomCMElementType {
    DOMString name;
    TdomCMContentType contentType = TdomCMContentType::ctAny;
    DOMString contentSpec;
    std::vector<DOMString> mixedNames;     // as in TdomCMElementTypeDeclaration
    std::vector<TdomCMParticle> particles;  // as in TdomCMElementTypeDeclaration
};

struct TdomCMAttributeDefinition {
    DOMString elementName;
    DOMString attributeName;
    DOMString attributeType;  // "CDATA", "ID", ..., "NOTATION", or empty for a list
    std::vector<DOMString> enumeration;
    DOMString defaultDeclaration;  // "#REQUIRED", "#IMPLIED", "#FIXED" or empty
    DOMString defaultValue;
};

struct TdomCMEntity {
    DOMString name;
    DOMString valueLiteral;
    DOMString replacementText;
    DOMString notationName;
    DOMString publicId;
    DOMString systemId;
    bool unusable = false;
};

struct TdomCMParameterEntity {
    DOMString name;
    DOMString valueLiteral;
    DOMString text;
    DOMString publicId;
    DOMString systemId;
    bool unusable = false;
};

struct TdomCMNotation {
    DOMString name;
    DOMString publicId;
    DOMString systemId;
};

class TdomCMObject {
public:
    TdomCMObject() = default;
    ~TdomCMObject();
    TdomCMObject(const TdomCMObject&) = delete;
    TdomCMObject& operator=(const TdomCMObject&) = delete;

    TdomCMInternalObject* internalObject() const noexcept { return internal_; }
    TdomCMExternalObject* externalObject() const noexcept { return external_; }
    // Makes `part` this content model's internal or external part (null detaches); a part
    // held before is detached, not freed.
    void setInternalObject(TdomCMInternalObject* part);
    void setExternalObject(TdomCMExternalObject* part);
    void detachParts();

    // The document this content model is attached to, or null (kept by the document).
    TdomDocument* ownerDocument() const noexcept { return document_; }

    // The attribute definition of `attributeName` on `elementName`, or null.
    TdomCMAttributeDefinition* findAttributeDefinition(const DOMString& elementName,
                                                       const DOMString& attributeName) const;
    // Adds a definition under (element name, attribute name); null when one exists.
    TdomCMAttributeDefinition* addAttributeDefinition(
        std::unique_ptr<TdomCMAttributeDefinition> definition);
    void clearMaps();

    TdomCMMap<TdomCMElementType> elementTypes;
    TdomCMMap<TdomCMAttributeDefinition> attributeDefinitions;  // see attributeKey
    TdomCMMap<TdomCMEntity> entities;
    TdomCMMap<TdomCMParameterEntity> parameterEntities;
    TdomCMMap<TdomCMNotation> notations;

    // The key of an attribute definition: element name, a NUL unit, attribute name.
    static DOMString attributeKey(const DOMString& elementName, const DOMString& attributeName);

private:
    friend class TdomDocument;
    friend class TdomCustomCMIEObject;
    TdomCMInternalObject* internal_ = nullptr;  // not owned
    TdomCMExternalObject* external_ = nullptr;  // not owned
    TdomDocument* document_ = nullptr;          // not owned
};

}  // namespace wispel
