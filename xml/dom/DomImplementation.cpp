#include "xml/dom/DomImplementation.h"

#include <algorithm>

#include "core/TextCase.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentType.h"
#include "xml/errors/DomException.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

namespace {

// Takes `object` out of `owned` (destroying it) and nulls the caller's reference; raises
// ENot_Found_Err with `message` when it is not there.
template <class T>
void destroyOwned(std::vector<std::unique_ptr<T>>& owned, T*& object, const char* message) {
    auto it = std::find_if(owned.begin(), owned.end(),
                           [object](const auto& entry) { return entry.get() == object; });
    if (object == nullptr || it == owned.end()) throw ENot_Found_Err(message);
    owned.erase(it);
    object = nullptr;
}

template <class T>
bool isOwned(const std::vector<std::unique_ptr<T>>& owned, const T* object) {
    return object != nullptr &&
           std::any_of(owned.begin(), owned.end(),
                       [object](const auto& entry) { return entry.get() == object; });
}

}  // namespace

TDomImplementation::TDomImplementation(TComponent* owner) : TComponent(owner) {}

TDomImplementation::~TDomImplementation() {
    clear();
}

const TdomObjectList<TdomCMExternalObject>& TDomImplementation::externalCMObjects() const {
    return externalList_;
}
const TdomObjectList<TdomCMInternalObject>& TDomImplementation::internalCMObjects() const {
    return internalList_;
}
const TdomObjectList<TdomCMObject>& TDomImplementation::cmObjects() const {
    return cmList_;
}
const TdomNodeList& TDomImplementation::documents() const {
    return documentList_;
}
const TdomNodeList& TDomImplementation::documentTypes() const {
    return documentTypeList_;
}

void TDomImplementation::clear() {
    documents_.clear();
    for (auto& doc : ownedDocuments_) doc->clear();
    ownedDocuments_.clear();
    documentTypes_.clear();
    ownedDocTypes_.clear();
    externalCMObjects_.clear();
    internalCMObjects_.clear();
    cmObjects_.clear();
}

void TDomImplementation::freeExternalCMObject(TdomCMExternalObject*& cm) {
    if (isOwned(externalCMObjects_, cm) && cm->contentModel() != nullptr)
        cm->contentModel()->setExternalObject(nullptr);
    destroyOwned(externalCMObjects_, cm, "External content model not found error.");
}

void TDomImplementation::freeInternalCMObject(TdomCMInternalObject*& cm) {
    if (isOwned(internalCMObjects_, cm) && cm->contentModel() != nullptr)
        cm->contentModel()->setInternalObject(nullptr);
    destroyOwned(internalCMObjects_, cm, "Internal content model not found error.");
}

void TDomImplementation::freeCMObject(TdomCMObject*& cm) {
    if (isOwned(cmObjects_, cm)) {
        cm->detachParts();
        if (TdomDocument* doc = cm->ownerDocument()) doc->detachContentModel();
    }
    destroyOwned(cmObjects_, cm, "Content model not found error.");
}

void TDomImplementation::freeDocument(TdomDocument*& doc) {
    if (!isOwned(ownedDocuments_, doc)) throw ENot_Found_Err("Document not found error.");
    if (TdomCMObject* cm = doc->contentModel()) freeCMObject(cm);
    doc->clear();
    documents_.removeAt(documents_.indexOf(doc));
    destroyOwned(ownedDocuments_, doc, "Document not found error.");
}

void TDomImplementation::freeDocumentType(TdomDocumentType*& doctype) {
    if (isOwned(ownedDocTypes_, doctype)) documentTypes_.removeAt(documentTypes_.indexOf(doctype));
    destroyOwned(ownedDocTypes_, doctype, "DocumentType not found error.");
}

TdomDocumentType* TDomImplementation::adoptDocumentType(std::unique_ptr<TdomDocumentType> doctype) {
    TdomDocumentType* raw = doctype.get();
    ownedDocTypes_.push_back(std::move(doctype));
    documentTypes_.append(raw);
    return raw;
}

