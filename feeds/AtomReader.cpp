#include "feeds/AtomReader.h"

#include "feeds/FieldText.h"
#include "feeds/HtmlText.h"
#include "feeds/LinkResolution.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

constexpr std::u16string_view kAtomNamespace = u"http://www.w3.org/2005/Atom";

const TdomElement* asElement(const TdomNode* node) {
    return node && node->nodeType() == ELEMENT_NODE ? static_cast<const TdomElement*>(node)
                                                    : nullptr;
}

// The local name of `element` when its namespace, found through the nearest declaration of
// its prefix (or of the default namespace), is Atom's; empty otherwise.
std::u16string_view atomName(const TdomElement* element) {
    const DOMString& name = element->nodeName();
    const std::size_t colon = name.find(u':');
    const DOMString declaration =
        colon == DOMString::npos ? DOMString(u"xmlns") : u"xmlns:" + name.substr(0, colon);
    for (const TdomNode* node = element; node; node = node->parentNode()) {
        const TdomElement* scope = asElement(node);
        if (!scope) continue;
        if (const TdomAttr* uri = scope->getAttributeNode(declaration)) {
            if (uri->nodeValue() != kAtomNamespace) return {};
            return std::u16string_view(name).substr(colon == DOMString::npos ? 0 : colon + 1);
        }
    }
    return {};
}

// The texts of a document's text constructs, built in buffers that serve all of them.
class ConstructTexts {
public:
    explicit ConstructTexts(TFieldTextReader& fields) : fields_(fields) {}

    // "xhtml" content is markup of its own, whose text is the element's text with a space
    // where a block starts or ends; "html" content is escaped markup, which comes out of the
    // element's text as tags.
    std::string text(const TdomElement* element) {
        const DOMString type = element->getAttribute(u"type");
        if (type == u"xhtml") return toUtf8(trimXmlBlanks(fields_.blockUnits(element)));
        const DOMString& text = fields_.units(element);
        if (type != u"html") return toUtf8(trimXmlBlanks(text));
        html_.clear();
        appendHtmlText(text, html_);
        return toUtf8(trimXmlBlanks(html_));
    }

private:
    TFieldTextReader& fields_;
    DOMString html_;  // the last "html" construct's text
};

bool isAlternateLink(const TdomElement* link) {
    const TdomAttr* rel = link->getAttributeNode(u"rel");
    return link->getAttributeNode(u"href") && (!rel || rel->nodeValue() == u"alternate");
}

void readEntry(const TdomElement* entry, std::string_view feedURL, ConstructTexts& texts,
               TRSSListedItem& item) {
    bool titled = false, linked = false;
    const TdomElement* summary = nullptr;
    const TdomElement* content = nullptr;
    for (const TdomNode* node = entry->firstChild(); node; node = node->nextSibling()) {
        const TdomElement* child = asElement(node);
        if (!child) continue;
        const std::u16string_view name = atomName(child);
        if (name == u"title" && !titled) {
            item.Title = texts.text(child);
            titled = true;
        } else if (name == u"link" && !linked && isAlternateLink(child)) {
            item.Link = resolveItemLink(
                child, toUtf8(trimXmlBlanks(child->getAttribute(u"href"))), feedURL);
            linked = true;
        } else if (name == u"summary" && !summary) {
            summary = child;
        } else if (name == u"content" && !content) {
            content = child;
        }
    }
    if (summary) {
        item.Description = texts.text(summary);
    } else if (content) {
        item.Description = texts.text(content);
    }
}

}  // namespace

bool IsAtomFeed(const TdomDocument* document) {
    const TdomElement* root = document ? document->documentElement() : nullptr;
    return root && atomName(root) == u"feed";
}

void ReadAtomEntries(const TdomDocument* document, std::string_view feedURL,
                     TFieldTextReader& fields, TRSSListedItemCollection& items) {
    ConstructTexts texts(fields);
    const TdomElement* root = document->documentElement();
    for (const TdomNode* node = root->firstChild(); node; node = node->nextSibling()) {
        const TdomElement* entry = asElement(node);
        if (entry && atomName(entry) == u"entry") readEntry(entry, feedURL, texts, *items.Add());
    }
}

}  // namespace wispel
