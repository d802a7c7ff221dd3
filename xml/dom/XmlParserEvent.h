#pragma once
// The callback through which a parser asks its owner for an external subset or an external
// parsed entity. The handler may replace the ids and hands over a stream, which the caller
// then owns and frees.

#include <cstdint>
#include <memory>

#include "core/Event.h"
#include "core/Stream.h"
#include "core/TextConvert.h"

namespace wispel {

class TComponent;

enum TXmlParserAction : std::uint8_t {
    actionNotFound = 0,  // the text cannot be supplied
    actionRetry = 1,     // call the handler again
    actionProceed = 2,   // go on: a stream, if given, is read; any other value acts alike
};

// (sender, parentSystemId, publicId, systemId, stream, action)
using TXmlParserEvent = TEvent<TComponent*, const DOMString&, DOMString&, DOMString&,
                               std::unique_ptr<TStream>&, TXmlParserAction&>;

}  // namespace wispel
