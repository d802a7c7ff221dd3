#include "xml/dom/DocumentFormats.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "xml/errors/DomException.h"

namespace wispel::documentformats {

namespace {

struct TFormat {
    TdomDocumentClass documentClass;
    DOMString namespaceURI;
    DOMString qualifiedName;
};

std::vector<TFormat>& formats() {
    static std::vector<TFormat> list;  // newest first
    return list;
}

// Documents are made on several threads at once (the update parses feeds side by side);
// every look at the list and every change of it holds this.
std::mutex& formatsMutex() {
    static std::mutex mutex;
    return mutex;
}

const TFormat* find(const DOMString& namespaceURI, const DOMString& qualifiedName) {
    for (const TFormat& f : formats()) {
        if (f.namespaceURI == namespaceURI && f.qualifiedName == qualifiedName) return &f;
    }
    return nullptr;
}

}  // namespace

void registerFormat(const DOMString& namespaceURI, const DOMString& qualifiedName,
                    TdomDocumentClass documentClass) {
    if (qualifiedName == u"default") throw EInvalid_Access_Err();
    std::lock_guard<std::mutex> lock(formatsMutex());
    formats().insert(formats().begin(), {documentClass, namespaceURI, qualifiedName});
}

bool supports(const DOMString& namespaceURI, const DOMString& qualifiedName) {
    std::lock_guard<std::mutex> lock(formatsMutex());
    return find(namespaceURI, qualifiedName) != nullptr;
}

TdomDocumentClass classOf(const DOMString& namespaceURI, const DOMString& qualifiedName) {
    std::lock_guard<std::mutex> lock(formatsMutex());
    const TFormat* format = find(namespaceURI, qualifiedName);
    if (format == nullptr) throw EUnknown_Document_Format_Err();
    return format->documentClass;
}

void unregisterClass(TdomDocumentClass documentClass) {
    std::lock_guard<std::mutex> lock(formatsMutex());
    std::erase_if(formats(),
                  [documentClass](const TFormat& f) { return f.documentClass == documentClass; });
}

}  // namespace wispel::documentformats
