#pragma once
// Processing instructions: the target is the node name, the data the node value.

#include "xml/dom/Node.h"

namespace wispel {

class TdomProcessingInstruction : public TdomNode {
public:
    TdomProcessingInstruction(TdomDocument* ownerDocument, const DOMString& target);

    DOMString nodeValue() const override { return data_; }
    void nodeValue(const DOMString& value) override { data(value); }

    bool validateNode(TdomCustomErrorHandler* handler) override;

    virtual const DOMString& target() const;
    virtual const DOMString& data() const;
    virtual void data(const DOMString& value);

    static constexpr bool kOwnsHeapParts = true;

private:
    DOMString data_;
};

}  // namespace wispel
