#include "xml/dom/DocumentType.h"

namespace wispel {

TdomDocumentType::TdomDocumentType(TdomDocument* ownerDocument, const DOMString& name,
                                   const DOMString& publicId, const DOMString& systemId,
                                   const DOMString& internalSubset)
    : TdomNode(ownerDocument, name, DOCUMENT_TYPE_NODE),
      ownerDocument_(ownerDocument),
      internalSubset_(internalSubset),
      publicId_(publicId),
      systemId_(systemId),
      entityMap_(std::make_unique<TdomEntitiesNamedNodeMap>(ownerDocument, this, &entityArray_)),
      notationMap_(std::make_unique<TdomNamedNodeMap>(ownerDocument, this, &notationArray_,
                                                      typeSet({NOTATION_NODE}))) {
    if (ownerDocument == nullptr) {
        ownName_ = name;
        nodeName_ = &ownName_;
    }
}

void TdomDocumentType::setOwnerDocument(TdomDocument* document) {
    ownerDocument_ = document;
    entityMap_->ownerDocument_ = document;
    notationMap_->ownerDocument_ = document;
}

TdomEntitiesNamedNodeMap* TdomDocumentType::entities() const {
    return entityMap_.get();
}
const DOMString& TdomDocumentType::internalSubset() const {
    return internalSubset_;
}
const DOMString& TdomDocumentType::name() const {
    return *nodeName_;
}
TdomNamedNodeMap* TdomDocumentType::notations() const {
    return notationMap_.get();
}
const DOMString& TdomDocumentType::publicId() const {
    return publicId_;
}
const DOMString& TdomDocumentType::systemId() const {
    return systemId_;
}

}  // namespace wispel
