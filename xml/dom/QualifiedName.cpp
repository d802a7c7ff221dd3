#include "xml/dom/QualifiedName.h"

#include "xml/chars/XmlChars.h"
#include "xml/errors/DomException.h"
#include "xml/dom/NodeType.h"

namespace wispel {

void checkXmlName(const DOMString& name) {
    if (!validName(name)) throw EInvalid_Character_Err();
}

TdomQualifiedName checkQualifiedName(const DOMString& namespaceURI, const DOMString& qualifiedName,
                                     bool xmlnsRules) {
    checkXmlName(qualifiedName);
    if (!validQName(qualifiedName)) throw ENamespace_Err();
    TdomQualifiedName result;
    size_t colon = qualifiedName.find(u':');
    if (colon == DOMString::npos) {
        result.localName = qualifiedName;
    } else {
        result.prefix = qualifiedName.substr(0, colon);
        result.localName = qualifiedName.substr(colon + 1);
    }
    if (!result.prefix.empty() && namespaceURI.empty()) throw ENamespace_Err();
    if (result.prefix == u"xml" && namespaceURI != kXmlNamespace) throw ENamespace_Err();
    if (xmlnsRules && (result.prefix == u"xmlns" || qualifiedName == u"xmlns") &&
        namespaceURI != kXmlnsNamespace)
        throw ENamespace_Err();
    return result;
}

}  // namespace wispel
