// The document's copying operations: duplicateNode (behind importNode and cloneNode) and the
// expansion of entity references from the document type's entities.

#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentFragment.h"
#include "xml/dom/DocumentType.h"
#include "xml/errors/DomException.h"
#include "xml/dom/Element.h"
#include "xml/dom/Entity.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/Notation.h"
#include "xml/dom/ProcessingInstruction.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

bool TdomDocument::copiesChildren(const TdomNode* node) {
    TdomNodeType type = node->nodeType();
    return type == ELEMENT_NODE || type == ENTITY_NODE || type == DOCUMENT_FRAGMENT_NODE;
}

void TdomDocument::addDefaultAttributes(TdomElement* element) {
    if (contentModel_ == nullptr) return;
    const auto& definitions = contentModel_->attributeDefinitions;
    for (int i = 0; i < definitions.count(); ++i) {
        const TdomCMAttributeDefinition* def = definitions.item(i);
        if (def->elementName != element->nodeName()) continue;
        if (def->defaultDeclaration == u"#REQUIRED" || def->defaultDeclaration == u"#IMPLIED")
            continue;
        if (element->hasAttribute(def->attributeName)) continue;
        TdomAttr* attr = createAttribute(def->attributeName);
        attr->value(def->defaultValue);
        attr->setSpecified(false);
        element->setAttributeNode(attr);
    }
}

// The copy of one node without its children; an attribute brings its children, an element
// its attributes, an entity reference the content of this document's declaration.
TdomNode* TdomDocument::duplicateShallow(TdomNode* source) {
    switch (source->nodeType()) {
        case ELEMENT_NODE: {
            auto* from = static_cast<TdomElement*>(source);
            TdomElement* copy = createElement(from->nodeName());
            const TdomNodeArray& attrs = from->attributeArray();
            for (int i = 0; i < attrs.count(); ++i) {
                auto* attr = static_cast<TdomAttr*>(attrs.at(i));
                if (attr->specified())
                    copy->setAttributeNode(static_cast<TdomAttr*>(duplicateShallow(attr)));
            }
            addDefaultAttributes(copy);
            return copy;
        }
        case ATTRIBUTE_NODE: {
            TdomAttr* copy = createAttribute(source->nodeName());
            for (TdomNode* child = source->firstChild(); child; child = child->nextSibling())
                copy->appendChild(duplicateShallow(child));
            return copy;
        }
        case TEXT_NODE:
            return createTextNode(source->nodeValue());
        case CDATA_SECTION_NODE:
            return createCDATASection(source->nodeValue());
        case COMMENT_NODE:
            return createComment(source->nodeValue());
        case ENTITY_REFERENCE_NODE: {
            TdomEntityReference* copy = createEntityReference(source->nodeName());
            copy->expand();
            return copy;
        }
        case ENTITY_NODE: {
            auto* from = static_cast<TdomEntity*>(source);
            TdomEntity* copy = createEntity(from->nodeName(), from->publicId(), from->systemId(),
                                            from->notationName());
            copy->setEncoding(from->encoding());
            copy->setVersion(from->version());
            return copy;
        }
        case PROCESSING_INSTRUCTION_NODE:
            return createProcessingInstruction(source->nodeName(), source->nodeValue());
        case DOCUMENT_FRAGMENT_NODE:
            return createDocumentFragment();
        case NOTATION_NODE: {
            auto* from = static_cast<TdomNotation*>(source);
            return createNotation(from->nodeName(), from->publicId(), from->systemId());
        }
        default:
            throw ENot_Supported_Err();
    }
}

TdomNode* TdomDocument::duplicateNode(TdomNode* node, bool deep) {
    if (node == nullptr) throw ENot_Supported_Err();
    TdomNode* root = duplicateShallow(node);
    if (!deep || !copiesChildren(node)) return root;
    // Pre-order with an explicit stack, the order a recursive copy would take.
    struct Frame {
        TdomNode* source;
        TdomNode* copy;
        TdomNode* next;  // next source child to copy
    };
    std::vector<Frame> stack{{node, root, node->firstChild()}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == nullptr) {
            stack.pop_back();
            continue;
        }
        TdomNode* source = top.next;
        top.next = source->nextSibling();
        TdomNode* copy = duplicateShallow(source);
        top.copy->appendChild(copy);
        if (copiesChildren(source) && source->hasChildNodes())
            stack.push_back({source, copy, source->firstChild()});
    }
    return root;
}

TdomNode* TdomDocument::importNode(TdomNode* node, bool deep) {
    return duplicateNode(node, deep);
}

bool TdomDocument::expandEntityReference(TdomNode* node) {
    if (node == nullptr) throw ENot_Supported_Err();
    if (node->ownerDocument() != this) throw EWrong_Document_Err();
    TdomNodeType type = node->nodeType();
    if (type != ENTITY_REFERENCE_NODE && type != ENTITY_NODE) throw ENot_Supported_Err();
    bool wasReadonly = node->isReadonly();
    node->setReadonly(false);
    node->freeChildren();
    bool produced = false;
    const std::u16string_view predefined = predefinedEntityText(node->nodeName());
    if (!predefined.empty()) {
        node->appendChild(createTextNode(DOMString(predefined)));
        produced = true;
    } else if (TdomDocumentType* type = doctype()) {
        TdomNamedNodeMap* entities = type->entities();
        int index = entities->indexOfName(node->nodeName());
        if (index >= 0) {
            auto* entity = static_cast<TdomEntity*>(entities->item(index));
            if (!entity->notationName().empty()) {
                node->setReadonly(wasReadonly);
                throw EInvalid_Entity_Reference_Err();
            }
            for (TdomNode* child = entity->firstChild(); child; child = child->nextSibling())
                node->appendChild(child->cloneNode(true));
            produced = true;
        }
    }
    node->setReadonly(wasReadonly);
    node->makeChildrenReadonly();
    return produced;
}

}  // namespace wispel
