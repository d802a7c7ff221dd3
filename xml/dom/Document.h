#pragma once
// The document: the root of a tree, the factory and owner of every other node, and the
// keeper of the tree walkers, node iterators and element lists made for it.
//
// Ownership: the document owns every node its factories made (attached or not), every
// walker and iterator it created, and its element lists; all of them live until they are
// freed individually (freeAllNodes, freeTreeWalker, clearInvalidNodeIterators) or until
// the document is cleared or destroyed, which invalidates every reference held elsewhere.
// It refers to its content model and its implementation without owning them.

#include <cassert>
#include <cstdint>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "xml/dom/ElementListCache.h"
#include "xml/dom/NameTable.h"
#include "xml/dom/Node.h"
#include "xml/dom/NodePool.h"
#include "xml/dom/TextArena.h"
#include "xml/dom/traversal/NodeFilter.h"

namespace wispel {

class TDomImplementation;
class TdomAttr;
class TdomCDATASection;
class TdomCMObject;
class TdomComment;
class TdomDocumentFragment;
class TdomDocumentType;
class TdomElement;
class TdomEntity;
class TdomEntityReference;
class TdomNodeIterator;
class TdomNotation;
class TdomProcessingInstruction;
class TdomText;
class TdomTreeWalker;

class TdomDocument : public TdomParentNode {
public:
    explicit TdomDocument(TDomImplementation* implementation);
    ~TdomDocument() override;

    void nodeValue(const DOMString&) override {}
    using TdomNode::nodeValue;
    bool validateIdReferences(TdomCustomErrorHandler* handler) override;
    TdomNode* appendChild(TdomNode* newChild) override;
    // Drops the children and destroys every created node, node iterator, tree walker and
    // element list. Content model, XML declaration fields and system id stay.
    void clear() override;
    TdomNode* insertBefore(TdomNode* newChild, TdomNode* refChild) override;
    TdomNode* replaceChild(TdomNode* newChild, TdomNode* oldChild) override;
    void writeXml(TStream& stream) override;

    // Rebuilds an entity reference's (or entity's) children from the document type's entity
    // of its name, or the predefined character; then marks them read-only.
    virtual bool expandEntityReference(TdomNode* node);
    // Called by removeChild before `node` leaves its parent.
    virtual void notifyNodeRemoval(TdomNode* node);
    // The markup as UTF-8 bytes.
    virtual std::string xmlTextUtf8();
    // The markup as UTF-16, starting with the byte-order mark U+FEFF.
    virtual DOMString xmlTextUtf16();
    virtual TdomDocumentType* doctype() const;
    virtual TdomElement* documentElement() const;
    virtual TdomEntity* createEntity(const DOMString& name, const DOMString& publicId,
                                     const DOMString& systemId, const DOMString& notationName);
    virtual TdomNotation* createNotation(const DOMString& name, const DOMString& publicId,
                                         const DOMString& systemId);
    // A copy of `node` (of any document) owned by this one; no recursion along the depth.
    virtual TdomNode* duplicateNode(TdomNode* node, bool deep);
    virtual void initDoc(const DOMString& tagName);
    virtual void initDocNS(const DOMString& namespaceURI, const DOMString& qualifiedName);
    virtual void clearInvalidNodeIterators();
    virtual TdomElement* createElement(const DOMString& tagName);
    virtual TdomElement* createElementNS(const DOMString& namespaceURI,
                                         const DOMString& qualifiedName);
    virtual TdomDocumentFragment* createDocumentFragment();
    virtual TdomText* createTextNode(const DOMString& data);
    virtual TdomComment* createComment(const DOMString& data);
    virtual TdomCDATASection* createCDATASection(const DOMString& data);
    virtual TdomProcessingInstruction* createProcessingInstruction(const DOMString& target,
                                                                   const DOMString& data);
    virtual TdomAttr* createAttribute(const DOMString& name);
    virtual TdomAttr* createAttributeNS(const DOMString& namespaceURI,
                                        const DOMString& qualifiedName);
    virtual TdomEntityReference* createEntityReference(const DOMString& name);
    virtual TdomDocumentType* createDocumentType(const DOMString& name, const DOMString& publicId,
                                                 const DOMString& systemId,
                                                 const DOMString& internalSubset);
    // Frees a detached node with its subtree (and an element's attributes); sets the
    // caller's reference to null. A null node is ignored.
    virtual void freeAllNodes(TdomNode*& node);
    // Destroys a walker of this document; null is ignored; the reference is left as is.
    virtual void freeTreeWalker(TdomTreeWalker* walker);
    virtual void* defaultView() const;
    virtual TdomNodeList* getElementsByTagName(const DOMString& name);
    virtual TdomNodeList* getElementsByTagNameNS(const DOMString& namespaceURI,
                                                 const DOMString& localName);
    virtual TdomNode* importNode(TdomNode* node, bool deep);
    virtual TdomNodeIterator* createNodeIterator(TdomNode* root, TdomWhatToShow whatToShow,
                                                 TdomNodeFilter* filter,
                                                 bool entityReferenceExpansion);
    virtual TdomTreeWalker* createTreeWalker(TdomNode* root, TdomWhatToShow whatToShow,
                                             TdomNodeFilter* filter, bool entityReferenceExpansion);
    virtual TdomCMObject* detachContentModel();
    // Returns the content model attached before; EInuse_Content_Model_Err when `cm` is
    // attached to another document.
    virtual TdomCMObject* assignContentModel(TdomCMObject* cm);
    virtual bool validate(TdomCustomErrorHandler* handler);
    virtual void writeXmlUtf8(TStream& stream);
    virtual void writeXmlUtf16(TStream& stream);

