// Feeds arbitrary bytes through TXmlToDomParser::parseStream and reads every attribute's
// value, which expands the entity references in it. Inputs of odd length are parsed with
// the predefined references merged into the text, as the feed parser has them. Every input
// must end in a document or in one of the parser's own errors, never in a crash, a leak, a
// hang or unbounded memory.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/NamedNodeMap.h"
#include "xml/parser/XmlToDomParser.h"

namespace {

using namespace wispel;

// Every attribute value of the document, walked with an explicit stack.
void readAttributeValues(TdomDocument* doc) {
    std::vector<TdomNode*> pending{doc};
    while (!pending.empty()) {
        TdomNode* node = pending.back();
        pending.pop_back();
        if (TdomNamedNodeMap* attributes = node->attributes()) {
            for (int i = 0; i < attributes->length(); ++i) {
                try {
                    static_cast<TdomAttr*>(attributes->item(i))->value();
                } catch (const Exception&) {
                    // A reference to an undeclared entity: the DOM's own error.
                }
            }
        }
        for (TdomNode* child = node->firstChild(); child != nullptr; child = child->nextSibling())
            pending.push_back(child);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDomImplementation impl(nullptr);
    TXmlToDomParser parser(nullptr);
    parser.setDOMImpl(&impl);
    parser.setPredefinedEntitiesAsText(size % 2 == 1);
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<std::int64_t>(size));
    try {
        TdomDocument* doc = parser.parseStream(&stream);
        readAttributeValues(doc);
        impl.freeDocument(doc);
    } catch (const Exception&) {
        // Refused input: the error is the expected outcome.
    }
    return 0;
}
