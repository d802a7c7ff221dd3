#include "xml/dom/Node.h"

#include <vector>

#include "core/MemoryStream.h"
#include "core/TextCase.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/Markup.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/TreeOrder.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/DomException.h"

namespace wispel {

namespace {
const DOMString kNoName;
}

// A parsed feed holds millions of nodes: the small fields must stay in one word.
static_assert(sizeof(void*) != 8 || sizeof(TdomNode) == 48);

// The document passes itself while it is being made: its name is its own, its table of
// names is not made yet.
TdomNode::TdomNode(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type)
    : nodeName_(&kNoName), nodeType_(type) {
    if (ownerDocument != nullptr && static_cast<const TdomNode*>(ownerDocument) != this) {
        nodeName_ = ownerDocument->names_.intern(name);
    }
}

TdomNode::~TdomNode() = default;

void TdomNode::setNodeName(const DOMString& name) {
    if (TdomDocument* document = owner(); document != nullptr && document != this) {
        nodeName_ = document->names_.intern(name);
    }
}

TdomNode::TNamespaceParts& TdomNode::namespaceParts(TdomDocument* ownerDocument) {
    if (ownerDocument == nullptr) throw ENot_Supported_Err();
    return ownerDocument->namespacePartsOf(this);
}

void TdomNode::checkModifiable() const {
    if (readonly_) throw ENo_Modification_Allowed_Err();
}

void TdomNode::initQualifiedName(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                                 const DOMString& qualifiedName, bool isAttribute) {
    TdomQualifiedName parts = checkQualifiedName(namespaceURI, qualifiedName, isAttribute);
    TNamespaceParts& rare = namespaceParts(ownerDocument);
    rare.localName = std::move(parts.localName);
    rare.namespaceURI = namespaceURI;
    rare.prefix = std::move(parts.prefix);
}

const DOMString& TdomNode::localName() const noexcept {
    return hasNamespaceParts_ ? owner()->findNamespaceParts(this)->localName : kNoName;
}
const DOMString& TdomNode::namespaceURI() const noexcept {
    return hasNamespaceParts_ ? owner()->findNamespaceParts(this)->namespaceURI : kNoName;
}
const DOMString& TdomNode::prefix() const noexcept {
    return hasNamespaceParts_ ? owner()->findNamespaceParts(this)->prefix : kNoName;
}

// Only character data and processing instructions keep a value; every other kind of node
// has an empty one, and those whose value is set without effect say so themselves.
DOMString TdomNode::nodeValue() const {
    return DOMString();
}

void TdomNode::nodeValue(const DOMString&) {
    checkModifiable();
}

TdomNamedNodeMap* TdomNode::attributes() const {
    return nullptr;
}
TdomNode* TdomNode::parentNode() const {
    return parentNode_;
}
TdomNodeList* TdomNode::childNodes() {
    TdomDocument* document = owner();
    return document != nullptr ? document->childListOf(this) : &TdomChildNodeList::none();
}

DOMString TdomNode::xmlText() {
    TMemoryStream stream;
    writeXml(stream);
    return readUtf16LE(stream.View());
}

void TdomNode::writeXml(TStream& stream) {
    DOMString markup;
    appendMarkup(this, markup);
    writeUtf16LE(stream, markup);
}

void TdomNode::setReadonly(bool value) {
    readonly_ = value;
}

void TdomNode::makeChildrenReadonly() {
    for (TdomNode* n = firstChild(); n != nullptr; n = nextInSubtree(this, n)) {
        n->setReadonly(true);
    }
}

void TdomNode::prefix(const DOMString& value) {
    if (!validName(value)) throw EInvalid_Character_Err();
    checkModifiable();
    const DOMString& uri = namespaceURI();
    if (!validNCName(value) || uri.empty()) throw ENamespace_Err();
    if (value == u"xml" && uri != kXmlNamespace) throw ENamespace_Err();
    if (nodeType_ == ATTRIBUTE_NODE &&
        ((value == u"xmlns" && uri != kXmlnsNamespace) || *nodeName_ == u"xmlns"))
        throw ENamespace_Err();
    TNamespaceParts& parts = namespaceParts(owner());
    parts.prefix = value;
    setNodeName(value + u":" + parts.localName);
    if (nodeType_ == ATTRIBUTE_NODE) {
        if (TdomElement* owner = static_cast<TdomAttr*>(this)->ownerElement())
            owner->attributes()->entryRenamed();
    }
}

bool TdomNode::validateNode(TdomCustomErrorHandler*) {
    throw ENot_Supported_Err();
}
bool TdomNode::validateIdReferences(TdomCustomErrorHandler*) {
    throw ENot_Supported_Err();
}

bool TdomNode::hasAncestor(const TdomNode* node) const {
    // The second pointer runs at twice the speed; meeting it means the chain is a loop.
    const TdomNode* slow = parentNode_;
    const TdomNode* fast = parentNode_;
    while (slow != nullptr) {
        if (slow == node) return true;
        slow = slow->parentNode_;
        for (int i = 0; i < 2 && fast != nullptr; ++i) fast = fast->parentNode_;
        if (fast != nullptr && fast == slow) throw EHierarchy_Request_Err();
    }
    return false;
}

namespace {

// The checks insertBefore, appendChild and replaceChild share, in their order: type,
// document, hierarchy, read-only.
void checkInsertable(const TdomNode* parent, const TdomNode* newChild, const TdomNode* refChild) {
    if (newChild == nullptr) throw ENot_Supported_Err();
    if (!typeInSet(parent->allowedChildTypes(), newChild->nodeType()))
        throw EHierarchy_Request_Err();
    if (parent->ownerDocument() != newChild->ownerDocument()) throw EWrong_Document_Err();
    // A node without children cannot be an ancestor of anything: building a deep tree
    // child by child does not walk the ancestor chain on every append.
    if (newChild == parent || newChild == refChild ||
        (newChild->hasChildNodes() && parent->hasAncestor(newChild)))
        throw EHierarchy_Request_Err();
    const TdomNode* oldParent = newChild->parent();
    if (parent->isReadonly() || (oldParent != nullptr && oldParent->isReadonly()))
        throw ENo_Modification_Allowed_Err();
}

}  // namespace

void TdomNode::linkChild(TdomNode* child, TdomNode* next) noexcept {
    auto* self = static_cast<TdomParentNode*>(this);
    TdomNode* first = self->firstChild_;
    if (next == nullptr) {
        child->nextSibling_ = nullptr;
        child->previousLink_ = first != nullptr ? first->previousLink_ : child;
        if (first == nullptr) {
            self->firstChild_ = child;
        } else {
            first->previousLink_->nextSibling_ = child;
            first->previousLink_ = child;
        }
    } else {
        child->nextSibling_ = next;
        child->previousLink_ = next->previousLink_;
        if (next == first) {
            self->firstChild_ = child;
        } else {
            next->previousLink_->nextSibling_ = child;
        }
        next->previousLink_ = child;
    }
    child->parentNode_ = this;
    if (TdomDocument* document = owner()) document->treeChanged();
}

void TdomNode::unlinkChild(TdomNode* child) noexcept {
    auto* self = static_cast<TdomParentNode*>(this);
    TdomNode* first = self->firstChild_;
    TdomNode* next = child->nextSibling_;
    if (child == first) {
        self->firstChild_ = next;
    } else {
        child->previousLink_->nextSibling_ = next;
    }
    if (next != nullptr) {
        next->previousLink_ = child->previousLink_;
    } else if (child != first) {
        first->previousLink_ = child->previousLink_;
    }
    child->parentNode_ = nullptr;
    child->nextSibling_ = nullptr;
    child->previousLink_ = nullptr;
    if (TdomDocument* document = owner()) document->treeChanged();
}

TdomNode* TdomNode::insertBefore(TdomNode* newChild, TdomNode* refChild) {
    checkInsertable(this, newChild, refChild);
    if (refChild != nullptr && refChild->parentNode_ != this) throw ENot_Found_Err();
    if (newChild->nodeType() == DOCUMENT_FRAGMENT_NODE) {
        while (TdomNode* child = newChild->firstChild()) insertBefore(child, refChild);
        return newChild;
    }
    if (newChild->parentNode_ != nullptr) newChild->parentNode_->removeChild(newChild);
    linkChild(newChild, refChild);
    return newChild;
}

TdomNode* TdomNode::appendChild(TdomNode* newChild) {
    checkInsertable(this, newChild, nullptr);
    if (newChild->nodeType() == DOCUMENT_FRAGMENT_NODE) {
        while (TdomNode* child = newChild->firstChild()) appendChild(child);
        return newChild;
    }
    if (newChild->parentNode_ != nullptr) newChild->parentNode_->removeChild(newChild);
    linkChild(newChild, nullptr);
    return newChild;
}

TdomNode* TdomNode::removeChild(TdomNode* oldChild) {
    if (oldChild == nullptr) throw ENot_Supported_Err();
    checkModifiable();
    if (oldChild->parentNode_ != this) throw ENot_Found_Err();
    if (TdomDocument* document = owner()) document->notifyNodeRemoval(oldChild);
    unlinkChild(oldChild);
    return oldChild;
}

TdomNode* TdomNode::replaceChild(TdomNode* newChild, TdomNode* oldChild) {
    if (newChild == nullptr || oldChild == nullptr) throw ENot_Supported_Err();
    checkInsertable(this, newChild, nullptr);
    if (oldChild->parentNode_ != this) throw ENot_Found_Err();
    if (newChild == oldChild) return oldChild;
    if (newChild->parentNode_ != nullptr) newChild->parentNode_->removeChild(newChild);
    TdomNode* next = oldChild->nextSibling();
    removeChild(oldChild);
    if (next != nullptr) {
        insertBefore(newChild, next);
    } else {
        appendChild(newChild);
    }
    return oldChild;
}

void TdomNode::freeChildren() {
    while (TdomNode* child = firstChild()) {
        child->setReadonly(false);
        removeChild(child);
        owner()->freeAllNodes(child);
    }
}

void TdomNode::clear() {
    checkModifiable();
    freeChildren();
}

TdomNode* TdomNode::cloneNode(bool deep) {
    return owner()->importNode(this, deep);
}

namespace {

// The run's merge one node at a time, from its last node backwards.
void mergeRunStepwise(TdomNode* parent, const std::vector<TdomCharacterData*>& run) {
    for (std::size_t i = 1; i < run.size(); ++i) {
        run[i]->appendData(DOMString(run[i - 1]->data()));
        TdomNode* gone = run[i - 1];
        parent->removeChild(gone);
        parent->ownerDocument()->freeAllNodes(gone);
    }
}

// True when `parent` holds two adjacent text nodes, one of which a merge removes.
bool hasTextRun(const TdomNode* parent) {
    for (TdomNode* child = parent->firstChild(); child != nullptr; child = child->nextSibling()) {
        TdomNode* next = child->nextSibling();
        if (child->nodeType() == TEXT_NODE && next != nullptr && next->nodeType() == TEXT_NODE)
            return true;
    }
    return false;
}

bool mergesTextRuns(const TdomNode* node) {
    return node->nodeType() == ELEMENT_NODE || node->nodeType() == ATTRIBUTE_NODE;
}

// Merges each run of adjacent text nodes among `parent`'s children into its first node,
// walking from the last child to the first (CDATA sections are not merged). Each run gets
// its whole text at once rather than copying the growing text once per node, and the
// others leave in the same order (last first). A run in which some node but the last is
// read-only goes step by step: each node appends the text after it, and the merge stops
// at the first node that refuses, leaving whole steps only.
void mergeTextRuns(TdomNode* parent) {
    std::vector<TdomCharacterData*> run;  // from the last node of the run to the first
    for (TdomNode* child = parent->lastChild(); child != nullptr;) {
        if (child->nodeType() != TEXT_NODE) {
            child = child->previousSibling();
            continue;
        }
        run.clear();
        bool refused = false;
        for (; child != nullptr && child->nodeType() == TEXT_NODE;
             child = child->previousSibling()) {
            if (!run.empty() && child->isReadonly()) refused = true;
            run.push_back(static_cast<TdomCharacterData*>(child));
        }
        if (run.size() < 2) continue;
        if (refused) {
            mergeRunStepwise(parent, run);
            continue;
        }
        std::size_t length = 0;
        for (std::size_t i = 0; i + 1 < run.size(); ++i) length += run[i]->data().size();
        DOMString rest;
        rest.reserve(length);
        for (std::size_t i = run.size() - 1; i-- > 0;) rest += run[i]->data();
        run.back()->appendData(rest);
        for (std::size_t i = 0; i + 1 < run.size(); ++i) {
            TdomNode* gone = run[i];
            parent->removeChild(gone);
            parent->ownerDocument()->freeAllNodes(gone);
        }
    }
}

// Calls `visit` on `root` and every descendant and, for elements, on their attributes and
// everything below those, in no particular order. `visit` may change the children of the
// node it is given but nothing else.
template <class Visit>
void forEachNodeAndAttribute(TdomNode* root, Visit visit) {
    std::vector<TdomNode*> pending{root};
    while (!pending.empty()) {
        TdomNode* node = pending.back();
        pending.pop_back();
        visit(node);
        for (TdomNode* child = node->lastChild(); child != nullptr;
             child = child->previousSibling())
            pending.push_back(child);
        if (node->nodeType() == ELEMENT_NODE) {
            const TdomNodeArray& attrs = static_cast<TdomElement*>(node)->attributeArray();
            for (int i = attrs.count() - 1; i >= 0; --i) pending.push_back(attrs.at(i));
        }
    }
}

// The entity references named `name` below `root`, not counting those inside another one.
std::vector<TdomEntityReference*> outerReferencesTo(TdomNode* root, const DOMString& name) {
    std::vector<TdomEntityReference*> found;
    for (TdomNode* n = root->firstChild(); n != nullptr;) {
        bool match = n->nodeType() == ENTITY_REFERENCE_NODE && n->nodeName() == name;
        if (match) found.push_back(static_cast<TdomEntityReference*>(n));
        n = nextInSubtree(root, n, !match);
    }
    return found;
}

}  // namespace

// Every removal the merges need is checked before the first text changes: a read-only
// parent would otherwise refuse the removal after its text had been appended, leaving the
// text twice.
void TdomNode::normalize() {
    forEachNodeAndAttribute(this, [](TdomNode* node) {
        if (mergesTextRuns(node) && node->isReadonly() && hasTextRun(node))
            throw ENo_Modification_Allowed_Err();
    });
    forEachNodeAndAttribute(this, [](TdomNode* node) {
        if (mergesTextRuns(node)) mergeTextRuns(node);
    });
}

bool TdomNode::isSupported(const DOMString& feature, const DOMString& version) const {
    return sameText(feature, u"XML") && (version == u"1.0" || version == u"2.0" || version.empty());
}

bool TdomNode::hasEntityReference(const DOMString& name) {
    return !outerReferencesTo(this, name).empty();
}

void TdomNode::refreshEntityReferences(const DOMString& name) {
    for (TdomEntityReference* ref : outerReferencesTo(this, name)) {
        owner()->expandEntityReference(ref);
    }
}

void TdomNode::clearEntityReferences(const DOMString& name) {
    for (TdomEntityReference* ref : outerReferencesTo(this, name)) ref->freeChildren();
}

namespace {

// True when some entity reference below `root` has a declaration that `test` accepts.
template <class Test>
bool anyReferencedDeclaration(TdomNode* root, Test test) {
    for (TdomNode* n = root->firstChild(); n != nullptr; n = nextInSubtree(root, n)) {
        if (n->nodeType() != ENTITY_REFERENCE_NODE) continue;
        TdomCMEntity* decl = static_cast<TdomEntityReference*>(n)->entityDeclaration();
        if (decl != nullptr && test(*decl)) return true;
    }
    return false;
}

}  // namespace

bool TdomNode::refersToExternalEntity() {
    return anyReferencedDeclaration(
        this, [](const TdomCMEntity& e) { return !e.publicId.empty() || !e.systemId.empty(); });
}

bool TdomNode::refersToUnparsedEntity() {
    return anyReferencedDeclaration(this,
                                    [](const TdomCMEntity& e) { return !e.notationName.empty(); });
}

void TdomNode::resolveEntityReferences(TdomEntityResolveOption mode) {
    std::vector<TdomEntityReference*> refs;
    for (TdomNode* n = firstChild(); n != nullptr;) {
        bool isRef = n->nodeType() == ENTITY_REFERENCE_NODE;
        if (isRef) refs.push_back(static_cast<TdomEntityReference*>(n));
        n = nextInSubtree(this, n, !isRef);
    }
    for (TdomEntityReference* ref : refs) {
        ref->expand();
        if (mode != TdomEntityResolveOption::erReplace) continue;
        // Replace the reference by writable copies of its content.
        TdomNode* parent = ref->parentNode();
        if (parent == nullptr) continue;
        for (TdomNode* child = ref->firstChild(); child != nullptr; child = child->nextSibling())
            parent->insertBefore(child->cloneNode(true), ref);
        parent->removeChild(ref);
        TdomNode* gone = ref;
        owner()->freeAllNodes(gone);
    }
}

}  // namespace wispel
