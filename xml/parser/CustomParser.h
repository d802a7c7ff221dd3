#pragma once
// The common base of the parser front ends: a component that adds nothing of its own. The
// readers and builders are handed the driving parser as this type.

#include "core/Component.h"

namespace wispel {

class TdomCustomParser : public TComponent {
public:
    using TComponent::TComponent;
};

}  // namespace wispel
