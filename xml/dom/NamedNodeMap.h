#pragma once
// Named node maps: a node list over an array shared with the owner node (an element's
// attributes, a document type's entities or notations), keyed by node name or, when the
// map is namespace-aware, by namespace URI and local name.
//
// The map does not own its nodes (their document does); its owner node owns the map and
// the array.

#include <memory>
#include <unordered_map>
#include <vector>

#include "xml/dom/NodeList.h"
#include "xml/dom/NodeType.h"

namespace wispel {

class TdomDocument;
class TdomNode;
class TdomEntity;

class TdomNamedNodeMap : public TdomNodeList {
public:
    TdomNamedNodeMap(TdomDocument* ownerDocument, TdomNode* ownerNode, TdomNodeArray* array,
                     TdomTypeSet allowedTypes);
    ~TdomNamedNodeMap() override;

    virtual TdomNode* ownerNode() const;
    virtual bool namespaceAware() const;
    // ENo_Modification_Allowed_Err unless the map is empty.
    virtual void namespaceAware(bool value);
    // Index of the first entry of that name, -1 when none.
    virtual int indexOfName(const DOMString& name) const;
    // Takes the given node out of the map; its parent becomes null.
    virtual TdomNode* removeItem(TdomNode* node);
    virtual void readonlyMap(bool value);
    virtual TdomNode* getNamedItem(const DOMString& name) const;
    // The replaced entry of the same name, or null.
    virtual TdomNode* setNamedItem(TdomNode* node);
    virtual TdomNode* removeNamedItem(const DOMString& name);
    virtual TdomNode* getNamedItemNS(const DOMString& namespaceURI,
                                     const DOMString& localName) const;
    virtual TdomNode* setNamedItemNS(TdomNode* node);
    virtual TdomNode* removeNamedItemNS(const DOMString& namespaceURI, const DOMString& localName);

    // To be called when the node name of an entry changes (a new prefix).
    void entryRenamed() noexcept { nameIndex_.reset(); }

    bool readonlyMap() const noexcept { return readonlyMap_; }
    TdomTypeSet allowedTypes() const noexcept { return allowedTypes_; }
    TdomDocument* ownerDocument() const noexcept { return ownerDocument_; }

protected:
    int indexOfNameNS(const DOMString& namespaceURI, const DOMString& localName) const;
    // The checks setNamedItem and setNamedItemNS share (all but the namespace check).
    void checkSettable(TdomNode* node) const;
    // Appends the node as the last entry; an attribute takes the owner element as its own.
    void addEntry(TdomNode* node);
    TdomNode* removeEntryAt(int index);

    TdomNodeArray* entries_;  // not owned; shared with the owner node

private:
    friend class TdomDocumentType;

    // Each name with its entries in map order. A parsed element may carry a great many
    // attributes; a scan per lookup would make building it cost the square of their count.
    using TNameIndex = std::unordered_map<DOMString, std::vector<TdomNode*>>;
    const TNameIndex& nameIndex() const;
    void forgetName(TdomNode* node);
    // Made on the first lookup in a map of some size; kept in step by the map's changes.
    mutable std::unique_ptr<TNameIndex> nameIndex_;

    TdomDocument* ownerDocument_;
    TdomNode* ownerNode_;
    bool namespaceAware_ = false;
    TdomTypeSet allowedTypes_;
    bool readonlyMap_ = false;
};

// A document type's entity map: keeps the entity references inside its entities in step
// with the entities it holds.
class TdomEntitiesNamedNodeMap : public TdomNamedNodeMap {
public:
    TdomEntitiesNamedNodeMap(TdomDocument* ownerDocument, TdomNode* ownerNode,
                             TdomNodeArray* array);

    // After adding an entity these refresh the references between it and the other
    // entities; an entity that then refers to itself is emptied, taken out again and
    // refused with EParserInvalidEntityDeclaration_Err.
    TdomNode* setNamedItem(TdomNode* node) override;
    TdomNode* setNamedItemNS(TdomNode* node) override;
    // After removing an entity the references to it inside the others are emptied.
    TdomNode* removeNamedItem(const DOMString& name) override;
    TdomNode* removeNamedItemNS(const DOMString& namespaceURI, const DOMString& localName) override;

    // Rebuilds the references between `entity` and the other entities of the map.
    virtual void updateEntityReferences(TdomEntity* entity);
    // Empties the references to `name` inside every entity of the map.
    virtual void clearReferencesTo(const DOMString& name);
};

}  // namespace wispel
