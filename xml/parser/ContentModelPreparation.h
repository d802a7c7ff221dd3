#pragma once
// Turns the recorded declarations of a content model's internal and external parts into
// its five maps: element types, attribute definitions, entities, parameter entities and
// notations. Problems that are not syntax errors are reported to the error handler and the
// preparation goes on; syntax errors and circular entities raise.
//
// Entity references are followed once per entity (the graph is kept with what was already
// checked), so mutually referring entities cost time in proportion to their references, not
// to the number of paths through them.

#include "core/TextConvert.h"

namespace wispel {

class TdomCMObject;
class TdomCustomErrorHandler;
class TXmlToDomParser;

// `parser` supplies the DOM implementation for external entities; `documentSystemId` is
// the parent system id handed to its loader.
void prepareContentModel(TXmlToDomParser* parser, TdomCMObject* cm,
                         TdomCustomErrorHandler* errorHandler, const DOMString& documentSystemId);

}  // namespace wispel
