#pragma once
// Processing instructions: the target is the node name, the data the node value.

#include "xml/dom/Node.h"

namespace wispel {

class TdomProcessingInstruction : public TdomNode {
public:
    using TdomNode::nodeValue;

    TdomProcessingInstruction(TdomDocument* ownerDocument, const DOMString& target);

    bool validateNode(TdomCustomErrorHandler* handler) override;

    virtual const DOMString& target() const;
    virtual const DOMString& data() const;
    virtual void data(const DOMString& value);
};

}  // namespace wispel
