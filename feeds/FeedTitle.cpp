#include "feeds/FeedTitle.h"

#include "core/TextConvert.h"
#include "core/TextTrim.h"
#include "feeds/AtomReader.h"
#include "feeds/AtomText.h"
#include "feeds/FeedNamespaces.h"
#include "feeds/FieldText.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

// By the name without its prefix: RDF and prefixed RSS documents name the same elements.
const TdomElement* childElement(const TdomNode* parent, std::u16string_view name) {
    for (const TdomNode* node = parent->firstChild(); node; node = node->nextSibling()) {
        if (node->nodeType() == ELEMENT_NODE && localNameOf(node) == name) {
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
    if (atom) {
        return TAtomTexts(fields, rootNamespace(document) == FeedNamespace::Atom03).text(title);
    }
    return toUtf8(trimXmlBlanks(fields.units(title)));
}

}  // namespace wispel
