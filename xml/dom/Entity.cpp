#include "xml/dom/Entity.h"

#include "xml/errors/DomException.h"

namespace wispel {

TdomEntity::TdomEntity(TdomDocument* ownerDocument, const DOMString& name,
                       const DOMString& publicId, const DOMString& systemId,
                       const DOMString& notationName)
    : TdomParentNode(ownerDocument, name, ENTITY_NODE),
      notationName_(notationName),
      publicId_(publicId),
      systemId_(systemId) {}

const DOMString& TdomEntity::notationName() const {
    return notationName_;
}

// An external entity's content is never loaded, so it takes none.
void TdomEntity::checkInternal() const {
    if (!publicId_.empty() || !systemId_.empty()) throw ENo_Modification_Allowed_Err();
}

TdomNode* TdomEntity::appendChild(TdomNode* newChild) {
    checkInternal();
    return TdomNode::appendChild(newChild);
}

TdomNode* TdomEntity::insertBefore(TdomNode* newChild, TdomNode* refChild) {
    checkInternal();
    return TdomNode::insertBefore(newChild, refChild);
}

TdomNode* TdomEntity::replaceChild(TdomNode* newChild, TdomNode* oldChild) {
    checkInternal();
    return TdomNode::replaceChild(newChild, oldChild);
}

}  // namespace wispel
