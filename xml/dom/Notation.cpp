#include "xml/dom/Notation.h"

namespace wispel {

TdomNotation::TdomNotation(TdomDocument* ownerDocument, const DOMString& name,
                           const DOMString& publicId, const DOMString& systemId)
    : TdomNode(ownerDocument, name, NOTATION_NODE),
      publicId_(publicId),
      systemId_(systemId) {}

const DOMString& TdomNotation::publicId() const {
    return publicId_;
}
const DOMString& TdomNotation::systemId() const {
    return systemId_;
}

}  // namespace wispel
