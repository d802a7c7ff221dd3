#include "xml/dom/DocumentFragment.h"

namespace wispel {

TdomDocumentFragment::TdomDocumentFragment(TdomDocument* ownerDocument)
    : TdomParentNode(ownerDocument, u"#document-fragment", DOCUMENT_FRAGMENT_NODE) {}

}  // namespace wispel
