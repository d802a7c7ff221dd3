#include "xml/dom/cm/CMObject.h"

#include "xml/dom/Document.h"

namespace wispel {

TdomCMNode* TdomCMNode::appendChild(std::unique_ptr<TdomCMNode> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

TdomCustomCMIEObject::~TdomCustomCMIEObject() {
    if (contentModel_ == nullptr) return;
    if (contentModel_->internal_ == this) contentModel_->internal_ = nullptr;
    if (contentModel_->external_ == this) contentModel_->external_ = nullptr;
}

TdomCMObject::~TdomCMObject() {
    detachParts();
    if (document_ != nullptr) document_->detachContentModel();
}

void TdomCMObject::setInternalObject(TdomCMInternalObject* part) {
    if (internal_ != nullptr) internal_->contentModel_ = nullptr;
    internal_ = part;
    if (part != nullptr) part->contentModel_ = this;
}

void TdomCMObject::setExternalObject(TdomCMExternalObject* part) {
    if (external_ != nullptr) external_->contentModel_ = nullptr;
    external_ = part;
    if (part != nullptr) part->contentModel_ = this;
}

void TdomCMObject::detachParts() {
    setInternalObject(nullptr);
    setExternalObject(nullptr);
}

DOMString TdomCMObject::attributeKey(const DOMString& elementName, const DOMString& attributeName) {
    DOMString key = elementName;
    key += u'\0';
    key += attributeName;
    return key;
}

TdomCMAttributeDefinition* TdomCMObject::findAttributeDefinition(
    const DOMString& elementName, const DOMString& attributeName) const {
    return attributeDefinitions.find(attributeKey(elementName, attributeName));
}

TdomCMAttributeDefinition* TdomCMObject::addAttributeDefinition(
    std::unique_ptr<TdomCMAttributeDefinition> definition) {
    DOMString key = attributeKey(definition->elementName, definition->attributeName);
    return attributeDefinitions.add(key, std::move(definition));
}

void TdomCMObject::clearMaps() {
    elementTypes.clear();
    attributeDefinitions.clear();
    entities.clear();
    parameterEntities.clear();
    notations.clear();
}

}  // namespace wispel
