#pragma once
// A reference to an entity. Its children, if any, are a read-only copy of the entity's
// content.

#include "xml/dom/Node.h"

namespace wispel {

struct TdomCMEntity;

class TdomEntityReference : public TdomParentNode {
public:
    TdomEntityReference(TdomDocument* ownerDocument, const DOMString& name);

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;
    TdomNode* cloneNode(bool deep) override;

    // The declaration of this name in the document's content model, or null.
    virtual TdomCMEntity* entityDeclaration() const;
    // True for lt, gt, amp, apos and quot.
    virtual bool isPredefinedEntity() const;
    // Rebuilds the children from the declaration (or the predefined character); false when
    // there is nothing to build from or the replacement text does not parse.
    virtual bool expand();
};

// The character a predefined entity stands for ("<" for "lt" ...), empty for other names.
std::u16string_view predefinedEntityText(std::u16string_view name);

}  // namespace wispel