bool TDomImplementation::hasFeature(const DOMString& feature, const DOMString& version) const {
    if (version == u"1.0" || version.empty()) return sameText(feature, u"XML");
    if (version == u"2.0")
        return sameText(feature, u"XML") || sameText(feature, u"VIEWS") ||
               sameText(feature, u"TRAVERSAL");
    return false;
}

TdomCMExternalObject* TDomImplementation::createExternalCMObject(const DOMString& publicId,
                                                                 const DOMString& systemId) {
    externalCMObjects_.push_back(std::make_unique<TdomCMExternalObject>(publicId, systemId));
    return externalCMObjects_.back().get();
}

TdomCMInternalObject* TDomImplementation::createInternalCMObject(const DOMString& publicId,
                                                                 const DOMString& systemId) {
    internalCMObjects_.push_back(std::make_unique<TdomCMInternalObject>(publicId, systemId));
    return internalCMObjects_.back().get();
}

TdomCMObject* TDomImplementation::createCMObject() {
    cmObjects_.push_back(std::make_unique<TdomCMObject>());
    return cmObjects_.back().get();
}

void TDomImplementation::checkFreeDocType(TdomDocumentType* doctype) const {
    if (doctype != nullptr && !isOwned(ownedDocTypes_, doctype)) throw EWrong_Document_Err();
}

TdomDocument* TDomImplementation::newDocument(const DOMString& namespaceURI,
                                              const DOMString& qualifiedName,
                                              TdomDocumentType* doctype) {
    std::unique_ptr<TdomDocument> made = supportsDocumentFormat(namespaceURI, qualifiedName)
                                             ? getDocumentClass(namespaceURI, qualifiedName)(this)
                                             : std::make_unique<TdomDocument>(this);
    TdomDocument* doc = made.get();
    ownedDocuments_.push_back(std::move(made));
    documents_.append(doc);
    if (doctype != nullptr) {
        auto it = std::find_if(ownedDocTypes_.begin(), ownedDocTypes_.end(),
                               [doctype](const auto& entry) { return entry.get() == doctype; });
        std::unique_ptr<TdomDocumentType> moved = std::move(*it);
        ownedDocTypes_.erase(it);
        documentTypes_.removeAt(documentTypes_.indexOf(doctype));
        doctype->setOwnerDocument(doc);
        doc->adopt(std::move(moved));
        doc->appendChild(doctype);
    }
    return doc;
}

TdomDocument* TDomImplementation::createDocument(const DOMString& name, TdomDocumentType* doctype) {
    checkFreeDocType(doctype);
    checkXmlName(name);
    TdomDocument* doc = newDocument(DOMString(), name, doctype);
    doc->initDoc(name);
    return doc;
}

TdomDocument* TDomImplementation::createDocumentNS(const DOMString& namespaceURI,
                                                   const DOMString& qualifiedName,
                                                   TdomDocumentType* doctype) {
    checkFreeDocType(doctype);
    checkQualifiedName(namespaceURI, qualifiedName, true);
    TdomDocument* doc = newDocument(namespaceURI, qualifiedName, doctype);
    doc->initDocNS(namespaceURI, qualifiedName);
    return doc;
}

TdomDocumentClass TDomImplementation::getDocumentClass(const DOMString& namespaceURI,
                                                       const DOMString& qualifiedName) const {
    return documentformats::classOf(namespaceURI, qualifiedName);
}

void TDomImplementation::registerDocumentFormat(const DOMString& namespaceURI,
                                                const DOMString& qualifiedName,
                                                TdomDocumentClass documentClass) {
    documentformats::registerFormat(namespaceURI, qualifiedName, documentClass);
}

bool TDomImplementation::supportsDocumentFormat(const DOMString& namespaceURI,
                                                const DOMString& qualifiedName) const {
    return documentformats::supports(namespaceURI, qualifiedName);
}

void TDomImplementation::unregisterDocumentFormat(TdomDocumentClass documentClass) {
    documentformats::unregisterClass(documentClass);
}

}  // namespace wispel
