#include "xml/dom/ProcessingInstruction.h"

#include "xml/dom/QualifiedName.h"

namespace wispel {

TdomProcessingInstruction::TdomProcessingInstruction(TdomDocument* ownerDocument,
                                                     const DOMString& target)
    : TdomNode(ownerDocument, target, PROCESSING_INSTRUCTION_NODE) {
    checkXmlName(target);
}

bool TdomProcessingInstruction::validateNode(TdomCustomErrorHandler*) {
    return true;
}
const DOMString& TdomProcessingInstruction::target() const {
    return *nodeName_;
}
const DOMString& TdomProcessingInstruction::data() const {
    return data_;
}

void TdomProcessingInstruction::data(const DOMString& value) {
    checkModifiable();
    data_ = value;
}

}  // namespace wispel
