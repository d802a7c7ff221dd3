#include "xml/reader/DTDHandler.h"

#include "xml/errors/DomException.h"

namespace wispel {

DOMString TdomCustomDTDHandler::parameterEntityText(const DOMString&) {
    throw ENot_Supported_Err();
}

}  // namespace wispel
