#include "DomTestSupport.h"

namespace wispel {
namespace {

std::string attributeOrder(const TdomElement* e) {
    std::string out;
    for (int i = 0; i < e->attributes()->length(); ++i) {
        if (i > 0) out += ",";
        out += toUtf8(e->attributes()->item(i)->nodeName());
    }
    return out;
}

TEST_F(DomTest, SetAttributeReplacesInPlaceOrAddsAtTheEnd) {
    TdomAttr* a = root->setAttribute(u"a", u"1");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->specified());
    EXPECT_NE(root->setAttribute(u"b", u"2"), nullptr);
    EXPECT_EQ(root->setAttribute(u"a", u"3"), nullptr);
    EXPECT_EQ(attributeOrder(root), "a,b");
    EXPECT_EQ(root->getAttribute(u"a"), u"3");
    EXPECT_EQ(root->getAttribute(u"none"), u"");
    EXPECT_TRUE(root->hasAttribute(u"b"));
    EXPECT_ERROR(root->removeAttribute(u"none"), ENot_Found_Err, "Node not found error.");
    EXPECT_EQ(root->removeAttribute(u"a"), a);
    EXPECT_EQ(a->ownerElement(), nullptr);
    EXPECT_EQ(attributeOrder(root), "b");
}

TEST_F(DomTest, SetAttributeNodeMovesAReplacementToTheEnd) {
    root->setAttribute(u"a", u"1");
    root->setAttribute(u"b", u"2");
    TdomAttr* old = root->getAttributeNode(u"a");
    TdomAttr* fresh = doc->createAttribute(u"a");
    fresh->value(u"new");
    EXPECT_EQ(root->setAttributeNode(fresh), old);
    EXPECT_EQ(attributeOrder(root), "b,a");
    EXPECT_EQ(root->getAttribute(u"a"), u"new");
    EXPECT_EQ(old->ownerElement(), nullptr);
    EXPECT_EQ(root->setAttributeNode(fresh), nullptr);  // already ours: nothing changes
    EXPECT_EQ(attributeOrder(root), "b,a");
}

TEST_F(DomTest, AnAttributeBelongsToOneElement) {
    TdomElement* other = element(u"other");
    TdomAttr* shared = doc->createAttribute(u"s");
    root->setAttributeNode(shared);
    other->setAttribute(u"s", u"mine");
    // The other element's own "s" is removed first; that removal stays done.
    EXPECT_ERROR(other->setAttributeNode(shared), EInuse_Attribute_Err, "Inuse attribute error.");
    EXPECT_FALSE(other->hasAttribute(u"s"));
    EXPECT_EQ(shared->ownerElement(), root);
    TdomDocument* second = impl.createDocument(u"r", nullptr);
    EXPECT_ERROR(root->setAttributeNode(second->createAttribute(u"x")), EWrong_Document_Err,
                 "Wrong document error.");
    EXPECT_ERROR(root->removeAttributeNode(doc->createAttribute(u"x")), ENot_Found_Err,
                 "Node not found error.");
}

TEST_F(DomTest, AttributeValuesFromChildren) {
    TdomAttr* a = doc->createAttribute(u"a");
    a->appendChild(text(u"x"));
    for (const char16_t* name : {u"lt", u"gt", u"amp", u"apos", u"quot"})
        a->appendChild(doc->createEntityReference(name));
    EXPECT_EQ(a->value(), u"x&#60;>&#38;'\"");
    EXPECT_EQ(a->nodeValue(), a->value());
    EXPECT_EQ(a->valueMarkup(), u"x&lt;&gt;&amp;&apos;&quot;");
    a->appendChild(doc->createEntityReference(u"custom"));
    EXPECT_ERROR(a->value(), EInvalid_Entity_Reference_Err, "Invalid entity reference error.");
    a->value(u"plain");
    EXPECT_EQ(childNames(a), "plain");
    a->nodeValue(u"again");
    EXPECT_EQ(a->value(), u"again");
}

TEST_F(DomTest, NamespaceAttributeOperations) {
    TdomElement* e = element(u"e");
    e->attributes()->namespaceAware(true);
    EXPECT_ERROR(e->setAttribute(u"a", u"1"), ENamespace_Err, "Namespace error.");
    EXPECT_ERROR(e->getAttribute(u"a"), ENamespace_Err, "Namespace error.");
    TdomAttr* a = e->setAttributeNS(u"urn:x", u"p:a", u"1");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(e->setAttributeNS(u"urn:x", u"q:a", u"2"), nullptr);
    EXPECT_EQ(a->nodeName(), u"q:a");
    EXPECT_EQ(e->getAttributeNS(u"urn:x", u"a"), u"2");
    EXPECT_TRUE(e->hasAttributeNS(u"urn:x", u"a"));
    EXPECT_FALSE(e->hasAttributeNS(u"urn:y", u"a"));
    TdomAttr* b = doc->createAttributeNS(u"urn:x", u"r:a");
    EXPECT_EQ(e->setAttributeNodeNS(b), a);
    EXPECT_ERROR(e->removeAttributeNS(u"urn:y", u"a"), ENot_Found_Err, "Node not found error.");
    EXPECT_EQ(e->removeAttributeNS(u"urn:x", u"a"), b);
    // The flag can only change while the map is empty.
    e->setAttributeNS(u"urn:x", u"p:c", u"3");
    EXPECT_ERROR(e->attributes()->namespaceAware(false), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    EXPECT_ERROR(root->getAttributeNS(u"urn:x", u"a"), ENamespace_Err, "Namespace error.");
    EXPECT_ERROR(root->setAttributeNodeNS(doc->createAttributeNS(u"urn:x", u"p:z")), ENamespace_Err,
                 "Namespace error.");
}

TEST_F(DomTest, NamedNodeMapChecks) {
    TdomNamedNodeMap* map = root->attributes();
    EXPECT_ERROR(map->setNamedItem(text(u"t")), EHierarchy_Request_Err, "Hierarchy request error.");
    TdomDocument* second = impl.createDocument(u"r", nullptr);
    EXPECT_ERROR(map->setNamedItem(second->createAttribute(u"x")), EWrong_Document_Err,
                 "Wrong document error.");
    EXPECT_ERROR(map->removeNamedItem(u"x"), ENot_Found_Err, "Node not found error.");
    EXPECT_ERROR(map->getNamedItemNS(u"", u"x"), ENamespace_Err, "Namespace error.");
    TdomNode* x = doc->createAttribute(u"x");
    EXPECT_EQ(map->setNamedItem(x), nullptr);
    EXPECT_EQ(map->getNamedItem(u"x"), x);
    EXPECT_EQ(map->indexOf(x), 0);
    EXPECT_EQ(map->indexOfName(u"none"), -1);
    EXPECT_EQ(map->item(1), nullptr);
    EXPECT_EQ(map->removeNamedItem(u"x"), x);
    EXPECT_EQ(static_cast<TdomAttr*>(x)->ownerElement(), nullptr);
    map->readonlyMap(true);
    EXPECT_ERROR(map->setNamedItem(x), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    // A notation map accepts notations only.
    TdomDocumentType* type = doc->createDocumentType(u"root", u"", u"", u"");
    EXPECT_ERROR(type->notations()->setNamedItem(doc->createEntity(u"e", u"", u"", u"")),
                 EHierarchy_Request_Err, "Hierarchy request error.");
    TdomNotation* n = doc->createNotation(u"n", u"p", u"s");
    type->notations()->setNamedItem(n);
    EXPECT_EQ(type->notations()->getNamedItem(u"n"), n);
    EXPECT_ERROR(type->notations()->setNamedItem(root), EHierarchy_Request_Err,
                 "Hierarchy request error.");
}

// Name lookups in a map with many entries must give what a scan of the list in order
// gives, through additions, replacements, removals and a prefix change of an entry.
TEST_F(DomTest, LookupsInALargeMapMatchAScan) {
    TdomElement* e = element(u"e");
    TdomNamedNodeMap* map = e->attributes();
    auto name = [](int i) { return u"a" + fromUtf8(std::to_string(i)); };
    auto scan = [map](const DOMString& wanted) -> TdomNode* {
        for (int i = 0; i < map->length(); ++i) {
            if (map->item(i)->nodeName() == wanted) return map->item(i);
        }
        return nullptr;
    };
    auto expectScanResults = [&](const char* step) {
        SCOPED_TRACE(step);
        for (int i = 0; i < 45; ++i) ASSERT_EQ(map->getNamedItem(name(i)), scan(name(i))) << i;
        for (const char16_t* other : {u"p:a", u"q:a"})
            ASSERT_EQ(map->getNamedItem(other), scan(other)) << toUtf8(other);
    };
    for (int i = 0; i < 40; ++i) e->setAttribute(name(i), u"v");
    expectScanResults("added");
    TdomAttr* replacement = doc->createAttribute(name(3));
    TdomAttr* old = e->setAttributeNode(replacement);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(map->item(39), replacement);
    expectScanResults("replaced");
    for (int i = 10; i < 20; ++i) e->removeAttribute(name(i));
    e->removeAttributeNode(static_cast<TdomAttr*>(map->item(0)));
    expectScanResults("removed");
    TdomAttr* prefixed = doc->createAttributeNS(u"urn:x", u"p:a");
    e->setAttributeNode(prefixed);
    expectScanResults("prefixed added");
    prefixed->prefix(u"q");
    expectScanResults("prefix changed");
    EXPECT_EQ(e->getAttributeNode(u"q:a"), prefixed);
    TdomNode* gone = e->removeAttributeNode(prefixed);
    doc->freeAllNodes(gone);
    expectScanResults("prefixed removed");
}

TEST_F(DomTest, ElementListsWalkDescendantsInDocumentOrder) {
    TdomElement* a = element(u"item");
    TdomElement* b = element(u"other");
    TdomElement* c = element(u"item");
    TdomElement* d = element(u"item");
    root->appendChild(a);
    a->appendChild(b);
    b->appendChild(c);
    root->appendChild(text(u"t"));
    root->appendChild(d);
    TdomNodeList* items = root->getElementsByTagName(u"item");
    EXPECT_EQ(items, root->getElementsByTagName(u"item"));
    EXPECT_EQ(items->length(), 3);
    EXPECT_EQ(items->item(0), a);
    EXPECT_EQ(items->item(1), c);
    EXPECT_EQ(items->item(2), d);
    EXPECT_EQ(items->item(3), nullptr);
    EXPECT_EQ(items->item(-1), nullptr);
    EXPECT_EQ(items->indexOf(d), 2);
    EXPECT_EQ(items->indexOf(b), -1);
    EXPECT_EQ(items->indexOf(nullptr), -1);
    EXPECT_EQ(b->getElementsByTagName(u"item")->length(), 1);  // only inside b
    EXPECT_EQ(doc->getElementsByTagName(u"*")->length(), 5);   // root included
    // Live: no cached results.
    root->removeChild(a);
    EXPECT_EQ(items->length(), 1);
    TdomNodeList* none = d->getElementsByTagName(u"*");
    EXPECT_EQ(none->length(), 0);
    EXPECT_EQ(none->item(0), nullptr);
}

TEST_F(DomTest, NamespaceElementLists) {
    TdomElement* a = doc->createElementNS(u"urn:x", u"p:item");
    TdomElement* b = doc->createElementNS(u"urn:y", u"q:item");
    TdomElement* c = doc->createElementNS(u"urn:x", u"p:other");
    root->appendChild(a);
    root->appendChild(b);
    root->appendChild(c);
    EXPECT_EQ(root->getElementsByTagNameNS(u"urn:x", u"item")->length(), 1);
    EXPECT_EQ(root->getElementsByTagNameNS(u"*", u"item")->length(), 2);
    EXPECT_EQ(root->getElementsByTagNameNS(u"urn:x", u"*")->item(1), c);
    // The plain root element has no namespace and no local name; "*" matches it too.
    EXPECT_EQ(doc->getElementsByTagNameNS(u"*", u"*")->length(), 4);
}

TEST_F(DomTest, EntityMapRefreshesReferencesBetweenEntities) {
    TdomDocumentType* type = doc->createDocumentType(u"root", u"", u"", u"");
    doc->insertBefore(type, root);
    TdomEntitiesNamedNodeMap* entities = type->entities();
    // "b" refers to "a" before "a" is declared.
    TdomEntity* b = doc->createEntity(u"b", u"", u"", u"");
    b->appendChild(text(u"b:"));
    b->appendChild(doc->createEntityReference(u"a"));
    entities->setNamedItem(b);
    EXPECT_FALSE(b->lastChild()->hasChildNodes());
    TdomEntity* a = doc->createEntity(u"a", u"", u"", u"");
    a->appendChild(text(u"A"));
    entities->setNamedItem(a);
    // Adding "a" filled the reference inside "b", read-only.
    TdomNode* ref = b->lastChild();
    ASSERT_TRUE(ref->hasChildNodes());
    EXPECT_EQ(ref->firstChild()->nodeValue(), u"A");
    EXPECT_TRUE(ref->firstChild()->isReadonly());
    // Removing "a" empties the references to it.
    entities->removeNamedItem(u"a");
    EXPECT_FALSE(ref->hasChildNodes());
}

TEST_F(DomTest, EntityMapRefusesAnEntityThatRefersToItself) {
    TdomDocumentType* type = doc->createDocumentType(u"root", u"", u"", u"");
    doc->insertBefore(type, root);
    TdomEntity* a = doc->createEntity(u"a", u"", u"", u"");
    a->appendChild(doc->createEntityReference(u"b"));
    type->entities()->setNamedItem(a);
    TdomEntity* b = doc->createEntity(u"b", u"", u"", u"");
    b->appendChild(doc->createEntityReference(u"a"));
    EXPECT_ERROR(type->entities()->setNamedItem(b), EParserInvalidEntityDeclaration_Err,
                 "Invalid entity declaration error.");
    EXPECT_EQ(type->entities()->getNamedItem(u"b"), nullptr);
    EXPECT_FALSE(b->hasChildNodes());
    EXPECT_EQ(type->entities()->length(), 1);
}

}  // namespace
}  // namespace wispel
