#include "feeds/FeedTitle.h"

#include "core/TextConvert.h"
#include "feeds/AtomReader.h"
#include "feeds/FieldText.h"
#include "feeds/HtmlText.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

// The name without its prefix: RDF and prefixed RSS documents name the same elements.
std::u16string_view localName(const TdomNode* node) {
    const DOMString& name = node->nodeName();
    const std::size_t colon = name.find(u':');
    return colon == DOMString::npos ? std::u16string_view(name)
                                    : std::u16string_view(name).substr(colon + 1);
}

const TdomElement* childElement(const TdomNode* parent, std::u16string_view name) {
    for (const TdomNode* node = parent->firstChild(); node; node = node->nextSibling()) {
        if (node->nodeType() == ELEMENT_NODE && localName(node) == name) {
            return static_cast<const TdomElement*>(node);
        }
    }
    return nullptr;
}

}  // namespace

std::string FeedTitle(const TdomDocument* document) {
    const TdomElement* root = document ? document->documentElement() : nullptr;
    if (!root) return {};
    const bool atom = IsAtomFeed(document);
    const TdomElement* owner = atom ? root : childElement(root, u"channel");
    const TdomElement* title = owner ? childElement(owner, u"title") : nullptr;
    if (!title) return {};
    TFieldTextReader fields(documentEntityExpander(document));
    const DOMString& text = fields.units(title);
    if (atom && title->getAttribute(u"type") == u"html") {
        DOMString plain;
        appendHtmlText(text, plain);
        return toUtf8(trimXmlBlanks(plain));
    }
    return toUtf8(trimXmlBlanks(text));
}

}  // namespace wispel
