#pragma once
// The checks of a namespace-aware name, shared by the namespace-aware node constructors
// and the implementation's createDocumentNS.

#include "core/TextConvert.h"

namespace wispel {

struct TdomQualifiedName {
    DOMString prefix;
    DOMString localName;
};

// Raises EInvalid_Character_Err when the name is not an XML Name, ENamespace_Err when it is
// not a QName, when it has a prefix but no namespace URI, when the prefix is "xml" with
// another namespace than the XML one, and (with `xmlnsRules`) when the prefix or the whole
// name is "xmlns" with another namespace than the xmlns one. Splits at the first ":".
TdomQualifiedName checkQualifiedName(const DOMString& namespaceURI, const DOMString& qualifiedName,
                                     bool xmlnsRules);

// EInvalid_Character_Err unless validName.
void checkXmlName(const DOMString& name);

}  // namespace wispel
