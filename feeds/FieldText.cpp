#include "feeds/FieldText.h"

#include "feeds/HtmlText.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/Node.h"
#include "xml/dom/TreeOrder.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

namespace {

// Appends the text `node` holds itself and tells whether its children hold more: elements
// hold text below them, an entity reference does when it was expanded in place and its own
// replacement otherwise. One look at the node type serves both.
bool appendOwnText(const TdomNode* node, TEntityExpander& expander, DOMString& text) {
    switch (node->nodeType()) {
        case TEXT_NODE:
        case CDATA_SECTION_NODE:
            // The data itself: nodeValue would copy it first.
            text += static_cast<const TdomCharacterData*>(node)->data();
            return false;
        case ENTITY_REFERENCE_NODE:
            if (node->hasChildNodes()) return true;
            expander.appendReference(node->nodeName(), text);
            return false;
        case ELEMENT_NODE:
            return node->hasChildNodes();
        default:
            return false;
    }
}

void appendElementUnits(const TdomNode* element, TEntityExpander& expander, DOMString& text) {
    // Document order without recursion, into the nodes that hold text below them.
    for (TdomNode* node = element->firstChild(); node != nullptr;) {
        node = nextInSubtree(element, node, appendOwnText(node, expander, text));
    }
}

// True for an element of a block or a line break, whatever its prefix.
bool isBlockElement(const TdomNode* node) {
    if (node->nodeType() != ELEMENT_NODE) return false;
    std::u16string_view name = node->nodeName();
    if (const std::size_t colon = name.find(u':'); colon != std::u16string_view::npos) {
        name.remove_prefix(colon + 1);
    }
    return isHtmlBlockName(name);
}

// Document order without recursion, with a separator on entering and on leaving each block.
void appendBlockUnits(const TdomNode* element, TEntityExpander& expander, DOMString& text) {
    const TdomNode* node = element->firstChild();
    while (node != nullptr) {
        if (isBlockElement(node)) appendBlockSeparator(text);
        if (appendOwnText(node, expander, text)) {
            node = node->firstChild();
            continue;
        }
        // Up until a next sibling, leaving each element on the way.
        while (node != element) {
            if (isBlockElement(node)) appendBlockSeparator(text);
            if (node->nextSibling() != nullptr) break;
            node = node->parentNode();
        }
        node = node == element ? nullptr : node->nextSibling();
    }
}

}  // namespace

const DOMString& TFieldTextReader::blockUnits(const TdomNode* element) {
    units_.clear();
    appendBlockUnits(element, expander_, units_);
    return units_;
}

std::string TFieldTextReader::text(const TdomNode* element) {
    return toUtf8(units(element));
}

const DOMString& TFieldTextReader::units(const TdomNode* element) {
    units_.clear();  // keeps its capacity for the next field
    appendElementUnits(element, expander_, units_);
    return units_;
}

TEntityExpander documentEntityExpander(const TdomDocument* document) {
    auto declaredEntity = [document](std::u16string_view name) -> const TdomCMEntity* {
        const TdomCMObject* model = document ? document->contentModel() : nullptr;
        return model ? model->entities.find(DOMString(name)) : nullptr;
    };
    auto lookup = [declaredEntity](std::u16string_view name) -> const DOMString* {
        const TdomCMEntity* entity = declaredEntity(name);
        // Only internal parsed entities have a replacement text to offer.
        if (!entity || entity->unusable || !entity->notationName.empty() ||
            !entity->publicId.empty() || !entity->systemId.empty()) {
            return nullptr;
        }
        return &entity->replacementText;
    };
    // A name the document declares keeps its own meaning, even where it cannot be used.
    auto declared = [declaredEntity](std::u16string_view name) {
        return declaredEntity(name) != nullptr;
    };
    return TEntityExpander(lookup, declared);
}

}  // namespace wispel
