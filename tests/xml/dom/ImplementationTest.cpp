#include "DomTestSupport.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {
namespace {

class TFeedDocument : public TdomDocument {
public:
    using TdomDocument::TdomDocument;
};

TEST(DomImplementation, CreateAndFreeDocuments) {
    TDomImplementation impl;
    EXPECT_ERROR(impl.createDocument(u"1bad", nullptr), EInvalid_Character_Err,
                 "Invalid character error.");
    EXPECT_EQ(impl.documents().length(), 0);
    TdomDocument* doc = impl.createDocument(u"item", nullptr);
    TdomDocument* kept = impl.createDocument(u"other", nullptr);
    EXPECT_EQ(impl.documents().length(), 2);
    EXPECT_EQ(impl.documents().item(0), doc);
    TdomDocument* alias = doc;
    impl.freeDocument(doc);
    EXPECT_EQ(doc, nullptr);
    EXPECT_ERROR(impl.freeDocument(doc), ENot_Found_Err, "Document not found error.");
    EXPECT_ERROR(impl.freeDocument(alias), ENot_Found_Err, "Document not found error.");
    EXPECT_EQ(impl.documents().length(), 1);
    EXPECT_EQ(impl.documents().indexOf(kept), 0);
}

TEST(DomImplementation, CreateDocumentNS) {
    TDomImplementation impl;
    TdomDocument* doc = impl.createDocumentNS(u"urn:x", u"p:feed", nullptr);
    EXPECT_EQ(doc->documentElement()->namespaceURI(), u"urn:x");
    EXPECT_EQ(doc->documentElement()->prefix(), u"p");
    EXPECT_ERROR(impl.createDocumentNS(u"", u"p:feed", nullptr), ENamespace_Err,
                 "Namespace error.");
    EXPECT_ERROR(impl.createDocumentNS(u"urn:x", u"xmlns", nullptr), ENamespace_Err,
                 "Namespace error.");
    EXPECT_ERROR(impl.createDocumentNS(u"urn:x", u"a b", nullptr), EInvalid_Character_Err,
                 "Invalid character error.");
    EXPECT_EQ(impl.documents().length(), 1);
}

TEST(DomImplementation, FreeDocumentTypesJoinDocuments) {
    TDomImplementation impl;
    TdomDocumentType* type = impl.adoptDocumentType(
        std::make_unique<TdomDocumentType>(nullptr, u"feed", u"", u"feed.dtd", u""));
    EXPECT_EQ(impl.documentTypes().length(), 1);
    TdomDocument* other = impl.createDocument(u"x", nullptr);
    TdomDocumentType* foreign = other->createDocumentType(u"feed", u"", u"", u"");
    EXPECT_ERROR(impl.createDocument(u"feed", foreign), EWrong_Document_Err,
                 "Wrong document error.");
    TdomDocument* doc = impl.createDocument(u"feed", type);
    EXPECT_EQ(doc->doctype(), type);
    EXPECT_EQ(type->ownerDocument(), doc);
    EXPECT_EQ(type->entities()->ownerDocument(), doc);
    EXPECT_EQ(doc->documentElement()->nodeName(), u"feed");
    EXPECT_EQ(impl.documentTypes().length(), 0);
    EXPECT_ERROR(impl.freeDocumentType(type), ENot_Found_Err, "DocumentType not found error.");
    TdomDocumentType* loose =
        impl.adoptDocumentType(std::make_unique<TdomDocumentType>(nullptr, u"x", u"", u"", u""));
    impl.freeDocumentType(loose);
    EXPECT_EQ(loose, nullptr);
}

TEST(DomImplementation, ContentModelObjects) {
    TDomImplementation impl;
    TdomCMObject* cm = impl.createCMObject();
    TdomCMInternalObject* internal = impl.createInternalCMObject(u"", u"doc.xml");
    TdomCMExternalObject* external = impl.createExternalCMObject(u"pub", u"ext.dtd");
    cm->setInternalObject(internal);
    cm->setExternalObject(external);
    EXPECT_EQ(internal->contentModel(), cm);
    TdomDocument* doc = impl.createDocument(u"d", nullptr);
    doc->assignContentModel(cm);

    TdomCMInternalObject* keepInternal = internal;
    impl.freeInternalCMObject(internal);
    EXPECT_EQ(internal, nullptr);
    EXPECT_EQ(cm->internalObject(), nullptr);
    EXPECT_ERROR(impl.freeInternalCMObject(keepInternal), ENot_Found_Err,
                 "Internal content model not found error.");

    // Freeing the document frees its content model but only detaches the external part.
    impl.freeDocument(doc);
    EXPECT_EQ(impl.cmObjects().length(), 0);
    EXPECT_EQ(impl.externalCMObjects().length(), 1);
    EXPECT_EQ(external->contentModel(), nullptr);
    EXPECT_ERROR(impl.freeCMObject(cm), ENot_Found_Err, "Content model not found error.");
    impl.freeExternalCMObject(external);
    EXPECT_ERROR(impl.freeExternalCMObject(external), ENot_Found_Err,
                 "External content model not found error.");

    // clear() ends everything, in any state of attachment.
    TdomCMObject* cm2 = impl.createCMObject();
    cm2->setInternalObject(impl.createInternalCMObject(u"", u""));
    impl.createDocument(u"d", nullptr)->assignContentModel(cm2);
    impl.clear();
    EXPECT_EQ(impl.documents().length(), 0);
    EXPECT_EQ(impl.cmObjects().length(), 0);
    EXPECT_EQ(impl.internalCMObjects().length(), 0);
}

TEST(DomImplementation, DocumentFormats) {
    TDomImplementation impl;
    TdomDocumentClass feedClass = &constructDocument<TFeedDocument>;
    EXPECT_ERROR(impl.registerDocumentFormat(u"urn:x", u"default", feedClass), EInvalid_Access_Err,
                 "Illegal Parameter Error: Attempt to set the reserved Document Format "
                 "\"default\".");
    EXPECT_ERROR(impl.getDocumentClass(u"", u"feed"), EUnknown_Document_Format_Err,
                 "Unknown document format yet");
    impl.registerDocumentFormat(u"", u"feed", feedClass);
    EXPECT_TRUE(impl.supportsDocumentFormat(u"", u"feed"));
    EXPECT_FALSE(impl.supportsDocumentFormat(u"urn:x", u"feed"));
    TdomDocument* doc = impl.createDocument(u"feed", nullptr);
    EXPECT_NE(dynamic_cast<TFeedDocument*>(doc), nullptr);
    EXPECT_EQ(dynamic_cast<TFeedDocument*>(impl.createDocument(u"other", nullptr)), nullptr);
    impl.unregisterDocumentFormat(feedClass);
    EXPECT_FALSE(impl.supportsDocumentFormat(u"", u"feed"));
}

TEST(DomImplementation, HasFeature) {
    TDomImplementation impl;
    struct Case {
        const char16_t* feature;
        const char16_t* version;
        bool expected;
    };
    const Case cases[] = {
        {u"XML", u"1.0", true},       {u"xml", u"", true},      {u"XML", u"2.0", true},
        {u"traversal", u"2.0", true}, {u"Views", u"2.0", true}, {u"TRAVERSAL", u"1.0", false},
        {u"VIEWS", u"", false},       {u"XML", u"3.0", false},  {u"CORE", u"2.0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(impl.hasFeature(c.feature, c.version), c.expected)
            << toUtf8(c.feature) << " " << toUtf8(c.version);
    }
}

TEST(DomImplementation, OwnerComponentFreesItWithItsDocuments) {
    TComponent owner;
    auto* impl = new TDomImplementation(&owner);
    impl->createDocument(u"d", nullptr)->documentElement()->setAttribute(u"a", u"1");
    EXPECT_EQ(owner.ComponentCount(), 1);
    // The owner's destruction frees the implementation; the leak checker sees the rest.
}

}  // namespace
}  // namespace wispel