    // Typed forms of freeAllNodes for references to a node class.
    template <class NodeClass>
    void freeAllNodes(NodeClass*& node) {
        TdomNode* n = node;
        freeAllNodes(n);
        node = nullptr;
    }

    TDomImplementation* implementation() const noexcept { return implementation_; }
    TdomCMObject* contentModel() const noexcept { return contentModel_; }
    const DOMString& encoding() const noexcept { return encoding_; }
    const DOMString& standalone() const noexcept { return standalone_; }
    const DOMString& version() const noexcept { return version_; }
    const DOMString& systemId() const noexcept { return systemId_; }
    // Set by the builder from the XML declaration and the input source.
    void setEncoding(const DOMString& value) { encoding_ = value; }
    void setStandalone(const DOMString& value) { standalone_ = value; }
    void setVersion(const DOMString& value) { version_ = value; }
    void setSystemId(const DOMString& value) { systemId_ = value; }
    // IDs met by validation (sorted, no duplicates).
    std::set<DOMString>& idList() noexcept { return idList_; }
    int createdNodeCount() const noexcept { return static_cast<int>(liveNodes_); }
    // Counts every change of a parent's children in the document's trees; views that
    // remember positions check it.
    std::uint64_t treeVersion() const noexcept { return treeVersion_; }
    // The storage of the document's character data.
    TdomTextArena& texts() noexcept { return texts_; }
    // Records a node that holds something on the heap, so that clearing the document runs
    // its destructor; the others go with the pool at once.
    void keepForDestruction(TdomNode* node);
    int treeWalkerCount() const noexcept { return static_cast<int>(treeWalkers_.size()); }
    int nodeIteratorCount() const noexcept { return static_cast<int>(nodeIterators_.size()); }

protected:
    TdomDocument* heapOwner() const noexcept override { return const_cast<TdomDocument*>(this); }

public:
    TdomArrayLink* arrayLink() noexcept override { return &arrayLink_; }

private:
    TdomArrayLink arrayLink_;

private:
    friend class TDomImplementation;

    // Takes a node made on the heap among the document's own.
    template <class NodeClass>
    NodeClass* adopt(std::unique_ptr<NodeClass> node) {
        keepForDestruction(node.get());
        ++liveNodes_;
        return node.release();
    }
    // Makes a node in the node pool; one that holds heap parts is recorded for its
    // destructor.
    template <class NodeClass, class... Args>
    NodeClass* make(Args&&... args) {
        static_assert(alignof(NodeClass) <= TdomNodePool::kGrain);
        void* block = nodePool_.allocate(sizeof(NodeClass));
        NodeClass* node = nullptr;
        try {
            node = new (block) NodeClass(std::forward<Args>(args)...);
        } catch (...) {
            nodePool_.release(block, sizeof(NodeClass));
            throw;
        }
        node->pooled_ = true;
        ++liveNodes_;
        assert(pooledBlockSize(node->nodeType()) == sizeof(NodeClass));
        if constexpr (NodeClass::kOwnsHeapParts) {
            try {
                keepForDestruction(node);
            } catch (...) {
                destroyNode(node);
                throw;
            }
        }
        return node;
    }
    // The size of the pool block of a node of `type`: the one class the factories make for
    // that type.
    static std::size_t pooledBlockSize(TdomNodeType type) noexcept;
    // Runs the node's destructor and gives its memory back to where it came from.
    void destroyNode(TdomNode* node) noexcept;
    void forgetDestruction(TdomNode* node) noexcept;
    void treeChanged() noexcept { ++treeVersion_; }
    TNamespaceParts& namespacePartsOf(TdomNode* node);
    const TNamespaceParts* findNamespaceParts(const TdomNode* node) const noexcept;
    TdomNodeList* childListOf(TdomNode* node);
    int indexOfChild(const TdomNode* child) const;
    void checkInsertion(TdomNode* newChild, TdomNode* refChild) const;
    void checkReplacement(TdomNode* newChild, TdomNode* oldChild) const;
    TdomNode* duplicateShallow(TdomNode* source);
    static bool copiesChildren(const TdomNode* node);
    void addDefaultAttributes(TdomElement* element);
    void writeMarkup(DOMString& out);

    TdomNameTable names_;          // the names of the nodes; kept until the document goes
    TdomNodePool nodePool_{this};  // declared before the nodes, which must go first
    TdomTextArena texts_;
    std::size_t liveNodes_ = 0;
    std::uint64_t treeVersion_ = 1;
    // The nodes whose destructor must run (see keepForDestruction); each knows its place.
    std::vector<TdomNode*> needsDestruction_;
    std::unordered_map<const TdomNode*, std::unique_ptr<TNamespaceParts>> namespaceParts_;
    std::unordered_map<const TdomNode*, std::unique_ptr<TdomChildNodeList>> listViews_;
    std::unique_ptr<TdomChildNodeList> ownListView_;
    std::vector<std::unique_ptr<TdomNodeIterator>> nodeIterators_;
    std::vector<std::unique_ptr<TdomTreeWalker>> treeWalkers_;
    TdomElementListCache lists_;
    std::set<DOMString> idList_;
    TdomCMObject* contentModel_ = nullptr;  // not owned
    DOMString systemId_;
    TDomImplementation* implementation_;  // not owned
    DOMString encoding_;
    DOMString standalone_;
    DOMString version_;

    friend class TdomCMObject;
    friend class TdomNode;  // its names and the tables of its nodes' rare parts
};

}  // namespace wispel
