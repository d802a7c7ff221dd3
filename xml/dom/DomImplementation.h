#pragma once
// The DOM implementation: factory and owner of documents, free document types and
// content-model objects.
//
// Ownership: owns every document, free document type and content-model object in its
// arrays until its free operations or clear() (run on destruction) destroy them; freeing
// sets the caller's reference to null.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Component.h"
#include "xml/dom/ContentTextParser.h"
#include "xml/dom/DocumentFormats.h"
#include "xml/dom/NodeList.h"
#include "xml/dom/ObjectList.h"
#include "xml/dom/XmlParserEvent.h"

namespace wispel {

class TdomCMExternalObject;
class TdomCMInternalObject;
class TdomCMObject;
class TdomDocument;
class TdomDocumentType;

class TDomImplementation : public TComponent {
public:
    explicit TDomImplementation(TComponent* owner = nullptr);
    ~TDomImplementation() override;

    virtual const TdomObjectList<TdomCMExternalObject>& externalCMObjects() const;
    virtual const TdomObjectList<TdomCMInternalObject>& internalCMObjects() const;
    virtual const TdomObjectList<TdomCMObject>& cmObjects() const;
    virtual const TdomNodeList& documents() const;
    virtual const TdomNodeList& documentTypes() const;
    virtual void clear();
    virtual void freeExternalCMObject(TdomCMExternalObject*& cm);
    virtual void freeInternalCMObject(TdomCMInternalObject*& cm);
    virtual void freeCMObject(TdomCMObject*& cm);
    virtual void freeDocument(TdomDocument*& doc);
    virtual void freeDocumentType(TdomDocumentType*& doctype);
    virtual bool hasFeature(const DOMString& feature, const DOMString& version) const;
    virtual TdomCMExternalObject* createExternalCMObject(const DOMString& publicId,
                                                         const DOMString& systemId);
    virtual TdomCMInternalObject* createInternalCMObject(const DOMString& publicId,
                                                         const DOMString& systemId);
    virtual TdomCMObject* createCMObject();
    virtual TdomDocument* createDocument(const DOMString& name, TdomDocumentType* doctype);
    virtual TdomDocument* createDocumentNS(const DOMString& namespaceURI,
                                           const DOMString& qualifiedName,
                                           TdomDocumentType* doctype);
    virtual TdomDocumentClass getDocumentClass(const DOMString& namespaceURI,
                                               const DOMString& qualifiedName) const;
    virtual void registerDocumentFormat(const DOMString& namespaceURI,
                                        const DOMString& qualifiedName,
                                        TdomDocumentClass documentClass);
    virtual bool supportsDocumentFormat(const DOMString& namespaceURI,
                                        const DOMString& qualifiedName) const;
    virtual void unregisterDocumentFormat(TdomDocumentClass documentClass);

    // Adds a document type to the free document types (owned until it joins a document
    // through createDocument or is freed); returns it.
    TdomDocumentType* adoptDocumentType(std::unique_ptr<TdomDocumentType> doctype);

    // What entity references of this implementation's documents expand through; null (the
    // default): they do not expand.
    TdomContentTextParser contentTextParser() const noexcept { return contentTextParser_; }
    void setContentTextParser(TdomContentTextParser parser) noexcept {
        contentTextParser_ = parser;
    }

    // A value of the owner's choosing, kept with the component.
    std::intptr_t Tag() const noexcept { return tag_; }
    void SetTag(std::intptr_t value) noexcept { tag_ = value; }

    TXmlParserEvent onExternalParsedEntity;

private:
    TdomDocument* newDocument(const DOMString& namespaceURI, const DOMString& qualifiedName,
                              TdomDocumentType* doctype);
    void checkFreeDocType(TdomDocumentType* doctype) const;

    std::intptr_t tag_ = 0;
    TdomContentTextParser contentTextParser_ = nullptr;
    std::vector<std::unique_ptr<TdomCMExternalObject>> externalCMObjects_;
    std::vector<std::unique_ptr<TdomCMInternalObject>> internalCMObjects_;
    std::vector<std::unique_ptr<TdomCMObject>> cmObjects_;
    std::vector<std::unique_ptr<TdomDocument>> ownedDocuments_;
    TdomNodeArray documents_;  // the same documents, in order, for the list view
    std::vector<std::unique_ptr<TdomDocumentType>> ownedDocTypes_;
    TdomNodeArray documentTypes_;
    TdomObjectList<TdomCMExternalObject> externalList_{&externalCMObjects_};
    TdomObjectList<TdomCMInternalObject> internalList_{&internalCMObjects_};
    TdomObjectList<TdomCMObject> cmList_{&cmObjects_};
    TdomNodeList documentList_{&documents_};
    TdomNodeList documentTypeList_{&documentTypes_};
};

}  // namespace wispel
