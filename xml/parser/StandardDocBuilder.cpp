#include "xml/parser/StandardDocBuilder.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/ProcessingInstruction.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/NameValueList.h"
#include "xml/input/XmlInputSource.h"
#include "xml/parser/AttributeValues.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {

void discardNode(TdomNode* node) {
    if (node == nullptr) return;
    if (TdomNode* parent = node->parentNode()) parent->removeChild(node);
    node->setReadonly(false);
    node->ownerDocument()->freeAllNodes(node);
}

template <class Error>
void TdomStandardDocBuilder::appendOrDiscard(TdomNode* node, const char* message) {
    try {
        openNode_->appendChild(node);
    } catch (const Exception&) {
        discardNode(node);
        throw Error(message);
    }
}

void TdomStandardDocBuilder::countNodes(std::size_t count) {
    if (count > maxNodes_ - nodeCount_) {
        throw EParserDocumentTooLarge(
            formatMessage("Document with more than %d nodes.", {maxNodes_}));
    }
    nodeCount_ += count;
}

TdomDocument* TdomStandardDocBuilder::openDocument() const {
    if (openNode_ == nullptr || openNode_->nodeType() != DOCUMENT_NODE) return nullptr;
    return static_cast<TdomDocument*>(openNode_);
}

void TdomStandardDocBuilder::startDocument(TdomCustomParser* sender, TdomStandardLocator* locator,
                                           const DOMString& rootName) {
    const DOMString name = rootName.empty() ? DOMString(u"default") : rootName;
    if (targetNode_ != nullptr) {
        builtDocument_ = nullptr;
    } else {
        auto* parser = dynamic_cast<TXmlToDomParser*>(sender);
        TDomImplementation* impl = parser ? parser->DOMImpl() : nullptr;
        if (impl == nullptr) throw EAccessViolation("DOMImplementation not specified.");
        builtDocument_ = impl->createDocument(name, nullptr);
        targetNode_ = builtDocument_;
        builtDocument_->clear();
    }
    openNode_ = targetNode_;
    nodeCount_ = 0;
    declarationAllowed_ = false;
    if (TdomDocument* doc = openDocument()) {
        declarationAllowed_ = true;
        doc->setSystemId(locator ? locator->systemId() : DOMString());
    }
}

void TdomStandardDocBuilder::xmlDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                            const DOMString& version, const DOMString& encoding,
                                            const DOMString& standalone) {
    if (openNode_ == nullptr) return;
    TdomDocument* doc = openDocument();
    if (doc == nullptr || doc->hasChildNodes() || !declarationAllowed_) {
        throw EParserWrongOrder_Err("Wrong order error.");
    }
    const bool valid = (encoding.empty() || validEncName(encoding)) &&
                       (standalone.empty() || standalone == u"yes" || standalone == u"no") &&
                       validVersionNum(version);
    if (!valid) throw EParserInvalidXmlDeclaration_Err("Invalid xml-declaration error.");
    declarationAllowed_ = false;
    doc->setVersion(version);
    doc->setStandalone(standalone);
    doc->setEncoding(encoding);
}

void TdomStandardDocBuilder::doctypeDeclaration(TdomCustomParser* sender,
                                                TdomStandardLocator* locator, const DOMString& name,
                                                const DOMString& publicId,
                                                const DOMString& systemId,
                                                const DOMString& internalSubset) {
    if (openNode_ == nullptr) return;
    TdomDocument* doc = openDocument();
    if (doc == nullptr || doc->documentElement() != nullptr) {
        throw EParserWrongOrder_Err("Wrong order declaration error.");
    }
    if (doc->doctype() != nullptr) {
        throw EParserDoubleDoctype_Err("Double doctype declaration error.");
    }
    countNodes(1);
    TdomNode* doctype = nullptr;
    try {
        doctype = doc->createDocumentType(name, publicId, systemId, internalSubset);
    } catch (const Exception&) {
        throw EParserInvalidDoctype_Err("Invalid doctype declaration error.");
    }
    appendOrDiscard<EParserInvalidDoctype_Err>(doctype, "Invalid doctype declaration error.");
    try {
        auto* parser = dynamic_cast<TXmlToDomParser*>(sender);
        if (parser == nullptr) return;
        parser->parsedtd(locator, name, publicId, systemId, internalSubset,
                         doc->standalone() == u"yes");
    } catch (const EParserException&) {
        throw;
    } catch (const Exception&) {
        throw EParserInvalidDoctype_Err("Invalid doctype declaration error.");
    }
}

void TdomStandardDocBuilder::startElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                          const DOMString&, const DOMString& tagName,
                                          TdomNameValueList* attributes) {
    if (openNode_ == nullptr) return;
    if (!validName(tagName)) throw EParserInvalidElementName_Err("Invalid element name error.");
    TdomDocument* doc = openDocument();
    if (doc != nullptr && doc->documentElement() != nullptr) {
        throw EParserDoubleRootElement_Err("Double root element error.");
    }
    countNodes(1 + static_cast<std::size_t>(attributes ? attributes->count() : 0));
    TdomElement* element = nullptr;
    try {
        element = openNode_->ownerDocument()->createElement(tagName);
    } catch (const Exception&) {
        throw EInternalParserException(
            "Internal Parser Exception in TdomStandardDocBuilder.startElement");
    }
    try {
        addAttributes(element, attributes);
    } catch (...) {
        discardNode(element);
        throw;
    }
    appendOrDiscard<EParserInvalidElementName_Err>(element, "Invalid element name error.");
    openNode_ = element;
}

