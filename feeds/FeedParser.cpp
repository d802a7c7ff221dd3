#include "feeds/FeedParser.h"

#include "core/Exception.h"
#include "core/TextTrim.h"
#include "feeds/AtomReader.h"
#include "feeds/FieldText.h"
#include "feeds/FeedFilter.h"
#include "feeds/FeedNamespaces.h"
#include "feeds/ItemKey.h"
#include "feeds/ItemTitle.h"
#include "feeds/LinkResolution.h"
#include "feeds/RssItemFields.h"
#include "feeds/TextReader.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/traversal/TreeWalker.h"
#include "xml/errors/DomException.h"
#include "xml/errors/ParserErrors.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {

namespace {

// Elements, attributes, text and CDATA sections, and bit 0, which stands for no node type:
// whatToShow 31, as the walk has always been given.
constexpr TdomWhatToShow kShownTypes =
    typeSet({ELEMENT_NODE, ATTRIBUTE_NODE, TEXT_NODE, CDATA_SECTION_NODE}) | 1u;
constexpr int kFieldRounds = 3;

// Feeds that name an external DTD (the old RSS 0.91 ones name Netscape's) are read without
// it: nothing is ever fetched, and the references it would have declared are taken as
// HTML's, as in any feed without a DTD.
void skipExternalSubset(TComponent*, const DOMString&, DOMString&, DOMString&,
                        std::unique_ptr<TStream>& stream, TXmlParserAction& action) {
    stream.reset();
    action = actionProceed;
}

}  // namespace

TRSSParser::TRSSParser(TComponent* owner)
    : TComponent(owner),
      items_(typeid(TRSSListedItem)),
      domImplementation_(std::make_unique<TDomImplementation>()),
      xmlParser_(std::make_unique<TXmlToDomParser>()) {
    xmlParser_->setDOMImpl(domImplementation_.get());
    // Field texts replace each of these references by its character anyway; escaped HTML
    // holds dozens per item, and as nodes they would cost more than the text they stand for.
    xmlParser_->setPredefinedEntitiesAsText(true);
    xmlParser_->onExternalSubset = skipExternalSubset;
}

// The implementation frees the document it still holds.
TRSSParser::~TRSSParser() = default;

void TRSSParser::WalkNode(TdomTreeWalker* walker) {
    if (!walker) return;
    // Entities come from the walked document, which need not be the last parsed one.
    TdomNode* root = walker->root();
    TFieldTextReader fields(documentEntityExpander(root->nodeType() == DOCUMENT_NODE
                                                       ? static_cast<TdomDocument*>(root)
                                                       : root->ownerDocument()));
    for (;;) {
        const ElementKind kind = classifyNodeName(rssNodeName(walker->currentNode(), namespaces_));
        if (kind == ElementKind::Item) {
            readItem(*walker, fields);
            if (!walker->nextSibling()) return;
        } else if (!walker->nextNode()) {
            // A field element outside an item moves on in node order as well.
            return;
        }
    }
}

// Reads the first visible children of the item, each into the field its own name selects,
// and leaves the walker on the item. Every move is checked, so that an item with empty or
// missing fields never carries the walk off into the items after it.
void TRSSParser::readItem(TdomTreeWalker& walker, TFieldTextReader& fields) {
    TdomNode* itemNode = walker.currentNode();
    TRSSListedItem* item = items_.Add();
    if (!walker.firstChild()) return;
    for (int round = 1; round <= kFieldRounds; ++round) {
        const TdomNode* field = walker.currentNode();
        switch (classifyNodeName(rssNodeName(field, namespaces_))) {
            case ElementKind::Title:
                item->Title = titleText(fields.units(field));
                break;
            case ElementKind::Link:
                item->Link = resolveItemLink(
                    field, std::string(trimXmlBlanks(fields.text(field))), baseURL_);
                break;
            case ElementKind::Description:
                item->Description = fields.text(field);
                break;
            case ElementKind::None:
            case ElementKind::Item:
                break;
        }
        if (round < kFieldRounds && !walker.nextSibling()) break;
    }
    if (walker.parentNode() != itemNode) walker.currentNode(itemNode);
    if (namespaces_) readRssItemFields(itemNode, *namespaces_, fields, *item);
}

void TRSSParser::completeItems() {
    for (int i = 0; i < items_.Count(); ++i) {
        completeItemKey(*items_[i]);
        completeItemTitle(*items_[i]);
    }
}

void TRSSParser::BuildItems() {
    if (!document_) {
        items_.Clear();
        return;
    }
    const TFeedNamespaces namespaces(document_);
    if (IsAtomFeed(document_)) {
        items_.Clear();
        TFieldTextReader fields(documentEntityExpander(document_));
        ReadAtomEntries(document_, namespaces, baseURL_, fields, items_);
        completeItems();
        return;
    }
    TRSSFilter filter(&namespaces);
    TdomTreeWalker* walker =
        document_->createTreeWalker(document_->lastChild(), kShownTypes, &filter, true);
    namespaces_ = &namespaces;
    try {
        items_.Clear();
        WalkNode(walker);
    } catch (...) {
        namespaces_ = nullptr;
        document_->freeTreeWalker(walker);
        throw;
    }
    namespaces_ = nullptr;
    document_->freeTreeWalker(walker);
    completeItems();
}

void TRSSParser::ParseRSSText(TStream* stream) {
    if (!stream) throw Exception("Cannot parse a nil stream");
    ReadRSSTextStream(*stream, items_);
    completeItems();
}

void TRSSParser::freeDocument() {
    if (document_) domImplementation_->freeDocument(document_);
}

void TRSSParser::ParseRSSFile(const std::string& name) {
    if (name.empty()) throw Exception("Must have a valid filename");
    freeDocument();
    document_ = xmlParser_->parseFile(name);
    BuildItems();
}

void TRSSParser::ParseRSSStream(TStream* stream) {
    if (!stream) throw Exception("Cannot parse a nil stream");
    freeDocument();
    try {
        document_ = xmlParser_->parseStream(stream);
        BuildItems();
    } catch (const EParserDocumentTooLarge&) {
        throw;  // the text reading would only hide what the bound says
    } catch (const EParserException&) {
        ParseRSSText(stream);  // bytes that are not XML may still be plain-text records
    } catch (const EDomException&) {
        ParseRSSText(stream);
    } catch (const EConvertError&) {
        ParseRSSText(stream);  // undecodable bytes
    } catch (const EStreamError&) {
        ParseRSSText(stream);  // too short to tell the encoding
    }
}

}  // namespace wispel
