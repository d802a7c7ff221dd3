#pragma once
// The declaration records of a document type definition, as read from a subset, in
// document order. Each record is owned by the record that holds it (an attribute list holds
// its definitions; an internal or external part holds its declarations). These are plain
// data holders; the DTD reader and builder fill them.

#include <memory>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

enum class TdomCMNodeKind {
    nkInternalObject,
    nkExternalObject,
    nkElementTypeDeclaration,
    nkAttrList,
    nkAttrDefinition,
    nkEntityDeclaration,
    nkParameterEntityDeclaration,
    nkNotationDeclaration,
    nkParameterEntityReference,
    nkComment,
    nkProcessingInstruction,
};

enum class TdomCMContentType { ctEmpty, ctAny, ctMixed, ctElements };

class TdomCMNode {
public:
    explicit TdomCMNode(TdomCMNodeKind kind) : kind_(kind) {}
    virtual ~TdomCMNode() = default;
    TdomCMNode(const TdomCMNode&) = delete;
    TdomCMNode& operator=(const TdomCMNode&) = delete;

    TdomCMNodeKind kind() const noexcept { return kind_; }
    TdomCMNode* parent() const noexcept { return parent_; }
    int childCount() const noexcept { return static_cast<int>(children_.size()); }
    TdomCMNode* child(int i) const { return children_[static_cast<size_t>(i)].get(); }
    // Takes ownership and returns the record.
    TdomCMNode* appendChild(std::unique_ptr<TdomCMNode> child);

private:
    TdomCMNodeKind kind_;
    TdomCMNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TdomCMNode>> children_;
};

// One particle of element content: an element type name, or a sequence or choice group.
// Particles sit in a flat table and refer to each other by index, so that neither building
// nor freeing a deeply nested content model recurses.
enum class TdomCMParticleKind { pkName, pkSequence, pkChoice };

struct TdomCMParticle {
    TdomCMParticleKind kind = TdomCMParticleKind::pkName;
    DOMString name;             // element type name, for pkName
    char16_t frequency = 0;     // 0, '?', '*' or '+'
    int parent = -1;            // index of the enclosing group; -1 for the outermost
    std::vector<int> children;  // indexes of the members in order (groups only)
};

class TdomCMElementTypeDeclaration : public TdomCMNode {
public:
    TdomCMElementTypeDeclaration() : TdomCMNode(TdomCMNodeKind::nkElementTypeDeclaration) {}
    DOMString name;
    TdomCMContentType contentType = TdomCMContentType::ctAny;
    DOMString contentSpec;  // the declaration's content model text as written
    std::vector<DOMString> mixedNames;     // mixed content: the names allowed beside text
    std::vector<TdomCMParticle> particles;  // element content: [0] is the outermost group
};

class TdomCMAttrList : public TdomCMNode {
public:
    TdomCMAttrList() : TdomCMNode(TdomCMNodeKind::nkAttrList) {}
    DOMString elementName;
};

class TdomCMAttrDefinition : public TdomCMNode {
public:
    TdomCMAttrDefinition() : TdomCMNode(TdomCMNodeKind::nkAttrDefinition) {}
    DOMString attributeName;
    DOMString attributeType;  // "CDATA", "ID", ..., "NOTATION", or empty for a list
    std::vector<DOMString> enumeration;
    DOMString defaultDeclaration;  // "#REQUIRED", "#IMPLIED", "#FIXED" or empty
    DOMString defaultValue;
};

class TdomCMEntityDeclaration : public TdomCMNode {
public:
    TdomCMEntityDeclaration() : TdomCMNode(TdomCMNodeKind::nkEntityDeclaration) {}
    DOMString name, valueLiteral, publicId, systemId, notationName;
};

class TdomCMParameterEntityDeclaration : public TdomCMNode {
public:
    TdomCMParameterEntityDeclaration() : TdomCMNode(TdomCMNodeKind::nkParameterEntityDeclaration) {}
    DOMString name, valueLiteral, publicId, systemId;
};

class TdomCMNotationDeclaration : public TdomCMNode {
public:
    TdomCMNotationDeclaration() : TdomCMNode(TdomCMNodeKind::nkNotationDeclaration) {}
    DOMString name, publicId, systemId;
};

class TdomCMParameterEntityReference : public TdomCMNode {
public:
    TdomCMParameterEntityReference() : TdomCMNode(TdomCMNodeKind::nkParameterEntityReference) {}
    DOMString name;
};

class TdomCMComment : public TdomCMNode {
public:
    TdomCMComment() : TdomCMNode(TdomCMNodeKind::nkComment) {}
    DOMString data;
};

class TdomCMProcessingInstruction : public TdomCMNode {
public:
    TdomCMProcessingInstruction() : TdomCMNode(TdomCMNodeKind::nkProcessingInstruction) {}
    DOMString target, data;
};

}  // namespace wispel