void TdomStandardDocBuilder::addAttributes(TdomElement* element, TdomNameValueList* attributes) {
    if (attributes == nullptr) return;
    const int count = attributes->count();
    for (int i = 0; i < count; ++i) {
        addAttributeValue(element, attributes->names(i), attributes->values(i));
    }
}

void TdomStandardDocBuilder::endElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                        const DOMString&, const DOMString& tagName) {
    if (openNode_ == nullptr) return;
    // The node a parse was started on is never closed by the text parsed into it.
    const bool closesOpenElement = openNode_ != targetNode_ &&
                                   openNode_->nodeType() == ELEMENT_NODE &&
                                   openNode_->nodeName() == tagName;
    // The open element's name passed the check when it was made; any other is checked first,
    // so that an invalid name is reported as such.
    if (!closesOpenElement) {
        if (!validName(tagName)) {
            throw EParserInvalidElementName_Err("Invalid element name error.");
        }
        throw EParserMissingStartTag_Err("Missing start tag error.");
    }
    openNode_ = openNode_->parentNode();
}

// Adjacent character data ends up in one text node: text and character references are
// added to a text node that is the last child, so a run of them never makes a node each.
void TdomStandardDocBuilder::mergeText(const DOMString& text) {
    if (TdomNode* last = openNode_->lastChild(); last && last->nodeType() == TEXT_NODE) {
        try {
            static_cast<TdomText*>(last)->appendData(text);
        } catch (const Exception&) {
            throw EParserInvalidCharacter_Err("Invalid character error.");
        }
        return;
    }
    countNodes(1);
    appendOrDiscard<EParserInvalidCharacter_Err>(openNode_->ownerDocument()->createTextNode(text),
                                                 "Invalid character error.");
}

void TdomStandardDocBuilder::pcdata(TdomCustomParser*, TdomStandardLocator*,
                                    const DOMString& text) {
    if (openNode_ == nullptr) return;
    if (openNode_->nodeType() == DOCUMENT_NODE) {
        if (allBlank(text)) return;
        throw EParserNotInRoot_Err("Not in root error.");
    }
    if (!validCharData(text)) throw EParserInvalidCharacter_Err("Invalid character error.");
    mergeText(text);
}

void TdomStandardDocBuilder::characterReference(TdomCustomParser*, TdomStandardLocator*,
                                                const DOMString& reference) {
    if (openNode_ == nullptr) return;
    DOMString character;
    try {
        character = validCharRef(reference);
    } catch (const EConvertError&) {
        throw EParserInvalidCharRef_Err("Invalid character reference error.");
    }
    mergeText(character);
}

void TdomStandardDocBuilder::entityReference(TdomCustomParser*, TdomStandardLocator*,
                                             const DOMString& name) {
    if (openNode_ == nullptr) return;
    // Outside the root a reference keeps its own error, so it takes the node's path.
    if (predefinedEntitiesAsText_ && openNode_->nodeType() != DOCUMENT_NODE) {
        if (const std::u16string_view text = predefinedEntityText(name); !text.empty()) {
            mergeText(DOMString(text));
            return;
        }
    }
    countNodes(1);
    TdomNode* reference = nullptr;
    try {
        reference = openNode_->ownerDocument()->createEntityReference(name);
    } catch (const Exception&) {
        throw EParserInvalidEntityName_Err("Invalid entity name error.");
    }
    appendOrDiscard<EParserInvalidEntityName_Err>(reference, "Invalid entity name error.");
}

void TdomStandardDocBuilder::cdataSection(TdomCustomParser*, TdomStandardLocator*,
                                          const DOMString& content) {
    if (openNode_ == nullptr) return;
    if (!validCDataText(content)) throw EParserInvalidCharacter_Err("Invalid character error.");
    countNodes(1);
    appendOrDiscard<EParserInvalidCharacter_Err>(
        openNode_->ownerDocument()->createCDATASection(content), "Invalid character error.");
}

void TdomStandardDocBuilder::comment(TdomCustomParser*, TdomStandardLocator*,
                                     const DOMString& data) {
    if (openNode_ == nullptr) return;
    const bool valid = data.find(u"--") == DOMString::npos && (data.empty() || data.back() != u'-');
    if (!valid) throw EParserInvalidCharacter_Err("Invalid character error.");
    countNodes(1);
    appendOrDiscard<EParserInvalidCharacter_Err>(openNode_->ownerDocument()->createComment(data),
                                                 "Invalid character error.");
}

void TdomStandardDocBuilder::processingInstruction(TdomCustomParser*, TdomStandardLocator*,
                                                   const DOMString& target, const DOMString& data) {
    if (openNode_ == nullptr) return;
    TdomNode* instruction = nullptr;
    if (!validPITarget(target)) {
        throw EParserInvalidProcessingInstruction_Err("Invalid processing instruction error.");
    }
    countNodes(1);
    try {
        instruction = openNode_->ownerDocument()->createProcessingInstruction(target, data);
    } catch (const Exception&) {
        throw EParserInvalidProcessingInstruction_Err("Invalid processing instruction error.");
    }
    appendOrDiscard<EParserInvalidProcessingInstruction_Err>(
        instruction, "Invalid processing instruction error.");
}

void TdomStandardDocBuilder::endDocument(TdomCustomParser*) {
    if (openNode_ == nullptr) return;
    if (openNode_ != targetNode_) throw EParserMissingEndTag_Err("Missing end tag error.");
    if (TdomDocument* doc = openDocument(); doc && doc->documentElement() == nullptr) {
        throw EParserRootNotFound_Err("Root not found error.");
    }
}

}  // namespace wispel
