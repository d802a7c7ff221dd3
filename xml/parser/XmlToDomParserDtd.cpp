// The document type declaration step of TXmlToDomParser: reads the internal subset, asks for
// the external subset when the document depends on it, and prepares the content model.

#include "core/Exception.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/StandardLocator.h"
#include "xml/parser/ContentModelPreparation.h"
#include "xml/parser/DtdTextBudget.h"
#include "xml/parser/StandardDocBuilder.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel {

// The content-model objects one parsedtd call makes; freed together when a step fails.
struct TDtdObjects {
    TdomCMObject* cm = nullptr;
    TdomCMInternalObject* internal = nullptr;
    TdomCMExternalObject* external = nullptr;

    void freeAll(TDomImplementation* impl) {
        if (external != nullptr) impl->freeExternalCMObject(external);
        if (internal != nullptr) impl->freeInternalCMObject(internal);
        if (cm != nullptr) impl->freeCMObject(cm);
    }
};

void TXmlToDomParser::readExternalSubset(TdomStandardLocator* locator, DOMString publicId,
                                         DOMString systemId, TDtdObjects& objects) {
    const DOMString parentSystemId = locator ? locator->systemId() : DOMString();
    std::unique_ptr<TStream> stream;
    TXmlParserAction action = actionNotFound;
    if (onExternalSubset.assigned()) {
        do {
            action = actionNotFound;
            stream.reset();
            onExternalSubset(this, parentSystemId, publicId, systemId, stream, action);
        } while (action == actionRetry);
    }
    if (action == actionNotFound) {
        throw EParserExternal_Subset_Not_Found_Err("External_Subset_Not_Found_Err");
    }
    if (!stream) return;
    objects.external = domImpl_->createExternalCMObject(publicId, systemId);
    objects.cm->setExternalObject(objects.external);
    parseExternalSubset(stream.get(), publicId, systemId, objects.external);
}

void TXmlToDomParser::parsedtd(TdomStandardLocator* locator, const DOMString&,
                               const DOMString& publicId, const DOMString& systemId,
                               const DOMString& internalSubset, bool standalone) {
    TdomNode* target = docBuilder_->targetNode();
    TdomDocument* doc = target ? target->ownerDocument() : nullptr;
    if (doc != nullptr && doc->contentModel() != nullptr) {
        throw EInternalParserException(
            "Internal parser exception: Content model already assigned in parsedtd() "
            "procedure.");
    }
    if (internalSubset.empty() && publicId.empty() && systemId.empty()) return;
    checkDOMImpl();
    // The whole declaration, its replays included, shares one budget of produced text.
    TDtdTextBudget ownBudget;
    TDtdTextBudget* const givenBudget = dtdTextBudget_;
    if (givenBudget == nullptr) dtdTextBudget_ = &ownBudget;
    TDtdObjects objects;
    try {
        objects.cm = domImpl_->createCMObject();
        if (!internalSubset.empty()) {
            const DOMString subsetPublicId = locator ? locator->publicId() : DOMString();
            const DOMString subsetSystemId = locator ? locator->systemId() : DOMString();
            objects.internal = domImpl_->createInternalCMObject(subsetPublicId, subsetSystemId);
            objects.cm->setInternalObject(objects.internal);
            parseInternalSubsetText(internalSubset, subsetPublicId, subsetSystemId,
                                    objects.internal);
        }
        if (!standalone && (!publicId.empty() || !systemId.empty())) {
            readExternalSubset(locator, publicId, systemId, objects);
        }
        if (objects.internal == nullptr && objects.external == nullptr) {
            domImpl_->freeCMObject(objects.cm);
            dtdTextBudget_ = givenBudget;
            return;
        }
        if (doc != nullptr) doc->assignContentModel(objects.cm);
        prepareContentModel(this, objects.cm, errorHandler_.get(),
                            doc ? doc->systemId() : DOMString());
    } catch (...) {
        dtdTextBudget_ = givenBudget;
        objects.freeAll(domImpl_);
        throw;
    }
    dtdTextBudget_ = givenBudget;
}

}  // namespace wispel
