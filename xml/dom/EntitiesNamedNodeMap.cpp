#include "xml/dom/Entity.h"
#include "xml/dom/NamedNodeMap.h"
#include "xml/errors/ParserErrors.h"

namespace wispel {

TdomEntitiesNamedNodeMap::TdomEntitiesNamedNodeMap(TdomDocument* ownerDocument, TdomNode* ownerNode,
                                                   TdomNodeArray* array)
    : TdomNamedNodeMap(ownerDocument, ownerNode, array, typeSet({ENTITY_NODE})) {}

void TdomEntitiesNamedNodeMap::updateEntityReferences(TdomEntity* entity) {
    const DOMString& name = entity->nodeName();
    for (int i = 0; i < entries_->count(); ++i) {
        TdomNode* other = entries_->at(i);
        if (other != entity) entity->refreshEntityReferences(other->nodeName());
    }
    if (entity->hasEntityReference(name)) {
        entity->freeChildren();
        removeEntryAt(entries_->indexOf(entity));
        throw EParserInvalidEntityDeclaration_Err("Invalid entity declaration error.");
    }
    for (int i = 0; i < entries_->count(); ++i) entries_->at(i)->refreshEntityReferences(name);
}

void TdomEntitiesNamedNodeMap::clearReferencesTo(const DOMString& name) {
    for (int i = 0; i < entries_->count(); ++i) entries_->at(i)->clearEntityReferences(name);
}

TdomNode* TdomEntitiesNamedNodeMap::setNamedItem(TdomNode* node) {
    TdomNode* replaced = TdomNamedNodeMap::setNamedItem(node);
    updateEntityReferences(static_cast<TdomEntity*>(node));
    return replaced;
}

TdomNode* TdomEntitiesNamedNodeMap::setNamedItemNS(TdomNode* node) {
    TdomNode* replaced = TdomNamedNodeMap::setNamedItemNS(node);
    updateEntityReferences(static_cast<TdomEntity*>(node));
    return replaced;
}

TdomNode* TdomEntitiesNamedNodeMap::removeNamedItem(const DOMString& name) {
    TdomNode* removed = TdomNamedNodeMap::removeNamedItem(name);
    clearReferencesTo(removed->nodeName());
    return removed;
}

TdomNode* TdomEntitiesNamedNodeMap::removeNamedItemNS(const DOMString& namespaceURI,
                                                      const DOMString& localName) {
    TdomNode* removed = TdomNamedNodeMap::removeNamedItemNS(namespaceURI, localName);
    clearReferencesTo(removed->nodeName());
    return removed;
}

}  // namespace wispel
