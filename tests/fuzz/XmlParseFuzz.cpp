// Feeds arbitrary bytes through TXmlToDomParser::parseStream. Every input must end in a
// document or in one of the parser's own errors, never in a crash, a leak or a hang.

#include <cstddef>
#include <cstdint>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wispel;
    TDomImplementation impl(nullptr);
    TXmlToDomParser parser(nullptr);
    parser.setDOMImpl(&impl);
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<std::int64_t>(size));
    try {
        TdomDocument* doc = parser.parseStream(&stream);
        impl.freeDocument(doc);
    } catch (const Exception&) {
        // Refused input: the error is the expected outcome.
    }
    return 0;
}
