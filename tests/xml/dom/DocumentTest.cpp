#include "DomTestSupport.h"
#include "core/MemoryStream.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/dom/traversal/TreeWalker.h"

namespace wispel {
namespace {

TEST_F(DomTest, CreatedDocumentAndItsClear) {
    TdomDocument* item = impl.createDocument(u"item", nullptr);
    ASSERT_NE(item->documentElement(), nullptr);
    EXPECT_EQ(item->documentElement()->nodeName(), u"item");
    EXPECT_EQ(item->doctype(), nullptr);
    EXPECT_EQ(item->implementation(), &impl);
    item->clear();
    EXPECT_EQ(item->documentElement(), nullptr);
    EXPECT_FALSE(item->hasChildNodes());
    EXPECT_EQ(item->createdNodeCount(), 0);
    EXPECT_EQ(item->nodeName(), u"#document");
    item->nodeValue(u"ignored");
    EXPECT_EQ(item->nodeValue(), u"");
}

TEST_F(DomTest, DocumentChildRulesOnAppend) {
    EXPECT_ERROR(doc->appendChild(element(u"second")), EHierarchy_Request_Err,
                 "Hierarchy request error.");
    EXPECT_ERROR(doc->appendChild(doc->createDocumentType(u"root", u"", u"", u"")),
                 EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_ERROR(doc->appendChild(text(u"t")), EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_ERROR(doc->appendChild(nullptr), ENot_Supported_Err, "Not supported error.");
    doc->appendChild(doc->createComment(u"after"));
    doc->insertBefore(doc->createProcessingInstruction(u"pi", u"d"), root);
    EXPECT_EQ(childNames(doc), "pi,root,#comment");
    // A fragment's children each pass the document's rules.
    TdomDocumentFragment* frag = doc->createDocumentFragment();
    frag->appendChild(doc->createComment(u"ok"));
    frag->appendChild(element(u"extra"));
    EXPECT_ERROR(doc->appendChild(frag), EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_EQ(childNames(doc), "pi,root,#comment,#comment");
}

TEST_F(DomTest, DocumentTypeAndElementOrder) {
    TdomDocument* d = impl.createDocument(u"x", nullptr);
    d->clear();
    TdomDocumentType* type = d->createDocumentType(u"feed", u"", u"", u"");
    d->appendChild(type);
    EXPECT_ERROR(d->insertBefore(d->createElement(u"rss"), nullptr), EInvalid_Character_Err,
                 "Invalid character error.");
    EXPECT_ERROR(d->insertBefore(d->createElement(u"feed"), type), EHierarchy_Request_Err,
                 "Hierarchy request error.");
    TdomElement* feed = d->createElement(u"feed");
    d->insertBefore(feed, nullptr);
    EXPECT_EQ(d->documentElement(), feed);
    EXPECT_EQ(d->doctype(), type);
    // A second document type, or one after the element, is refused.
    EXPECT_ERROR(d->insertBefore(d->createDocumentType(u"feed", u"", u"", u""), nullptr),
                 EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_ERROR(d->insertBefore(d->createDocumentType(u"other", u"", u"", u""), feed),
                 EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(d->insertBefore(d->createDocumentType(u"feed", u"", u"", u""), feed),
                 EHierarchy_Request_Err, "Hierarchy request error.");
    // Replacement: an element only for the document element, with the type's name.
    EXPECT_ERROR(d->replaceChild(d->createElement(u"other"), feed), EInvalid_Character_Err,
                 "Invalid character error.");
    EXPECT_ERROR(d->replaceChild(d->createElement(u"feed"), type), EHierarchy_Request_Err,
                 "Hierarchy request error.");
    TdomElement* feed2 = d->createElement(u"feed");
    EXPECT_EQ(d->replaceChild(feed2, feed), feed);
    EXPECT_EQ(d->documentElement(), feed2);
    EXPECT_ERROR(d->replaceChild(d->createDocumentType(u"x", u"", u"", u""), type),
                 EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(d->replaceChild(d->createAttribute(u"a"), type), EHierarchy_Request_Err,
                 "Hierarchy request error.");
    EXPECT_ERROR(d->replaceChild(nullptr, type), ENot_Supported_Err, "Not supported error.");
}

TEST_F(DomTest, FreeAllNodesRefusesNodesInUse) {
    TdomElement* e = element(u"e");
    root->appendChild(e);
    e->appendChild(text(u"t"));
    e->setAttribute(u"a", u"1");
    int created = doc->createdNodeCount();
    TdomNode* ref = e;
    EXPECT_ERROR(doc->freeAllNodes(ref), EInuse_Node_Err, "Inuse node error.");
    EXPECT_EQ(doc->createdNodeCount(), created);
    TdomNode* attr = e->getAttributeNode(u"a");
    EXPECT_ERROR(doc->freeAllNodes(attr), EInuse_Attribute_Err, "Inuse attribute error.");
    TdomNode* self = doc;
    EXPECT_ERROR(doc->freeAllNodes(self), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    TdomDocument* other = impl.createDocument(u"o", nullptr);
    TdomNode* foreign = other->createElement(u"f");
    EXPECT_ERROR(doc->freeAllNodes(foreign), EWrong_Document_Err, "Wrong document error.");
    root->removeChild(e);
    doc->freeAllNodes(ref);
    EXPECT_EQ(ref, nullptr);
    // The element, its text, its attribute and the attribute's text are gone.
    EXPECT_EQ(doc->createdNodeCount(), created - 4);
    TdomNode* none = nullptr;
    EXPECT_NO_THROW(doc->freeAllNodes(none));
    // An entity still held by a document type's map is in use as well.
    TdomDocumentType* type = doc->createDocumentType(u"root", u"", u"", u"");
    TdomNode* entity = doc->createEntity(u"e", u"", u"", u"");
    type->entities()->setNamedItem(entity);
    EXPECT_ERROR(doc->freeAllNodes(entity), EInuse_Node_Err, "Inuse node error.");
    type->entities()->removeNamedItem(u"e");
    doc->freeAllNodes(entity);
    TdomNode* typeNode = type;
    doc->freeAllNodes(typeNode);
    // Read-only descendants are freed too.
    TdomElement* ro = element(u"ro");
    ro->appendChild(element(u"inner"))->appendChild(text(u"x"));
    ro->makeChildrenReadonly();
    doc->freeAllNodes(ro);
    EXPECT_EQ(ro, nullptr);
    EXPECT_EQ(doc->createdNodeCount(), created - 4);
}

TEST_F(DomTest, ClearOnANodeFreesItsChildren) {
    TdomElement* e = element(u"e");
    e->appendChild(text(u"a"));
    e->appendChild(element(u"b"))->appendChild(text(u"c"));
    int created = doc->createdNodeCount();
    e->clear();
    EXPECT_FALSE(e->hasChildNodes());
    EXPECT_EQ(doc->createdNodeCount(), created - 3);
}

TEST_F(DomTest, ImportAndCloneCopyNodes) {
    TdomDocument* other = impl.createDocument(u"o", nullptr);
    TdomNotation* notation = other->createNotation(u"gif", u"pub", u"sys");
    auto* copy = static_cast<TdomNotation*>(doc->importNode(notation, false));
    EXPECT_EQ(copy->ownerDocument(), doc);
    EXPECT_EQ(copy->nodeName(), u"gif");
    EXPECT_EQ(copy->publicId(), u"pub");
    EXPECT_EQ(copy->systemId(), u"sys");

    TdomElement* source = other->createElement(u"item");
    source->setAttribute(u"a", u"1");
    TdomAttr* defaulted = other->createAttribute(u"d");
    defaulted->setSpecified(false);
    source->setAttributeNode(defaulted);
    source->appendChild(other->createTextNode(u"t"));
    source->appendChild(other->createElement(u"child"))->appendChild(other->createComment(u"c"));
    auto* shallow = static_cast<TdomElement*>(doc->importNode(source, false));
    EXPECT_FALSE(shallow->hasChildNodes());
    EXPECT_EQ(shallow->getAttribute(u"a"), u"1");
    EXPECT_FALSE(shallow->hasAttribute(u"d"));  // only specified attributes are copied
    auto* deep = static_cast<TdomElement*>(doc->importNode(source, true));
    EXPECT_EQ(childNames(deep), "t,child");
    EXPECT_EQ(childNames(deep->lastChild()), "#comment");
    EXPECT_EQ(deep->parentNode(), nullptr);

    EXPECT_ERROR(doc->importNode(other, true), ENot_Supported_Err, "Not supported error.");
    EXPECT_ERROR(doc->importNode(other->createDocumentType(u"o", u"", u"", u""), false),
                 ENot_Supported_Err, "Not supported error.");
    // An attribute brings its children even for a shallow copy; entity references are
    // rebuilt from the importing document.
    TdomAttr* attr = other->createAttribute(u"at");
    attr->appendChild(other->createTextNode(u"x"));
    attr->appendChild(other->createEntityReference(u"lt"));
    auto* attrCopy = static_cast<TdomAttr*>(doc->importNode(attr, false));
    EXPECT_EQ(childNames(attrCopy), "x,lt");
    EXPECT_EQ(childNames(attrCopy->lastChild()), "<");
    EXPECT_EQ(attrCopy->ownerElement(), nullptr);
    // cloneNode stays in the node's own document.
    TdomNode* clone = deep->cloneNode(true);
    EXPECT_EQ(clone->ownerDocument(), doc);
    EXPECT_EQ(childNames(clone), "t,child");
}

TEST_F(DomTest, ExpandEntityReferenceFromTheDocumentType) {
    TdomDocumentType* type = doc->createDocumentType(u"root", u"", u"", u"");
    doc->insertBefore(type, root);
    TdomEntity* entity = doc->createEntity(u"e", u"", u"", u"");
    entity->appendChild(text(u"x"));
    entity->appendChild(element(u"y"));
    type->entities()->setNamedItem(entity);
    type->entities()->setNamedItem(doc->createEntity(u"pic", u"", u"pic.gif", u"gif"));

    TdomEntityReference* ref = doc->createEntityReference(u"e");
    root->appendChild(ref);
    EXPECT_TRUE(doc->expandEntityReference(ref));
    EXPECT_EQ(childNames(ref), "x,y");
    EXPECT_FALSE(ref->isReadonly());
    EXPECT_TRUE(ref->firstChild()->isReadonly());
    EXPECT_TRUE(doc->expandEntityReference(ref));  // again: replaced, not doubled
    EXPECT_EQ(childNames(ref), "x,y");

    TdomEntityReference* amp = doc->createEntityReference(u"amp");
    EXPECT_TRUE(doc->expandEntityReference(amp));
    EXPECT_EQ(childNames(amp), "&");
    EXPECT_TRUE(amp->isPredefinedEntity());
    EXPECT_FALSE(doc->expandEntityReference(doc->createEntityReference(u"unknown")));
    EXPECT_ERROR(doc->expandEntityReference(doc->createEntityReference(u"pic")),
                 EInvalid_Entity_Reference_Err, "Invalid entity reference error.");
    EXPECT_ERROR(doc->expandEntityReference(root), ENot_Supported_Err, "Not supported error.");
    TdomDocument* other = impl.createDocument(u"o", nullptr);
    EXPECT_ERROR(doc->expandEntityReference(other->createEntityReference(u"e")),
                 EWrong_Document_Err, "Wrong document error.");
    // A copy of an entity reference has read-only content.
    TdomNode* copy = amp->cloneNode(true);
    EXPECT_EQ(childNames(copy), "&");
    EXPECT_TRUE(copy->firstChild()->isReadonly());
}

TEST_F(DomTest, ContentModelGivesEntityTextsDefaultsAndNormalization) {
    TdomCMObject* cm = impl.createCMObject();
    EXPECT_EQ(doc->assignContentModel(cm), nullptr);
    EXPECT_EQ(cm->ownerDocument(), doc);
    auto entity = std::make_unique<TdomCMEntity>();
    entity->name = u"corp";
    entity->replacementText = u"ACME";
    cm->entities.add(u"corp", std::move(entity));
    auto tokens = std::make_unique<TdomCMAttributeDefinition>();
    tokens->elementName = u"root";
    tokens->attributeName = u"kind";
    tokens->attributeType = u"NMTOKENS";
    tokens->defaultValue = u"a";
    cm->addAttributeDefinition(std::move(tokens));
    auto required = std::make_unique<TdomCMAttributeDefinition>();
    required->elementName = u"root";
    required->attributeName = u"id";
    required->attributeType = u"ID";
    required->defaultDeclaration = u"#REQUIRED";
    cm->addAttributeDefinition(std::move(required));
    auto elementContent = std::make_unique<TdomCMElementType>();
    elementContent->name = u"root";
    elementContent->contentType = TdomCMContentType::ctElements;
    cm->elementTypes.add(u"root", std::move(elementContent));

    TdomAttr* a = doc->createAttribute(u"kind");
    a->appendChild(text(u"  x   y "));
    a->appendChild(doc->createEntityReference(u"corp"));
    EXPECT_EQ(a->value(), u"  x   y ACME");  // not attached: not normalized
    root->setAttributeNode(a);
    EXPECT_EQ(a->value(), u"x y ACME");
    auto* ref = doc->createEntityReference(u"corp");
    EXPECT_EQ(ref->entityDeclaration(), cm->entities.find(u"corp"));

    // A copy gets the declared default, not the #REQUIRED one.
    TdomElement* bare = element(u"root");
    auto* copy = static_cast<TdomElement*>(doc->importNode(bare, false));
    EXPECT_EQ(copy->getAttribute(u"kind"), u"a");
    EXPECT_FALSE(copy->getAttributeNode(u"kind")->specified());
    EXPECT_FALSE(copy->hasAttribute(u"id"));

    TdomText* blank = text(u" \n");
    root->appendChild(blank);
    EXPECT_TRUE(blank->isWhitespaceInElementContent());
    EXPECT_FALSE(text(u" ")->isWhitespaceInElementContent());  // no parent element

    TdomDocument* other = impl.createDocument(u"o", nullptr);
    EXPECT_ERROR(other->assignContentModel(cm), EInuse_Content_Model_Err,
                 "Inuse content model error.");
    EXPECT_EQ(doc->detachContentModel(), cm);
    EXPECT_EQ(cm->ownerDocument(), nullptr);
    EXPECT_FALSE(blank->isWhitespaceInElementContent());
    EXPECT_EQ(ref->entityDeclaration(), nullptr);
}

TEST_F(DomTest, TreeWalkersBelongToTheirDocument) {
    TdomDocument* other = impl.createDocument(u"o", nullptr);
    TdomTreeWalker* mine = doc->createTreeWalker(root, 31, nullptr, true);
    TdomTreeWalker* theirs = other->createTreeWalker(other->documentElement(), 31, nullptr, true);
    EXPECT_ERROR(doc->freeTreeWalker(theirs), EWrong_Document_Err, "Wrong document error.");
    EXPECT_EQ(doc->treeWalkerCount(), 1);
    EXPECT_EQ(other->treeWalkerCount(), 1);
    EXPECT_NO_THROW(doc->freeTreeWalker(nullptr));
    doc->freeTreeWalker(mine);
    EXPECT_EQ(doc->treeWalkerCount(), 0);
    EXPECT_ERROR(doc->createTreeWalker(nullptr, 31, nullptr, true), ENot_Supported_Err,
                 "Not supported error.");
    EXPECT_ERROR(doc->createNodeIterator(nullptr, 31, nullptr, true), ENot_Supported_Err,
                 "Not supported error.");
    EXPECT_EQ(doc->defaultView(), nullptr);
}

TEST_F(DomTest, ResolveEntityReferencesReplacesThemByTheirContent) {
    TdomElement* e = element(u"e");
    root->appendChild(e);
    e->appendChild(text(u"a"));
    e->appendChild(doc->createEntityReference(u"amp"));
    e->appendChild(text(u"b"));
    e->resolveEntityReferences(TdomEntityResolveOption::erReplace);
    EXPECT_EQ(childNames(e), "a,&,b");
    EXPECT_FALSE(e->childNodes()->item(1)->isReadonly());
    e->normalize();
    EXPECT_EQ(childNames(e), "a&b");
}

TEST_F(DomTest, DocumentMarkupStartsWithTheDeclaration) {
    root->appendChild(text(u"x"));
    EXPECT_EQ(doc->xmlText(), u"<?xml version=\"1.0\"?>\n<root>x</root>");
    doc->setVersion(u"1.1");
    doc->setEncoding(u"ISO-8859-1");
    EXPECT_EQ(doc->xmlText(), u"<?xml version=\"1.1\" encoding=\"ISO-8859-1\"?>\n<root>x</root>");
    TMemoryStream stream;
    doc->writeXmlUtf8(stream);
    EXPECT_EQ(stream.View(), "<?xml version=\"1.1\" encoding=\"UTF-8\"?>\n<root>x</root>");
}

TEST_F(DomTest, InitDoc) {
    TdomDocument* d = impl.createDocument(u"x", nullptr);
    EXPECT_ERROR(d->initDoc(u"y"), EHierarchy_Request_Err, "Hierarchy request error.");
    d->clear();
    EXPECT_ERROR(d->initDoc(u"#"), EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(d->initDocNS(u"", u"p:y"), ENamespace_Err, "Namespace error.");
    d->initDocNS(u"urn:x", u"p:y");
    EXPECT_EQ(d->documentElement()->localName(), u"y");
}

}  // namespace
}  // namespace wispel
