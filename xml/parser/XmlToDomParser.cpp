#include "xml/parser/XmlToDomParser.h"

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "xml/dom/ContentTextParser.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/XmlInputSource.h"
#include "xml/input/XmlMemoryStream.h"
#include "xml/parser/ContentModelPreparation.h"
#include "xml/parser/IntSubsetBuilder.h"
#include "xml/reader/IntSubsetXMLReader.h"
#include "xml/parser/StandardDocBuilder.h"
#include "xml/reader/ErrorHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace wispel {

namespace {

// What entity references in the DOM expand through: the replacement text parsed as content
// into the reference node, by a parser of its own.
bool parseContentText(const DOMString& text, TdomNode* target) {
    try {
        TXmlToDomParser parser(nullptr);
        parser.parseWideStringInto(text, {}, {}, target);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

std::string utf16leWithMark(const DOMString& text) {
    std::string bytes;
    bytes.reserve((text.size() + 1) * 2);
    auto put = [&bytes](char16_t unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    };
    if (text.empty() || text[0] != 0xFEFF) put(0xFEFF);
    for (char16_t unit : text) put(unit);
    return bytes;
}

TXmlToDomParser::TXmlToDomParser(TComponent* owner) : TdomCustomParser(owner) {
    errorHandler_ = std::make_unique<TdomStandardErrorHandler>();
    docBuilder_ = std::make_unique<TdomStandardDocBuilder>();
    docReader_ = std::make_unique<TdomStandardDocXMLReader>();
    docReader_->setContentHandler(docBuilder_.get());
    docReader_->setErrorHandler(errorHandler_.get());
    extSubsetBuilder_ = std::make_unique<TdomStandardExtSubsetBuilder>();
    extSubsetReader_ = std::make_unique<TdomStandardExtSubsetXMLReader>();
    extSubsetReader_->setDtdHandler(extSubsetBuilder_.get());
    extSubsetReader_->setErrorHandler(errorHandler_.get());
    intSubsetBuilder_ = std::make_unique<TdomStandardIntSubsetBuilder>();
    intSubsetReader_ = std::make_unique<TdomStandardIntSubsetXMLReader>();
    intSubsetReader_->setDtdHandler(intSubsetBuilder_.get());
    intSubsetReader_->setErrorHandler(errorHandler_.get());
}

TXmlToDomParser::~TXmlToDomParser() {
    docBuilder_.reset();
    docReader_.reset();
    errorHandler_.reset();
    extSubsetBuilder_.reset();
    extSubsetReader_.reset();
    intSubsetBuilder_.reset();
    intSubsetReader_.reset();
}

std::size_t TXmlToDomParser::maxNodes() const noexcept {
    return docBuilder_->maxNodes();
}

void TXmlToDomParser::setMaxNodes(std::size_t count) noexcept {
    docBuilder_->setMaxNodes(count);
}

bool TXmlToDomParser::predefinedEntitiesAsText() const noexcept {
    return docBuilder_->predefinedEntitiesAsText();
}

void TXmlToDomParser::setPredefinedEntitiesAsText(bool on) noexcept {
    docBuilder_->setPredefinedEntitiesAsText(on);
}

void TXmlToDomParser::setDOMImpl(TDomImplementation* impl) {
    if (domImpl_ == impl) return;
    if (domImpl_ != nullptr) RemoveFreeNotification(domImpl_);
    domImpl_ = impl;
    if (impl == nullptr) return;
    FreeNotification(impl);
    // The documents built with `impl` expand their entity references as this parser reads.
    impl->setContentTextParser(&parseContentText);
}

void TXmlToDomParser::Notification(TComponent* component, TOperation operation) {
    TdomCustomParser::Notification(component, operation);
    if (operation == TOperation::opRemove && component == domImpl_) domImpl_ = nullptr;
}

void TXmlToDomParser::checkDOMImpl() const {
    if (domImpl_ == nullptr) throw EAccessViolation("DOMImplementation not specified.");
}

// Step B: the core parse, shared by every entry.
void TXmlToDomParser::parseStreamInto(TStream* stream, const DOMString& publicId,
                                      const DOMString& systemId, TdomNode* node) {
    TdomNode* const savedTarget = docBuilder_->targetNode();
    bool parsed = false;
    {
        TXmlInputSource source(stream, publicId, systemId);
        // An earlier document is its caller's now: a failure here must not free it.
        if (node == nullptr) docBuilder_->builtDocumentRef() = nullptr;
        docBuilder_->setTargetNode(node);
        try {
            parsed = docReader_->parse(this, &source);
        } catch (...) {
            docBuilder_->setTargetNode(savedTarget);
            // A document stopped by an error the reader does not report (one too large to
            // hold) goes at once rather than with the implementation.
            if (node == nullptr) freeBuiltDocument();
            throw;
        }
        docBuilder_->setTargetNode(savedTarget);
    }
    if (parsed) return;
    freeBuiltDocument();
    throw EParserException("Parser error.");
}

void TXmlToDomParser::freeBuiltDocument() {
    if (docBuilder_->builtDocument() != nullptr && domImpl_ != nullptr) {
        domImpl_->freeDocument(docBuilder_->builtDocumentRef());
    }
}

void TXmlToDomParser::parseMemoryInto(const void* buffer, std::int64_t size,
                                      const DOMString& publicId, const DOMString& systemId,
                                      TdomNode* node) {
    TXmlMemoryStream stream(buffer, size);
    parseStreamInto(&stream, publicId, systemId, node);
}

void TXmlToDomParser::parseWideStringInto(const DOMString& text, const DOMString& publicId,
                                          const DOMString& systemId, TdomNode* node) {
    if (text.empty()) return;
    const std::string bytes = utf16leWithMark(text);
    parseMemoryInto(bytes.data(), static_cast<std::int64_t>(bytes.size()), publicId, systemId,
                    node);
}

namespace {

// Reads a DTD subset with `reader` into `target` through `builder`, whose target is restored
// afterwards; a reported syntax error becomes "Parser error.".
void readSubset(TdomCustomParser* parser, TdomCustomXMLReader& reader,
                TdomStandardIntSubsetBuilder& builder, TStream* stream, const DOMString& publicId,
                const DOMString& systemId, TdomCustomCMIEObject* target) {
    TdomCustomCMIEObject* const savedTarget = builder.targetNode();
    bool parsed = false;
    {
        TXmlInputSource source(stream, publicId, systemId);
        builder.setTargetNode(target);
        try {
            parsed = reader.parse(parser, &source);
        } catch (...) {
            builder.setTargetNode(savedTarget);
            throw;
        }
        builder.setTargetNode(savedTarget);
    }
    if (!parsed) throw EParserException("Parser error.");
}

}  // namespace

void TXmlToDomParser::parseInternalSubset(TStream* stream, const DOMString& publicId,
                                          const DOMString& systemId, TdomCMInternalObject* target) {
    readSubset(this, *intSubsetReader_, *intSubsetBuilder_, stream, publicId, systemId, target);
}

void TXmlToDomParser::parseExternalSubset(TStream* stream, const DOMString& publicId,
                                          const DOMString& systemId, TdomCMExternalObject* target) {
    readSubset(this, *extSubsetReader_, *extSubsetBuilder_, stream, publicId, systemId, target);
}

void TXmlToDomParser::parseInternalSubsetText(const DOMString& text, const DOMString& publicId,
                                              const DOMString& systemId,
                                              TdomCMInternalObject* target) {
    if (text.empty()) return;
    const std::string bytes = utf16leWithMark(text);
    TXmlMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    parseInternalSubset(&stream, publicId, systemId, target);
}

TdomDocument* TXmlToDomParser::parseWholeStream(TStream* stream, const DOMString& systemId) {
    errorHandler_->clearErrors();
    parseStreamInto(stream, {}, systemId, nullptr);
    return docBuilder_->builtDocument();
}

TdomDocument* TXmlToDomParser::parseFile(const std::string& fileName) {
    checkDOMImpl();
    if (fileName.empty()) throw EAccessViolation("Filename not specified.");
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return parseWholeStream(&stream, fromUtf8(fileName));
}

TdomDocument* TXmlToDomParser::parseStream(TStream* stream) {
    checkDOMImpl();
    if (stream == nullptr) throw EAccessViolation("Stream not specified.");
    return parseWholeStream(stream, {});
}

TdomDocument* TXmlToDomParser::parseMemory(const void* buffer, std::int64_t size) {
    checkDOMImpl();
    if (buffer == nullptr) throw EAccessViolation("pointer not specified.");
    TXmlMemoryStream stream(buffer, size);
    return parseWholeStream(&stream, {});
}

TdomDocument* TXmlToDomParser::parseString(const std::string& text) {
    checkDOMImpl();
    if (text.empty()) throw EAccessViolation("Empty string.");
    return parseMemory(text.data(), static_cast<std::int64_t>(text.size()));
}

TdomDocument* TXmlToDomParser::parseWideString(const DOMString& text) {
    checkDOMImpl();
    if (text.empty()) throw EAccessViolation("Empty string.");
    const std::string bytes = utf16leWithMark(text);
    return parseMemory(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace wispel
