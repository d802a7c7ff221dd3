#include "DomTestSupport.h"

namespace wispel {
namespace {

TEST(DomException, EveryClassCarriesItsMessageAndName) {
    // What each class of the one list carries when raised without a message.
#define WISPEL_RAISED_DOM_ERROR(Name, DefaultMessage) \
    std::pair<std::string, std::string>{Name().className(), Name().message()},
    const std::pair<std::string, std::string> expected[] = {
        WISPEL_DOM_ERRORS(WISPEL_RAISED_DOM_ERROR)};
#undef WISPEL_RAISED_DOM_ERROR
    const std::pair<std::string, std::string> table[] = {
        {"EIndex_Size_Err", "Index size error."},
        {"EHierarchy_Request_Err", "Hierarchy request error."},
        {"EWrong_Document_Err", "Wrong document error."},
        {"EInvalid_Character_Err", "Invalid character error."},
        {"ENo_Modification_Allowed_Err", "No modification allowed error."},
        {"ENot_Found_Err", "Node not found error."},
        {"ENot_Supported_Err", "Not supported error."},
        {"EInuse_Attribute_Err", "Inuse attribute error."},
        {"EInvalid_State_Err", "Invalid state error."},
        {"ESyntax_Err", "Syntax error."},
        {"ENamespace_Err", "Namespace error."},
        {"EInvalid_Access_Err",
         "Illegal Parameter Error: Attempt to set the reserved Document Format \"default\"."},
        {"EInuse_Node_Err", "Inuse node error."},
        {"EInuse_Content_Model_Err", "Inuse content model error."},
        {"EInvalid_Entity_Reference_Err", "Invalid entity reference error."},
        {"EUnknown_Document_Format_Err", "Unknown document format yet"},
    };
    ASSERT_EQ(std::size(expected), std::size(table));
    for (size_t i = 0; i < std::size(table); ++i) EXPECT_EQ(expected[i], table[i]);
    // The whole family is caught as one.
    try {
        throw ENamespace_Err();
    } catch (const EDomException& e) {
        EXPECT_EQ(e.message(), "Namespace error.");
    }
}

TEST_F(DomTest, AppendChildMovesANodeBetweenParents) {
    TdomElement* a = element(u"a");
    TdomElement* b = element(u"b");
    root->appendChild(a);
    root->appendChild(b);
    TdomText* t = text(u"t");
    a->appendChild(t);
    EXPECT_EQ(b->appendChild(t), t);
    EXPECT_FALSE(a->hasChildNodes());
    EXPECT_EQ(t->parentNode(), b);
    EXPECT_EQ(childNames(b), "t");
    // Moving a child to the end of its own parent.
    root->appendChild(a);
    EXPECT_EQ(childNames(root), "b,a");
}

TEST_F(DomTest, InsertBeforeRulesAndPositions) {
    TdomText* x = text(u"x");
    TdomText* y = text(u"y");
    TdomText* z = text(u"z");
    root->insertBefore(x, nullptr);  // null appends
    root->insertBefore(z, nullptr);
    root->insertBefore(y, z);
    EXPECT_EQ(childNames(root), "x,y,z");
    // Moving a node to before an earlier sibling.
    root->insertBefore(z, x);
    EXPECT_EQ(childNames(root), "z,x,y");
    EXPECT_ERROR(root->insertBefore(x, x), EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_ERROR(root->insertBefore(nullptr, x), ENot_Supported_Err, "Not supported error.");
    EXPECT_ERROR(root->insertBefore(text(u"w"), element(u"stranger")), ENot_Found_Err,
                 "Node not found error.");
    EXPECT_EQ(childNames(root), "z,x,y");
}

TEST_F(DomTest, ChildTypeChecksPerParentKind) {
    struct Case {
        TdomNode* parent;
        TdomNode* child;
    };
    TdomAttr* attr = doc->createAttribute(u"a");
    const Case refused[] = {
        {root, doc},
        {root, doc->createDocumentType(u"root", u"", u"", u"")},
        {root, doc->createAttribute(u"b")},
        {root, doc->createEntity(u"e", u"", u"", u"")},
        {root, doc->createNotation(u"n", u"", u"s")},
        {attr, element(u"e")},
        {attr, doc->createComment(u"c")},
        {attr, doc->createCDATASection(u"c")},
        {text(u"t"), text(u"u")},
    };
    for (const Case& c : refused) {
        EXPECT_ERROR(c.parent->appendChild(c.child), EHierarchy_Request_Err,
                     "Hierarchy request error.");
    }
    EXPECT_NO_THROW(attr->appendChild(text(u"v")));
    EXPECT_NO_THROW(attr->appendChild(doc->createEntityReference(u"amp")));
    EXPECT_EQ(attr->value(), u"v&#38;");
}

TEST_F(DomTest, InsertingAnAncestorOrANodeOfAnotherDocumentFails) {
    TdomElement* a = element(u"a");
    TdomElement* b = element(u"b");
    root->appendChild(a);
    a->appendChild(b);
    EXPECT_ERROR(b->appendChild(root), EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_ERROR(b->appendChild(b), EHierarchy_Request_Err, "Hierarchy request error.");
    EXPECT_TRUE(b->hasAncestor(root));
    EXPECT_FALSE(root->hasAncestor(b));
    TdomDocument* other = impl.createDocument(u"other", nullptr);
    EXPECT_ERROR(root->appendChild(other->createElement(u"x")), EWrong_Document_Err,
                 "Wrong document error.");
    EXPECT_EQ(childNames(root), "a");
}

TEST_F(DomTest, FragmentsMoveTheirChildrenInOrder) {
    TdomDocumentFragment* frag = doc->createDocumentFragment();
    frag->appendChild(text(u"1"));
    frag->appendChild(text(u"2"));
    TdomText* last = text(u"3");
    root->appendChild(last);
    EXPECT_EQ(root->insertBefore(frag, last), frag);
    EXPECT_EQ(childNames(root), "1,2,3");
    EXPECT_FALSE(frag->hasChildNodes());
    // Still usable afterwards.
    frag->appendChild(element(u"e"));
    EXPECT_EQ(root->appendChild(frag), frag);
    EXPECT_EQ(childNames(root), "1,2,3,e");
    // Replacing with a fragment puts its children in the old child's place.
    frag->appendChild(text(u"a"));
    frag->appendChild(text(u"b"));
    TdomNode* two = root->childNodes()->item(1);
    EXPECT_EQ(root->replaceChild(frag, two), two);
    EXPECT_EQ(childNames(root), "1,a,b,3,e");
}

TEST_F(DomTest, SiblingsAndParentsAtTheEdges) {
    TdomText* a = text(u"a");
    TdomText* b = text(u"b");
    root->appendChild(a);
    root->appendChild(b);
    EXPECT_EQ(a->previousSibling(), nullptr);
    EXPECT_EQ(a->nextSibling(), b);
    EXPECT_EQ(b->previousSibling(), a);
    EXPECT_EQ(b->nextSibling(), nullptr);
    TdomText* loose = text(u"c");
    EXPECT_EQ(loose->previousSibling(), nullptr);
    EXPECT_EQ(loose->nextSibling(), nullptr);
    root->setAttribute(u"x", u"1");
    root->setAttribute(u"y", u"2");
    TdomAttr* x = root->getAttributeNode(u"x");
    EXPECT_EQ(x->parentNode(), nullptr);
    EXPECT_EQ(x->nextSibling(), nullptr);
    EXPECT_EQ(x->ownerElement(), root);
    EXPECT_EQ(doc->parentNode(), nullptr);
    EXPECT_EQ(doc->ownerDocument(), doc);
}

TEST_F(DomTest, ReplaceAndRemoveChild) {
    TdomText* a = text(u"a");
    TdomText* b = text(u"b");
    TdomText* c = text(u"c");
    root->appendChild(a);
    root->appendChild(b);
    EXPECT_EQ(root->replaceChild(c, a), a);
    EXPECT_EQ(childNames(root), "c,b");
    EXPECT_EQ(a->parentNode(), nullptr);
    // Replacing with the following sibling itself.
    EXPECT_EQ(root->replaceChild(b, c), c);
    EXPECT_EQ(childNames(root), "b");
    EXPECT_EQ(root->replaceChild(b, b), b);
    EXPECT_ERROR(root->replaceChild(nullptr, b), ENot_Supported_Err, "Not supported error.");
    EXPECT_ERROR(root->replaceChild(a, c), ENot_Found_Err, "Node not found error.");
    EXPECT_ERROR(root->removeChild(a), ENot_Found_Err, "Node not found error.");
    EXPECT_ERROR(root->removeChild(nullptr), ENot_Supported_Err, "Not supported error.");
    EXPECT_EQ(root->removeChild(b), b);
    EXPECT_FALSE(root->hasChildNodes());
    // Removed nodes stay owned by the document and usable.
    root->appendChild(b);
    EXPECT_EQ(childNames(root), "b");
}

TEST_F(DomTest, ReadOnlyNodesRefuseEveryChange) {
    TdomElement* e = element(u"e");
    TdomText* t = text(u"t");
    e->appendChild(t);
    root->appendChild(e);
    e->setAttribute(u"a", u"1");
    e->setReadonly(true);
    t->setReadonly(true);
    const std::function<void()> changes[] = {
        [&] { e->appendChild(text(u"x")); },
        [&] { e->insertBefore(text(u"x"), t); },
        [&] { e->replaceChild(text(u"x"), t); },
        [&] { e->removeChild(t); },
        [&] { e->clear(); },
        [&] { e->setAttribute(u"a", u"2"); },
        [&] { e->setAttribute(u"b", u"2"); },
        [&] { e->removeAttribute(u"a"); },
        [&] { e->removeAttributeNode(e->getAttributeNode(u"a")); },
        [&] { e->setAttributeNode(doc->createAttribute(u"c")); },
        [&] { e->attributes()->setNamedItem(doc->createAttribute(u"c")); },
        [&] { t->data(u"x"); },
        [&] { t->nodeValue(u"x"); },
        [&] { t->appendData(u"x"); },
        [&] { t->insertData(0, u"x"); },
        [&] { t->deleteData(0, 1); },
        [&] { t->replaceData(0, 1, u"x"); },
        [&] { t->splitText(0); },
        [&] { root->appendChild(t); },  // its parent is read-only
    };
    for (const auto& change : changes) {
        EXPECT_ERROR(change(), ENo_Modification_Allowed_Err, "No modification allowed error.");
    }
    EXPECT_EQ(childNames(e), "t");
    EXPECT_EQ(e->getAttribute(u"a"), u"1");
    EXPECT_EQ(t->data(), u"t");
}

// Refusals that come from another node than the one changed must still come before any
// change: a split under a read-only parent keeps its data, a read-only attribute its name.
TEST_F(DomTest, RefusedChangesLeaveNothingHalfDone) {
    TdomText* t = text(u"abcd");
    root->appendChild(t);
    root->setReadonly(true);
    EXPECT_ERROR(t->splitText(2), ENo_Modification_Allowed_Err, "No modification allowed error.");
    EXPECT_EQ(t->data(), u"abcd");
    EXPECT_EQ(childNames(root), "abcd");
    root->setReadonly(false);

    TdomElement* e = element(u"e");
    e->attributes()->namespaceAware(true);
    TdomAttr* a = e->setAttributeNS(u"urn:x", u"p:a", u"1");
    a->setReadonly(true);
    EXPECT_ERROR(e->setAttributeNS(u"urn:x", u"q:a", u"2"), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    EXPECT_EQ(a->nodeName(), u"p:a");
    EXPECT_EQ(a->prefix(), u"p");
    EXPECT_EQ(a->value(), u"1");
}

TEST_F(DomTest, MakeChildrenReadonlyCoversDescendantsButNotTheNode) {
    TdomElement* a = element(u"a");
    TdomElement* b = element(u"b");
    root->appendChild(a);
    a->appendChild(b);
    b->appendChild(text(u"t"));
    root->makeChildrenReadonly();
    EXPECT_FALSE(root->isReadonly());
    EXPECT_TRUE(a->isReadonly());
    EXPECT_TRUE(b->firstChild()->isReadonly());
    EXPECT_TRUE(b->attributes()->readonlyMap());
}

TEST_F(DomTest, CharacterDataOperations) {
    TdomText* t = text(u"hello");
    EXPECT_EQ(t->length(), 5);
    EXPECT_EQ(t->substringData(1, 3), u"ell");
    EXPECT_EQ(t->substringData(3, 100), u"lo");
    EXPECT_EQ(t->substringData(5, 5), u"");
    EXPECT_ERROR(t->substringData(6, 0), EIndex_Size_Err, "Index size error.");
    EXPECT_ERROR(t->substringData(-1, 1), EIndex_Size_Err, "Index size error.");
    EXPECT_ERROR(t->substringData(0, -1), EIndex_Size_Err, "Index size error.");
    t->appendData(u"!");
    t->insertData(0, u">");
    t->deleteData(1, 1);
    EXPECT_EQ(t->data(), u">ello!");
    t->replaceData(1, 100, u"ok");
    EXPECT_EQ(t->data(), u">ok");
    EXPECT_ERROR(t->replaceData(4, 0, u"x"), EIndex_Size_Err, "Index size error.");
    EXPECT_EQ(text(u"a\"&'<>b")->escapedData(), u"a&#34;&#38;&#39;&#60;&#62;b");
}

TEST_F(DomTest, SplitText) {
    TdomText* t = text(u"abcd");
    TdomText* after = text(u"z");
    root->appendChild(t);
    root->appendChild(after);
    TdomText* tail = t->splitText(2);
    EXPECT_EQ(childNames(root), "ab,cd,z");
    EXPECT_EQ(tail->nextSibling(), after);
    TdomText* all = t->splitText(0);
    EXPECT_EQ(t->data(), u"");
    EXPECT_EQ(all->data(), u"ab");
    EXPECT_ERROR(t->splitText(1), EIndex_Size_Err, "Index size error.");
    // A CDATA section splits into a plain text node; a detached node keeps the new one apart.
    TdomCDATASection* cdata = doc->createCDATASection(u"xy");
    TdomText* rest = cdata->splitText(1);
    EXPECT_EQ(rest->nodeType(), TEXT_NODE);
    EXPECT_EQ(rest->parentNode(), nullptr);
}

TEST_F(DomTest, NormalizeMergesAdjacentTextOnly) {
    root->appendChild(text(u"a"));
    root->appendChild(text(u"b"));
    root->appendChild(doc->createCDATASection(u"c"));
    root->appendChild(text(u"d"));
    TdomElement* inner = element(u"inner");
    inner->appendChild(text(u""));
    inner->appendChild(text(u"x"));
    inner->appendChild(text(u"y"));
    root->appendChild(inner);
    TdomAttr* attr = doc->createAttribute(u"at");
    attr->appendChild(text(u"1"));
    attr->appendChild(text(u"2"));
    root->setAttributeNode(attr);
    int before = doc->createdNodeCount();
    doc->normalize();
    EXPECT_EQ(childNames(root), "ab,#cdata-section,d,inner");
    EXPECT_EQ(childNames(inner), "xy");
    EXPECT_EQ(childNames(attr), "12");
    EXPECT_EQ(doc->createdNodeCount(), before - 4);  // merged nodes are freed
}

// A long run merges into its first node; a run where a merge step is refused stops where the
// steps from the last node backwards stop.
TEST_F(DomTest, NormalizeLongRunsAndRefusedSteps) {
    TdomElement* e = element(u"e");
    root->appendChild(e);
    for (int i = 0; i < 3000; ++i) e->appendChild(text(i % 2 == 0 ? u"x" : u"y"));
    e->appendChild(element(u"stop"));
    e->appendChild(text(u"z"));
    TdomNode* first = e->firstChild();
    e->normalize();
    ASSERT_EQ(e->childNodes()->length(), 3);
    EXPECT_EQ(e->firstChild(), first);
    DOMString expected;
    for (int i = 0; i < 1500; ++i) expected += u"xy";
    EXPECT_EQ(e->firstChild()->nodeValue(), expected);

    TdomElement* f = element(u"f");
    root->appendChild(f);
    TdomText* a = text(u"a");
    f->appendChild(a);
    f->appendChild(text(u"b"));
    f->appendChild(text(u"c"));
    a->setReadonly(true);
    EXPECT_ERROR(f->normalize(), ENo_Modification_Allowed_Err, "No modification allowed error.");
    EXPECT_EQ(childNames(f), "a,bc");
}

// A read-only element refuses the removal a merge needs before any text is appended, so
// the text is neither doubled nor partly merged anywhere in the normalized subtree.
TEST_F(DomTest, NormalizeUnderAReadOnlyElementChangesNothing) {
    TdomElement* outer = element(u"outer");
    root->appendChild(outer);
    outer->appendChild(text(u"x"));
    outer->appendChild(text(u"y"));
    TdomElement* locked = element(u"locked");
    outer->appendChild(locked);
    locked->appendChild(text(u"a"));
    locked->appendChild(text(u"b"));
    locked->setReadonly(true);
    EXPECT_ERROR(outer->normalize(), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    EXPECT_EQ(childNames(locked), "a,b");
    EXPECT_EQ(locked->firstChild()->nodeValue(), u"a");
    EXPECT_EQ(childNames(outer), "x,y,locked");
}

TEST_F(DomTest, IsSupportedAndPrefix) {
    EXPECT_TRUE(root->isSupported(u"xml", u"2.0"));
    EXPECT_TRUE(root->isSupported(u"XML", u""));
    EXPECT_FALSE(root->isSupported(u"XML", u"3.0"));
    EXPECT_FALSE(root->isSupported(u"TRAVERSAL", u"2.0"));

    TdomElement* e = doc->createElementNS(u"urn:x", u"p:local");
    EXPECT_EQ(e->prefix(), u"p");
    EXPECT_EQ(e->localName(), u"local");
    e->prefix(u"q");
    EXPECT_EQ(e->nodeName(), u"q:local");
    EXPECT_ERROR(e->prefix(u"1"), EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(e->prefix(u"a:b"), ENamespace_Err, "Namespace error.");
    EXPECT_ERROR(e->prefix(u"xml"), ENamespace_Err, "Namespace error.");
    EXPECT_ERROR(element(u"plain")->prefix(u"p"), ENamespace_Err, "Namespace error.");
    TdomAttr* a = doc->createAttributeNS(u"urn:x", u"p:a");
    EXPECT_ERROR(a->prefix(u"xmlns"), ENamespace_Err, "Namespace error.");
    e->setReadonly(true);
    EXPECT_ERROR(e->prefix(u"r"), ENo_Modification_Allowed_Err, "No modification allowed error.");
}

TEST_F(DomTest, NameChecksOfTheFactories) {
    EXPECT_ERROR(element(u"1a"), EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(doc->createAttribute(u"a b"), EInvalid_Character_Err, "Invalid character error.");
    EXPECT_ERROR(doc->createEntityReference(u""), EInvalid_Character_Err,
                 "Invalid character error.");
    EXPECT_ERROR(doc->createProcessingInstruction(u"?", u""), EInvalid_Character_Err,
                 "Invalid character error.");
    struct Case {
        const char16_t* ns;
        const char16_t* qname;
        bool attribute;
    };
    const Case nsErrors[] = {
        {u"urn:x", u"a:b:c", false}, {u"", u"p:a", false},         {u"urn:x", u"xml:a", false},
        {u"urn:x", u"xmlns", true},  {u"urn:x", u"xmlns:a", true}, {u"urn:x", u":a", false},
    };
    for (const Case& c : nsErrors) {
        SCOPED_TRACE(toUtf8(c.qname));
        if (c.attribute) {
            EXPECT_ERROR(doc->createAttributeNS(c.ns, c.qname), ENamespace_Err, "Namespace error.");
        } else {
            EXPECT_ERROR(doc->createElementNS(c.ns, c.qname), ENamespace_Err, "Namespace error.");
        }
    }
    EXPECT_NO_THROW(doc->createAttributeNS(kXmlnsNamespace, u"xmlns:a"));
    EXPECT_NO_THROW(doc->createElementNS(kXmlNamespace, u"xml:a"));
}

TEST_F(DomTest, ExternalEntitiesTakeNoChildren) {
    TdomEntity* external = doc->createEntity(u"e", u"", u"file.xml", u"");
    EXPECT_ERROR(external->appendChild(text(u"x")), ENo_Modification_Allowed_Err,
                 "No modification allowed error.");
    TdomEntity* internal = doc->createEntity(u"i", u"", u"", u"");
    EXPECT_NO_THROW(internal->appendChild(text(u"x")));
}

TEST_F(DomTest, NodeValuesByKind) {
    root->nodeValue(u"ignored");
    EXPECT_EQ(root->nodeValue(), u"");
    TdomNode* ref = doc->createEntityReference(u"e");
    ref->nodeValue(u"ignored");
    EXPECT_EQ(ref->nodeValue(), u"");
    TdomNode* pi = doc->createProcessingInstruction(u"target", u"data");
    EXPECT_EQ(pi->nodeName(), u"target");
    pi->nodeValue(u"new");
    EXPECT_EQ(static_cast<TdomProcessingInstruction*>(pi)->data(), u"new");
    EXPECT_EQ(text(u"t")->nodeName(), u"#text");
    EXPECT_EQ(doc->createCDATASection(u"")->nodeName(), u"#cdata-section");
    EXPECT_EQ(doc->createComment(u"")->nodeName(), u"#comment");
    EXPECT_EQ(doc->createDocumentFragment()->nodeName(), u"#document-fragment");
    EXPECT_EQ(root->attributes() != nullptr, true);
    EXPECT_EQ(text(u"t")->attributes(), nullptr);
    EXPECT_EQ(root->childNodes()->length(), 0);
}

TEST_F(DomTest, ValidationDefaults) {
    EXPECT_TRUE(text(u"t")->validateNode(nullptr));
    EXPECT_TRUE(doc->createComment(u"c")->validateNode(nullptr));
    EXPECT_TRUE(doc->createProcessingInstruction(u"p", u"")->validateNode(nullptr));
    EXPECT_ERROR(root->validateNode(nullptr), ENot_Supported_Err, "Not supported error.");
    EXPECT_ERROR(root->validateIdReferences(nullptr), ENot_Supported_Err, "Not supported error.");
}

}  // namespace
}  // namespace wispel
