#pragma once
// Helpers for the input source tests: sources over byte strings, and decoding to the end.

#include <memory>
#include <string>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "xml/input/XmlInputSource.h"

namespace wispel::testing {

// An input source together with the stream it reads.
struct SourceOver {
    explicit SourceOver(const std::string& bytes) {
        stream.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        source = std::make_unique<TXmlInputSource>(&stream, u"", u"");
    }
    TMemoryStream stream;
    std::unique_ptr<TXmlInputSource> source;
};

struct Decoded {
    DOMString units;
    std::string errorClass;  // empty when the data decoded to the end
    std::string message;
};

inline Decoded decodeAll(TXmlInputSource& source) {
    Decoded result;
    try {
        char16_t unit;
        while (source.nextChar(unit)) result.units.push_back(unit);
    } catch (const Exception& e) {
        result.errorClass = e.className();
        result.message = e.message();
    }
    return result;
}

}  // namespace wispel::testing
