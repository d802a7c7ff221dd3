#include "feeds/FeedParser.h"

#include "core/Exception.h"
#include "feeds/AtomReader.h"
#include "feeds/FieldText.h"
#include "feeds/FeedFilter.h"
#include "feeds/LinkResolution.h"
#include "feeds/TextReader.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/traversal/TreeWalker.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {

namespace {

// Elements, attributes, text and CDATA sections, and bit 0, which stands for no node type:
// whatToShow 31, as the walk has always been given.
constexpr TdomWhatToShow kShownTypes =
    typeSet({ELEMENT_NODE, ATTRIBUTE_NODE, TEXT_NODE, CDATA_SECTION_NODE}) | 1u;
constexpr int kFieldRounds = 3;

}  // namespace

TRSSParser::TRSSParser(TComponent* owner)
    : TComponent(owner),
      items_(new TRSSListedItemCollection(typeid(TRSSListedItem))),
      xmlParser_(new TXmlToDomParser(this)),
      domImplementation_(new TDomImplementation(this)) {
    xmlParser_->setDOMImpl(domImplementation_);
}

TRSSParser::~TRSSParser() {
    delete items_;
    delete xmlParser_;
    delete domImplementation_;  // frees every document it still holds
}

void TRSSParser::WalkNode(TdomTreeWalker* walker) {
    if (!walker) return;
    // Entities come from the walked document, which need not be the last parsed one.
    TdomNode* root = walker->root();
    TFieldTextReader fields(documentEntityExpander(root->nodeType() == DOCUMENT_NODE
                                                       ? static_cast<TdomDocument*>(root)
                                                       : root->ownerDocument()));
    for (;;) {
        const ElementKind kind = classifyNodeName(walker->currentNode()->nodeName());
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
    TRSSListedItem* item = items_->Add();
    if (!walker.firstChild()) return;
    for (int round = 1; round <= kFieldRounds; ++round) {
        const TdomNode* field = walker.currentNode();
        const ElementKind kind = classifyNodeName(field->nodeName());
        if (kind == ElementKind::Link) {
            SetItemField(*item, kind, resolveItemLink(field, fields.text(field), baseURL_));
        } else if (kind != ElementKind::None && kind != ElementKind::Item) {
            SetItemField(*item, kind, fields.text(field));
        }
        if (round < kFieldRounds && !walker.nextSibling()) break;
    }
    if (walker.parentNode() != itemNode) walker.currentNode(itemNode);
}

void TRSSParser::BuildItems() {
    if (!document_) {
        items_->Clear();
        return;
    }
    if (IsAtomFeed(document_)) {
        items_->Clear();
        TFieldTextReader fields(documentEntityExpander(document_));
        ReadAtomEntries(document_, baseURL_, fields, *items_);
        return;
    }
    TRSSFilter filter;
    TdomTreeWalker* walker =
        document_->createTreeWalker(document_->lastChild(), kShownTypes, &filter, true);
    try {
        items_->Clear();
        WalkNode(walker);
    } catch (...) {
        document_->freeTreeWalker(walker);
        throw;
    }
    document_->freeTreeWalker(walker);
}

void TRSSParser::ParseRSSText(TStream* stream) {
    if (!stream) throw Exception("Cannot parse a nil stream");
    ReadRSSTextStream(*stream, *items_);
}

void TRSSParser::ParseRSSFile(const std::string& name) {
    if (name.empty()) throw Exception("Must have a valid filename");
    // An earlier document stays with the DOM implementation until it is freed.
    document_ = xmlParser_->parseFile(name);
    BuildItems();
}

void TRSSParser::ParseRSSStream(TStream* stream) {
    if (!stream) throw Exception("Cannot parse a nil stream");
    if (document_) xmlParser_->DOMImpl()->freeDocument(document_);
    try {
        document_ = xmlParser_->parseStream(stream);
        BuildItems();
    } catch (...) {
        // Whatever went wrong with the XML, the same bytes may still be plain-text records.
        ParseRSSText(stream);
    }
}

}  // namespace wispel
