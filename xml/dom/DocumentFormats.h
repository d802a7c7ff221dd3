#pragma once
// The process-wide list of registered document formats: which document class to construct
// for a (namespace URI, qualified name) pair. Newest records come first; it starts empty.
// Safe to use from several threads: each call holds the list's lock.

#include <memory>

#include "core/TextConvert.h"

namespace wispel {

class TdomDocument;
class TDomImplementation;

// Constructs a document of some TdomDocument subclass for an implementation.
using TdomDocumentClass = std::unique_ptr<TdomDocument> (*)(TDomImplementation* implementation);

// The document class of `Doc` (constructible from a TDomImplementation*).
template <class Doc>
std::unique_ptr<TdomDocument> constructDocument(TDomImplementation* implementation) {
    return std::make_unique<Doc>(implementation);
}

namespace documentformats {
// EInvalid_Access_Err for the reserved name "default".
void registerFormat(const DOMString& namespaceURI, const DOMString& qualifiedName,
                    TdomDocumentClass documentClass);
bool supports(const DOMString& namespaceURI, const DOMString& qualifiedName);
// EUnknown_Document_Format_Err when no record matches.
TdomDocumentClass classOf(const DOMString& namespaceURI, const DOMString& qualifiedName);
void unregisterClass(TdomDocumentClass documentClass);
}  // namespace documentformats

}  // namespace wispel
