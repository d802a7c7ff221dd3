#include "feeds/AtomReader.h"

#include <optional>

#include "core/TextTrim.h"
#include "feeds/AtomText.h"
#include "feeds/AttributeText.h"
#include "feeds/LinkResolution.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

const TdomElement* asElement(const TdomNode* node) {
    return node && node->nodeType() == ELEMENT_NODE ? static_cast<const TdomElement*>(node)
                                                    : nullptr;
}

bool isAtomNamespace(FeedNamespace ns) {
    return ns == FeedNamespace::Atom || ns == FeedNamespace::Atom03;
}

bool isAlternateLink(const TdomElement* link) {
    const TdomAttr* rel = link->getAttributeNode(u"rel");
    return link->getAttributeNode(u"href") && (!rel || rel->nodeValue() == u"alternate");
}

// The date elements of both versions, in the order they are tried.
constexpr std::u16string_view kDateNames[] = {u"published", u"updated", u"issued", u"created",
                                              u"modified"};
constexpr int kDateKinds = 5;

// The first child of each kind that an entry holds.
struct EntryChildren {
    const TdomElement* title = nullptr;
    const TdomElement* link = nullptr;
    const TdomElement* summary = nullptr;
    const TdomElement* content = nullptr;
    const TdomElement* id = nullptr;
    const TdomElement* author = nullptr;
    const TdomElement* dates[kDateKinds] = {};
};

void keepFirst(const TdomElement*& slot, const TdomElement* element) {
    if (!slot) slot = element;
}

EntryChildren childrenOf(const TdomElement* entry, const TFeedNamespaces& namespaces) {
    EntryChildren found;
    for (const TdomNode* node = entry->firstChild(); node; node = node->nextSibling()) {
        const TdomElement* child = asElement(node);
        if (!child || !isAtomNamespace(namespaces.of(child))) continue;
        const std::u16string_view name = localNameOf(child);
        if (name == u"title") {
            keepFirst(found.title, child);
        } else if (name == u"link") {
            if (isAlternateLink(child)) keepFirst(found.link, child);
        } else if (name == u"summary") {
            keepFirst(found.summary, child);
        } else if (name == u"content") {
            keepFirst(found.content, child);
        } else if (name == u"id") {
            keepFirst(found.id, child);
        } else if (name == u"author") {
            keepFirst(found.author, child);
        } else {
            for (int i = 0; i < kDateKinds; ++i) {
                if (name == kDateNames[i]) keepFirst(found.dates[i], child);
            }
        }
    }
    return found;
}

const TdomElement* authorName(const TdomElement* author, const TFeedNamespaces& namespaces) {
    for (const TdomNode* node = author->firstChild(); node; node = node->nextSibling()) {
        const TdomElement* child = asElement(node);
        if (child && isAtomNamespace(namespaces.of(child)) && localNameOf(child) == u"name") {
            return child;
        }
    }
    return nullptr;
}

std::string trimmedText(TFieldTextReader& fields, const TdomElement* element) {
    return std::string(trimXmlBlanks(fields.text(element)));
}

void readEntry(const TdomElement* entry, const TFeedNamespaces& namespaces,
               std::string_view feedURL, TFieldTextReader& fields, TAtomTexts& texts,
               TRSSListedItem& item) {
    const EntryChildren found = childrenOf(entry, namespaces);
    if (found.title) item.Title = texts.text(found.title);
    if (found.link) {
        item.Link = resolveItemLink(
            found.link, toUtf8(trimXmlBlanks(attributeText(found.link, u"href"))), feedURL);
    }
    if (found.summary) {
        item.Description = texts.text(found.summary);
    } else if (found.content) {
        item.Description = texts.text(found.content);
    }
    if (found.id) item.Key = trimmedText(fields, found.id);
    for (const TdomElement* date : found.dates) {
        if (date) item.Date = parseInternetDate(fields.text(date));
        if (item.Date) break;
    }
    if (found.author) {
        if (const TdomElement* name = authorName(found.author, namespaces)) {
            item.Author = trimmedText(fields, name);
        }
    }
}

}  // namespace

bool IsAtomFeed(const TdomDocument* document) {
    const TdomElement* root = document ? document->documentElement() : nullptr;
    return root && isAtomNamespace(rootNamespace(document)) && localNameOf(root) == u"feed";
}

void ReadAtomEntries(const TdomDocument* document, const TFeedNamespaces& namespaces,
                     std::string_view feedURL, TFieldTextReader& fields,
                     TRSSListedItemCollection& items) {
    const TdomElement* root = document->documentElement();
    TAtomTexts texts(fields, namespaces.of(root) == FeedNamespace::Atom03);
    for (const TdomNode* node = root->firstChild(); node; node = node->nextSibling()) {
        const TdomElement* entry = asElement(node);
        if (entry && isAtomNamespace(namespaces.of(entry)) && localNameOf(entry) == u"entry") {
            readEntry(entry, namespaces, feedURL, fields, texts, *items.Add());
        }
    }
}

}  // namespace wispel
