#include "feeds/RssItemFields.h"

#include "core/TextTrim.h"
#include "feeds/ItemTitle.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

// The first element of each kind the item holds.
struct ItemChildren {
    const TdomNode* guid = nullptr;
    const TdomNode* pubDate = nullptr;
    const TdomNode* dcDate = nullptr;
    const TdomNode* author = nullptr;
    const TdomNode* dcCreator = nullptr;
    const TdomNode* dcTitle = nullptr;
    const TdomNode* mediaTitle = nullptr;
    const TdomNode* encoded = nullptr;
};

void keepFirst(const TdomNode*& slot, const TdomNode* node) {
    if (!slot) slot = node;
}

ItemChildren childrenOf(const TdomNode* itemElement, const TFeedNamespaces& namespaces) {
    ItemChildren found;
    for (const TdomNode* node = itemElement->firstChild(); node; node = node->nextSibling()) {
        if (node->nodeType() != ELEMENT_NODE) continue;
        const std::u16string_view name = node->nodeName();
        if (name == u"guid") {
            keepFirst(found.guid, node);
        } else if (name == u"pubDate") {
            keepFirst(found.pubDate, node);
        } else if (name == u"author") {
            keepFirst(found.author, node);
        } else if (name.find(u':') == std::u16string_view::npos) {
            continue;  // the other vocabularies come with a prefix in RSS
        } else if (namespaces.is(node, FeedNamespace::DublinCore, u"date")) {
            keepFirst(found.dcDate, node);
        } else if (namespaces.is(node, FeedNamespace::DublinCore, u"creator")) {
            keepFirst(found.dcCreator, node);
        } else if (namespaces.is(node, FeedNamespace::DublinCore, u"title")) {
            keepFirst(found.dcTitle, node);
        } else if (namespaces.is(node, FeedNamespace::Media, u"title")) {
            keepFirst(found.mediaTitle, node);
        } else if (namespaces.is(node, FeedNamespace::Content, u"encoded")) {
            keepFirst(found.encoded, node);
        }
    }
    return found;
}

bool isPermaLink(const TdomNode* guid) {
    const TdomAttr* attribute =
        static_cast<const TdomElement*>(guid)->getAttributeNode(u"isPermaLink");
    return !attribute || trimXmlBlanks(toUtf8(attribute->nodeValue())) == "true";
}

bool isWebAddress(std::string_view text) {
    return text.starts_with("http://") || text.starts_with("https://");
}

std::string trimmedText(TFieldTextReader& fields, const TdomNode* element) {
    return std::string(trimXmlBlanks(fields.text(element)));
}

std::optional<TUtcSeconds> dateOf(TFieldTextReader& fields, const TdomNode* element) {
    return element ? parseInternetDate(fields.text(element)) : std::nullopt;
}

}  // namespace

void readRssItemFields(const TdomNode* itemElement, const TFeedNamespaces& namespaces,
                       TFieldTextReader& fields, TRSSListedItem& item) {
    const ItemChildren found = childrenOf(itemElement, namespaces);
    if (found.guid) {
        item.Key = trimmedText(fields, found.guid);
        if (trimXmlBlanks(item.Link).empty() && isPermaLink(found.guid) &&
            isWebAddress(item.Key)) {
            item.Link = item.Key;
        }
    }
    item.Date = dateOf(fields, found.pubDate);
    if (!item.Date) item.Date = dateOf(fields, found.dcDate);
    if (found.author) item.Author = trimmedText(fields, found.author);
    if (item.Author.empty() && found.dcCreator) item.Author = trimmedText(fields, found.dcCreator);
    if (found.encoded) item.Content = fields.text(found.encoded);
    if (trimXmlBlanks(item.Title).empty()) {
        for (const TdomNode* title : {found.dcTitle, found.mediaTitle}) {
            if (title) item.Title = titleText(fields.units(title));
            if (!trimXmlBlanks(item.Title).empty()) break;
        }
    }
}

}  // namespace wispel
