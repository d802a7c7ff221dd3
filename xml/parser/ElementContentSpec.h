#pragma once
// Reads the content model text of an element type declaration ("EMPTY", "ANY", mixed
// content or a group of element content) into the particle table of the content-model
// records. Groups are read with an explicit stack: a declaration may nest them as deeply as
// its text allows.

#include <string_view>
#include <vector>

#include "core/TextConvert.h"
#include "xml/dom/cm/CMDeclarations.h"

namespace wispel {

struct TContentSpec {
    TdomCMContentType kind = TdomCMContentType::ctEmpty;
    std::vector<DOMString> mixedNames;      // mixed content
    std::vector<TdomCMParticle> particles;  // element content; [0] is the outermost group
};

// Raises EParserInvalidElementDeclaration_Err for a content model text that does not match.
TContentSpec parseContentSpec(std::u16string_view text);

}  // namespace wispel
