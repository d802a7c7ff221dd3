#include "xml/dom/Document.h"

#include <algorithm>

#include "xml/chars/XmlChars.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/DocumentFragment.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/Element.h"
#include "xml/dom/Entity.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/Notation.h"
#include "xml/dom/ProcessingInstruction.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/dom/traversal/NodeIterator.h"
#include "xml/dom/traversal/TreeWalker.h"
#include "xml/errors/DomException.h"

namespace wispel {

namespace {
const DOMString& documentName() {
    static const DOMString name(u"#document");
    return name;
}
}  // namespace

TdomDocument::TdomDocument(TDomImplementation* implementation)
    : TdomParentNode(this, documentName(), DOCUMENT_NODE), implementation_(implementation) {
    nodeName_ = &documentName();
}

TdomDocument::~TdomDocument() {
    clear();
    detachContentModel();
}

// Character data never holds heap parts, so a registered node's length word is free for
// its place in the list.
void TdomDocument::keepForDestruction(TdomNode* node) {
    if (node->registered_) return;
    assert(node->nodeType() != TEXT_NODE && node->nodeType() != CDATA_SECTION_NODE &&
           node->nodeType() != COMMENT_NODE);
    needsDestruction_.push_back(node);
    node->length_ = static_cast<std::uint32_t>(needsDestruction_.size() - 1);
    node->registered_ = true;
}

void TdomDocument::forgetDestruction(TdomNode* node) noexcept {
    TdomNode* moved = needsDestruction_.back();
    needsDestruction_[node->length_] = moved;
    moved->length_ = node->length_;
    needsDestruction_.pop_back();
    node->registered_ = false;
}

TdomNode::TNamespaceParts& TdomDocument::namespacePartsOf(TdomNode* node) {
    std::unique_ptr<TNamespaceParts>& parts = namespaceParts_[node];
    if (!parts) parts = std::make_unique<TNamespaceParts>();
    node->hasNamespaceParts_ = true;
    return *parts;
}

const TdomNode::TNamespaceParts* TdomDocument::findNamespaceParts(
    const TdomNode* node) const noexcept {
    auto found = namespaceParts_.find(node);
    return found != namespaceParts_.end() ? found->second.get() : nullptr;
}

// The document's own view outlives its clear; the others go with their nodes.
TdomNodeList* TdomDocument::childListOf(TdomNode* node) {
    if (node == this) {
        if (!ownListView_) ownListView_ = std::make_unique<TdomChildNodeList>(this);
        return ownListView_.get();
    }
    std::unique_ptr<TdomChildNodeList>& view = listViews_[node];
    if (!view) view = std::make_unique<TdomChildNodeList>(node);
    node->hasListView_ = true;
    return view.get();
}

std::size_t TdomDocument::pooledBlockSize(TdomNodeType type) noexcept {
    switch (type) {
        case ELEMENT_NODE:
            return sizeof(TdomElement);
        case ATTRIBUTE_NODE:
            return sizeof(TdomAttr);
        case TEXT_NODE:
            return sizeof(TdomText);
        case CDATA_SECTION_NODE:
            return sizeof(TdomCDATASection);
        case ENTITY_REFERENCE_NODE:
            return sizeof(TdomEntityReference);
        case ENTITY_NODE:
            return sizeof(TdomEntity);
        case PROCESSING_INSTRUCTION_NODE:
            return sizeof(TdomProcessingInstruction);
        case COMMENT_NODE:
            return sizeof(TdomComment);
        case DOCUMENT_TYPE_NODE:
            return sizeof(TdomDocumentType);
        case DOCUMENT_FRAGMENT_NODE:
            return sizeof(TdomDocumentFragment);
        case NOTATION_NODE:
            return sizeof(TdomNotation);
        default:
            return 0;
    }
}

void TdomDocument::destroyNode(TdomNode* node) noexcept {
    if (node->nodeType() == DOCUMENT_TYPE_NODE) {
        auto* doctype = static_cast<TdomDocumentType*>(node);
        doctype->entityArray_.clear();
        doctype->notationArray_.clear();
    }
    if (node->hasNamespaceParts_) namespaceParts_.erase(node);
    if (node->hasListView_) listViews_.erase(node);
    if (node->registered_) forgetDestruction(node);
    --liveNodes_;
    if (!node->pooled_) {
        delete node;
        return;
    }
    const std::size_t size = pooledBlockSize(node->nodeType_);
    node->~TdomNode();
    nodePool_.release(node, size);
}

// --- factories ---

TdomElement* TdomDocument::createElement(const DOMString& tagName) {
    return make<TdomElement>(this, tagName);
}

TdomElement* TdomDocument::createElementNS(const DOMString& namespaceURI,
                                           const DOMString& qualifiedName) {
    return make<TdomElement>(this, namespaceURI, qualifiedName);
}

TdomDocumentFragment* TdomDocument::createDocumentFragment() {
    return make<TdomDocumentFragment>(this);
}

TdomText* TdomDocument::createTextNode(const DOMString& data) {
    TdomText* node = make<TdomText>(this);
    node->data(data);
    return node;
}

TdomComment* TdomDocument::createComment(const DOMString& data) {
    TdomComment* node = make<TdomComment>(this);
    node->data(data);
    return node;
}

TdomCDATASection* TdomDocument::createCDATASection(const DOMString& data) {
    TdomCDATASection* node = make<TdomCDATASection>(this);
    node->data(data);
    return node;
}

TdomProcessingInstruction* TdomDocument::createProcessingInstruction(const DOMString& target,
                                                                     const DOMString& data) {
    TdomProcessingInstruction* node = make<TdomProcessingInstruction>(this, target);
    node->data(data);
    return node;
}

TdomAttr* TdomDocument::createAttribute(const DOMString& name) {
    return make<TdomAttr>(this, name, true);
}

TdomAttr* TdomDocument::createAttributeNS(const DOMString& namespaceURI,
                                          const DOMString& qualifiedName) {
    return make<TdomAttr>(this, namespaceURI, qualifiedName, true);
}

TdomEntityReference* TdomDocument::createEntityReference(const DOMString& name) {
    return make<TdomEntityReference>(this, name);
}

TdomDocumentType* TdomDocument::createDocumentType(const DOMString& name, const DOMString& publicId,
                                                   const DOMString& systemId,
                                                   const DOMString& internalSubset) {
    return make<TdomDocumentType>(this, name, publicId, systemId, internalSubset);
}

TdomEntity* TdomDocument::createEntity(const DOMString& name, const DOMString& publicId,
                                       const DOMString& systemId, const DOMString& notationName) {
    return make<TdomEntity>(this, name, publicId, systemId, notationName);
}

TdomNotation* TdomDocument::createNotation(const DOMString& name, const DOMString& publicId,
                                           const DOMString& systemId) {
    return make<TdomNotation>(this, name, publicId, systemId);
}

// --- tree queries ---

TdomDocumentType* TdomDocument::doctype() const {
    for (TdomNode* child = firstChild(); child != nullptr; child = child->nextSibling()) {
        if (child->nodeType() == DOCUMENT_TYPE_NODE) return static_cast<TdomDocumentType*>(child);
    }
    return nullptr;
}

TdomElement* TdomDocument::documentElement() const {
    for (TdomNode* child = firstChild(); child != nullptr; child = child->nextSibling()) {
        if (child->nodeType() == ELEMENT_NODE) return static_cast<TdomElement*>(child);
    }
    return nullptr;
}

// The position of a child, or of the end for null; -1 for a node that is not a child.
int TdomDocument::indexOfChild(const TdomNode* child) const {
    if (child != nullptr && child->parentNode() != this) return -1;
    int index = 0;
    for (TdomNode* n = firstChild(); n != child; n = n->nextSibling()) ++index;
    return index;
}

void* TdomDocument::defaultView() const {
    return nullptr;
}

TdomNodeList* TdomDocument::getElementsByTagName(const DOMString& name) {
    return lists_.byTagName(name, this);
}

TdomNodeList* TdomDocument::getElementsByTagNameNS(const DOMString& namespaceURI,
                                                   const DOMString& localName) {
    return lists_.byTagNameNS(namespaceURI, localName, this);
}

// --- the document's own child rules ---

TdomNode* TdomDocument::appendChild(TdomNode* newChild) {
    if (newChild == nullptr) throw ENot_Supported_Err();
    switch (newChild->nodeType()) {
        case ELEMENT_NODE:
            if (documentElement() != nullptr) throw EHierarchy_Request_Err();
            break;
        case DOCUMENT_TYPE_NODE:
            // The document type must come before the document element.
            if (doctype() != nullptr || documentElement() != nullptr)
                throw EHierarchy_Request_Err();
            break;
        case PROCESSING_INSTRUCTION_NODE:
        case COMMENT_NODE:
        case DOCUMENT_FRAGMENT_NODE:
            break;
        default:
            throw EHierarchy_Request_Err();
    }
    return TdomNode::appendChild(newChild);
}

void TdomDocument::checkInsertion(TdomNode* newChild, TdomNode* refChild) const {
    int insertAt = indexOfChild(refChild);
    switch (newChild->nodeType()) {
        case ELEMENT_NODE:
            if (TdomDocumentType* type = doctype()) {
                if (type->name() != newChild->nodeName()) throw EInvalid_Character_Err();
                if (indexOfChild(type) >= insertAt) throw EHierarchy_Request_Err();
            }
            if (documentElement() != nullptr) throw EHierarchy_Request_Err();
            break;
        case DOCUMENT_TYPE_NODE:
            if (TdomElement* root = documentElement()) {
                if (root->nodeName() != newChild->nodeName()) throw EInvalid_Character_Err();
                if (insertAt > indexOfChild(root)) throw EHierarchy_Request_Err();
            }
            if (doctype() != nullptr) throw EHierarchy_Request_Err();
            break;
        case PROCESSING_INSTRUCTION_NODE:
        case COMMENT_NODE:
        case DOCUMENT_FRAGMENT_NODE:
            break;
        default:
            throw EHierarchy_Request_Err();
    }
}

TdomNode* TdomDocument::insertBefore(TdomNode* newChild, TdomNode* refChild) {
    if (newChild == nullptr) throw ENot_Supported_Err();
    checkInsertion(newChild, refChild);
    return TdomNode::insertBefore(newChild, refChild);
}

void TdomDocument::checkReplacement(TdomNode* newChild, TdomNode* oldChild) const {
    switch (newChild->nodeType()) {
        case ELEMENT_NODE: {
            if (oldChild != documentElement()) throw EHierarchy_Request_Err();
            TdomDocumentType* type = doctype();
            if (type != nullptr && type->name() != newChild->nodeName())
                throw EInvalid_Character_Err();
            break;
        }
        case DOCUMENT_TYPE_NODE: {
            if (oldChild != doctype()) throw EHierarchy_Request_Err();
            TdomElement* root = documentElement();
            if (root != nullptr && root->nodeName() != newChild->nodeName())
                throw EInvalid_Character_Err();
            break;
        }
        case PROCESSING_INSTRUCTION_NODE:
        case COMMENT_NODE:
        case DOCUMENT_FRAGMENT_NODE:
            break;
        default:
            throw EHierarchy_Request_Err();
    }
}

TdomNode* TdomDocument::replaceChild(TdomNode* newChild, TdomNode* oldChild) {
    if (newChild == nullptr || oldChild == nullptr) throw ENot_Supported_Err();
    checkReplacement(newChild, oldChild);
    return TdomNode::replaceChild(newChild, oldChild);
}

// --- freeing ---

void TdomDocument::freeAllNodes(TdomNode*& node) {
    if (node == nullptr) return;
    if (node->ownerDocument() != this) throw EWrong_Document_Err();
    if (node == this) throw ENo_Modification_Allowed_Err();
    // A node still held by a named node map counts as in use like one with a parent.
    const TdomArrayLink* link = node->arrayLink();
    if (node->parentNode_ != nullptr || (link != nullptr && link->memberships > 0)) {
        if (node->nodeType() != ATTRIBUTE_NODE || node->parentNode_ != nullptr)
            throw EInuse_Node_Err();
    }
    if (node->nodeType() == ATTRIBUTE_NODE &&
        static_cast<TdomAttr*>(node)->ownerElement() != nullptr)
        throw EInuse_Attribute_Err();
    // Post-order with an explicit stack: each node's children, then an element's
    // attributes, are detached and freed before the node itself.
    std::vector<TdomNode*> stack{node};
    while (!stack.empty()) {
        TdomNode* top = stack.back();
        if (TdomNode* child = top->firstChild()) {
            child->setReadonly(false);
            top->removeChild(child);
            stack.push_back(child);
            continue;
        }
        if (top->nodeType() == ELEMENT_NODE) {
            auto* element = static_cast<TdomElement*>(top);
            if (TdomNode* attr = element->attributeArray().first()) {
                attr->setReadonly(false);
                element->removeAttributeNode(static_cast<TdomAttr*>(attr));
                stack.push_back(attr);
                continue;
            }
        }
        stack.pop_back();
        destroyNode(top);
    }
    node = nullptr;
}

// Node destructors touch no other node, so the order does not matter. Only the nodes that
// hold something on the heap are visited; the pool's chunks and the text blocks then go
// back at once, with every other node in them.
void TdomDocument::clear() {
    firstChild_ = nullptr;
    nodePool_.beginReleaseAll();
    for (TdomNode* node : needsDestruction_) {
        if (node->pooled_) {
            node->~TdomNode();
        } else {
            delete node;
        }
    }
    std::vector<TdomNode*>().swap(needsDestruction_);
    namespaceParts_.clear();
    listViews_.clear();
    liveNodes_ = 0;
    treeChanged();
    nodePool_.releaseAll();
    texts_.releaseAll();
    nodeIterators_.clear();
    treeWalkers_.clear();
    lists_.clearTagNameLists();
    lists_.clearTagNameNSLists();
}

// --- traversal objects ---

TdomNodeIterator* TdomDocument::createNodeIterator(TdomNode* root, TdomWhatToShow whatToShow,
                                                   TdomNodeFilter* filter,
                                                   bool entityReferenceExpansion) {
    if (root == nullptr) throw ENot_Supported_Err();
    nodeIterators_.push_back(
        std::make_unique<TdomNodeIterator>(root, whatToShow, filter, entityReferenceExpansion));
    return nodeIterators_.back().get();
}

TdomTreeWalker* TdomDocument::createTreeWalker(TdomNode* root, TdomWhatToShow whatToShow,
                                               TdomNodeFilter* filter,
                                               bool entityReferenceExpansion) {
    if (root == nullptr) throw ENot_Supported_Err();
    treeWalkers_.push_back(
        std::make_unique<TdomTreeWalker>(root, whatToShow, filter, entityReferenceExpansion));
    return treeWalkers_.back().get();
}

void TdomDocument::freeTreeWalker(TdomTreeWalker* walker) {
    if (walker == nullptr) return;
    auto it = std::find_if(treeWalkers_.begin(), treeWalkers_.end(),
                           [walker](const auto& owned) { return owned.get() == walker; });
    if (it == treeWalkers_.end()) throw EWrong_Document_Err();
    treeWalkers_.erase(it);
}

void TdomDocument::clearInvalidNodeIterators() {
    std::erase_if(nodeIterators_, [](const auto& iterator) { return iterator->invalid(); });
}

void TdomDocument::notifyNodeRemoval(TdomNode* node) {
    for (const auto& iterator : nodeIterators_) {
        TdomNode* reference = iterator->referenceNode();
        if (iterator->invalid() || reference == nullptr) continue;
        if (node != iterator->root() && isInclusiveDescendant(reference, node) &&
            isInclusiveDescendant(node, iterator->root()))
            iterator->referenceNodeRemoved(node);
    }
}

// --- content model ---

TdomCMObject* TdomDocument::detachContentModel() {
    TdomCMObject* previous = contentModel_;
    if (previous != nullptr) previous->document_ = nullptr;
    contentModel_ = nullptr;
    return previous;
}

TdomCMObject* TdomDocument::assignContentModel(TdomCMObject* cm) {
    if (cm == nullptr) throw ENot_Supported_Err();
    TdomCMObject* previous = detachContentModel();
    if (cm->document_ != nullptr) throw EInuse_Content_Model_Err();
    cm->document_ = this;
    contentModel_ = cm;
    return previous;
}

// Validation against the content model is not done in this system; the ID list stays as
// the parser left it.
bool TdomDocument::validate(TdomCustomErrorHandler*) {
    return true;
}
bool TdomDocument::validateIdReferences(TdomCustomErrorHandler*) {
    return true;
}

// --- document element set-up ---

void TdomDocument::initDoc(const DOMString& tagName) {
    checkXmlName(tagName);
    if (documentElement() != nullptr) throw EHierarchy_Request_Err();
    appendChild(createElement(tagName));
}

void TdomDocument::initDocNS(const DOMString& namespaceURI, const DOMString& qualifiedName) {
    checkQualifiedName(namespaceURI, qualifiedName, true);
    if (documentElement() != nullptr) throw EHierarchy_Request_Err();
    appendChild(createElementNS(namespaceURI, qualifiedName));
}

}  // namespace wispel
